// Every engine interface by name, and which wrapper class stands for which
// engine record. Headers that only pass interfaces around need nothing more.
#pragma once

#include "cef_convert.h"

using TCefProcessId = cef_process_id_t;
using TCefThreadId = cef_thread_id_t;

// Handler family: program objects the engine calls.
class ICefApp;
class ICefBrowserProcessHandler;
class ICefRenderProcessHandler;
class ICefResourceBundleHandler;
class ICefClient;
class ICefLifeSpanHandler;
class ICefLoadHandler;
class ICefDisplayHandler;
class ICefFocusHandler;
class ICefKeyboardHandler;
class ICefJsDialogHandler;
class ICefContextMenuHandler;
class ICefRequestHandler;
class ICefDownloadHandler;
class ICefGeolocationHandler;
class ICefDialogHandler;
class ICefRenderHandler;
class ICefv8Accessor;
class ICefStringVisitor;
class ICefDomVisitor;
class ICefDomEventListener;
class ICefCookieVisitor;
class ICefRunFileDialogCallback;

// Wrapper family: engine records the program holds. One row per wrapper.
class ICefBrowser;
class ICefBrowserHost;
class ICefFrame;
class ICefRequest;
class ICefPostData;
class ICefPostDataElement;
class ICefProcessMessage;
class ICefListValue;
class ICefDictionaryValue;
class ICefBinaryValue;
class ICefv8Value;
class ICefv8Context;
class ICefV8Exception;
class ICefV8StackTrace;
class ICefV8StackFrame;
class ICefv8Handler;
class ICefDomDocument;
class ICefDomNode;
class ICefDomEvent;
class ICefCookieManager;
class ICefContextMenuParams;
class ICefMenuModel;
class ICefDownloadItem;
class ICefBeforeDownloadCallback;
class ICefDownloadItemCallback;
class ICefAuthCallback;
class ICefJsDialogCallback;
class ICefQuotaCallback;
class ICefGeolocationCallback;
class ICefFileDialogCallback;
class ICefWebPluginInfo;
class ICefCommandLine;
class ICefSchemeRegistrar;
class ICefTaskRunner;
