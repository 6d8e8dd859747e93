// The engine's script value record over one interpreter value, and the
// exports that make them.
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "engine_object.h"
#include "engine_strings.h"
#include "engine_time.h"
#include "exports.h"
#include "record_ref.h"
#include "script_values.h"

namespace devengine::script_values {
namespace {

using script::Value;

// 1970-01-01 in ticks since 1601-01-01.
constexpr Ticks kUnixEpochTicks = 116'444'736'000'000'000;

// The interpreter's attributes share their bits with the engine's flags;
// any other bit is dropped.
script::PropertyAttributes AttributesOf(cef_v8_propertyattribute_t attribute) {
  return static_cast<script::PropertyAttributes>(
      attribute & (script::kReadOnly | script::kDontEnum | script::kDontDelete));
}

// What a record holds as user data: another value record.
struct UserData {
  RecordRef<cef_v8value_t> record;
};

class ValueRecord : public EngineObject<cef_v8value_t> {
 public:
  ValueRecord(Value value, std::weak_ptr<script::Context> context, bool userCreated)
      : value_(std::move(value)), context_(std::move(context)), userCreated_(userCreated) {
    if (value_.IsObject() && !value_.AsObject()->context.expired()) {
      context_ = value_.AsObject()->context;
    }
    Bind();
  }

  static ValueRecord* Of(cef_v8value_t* record) {
    if (record == nullptr || record->is_valid != EntryOf<&ValueRecord::IsValid>) return nullptr;
    return static_cast<ValueRecord*>(FromRecord(record));
  }
  const Value& value() const { return value_; }

 private:
  void Bind();

  bool Here() const { return std::this_thread::get_id() == thread_; }
  // The object this record holds, when it may be used here and now.
  const script::ObjectPtr* Live() const {
    if (!Here() || !value_.IsObject() || !value_.AsObject()->valid) return nullptr;
    return &value_.AsObject();
  }
  std::shared_ptr<script::Context> LiveContext() const {
    auto context = context_.lock();
    return context != nullptr && context->IsValid() ? context : nullptr;
  }

  // Runs `work` on the object in its context; nullopt when it cannot run or
  // script threw, which this record then keeps as its exception.
  std::optional<Value> Attempt(
      const std::function<Value(script::Context&, const script::ObjectPtr&)>& work) {
    const script::ObjectPtr* object = Live();
    auto context = LiveContext();
    if (object == nullptr || context == nullptr) return std::nullopt;
    script::EvalResult result = context->Run([&] { return work(*context, *object); });
    return Settle(std::move(result));
  }
  std::optional<Value> Settle(script::EvalResult result) {
    if (result.ok()) return std::move(result.value);
    if (rethrow_ && !result.exception->terminated) SetPendingRethrow(result.exception->value);
    exception_ = std::move(result.exception);
    return std::nullopt;
  }
  int Succeeded(const std::optional<Value>& outcome) {
    return Flag(outcome && outcome->AsBoolean());
  }
  cef_v8value_t* RecordOf(std::optional<Value> outcome) {
    if (!outcome) return nullptr;
    return NewValueRecord(std::move(*outcome), context_);
  }

  int IsValid() { return Flag(Here() && (!value_.IsObject() || value_.AsObject()->valid)); }
  int IsUndefined() { return Flag(value_.IsUndefined()); }
  int IsNull() { return Flag(value_.IsNull()); }
  int IsBool() { return Flag(value_.IsBoolean()); }
  int IsInt() { return Flag(value_.IsInt32()); }
  int IsUInt() { return Flag(value_.IsUInt32()); }
  int IsDouble() { return Flag(value_.IsNumber()); }
  int IsDate() { return Flag(value_.IsObject() && value_.AsObject()->IsDate()); }
  int IsString() { return Flag(value_.IsString()); }
  int IsObject() { return Flag(value_.IsObject()); }
  int IsArray() { return Flag(value_.IsObject() && value_.AsObject()->IsArray()); }
  int IsFunction() { return Flag(value_.IsObject() && value_.AsObject()->IsFunction()); }

