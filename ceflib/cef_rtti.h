// The reflection facility: what the script bridge may know of native types.
//
// Every type the bridge meets has one descriptor (TRttiType), made on first use
// and kept until the process ends, so a descriptor's address and its identity
// (a small number, the same width on every target) stay valid for as long as
// any script wrapper records them. The language's own types are described
// already; classes (derived from TObject), records, enumerations and
// interfaces describe themselves with the builders of cef_rtti_builders.h.
//
// Values cross the facility boxed in TValue: the descriptor of their type and
// the value. Descriptors are read-only once built and may be read from any
// thread; boxed values belong to the thread that made them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "sysutils.h"
#include "cef_forward.h"
#include "cef_variant.h"

class TObject;
class TRttiType;
class TRttiInstanceType;
class TRttiClassRefType;
class TValue;

// A class, as a value: its descriptor.
using TClass = const TRttiInstanceType*;
// A descriptor found when it is first asked for, so that types may name each
// other in any order.
using TTypeResolver = const TRttiType* (*)();

// A boxed value is not of the type it is read as, or a call does not fit.
class EInvalidCast : public Exception {
 public:
  using Exception::Exception;
  const wchar_t* ClassName() const noexcept override { return L"EInvalidCast"; }
};

// ---- Types the language lacks ------------------------------------------------------

// The smallest ordinal storage that holds Min .. Max.
template <int64_t Min, int64_t Max>
using TOrdinalStorage = std::conditional_t<
    Min >= 0,
    std::conditional_t<Max <= UINT8_MAX, uint8_t,
                       std::conditional_t<Max <= UINT16_MAX, uint16_t, uint32_t>>,
    std::conditional_t<Min >= INT8_MIN && Max <= INT8_MAX, int8_t,
                       std::conditional_t<Min >= INT16_MIN && Max <= INT16_MAX, int16_t, int32_t>>>;

// An integer declared with the range Min .. Max.
template <int64_t Min, int64_t Max>
struct TSubrange {
  static_assert(Min <= Max && Min >= INT32_MIN && Max <= UINT32_MAX);
  TOrdinalStorage<Min, Max> Value{};
};

// A set of the first Count members of the enumeration E, one bit each.
template <class E, size_t Count>
struct TSet {
  static_assert(Count >= 1 && Count <= 32, "a set has 1 to 32 members");
  TOrdinalStorage<0, (int64_t{1} << Count) - 1> Value{};
  bool Contains(E member) const { return (Value >> static_cast<unsigned>(member)) & 1u; }
};

// A 64-bit integer held as a floating type.
struct TComp {
  int64_t Value = 0;
};
// A fixed-point amount: the 64-bit integer is the amount times 10 000.
struct TCurrency {
  int64_t Value = 0;
};
// Local date-time: days since 30 December 1899, the time of day as fraction.
struct TDateTime {
  double Value = 0;
};
// Text of the platform's wide-string type (as opposed to the native ustring).
struct TWideString {
  ustring Text;
};
// A class reference limited to T and its descendants.
template <class T>
struct TClassRef {
  TClass Value = nullptr;
};

// ---- Descriptors -------------------------------------------------------------------

enum class TTypeKind : uint8_t {
  Unknown,
  Integer,
  Char,
  Enumeration,
  Float,
  ShortString,
  Set,
  Class,
  Method,
  WChar,
  NarrowString,
  WideString,
  Variant,
  Array,
  Record,
  Interface,
  Int64,
  DynArray,
  UnicodeString,
  ClassRef,
  Pointer,
  Procedure,
};

enum class TOrdType : uint8_t { SByte, UByte, SWord, UWord, SLong, ULong };
// The ordinal type of an integral storage type; wider ones count as long.
template <class T>
constexpr TOrdType OrdTypeOf() {
  static_assert(std::is_integral_v<T>);
  constexpr bool isSigned = std::is_signed_v<T>;
  return sizeof(T) == 1   ? (isSigned ? TOrdType::SByte : TOrdType::UByte)
         : sizeof(T) == 2 ? (isSigned ? TOrdType::SWord : TOrdType::UWord)
                          : (isSigned ? TOrdType::SLong : TOrdType::ULong);
}
enum class TFloatType : uint8_t { Single, Double, Extended, Comp, Currency };
// In the order of their openness.
enum class TMemberVisibility : uint8_t { Private, Protected, Public, Published };
enum class TMethodKind : uint8_t {
  Procedure,
  Function,
  Constructor,
  Destructor,
  ClassProcedure,
  ClassFunction,
  Other,
};

