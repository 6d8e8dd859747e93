// Process messages, list/dictionary/binary values and script values.
//
// Every class here is a wrapper holding one engine reference, except the two
// handler bases at the end, which are program objects the script engine calls.
// Script values are made and used only on the thread of the render-process
// callback or script-extension call in which they appear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cef_forward.h"

using TCefv8ValueArray = std::vector<TInterfacePtr<ICefv8Value>>;
// Bit sets of cef_v8_accesscontrol_t and cef_v8_propertyattribute_t.
using TCefV8AccessControls = uint8_t;
using TCefV8PropertyAttributes = uint8_t;

// ---- Interfaces -----------------------------------------------------------------

class ICefBinaryValue : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsOwned() = 0;
  virtual TInterfacePtr<ICefBinaryValue> Copy() = 0;
  virtual size_t GetSize() = 0;
  virtual size_t GetData(void* buffer, size_t bufferSize, size_t dataOffset) = 0;
};

class ICefListValue : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsOwned() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefListValue> Copy() = 0;
  virtual bool SetSize(size_t size) = 0;
  virtual size_t GetSize() = 0;
  virtual bool Clear() = 0;
  virtual bool Remove(int index) = 0;
  virtual int GetType(int index) = 0;
  virtual bool GetBool(int index) = 0;
  virtual int GetInt(int index) = 0;
  virtual double GetDouble(int index) = 0;
  virtual ustring GetString(int index) = 0;
  virtual TInterfacePtr<ICefBinaryValue> GetBinary(int index) = 0;
  virtual TInterfacePtr<ICefDictionaryValue> GetDictionary(int index) = 0;
  virtual TInterfacePtr<ICefListValue> GetList(int index) = 0;
  virtual bool SetNull(int index) = 0;
  virtual bool SetBool(int index, bool value) = 0;
  virtual bool SetInt(int index, int value) = 0;
  virtual bool SetDouble(int index, double value) = 0;
  virtual bool SetString(int index, const ustring& value) = 0;
  virtual bool SetBinary(int index, const TInterfacePtr<ICefBinaryValue>& value) = 0;
  virtual bool SetDictionary(int index, const TInterfacePtr<ICefDictionaryValue>& value) = 0;
  virtual bool SetList(int index, const TInterfacePtr<ICefListValue>& value) = 0;
};

class ICefDictionaryValue : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsOwned() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefDictionaryValue> Copy(bool excludeEmptyChildren) = 0;
  virtual size_t GetSize() = 0;
  virtual bool Clear() = 0;
  virtual bool HasKey(const ustring& key) = 0;
  virtual bool GetKeys(TStringList& keys) = 0;
  virtual bool Remove(const ustring& key) = 0;
  virtual int GetType(const ustring& key) = 0;
  virtual bool GetBool(const ustring& key) = 0;
  virtual int GetInt(const ustring& key) = 0;
  virtual double GetDouble(const ustring& key) = 0;
  virtual ustring GetString(const ustring& key) = 0;
  virtual TInterfacePtr<ICefBinaryValue> GetBinary(const ustring& key) = 0;
  virtual TInterfacePtr<ICefDictionaryValue> GetDictionary(const ustring& key) = 0;
  virtual TInterfacePtr<ICefListValue> GetList(const ustring& key) = 0;
  virtual bool SetNull(const ustring& key) = 0;
  virtual bool SetBool(const ustring& key, bool value) = 0;
  virtual bool SetInt(const ustring& key, int value) = 0;
  virtual bool SetDouble(const ustring& key, double value) = 0;
  virtual bool SetString(const ustring& key, const ustring& value) = 0;
  virtual bool SetBinary(const ustring& key, const TInterfacePtr<ICefBinaryValue>& value) = 0;
  virtual bool SetDictionary(const ustring& key,
                             const TInterfacePtr<ICefDictionaryValue>& value) = 0;
  virtual bool SetList(const ustring& key, const TInterfacePtr<ICefListValue>& value) = 0;
};

