// The engine interfaces the program uses: wrappers' faces (engine records the
// program holds) and handlers' faces (program objects the engine calls).
#pragma once

#include "cef_base.h"
#include "cef_string.h"

using TCefProcessId = cef_process_id_t;
using TCefThreadId = cef_thread_id_t;

// ---- Engine records held by the program -------------------------------------
class ICefBrowser : public virtual ICefBase {};
class ICefFrame : public virtual ICefBase {};
class ICefRequest : public virtual ICefBase {};
class ICefListValue : public virtual ICefBase {};
class ICefProcessMessage : public virtual ICefBase {};
class ICefv8Context : public virtual ICefBase {};
class ICefV8Exception : public virtual ICefBase {};
class ICefV8StackTrace : public virtual ICefBase {};
class ICefDomNode : public virtual ICefBase {};
class ICefSchemeRegistrar : public virtual ICefBase {};

class ICefCommandLine : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefCommandLine> Copy() = 0;
  virtual void InitFromArgv(int argc, const char* const* argv) = 0;
  virtual void InitFromString(const ustring& commandLine) = 0;
  virtual void Reset() = 0;
  virtual ustring GetCommandLineString() = 0;
  virtual void GetArgv(TStringList& args) = 0;
  virtual ustring GetProgram() = 0;
  virtual void SetProgram(const ustring& program) = 0;
  virtual bool HasSwitches() = 0;
  virtual bool HasSwitch(const ustring& name) = 0;
  virtual ustring GetSwitchValue(const ustring& name) = 0;
  virtual void GetSwitches(cef_string_map_t switches) = 0;
  virtual void AppendSwitch(const ustring& name) = 0;
  virtual void AppendSwitchWithValue(const ustring& name, const ustring& value) = 0;
  virtual bool HasArguments() = 0;
  virtual void GetArguments(TStringList& arguments) = 0;
  virtual void AppendArgument(const ustring& argument) = 0;
  virtual void PrependWrapper(const ustring& wrapper) = 0;
};

// ---- Program handlers ---------------------------------------------------------
class ICefResourceBundleHandler : public virtual ICefBase {};

class ICefBrowserProcessHandler : public virtual ICefBase {
 public:
  virtual void OnContextInitialized() = 0;
  virtual void OnBeforeChildProcessLaunch(const TInterfacePtr<ICefCommandLine>& commandLine) = 0;
  virtual void OnRenderProcessThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) = 0;
};

class ICefRenderProcessHandler : public virtual ICefBase {
 public:
  using PBrowser = const TInterfacePtr<ICefBrowser>&;
  using PFrame = const TInterfacePtr<ICefFrame>&;
  using PContext = const TInterfacePtr<ICefv8Context>&;
  using PException = const TInterfacePtr<ICefV8Exception>&;
  using PStackTrace = const TInterfacePtr<ICefV8StackTrace>&;

  virtual void OnRenderThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) = 0;
  virtual void OnWebKitInitialized() = 0;
  virtual void OnBrowserCreated(PBrowser browser) = 0;
  virtual void OnBrowserDestroyed(PBrowser browser) = 0;
  virtual bool OnBeforeNavigation(PBrowser browser, PFrame frame,
                                  const TInterfacePtr<ICefRequest>& request,
                                  cef_navigation_type_t navigationType, bool isRedirect) = 0;
  virtual void OnContextCreated(PBrowser browser, PFrame frame, PContext context) = 0;
  virtual void OnContextReleased(PBrowser browser, PFrame frame, PContext context) = 0;
  virtual void OnUncaughtException(PBrowser browser, PFrame frame, PContext context,
                                   PException exception, PStackTrace stackTrace) = 0;
  virtual void OnWorkerContextCreated(int workerId, const ustring& url, PContext context) = 0;
  virtual void OnWorkerContextReleased(int workerId, const ustring& url, PContext context) = 0;
  virtual void OnWorkerUncaughtException(int workerId, const ustring& url, PContext context,
                                         PException exception, PStackTrace stackTrace) = 0;
  virtual void OnFocusedNodeChanged(PBrowser browser, PFrame frame,
                                    const TInterfacePtr<ICefDomNode>& node) = 0;
  virtual bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                        const TInterfacePtr<ICefProcessMessage>& message) = 0;
};

class ICefApp : public virtual ICefBase {
 public:
  virtual void OnBeforeCommandLineProcessing(const ustring& processType,
                                             const TInterfacePtr<ICefCommandLine>& commandLine) = 0;
  virtual void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) = 0;
  virtual TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() = 0;
  virtual TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() = 0;
  virtual TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() = 0;
};
