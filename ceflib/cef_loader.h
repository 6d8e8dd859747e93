// Bringing the engine into the process and taking it out again.
//
// Start-up code writes EngineSettings, then calls LoadEngine. In an engine
// sub-process that call runs the sub-process's whole life and answers false;
// in the browser process it initialises the engine and answers true. The
// engine's main-thread work is pumped from the window message loop by a 10 ms
// thread timer that exists while at least one windowed client handler does.
// Everything here runs on the main thread.
#pragma once

#include <functional>

#include "sysutils.h"
#include "cef_handlers.h"

class ECefException : public Exception {
 public:
  using Exception::Exception;
  const wchar_t* ClassName() const noexcept override { return L"ECefException"; }
};

using TBeforeCommandLineProcessingHook =
    std::function<void(const ustring& processType, const TInterfacePtr<ICefCommandLine>&)>;
using TRegisterCustomSchemesHook = std::function<void(const TInterfacePtr<ICefSchemeRegistrar>&)>;

// The process-wide engine settings, written before the first load.
struct TEngineSettings {
  ustring LibraryFileName = L"libcef.dll";
  ustring CachePath;
  ustring UserAgent;
  ustring ProductVersion;
  ustring Locale;
  ustring LogFile;
  int LogSeverity = 99;  // logging off
  ustring JavascriptFlags;
  ustring ResourcesDirPath;
  ustring LocalesDirPath;
  bool PackLoadingDisabled = false;
  bool SingleProcess = true;
  ustring BrowserSubprocessPath;
  bool CommandLineArgsDisabled = false;
  int RemoteDebuggingPort = 0;
  bool ReleaseDcheckEnabled = false;
  int UncaughtExceptionStackSize = 0;
  int ContextSafetyImplementation = 0;
  TInterfacePtr<ICefResourceBundleHandler> ResourceBundleHandler;
  TInterfacePtr<ICefBrowserProcessHandler> BrowserProcessHandler;
  TInterfacePtr<ICefRenderProcessHandler> RenderProcessHandler;
  TBeforeCommandLineProcessingHook BeforeCommandLineProcessingHook;
  TRegisterCustomSchemesHook RegisterCustomSchemesHook;
};

extern TEngineSettings EngineSettings;

// The loaded engine library; null while none is loaded.
HMODULE EngineLoaded();
bool EngineInitialised();

bool LoadEngineLibrary(const ustring& cachePath, const ustring& userAgent,
                       const ustring& productVersion, const ustring& locale, const ustring& logFile,
                       const ustring& browserSubprocessPath, int logSeverity,
                       const ustring& javascriptFlags, const ustring& resourcesDirPath,
                       const ustring& localesDirPath, bool singleProcess,
                       bool commandLineArgsDisabled, bool packLoadingDisabled,
                       int remoteDebuggingPort, bool releaseDcheckEnabled,
                       int uncaughtExceptionStackSize, int contextSafetyImplementation);
bool LoadEngine();
void ShutdownEngine();
// One slice of engine main-thread work; answers whether the engine was called.
bool PumpEngineWork();

// The application object: hands the engine the handlers and hooks of
// EngineSettings.
class TInternalApp : public TCefAppOwn {
 public:
  void OnBeforeCommandLineProcessing(const ustring& processType,
                                     const TInterfacePtr<ICefCommandLine>& commandLine) override;
  void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) override;
  TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() override;
  TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() override;
  TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() override;
};

// The message-loop pump. Windowed client handlers count themselves in when
// they are created and out when they are destroyed.
namespace EnginePump {
void CountIn();
void CountOut();
int Count();
UINT_PTR TimerId();  // 0 while no timer exists
bool Busy();
// The timer's work: answers whether the engine was given a slice.
bool Tick();
}  // namespace EnginePump

// The binding module's start and end of process, called in module order.
void CeflibInitialization();
void CeflibFinalization();
