// How classes, interfaces, records and enumerations describe themselves to
// the reflection facility (cef_rtti.h). Each builder runs once, inside the
// function that answers the type's descriptor, and the descriptor it builds
// lives for the rest of the process.
#pragma once

#include "cef_rtti.h"

namespace RttiDetail {

template <class T>
using TParam = std::remove_cvref_t<T>;

template <class... P>
std::vector<TRttiParameter> ParametersOf() {
  return {TRttiParameter{&TypeInfoOf<TParam<P>>}...};
}

template <class R>
TTypeResolver ReturnTypeOf() {
  if constexpr (std::is_void_v<R>) {
    return nullptr;
  } else {
    return &TypeInfoOf<TParam<R>>;
  }
}

// Calls `call` with the arguments unboxed as P... and boxes its result.
template <class R, class... P, class Call>
TValue CallBoxed(Call&& call, std::span<const TValue> arguments) {
  return [&]<size_t... I>(std::index_sequence<I...>)->TValue {
    if constexpr (std::is_void_v<R>) {
      call(arguments[I].template AsType<TParam<P>>()...);
      return TValue();
    } else {
      return TValue::From<TParam<R>>(call(arguments[I].template AsType<TParam<P>>()...));
    }
  }
  (std::index_sequence_for<P...>{});
}

// The receiver of an instance method: the object, or the interface.
template <class C>
C* Receiver(const TValue& self) {
  if constexpr (std::is_base_of_v<TObject, C>) {
    return self.AsType<C*>();
  } else {
    return self.AsType<TInterfacePtr<C>>().get();
  }
}

template <class C, class R, class... P, class Fn>
TRttiMethod InstanceMethod(ustring name, TMemberVisibility visibility, Fn method) {
  auto code = [method](const TValue& self, std::span<const TValue> arguments) {
    C* receiver = Receiver<C>(self);
    if (!receiver) throw EInvalidCast(L"A method called without its instance");
    return CallBoxed<R, P...>(
        [&](auto&&... a) -> R { return (receiver->*method)(std::forward<decltype(a)>(a)...); },
        arguments);
  };
  return TRttiMethod(std::move(name), visibility,
                     std::is_void_v<R> ? TMethodKind::Procedure : TMethodKind::Function,
                     ParametersOf<P...>(), ReturnTypeOf<R>(), std::move(code));
}

template <class R, class... P>
TRttiMethod ClassMethod(ustring name, TMemberVisibility visibility, R (*function)(P...)) {
  auto code = [function](const TValue&, std::span<const TValue> arguments) {
    return CallBoxed<R, P...>(function, arguments);
  };
  return TRttiMethod(std::move(name), visibility,
                     std::is_void_v<R> ? TMethodKind::ClassProcedure : TMethodKind::ClassFunction,
                     ParametersOf<P...>(), ReturnTypeOf<R>(), std::move(code));
}

// A field of an instance (a TObject* behind `instance`) or of a record.
template <class Owner, class V>
TRttiField Field(ustring name, TMemberVisibility visibility, V Owner::*member) {
  auto owner = [](const void* instance) -> const Owner* {
    if constexpr (std::is_base_of_v<TObject, Owner>) {
      return static_cast<const Owner*>(static_cast<const TObject*>(instance));
    } else {
      return static_cast<const Owner*>(instance);
    }
  };
  return TRttiField(
      std::move(name), visibility, &TypeInfoOf<V>,
      [member, owner](const void* instance) { return TValue::From<V>(owner(instance)->*member); },
      [member, owner](void* instance, const TValue& value) {
        const_cast<Owner*>(owner(instance))->*member = value.AsType<V>();
      });
}

}  // namespace RttiDetail

// Describes the class T (derived from Parent) for its ClassInfo:
//   TClass TFoo::ClassInfo() {
//     static const TClass info = TRttiClassBuilder<TFoo, TObject>(L"TFoo")
//         .Method(L"Run", &TFoo::Run).Build();
//     return info;
//   }
// Members are public unless told otherwise; their order is the facility's.
template <class T, class Parent>
class TRttiClassBuilder {
  static_assert(std::is_base_of_v<Parent, T> && std::is_base_of_v<TObject, Parent>);

 public:
  explicit TRttiClassBuilder(ustring name) : FName(std::move(name)) {}