class ICefProcessMessage : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefProcessMessage> Copy() = 0;
  virtual ustring GetName() = 0;
  virtual TInterfacePtr<ICefListValue> GetArgumentList() = 0;
};

class ICefv8Context : public virtual ICefBase {
 public:
  virtual TInterfacePtr<ICefTaskRunner> GetTaskRunner() = 0;
  virtual bool IsValid() = 0;
  virtual TInterfacePtr<ICefBrowser> GetBrowser() = 0;
  virtual TInterfacePtr<ICefFrame> GetFrame() = 0;
  virtual TInterfacePtr<ICefv8Value> GetGlobal() = 0;
  virtual bool Enter() = 0;
  virtual bool Exit() = 0;
  virtual bool IsSame(const TInterfacePtr<ICefv8Context>& that) = 0;
  // Both out-parameters are replaced; null when the script gave none.
  virtual bool Eval(const ustring& code, TInterfacePtr<ICefv8Value>& retval,
                    TInterfacePtr<ICefV8Exception>& exception) = 0;
};

class ICefV8Exception : public virtual ICefBase {
 public:
  virtual ustring GetMessage() = 0;
  virtual ustring GetSourceLine() = 0;
  virtual ustring GetScriptResourceName() = 0;
  virtual int GetLineNumber() = 0;
  virtual int GetStartPosition() = 0;
  virtual int GetEndPosition() = 0;
  virtual int GetStartColumn() = 0;
  virtual int GetEndColumn() = 0;
};

class ICefV8StackFrame : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual ustring GetScriptName() = 0;
  virtual ustring GetScriptNameOrSourceUrl() = 0;
  virtual ustring GetFunctionName() = 0;
  virtual int GetLineNumber() = 0;
  virtual int GetColumn() = 0;
  virtual bool IsEval() = 0;
  virtual bool IsConstructor() = 0;
};

class ICefV8StackTrace : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual int GetFrameCount() = 0;
  virtual TInterfacePtr<ICefV8StackFrame> GetFrame(int index) = 0;
};

// A native script function: the engine's own (TCefv8HandlerRef) or the
// program's (TCefv8HandlerOwn). `object` is the receiver of the call; the
// answer says whether the call was handled. A non-empty `exception` is thrown
// in script.
class ICefv8Handler : public virtual ICefBase {
 public:
  virtual bool Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
                       const TCefv8ValueArray& arguments, TInterfacePtr<ICefv8Value>& retval,
                       ustring& exception) = 0;
};

// Accessor properties of a script object. The engine's exception text is
// shown to the accessor but never taken back from it.
class ICefv8Accessor : public virtual ICefBase {
 public:
  virtual bool Get(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
                   TInterfacePtr<ICefv8Value>& retval, const ustring& exception) = 0;
  virtual bool Set(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
                   const TInterfacePtr<ICefv8Value>& value, const ustring& exception) = 0;
};

