// The engine's only naked heap allocations: records and buffers that cross
// the C interface and are given back later through a C function, and the
// engine's own state.
#ifndef NIMBRA_DEVENGINE_HEAP_RECORDS_H
#define NIMBRA_DEVENGINE_HEAP_RECORDS_H

#include <cstddef>
#include <utility>

namespace devengine {

template <class T, class... Args>
T* NewRecord(Args&&... args) {
  return new T(std::forward<Args>(args)...);
}

template <class T>
void DeleteRecord(T* record) {
  delete record;
}

// One object for the life of the process, never destroyed: nothing of it
// runs while the process unloads, when the program's objects it may refer to
// are already gone.
template <class T>
T& Immortal() {
  static T* const instance = new T();
  return *instance;
}

// A zero-terminated text buffer of `length` characters.
template <class Char>
Char* NewTextBuffer(std::size_t length) {
  return new Char[length + 1]();
}

template <class Char>
void DeleteTextBuffer(Char* text) {
  delete[] text;
}

}  // namespace devengine

#endif