class TRttiType {
 public:
  TRttiType(TTypeKind kind, ustring name) : FKind(kind), FName(std::move(name)) {}
  TRttiType(const TRttiType&) = delete;
  TRttiType& operator=(const TRttiType&) = delete;
  virtual ~TRttiType() = default;

  TTypeKind Kind() const noexcept { return FKind; }
  const ustring& Name() const noexcept { return FName; }
  // Never 0; fits a 32-bit script integer on every target.
  uint32_t Identity() const noexcept { return FIdentity; }

 private:
  friend const TRttiType* AddRttiType(std::unique_ptr<TRttiType> type);
  TTypeKind FKind;
  ustring FName;
  uint32_t FIdentity = 0;
};

// Integers, characters and enumerations.
class TRttiOrdinalType : public TRttiType {
 public:
  TRttiOrdinalType(TTypeKind kind, ustring name, TOrdType ordType, int64_t minValue,
                   int64_t maxValue)
      : TRttiType(kind, std::move(name)), FOrdType(ordType), FMin(minValue), FMax(maxValue) {}
  TOrdType OrdType() const noexcept { return FOrdType; }
  size_t Size() const noexcept;
  int64_t MinValue() const noexcept { return FMin; }
  int64_t MaxValue() const noexcept { return FMax; }

 private:
  TOrdType FOrdType;
  int64_t FMin, FMax;
};

class TRttiEnumerationType : public TRttiOrdinalType {
 public:
  TRttiEnumerationType(ustring name, TOrdType ordType, std::vector<ustring> names, bool isBoolean)
      : TRttiOrdinalType(TTypeKind::Enumeration, std::move(name), ordType, 0,
                         static_cast<int64_t>(names.size()) - 1),
        FNames(std::move(names)),
        FBoolean(isBoolean) {}
  const std::vector<ustring>& Names() const noexcept { return FNames; }
  bool IsBoolean() const noexcept { return FBoolean; }

 private:
  std::vector<ustring> FNames;
  bool FBoolean;
};

class TRttiSetType : public TRttiType {
 public:
  TRttiSetType(ustring name, size_t size, TTypeResolver element)
      : TRttiType(TTypeKind::Set, std::move(name)), FSize(size), FElement(element) {}
  size_t Size() const noexcept { return FSize; }
  const TRttiType* ElementType() const { return FElement(); }

 private:
  size_t FSize;
  TTypeResolver FElement;
};

class TRttiInt64Type : public TRttiType {
 public:
  TRttiInt64Type(ustring name, bool isUnsigned)
      : TRttiType(TTypeKind::Int64, std::move(name)), FUnsigned(isUnsigned) {}
  bool IsUnsigned() const noexcept { return FUnsigned; }

 private:
  bool FUnsigned;
};

class TRttiFloatType : public TRttiType {
 public:
  TRttiFloatType(ustring name, TFloatType floatType, bool isDateTime)
      : TRttiType(TTypeKind::Float, std::move(name)), FFloatType(floatType), FDate(isDateTime) {}
  TFloatType FloatType() const noexcept { return FFloatType; }
  bool IsDateTime() const noexcept { return FDate; }

 private:
  TFloatType FFloatType;
  bool FDate;
};

// ---- Boxed values ----------------------------------------------------------------------

template <class T>
struct TIsOrdinalBox : std::false_type {};
template <int64_t Min, int64_t Max>
struct TIsOrdinalBox<TSubrange<Min, Max>> : std::true_type {};
template <class E, size_t Count>
struct TIsOrdinalBox<TSet<E, Count>> : std::true_type {};
template <>
struct TIsOrdinalBox<TComp> : std::true_type {};
template <>
struct TIsOrdinalBox<TCurrency> : std::true_type {};

template <class T>
struct TIsClassRef : std::false_type {};
template <class T>
struct TIsClassRef<TClassRef<T>> : std::true_type {};

class TValue {
 public:
  // Ordinals, sets, 64-bit integers, comp and currency; other floating types;
  // narrow and UTF-16 texts; variants; objects; classes; interfaces; records.
  using TData = std::variant<std::monostate, int64_t, long double, std::string, ustring, TVariant,
                             TObject*, TClass, TInterfacePtr<ICefBase>, std::shared_ptr<void>>;

