// What the development engine's own tests need to call it as a program
// would: string records, and records of program objects whose references
// the engine takes and gives back.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "exports.h"

inline std::wstring TextOf(const cef_string_t& string) {
  return string.str == nullptr ? std::wstring() : std::wstring(string.str, string.length);
}

inline cef_string_t Borrowed(const std::wstring& text) {
  return {const_cast<wchar_t*>(text.data()), text.size(), nullptr};
}
// A temporary would be gone before the record is read.
cef_string_t Borrowed(std::wstring&&) = delete;

// An engine-filled string record, cleared when the test is done with it.
struct OwnedString : cef_string_t {
  OwnedString() : cef_string_t{} {}
  OwnedString(const OwnedString&) = delete;
  OwnedString& operator=(const OwnedString&) = delete;
  ~OwnedString() { cef_string_utf16_clear(this); }
};

// The record of a program object owned by a test, with `owner` behind it.
// The test holds one reference for as long as the object lives; each
// Handed() adds the one that an engine call takes over.
template <class Record, class Owner>
class ProgramRecord {
 public:
  explicit ProgramRecord(Owner* owner) : owner_(owner) {
    cef_base_t& base = record_.base;
    base.size = sizeof(Record);
    base.add_ref = &AddRef;
    base.release = &Release;
    base.get_refct = &RefCount;
  }
  ProgramRecord(const ProgramRecord&) = delete;
  ProgramRecord& operator=(const ProgramRecord&) = delete;

  Record& record() { return record_; }
  Record* Handed() {
    ++refs_;
    return &record_;
  }
  int refs() const { return refs_; }
  // Whether the engine gave back every reference it was handed in time.
  bool AllGivenBack(std::chrono::milliseconds wait = std::chrono::seconds(10)) const {
    for (const auto end = std::chrono::steady_clock::now() + wait; refs_ != 1;) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static Owner& OwnerOf(Record* record) { return *Of(&record->base).owner_; }

 private:
  static ProgramRecord& Of(cef_base_t* base) { return *reinterpret_cast<ProgramRecord*>(base); }
  static int CEF_CALLBACK AddRef(cef_base_t* self) { return ++Of(self).refs_; }
  static int CEF_CALLBACK Release(cef_base_t* self) { return --Of(self).refs_; }
  static int CEF_CALLBACK RefCount(cef_base_t* self) { return Of(self).refs_; }

  Record record_{};
  std::atomic<int> refs_{1};
  Owner* owner_;
};

// Gives back the one reference the test holds on an engine record.
template <class Record>
struct Held {
  explicit Held(Record* record) : record(record) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (record != nullptr) record->base.release(&record->base);
  }
  Record* operator->() const { return record; }
  Record* get() const { return record; }
  // A reference of its own for an engine call to take over.
  Record* Handed() const {
    record->base.add_ref(&record->base);
    return record;
  }
  Record* record;
};