class ICefv8Value : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsUndefined() = 0;
  virtual bool IsNull() = 0;
  virtual bool IsBool() = 0;
  virtual bool IsInt() = 0;
  virtual bool IsUInt() = 0;
  virtual bool IsDouble() = 0;
  virtual bool IsDate() = 0;
  virtual bool IsString() = 0;
  virtual bool IsObject() = 0;
  virtual bool IsArray() = 0;
  virtual bool IsFunction() = 0;
  virtual bool IsSame(const TInterfacePtr<ICefv8Value>& that) = 0;
  virtual bool GetBoolValue() = 0;
  virtual int32_t GetIntValue() = 0;
  virtual uint32_t GetUIntValue() = 0;
  virtual double GetDoubleValue() = 0;
  // Local date-time, in days since 30 December 1899.
  virtual double GetDateValue() = 0;
  virtual ustring GetStringValue() = 0;
  virtual bool IsUserCreated() = 0;
  virtual bool HasException() = 0;
  virtual TInterfacePtr<ICefV8Exception> GetException() = 0;
  virtual bool ClearException() = 0;
  virtual bool WillRethrowExceptions() = 0;
  virtual bool SetRethrowExceptions(bool rethrow) = 0;
  virtual bool HasValueByKey(const ustring& key) = 0;
  virtual bool HasValueByIndex(int index) = 0;
  virtual bool DeleteValueByKey(const ustring& key) = 0;
  virtual bool DeleteValueByIndex(int index) = 0;
  virtual TInterfacePtr<ICefv8Value> GetValueByKey(const ustring& key) = 0;
  virtual TInterfacePtr<ICefv8Value> GetValueByIndex(int index) = 0;
  virtual bool SetValueByKey(const ustring& key, const TInterfacePtr<ICefv8Value>& value,
                             TCefV8PropertyAttributes attribute) = 0;
  virtual bool SetValueByIndex(int index, const TInterfacePtr<ICefv8Value>& value) = 0;
  virtual bool SetValueByAccessor(const ustring& key, TCefV8AccessControls settings,
                                  TCefV8PropertyAttributes attribute) = 0;
  virtual int GetKeys(TStringList& keys) = 0;
  virtual bool SetUserData(const TInterfacePtr<ICefv8Value>& data) = 0;
  virtual TInterfacePtr<ICefv8Value> GetUserData() = 0;
  virtual int GetExternallyAllocatedMemory() = 0;
  virtual int AdjustExternallyAllocatedMemory(int changeInBytes) = 0;
  virtual int GetArrayLength() = 0;
  virtual ustring GetFunctionName() = 0;
  virtual TInterfacePtr<ICefv8Handler> GetFunctionHandler() = 0;
  virtual TInterfacePtr<ICefv8Value> ExecuteFunction(const TInterfacePtr<ICefv8Value>& object,
                                                     const TCefv8ValueArray& arguments) = 0;
  virtual TInterfacePtr<ICefv8Value> ExecuteFunctionWithContext(
      const TInterfacePtr<ICefv8Context>& context, const TInterfacePtr<ICefv8Value>& object,
      const TCefv8ValueArray& arguments) = 0;
};

// ---- Wrappers -------------------------------------------------------------------

class TCefBinaryValueRef : public TCefBaseRefT<cef_binary_value_t, ICefBinaryValue> {
  NIMBRA_WRAPPER_HEAD(TCefBinaryValueRef, ICefBinaryValue, cef_binary_value_t)
  // The engine copies the bytes.
  static TInterfacePtr<ICefBinaryValue> New(const void* data, size_t dataSize);

  using Rec = cef_binary_value_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsOwned() override { return Call<bool>(&Rec::is_owned); }
  TInterfacePtr<ICefBinaryValue> Copy() override {
    return Call<TInterfacePtr<ICefBinaryValue>>(&Rec::copy);
  }
  size_t GetSize() override { return Call<size_t>(&Rec::get_size); }
  size_t GetData(void* buffer, size_t bufferSize, size_t dataOffset) override {
    return Call<size_t>(&Rec::get_data, buffer, bufferSize, dataOffset);
  }
};

class TCefListValueRef : public TCefBaseRefT<cef_list_value_t, ICefListValue> {
  NIMBRA_WRAPPER_HEAD(TCefListValueRef, ICefListValue, cef_list_value_t)
  static TInterfacePtr<ICefListValue> New();