  // The empty value: no type.
  TValue() = default;
  TValue(const TRttiType* type, TData data) : FType(type), FData(std::move(data)) {}

  template <class T>
  static TValue From(const T& value);
  // An object boxed as its actual class; nil keeps TObject's type.
  static TValue FromObject(TObject* object);
  // A class boxed as its class-reference type.
  static TValue FromClass(TClass cls);

  const TRttiType* TypeInfo() const noexcept { return FType; }
  bool IsEmpty() const noexcept { return FType == nullptr; }
  const TData& Data() const noexcept { return FData; }

  // Each raises EInvalidCast when the value is held in another form.
  int64_t AsOrdinal() const { return Get<int64_t>(); }
  long double AsExtended() const { return Get<long double>(); }
  const std::string& AsNarrow() const { return Get<std::string>(); }
  const ustring& AsUString() const { return Get<ustring>(); }
  const TVariant& AsVariant() const { return Get<TVariant>(); }
  TObject* AsObject() const { return Get<TObject*>(); }
  TClass AsClass() const { return Get<TClass>(); }
  const TInterfacePtr<ICefBase>& AsInterface() const { return Get<TInterfacePtr<ICefBase>>(); }
  const void* RecordData() const { return Get<std::shared_ptr<void>>().get(); }

  // The value as the C++ type T; EInvalidCast when it is of another type.
  template <class T>
  T AsType() const;

 private:
  template <class T>
  const T& Get() const {
    if (const T* p = std::get_if<T>(&FData)) return *p;
    throw EInvalidCast(L"Invalid class typecast");
  }
  void CheckType(const TRttiType* expected) const;

  const TRttiType* FType = nullptr;
  TData FData;
};

// ---- Members -----------------------------------------------------------------------

class TRttiMember {
 public:
  TRttiMember(ustring name, TMemberVisibility visibility)
      : FName(std::move(name)), FVisibility(visibility) {}
  const ustring& Name() const noexcept { return FName; }
  TMemberVisibility Visibility() const noexcept { return FVisibility; }
  // Public and published members are offered to script; the others never.
  bool IsExposed() const noexcept { return FVisibility >= TMemberVisibility::Public; }

 private:
  ustring FName;
  TMemberVisibility FVisibility;
};

struct TRttiParameter {
  TTypeResolver Type;
  const TRttiType* ParamType() const { return Type(); }
};

class TRttiMethod : public TRttiMember {
 public:
  // Receives the instance (instance methods) or the class (class methods).
  using TCode = std::function<TValue(const TValue& self, std::span<const TValue> arguments)>;

  TRttiMethod(ustring name, TMemberVisibility visibility, TMethodKind kind,
              std::vector<TRttiParameter> parameters, TTypeResolver returnType, TCode code)
      : TRttiMember(std::move(name), visibility),
        FKind(kind),
        FParameters(std::move(parameters)),
        FReturnType(returnType),
        FCode(std::move(code)) {}

  TMethodKind MethodKind() const noexcept { return FKind; }
  const std::vector<TRttiParameter>& Parameters() const noexcept { return FParameters; }
  // Null for procedures.
  const TRttiType* ReturnType() const { return FReturnType ? FReturnType() : nullptr; }
  bool IsClassMethod() const noexcept {
    return FKind == TMethodKind::ClassProcedure || FKind == TMethodKind::ClassFunction;
  }
  // Raises EInvalidCast when the arguments do not fit the parameters or the
  // receiver does not fit the method; whatever the method raises passes on.
  TValue Invoke(const TValue& self, std::span<const TValue> arguments) const;

 private:
  TMethodKind FKind;
  std::vector<TRttiParameter> FParameters;
  TTypeResolver FReturnType;
  TCode FCode;
};

// A field of a class or of a record. `instance` is the object (a TObject*) or
// the record's storage.
class TRttiField : public TRttiMember {
 public:
  using TGetter = std::function<TValue(const void* instance)>;
  using TSetter = std::function<void(void* instance, const TValue& value)>;
  TRttiField(ustring name, TMemberVisibility visibility, TTypeResolver type, TGetter getter,
             TSetter setter)
      : TRttiMember(std::move(name), visibility),
        FType(type),
        FGetter(std::move(getter)),
        FSetter(std::move(setter)) {}
  const TRttiType* FieldType() const { return FType(); }
  TValue GetValue(const void* instance) const { return FGetter(instance); }
  void SetValue(void* instance, const TValue& value) const { FSetter(instance, value); }

