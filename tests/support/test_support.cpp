#include "test_support.h"

#include <fstream>
#include <sstream>
#include <thread>

#include "sysutils.h"

std::wstring BinFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path);
  return full.substr(0, full.find_last_of(L"\\/"));
}

TTempFolder::TTempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    FPath = std::wstring(base) + L"nimbra-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(FPath.c_str(), nullptr)) break;
  }
}

TTempFolder::~TTempFolder() { RemoveTree(FPath); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyFileTo(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw EOSError(GetLastError());
}

namespace {
// The current environment with the changes applied, as a CreateProcess block.
std::vector<wchar_t> EnvironmentBlock(const TEnvironment& changes) {
  std::map<std::wstring, std::wstring> vars;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
    std::wstring entry(p);
    const size_t eq = entry.find(L'=', 1);
    if (eq != std::wstring::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  FreeEnvironmentStringsW(env);
  for (const auto& [name, value] : changes) {
    for (auto it = vars.begin(); it != vars.end();)
      it = _wcsicmp(it->first.c_str(), name.c_str()) == 0 ? vars.erase(it) : std::next(it);
    if (value) vars[name] = *value;
  }
  std::vector<wchar_t> block;
  for (const auto& [name, value] : vars) {
    const std::wstring entry = name + L"=" + value;
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back(0);
  }
  block.push_back(0);
  return block;
}
}  // namespace

TChildProcess::TChildProcess(const std::wstring& exe, const std::wstring& arguments,
                             const TEnvironment& environment, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(0);
  std::vector<wchar_t> env = EnvironmentBlock(environment);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, env.data(),
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    throw EOSError(GetLastError());
  CloseHandle(pi.hThread);
  FProcess.reset(pi.hProcess);
  FId = pi.dwProcessId;
}

TChildProcess::~TChildProcess() {
  if (Running()) {
    TerminateProcess(FProcess.get(), 99);
    WaitForSingleObject(FProcess.get(), 5000);
  }
}

std::optional<DWORD> TChildProcess::Wait(DWORD milliseconds) {
  if (WaitForSingleObject(FProcess.get(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(FProcess.get(), &code);
  return code;
}

bool TChildProcess::Running() { return WaitForSingleObject(FProcess.get(), 0) == WAIT_TIMEOUT; }

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

namespace {
struct TWindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectWindowOfProcess(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == search->pid && IsWindowVisible(wnd)) search->found.push_back(wnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOfProcess(DWORD processId) {
  TWindowSearch search{processId, {}};
  EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WindowText(HWND wnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(wnd, text, 1024);
  return text;
}

std::wstring WindowClass(HWND wnd) {
  wchar_t name[256] = {};
  GetClassNameW(wnd, name, 256);
  return name;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> TraceEvents(const std::vector<std::string>& lines,
                                     const std::string& event) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    std::istringstream words(line);
    std::string pid, name;
    words >> pid >> name;
    if (name == event) found.push_back(line);
  }
  return found;
}

std::optional<std::string> TraceValue(const std::string& line, const std::string& key) {
  const std::string needle = " " + key + "=";
  const size_t at = line.find(needle);
  if (at == std::string::npos) return std::nullopt;
  size_t p = at + needle.size();
  std::string value;
  if (p < line.size() && line[p] == '"') {
    for (++p; p < line.size() && line[p] != '"'; ++p) {
      if (line[p] == '\\' && p + 1 < line.size()) {
        ++p;
        value += line[p] == 'n' ? '\n' : line[p] == 'r' ? '\r' : line[p];
      } else {
        value += line[p];
      }
    }
    return value;
  }
  const size_t end = line.find(' ', p);
  return line.substr(p, end == std::string::npos ? std::string::npos : end - p);
}
