#include "trace.h"

#include <windows.h>

#include <exception>
#include <string>

#include "winhandle.h"

namespace devengine {
namespace {

constexpr wchar_t kTraceVariable[] = L"NIMBRA_ENGINE_TRACE";

std::wstring TracePath() {
  const DWORD needed = GetEnvironmentVariableW(kTraceVariable, nullptr, 0);
  if (needed <= 1) return {};
  std::wstring path(needed, L'\0');
  const DWORD written = GetEnvironmentVariableW(kTraceVariable, path.data(), needed);
  path.resize(written < needed ? written : 0);
  return path;
}

}  // namespace

TraceLine::TraceLine(std::string_view event) : text_(event) {}

TraceLine& TraceLine::Word(std::string_view word) {
  text_ += ' ';
  text_ += word;
  return *this;
}

TraceLine& TraceLine::Add(std::string_view key, std::string_view value) {
  text_ += ' ';
  text_ += key;
  text_ += '=';
  text_ += value;
  return *this;
}

TraceLine& TraceLine::Add(std::string_view key, long long value) {
  return Add(key, std::string_view(std::to_string(value)));
}

TraceLine& TraceLine::AddSetOrNull(std::string_view key, bool set) {
  return Add(key, std::string_view(set ? "set" : "null"));
}

TraceLine& TraceLine::AddQuoted(std::string_view key, std::string_view text) {
  std::string quoted = "\"";
  for (const char ch : text) {
    switch (ch) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      default:
        quoted += ch;
    }
  }
  quoted += '"';
  return Add(key, std::string_view(quoted));
}

// Opened, appended and closed per line so that several processes can share
// one file; one WriteFile on an append-only handle keeps each line whole.
void TraceLine::Write() const {
  const std::wstring path = TracePath();
  if (path.empty()) return;
  const TFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string line = std::to_string(GetCurrentProcessId()) + " " + text_ + "\n";
  DWORD written = 0;
  WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void ReportCaughtFailure(std::string_view where) noexcept {
  try {
    std::string what = "unknown";
    if (const std::exception_ptr caught = std::current_exception()) {
      try {
        std::rethrow_exception(caught);
      } catch (const std::exception& error) {
        what = error.what();
      } catch (...) {
      }
    }
    TraceLine line("failure");
    line.Add("where", where).AddQuoted("what", what);
    line.Write();
    OutputDebugStringA(
        ("Nimbra engine: failure in " + std::string(where) + ": " + what + "\n").c_str());
  } catch (...) {
    OutputDebugStringA("Nimbra engine: failure\n");
  }
}

}  // namespace devengine