  int IsSame(cef_v8value_t* that) {
    const auto other = RecordRef<cef_v8value_t>::Adopt(that);
    const ValueRecord* record = Of(other.get());
    if (record == nullptr || !Here()) return 0;
    const Value& theirs = record->value_;
    if (value_.type() != theirs.type()) return 0;
    if (value_.IsObject()) return Flag(value_.AsObject() == theirs.AsObject());
    return Flag(value_.IsUndefined() || value_.IsNull());
  }

  int GetBoolValue() { return Flag(value_.AsBoolean()); }
  std::int32_t GetIntValue() { return script::ToInt32(value_.AsNumber()); }
  std::uint32_t GetUIntValue() { return script::ToUint32(value_.AsNumber()); }
  double GetDoubleValue() { return value_.AsNumber(); }
  cef_time_t GetDateValue() {
    if (IsDate() == 0 || !std::isfinite(value_.AsObject()->date)) return {};
    return TimeRecordOf(kUnixEpochTicks +
                        static_cast<Ticks>(value_.AsObject()->date) * kTicksPerMillisecond);
  }
  cef_string_userfree_t GetStringValue() {
    return value_.IsString() ? NewUserFreeString(value_.AsString()) : nullptr;
  }
  int IsUserCreated() { return Flag(userCreated_); }

  int HasException() { return Flag(exception_.has_value()); }
  cef_v8exception_t* GetException() {
    return exception_ ? NewExceptionRecord(*exception_) : nullptr;
  }
  int ClearException() {
    exception_.reset();
    return 1;
  }
  int WillRethrowExceptions() { return Flag(rethrow_); }
  int SetRethrowExceptions(int rethrow) {
    rethrow_ = rethrow != 0;
    return 1;
  }

