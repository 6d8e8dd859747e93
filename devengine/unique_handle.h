// Owns a Win32 kernel handle and closes it once.
#ifndef NIMBRA_DEVENGINE_UNIQUE_HANDLE_H
#define NIMBRA_DEVENGINE_UNIQUE_HANDLE_H

#include <windows.h>

#include <memory>
#include <type_traits>

namespace devengine {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
inline UniqueHandle AdoptHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace devengine

#endif
