#include "argv_probe.h"

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "test_support.h"

namespace {

constexpr const wchar_t* kProbeVariable = L"NIMBRA_ARGV_PROBE";

std::wstring ProbePath() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(kProbeVariable, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

struct TLocalFree {
  void operator()(LPWSTR* p) const noexcept { LocalFree(p); }
};

}  // namespace

bool RunArgvProbe() {
  const std::wstring path = ProbePath();
  if (path.empty()) return false;
  int count = 0;
  std::unique_ptr<LPWSTR, TLocalFree> words(CommandLineToArgvW(GetCommandLineW(), &count));
  // Each argument ends with a NUL; the file appears complete under its name.
  std::wstring content;
  for (int i = 0; words && i < count; ++i) content += std::wstring(words.get()[i]) + L'\0';
  const std::wstring part = path + L".part";
  {
    std::ofstream out(std::filesystem::path(part), std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size() * sizeof(wchar_t)));
  }
  MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  return true;
}

TArgvProbeScope::TArgvProbeScope(const std::wstring& path) {
  SetEnvironmentVariableW(kProbeVariable, path.c_str());
}

TArgvProbeScope::~TArgvProbeScope() { SetEnvironmentVariableW(kProbeVariable, nullptr); }

std::optional<std::vector<std::wstring>> ReadArgvProbe(const std::wstring& path,
                                                       DWORD milliseconds) {
  if (!WaitUntil([&] { return FileExists(path); }, milliseconds)) return std::nullopt;
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::wstring content(reinterpret_cast<const wchar_t*>(bytes.data()),
                             bytes.size() / sizeof(wchar_t));
  std::vector<std::wstring> words;
  for (std::size_t start = 0; start < content.size();) {
    const std::size_t end = content.find(L'\0', start);
    words.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return words;
}
