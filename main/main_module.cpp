#include "main_module.h"

#include <windows.h>

#include <vector>

#include "cef_loader.h"
#include "render_process_handler.h"

std::wstring TempFolder;
std::wstring CacheFolder;
std::wstring DownloadFolder;
std::wstring ContextImageUrl;
std::wstring ContextLinkUrl;
std::unique_ptr<TTextList> PageResourceUrls;
std::unique_ptr<TTextList> PageResourceFiles;

namespace {
std::wstring EnvironmentVariable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::vector<wchar_t> buffer(size);
  const DWORD n = GetEnvironmentVariableW(name, buffer.data(), size);
  return std::wstring(buffer.data(), n < size ? n : 0);
}
}  // namespace

std::wstring ExecutableFolder() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      std::wstring full(path.data(), n);
      const size_t slash = full.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
    }
    path.resize(path.size() * 2);
  }
}

void MainInitialization() {
  TempFolder = EnvironmentVariable(L"TEMP");
  if (TempFolder.empty() || TempFolder.back() != L'\\') TempFolder += L'\\';
  CacheFolder = TempFolder + L"cacheNimbra";

  EngineSettings.LocalesDirPath = ExecutableFolder() + L"\\locales\\";
  EngineSettings.CachePath = CacheFolder;
  EngineSettings.Locale = L"fr";
  EngineSettings.RemoteDebuggingPort = 9000;
  EngineSettings.RenderProcessHandler = CefNew<TCustomRenderProcessHandler>();
  EngineSettings.BrowserProcessHandler = CefNew<TCefBrowserProcessHandlerOwn>();
}

void MainFinalization() {
  TempFolder.clear();
  CacheFolder.clear();
  DownloadFolder.clear();
  ContextImageUrl.clear();
  ContextLinkUrl.clear();
  PageResourceUrls.reset();
  PageResourceFiles.reset();
}
