#include "test_hooks.h"

#include <windows.h>

namespace devengine {
namespace {
bool VariableSet(const wchar_t* name) { return GetEnvironmentVariableW(name, nullptr, 0) > 1; }
}  // namespace

bool InitializeRefusedByTest() { return VariableSet(L"NIMBRA_ENGINE_REFUSE_INITIALIZE"); }

std::optional<std::wstring> DialogAnswerByTest() {
  constexpr wchar_t kName[] = L"NIMBRA_ENGINE_DIALOG_ANSWER";
  const DWORD needed = GetEnvironmentVariableW(kName, nullptr, 0);
  if (needed <= 1) return std::nullopt;
  std::wstring text(needed, L'\0');
  const DWORD written = GetEnvironmentVariableW(kName, text.data(), needed);
  if (written == 0 || written >= needed) return std::nullopt;
  text.resize(written);
  return text;
}

}  // namespace devengine
