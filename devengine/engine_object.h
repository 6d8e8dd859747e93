// The pattern every engine-made record follows: a C++ object that carries its
// record, counts references with interlocked operations and frees itself when
// the last one goes. Record entries are bound to member functions with
// EntryOf<&Object::Method>, which also keeps every C++ exception inside the
// engine.
#ifndef NIMBRA_DEVENGINE_ENGINE_OBJECT_H
#define NIMBRA_DEVENGINE_ENGINE_OBJECT_H

#include <atomic>
#include <type_traits>
#include <utility>

#include "cef_capi.h"
#include "heap_records.h"
#include "trace.h"

namespace devengine {

// A Boolean as the engine's records answer it.
constexpr int Flag(bool value) { return value ? 1 : 0; }

template <class Record>
class EngineObject {
 public:
  using RecordType = Record;

  EngineObject(const EngineObject&) = delete;
  EngineObject& operator=(const EngineObject&) = delete;
  virtual ~EngineObject() = default;

  Record* record() { return &envelope_.record; }

  void AddRef() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) DeleteRecord(this);
  }

  // The object behind a record this class made, or null for a null record.
  static EngineObject* FromRecord(Record* record) {
    return FromBase(reinterpret_cast<cef_base_t*>(record));
  }

 protected:
  // The creator holds the first reference.
  EngineObject() {
    cef_base_t& base = envelope_.record.base;
    base.size = sizeof(Record);
    base.add_ref = &AddRefEntry;
    base.release = &ReleaseEntry;
    base.get_refct = &RefCountEntry;
  }

  Record& entries() { return envelope_.record; }

 private:
  // Standard layout with the record first, so a record pointer is also a
  // pointer to its envelope.
  struct Envelope {
    Record record;
    EngineObject* owner;
  };
  static_assert(std::is_standard_layout_v<Envelope>);

  static EngineObject* FromBase(cef_base_t* base) {
    return base == nullptr ? nullptr : reinterpret_cast<Envelope*>(base)->owner;
  }
  static int CEF_CALLBACK AddRefEntry(cef_base_t* self) {
    EngineObject* object = FromBase(self);
    if (object == nullptr) return 0;
    return object->refs_.fetch_add(1, std::memory_order_relaxed) + 1;
  }
  static int CEF_CALLBACK ReleaseEntry(cef_base_t* self) {
    EngineObject* object = FromBase(self);
    if (object == nullptr) return 0;
    const int left = object->refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) DeleteRecord(object);
    return left;
  }
  static int CEF_CALLBACK RefCountEntry(cef_base_t* self) {
    EngineObject* object = FromBase(self);
    return object == nullptr ? 0 : object->refs_.load(std::memory_order_acquire);
  }

  Envelope envelope_{{}, this};
  std::atomic<int> refs_{1};
};

// Makes an engine object; its one reference belongs to the caller.
template <class Object, class... Args>
Object* MakeEngineObject(Args&&... args) {
  return NewRecord<Object>(std::forward<Args>(args)...);
}

// Runs `work`, answering its result, or the zero of its type (null, 0, an
// empty record, nothing) when it throws. The program called the engine through
// a C interface, so no C++ exception may reach its frames; the failure goes to
// the trace instead.
template <class Work>
auto Refusing(Work&& work) noexcept -> decltype(work()) {
  using Result = decltype(work());
  try {
    return work();
  } catch (...) {
    ReportCaughtFailure("engine entry");
    return Result();
  }
}

template <class Method>
struct EntryTraits;

template <class Object, class Result, class... Args>
struct EntryTraits<Result (Object::*)(Args...)> {
  template <auto method>
  static Result CEF_CALLBACK Call(typename Object::RecordType* self, Args... args) noexcept {
    return Refusing([&]() -> Result {
      auto* object = static_cast<Object*>(Object::FromRecord(self));
      if (object == nullptr) return Result();
      return (object->*method)(args...);
    });
  }
};

template <class Object, class Result, class... Args>
struct EntryTraits<Result (Object::*)(Args...) const> : EntryTraits<Result (Object::*)(Args...)> {};

// A record entry that calls `method` on the object behind `self`; a null
// `self` answers zero or null, and so does a method that throws.
template <auto method>
inline constexpr auto EntryOf = &EntryTraits<decltype(method)>::template Call<method>;

}  // namespace devengine

#endif
