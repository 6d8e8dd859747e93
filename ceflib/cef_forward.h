// Every engine interface by name, and which wrapper class stands for which
// engine record. Headers that only pass interfaces around need nothing more.
#pragma once

#include "cef_convert.h"

using TCefProcessId = cef_process_id_t;
using TCefThreadId = cef_thread_id_t;
// Records and kinds that both browser wrappers and browser handlers pass.
using TCefRect = cef_rect_t;
using TCefKeyEvent = cef_key_event_t;
using TCefFileDialogMode = cef_file_dialog_mode_t;
using TCefPaintElementType = cef_paint_element_type_t;

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

// Which wrapper class stands for which interface and engine record.
NIMBRA_WRAPS(TCefBrowserRef, ICefBrowser, cef_browser_t)
NIMBRA_WRAPS(TCefBrowserHostRef, ICefBrowserHost, cef_browser_host_t)
NIMBRA_WRAPS(TCefFrameRef, ICefFrame, cef_frame_t)
NIMBRA_WRAPS(TCefRequestRef, ICefRequest, cef_request_t)
NIMBRA_WRAPS(TCefPostDataRef, ICefPostData, cef_post_data_t)
NIMBRA_WRAPS(TCefPostDataElementRef, ICefPostDataElement, cef_post_data_element_t)
NIMBRA_WRAPS(TCefProcessMessageRef, ICefProcessMessage, cef_process_message_t)
NIMBRA_WRAPS(TCefListValueRef, ICefListValue, cef_list_value_t)
NIMBRA_WRAPS(TCefDictionaryValueRef, ICefDictionaryValue, cef_dictionary_value_t)
NIMBRA_WRAPS(TCefBinaryValueRef, ICefBinaryValue, cef_binary_value_t)
NIMBRA_WRAPS(TCefv8ValueRef, ICefv8Value, cef_v8value_t)
NIMBRA_WRAPS(TCefv8ContextRef, ICefv8Context, cef_v8context_t)
NIMBRA_WRAPS(TCefV8ExceptionRef, ICefV8Exception, cef_v8exception_t)
NIMBRA_WRAPS(TCefV8StackTraceRef, ICefV8StackTrace, cef_v8stack_trace_t)
NIMBRA_WRAPS(TCefV8StackFrameRef, ICefV8StackFrame, cef_v8stack_frame_t)
NIMBRA_WRAPS(TCefv8HandlerRef, ICefv8Handler, cef_v8handler_t)
NIMBRA_WRAPS(TCefDomDocumentRef, ICefDomDocument, cef_domdocument_t)
NIMBRA_WRAPS(TCefDomNodeRef, ICefDomNode, cef_domnode_t)
NIMBRA_WRAPS(TCefDomEventRef, ICefDomEvent, cef_domevent_t)
NIMBRA_WRAPS(TCefCookieManagerRef, ICefCookieManager, cef_cookie_manager_t)
NIMBRA_WRAPS(TCefContextMenuParamsRef, ICefContextMenuParams, cef_context_menu_params_t)
NIMBRA_WRAPS(TCefMenuModelRef, ICefMenuModel, cef_menu_model_t)
NIMBRA_WRAPS(TCefDownLoadItemRef, ICefDownloadItem, cef_download_item_t)
NIMBRA_WRAPS(TCefBeforeDownloadCallbackRef, ICefBeforeDownloadCallback,
             cef_before_download_callback_t)
NIMBRA_WRAPS(TCefDownloadItemCallbackRef, ICefDownloadItemCallback, cef_download_item_callback_t)
NIMBRA_WRAPS(TCefAuthCallbackRef, ICefAuthCallback, cef_auth_callback_t)
NIMBRA_WRAPS(TCefJsDialogCallbackRef, ICefJsDialogCallback, cef_jsdialog_callback_t)
NIMBRA_WRAPS(TCefQuotaCallbackRef, ICefQuotaCallback, cef_quota_callback_t)
NIMBRA_WRAPS(TCefGeolocationCallbackRef, ICefGeolocationCallback, cef_geolocation_callback_t)
NIMBRA_WRAPS(TCefFileDialogCallbackRef, ICefFileDialogCallback, cef_file_dialog_callback_t)
NIMBRA_WRAPS(TCefWebPluginInfoRef, ICefWebPluginInfo, cef_web_plugin_info_t)
NIMBRA_WRAPS(TCefCommandLineRef, ICefCommandLine, cef_command_line_t)
NIMBRA_WRAPS(TCefSchemeRegistrarRef, ICefSchemeRegistrar, cef_scheme_registrar_t)
NIMBRA_WRAPS(TCefTaskRunnerRef, ICefTaskRunner, cef_task_runner_t)
