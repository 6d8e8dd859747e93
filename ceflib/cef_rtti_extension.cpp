#include "cef_rtti_extension.h"

#include <windows.h>

#include <charconv>
#include <cmath>
#include <cwchar>
#include <initializer_list>

#include "cef_api.h"
#include "cef_loader.h"

namespace {

using PValue = TInterfacePtr<ICefv8Value>;
using V8 = TCefv8ValueRef;

// A script array may contain itself: nesting deeper than this is refused
// instead of followed.
constexpr int kMaxDepth = 64;
// Doubles hold every integer below 2^53 exactly; no address reaches it.
constexpr uint64_t kAddressLimit = uint64_t{1} << 53;
constexpr auto kNoAttributes = V8_PROPERTY_ATTRIBUTE_NONE;

ustring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  ustring wide(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string AnsiFromWide(const ustring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string narrow(
      WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), static_cast<int>(narrow.size()),
                      nullptr, nullptr);
  return narrow;
}

// A decimal integer with an optional sign, nothing around it.
template <class T>
T ParseInteger(const ustring& text) {
  std::string digits;
  for (wchar_t c : text) digits += c < 128 ? static_cast<char>(c) : '?';
  const char* first = digits.data();
  const char* last = first + digits.size();
  if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
  T value{};
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last)
    throw EConvertError(L"'" + text + L"' is not a valid integer value");
  return value;
}

// Rounds to the nearest integer, ties to even; false beyond 64 bits.
bool RoundedInt64(double value, int64_t& rounded) {
  const double whole = std::nearbyint(value);
  if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) return false;
  rounded = static_cast<int64_t>(whole);
  return true;
}

PValue NewIdentity(uint32_t identity) { return V8::NewInt(static_cast<int32_t>(identity)); }

uint32_t IdentityOf(const PValue& value) {
  return value && value->IsInt() ? static_cast<uint32_t>(value->GetIntValue()) : 0;
}

PValue NewAddress(const void* address) {
  const auto bits = reinterpret_cast<uintptr_t>(address);
  if constexpr (sizeof bits == 4) {
    return V8::NewInt(static_cast<int32_t>(bits));
  } else {
    if (bits >= kAddressLimit) throw EInvalidCast(L"An address too wide for script");
    return V8::NewDouble(static_cast<double>(bits));
  }
}

void* AddressOf(const PValue& value) {
  if (!value) return nullptr;
  if constexpr (sizeof(uintptr_t) == 4) {
    if (!value->IsInt() && !value->IsUInt()) return nullptr;
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value->GetUIntValue()));
  } else {
    if (!value->IsInt() && !value->IsUInt() && !value->IsDouble()) return nullptr;
    const double number = value->GetDoubleValue();
    if (!(number >= 0 && number < static_cast<double>(kAddressLimit)) ||
        std::floor(number) != number)
      return nullptr;
    return reinterpret_cast<void*>(static_cast<uintptr_t>(number));
  }
}

// What a wrapper's user data records; no type for anything else.
struct TWrapperData {
  const TRttiType* Type = nullptr;
  PValue Native;
};

TWrapperData ReadUserData(const TRttiContext& context, const PValue& data) {
  if (!data->IsArray()) return {};
  const int length = data->GetArrayLength();
  if (length < 1) return {};
  return {context.FindType(IdentityOf(data->GetValueByIndex(0))),
          length > 1 ? data->GetValueByIndex(1) : nullptr};
}

// The wrapper a script value stands for; no type for any other value.
TWrapperData WrapperOf(const TRttiContext& context, const PValue& value) {
  if (!value->IsObject()) return {};
  const PValue userData = value->GetUserData();
  return userData ? ReadUserData(context, userData) : TWrapperData{};
}

PValue NewUserData(std::initializer_list<PValue> elements) {
  PValue data = V8::NewArray(static_cast<int>(elements.size()));
  if (!data) return nullptr;
  int index = 0;
  for (const PValue& element : elements) data->SetValueByIndex(index++, element);
  return data;
}

PValue NewWrapper(const PValue& userData) {
  if (!userData) return nullptr;
  PValue wrapper = V8::NewObject(nullptr);
  if (wrapper) wrapper->SetUserData(userData);
  return wrapper;
}

