// The object bridge: how engine records and program objects meet.
//
// Engine records that the program receives are held through wrappers derived
// from TCefBaseRef (one engine reference each). Program objects that the engine
// calls derive from TCefBaseOwn: each owns an engine-visible record allocated
// one pointer behind the owner's address, so a record pointer leads back to its
// object in constant time without any registry.
//
// Counts change only by interlocked operations: the engine calls add_ref and
// release from its own threads. An object is destroyed on whichever thread
// drops the last reference.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <type_traits>
#include <utility>

#include "cef_capi.h"

// The base of every engine interface. AddRef/Release count native references;
// Wrap hands the record to the engine with one reference added for it.
class ICefBase {
 public:
  virtual int AddRef() noexcept = 0;
  virtual int Release() noexcept = 0;
  virtual void* Wrap() = 0;

 protected:
  virtual ~ICefBase() = default;
};

// A counted reference to an interface: the platform's interface variable.
template <class T>
class TInterfacePtr {
 public:
  using element_type = T;

  TInterfacePtr() noexcept = default;
  TInterfacePtr(std::nullptr_t) noexcept {}
  TInterfacePtr(T* p) noexcept : FPtr(p) {
    if (FPtr) FPtr->AddRef();
  }
  TInterfacePtr(const TInterfacePtr& other) noexcept : TInterfacePtr(other.FPtr) {}
  TInterfacePtr(TInterfacePtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  TInterfacePtr(const TInterfacePtr<U>& other) noexcept : TInterfacePtr(other.get()) {}
  ~TInterfacePtr() { reset(); }

  TInterfacePtr& operator=(TInterfacePtr other) noexcept {
    std::swap(FPtr, other.FPtr);
    return *this;
  }

  void reset() noexcept {
    if (T* p = std::exchange(FPtr, nullptr)) p->Release();
  }
  T* get() const noexcept { return FPtr; }
  T* operator->() const noexcept { return FPtr; }
  T& operator*() const noexcept { return *FPtr; }
  explicit operator bool() const noexcept { return FPtr != nullptr; }
  friend bool operator==(const TInterfacePtr& a, std::nullptr_t) noexcept { return !a.FPtr; }

 private:
  T* FPtr = nullptr;
};

// The type-safe cast between interfaces of one object.
template <class To, class From>
TInterfacePtr<To> Supports(const TInterfacePtr<From>& from) {
  return TInterfacePtr<To>(dynamic_cast<To*>(from.get()));
}

// Hands a record to the engine: null for a null interface, else Wrap().
void* CefRecordOf(ICefBase* intf);
template <class T>
void* CefRecordOf(const TInterfacePtr<T>& intf) {
  return CefRecordOf(static_cast<ICefBase*>(intf.get()));
}

// The platform's reference-counted object: an interlocked count that starts at
// 0 and destroys the object when its last reference goes.
class TInterfacedObject : public virtual ICefBase {
 public:
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  int AddRef() noexcept override;
  int Release() noexcept override;
  int RefCount() const noexcept { return FRefCount.load(); }

 protected:
  TInterfacedObject() = default;
  ~TInterfacedObject() override = default;

 private:
  std::atomic<int> FRefCount{0};
};

class TCefBaseOwn;
// The program object in front of a record made by TCefBaseOwn.
TCefBaseOwn* CefObjectOfRecord(const void* record);

// Program objects handed to the engine. The constructor is CreateData: it
// allocates the zero-filled record block (owner address, then the record) and
// sets the header; derived classes then store their own entries.
class TCefBaseOwn : public TInterfacedObject {
 public:
  void* Wrap() override;

 protected:
  explicit TCefBaseOwn(size_t recordSize);
  ~TCefBaseOwn() override;

  template <class R>
  R* Record() const noexcept {
    return static_cast<R*>(FData);
  }

  void* FData;
};

// The object behind a record, as its own class. Entry trampolines use it.
template <class T>
T* CefOwner(const void* record) {
  return static_cast<T*>(CefObjectOfRecord(record));
}

// Wrappers of engine records. The constructor adopts the one reference the
// engine handed over; the destructor releases it.
class TCefBaseRef : public TInterfacedObject {
 public:
  void* Wrap() override;

 protected:
  explicit TCefBaseRef(void* data);
  ~TCefBaseRef() override;

  template <class R>
  R* Record() const noexcept {
    return static_cast<R*>(FData);
  }

  void* FData;
};

// A new program object, held from the start: count 1 while the result lives.
template <class T, class... A>
TInterfacePtr<T> CefNew(A&&... args) {
  return TInterfacePtr<T>(new T(std::forward<A>(args)...));
}

// UnWrap for every wrapper class: null record -> null interface.
template <class TRef, class I>
TInterfacePtr<I> CefUnWrap(void* data) {
  if (!data) return nullptr;
  return TInterfacePtr<I>(static_cast<I*>(new TRef(data)));
}

// Engine callbacks never let an exception unwind into engine frames: the error
// is reported to the debugger output and the entry answers its default.
void CefReportCallbackError(const std::exception* error) noexcept;

template <class R, class Fn>
R CefGuarded(R fallback, Fn&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    CefReportCallbackError(&e);
  } catch (...) {
    CefReportCallbackError(nullptr);
  }
  return fallback;
}

template <class Fn>
void CefGuarded(Fn&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    CefReportCallbackError(&e);
  } catch (...) {
    CefReportCallbackError(nullptr);
  }
}
