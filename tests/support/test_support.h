// Helpers for tests that start real processes, find their windows and read
// the development engine's trace.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "winhandle.h"

// The folder of the running test executable (where nimbra.exe and libcef.dll are).
std::wstring BinFolder();

// A folder of its own under the system's temp folder, removed with its contents.
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::wstring& Path() const { return FPath; }
  std::wstring File(const std::wstring& name) const { return FPath + L"\\" + name; }

 private:
  std::wstring FPath;
};

void RemoveTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
void CopyFileTo(const std::wstring& from, const std::wstring& to);

// Environment changes for a child: a value sets the variable, nullopt unsets it.
using TEnvironment = std::map<std::wstring, std::optional<std::wstring>>;

// A child process, killed if it is still running when the object goes.
class TChildProcess {
 public:
  TChildProcess(const std::wstring& exe, const std::wstring& arguments,
                const TEnvironment& environment = {}, const std::wstring& folder = L"");
  ~TChildProcess();
  DWORD Id() const { return FId; }
  HANDLE Handle() const { return FProcess.get(); }
  // Waits for the end; answers the exit code, or nullopt on time-out.
  std::optional<DWORD> Wait(DWORD milliseconds);
  bool Running();

 private:
  TKernelHandle FProcess;
  DWORD FId = 0;
};

// Polls `done` until it answers true or the time runs out.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 10000);

// Visible top-level windows of a process.
std::vector<HWND> WindowsOfProcess(DWORD processId);
std::wstring WindowText(HWND wnd);
std::wstring WindowClass(HWND wnd);

// The lines of the engine trace; an absent file gives none.
std::vector<std::string> ReadLines(const std::wstring& path);
// The lines of `pid` whose event (second word) is `event`.
std::vector<std::string> TraceEvents(const std::vector<std::string>& lines,
                                     const std::string& event);
// The value of key=value in a trace line; quoted values are unescaped.
std::optional<std::string> TraceValue(const std::string& line, const std::string& key);
