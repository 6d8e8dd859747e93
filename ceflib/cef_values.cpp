#include "cef_values.h"

#include <stdexcept>

#include "cef_api.h"
#include "cef_wrappers.h"

namespace {

// Script values handed to one engine call as an array of records, each
// carrying a reference for the engine. The array is freed with this object,
// also when an error passes; an empty array goes to the engine as none.
class TCefValueRecords {
 public:
  explicit TCefValueRecords(const TCefv8ValueArray& values) {
    // Allocated before the first reference is added, so no error can strand one.
    FRecords.reserve(values.size());
    for (const auto& value : values) {
      FRecords.push_back(static_cast<cef_v8value_t*>(CefRecordOf(value)));
    }
  }
  TCefValueRecords(const TCefValueRecords&) = delete;
  TCefValueRecords& operator=(const TCefValueRecords&) = delete;

  size_t Count() const noexcept { return FRecords.size(); }
  cef_v8value_t* const* Data() const noexcept {
    return FRecords.empty() ? nullptr : FRecords.data();
  }

 private:
  std::vector<cef_v8value_t*> FRecords;
};

// The engine's argument array as native values, each adopting its reference.
TCefv8ValueArray ValuesOfRecords(size_t count, cef_v8value_t* const* records) {
  if (count != 0 && !records) {
    throw std::invalid_argument("script function called with arguments but no argument array");
  }
  TCefv8ValueArray values;
  values.reserve(count);
  for (size_t i = 0; i < count; ++i) values.push_back(TCefv8ValueRef::UnWrap(records[i]));
  return values;
}

// The engine reads any non-zero answer as handled; -1 is the program's true.
int CEF_CALLBACK HandlerExecute(cef_v8handler_t* self, const cef_string_t* name,
                                cef_v8value_t* object, size_t argumentsCount,
                                cef_v8value_t* const* arguments, cef_v8value_t** retval,
                                cef_string_t* exception) noexcept {
  if (retval) *retval = nullptr;
  return CefGuarded(0, [&] {
    const TInterfacePtr<ICefv8Value> receiver = TCefv8ValueRef::UnWrap(object);
    const TCefv8ValueArray values = ValuesOfRecords(argumentsCount, arguments);
    TInterfacePtr<ICefv8Value> result;
    ustring exceptionText;
    const bool handled = CefOwner<TCefv8HandlerOwn>(self)->Execute(
        CefStringToUstring(name), receiver, values, result, exceptionText);
    if (retval) *retval = CefAnswer<cef_v8value_t*>(result);
    // The engine keeps its own copy once the callback has returned.
    CefStringAssign(exception, exceptionText);
    return handled ? -1 : 0;
  });
}

int CEF_CALLBACK AccessorGet(cef_v8accessor_t* self, const cef_string_t* name,
                             cef_v8value_t* object, cef_v8value_t** retval,
                             cef_string_t* exception) noexcept {
  if (retval) *retval = nullptr;
  return CefGuarded(0, [&] {
    const TInterfacePtr<ICefv8Value> receiver = TCefv8ValueRef::UnWrap(object);
    TInterfacePtr<ICefv8Value> value;
    const bool answer = CefOwner<TCefV8AccessorOwn>(self)->Get(
        CefStringToUstring(name), receiver, value, CefStringToUstring(exception));
    if (retval) *retval = CefAnswer<cef_v8value_t*>(value);
    return CefAnswer<int>(answer);
  });
}

int CEF_CALLBACK AccessorSet(cef_v8accessor_t* self, const cef_string_t* name,
                             cef_v8value_t* object, cef_v8value_t* value,
                             cef_string_t* exception) noexcept {
  return CefGuarded(0, [&] {
    const TInterfacePtr<ICefv8Value> receiver = TCefv8ValueRef::UnWrap(object);
    const TInterfacePtr<ICefv8Value> assigned = TCefv8ValueRef::UnWrap(value);
    const bool answer = CefOwner<TCefV8AccessorOwn>(self)->Set(
        CefStringToUstring(name), receiver, assigned, CefStringToUstring(exception));
    return CefAnswer<int>(answer);
  });
}

}  // namespace

// ---- Class operations -----------------------------------------------------------

TInterfacePtr<ICefBinaryValue> TCefBinaryValueRef::New(const void* data, size_t dataSize) {
  return UnWrap(CefApi.cef_binary_value_create(data, dataSize));
}
TInterfacePtr<ICefListValue> TCefListValueRef::New() {
  return UnWrap(CefApi.cef_list_value_create());
}
TInterfacePtr<ICefDictionaryValue> TCefDictionaryValueRef::New() {
  return UnWrap(CefApi.cef_dictionary_value_create());
}
TInterfacePtr<ICefProcessMessage> TCefProcessMessageRef::New(const ustring& name) {
  return UnWrap(CefApi.cef_process_message_create(CefArg(name)));
}
TInterfacePtr<ICefV8StackTrace> TCefV8StackTraceRef::Current(int frameLimit) {
  return UnWrap(CefApi.cef_v8stack_trace_get_current(frameLimit));
}
TInterfacePtr<ICefv8Context> TCefv8ContextRef::Current() {
  return UnWrap(CefApi.cef_v8context_get_current_context());
}
TInterfacePtr<ICefv8Context> TCefv8ContextRef::Entered() {
  return UnWrap(CefApi.cef_v8context_get_entered_context());
}

using PValue = TCefv8ValueRef::PValue;

