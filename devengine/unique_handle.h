// The engine's kernel handles are owned by winhandle.h's TUniqueHandle; these
// names stay only while the browser and renderer folders still use them.
// Remove the file with their last use.
#ifndef NIMBRA_DEVENGINE_UNIQUE_HANDLE_H
#define NIMBRA_DEVENGINE_UNIQUE_HANDLE_H

#include "winhandle.h"

namespace devengine {

using UniqueHandle = TKernelHandle;

// CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
inline UniqueHandle AdoptHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace devengine

#endif
