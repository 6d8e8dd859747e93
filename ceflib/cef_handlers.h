// Handler bases: program objects the engine calls. Each owns its engine record
// (entries in the engine's order) whose entries recover the object and call the
// virtual operation of the same position. Defaults do nothing and answer false
// or no object.
#pragma once

#include "cef_interfaces.h"

class TCefAppOwn : public TCefBaseOwn, public ICefApp {
 public:
  TCefAppOwn();
  void OnBeforeCommandLineProcessing(const ustring& processType,
                                     const TInterfacePtr<ICefCommandLine>& commandLine) override;
  void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) override;
  TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() override;
  TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() override;
  TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() override;
};

class TCefBrowserProcessHandlerOwn : public TCefBaseOwn, public ICefBrowserProcessHandler {
 public:
  TCefBrowserProcessHandlerOwn();
  void OnContextInitialized() override;
  void OnBeforeChildProcessLaunch(const TInterfacePtr<ICefCommandLine>& commandLine) override;
  void OnRenderProcessThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override;
};

class TCefRenderProcessHandlerOwn : public TCefBaseOwn, public ICefRenderProcessHandler {
 public:
  TCefRenderProcessHandlerOwn();
  void OnRenderThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override;
  void OnWebKitInitialized() override;
  void OnBrowserCreated(PBrowser browser) override;
  void OnBrowserDestroyed(PBrowser browser) override;
  bool OnBeforeNavigation(PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request,
                          cef_navigation_type_t navigationType, bool isRedirect) override;
  void OnContextCreated(PBrowser browser, PFrame frame, PContext context) override;
  void OnContextReleased(PBrowser browser, PFrame frame, PContext context) override;
  void OnUncaughtException(PBrowser browser, PFrame frame, PContext context, PException exception,
                           PStackTrace stackTrace) override;
  void OnWorkerContextCreated(int workerId, const ustring& url, PContext context) override;
  void OnWorkerContextReleased(int workerId, const ustring& url, PContext context) override;
  void OnWorkerUncaughtException(int workerId, const ustring& url, PContext context,
                                 PException exception, PStackTrace stackTrace) override;
  void OnFocusedNodeChanged(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefDomNode>& node) override;
  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override;
};