  template <class C, class R, class... P>
  TRttiClassBuilder& Method(ustring name, R (C::*method)(P...),
                            TMemberVisibility visibility = TMemberVisibility::Public) {
    return AddMethod<C, R, P...>(std::move(name), method, visibility);
  }
  template <class C, class R, class... P>
  TRttiClassBuilder& Method(ustring name, R (C::*method)(P...) const,
                            TMemberVisibility visibility = TMemberVisibility::Public) {
    return AddMethod<C, R, P...>(std::move(name), method, visibility);
  }
  template <class R, class... P>
  TRttiClassBuilder& ClassMethod(ustring name, R (*function)(P...),
                                 TMemberVisibility visibility = TMemberVisibility::Public) {
    FMethods.push_back(RttiDetail::ClassMethod(std::move(name), visibility, function));
    return *this;
  }
  // `setter` may be null for a read-only property.
  template <class V, class S>
  TRttiClassBuilder& Property(ustring name, V (T::*getter)() const, S setter,
                              TMemberVisibility visibility = TMemberVisibility::Public) {
    using TV = RttiDetail::TParam<V>;
    TRttiProperty::TSetter write;
    if constexpr (!std::is_null_pointer_v<S>) {
      write = [setter](TObject* instance, const TValue& value) {
        (static_cast<T*>(instance)->*setter)(value.AsType<TV>());
      };
    }
    FProperties.emplace_back(
        std::move(name), visibility, &TypeInfoOf<TV>,
        [getter](TObject* instance) {
          return TValue::From<TV>((static_cast<const T*>(instance)->*getter)());
        },
        std::move(write));
    return *this;
  }
  template <class V>
  TRttiClassBuilder& Field(ustring name, V T::*member,
                           TMemberVisibility visibility = TMemberVisibility::Public) {
    FFields.push_back(RttiDetail::Field(std::move(name), visibility, member));
    return *this;
  }

  TClass Build() {
    return AddRttiType<TRttiInstanceType>(std::move(FName), &TypeInfoOf<Parent*>,
                                          std::move(FMethods), std::move(FProperties),
                                          std::move(FFields));
  }

 private:
  template <class C, class R, class... P, class Fn>
  TRttiClassBuilder& AddMethod(ustring name, Fn method, TMemberVisibility visibility) {
    static_assert(std::is_base_of_v<C, T>);
    FMethods.push_back(RttiDetail::InstanceMethod<C, R, P...>(std::move(name), visibility, method));
    return *this;
  }

  ustring FName;
  std::vector<TRttiMethod> FMethods;
  std::vector<TRttiProperty> FProperties;
  std::vector<TRttiField> FFields;
};

// Describes the interface I (derived from Parent, or from nothing reflected
// when Parent is void) for its RttiTypeInfo overload.
template <class I, class Parent = void>
class TRttiInterfaceBuilder {
 public:
  explicit TRttiInterfaceBuilder(ustring name) : FName(std::move(name)) {}

  template <class C, class R, class... P>
  TRttiInterfaceBuilder& Method(ustring name, R (C::*method)(P...),
                                TMemberVisibility visibility = TMemberVisibility::Public) {
    static_assert(std::is_base_of_v<C, I>);
    FMethods.push_back(RttiDetail::InstanceMethod<C, R, P...>(std::move(name), visibility, method));
    return *this;
  }

  const TRttiType* Build() {
    TTypeResolver base = nullptr;
    if constexpr (!std::is_void_v<Parent>) base = &TypeInfoOf<TInterfacePtr<Parent>>;
    return AddRttiType<TRttiInterfaceType>(std::move(FName), base, std::move(FMethods));
  }

 private:
  ustring FName;
  std::vector<TRttiMethod> FMethods;
};

// Describes the plain structure R for its RttiTypeInfo overload.
template <class R>
class TRttiRecordBuilder {
  static_assert(std::is_default_constructible_v<R> && std::is_copy_constructible_v<R>);

 public:
  explicit TRttiRecordBuilder(ustring name) : FName(std::move(name)) {}

  template <class V>
  TRttiRecordBuilder& Field(ustring name, V R::*member,
                            TMemberVisibility visibility = TMemberVisibility::Public) {
    FFields.push_back(RttiDetail::Field(std::move(name), visibility, member));
    return *this;
  }

  const TRttiType* Build() {
    auto maker = [](const void* from) -> std::shared_ptr<void> {
      if (from) return std::make_shared<R>(*static_cast<const R*>(from));
      return std::make_shared<R>();
    };
    return AddRttiType<TRttiRecordType>(std::move(FName), sizeof(R), std::move(maker),
                                        std::move(FFields));
  }

 private:
  ustring FName;
  std::vector<TRttiField> FFields;
};

// Describes the enumeration E, whose members are 0 .. names.size() - 1.
template <class E>
const TRttiType* MakeEnumerationType(ustring name, std::vector<ustring> names) {
  static_assert(std::is_enum_v<E>);
  return AddRttiType<TRttiEnumerationType>(std::move(name), OrdTypeOf<std::underlying_type_t<E>>(),
                                           std::move(names), false);
}