  int HasValueByKey(const cef_string_t* key) {
    const script::ObjectPtr* object = Live();
    auto context = LiveContext();
    if (object == nullptr || context == nullptr || key == nullptr) return 0;
    return Flag(context->Has(*object, ToWString(key)));
  }
  int HasValueByIndex(int index) {
    const script::ObjectPtr* object = Live();
    auto context = LiveContext();
    if (object == nullptr || context == nullptr || index < 0) return 0;
    return Flag(context->HasIndex(*object, static_cast<std::uint32_t>(index)));
  }
  int DeleteValueByKey(const cef_string_t* key) {
    if (key == nullptr) return 0;
    return Succeeded(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return Value::Boolean(context.Delete(object, ToWString(key)));
    }));
  }
  int DeleteValueByIndex(int index) {
    if (index < 0) return 0;
    return Succeeded(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return Value::Boolean(context.DeleteIndex(object, static_cast<std::uint32_t>(index)));
    }));
  }
  cef_v8value_t* GetValueByKey(const cef_string_t* key) {
    if (key == nullptr) return nullptr;
    return RecordOf(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return context.Get(object, ToWString(key));
    }));
  }
  cef_v8value_t* GetValueByIndex(int index) {
    if (index < 0) return nullptr;
    return RecordOf(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return context.GetIndex(object, static_cast<std::uint32_t>(index));
    }));
  }
  int SetValueByKey(const cef_string_t* key, cef_v8value_t* value,
                    cef_v8_propertyattribute_t attribute) {
    const auto given = RecordRef<cef_v8value_t>::Adopt(value);
    const ValueRecord* record = Of(given.get());
    if (key == nullptr || record == nullptr) return 0;
    const script::PropertyAttributes attributes = AttributesOf(attribute);
    return Succeeded(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      const std::wstring name = ToWString(key);
      return Value::Boolean(attributes == 0
                                ? context.Put(object, name, record->value_)
                                : context.Define(object, name, record->value_, attributes));
    }));
  }
  int SetValueByIndex(int index, cef_v8value_t* value) {
    const auto given = RecordRef<cef_v8value_t>::Adopt(value);
    const ValueRecord* record = Of(given.get());
    if (index < 0 || record == nullptr) return 0;
    return Succeeded(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return Value::Boolean(
          context.PutIndex(object, static_cast<std::uint32_t>(index), record->value_));
    }));
  }
  int SetValueByAccessor(const cef_string_t* key, cef_v8_accesscontrol_t,
                         cef_v8_propertyattribute_t attribute) {
    if (key == nullptr) return 0;
    const script::PropertyAttributes attributes = AttributesOf(attribute);
    return Succeeded(Attempt([&](script::Context& context, const script::ObjectPtr& object) {
      return Value::Boolean(context.DefineAccessor(object, ToWString(key), attributes));
    }));
  }
  int GetKeys(cef_string_list_t keys) {
    const script::ObjectPtr* object = Live();
    auto context = LiveContext();
    if (object == nullptr || context == nullptr || keys == nullptr) return 0;
    for (const std::wstring& key : context->Keys(*object)) {
      const cef_string_t text = Borrow(key);
      cef_string_list_append(keys, &text);
    }
    return 1;
  }
  int SetUserData(cef_v8value_t* userData) {
    auto given = RecordRef<cef_v8value_t>::Adopt(userData);
    const script::ObjectPtr* object = Live();
    if (object == nullptr) return 0;
    (*object)->userData = given ? std::make_shared<UserData>(UserData{std::move(given)}) : nullptr;
    return 1;
  }
  cef_v8value_t* GetUserData() {
    const script::ObjectPtr* object = Live();
    if (object == nullptr || (*object)->userData == nullptr) return nullptr;
    const auto* data = static_cast<const UserData*>((*object)->userData.get());
    return RecordRef<cef_v8value_t>::Retain(data->record.get()).Detach();
  }
  int GetExternallyAllocatedMemory() { return externalMemory_; }
  int AdjustExternallyAllocatedMemory(int change) {
    const long long total = static_cast<long long>(externalMemory_) + change;
    if (Live() == nullptr || total < 0 || total > std::numeric_limits<int>::max()) {
      return externalMemory_;
    }
    externalMemory_ = static_cast<int>(total);
    return externalMemory_;
  }
  int GetArrayLength() {
    const script::ObjectPtr* object = Live();
    if (object == nullptr || !(*object)->IsArray()) return 0;
    return static_cast<int>((*object)->elements.size());
  }
  cef_string_userfree_t GetFunctionName() {
    const script::ObjectPtr* object = Live();
    if (object == nullptr || !(*object)->IsFunction()) return nullptr;
    return NewUserFreeString((*object)->functionName);
  }
  cef_v8handler_t* GetFunctionHandler() {
    const script::ObjectPtr* object = Live();
    if (object == nullptr || !(*object)->IsFunction()) return nullptr;
    return ProgramHandlerOf((*object)->native.get());
  }

  cef_v8value_t* ExecuteFunction(cef_v8value_t* object, std::size_t count,
                                 cef_v8value_t* const* arguments) {
    return Execute(LiveContext(), object, count, arguments);
  }
  cef_v8value_t* ExecuteFunctionWithContext(cef_v8context_t* context, cef_v8value_t* object,
                                            std::size_t count, cef_v8value_t* const* arguments) {
    auto target = ContextOfRecord(context);
    const auto given = RecordRef<cef_v8context_t>::Adopt(context);
    return Execute(target != nullptr && target->IsValid() ? target : nullptr, object, count,
                   arguments);
  }
  // Gives back every record handed in, whatever it answers.
  cef_v8value_t* Execute(const std::shared_ptr<script::Context>& context, cef_v8value_t* object,
                         std::size_t count, cef_v8value_t* const* arguments) {
    const auto self = RecordRef<cef_v8value_t>::Adopt(object);
    std::vector<RecordRef<cef_v8value_t>> handed;
    if (arguments != nullptr) {
      handed.reserve(count);
      for (std::size_t at = 0; at < count; ++at) {
        handed.push_back(RecordRef<cef_v8value_t>::Adopt(arguments[at]));
      }
    }
    if (context == nullptr || IsFunction() == 0 || Live() == nullptr ||
        (count != 0 && arguments == nullptr)) {
      return nullptr;
    }
    Value thisValue;
    if (self) {
      const ValueRecord* record = Of(self.get());
      if (record == nullptr) return nullptr;
      thisValue = record->value_;
    }
    std::vector<Value> values;
    values.reserve(count);
    for (const auto& argument : handed) {
      const ValueRecord* record = Of(argument.get());
      if (record == nullptr) return nullptr;
      values.push_back(record->value_);
    }
    return RecordOf(Settle(context->Call(value_, thisValue, values)));
  }

  Value value_;
  std::weak_ptr<script::Context> context_;
  const bool userCreated_;
  const std::thread::id thread_ = std::this_thread::get_id();
  std::optional<script::Exception> exception_;
  bool rethrow_ = false;
  int externalMemory_ = 0;
};

