// The faces of the handler family: program objects the engine calls.
#pragma once

#include "cef_forward.h"

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
