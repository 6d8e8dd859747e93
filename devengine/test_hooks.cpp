#include "test_hooks.h"

#include <windows.h>

namespace devengine {
namespace {
bool VariableSet(const wchar_t* name) { return GetEnvironmentVariableW(name, nullptr, 0) > 1; }
}  // namespace

bool InitializeRefusedByTest() { return VariableSet(L"NIMBRA_ENGINE_REFUSE_INITIALIZE"); }

}  // namespace devengine