void ValueRecord::Bind() {
  cef_v8value_t& r = entries();
  r.is_valid = EntryOf<&ValueRecord::IsValid>;
  r.is_undefined = EntryOf<&ValueRecord::IsUndefined>;
  r.is_null = EntryOf<&ValueRecord::IsNull>;
  r.is_bool = EntryOf<&ValueRecord::IsBool>;
  r.is_int = EntryOf<&ValueRecord::IsInt>;
  r.is_uint = EntryOf<&ValueRecord::IsUInt>;
  r.is_double = EntryOf<&ValueRecord::IsDouble>;
  r.is_date = EntryOf<&ValueRecord::IsDate>;
  r.is_string = EntryOf<&ValueRecord::IsString>;
  r.is_object = EntryOf<&ValueRecord::IsObject>;
  r.is_array = EntryOf<&ValueRecord::IsArray>;
  r.is_function = EntryOf<&ValueRecord::IsFunction>;
  r.is_same = EntryOf<&ValueRecord::IsSame>;
  r.get_bool_value = EntryOf<&ValueRecord::GetBoolValue>;
  r.get_int_value = EntryOf<&ValueRecord::GetIntValue>;
  r.get_uint_value = EntryOf<&ValueRecord::GetUIntValue>;
  r.get_double_value = EntryOf<&ValueRecord::GetDoubleValue>;
  r.get_date_value = EntryOf<&ValueRecord::GetDateValue>;
  r.get_string_value = EntryOf<&ValueRecord::GetStringValue>;
  r.is_user_created = EntryOf<&ValueRecord::IsUserCreated>;
  r.has_exception = EntryOf<&ValueRecord::HasException>;
  r.get_exception = EntryOf<&ValueRecord::GetException>;
  r.clear_exception = EntryOf<&ValueRecord::ClearException>;
  r.will_rethrow_exceptions = EntryOf<&ValueRecord::WillRethrowExceptions>;
  r.set_rethrow_exceptions = EntryOf<&ValueRecord::SetRethrowExceptions>;
  r.has_value_bykey = EntryOf<&ValueRecord::HasValueByKey>;
  r.has_value_byindex = EntryOf<&ValueRecord::HasValueByIndex>;
  r.delete_value_bykey = EntryOf<&ValueRecord::DeleteValueByKey>;
  r.delete_value_byindex = EntryOf<&ValueRecord::DeleteValueByIndex>;
  r.get_value_bykey = EntryOf<&ValueRecord::GetValueByKey>;
  r.get_value_byindex = EntryOf<&ValueRecord::GetValueByIndex>;
  r.set_value_bykey = EntryOf<&ValueRecord::SetValueByKey>;
  r.set_value_byindex = EntryOf<&ValueRecord::SetValueByIndex>;
  r.set_value_byaccessor = EntryOf<&ValueRecord::SetValueByAccessor>;
  r.get_keys = EntryOf<&ValueRecord::GetKeys>;
  r.set_user_data = EntryOf<&ValueRecord::SetUserData>;
  r.get_user_data = EntryOf<&ValueRecord::GetUserData>;
  r.get_externally_allocated_memory = EntryOf<&ValueRecord::GetExternallyAllocatedMemory>;
  r.adjust_externally_allocated_memory = EntryOf<&ValueRecord::AdjustExternallyAllocatedMemory>;
  r.get_array_length = EntryOf<&ValueRecord::GetArrayLength>;
  r.get_function_name = EntryOf<&ValueRecord::GetFunctionName>;
  r.get_function_handler = EntryOf<&ValueRecord::GetFunctionHandler>;
  r.execute_function = EntryOf<&ValueRecord::ExecuteFunction>;
  r.execute_function_with_context = EntryOf<&ValueRecord::ExecuteFunctionWithContext>;
}