  using Rec = cef_list_value_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsOwned() override { return Call<bool>(&Rec::is_owned); }
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  TInterfacePtr<ICefListValue> Copy() override {
    return Call<TInterfacePtr<ICefListValue>>(&Rec::copy);
  }
  bool SetSize(size_t size) override { return Call<bool>(&Rec::set_size, size); }
  size_t GetSize() override { return Call<size_t>(&Rec::get_size); }
  bool Clear() override { return Call<bool>(&Rec::clear); }
  bool Remove(int index) override { return Call<bool>(&Rec::remove, index); }
  int GetType(int index) override { return Call<int>(&Rec::get_type, index); }
  bool GetBool(int index) override { return Call<bool>(&Rec::get_bool, index); }
  int GetInt(int index) override { return Call<int>(&Rec::get_int, index); }
  double GetDouble(int index) override { return Call<double>(&Rec::get_double, index); }
  ustring GetString(int index) override { return Call<ustring>(&Rec::get_string, index); }
  TInterfacePtr<ICefBinaryValue> GetBinary(int index) override {
    return Call<TInterfacePtr<ICefBinaryValue>>(&Rec::get_binary, index);
  }
  TInterfacePtr<ICefDictionaryValue> GetDictionary(int index) override {
    return Call<TInterfacePtr<ICefDictionaryValue>>(&Rec::get_dictionary, index);
  }
  TInterfacePtr<ICefListValue> GetList(int index) override {
    return Call<TInterfacePtr<ICefListValue>>(&Rec::get_list, index);
  }
  bool SetNull(int index) override { return Call<bool>(&Rec::set_null, index); }
  bool SetBool(int index, bool value) override { return Call<bool>(&Rec::set_bool, index, value); }
  bool SetInt(int index, int value) override { return Call<bool>(&Rec::set_int, index, value); }
  bool SetDouble(int index, double value) override {
    return Call<bool>(&Rec::set_double, index, value);
  }
  bool SetString(int index, const ustring& value) override {
    return Call<bool>(&Rec::set_string, index, value);
  }
  bool SetBinary(int index, const TInterfacePtr<ICefBinaryValue>& value) override {
    return Call<bool>(&Rec::set_binary, index, value);
  }
  bool SetDictionary(int index, const TInterfacePtr<ICefDictionaryValue>& value) override {
    return Call<bool>(&Rec::set_dictionary, index, value);
  }
  bool SetList(int index, const TInterfacePtr<ICefListValue>& value) override {
    return Call<bool>(&Rec::set_list, index, value);
  }
};

class TCefDictionaryValueRef : public TCefBaseRefT<cef_dictionary_value_t, ICefDictionaryValue> {
  NIMBRA_WRAPPER_HEAD(TCefDictionaryValueRef, ICefDictionaryValue, cef_dictionary_value_t)
  static TInterfacePtr<ICefDictionaryValue> New();

  using Rec = cef_dictionary_value_t;
  using Key = const ustring&;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsOwned() override { return Call<bool>(&Rec::is_owned); }
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  TInterfacePtr<ICefDictionaryValue> Copy(bool excludeEmptyChildren) override {
    return Call<TInterfacePtr<ICefDictionaryValue>>(&Rec::copy, excludeEmptyChildren);
  }
  size_t GetSize() override { return Call<size_t>(&Rec::get_size); }
  bool Clear() override { return Call<bool>(&Rec::clear); }
  bool HasKey(Key key) override { return Call<bool>(&Rec::has_key, key); }
  bool GetKeys(TStringList& keys) override;
  bool Remove(Key key) override { return Call<bool>(&Rec::remove, key); }
  int GetType(Key key) override { return Call<int>(&Rec::get_type, key); }
  bool GetBool(Key key) override { return Call<bool>(&Rec::get_bool, key); }
  int GetInt(Key key) override { return Call<int>(&Rec::get_int, key); }
  double GetDouble(Key key) override { return Call<double>(&Rec::get_double, key); }
  ustring GetString(Key key) override { return Call<ustring>(&Rec::get_string, key); }
  TInterfacePtr<ICefBinaryValue> GetBinary(Key key) override {
    return Call<TInterfacePtr<ICefBinaryValue>>(&Rec::get_binary, key);
  }
  TInterfacePtr<ICefDictionaryValue> GetDictionary(Key key) override {
    return Call<TInterfacePtr<ICefDictionaryValue>>(&Rec::get_dictionary, key);
  }
  TInterfacePtr<ICefListValue> GetList(Key key) override {
    return Call<TInterfacePtr<ICefListValue>>(&Rec::get_list, key);
  }
  bool SetNull(Key key) override { return Call<bool>(&Rec::set_null, key); }
  bool SetBool(Key key, bool value) override { return Call<bool>(&Rec::set_bool, key, value); }
  bool SetInt(Key key, int value) override { return Call<bool>(&Rec::set_int, key, value); }
  bool SetDouble(Key key, double value) override {
    return Call<bool>(&Rec::set_double, key, value);
  }
  bool SetString(Key key, const ustring& value) override {
    return Call<bool>(&Rec::set_string, key, value);
  }
  bool SetBinary(Key key, const TInterfacePtr<ICefBinaryValue>& value) override {
    return Call<bool>(&Rec::set_binary, key, value);
  }
  bool SetDictionary(Key key, const TInterfacePtr<ICefDictionaryValue>& value) override {
    return Call<bool>(&Rec::set_dictionary, key, value);
  }
  bool SetList(Key key, const TInterfacePtr<ICefListValue>& value) override {
    return Call<bool>(&Rec::set_list, key, value);
  }
};

