#include "cef_rtti.h"

#include <algorithm>
#include <climits>

namespace {

// Every descriptor of the process, by identity - 1. Descriptors are made on
// first use from any thread, hence the lock.
struct TRttiPool {
  std::mutex Lock;
  std::vector<std::unique_ptr<TRttiType>> Types;
};

TRttiPool& Pool() {
  static TRttiPool pool;
  return pool;
}

const TRttiType* Ordinal(TTypeKind kind, const wchar_t* name, TOrdType ordType, int64_t minValue,
                         int64_t maxValue) {
  return AddRttiType<TRttiOrdinalType>(kind, name, ordType, minValue, maxValue);
}

// The members `own` gives of `type` and of each of its ancestors in turn.
template <class TMember, class TType, class Own>
std::vector<const TMember*> Gathered(const TType* type, Own own) {
  std::vector<const TMember*> members;
  for (; type; type = static_cast<const TType*>(type->BaseType()))
    for (const TMember& member : own(type)) members.push_back(&member);
  return members;
}

template <class TMember>
const TMember* Named(const std::vector<const TMember*>& members, const ustring& name) {
  const auto found = std::find_if(members.begin(), members.end(),
                                  [&](const TMember* member) { return member->Name() == name; });
  return found == members.end() ? nullptr : *found;
}

}  // namespace

const TRttiType* AddRttiType(std::unique_ptr<TRttiType> type) {
  TRttiPool& pool = Pool();
  const std::lock_guard<std::mutex> guard(pool.Lock);
  type->FIdentity = static_cast<uint32_t>(pool.Types.size() + 1);
  pool.Types.push_back(std::move(type));
  return pool.Types.back().get();
}

const TRttiType* TRttiContext::FindType(uint32_t identity) const {
  TRttiPool& pool = Pool();
  const std::lock_guard<std::mutex> guard(pool.Lock);
  if (identity == 0 || identity > pool.Types.size()) return nullptr;
  return pool.Types[identity - 1].get();
}

TClass TRttiContext::FindClass(uint32_t identity) const {
  const TRttiType* type = FindType(identity);
  if (!type || type->Kind() != TTypeKind::Class) return nullptr;
  return static_cast<TClass>(type);
}

size_t TRttiOrdinalType::Size() const noexcept {
  switch (FOrdType) {
    case TOrdType::SByte:
    case TOrdType::UByte:
      return 1;
    case TOrdType::SWord:
    case TOrdType::UWord:
      return 2;
    default:
      return 4;
  }
}

TValue TRttiMethod::Invoke(const TValue& self, std::span<const TValue> arguments) const {
  if (arguments.size() != FParameters.size()) throw EInvalidCast(L"Parameter count mismatch");
  const bool instanceMethod = FKind == TMethodKind::Procedure || FKind == TMethodKind::Function;
  if (!instanceMethod && !IsClassMethod())
    throw EInvalidCast(L"Constructors, destructors and other methods cannot be invoked");
  if (instanceMethod && self.IsEmpty()) throw EInvalidCast(L"A method called without its instance");
  return FCode(self, arguments);
}

TValue TRttiProperty::GetValue(TObject* instance) const {
  if (!FGetter) throw EInvalidCast(L"Property " + Name() + L" cannot be read");
  return FGetter(instance);
}

void TRttiProperty::SetValue(TObject* instance, const TValue& value) const {
  if (!FSetter) throw EInvalidCast(L"Property " + Name() + L" cannot be written");
  FSetter(instance, value);
}

const TRttiStructuredType* TRttiStructuredType::BaseType() const {
  return FBase ? static_cast<const TRttiStructuredType*>(FBase()) : nullptr;
}

std::vector<const TRttiMethod*> TRttiStructuredType::GetMethods() const {
  return Gathered<TRttiMethod>(
      this, [](const TRttiStructuredType* type) -> auto& { return type->FMethods; });
}

const TRttiMethod* TRttiStructuredType::GetMethod(const ustring& name) const {
  return Named(GetMethods(), name);
}

TRttiInstanceType::TRttiInstanceType(ustring name, TTypeResolver base,
                                     std::vector<TRttiMethod> methods,
                                     std::vector<TRttiProperty> properties,
                                     std::vector<TRttiField> fields)
    : TRttiStructuredType(TTypeKind::Class, std::move(name), base, std::move(methods)),
      FProperties(std::move(properties)),
      FFields(std::move(fields)) {}

TRttiInstanceType::~TRttiInstanceType() = default;

bool TRttiInstanceType::InheritsFrom(TClass ancestor) const {
  for (TClass type = this; type; type = type->BaseClass())
    if (type == ancestor) return true;
  return false;
}

std::vector<const TRttiProperty*> TRttiInstanceType::GetProperties() const {
  return Gathered<TRttiProperty>(
      this, [](TClass type) -> auto& { return type->FProperties; });
}

std::vector<const TRttiField*> TRttiInstanceType::GetFields() const {
  return Gathered<TRttiField>(
      this, [](TClass type) -> auto& { return type->FFields; });
}

const TRttiProperty* TRttiInstanceType::GetProperty(const ustring& name) const {
  return Named(GetProperties(), name);
}

const TRttiField* TRttiInstanceType::GetField(const ustring& name) const {
  return Named(GetFields(), name);
}