 private:
  TTypeResolver FType;
  TGetter FGetter;
  TSetter FSetter;
};

class TRttiProperty : public TRttiMember {
 public:
  using TGetter = std::function<TValue(TObject* instance)>;
  using TSetter = std::function<void(TObject* instance, const TValue& value)>;
  TRttiProperty(ustring name, TMemberVisibility visibility, TTypeResolver type, TGetter getter,
                TSetter setter)
      : TRttiMember(std::move(name), visibility),
        FType(type),
        FGetter(std::move(getter)),
        FSetter(std::move(setter)) {}
  const TRttiType* PropertyType() const { return FType(); }
  bool IsReadable() const noexcept { return static_cast<bool>(FGetter); }
  bool IsWritable() const noexcept { return static_cast<bool>(FSetter); }
  // Raise EInvalidCast for a property that cannot be read or written.
  TValue GetValue(TObject* instance) const;
  void SetValue(TObject* instance, const TValue& value) const;

 private:
  TTypeResolver FType;
  TGetter FGetter;
  TSetter FSetter;
};

// ---- Structured types --------------------------------------------------------------

// Classes and interfaces: methods, their own and inherited.
class TRttiStructuredType : public TRttiType {
 public:
  TRttiStructuredType(TTypeKind kind, ustring name, TTypeResolver base,
                      std::vector<TRttiMethod> methods)
      : TRttiType(kind, std::move(name)), FBase(base), FMethods(std::move(methods)) {}
  // Null at the root.
  const TRttiStructuredType* BaseType() const;
  const std::vector<TRttiMethod>& DeclaredMethods() const noexcept { return FMethods; }
  // Own methods first, then those of each ancestor in turn.
  std::vector<const TRttiMethod*> GetMethods() const;
  // The first method of that name in GetMethods order; null when none.
  const TRttiMethod* GetMethod(const ustring& name) const;

 private:
  TTypeResolver FBase;
  std::vector<TRttiMethod> FMethods;
};

class TRttiInstanceType : public TRttiStructuredType {
 public:
  TRttiInstanceType(ustring name, TTypeResolver base, std::vector<TRttiMethod> methods,
                    std::vector<TRttiProperty> properties, std::vector<TRttiField> fields);
  ~TRttiInstanceType() override;

  const TRttiInstanceType* BaseClass() const {
    return static_cast<const TRttiInstanceType*>(BaseType());
  }
  bool InheritsFrom(TClass ancestor) const;
  // Own members first, then those of each ancestor; lookups give the first.
  std::vector<const TRttiProperty*> GetProperties() const;
  std::vector<const TRttiField*> GetFields() const;
  const TRttiProperty* GetProperty(const ustring& name) const;
  const TRttiField* GetField(const ustring& name) const;
  // The type "class of this class", made on first use.
  const TRttiClassRefType* MetaclassType() const;

 private:
  std::vector<TRttiProperty> FProperties;
  std::vector<TRttiField> FFields;
  mutable std::once_flag FMetaclassOnce;
  mutable const TRttiClassRefType* FMetaclass = nullptr;
};

class TRttiInterfaceType : public TRttiStructuredType {
 public:
  TRttiInterfaceType(ustring name, TTypeResolver base, std::vector<TRttiMethod> methods)
      : TRttiStructuredType(TTypeKind::Interface, std::move(name), base, std::move(methods)) {}
};

class TRttiClassRefType : public TRttiType {
 public:
  TRttiClassRefType(ustring name, TClass instanceType)
      : TRttiType(TTypeKind::ClassRef, std::move(name)), FInstanceType(instanceType) {}
  TClass InstanceType() const noexcept { return FInstanceType; }

 private:
  TClass FInstanceType;
};

class TRttiRecordType : public TRttiType {
 public:
  // A new record: a copy of `from`, or value-initialised (zero-filled) when
  // `from` is null.
  using TMaker = std::function<std::shared_ptr<void>(const void* from)>;
  TRttiRecordType(ustring name, size_t size, TMaker maker, std::vector<TRttiField> fields)
      : TRttiType(TTypeKind::Record, std::move(name)),
        FSize(size),
        FMaker(std::move(maker)),
        FFields(std::move(fields)) {}
  size_t Size() const noexcept { return FSize; }
  std::shared_ptr<void> NewRecord(const void* from = nullptr) const { return FMaker(from); }
  const std::vector<TRttiField>& GetFields() const noexcept { return FFields; }