class TCefProcessMessageRef : public TCefBaseRefT<cef_process_message_t, ICefProcessMessage> {
  NIMBRA_WRAPPER_HEAD(TCefProcessMessageRef, ICefProcessMessage, cef_process_message_t)
  static TInterfacePtr<ICefProcessMessage> New(const ustring& name);

  using Rec = cef_process_message_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  TInterfacePtr<ICefProcessMessage> Copy() override {
    return Call<TInterfacePtr<ICefProcessMessage>>(&Rec::copy);
  }
  ustring GetName() override { return Call<ustring>(&Rec::get_name); }
  TInterfacePtr<ICefListValue> GetArgumentList() override {
    return Call<TInterfacePtr<ICefListValue>>(&Rec::get_argument_list);
  }
};

class TCefV8ExceptionRef : public TCefBaseRefT<cef_v8exception_t, ICefV8Exception> {
  NIMBRA_WRAPPER_HEAD(TCefV8ExceptionRef, ICefV8Exception, cef_v8exception_t)

  using Rec = cef_v8exception_t;
  ustring GetMessage() override { return Call<ustring>(&Rec::get_message); }
  ustring GetSourceLine() override { return Call<ustring>(&Rec::get_source_line); }
  ustring GetScriptResourceName() override { return Call<ustring>(&Rec::get_script_resource_name); }
  int GetLineNumber() override { return Call<int>(&Rec::get_line_number); }
  int GetStartPosition() override { return Call<int>(&Rec::get_start_position); }
  int GetEndPosition() override { return Call<int>(&Rec::get_end_position); }
  int GetStartColumn() override { return Call<int>(&Rec::get_start_column); }
  int GetEndColumn() override { return Call<int>(&Rec::get_end_column); }
};

class TCefV8StackFrameRef : public TCefBaseRefT<cef_v8stack_frame_t, ICefV8StackFrame> {
  NIMBRA_WRAPPER_HEAD(TCefV8StackFrameRef, ICefV8StackFrame, cef_v8stack_frame_t)

  using Rec = cef_v8stack_frame_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  ustring GetScriptName() override { return Call<ustring>(&Rec::get_script_name); }
  ustring GetScriptNameOrSourceUrl() override {
    return Call<ustring>(&Rec::get_script_name_or_source_url);
  }
  ustring GetFunctionName() override { return Call<ustring>(&Rec::get_function_name); }
  int GetLineNumber() override { return Call<int>(&Rec::get_line_number); }
  int GetColumn() override { return Call<int>(&Rec::get_column); }
  bool IsEval() override { return Call<bool>(&Rec::is_eval); }
  bool IsConstructor() override { return Call<bool>(&Rec::is_constructor); }
};

class TCefV8StackTraceRef : public TCefBaseRefT<cef_v8stack_trace_t, ICefV8StackTrace> {
  NIMBRA_WRAPPER_HEAD(TCefV8StackTraceRef, ICefV8StackTrace, cef_v8stack_trace_t)
  static TInterfacePtr<ICefV8StackTrace> Current(int frameLimit);

  using Rec = cef_v8stack_trace_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  int GetFrameCount() override { return Call<int>(&Rec::get_frame_count); }
  TInterfacePtr<ICefV8StackFrame> GetFrame(int index) override {
    return Call<TInterfacePtr<ICefV8StackFrame>>(&Rec::get_frame, index);
  }
};