std::shared_ptr<script::Context> CurrentContext() {
  script::Interpreter* interpreter = ThreadInterpreter();
  return interpreter == nullptr ? nullptr : interpreter->CurrentContext();
}

cef_v8value_t* NewPrimitive(Value value) {
  return NewValueRecord(std::move(value), CurrentContext());
}

// A new object of the current context made by `make`, or null when this
// thread is in no context.
template <class Make>
cef_v8value_t* NewObjectRecord(Make&& make) {
  auto context = CurrentContext();
  if (context == nullptr || !context->IsValid()) return nullptr;
  script::ObjectPtr object = make(*context);
  if (object == nullptr) return nullptr;
  return NewValueRecord(std::move(object), context, true);
}

}  // namespace

cef_v8value_t* NewValueRecord(Value value, std::weak_ptr<script::Context> context,
                              bool userCreated) {
  return MakeEngineObject<ValueRecord>(std::move(value), std::move(context), userCreated)->record();
}

std::optional<Value> ValueOfRecord(cef_v8value_t* record) {
  const ValueRecord* found = ValueRecord::Of(record);
  if (found == nullptr) return std::nullopt;
  return found->value();
}

}  // namespace devengine::script_values

namespace sv = devengine::script_values;
using devengine::script::Value;

DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_undefined(void) {
  return devengine::Refusing([&]() -> cef_v8value_t* { return sv::NewPrimitive(Value()); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_null(void) {
  return devengine::Refusing([&]() -> cef_v8value_t* { return sv::NewPrimitive(Value::Null()); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_bool(int value) {
  return devengine::Refusing(
      [&]() -> cef_v8value_t* { return sv::NewPrimitive(Value::Boolean(value != 0)); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_int(int32_t value) {
  return devengine::Refusing(
      [&]() -> cef_v8value_t* { return sv::NewPrimitive(Value::Number(value)); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_uint(uint32_t value) {
  return devengine::Refusing(
      [&]() -> cef_v8value_t* { return sv::NewPrimitive(Value::Number(value)); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_double(double value) {
  return devengine::Refusing(
      [&]() -> cef_v8value_t* { return sv::NewPrimitive(Value::Number(value)); });
}
DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_string(const cef_string_t* value) {
  return devengine::Refusing([&]() -> cef_v8value_t* {
    return sv::NewPrimitive(Value::String(devengine::ToWString(value)));
  });
}

DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_date(const cef_time_t* date) {
  return devengine::Refusing([&]() -> cef_v8value_t* {
    if (date == nullptr) return nullptr;
    const auto ticks = devengine::TicksOf(*date);
    if (!ticks) return nullptr;
    const double milliseconds =
        static_cast<double>(*ticks - sv::kUnixEpochTicks) / devengine::kTicksPerMillisecond;
    return sv::NewObjectRecord(
        [&](devengine::script::Context& context) { return context.NewDate(milliseconds); });
  });
}

DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC
cef_v8value_create_object(cef_v8accessor_t* accessor) {
  return devengine::Refusing([&]() -> cef_v8value_t* {
    auto native = accessor == nullptr ? nullptr : sv::NewProgramAccessor(accessor);
    return sv::NewObjectRecord(
        [&](devengine::script::Context& context) { return context.NewObject(native); });
  });
}

DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC cef_v8value_create_array(int length) {
  return devengine::Refusing([&]() -> cef_v8value_t* {
    if (length < 0 || static_cast<std::size_t>(length) > devengine::script::kMaxArrayLength) {
      return nullptr;
    }
    return sv::NewObjectRecord([&](devengine::script::Context& context) {
      return context.NewArray(static_cast<std::size_t>(length));
    });
  });
}

DEVENGINE_EXPORT cef_v8value_t* CEF_EXPORT_CC
cef_v8value_create_function(const cef_string_t* name, cef_v8handler_t* handler) {
  return devengine::Refusing([&]() -> cef_v8value_t* {
    if (handler == nullptr) return nullptr;
    auto native = sv::NewProgramFunction(handler);
    return sv::NewObjectRecord([&](devengine::script::Context& context) {
      return context.NewFunction(devengine::ToWString(name), native);
    });
  });
}