 private:
  size_t FSize;
  TMaker FMaker;
  std::vector<TRttiField> FFields;
};

// ---- The process-wide table of descriptors -----------------------------------------

// Keeps `type` for the rest of the process and gives it its identity.
const TRttiType* AddRttiType(std::unique_ptr<TRttiType> type);
template <class T, class... A>
const T* AddRttiType(A&&... args) {
  return static_cast<const T*>(AddRttiType(std::make_unique<T>(std::forward<A>(args)...)));
}

// The bridge's view of the facility: open for as long as the bridge hands out
// identities. Descriptors are never freed before the process ends, so a
// context only looks them up.
class TRttiContext {
 public:
  // Null for 0 and for identities no descriptor has.
  const TRttiType* FindType(uint32_t identity) const;
  // The class whose descriptor has that identity; null for any other type.
  TClass FindClass(uint32_t identity) const;
};

// ---- The base of reflected classes -------------------------------------------------

// A class describes itself by declaring NIMBRA_RTTI_CLASS in its body and
// defining ClassInfo with TRttiClassBuilder. ClassType is the descriptor of
// the object's actual class.
class TObject {
 public:
  virtual ~TObject() = default;
  static TClass ClassInfo();
  virtual TClass ClassType() const { return ClassInfo(); }
};

#define NIMBRA_RTTI_CLASS    \
 public:                     \
  static TClass ClassInfo(); \
  TClass ClassType() const override { return ClassInfo(); }

// ---- Descriptors of C++ types --------------------------------------------------------

template <class T>
struct TTypeTag {};

// The language's own types. Other types declare an overload of RttiTypeInfo
// beside themselves (found by argument-dependent lookup).
const TRttiType* RttiTypeInfo(TTypeTag<bool>);
const TRttiType* RttiTypeInfo(TTypeTag<int8_t>);
const TRttiType* RttiTypeInfo(TTypeTag<uint8_t>);
const TRttiType* RttiTypeInfo(TTypeTag<int16_t>);
const TRttiType* RttiTypeInfo(TTypeTag<uint16_t>);
const TRttiType* RttiTypeInfo(TTypeTag<int32_t>);
const TRttiType* RttiTypeInfo(TTypeTag<uint32_t>);
const TRttiType* RttiTypeInfo(TTypeTag<int64_t>);
const TRttiType* RttiTypeInfo(TTypeTag<uint64_t>);
const TRttiType* RttiTypeInfo(TTypeTag<char>);
const TRttiType* RttiTypeInfo(TTypeTag<wchar_t>);
const TRttiType* RttiTypeInfo(TTypeTag<float>);
const TRttiType* RttiTypeInfo(TTypeTag<double>);
const TRttiType* RttiTypeInfo(TTypeTag<long double>);
const TRttiType* RttiTypeInfo(TTypeTag<TComp>);
const TRttiType* RttiTypeInfo(TTypeTag<TCurrency>);
const TRttiType* RttiTypeInfo(TTypeTag<TDateTime>);
const TRttiType* RttiTypeInfo(TTypeTag<std::string>);
const TRttiType* RttiTypeInfo(TTypeTag<ustring>);
const TRttiType* RttiTypeInfo(TTypeTag<TWideString>);
const TRttiType* RttiTypeInfo(TTypeTag<TVariant>);
const TRttiType* RttiTypeInfo(TTypeTag<void*>);
const TRttiType* RttiTypeInfo(TTypeTag<TInterfacePtr<ICefv8Value>>);

const TRttiType* MakeSubrangeType(int64_t minValue, int64_t maxValue, TOrdType ordType);
const TRttiType* MakeSetType(size_t size, TTypeResolver element);

template <class T>
const TRttiType* TypeInfoOf();

