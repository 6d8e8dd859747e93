#include "processes.h"

#include <shellapi.h>

#include <vector>

namespace {

// The full path of the running executable, however long.
std::wstring OwnExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t ch : argument) {
    if (ch == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes stand for themselves unless a quote follows them.
    quoted.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(ch);
  }
  // Before the closing quote they must not escape it.
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

bool IsPassableAddress(const std::wstring& address) {
  if (address.find(L'\0') != std::wstring::npos) return false;
  return address.empty() || (address.front() != L'-' && address.front() != L'/');
}

void StartNewWindowProcess(HWND owner, const std::wstring& address) {
  if (!IsPassableAddress(address)) return;
  const std::wstring executable = OwnExecutablePath();
  if (executable.empty()) return;
  const std::wstring parameters = QuoteArgument(address);
  ShellExecuteW(owner, L"open", executable.c_str(), parameters.c_str(), nullptr, SW_SHOWDEFAULT);
}
