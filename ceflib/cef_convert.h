// The two directions of the object bridge, written once.
//
// Program -> engine: a wrapper operation is one line,
//   bool CanGoBack() override { return Call<bool>(&cef_browser_t::can_go_back); }
// CefCall converts each native argument for its entry (texts as views,
// Booleans as 1/0, interfaces by CefRecordOf) and the engine's result back
// (user-free texts copied and freed, records UnWrapped, 1/0 as Booleans).
//
// Engine -> program: a handler record's entry is
//   NIMBRA_ENTRY(r, on_load_start, OnLoadStart);
// which stores a trampoline that finds the object in front of the record,
// converts the engine's arguments (texts copied, records UnWrapped, string
// lists read), calls the virtual operation, converts its answer back and
// releases every temporary on every path. An error raised by the operation
// never unwinds into the engine: the entry answers its default.
//
// Which wrapper class stands for which record and interface is declared next
// to each wrapper with NIMBRA_WRAPS.
#pragma once

#include <type_traits>
#include <utility>

#include "cef_base.h"
#include "cef_string.h"

// Wrapper class of an engine record, and of an interface.
template <class Record>
struct TCefWrapperOfRecord;
template <class Intf>
struct TCefWrapperOfInterface;

#define NIMBRA_WRAPS(TRef, IIntf, Record) \
  class TRef;                             \
  template <>                             \
  struct TCefWrapperOfRecord<Record> {    \
    using type = TRef;                    \
    using intf = IIntf;                   \
  };                                      \
  template <>                             \
  struct TCefWrapperOfInterface<IIntf> {  \
    using type = TRef;                    \
    using record = Record;                \
  };

template <class T>
concept CefWrappedRecord = requires {
  typename TCefWrapperOfRecord<std::remove_cv_t<T>>::type;
};

template <class T>
struct TIsInterfacePtr : std::false_type {};
template <class T>
struct TIsInterfacePtr<TInterfacePtr<T>> : std::true_type {};

// ---- Program -> engine --------------------------------------------------------

// A text argument: a view that lives until the end of the engine call.
struct TCefStringArg {
  cef_string_t View;
  operator const cef_string_t*() const { return &View; }
};

// An interface argument: the record with a reference added for the engine.
struct TCefRecordArg {
  void* Record;
  template <class R>
  operator R*() const {
    return static_cast<R*>(Record);
  }
};

inline int CefArg(bool value) { return value ? 1 : 0; }
inline TCefStringArg CefArg(const ustring& text) { return {CefStringView(text)}; }
template <class I>
TCefRecordArg CefArg(const TInterfacePtr<I>& intf) {
  return {CefRecordOf(intf)};
}
template <class T>
requires(!std::is_same_v<std::decay_t<T>, bool> && !std::is_same_v<std::decay_t<T>, ustring> &&
         !TIsInterfacePtr<std::decay_t<T>>::value) T CefArg(T value) {
  return value;
}

// The native answer of an engine result.
template <class Native, class Engine>
Native CefResult(Engine value) {
  if constexpr (std::is_same_v<Native, bool>) {
    return value != 0;
  } else if constexpr (std::is_same_v<Native, ustring>) {
    return CefStringTakeUserFree(value);
  } else if constexpr (TIsInterfacePtr<Native>::value) {
    return TCefWrapperOfInterface<typename Native::element_type>::type::UnWrap(value);
  } else {
    return static_cast<Native>(value);
  }
}

// Calls `entry` of `self` with the converted arguments.
template <class Native, class Record, class Fn, class... Args>
Native CefCall(Record* self, Fn Record::*entry, const Args&... args) {
  const Fn fn = self->*entry;
  if constexpr (std::is_void_v<Native>) {
    fn(self, CefArg(args)...);
  } else {
    return CefResult<Native>(fn(self, CefArg(args)...));
  }
}

// The base of every wrapper: its record and its interface.
template <class TRecord, class Intf>
class TCefBaseRefT : public TCefBaseRef, public Intf {
 protected:
  explicit TCefBaseRefT(void* data) : TCefBaseRef(data) {}
  TRecord* R() const noexcept { return static_cast<TRecord*>(FData); }
  template <class Native = void, class Fn, class... Args>
  Native Call(Fn TRecord::*entry, const Args&... args) const {
    return CefCall<Native>(R(), entry, args...);
  }
};

// The head of a wrapper class: constructor and UnWrap.
#define NIMBRA_WRAPPER_HEAD(TRef, IIntf, Record)    \
 public:                                            \
  explicit TRef(void* data) : TCefBaseRefT(data) {} \
  static TInterfacePtr<IIntf> UnWrap(void* data) { return CefUnWrap<TRef, IIntf>(data); }

// ---- Engine -> program --------------------------------------------------------

// The native value of an engine argument.
inline ustring CefParam(const cef_string_t* text) { return CefStringToUstring(text); }
inline TStringList CefParam(cef_string_list_t list) { return CefStringListRead(list); }
template <CefWrappedRecord R>
auto CefParam(R* record) {
  return TCefWrapperOfRecord<std::remove_cv_t<R>>::type::UnWrap(
      const_cast<std::remove_cv_t<R>*>(record));
}
template <class T>
requires(!CefWrappedRecord<std::remove_pointer_t<T>> && !std::is_same_v<T, const cef_string_t*> &&
         !std::is_same_v<T, cef_string_list_t>) T CefParam(T value) {
  return value;
}

// The engine's answer of a native result.
template <class Engine, class Native>
Engine CefAnswer(const Native& value) {
  if constexpr (TIsInterfacePtr<Native>::value) {
    return static_cast<Engine>(CefRecordOf(value));
  } else if constexpr (std::is_same_v<Native, bool>) {
    return value ? 1 : 0;
  } else {
    return static_cast<Engine>(value);
  }
}

template <class Method>
struct TCefMethodOwner;
template <class C, class Ret, class... P>
struct TCefMethodOwner<Ret (C::*)(P...)> {
  using type = C;
};

template <auto Method, class EntryPtr>
struct TCefEntry;
template <auto Method, class Ret, class Record, class... A>
struct TCefEntry<Method, Ret(CEF_CALLBACK*)(Record*, A...)> {
  using Owner = typename TCefMethodOwner<decltype(Method)>::type;
  static Ret CEF_CALLBACK Call(Record* self, A... args) noexcept {
    if constexpr (std::is_void_v<Ret>) {
      CefGuarded([&] { (CefOwner<Owner>(self)->*Method)(CefParam(args)...); });
    } else {
      return CefGuarded(Ret{}, [&]() -> Ret {
        return CefAnswer<Ret>((CefOwner<Owner>(self)->*Method)(CefParam(args)...));
      });
    }
  }
};

// Stores the trampoline of `Method` (an operation of the constructing class
// `Self`) in entry `field` of record `r`.
#define NIMBRA_ENTRY(r, field, Method) \
  (r)->field = &TCefEntry<&Self::Method, decltype((r)->field)>::Call
