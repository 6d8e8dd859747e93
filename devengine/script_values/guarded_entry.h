// Record entries and exports of the script values that never let a C++
// exception (a failing allocation, in practice) out into the program's
// frames: such a failure answers zero or null instead.
#ifndef NIMBRA_DEVENGINE_SCRIPT_VALUES_GUARDED_ENTRY_H
#define NIMBRA_DEVENGINE_SCRIPT_VALUES_GUARDED_ENTRY_H

#include "engine_object.h"

namespace devengine::script_values {

// Runs `work`, answering its result, or the zero of its type when it throws.
template <class Work>
auto Refusing(Work&& work) noexcept -> decltype(work()) {
  try {
    return work();
  } catch (...) {
    return decltype(work()){};
  }
}

template <class Method>
struct GuardedTraits;

template <class Object, class Result, class... Args>
struct GuardedTraits<Result (Object::*)(Args...)> {
  template <auto method>
  static Result CEF_CALLBACK Call(typename Object::RecordType* self, Args... args) noexcept {
    return Refusing([&] { return EntryOf<method>(self, args...); });
  }
};

// As EntryOf, guarded.
template <auto method>
inline constexpr auto GuardedEntryOf = &GuardedTraits<decltype(method)>::template Call<method>;

}  // namespace devengine::script_values

#endif