// The first member of that name that script may see: private and protected
// members stay hidden even where they share a public member's name.
template <class TMember>
const TMember* FirstExposed(const std::vector<const TMember*>& members, const ustring& name) {
  for (const TMember* member : members)
    if (member->Name() == name && member->IsExposed()) return member;
  return nullptr;
}

uint64_t UnsignedOf(const TVariant& variant) {
  if (const auto* value = std::get_if<uint64_t>(&variant.Payload())) return *value;
  return static_cast<uint64_t>(variant.AsInt64());
}

PValue VariantToScript(const TVariant& variant) {
  switch (variant.VarType()) {
    case TVarType::Empty:
      return V8::NewUndefined();
    case TVarType::Null:
      return V8::NewNull();
    case TVarType::ShortInt:
    case TVarType::SmallInt:
    case TVarType::Integer:
      return V8::NewInt(static_cast<int32_t>(variant.AsInt64()));
    case TVarType::Byte:
    case TVarType::Word:
    case TVarType::LongWord:
      return V8::NewUInt(static_cast<uint32_t>(UnsignedOf(variant)));
    case TVarType::Single:
    case TVarType::Double:
      return V8::NewDouble(variant.AsDouble());
    case TVarType::Currency:
      return V8::NewDouble(static_cast<double>(variant.AsInt64()) / 10000.0);
    case TVarType::Int64:
      return V8::NewDouble(static_cast<double>(variant.AsInt64()));
    case TVarType::UInt64:
      return V8::NewDouble(static_cast<double>(UnsignedOf(variant)));
    case TVarType::OleStr:
    case TVarType::UString:
      return V8::NewString(variant.AsUString());
    case TVarType::String:
      return V8::NewString(WideFromAnsi(variant.AsString()));
    case TVarType::Boolean:
      return V8::NewBool(variant.AsBoolean());
    default:
      return nullptr;
  }
}

double FloatOf(const TRttiFloatType* type, const TValue& boxed) {
  switch (type->FloatType()) {
    case TFloatType::Comp:
      return static_cast<double>(boxed.AsOrdinal());
    case TFloatType::Currency:
      return static_cast<double>(boxed.AsOrdinal()) / 10000.0;
    default:
      return static_cast<double>(boxed.AsExtended());
  }
}

bool FloatToNative(const TRttiFloatType* type, double number, TValue& boxed) {
  int64_t whole = 0;
  switch (type->FloatType()) {
    case TFloatType::Single:
      boxed = TValue(type, static_cast<long double>(static_cast<float>(number)));
      return true;
    case TFloatType::Comp:
      if (!RoundedInt64(number, whole)) return false;
      boxed = TValue(type, whole);
      return true;
    case TFloatType::Currency:
      if (!RoundedInt64(number * 10000.0, whole)) return false;
      boxed = TValue(type, whole);
      return true;
    default:
      boxed = TValue(type, static_cast<long double>(number));
      return true;
  }
}

}  // namespace

TCefRTTIExtension::TCefRTTIExtension(const TValue& value) : FValue(value) {}

TCefRTTIExtension::~TCefRTTIExtension() = default;

