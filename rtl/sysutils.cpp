#include "sysutils.h"

#include <cwchar>

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// noinline so that the return address is the raising code's.
__attribute__((noinline)) Exception::Exception(std::wstring message)
    : FMessage(std::move(message)),
      FNarrow(WideToUtf8(FMessage)),
      FAddress(__builtin_extract_return_addr(__builtin_return_address(0))) {}

std::wstring SysErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  return text;
}

namespace {
std::wstring OSErrorText(DWORD code) {
  wchar_t head[64];
  std::swprintf(head, 64, L"System Error.  Code: %lu.\r\n", static_cast<unsigned long>(code));
  return head + SysErrorMessage(code);  // the addition is empty
}
}  // namespace

EOSError::EOSError(DWORD code) : Exception(OSErrorText(code)), FErrorCode(code) {}

void RaiseLastOSError() { throw EOSError(GetLastError()); }

std::wstring UncaughtErrorText(const Exception& error) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  wchar_t address[32];
  std::swprintf(address, 32, L"%0*llX", static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(error.ExceptAddr())));
  const std::wstring& message = error.Message();
  const bool endsInPeriod = !message.empty() && message.back() == L'.';
  return std::wstring(L"Exception ") + error.ClassName() + L" in module " + name + L" at " +
         address + L".\r\n" + message + (endsInPeriod ? L"" : L".") + L"\r\n";
}

void ShowUncaughtError(const Exception& error) {
  MessageBoxW(nullptr, UncaughtErrorText(error).c_str(), L"Application Error",
              MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
