// Never compiles, on purpose: the engine's include path holds the C interface
// and the handle owners, and nothing else of the program. The layering test
// builds this file and expects the binding's header to be missing.
#include "cef_capi.h"
#include "winhandle.h"

#include "cef_string.h"