class TCefv8HandlerRef : public TCefBaseRefT<cef_v8handler_t, ICefv8Handler> {
  NIMBRA_WRAPPER_HEAD(TCefv8HandlerRef, ICefv8Handler, cef_v8handler_t)

  bool Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
               const TCefv8ValueArray& arguments, TInterfacePtr<ICefv8Value>& retval,
               ustring& exception) override;
};

class TCefv8ValueRef : public TCefBaseRefT<cef_v8value_t, ICefv8Value> {
  NIMBRA_WRAPPER_HEAD(TCefv8ValueRef, ICefv8Value, cef_v8value_t)
  using PValue = TInterfacePtr<ICefv8Value>;

  static PValue NewUndefined();
  static PValue NewNull();
  static PValue NewBool(bool value);
  static PValue NewInt(int32_t value);
  static PValue NewUInt(uint32_t value);
  static PValue NewDouble(double value);
  // `value` is a local date-time; the engine receives universal time.
  static PValue NewDate(double value);
  static PValue NewString(const ustring& str);
  // A plain object without an accessor when `accessor` is null.
  static PValue NewObject(const TInterfacePtr<ICefv8Accessor>& accessor);
  static PValue NewArray(int len);
  static PValue NewFunction(const ustring& name, const TInterfacePtr<ICefv8Handler>& handler);

  using Rec = cef_v8value_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsUndefined() override { return Call<bool>(&Rec::is_undefined); }
  bool IsNull() override { return Call<bool>(&Rec::is_null); }
  bool IsBool() override { return Call<bool>(&Rec::is_bool); }
  bool IsInt() override { return Call<bool>(&Rec::is_int); }
  bool IsUInt() override { return Call<bool>(&Rec::is_uint); }
  bool IsDouble() override { return Call<bool>(&Rec::is_double); }
  bool IsDate() override { return Call<bool>(&Rec::is_date); }
  bool IsString() override { return Call<bool>(&Rec::is_string); }
  bool IsObject() override { return Call<bool>(&Rec::is_object); }
  bool IsArray() override { return Call<bool>(&Rec::is_array); }
  bool IsFunction() override { return Call<bool>(&Rec::is_function); }
  bool IsSame(const PValue& that) override { return Call<bool>(&Rec::is_same, that); }
  bool GetBoolValue() override { return Call<bool>(&Rec::get_bool_value); }
  int32_t GetIntValue() override { return Call<int32_t>(&Rec::get_int_value); }
  uint32_t GetUIntValue() override { return Call<uint32_t>(&Rec::get_uint_value); }
  double GetDoubleValue() override { return Call<double>(&Rec::get_double_value); }
  double GetDateValue() override;
  ustring GetStringValue() override { return Call<ustring>(&Rec::get_string_value); }
  bool IsUserCreated() override { return Call<bool>(&Rec::is_user_created); }
  bool HasException() override { return Call<bool>(&Rec::has_exception); }
  TInterfacePtr<ICefV8Exception> GetException() override {
    return Call<TInterfacePtr<ICefV8Exception>>(&Rec::get_exception);
  }
  bool ClearException() override { return Call<bool>(&Rec::clear_exception); }
  bool WillRethrowExceptions() override { return Call<bool>(&Rec::will_rethrow_exceptions); }
  bool SetRethrowExceptions(bool rethrow) override {
    return Call<bool>(&Rec::set_rethrow_exceptions, rethrow);
  }
  bool HasValueByKey(const ustring& key) override { return Call<bool>(&Rec::has_value_bykey, key); }
  bool HasValueByIndex(int index) override { return Call<bool>(&Rec::has_value_byindex, index); }
  bool DeleteValueByKey(const ustring& key) override {
    return Call<bool>(&Rec::delete_value_bykey, key);
  }
  bool DeleteValueByIndex(int index) override {
    return Call<bool>(&Rec::delete_value_byindex, index);
  }
  PValue GetValueByKey(const ustring& key) override {
    return Call<PValue>(&Rec::get_value_bykey, key);
  }
  PValue GetValueByIndex(int index) override {
    return Call<PValue>(&Rec::get_value_byindex, index);
  }
  bool SetValueByKey(const ustring& key, const PValue& value,
                     TCefV8PropertyAttributes attribute) override {
    return Call<bool>(&Rec::set_value_bykey, key, value,
                      static_cast<cef_v8_propertyattribute_t>(attribute));
  }
  bool SetValueByIndex(int index, const PValue& value) override {
    return Call<bool>(&Rec::set_value_byindex, index, value);
  }
  bool SetValueByAccessor(const ustring& key, TCefV8AccessControls settings,
                          TCefV8PropertyAttributes attribute) override {
    return Call<bool>(&Rec::set_value_byaccessor, key,
                      static_cast<cef_v8_accesscontrol_t>(settings),
                      static_cast<cef_v8_propertyattribute_t>(attribute));
  }
  int GetKeys(TStringList& keys) override;
  bool SetUserData(const PValue& data) override { return Call<bool>(&Rec::set_user_data, data); }
  PValue GetUserData() override { return Call<PValue>(&Rec::get_user_data); }
  int GetExternallyAllocatedMemory() override {
    return Call<int>(&Rec::get_externally_allocated_memory);
  }
  int AdjustExternallyAllocatedMemory(int changeInBytes) override {
    return Call<int>(&Rec::adjust_externally_allocated_memory, changeInBytes);
  }
  int GetArrayLength() override { return Call<int>(&Rec::get_array_length); }
  ustring GetFunctionName() override { return Call<ustring>(&Rec::get_function_name); }
  TInterfacePtr<ICefv8Handler> GetFunctionHandler() override {
    return Call<TInterfacePtr<ICefv8Handler>>(&Rec::get_function_handler);
  }
  PValue ExecuteFunction(const PValue& object, const TCefv8ValueArray& arguments) override;
  PValue ExecuteFunctionWithContext(const TInterfacePtr<ICefv8Context>& context,
                                    const PValue& object,
                                    const TCefv8ValueArray& arguments) override;
};

