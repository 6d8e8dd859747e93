#include "cef_loader.h"

#include <atomic>

#include "cef_api.h"
#include "cef_wrappers.h"
#include "winhandle.h"

TEngineSettings EngineSettings;

namespace {

HMODULE LoadedLibrary = nullptr;
bool Initialised = false;
// A library that failed the export check stays loaded but is never used: a
// later load raises the same error instead of answering true over a table
// with holes in it.
bool Rejected = false;

const wchar_t kInvalidVersion[] = L"Invalid CEF Library version";
HINSTANCE ProcessInstance = nullptr;

// Masks every floating-point exception of the calling thread: faults in the
// engine's code and ours then give special values instead of raising.
void MaskFloatingPointExceptions() {
  unsigned short control = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  control |= 0x3F;
  __asm__ __volatile__("fldcw %0" : : "m"(control));
}

}  // namespace

HMODULE EngineLoaded() { return LoadedLibrary; }
bool EngineInitialised() { return Initialised; }

bool LoadEngineLibrary(const ustring& cachePath, const ustring& userAgent,
                       const ustring& productVersion, const ustring& locale, const ustring& logFile,
                       const ustring& browserSubprocessPath, int logSeverity,
                       const ustring& javascriptFlags, const ustring& resourcesDirPath,
                       const ustring& localesDirPath, bool singleProcess,
                       bool commandLineArgsDisabled, bool packLoadingDisabled,
                       int remoteDebuggingPort, bool releaseDcheckEnabled,
                       int uncaughtExceptionStackSize, int contextSafetyImplementation) {
  if (LoadedLibrary) {
    if (Rejected) throw ECefException(kInvalidVersion);
    return true;
  }

  MaskFloatingPointExceptions();

  HMODULE library = LoadLibraryW(EngineSettings.LibraryFileName.c_str());
  if (!library) RaiseLastOSError();
  LoadedLibrary = library;

  if (ResolveEntryPoints(library, CefApi) != 0) {
    Rejected = true;
    throw ECefException(kInvalidVersion);
  }

  cef_settings_t settings{};
  settings.size = sizeof settings;
  settings.single_process = singleProcess;
  settings.browser_subprocess_path = CefStringView(browserSubprocessPath);
  settings.multi_threaded_message_loop = 0;
  settings.command_line_args_disabled = commandLineArgsDisabled;
  settings.cache_path = CefStringView(cachePath);
  settings.user_agent = CefStringView(userAgent);
  settings.product_version = CefStringView(productVersion);
  settings.locale = CefStringView(locale);
  settings.log_file = CefStringView(logFile);
  settings.log_severity = logSeverity;
  settings.release_dcheck_enabled = releaseDcheckEnabled;
  settings.javascript_flags = CefStringView(javascriptFlags);
  settings.resources_dir_path = CefStringView(resourcesDirPath);
  settings.locales_dir_path = CefStringView(localesDirPath);
  settings.pack_loading_disabled = packLoadingDisabled;
  settings.remote_debugging_port = remoteDebuggingPort;
  settings.uncaught_exception_stack_size = uncaughtExceptionStackSize;
  settings.context_safety_implementation = contextSafetyImplementation;

  // Held for the rest of the call; the engine keeps what it needs by its own
  // references.
  const TInterfacePtr<ICefApp> app = CefNew<TInternalApp>();

  if (!ProcessInstance) ProcessInstance = GetModuleHandleW(nullptr);
  const auto* mainArgs = reinterpret_cast<const cef_main_args_t*>(&ProcessInstance);

  if (CefApi.cef_execute_process(mainArgs, static_cast<cef_app_t*>(CefRecordOf(app))) >= 0)
    return false;

  // An engine that refuses to start must not be taken for a running one.
  if (!CefApi.cef_initialize(mainArgs, &settings, static_cast<cef_app_t*>(CefRecordOf(app))))
    throw ECefException(L"The engine could not be initialised");
  Initialised = true;
  return true;
}

bool LoadEngine() {
  const TEngineSettings& s = EngineSettings;
  return LoadEngineLibrary(
      s.CachePath, s.UserAgent, s.ProductVersion, s.Locale, s.LogFile, s.BrowserSubprocessPath,
      s.LogSeverity, s.JavascriptFlags, s.ResourcesDirPath, s.LocalesDirPath, s.SingleProcess,
      s.CommandLineArgsDisabled, s.PackLoadingDisabled, s.RemoteDebuggingPort,
      s.ReleaseDcheckEnabled, s.UncaughtExceptionStackSize, s.ContextSafetyImplementation);
}

void ShutdownEngine() {
  if (!LoadedLibrary) return;
  if (Initialised && CefApi.cef_shutdown) CefApi.cef_shutdown();
  FreeLibrary(LoadedLibrary);
  LoadedLibrary = nullptr;
  Rejected = false;
  CefApi = TCefEntryPoints{};
}

bool PumpEngineWork() {
  if (!LoadedLibrary) return false;
  CefApi.cef_do_message_loop_work();
  return true;
}

void TInternalApp::OnBeforeCommandLineProcessing(
    const ustring& processType, const TInterfacePtr<ICefCommandLine>& commandLine) {
  if (EngineSettings.BeforeCommandLineProcessingHook)
    EngineSettings.BeforeCommandLineProcessingHook(processType, commandLine);
}

void TInternalApp::OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) {
  if (EngineSettings.RegisterCustomSchemesHook) EngineSettings.RegisterCustomSchemesHook(registrar);
}

TInterfacePtr<ICefResourceBundleHandler> TInternalApp::GetResourceBundleHandler() {
  return EngineSettings.ResourceBundleHandler;
}
TInterfacePtr<ICefBrowserProcessHandler> TInternalApp::GetBrowserProcessHandler() {
  return EngineSettings.BrowserProcessHandler;
}
TInterfacePtr<ICefRenderProcessHandler> TInternalApp::GetRenderProcessHandler() {
  return EngineSettings.RenderProcessHandler;
}

namespace EnginePump {
namespace {
std::atomic<int> LiveHandlers{0};
// A thread timer can only be killed on the thread that made it, the main
// thread; the engine may drop the last client on a thread of its own, and
// then the timer's next tick kills it.
std::atomic<UINT_PTR> Timer{0};
DWORD TimerThread = 0;
bool IsBusy = false;

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) { Tick(); }

void KillTimerHere() {
  if (const UINT_PTR timer = Timer.exchange(0)) KillTimer(nullptr, timer);
}
}  // namespace

void CountIn() {
  if (LiveHandlers.load() == 0 && Timer.load() == 0) {
    Timer = SetTimer(nullptr, 0, 10, TimerProc);
    TimerThread = GetCurrentThreadId();
  }
  ++LiveHandlers;
}

void CountOut() {
  if (--LiveHandlers == 0 && GetCurrentThreadId() == TimerThread) KillTimerHere();
}

int Count() { return LiveHandlers.load(); }
UINT_PTR TimerId() { return Timer.load(); }
bool Busy() { return IsBusy; }

bool Tick() {
  if (LiveHandlers.load() <= 0) {
    KillTimerHere();
    return false;
  }
  if (IsBusy) return false;
  IsBusy = true;
  const TScopeExit clearBusy([] { IsBusy = false; });
  return PumpEngineWork();
}
}  // namespace EnginePump

void CeflibInitialization() {
  // The C++ run-time's memory management is always thread-safe; all that is
  // left is to start from the defaults.
  EngineSettings = TEngineSettings{};
}

void CeflibFinalization() {
  ShutdownEngine();
  EngineSettings = TEngineSettings{};
}