template <int64_t Min, int64_t Max>
const TRttiType* RttiTypeInfo(TTypeTag<TSubrange<Min, Max>>) {
  static const TRttiType* const type =
      MakeSubrangeType(Min, Max, OrdTypeOf<TOrdinalStorage<Min, Max>>());
  return type;
}
template <class E, size_t Count>
const TRttiType* RttiTypeInfo(TTypeTag<TSet<E, Count>>) {
  static const TRttiType* const type = MakeSetType(sizeof(TSet<E, Count>), &TypeInfoOf<E>);
  return type;
}
template <class T>
requires std::is_base_of_v<TObject, T>
const TRttiType* RttiTypeInfo(TTypeTag<T*>) { return T::ClassInfo(); }
template <class T>
const TRttiType* RttiTypeInfo(TTypeTag<TClassRef<T>>);

template <class T>
const TRttiType* TypeInfoOf() {
  return RttiTypeInfo(TTypeTag<std::remove_cvref_t<T>>{});
}

template <class T>
TValue TValue::From(const T& value) {
  using U = std::remove_cvref_t<T>;
  const TRttiType* type = TypeInfoOf<U>();
  if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
    return TValue(type, static_cast<int64_t>(value));
  } else if constexpr (std::is_floating_point_v<U>) {
    return TValue(type, static_cast<long double>(value));
  } else if constexpr (TIsOrdinalBox<U>::value) {
    return TValue(type, static_cast<int64_t>(value.Value));
  } else if constexpr (std::is_same_v<U, TDateTime>) {
    return TValue(type, static_cast<long double>(value.Value));
  } else if constexpr (std::is_same_v<U, TWideString>) {
    return TValue(type, value.Text);
  } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, ustring> ||
                       std::is_same_v<U, TVariant>) {
    return TValue(type, value);
  } else if constexpr (std::is_pointer_v<U> &&
                       std::is_base_of_v<TObject, std::remove_pointer_t<U>>) {
    return TValue(type, static_cast<TObject*>(value));
  } else if constexpr (TIsClassRef<U>::value) {
    return TValue(type, value.Value);
  } else if constexpr (TIsInterfacePtr<U>::value) {
    return TValue(type, TInterfacePtr<ICefBase>(value.get()));
  } else {
    static_assert(std::is_class_v<U> && !std::is_pointer_v<U>, "no descriptor for this type");
    return TValue(type, static_cast<const TRttiRecordType*>(type)->NewRecord(&value));
  }
}

template <class T>
T TValue::AsType() const {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_pointer_v<U> && std::is_base_of_v<TObject, std::remove_pointer_t<U>>) {
    TObject* object = AsObject();
    if (object && !object->ClassType()->InheritsFrom(std::remove_pointer_t<U>::ClassInfo()))
      throw EInvalidCast(L"Invalid class typecast");
    return static_cast<U>(object);
  } else if constexpr (TIsClassRef<U>::value) {
    const TClass cls = AsClass();
    const auto* expected = static_cast<const TRttiClassRefType*>(TypeInfoOf<U>());
    if (cls && !cls->InheritsFrom(expected->InstanceType()))
      throw EInvalidCast(L"Invalid class typecast");
    return U{cls};
  } else if constexpr (TIsInterfacePtr<U>::value) {
    using I = typename U::element_type;
    ICefBase* base = AsInterface().get();
    I* intf = dynamic_cast<I*>(base);
    if (base && !intf) throw EInvalidCast(L"Interface not supported");
    return U(intf);
  } else {
    CheckType(TypeInfoOf<U>());
    if constexpr (std::is_same_v<U, bool>) {
      return AsOrdinal() != 0;
    } else if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
      return static_cast<U>(AsOrdinal());
    } else if constexpr (std::is_floating_point_v<U>) {
      return static_cast<U>(AsExtended());
    } else if constexpr (TIsOrdinalBox<U>::value) {
      return U{static_cast<decltype(U::Value)>(AsOrdinal())};
    } else if constexpr (std::is_same_v<U, TDateTime>) {
      return U{static_cast<double>(AsExtended())};
    } else if constexpr (std::is_same_v<U, TWideString>) {
      return U{AsUString()};
    } else if constexpr (std::is_same_v<U, std::string>) {
      return AsNarrow();
    } else if constexpr (std::is_same_v<U, ustring>) {
      return AsUString();
    } else if constexpr (std::is_same_v<U, TVariant>) {
      return AsVariant();
    } else {
      return *static_cast<const U*>(RecordData());
    }
  }
}

template <class T>
const TRttiType* RttiTypeInfo(TTypeTag<TClassRef<T>>) {
  return T::ClassInfo()->MetaclassType();
}