PValue TCefv8ValueRef::NewUndefined() { return UnWrap(CefApi.cef_v8value_create_undefined()); }
PValue TCefv8ValueRef::NewNull() { return UnWrap(CefApi.cef_v8value_create_null()); }
PValue TCefv8ValueRef::NewBool(bool value) {
  return UnWrap(CefApi.cef_v8value_create_bool(CefArg(value)));
}
PValue TCefv8ValueRef::NewInt(int32_t value) {
  return UnWrap(CefApi.cef_v8value_create_int(value));
}
PValue TCefv8ValueRef::NewUInt(uint32_t value) {
  return UnWrap(CefApi.cef_v8value_create_uint(value));
}
PValue TCefv8ValueRef::NewDouble(double value) {
  return UnWrap(CefApi.cef_v8value_create_double(value));
}
PValue TCefv8ValueRef::NewDate(double value) {
  cef_time_t time{};
  DateTimeToEngineTime(value, time);
  return UnWrap(CefApi.cef_v8value_create_date(&time));
}
PValue TCefv8ValueRef::NewString(const ustring& str) {
  return UnWrap(CefApi.cef_v8value_create_string(CefArg(str)));
}
PValue TCefv8ValueRef::NewObject(const TInterfacePtr<ICefv8Accessor>& accessor) {
  return UnWrap(CefApi.cef_v8value_create_object(CefArg(accessor)));
}
PValue TCefv8ValueRef::NewArray(int len) { return UnWrap(CefApi.cef_v8value_create_array(len)); }
PValue TCefv8ValueRef::NewFunction(const ustring& name,
                                   const TInterfacePtr<ICefv8Handler>& handler) {
  return UnWrap(CefApi.cef_v8value_create_function(CefArg(name), CefArg(handler)));
}

// ---- Operations with conversions of their own -----------------------------------

bool TCefDictionaryValueRef::GetKeys(TStringList& keys) {
  bool answer = false;
  CefStringListFilled(keys,
                      [&](cef_string_list_t list) { answer = Call<bool>(&Rec::get_keys, list); });
  return answer;
}

double TCefv8ValueRef::GetDateValue() { return EngineTimeToDateTime(R()->get_date_value(R())); }

int TCefv8ValueRef::GetKeys(TStringList& keys) {
  int answer = 0;
  CefStringListFilled(keys,
                      [&](cef_string_list_t list) { answer = Call<int>(&Rec::get_keys, list); });
  return answer;
}

PValue TCefv8ValueRef::ExecuteFunction(const PValue& object, const TCefv8ValueArray& arguments) {
  const TCefValueRecords records(arguments);
  return Call<PValue>(&Rec::execute_function, object, records.Count(), records.Data());
}

PValue TCefv8ValueRef::ExecuteFunctionWithContext(const TInterfacePtr<ICefv8Context>& context,
                                                  const PValue& object,
                                                  const TCefv8ValueArray& arguments) {
  const TCefValueRecords records(arguments);
  return Call<PValue>(&Rec::execute_function_with_context, context, object, records.Count(),
                      records.Data());
}

bool TCefv8HandlerRef::Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
                               const TCefv8ValueArray& arguments,
                               TInterfacePtr<ICefv8Value>& retval, ustring& exception) {
  const TCefValueRecords records(arguments);
  cef_v8value_t* result = nullptr;
  cef_string_t error{};
  const bool handled = Call<bool>(&cef_v8handler_t::execute, name, object, records.Count(),
                                  records.Data(), &result, &error);
  retval = TCefv8ValueRef::UnWrap(result);
  exception = CefStringTakeCleared(error);
  return handled;
}

TInterfacePtr<ICefTaskRunner> TCefv8ContextRef::GetTaskRunner() {
  return Call<TInterfacePtr<ICefTaskRunner>>(&Rec::get_task_runner);
}
TInterfacePtr<ICefBrowser> TCefv8ContextRef::GetBrowser() {
  return Call<TInterfacePtr<ICefBrowser>>(&Rec::get_browser);
}
TInterfacePtr<ICefFrame> TCefv8ContextRef::GetFrame() {
  return Call<TInterfacePtr<ICefFrame>>(&Rec::get_frame);
}

bool TCefv8ContextRef::Eval(const ustring& code, TInterfacePtr<ICefv8Value>& retval,
                            TInterfacePtr<ICefV8Exception>& exception) {
  cef_v8value_t* value = nullptr;
  cef_v8exception_t* thrown = nullptr;
  const bool answer = Call<bool>(&Rec::eval, code, &value, &thrown);
  retval = TCefv8ValueRef::UnWrap(value);
  exception = TCefV8ExceptionRef::UnWrap(thrown);
  return answer;
}

// ---- Handler bases --------------------------------------------------------------

TCefv8HandlerOwn::TCefv8HandlerOwn() : TCefBaseOwn(sizeof(cef_v8handler_t)) {
  Record<cef_v8handler_t>()->execute = HandlerExecute;
}
bool TCefv8HandlerOwn::Execute(const ustring&, const TInterfacePtr<ICefv8Value>&,
                               const TCefv8ValueArray&, TInterfacePtr<ICefv8Value>&, ustring&) {
  return false;
}

TCefV8AccessorOwn::TCefV8AccessorOwn() : TCefBaseOwn(sizeof(cef_v8accessor_t)) {
  auto* r = Record<cef_v8accessor_t>();
  r->get = AccessorGet;
  r->set = AccessorSet;
}
bool TCefV8AccessorOwn::Get(const ustring&, const TInterfacePtr<ICefv8Value>&,
                            TInterfacePtr<ICefv8Value>& retval, const ustring&) {
  retval = nullptr;
  return false;
}
bool TCefV8AccessorOwn::Set(const ustring&, const TInterfacePtr<ICefv8Value>&,
                            const TInterfacePtr<ICefv8Value>&, const ustring&) {
  return false;
}