class TCefv8ContextRef : public TCefBaseRefT<cef_v8context_t, ICefv8Context> {
  NIMBRA_WRAPPER_HEAD(TCefv8ContextRef, ICefv8Context, cef_v8context_t)
  static TInterfacePtr<ICefv8Context> Current();
  static TInterfacePtr<ICefv8Context> Entered();

  using Rec = cef_v8context_t;
  TInterfacePtr<ICefTaskRunner> GetTaskRunner() override;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  TInterfacePtr<ICefBrowser> GetBrowser() override;
  TInterfacePtr<ICefFrame> GetFrame() override;
  TInterfacePtr<ICefv8Value> GetGlobal() override {
    return Call<TInterfacePtr<ICefv8Value>>(&Rec::get_global);
  }
  bool Enter() override { return Call<bool>(&Rec::enter); }
  bool Exit() override { return Call<bool>(&Rec::exit); }
  bool IsSame(const TInterfacePtr<ICefv8Context>& that) override {
    return Call<bool>(&Rec::is_same, that);
  }
  bool Eval(const ustring& code, TInterfacePtr<ICefv8Value>& retval,
            TInterfacePtr<ICefV8Exception>& exception) override;
};

// ---- Handler bases --------------------------------------------------------------

// The base of every native script function the program offers. The default
// Execute handles nothing.
class TCefv8HandlerOwn : public TCefBaseOwn, public ICefv8Handler {
 public:
  TCefv8HandlerOwn();
  bool Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
               const TCefv8ValueArray& arguments, TInterfacePtr<ICefv8Value>& retval,
               ustring& exception) override;
};

// The base of accessors. Both defaults answer false; Get gives no value.
class TCefV8AccessorOwn : public TCefBaseOwn, public ICefv8Accessor {
 public:
  TCefV8AccessorOwn();
  bool Get(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
           TInterfacePtr<ICefv8Value>& retval, const ustring& exception) override;
  bool Set(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
           const TInterfacePtr<ICefv8Value>& value, const ustring& exception) override;
};
