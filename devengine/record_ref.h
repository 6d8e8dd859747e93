// One counted reference on a record, the program's or the engine's. Every
// record starts with cef_base_t, so this works for records the engine knows
// only by name.
#ifndef NIMBRA_DEVENGINE_RECORD_REF_H
#define NIMBRA_DEVENGINE_RECORD_REF_H

#include <utility>

#include "cef_capi.h"

namespace devengine {

template <class Record>
class RecordRef {
 public:
  RecordRef() = default;

  // Takes over a reference the caller already holds.
  static RecordRef Adopt(Record* record) {
    RecordRef ref;
    ref.record_ = record;
    return ref;
  }
  // Adds a reference of its own.
  static RecordRef Retain(Record* record) {
    cef_base_t* base = BaseOf(record);
    if (base != nullptr && base->add_ref != nullptr) base->add_ref(base);
    return Adopt(record);
  }

  RecordRef(RecordRef&& other) noexcept : record_(std::exchange(other.record_, nullptr)) {}
  RecordRef& operator=(RecordRef&& other) noexcept {
    if (this != &other) {
      Reset();
      record_ = std::exchange(other.record_, nullptr);
    }
    return *this;
  }
  RecordRef(const RecordRef&) = delete;
  RecordRef& operator=(const RecordRef&) = delete;
  ~RecordRef() { Reset(); }

  Record* get() const { return record_; }
  explicit operator bool() const { return record_ != nullptr; }

  // Hands the reference on to whoever takes the record next.
  Record* Detach() { return std::exchange(record_, nullptr); }

  // Gives the reference back; answers whether there was one.
  bool Reset() {
    cef_base_t* base = BaseOf(std::exchange(record_, nullptr));
    if (base == nullptr) return false;
    if (base->release != nullptr) base->release(base);
    return true;
  }

 private:
  static cef_base_t* BaseOf(Record* record) { return reinterpret_cast<cef_base_t*>(record); }

  Record* record_ = nullptr;
};

}  // namespace devengine

#endif