ustring TCefRTTIExtension::ExtensionText(const ustring& name) {
  // The name goes into a quoted script text: quotes and line breaks in it
  // must not end the text early.
  ustring quoted;
  for (wchar_t c : name) {
    if (c == L'\\' || c == L'\'') quoted += L'\\';
    if (c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029) {
      wchar_t escape[8];
      swprintf(escape, 8, L"\\u%04x", static_cast<unsigned>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return L"__defineSetter__('" + quoted + L"', function(v){native function $s();$s(v)});" +
         L"__defineGetter__('" + quoted + L"', function(){native function $g();return $g()});";
}

void TCefRTTIExtension::Register(const ustring& name, const TValue& value) {
  const TInterfacePtr<ICefv8Handler> extension = CefNew<TCefRTTIExtension>(value);
  const ustring text = ExtensionText(name);
  if (!CefApi.cef_register_extension) LoadEngine();
  if (!CefApi.cef_register_extension) return;
  CefApi.cef_register_extension(CefArg(name), CefArg(text),
                                static_cast<cef_v8handler_t*>(CefRecordOf(extension)));
}

bool TCefRTTIExtension::Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
                                const TCefv8ValueArray& arguments,
                                TInterfacePtr<ICefv8Value>& retval, ustring& exception) {
  try {
    return Dispatch(name, object, arguments, retval);
  } catch (const Exception& error) {
    exception = error.Message().empty() ? ustring(error.ClassName()) : error.Message();
  } catch (const std::exception& error) {
    exception = Utf8ToWide(error.what());
  }
  if (exception.empty()) exception = L"Error in native code";
  retval = nullptr;
  return true;
}

bool TCefRTTIExtension::Dispatch(const ustring& name, const PValue& object,
                                 const TCefv8ValueArray& arguments, PValue& retval) {
  if (!object) return false;
  const PValue userData = object->GetUserData();
  if (!userData) {
    if (name == L"$g") {
      NativeToScript(FValue, retval);
      return true;
    }
    if (name == L"$s") {
      if (arguments.empty()) return false;
      TValue assigned;
      if (ScriptToNative(FValue.TypeInfo(), arguments[0], assigned)) FValue = assigned;
      return true;
    }
    return false;
  }

  const TWrapperData wrapper = ReadUserData(FCtx, userData);
  if (!wrapper.Type) return false;
  if (wrapper.Type->Kind() == TTypeKind::Class)
    return DispatchMember(name, static_cast<TObject*>(AddressOf(wrapper.Native)),
                          static_cast<TClass>(wrapper.Type), arguments, retval);
  if (wrapper.Type->Kind() == TTypeKind::ClassRef && !name.starts_with(L"$")) {
    const TClass cls = FCtx.FindClass(IdentityOf(wrapper.Native));
    const TRttiMethod* method = cls ? FirstExposed(cls->GetMethods(), name) : nullptr;
    return method && Call(*method, nullptr, cls, arguments, retval);
  }
  return false;
}

bool TCefRTTIExtension::DispatchMember(const ustring& name, TObject* instance, TClass cls,
                                       const TCefv8ValueArray& arguments, PValue& retval) {
  if (!name.starts_with(L"$")) {
    const TRttiMethod* method = FirstExposed(cls->GetMethods(), name);
    return method && Call(*method, instance, cls, arguments, retval);
  }
  if (!instance) return false;
  const ustring prefix = name.substr(0, 3);
  const ustring member = name.size() > 3 ? name.substr(3) : ustring();
  const bool setter = prefix == L"$ps" || prefix == L"$vs";
  if (setter && arguments.empty()) return false;
  TValue assigned;

  if (prefix == L"$pg" || prefix == L"$ps") {
    const TRttiProperty* property = FirstExposed(cls->GetProperties(), member);
    if (!property) return false;
    if (!setter)
      return property->IsReadable() && NativeToScript(property->GetValue(instance), retval);
    if (!property->IsWritable() ||
        !ScriptToNative(property->PropertyType(), arguments[0], assigned))
      return false;
    property->SetValue(instance, assigned);
    return true;
  }
  if (prefix == L"$vg" || prefix == L"$vs") {
    const TRttiField* field = FirstExposed(cls->GetFields(), member);
    if (!field) return false;
    if (!setter) return NativeToScript(field->GetValue(instance), retval);
    if (!ScriptToNative(field->FieldType(), arguments[0], assigned)) return false;
    field->SetValue(instance, assigned);
    return true;
  }
  return false;
}

bool TCefRTTIExtension::Call(const TRttiMethod& method, TObject* instance, TClass cls,
                             const TCefv8ValueArray& arguments, PValue& retval) {
  const std::vector<TRttiParameter>& parameters = method.Parameters();
  if (arguments.size() != parameters.size()) return false;
  std::vector<TValue> values(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i)
    if (!ScriptToNative(parameters[i].ParamType(), arguments[i], values[i])) return false;

  TValue self;
  switch (method.MethodKind()) {
    case TMethodKind::Procedure:
    case TMethodKind::Function:
      if (!instance) return false;
      self = TValue::FromObject(instance);
      break;
    case TMethodKind::ClassProcedure:
    case TMethodKind::ClassFunction:
      self = TValue::FromClass(cls);
      break;
    default:
      return false;
  }
  const TValue result = method.Invoke(self, values);
  if (method.ReturnType()) return NativeToScript(result, retval);
  return true;
}

bool TCefRTTIExtension::ScriptToNative(const TRttiType* type, const PValue& value, TValue& boxed,
                                       int depth) {
  if (!type || !value) return false;
  switch (type->Kind()) {
    case TTypeKind::Integer:
    case TTypeKind::Enumeration: {
      if (!value->IsInt() && !value->IsBool()) return false;
      const int64_t number =
          value->IsBool() ? int64_t{value->GetBoolValue()} : value->GetIntValue();
      const auto* ordinal = static_cast<const TRttiOrdinalType*>(type);
      if (number < ordinal->MinValue() || number > ordinal->MaxValue()) return false;
      boxed = TValue(type, number);
      return true;
    }
    case TTypeKind::Set: {
      if (!value->IsInt()) return false;
      const size_t size = static_cast<const TRttiSetType*>(type)->Size();
      const uint32_t mask = size >= 4 ? UINT32_MAX : (uint32_t{1} << (8 * size)) - 1;
      boxed = TValue(type, int64_t{static_cast<uint32_t>(value->GetIntValue()) & mask});
      return true;
    }
    case TTypeKind::Int64: {
      const ustring text = value->GetStringValue();
      boxed = static_cast<const TRttiInt64Type*>(type)->IsUnsigned()
                  ? TValue(type, static_cast<int64_t>(ParseInteger<uint64_t>(text)))
                  : TValue(type, ParseInteger<int64_t>(text));
      return true;
    }
    case TTypeKind::Float: {
      double number = 0;
      if (value->IsDouble() || value->IsInt())
        number = value->GetDoubleValue();
      else if (value->IsDate())
        number = value->GetDateValue();
      else
        return false;
      return FloatToNative(static_cast<const TRttiFloatType*>(type), number, boxed);
    }
    case TTypeKind::NarrowString:
      if (!value->IsString()) return false;
      boxed = TValue(type, AnsiFromWide(value->GetStringValue()));
      return true;
    case TTypeKind::WideString:
    case TTypeKind::UnicodeString:
      if (!value->IsString()) return false;
      boxed = TValue(type, value->GetStringValue());
      return true;
    case TTypeKind::Variant: {
      TVariant variant;
      if (!ScriptToVariant(value, variant, depth)) return false;
      boxed = TValue(type, std::move(variant));
      return true;
    }
    case TTypeKind::Class: {
      const TWrapperData wrapper = WrapperOf(FCtx, value);
      if (!wrapper.Type || wrapper.Type->Kind() != TTypeKind::Class ||
          !static_cast<TClass>(wrapper.Type)->InheritsFrom(static_cast<TClass>(type)))
        return false;
      auto* object = static_cast<TObject*>(AddressOf(wrapper.Native));
      if (!object) return false;
      boxed = TValue(type, object);
      return true;
    }
    case TTypeKind::ClassRef: {
      // Class wrappers record a class-reference type, so they come back here;
      // the class must be the declared one or derive from it.
      const TWrapperData wrapper = WrapperOf(FCtx, value);
      if (!wrapper.Type || wrapper.Type->Kind() != TTypeKind::ClassRef) return false;
      const uint32_t identity = IdentityOf(wrapper.Native);
      const TClass cls = FCtx.FindClass(identity);
      if (identity && !cls) return false;
      if (cls && !cls->InheritsFrom(static_cast<const TRttiClassRefType*>(type)->InstanceType()))
        return false;
      boxed = TValue(type, cls);
      return true;
    }
    case TTypeKind::Record:
      return ScriptToRecord(static_cast<const TRttiRecordType*>(type), value, boxed, depth);
    case TTypeKind::Interface:
      if (type != TypeInfoOf<PValue>()) return false;
      boxed = TValue(type, TInterfacePtr<ICefBase>(value.get()));
      return true;
    default:
      return false;
  }
}

bool TCefRTTIExtension::ScriptToVariant(const PValue& value, TVariant& variant, int depth) {
  if (value->IsString()) {
    variant = TVariant(value->GetStringValue());
  } else if (value->IsBool()) {
    variant = TVariant(value->GetBoolValue());
  } else if (value->IsInt()) {
    variant = TVariant(value->GetIntValue());
  } else if (value->IsDouble()) {
    variant = TVariant(value->GetDoubleValue());
  } else if (value->IsUndefined()) {
    variant = TVariant();
  } else if (value->IsNull()) {
    variant = TVariant::Null();
  } else if (value->IsArray() && depth < kMaxDepth) {
    TVariant::TArray items;
    const int length = value->GetArrayLength();
    for (int i = 0; i < length; ++i) {
      const PValue item = value->GetValueByIndex(i);
      TVariant element;
      if (!item || !ScriptToVariant(item, element, depth + 1)) return false;
      items.push_back(std::move(element));
    }
    variant = TVariant(std::move(items));
  } else {
    return false;
  }
  return true;
}

bool TCefRTTIExtension::ScriptToRecord(const TRttiRecordType* type, const PValue& value,
                                       TValue& boxed, int depth) {
  if (!value->IsObject() || depth >= kMaxDepth) return false;
  const std::shared_ptr<void> record = type->NewRecord();
  for (const TRttiField& field : type->GetFields()) {
    const PValue fieldValue = value->GetValueByKey(field.Name());
    TValue converted;
    if (!ScriptToNative(field.FieldType(), fieldValue, converted, depth + 1)) return false;
    field.SetValue(record.get(), converted);
  }
  boxed = TValue(type, record);
  return true;
}

bool TCefRTTIExtension::NativeToScript(const TValue& boxed, PValue& value) {
  value = nullptr;
  const TRttiType* type = boxed.TypeInfo();
  if (!type) return false;
  switch (type->Kind()) {
    case TTypeKind::Integer: {
      // Unsigned 32-bit values keep their value rather than wrap to negative.
      const bool wide = static_cast<const TRttiOrdinalType*>(type)->OrdType() == TOrdType::ULong;
      value = wide ? V8::NewUInt(static_cast<uint32_t>(boxed.AsOrdinal()))
                   : V8::NewInt(static_cast<int32_t>(boxed.AsOrdinal()));
      break;
    }
    case TTypeKind::Char:
      value = V8::NewString(WideFromAnsi(std::string(1, static_cast<char>(boxed.AsOrdinal()))));
      break;
    case TTypeKind::WChar:
      value = V8::NewString(ustring(1, static_cast<wchar_t>(boxed.AsOrdinal())));
      break;
    case TTypeKind::NarrowString:
      value = V8::NewString(WideFromAnsi(boxed.AsNarrow()));
      break;
    case TTypeKind::WideString:
    case TTypeKind::UnicodeString:
      value = V8::NewString(boxed.AsUString());
      break;
    case TTypeKind::Enumeration:
      value = static_cast<const TRttiEnumerationType*>(type)->IsBoolean()
                  ? V8::NewBool(boxed.AsOrdinal() != 0)
                  : V8::NewInt(static_cast<int32_t>(boxed.AsOrdinal()));
      break;
    case TTypeKind::Float: {
      const auto* floating = static_cast<const TRttiFloatType*>(type);
      value = floating->IsDateTime() ? V8::NewDate(FloatOf(floating, boxed))
                                     : V8::NewDouble(FloatOf(floating, boxed));
      break;
    }
    case TTypeKind::Int64:
      value = V8::NewDouble(static_cast<const TRttiInt64Type*>(type)->IsUnsigned()
                                ? static_cast<double>(static_cast<uint64_t>(boxed.AsOrdinal()))
                                : static_cast<double>(boxed.AsOrdinal()));
      break;
    case TTypeKind::Class:
      value = ObjectWrapper(boxed.AsObject());
      break;
    case TTypeKind::ClassRef:
      value = ClassWrapper(static_cast<const TRttiClassRefType*>(type), boxed.AsClass());
      break;
    case TTypeKind::Interface:
      value = InterfaceWrapper(static_cast<const TRttiInterfaceType*>(type), boxed.AsInterface());
      break;
    case TTypeKind::Record:
      value = RecordObject(static_cast<const TRttiRecordType*>(type), boxed.RecordData());
      break;
    case TTypeKind::Variant:
      value = VariantToScript(boxed.AsVariant());
      break;
    default:
      break;
  }
  return value != nullptr;
}

PValue TCefRTTIExtension::ObjectWrapper(TObject* object) {
  // Nil has no class to describe: script sees null.
  if (!object) return V8::NewNull();
  const TClass cls = object->ClassType();
  const PValue wrapper =
      NewWrapper(NewUserData({NewIdentity(cls->Identity()), NewAddress(object)}));
  if (!wrapper) return nullptr;
  AddFunctions(wrapper, cls->GetMethods(), false);
  AddAccessors(wrapper, cls);
  return wrapper;
}

PValue TCefRTTIExtension::ClassWrapper(const TRttiClassRefType* declared, TClass cls) {
  const TRttiClassRefType* metaclass = cls ? cls->MetaclassType() : declared;
  const PValue wrapper = NewWrapper(
      NewUserData({NewIdentity(metaclass->Identity()), NewIdentity(cls ? cls->Identity() : 0)}));
  if (wrapper && cls) AddFunctions(wrapper, cls->GetMethods(), true);
  return wrapper;
}

PValue TCefRTTIExtension::InterfaceWrapper(const TRttiInterfaceType* type,
                                           const TInterfacePtr<ICefBase>& intf) {
  if (!intf) return V8::NewNull();
  const PValue wrapper =
      NewWrapper(NewUserData({NewIdentity(type->Identity()), NewAddress(intf.get())}));
  if (wrapper) AddFunctions(wrapper, type->GetMethods(), false);
  return wrapper;
}

PValue TCefRTTIExtension::RecordObject(const TRttiRecordType* type, const void* data) {
  const PValue object = NewWrapper(NewUserData({NewIdentity(type->Identity())}));
  if (!object) return nullptr;
  for (const TRttiField& field : type->GetFields()) {
    PValue fieldValue;
    if (!NativeToScript(field.GetValue(data), fieldValue)) return nullptr;
    object->SetValueByKey(field.Name(), fieldValue, kNoAttributes);
  }
  return object;
}

void TCefRTTIExtension::AddFunctions(const PValue& wrapper,
                                     const std::vector<const TRttiMethod*>& methods,
                                     bool classMethodsOnly) {
  const TInterfacePtr<ICefv8Handler> handler(this);
  for (const TRttiMethod* method : methods) {
    if (!method->IsExposed() || (classMethodsOnly && !method->IsClassMethod())) continue;
    wrapper->SetValueByKey(method->Name(), V8::NewFunction(method->Name(), handler), kNoAttributes);
  }
}

void TCefRTTIExtension::AddAccessors(const PValue& wrapper, TClass cls) {
  const TInterfacePtr<ICefv8Handler> handler(this);
  PValue defineGetter, defineSetter;
  bool fetched = false;
  // Makes `member` an accessor property of the wrapper, answered by `native`.
  auto install = [&](bool getter, const ustring& member, const ustring& native) {
    if (!fetched) {
      defineGetter = wrapper->GetValueByKey(L"__defineGetter__");
      defineSetter = wrapper->GetValueByKey(L"__defineSetter__");
      fetched = true;
    }
    const PValue& define = getter ? defineGetter : defineSetter;
    if (define)
      define->ExecuteFunction(wrapper, {V8::NewString(member), V8::NewFunction(native, handler)});
  };
  for (const TRttiProperty* property : cls->GetProperties()) {
    if (!property->IsExposed()) continue;
    if (property->IsReadable()) install(true, property->Name(), L"$pg" + property->Name());
    if (property->IsWritable()) install(false, property->Name(), L"$ps" + property->Name());
  }
  for (const TRttiField* field : cls->GetFields()) {
    if (!field->IsExposed()) continue;
    install(true, field->Name(), L"$vg" + field->Name());
    install(false, field->Name(), L"$vs" + field->Name());
  }
}
