// Benchmarks bind the development engine beside them without initialising it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "cef_api.h"

// Loads libcef.dll from the benchmark's folder into CefApi; reports and
// answers false when it cannot.
inline bool BindEngineBesideBenchmark() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder = folder.substr(0, folder.find_last_of(L"\\/"));
  HMODULE library = LoadLibraryW((folder + L"\\libcef.dll").c_str());
  if (!library || ResolveEntryPoints(library, CefApi) != 0) {
    std::fprintf(stderr, "libcef.dll not found beside the benchmark\n");
    return false;
  }
  return true;
}