const TRttiClassRefType* TRttiInstanceType::MetaclassType() const {
  std::call_once(FMetaclassOnce, [this] {
    FMetaclass = AddRttiType<TRttiClassRefType>(L"class of " + Name(), this);
  });
  return FMetaclass;
}

TClass TObject::ClassInfo() {
  static const TClass info =
      AddRttiType<TRttiInstanceType>(L"TObject", nullptr, std::vector<TRttiMethod>{},
                                     std::vector<TRttiProperty>{}, std::vector<TRttiField>{});
  return info;
}

TValue TValue::FromObject(TObject* object) {
  return TValue(object ? object->ClassType() : TObject::ClassInfo(), object);
}

TValue TValue::FromClass(TClass cls) {
  return TValue((cls ? cls : TObject::ClassInfo())->MetaclassType(), cls);
}

void TValue::CheckType(const TRttiType* expected) const {
  if (FType != expected) throw EInvalidCast(L"Invalid class typecast");
}

const TRttiType* MakeSubrangeType(int64_t minValue, int64_t maxValue, TOrdType ordType) {
  return Ordinal(TTypeKind::Integer,
                 (std::to_wstring(minValue) + L".." + std::to_wstring(maxValue)).c_str(), ordType,
                 minValue, maxValue);
}

const TRttiType* MakeSetType(size_t size, TTypeResolver element) {
  return AddRttiType<TRttiSetType>(L"set", size, element);
}

// The language's own types, one descriptor each.
#define NIMBRA_RTTI_BUILTIN(T, make)           \
  const TRttiType* RttiTypeInfo(TTypeTag<T>) { \
    static const TRttiType* const type = make; \
    return type;                               \
  }

using TScriptValue = TInterfacePtr<ICefv8Value>;
constexpr auto kInteger = TTypeKind::Integer;

NIMBRA_RTTI_BUILTIN(int8_t, Ordinal(kInteger, L"int8_t", TOrdType::SByte, INT8_MIN, INT8_MAX))
NIMBRA_RTTI_BUILTIN(uint8_t, Ordinal(kInteger, L"uint8_t", TOrdType::UByte, 0, UINT8_MAX))
NIMBRA_RTTI_BUILTIN(int16_t, Ordinal(kInteger, L"int16_t", TOrdType::SWord, INT16_MIN, INT16_MAX))
NIMBRA_RTTI_BUILTIN(uint16_t, Ordinal(kInteger, L"uint16_t", TOrdType::UWord, 0, UINT16_MAX))
NIMBRA_RTTI_BUILTIN(int32_t, Ordinal(kInteger, L"int32_t", TOrdType::SLong, INT32_MIN, INT32_MAX))
NIMBRA_RTTI_BUILTIN(uint32_t, Ordinal(kInteger, L"uint32_t", TOrdType::ULong, 0, UINT32_MAX))
NIMBRA_RTTI_BUILTIN(char, Ordinal(TTypeKind::Char, L"char", TOrdType::UByte, 0, UINT8_MAX))
NIMBRA_RTTI_BUILTIN(wchar_t, Ordinal(TTypeKind::WChar, L"wchar_t", TOrdType::UWord, 0, UINT16_MAX))
NIMBRA_RTTI_BUILTIN(bool, AddRttiType<TRttiEnumerationType>(L"bool", TOrdType::UByte,
                                                            std::vector<ustring>{L"false", L"true"},
                                                            true))
NIMBRA_RTTI_BUILTIN(int64_t, AddRttiType<TRttiInt64Type>(L"int64_t", false))
NIMBRA_RTTI_BUILTIN(uint64_t, AddRttiType<TRttiInt64Type>(L"uint64_t", true))
NIMBRA_RTTI_BUILTIN(float, AddRttiType<TRttiFloatType>(L"float", TFloatType::Single, false))
NIMBRA_RTTI_BUILTIN(double, AddRttiType<TRttiFloatType>(L"double", TFloatType::Double, false))
NIMBRA_RTTI_BUILTIN(long double,
                    AddRttiType<TRttiFloatType>(L"long double", TFloatType::Extended, false))
NIMBRA_RTTI_BUILTIN(TComp, AddRttiType<TRttiFloatType>(L"TComp", TFloatType::Comp, false))
NIMBRA_RTTI_BUILTIN(TCurrency,
                    AddRttiType<TRttiFloatType>(L"TCurrency", TFloatType::Currency, false))
NIMBRA_RTTI_BUILTIN(TDateTime, AddRttiType<TRttiFloatType>(L"TDateTime", TFloatType::Double, true))
NIMBRA_RTTI_BUILTIN(std::string, AddRttiType<TRttiType>(TTypeKind::NarrowString, L"std::string"))
NIMBRA_RTTI_BUILTIN(ustring, AddRttiType<TRttiType>(TTypeKind::UnicodeString, L"ustring"))
NIMBRA_RTTI_BUILTIN(TWideString, AddRttiType<TRttiType>(TTypeKind::WideString, L"TWideString"))
NIMBRA_RTTI_BUILTIN(TVariant, AddRttiType<TRttiType>(TTypeKind::Variant, L"TVariant"))
NIMBRA_RTTI_BUILTIN(void*, AddRttiType<TRttiType>(TTypeKind::Pointer, L"void*"))
NIMBRA_RTTI_BUILTIN(TScriptValue, AddRttiType<TRttiInterfaceType>(L"ICefv8Value", nullptr,
                                                                  std::vector<TRttiMethod>{}))
