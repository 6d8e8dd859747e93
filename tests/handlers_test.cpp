// Handler bases: every entry of a program record, called as the engine calls
// it, reaches the operation of its position with its arguments converted, and
// the in/out values go back to the engine.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <list>
#include <map>
#include <stdexcept>
#include <vector>

#include "cef_handlers.h"
#include "cef_string.h"
#include "cef_wrappers.h"
#include "chromium_events.h"
#include "engine_fixture.h"

namespace {

// ---- The test as the engine ----------------------------------------------------

// An engine record made by the test: a counted header and nothing else.
struct TFakeRecord {
  cef_base_t Header;
  int Count;
};
int CEF_CALLBACK FakeAddRef(cef_base_t* self) {
  return ++reinterpret_cast<TFakeRecord*>(self)->Count;
}
int CEF_CALLBACK FakeRelease(cef_base_t* self) {
  return --reinterpret_cast<TFakeRecord*>(self)->Count;
}
int CEF_CALLBACK FakeGetRefct(cef_base_t* self) {
  return reinterpret_cast<TFakeRecord*>(self)->Count;
}

std::map<ustring, TFakeRecord> Fakes;  // by name; each holds one reference of its own
std::map<const void*, ustring> Names;  // every address the test can recognise
std::list<std::pair<ustring, cef_string_t>> Texts;
std::vector<cef_string_list_t> EngineLists;
std::vector<TInterfacePtr<ICefBase>> AnswerHandlers;  // what recorders answer to handler queries
std::vector<cef_base_t*> HeldRecords;                 // the engine's references to test objects

ustring Calls;                          // the last operation reached, with its arguments
bool Raise = false;                     // the in/out operations fail after changing their values
TInterfacePtr<ICefClient> PopupClient;  // the client a pop-up is given, if any
ustring RedirectTo;                     // the address a redirect is sent to

// A record argument: the engine hands one reference over with it.
template <class R>
R* Engine(const ustring& name) {
  TFakeRecord& fake = Fakes.try_emplace(name, TFakeRecord{{}, 1}).first->second;
  if (!fake.Header.add_ref) {
    fake.Header = {sizeof(TFakeRecord), FakeAddRef, FakeRelease, FakeGetRefct};
    Names[&fake] = name;
  }
  ++fake.Count;
  return reinterpret_cast<R*>(&fake.Header);
}
cef_browser_t* Browser() { return Engine<cef_browser_t>(L"browser"); }
cef_frame_t* Frame() { return Engine<cef_frame_t>(L"frame"); }

const cef_string_t* Text(const ustring& text) {
  auto& stored = Texts.emplace_back(text, cef_string_t{});
  stored.second = CefStringView(stored.first);
  return &stored.second;
}

cef_string_list_t EngineList(const TStringList& items) {
  cef_string_list_t list = CefApi.cef_string_list_alloc();
  for (const ustring& item : items) CefApi.cef_string_list_append(list, Text(item));
  EngineLists.push_back(list);
  return list;
}

void Release(void* record) {
  auto* header = static_cast<cef_base_t*>(record);
  header->release(header);
}

int RefCountOf(void* record) {
  auto* header = static_cast<cef_base_t*>(record);
  return header->get_refct(header);
}

ustring NameOf(const void* address) {
  if (!address) return L"null";
  const auto found = Names.find(address);
  return found == Names.end() ? L"other" : found->second;
}

// ---- What an operation received, as text ----------------------------------------

ustring Describe(bool value) { return value ? L"true" : L"false"; }
template <class T>
requires(std::is_arithmetic_v<T> || std::is_enum_v<T>) ustring Describe(T value) {
  return std::to_wstring(static_cast<long long>(value));
}
ustring Describe(const ustring& text) { return text; }
ustring Describe(const void* address) { return NameOf(address); }
ustring Describe(const TCefPopupFeatures& features) { return NameOf(&features); }
ustring Describe(const TCefRect& rect) {
  return L"{" + std::to_wstring(rect.x) + L"," + std::to_wstring(rect.y) + L"," +
         std::to_wstring(rect.width) + L"," + std::to_wstring(rect.height) + L"}";
}
ustring Describe(const TStringList& items) {
  ustring text = L"[";
  for (const ustring& item : items) text += (text.size() > 1 ? L"|" : L"") + item;
  return text + L"]";
}
template <class I>
ustring Describe(const TInterfacePtr<I>& intf) {
  if (!intf) return L"null";
  void* record = CefRecordOf(intf);
  const ustring name = NameOf(record);
  Release(record);
  return name;
}

// A recorder's answer: true, a wrapper of an engine record named "answer", or
// the test's handler of the kind asked for.
template <class I>
TInterfacePtr<I> AnswerOf() {
  if constexpr (requires { typename TCefWrapperOfInterface<I>::record; }) {
    using TWrapper = TCefWrapperOfInterface<I>;
    return TWrapper::type::UnWrap(Engine<typename TWrapper::record>(L"answer"));
  } else {
    for (const auto& handler : AnswerHandlers)
      if (auto* answer = dynamic_cast<I*>(handler.get())) return TInterfacePtr<I>(answer);
    return nullptr;
  }
}
struct TAnswer {
  operator bool() const { return true; }
  template <class I>
  operator TInterfacePtr<I>() const {
    return AnswerOf<I>();
  }
};

template <class... A>
TAnswer Log(const char* operation, const A&... args) {
  ustring text(operation, operation + std::strlen(operation));
  ustring separator = L"(";
  ((text += separator + Describe(args), separator = L", "), ...);
  Calls = text + (sizeof...(args) ? L")" : L"()");
  return {};
}

void RaiseIfAsked() {
  if (Raise) throw std::runtime_error("handler failed");
}

// ---- One recorder per handler base --------------------------------------------

class TAppRecorder : public TCefAppOwn {
  void OnBeforeCommandLineProcessing(const ustring& processType,
                                     const TInterfacePtr<ICefCommandLine>& commandLine) override {
    Log(__func__, processType, commandLine);
  }
  void OnRegisterCustomSchemes(const TInterfacePtr<ICefSchemeRegistrar>& registrar) override {
    Log(__func__, registrar);
  }
  TInterfacePtr<ICefResourceBundleHandler> GetResourceBundleHandler() override {
    return Log(__func__);
  }
  TInterfacePtr<ICefBrowserProcessHandler> GetBrowserProcessHandler() override {
    return Log(__func__);
  }
  TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() override {
    return Log(__func__);
  }
};

class TBrowserProcessRecorder : public TCefBrowserProcessHandlerOwn {
  void OnContextInitialized() override { Log(__func__); }
  void OnBeforeChildProcessLaunch(const TInterfacePtr<ICefCommandLine>& commandLine) override {
    Log(__func__, commandLine);
  }
  void OnRenderProcessThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override {
    Log(__func__, extraInfo);
  }
};

class TRenderProcessRecorder : public TCefRenderProcessHandlerOwn {
  void OnRenderThreadCreated(const TInterfacePtr<ICefListValue>& extraInfo) override {
    Log(__func__, extraInfo);
  }
  void OnWebKitInitialized() override { Log(__func__); }
  void OnBrowserCreated(PBrowser browser) override { Log(__func__, browser); }
  void OnBrowserDestroyed(PBrowser browser) override { Log(__func__, browser); }
  bool OnBeforeNavigation(PBrowser browser, PFrame frame, const TInterfacePtr<ICefRequest>& request,
                          cef_navigation_type_t navigationType, bool isRedirect) override {
    return Log(__func__, browser, frame, request, navigationType, isRedirect);
  }
  void OnContextCreated(PBrowser browser, PFrame frame, PContext context) override {
    Log(__func__, browser, frame, context);
  }
  void OnContextReleased(PBrowser browser, PFrame frame, PContext context) override {
    Log(__func__, browser, frame, context);
  }
  void OnUncaughtException(PBrowser browser, PFrame frame, PContext context, PException exception,
                           PStackTrace stackTrace) override {
    Log(__func__, browser, frame, context, exception, stackTrace);
  }
  void OnWorkerContextCreated(int workerId, const ustring& url, PContext context) override {
    Log(__func__, workerId, url, context);
  }
  void OnWorkerContextReleased(int workerId, const ustring& url, PContext context) override {
    Log(__func__, workerId, url, context);
  }
  void OnWorkerUncaughtException(int workerId, const ustring& url, PContext context,
                                 PException exception, PStackTrace stackTrace) override {
    Log(__func__, workerId, url, context, exception, stackTrace);
  }
  void OnFocusedNodeChanged(PBrowser browser, PFrame frame,
                            const TInterfacePtr<ICefDomNode>& node) override {
    Log(__func__, browser, frame, node);
  }
  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId sourceProcess,
                                const TInterfacePtr<ICefProcessMessage>& message) override {
    return Log(__func__, browser, sourceProcess, message);
  }
};

// A recorder operation of an event row: logs its name and arguments and
// answers as Log does.
template <class R>
R As(TAnswer answer) {
  if constexpr (!std::is_void_v<R>) return answer;
}
#define NIMBRA_RECORD(Method, Name, Answer, Params, Args) \
  Answer Method Params override { return As<Answer>(Log(#Method, NIMBRA_EVENT_ARGS Args)); }

class TClientRecorder : public TCefClientOwn {
  TInterfacePtr<ICefContextMenuHandler> GetContextMenuHandler() override { return Log(__func__); }
  TInterfacePtr<ICefDialogHandler> GetDialogHandler() override { return Log(__func__); }
  TInterfacePtr<ICefDisplayHandler> GetDisplayHandler() override { return Log(__func__); }
  TInterfacePtr<ICefDownloadHandler> GetDownloadHandler() override { return Log(__func__); }
  TInterfacePtr<ICefFocusHandler> GetFocusHandler() override { return Log(__func__); }
  TInterfacePtr<ICefGeolocationHandler> GetGeolocationHandler() override { return Log(__func__); }
  TInterfacePtr<ICefJsDialogHandler> GetJsdialogHandler() override { return Log(__func__); }
  TInterfacePtr<ICefKeyboardHandler> GetKeyboardHandler() override { return Log(__func__); }
  TInterfacePtr<ICefLifeSpanHandler> GetLifeSpanHandler() override { return Log(__func__); }
  TInterfacePtr<ICefRenderHandler> GetRenderHandler() override { return Log(__func__); }
  TInterfacePtr<ICefLoadHandler> GetLoadHandler() override { return Log(__func__); }
  TInterfacePtr<ICefRequestHandler> GetRequestHandler() override { return Log(__func__); }
  NIMBRA_CLIENT_EVENTS(NIMBRA_RECORD)
};

class TLifeSpanRecorder : public TCefLifeSpanHandlerOwn {
  bool OnBeforePopup(PBrowser browser, PFrame frame, ustring& targetUrl, ustring& targetFrameName,
                     TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                     TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                     bool& noJavascriptAccess) override {
    Log(__func__, browser, frame, targetUrl, targetFrameName, popupFeatures, &windowInfo, client,
        &settings, noJavascriptAccess);
    targetUrl += L"+";
    popupFeatures.x += 1;
    noJavascriptAccess = !noJavascriptAccess;
    if (PopupClient) client = PopupClient;
    RaiseIfAsked();
    return true;
  }
  NIMBRA_LIFE_SPAN_EVENTS(NIMBRA_RECORD)
};

class TLoadRecorder : public TCefLoadHandlerOwn {
  NIMBRA_LOAD_EVENTS(NIMBRA_RECORD)
};

class TFocusRecorder : public TCefFocusHandlerOwn {
  NIMBRA_FOCUS_EVENTS(NIMBRA_RECORD)
};

class TContextMenuRecorder : public TCefContextMenuHandlerOwn {
  NIMBRA_CONTEXT_MENU_EVENTS(NIMBRA_RECORD)
};

class TDownloadRecorder : public TCefDownloadHandlerOwn {
  NIMBRA_DOWNLOAD_EVENTS(NIMBRA_RECORD)
};

class TGeolocationRecorder : public TCefGeolocationHandlerOwn {
  NIMBRA_GEOLOCATION_EVENTS(NIMBRA_RECORD)
};

class TDialogRecorder : public TCefDialogHandlerOwn {
  NIMBRA_DIALOG_EVENTS(NIMBRA_RECORD)
};

// The recorders below also change the values the engine gets back.

class TDisplayLog : public TCefDisplayHandlerOwn {
  NIMBRA_DISPLAY_EVENTS(NIMBRA_RECORD)
};
class TDisplayRecorder : public TDisplayLog {
  bool OnTooltip(PBrowser browser, ustring& text) override {
    Log(__func__, browser, text);
    text += L"+";
    RaiseIfAsked();
    return true;
  }
};

class TKeyboardLog : public TCefKeyboardHandlerOwn {
  NIMBRA_KEYBOARD_EVENTS(NIMBRA_RECORD)
};
class TKeyboardRecorder : public TKeyboardLog {
  bool OnPreKeyEvent(PBrowser browser, PCefKeyEvent event, PMsg osEvent,
                     bool& isKeyboardShortcut) override {
    Log(__func__, browser, event, osEvent, isKeyboardShortcut);
    isKeyboardShortcut = !isKeyboardShortcut;
    return true;
  }
};

class TJsDialogLog : public TCefJsDialogHandlerOwn {
  NIMBRA_JS_DIALOG_EVENTS(NIMBRA_RECORD)
};
class TJsDialogRecorder : public TJsDialogLog {
  bool OnJsdialog(PBrowser browser, const ustring& originUrl, const ustring& acceptLang,
                  TCefJsDialogType dialogType, const ustring& messageText,
                  const ustring& defaultPromptText,
                  const TInterfacePtr<ICefJsDialogCallback>& callback,
                  bool& suppressMessage) override {
    Log(__func__, browser, originUrl, acceptLang, dialogType, messageText, defaultPromptText,
        callback, suppressMessage);
    suppressMessage = !suppressMessage;
    return true;
  }
};

class TRequestLog : public TCefRequestHandlerOwn {
  NIMBRA_REQUEST_EVENTS(NIMBRA_RECORD)
};
class TRequestRecorder : public TRequestLog {
  void OnResourceRedirect(PBrowser browser, PFrame frame, const ustring& oldUrl,
                          ustring& newUrl) override {
    Log(__func__, browser, frame, oldUrl, newUrl);
    newUrl = RedirectTo;
  }
  void OnProtocolExecution(PBrowser browser, const ustring& url, bool& allowOsExecution) override {
    Log(__func__, browser, url, allowOsExecution);
    allowOsExecution = !allowOsExecution;
  }
};

class TRenderLog : public TCefRenderHandlerOwn {
  NIMBRA_WINDOWLESS_OPERATIONS(NIMBRA_RECORD)
};
class TRenderRecorder : public TRenderLog {
  bool GetRootScreenRect(PBrowser browser, TCefRect& rect) override {
    Log(__func__, browser, rect);
    rect.x += 1;
    return true;
  }
  bool GetViewRect(PBrowser browser, TCefRect& rect) override {
    Log(__func__, browser, rect);
    rect.x += 1;
    return true;
  }
  bool GetScreenPoint(PBrowser browser, int viewX, int viewY, int& screenX, int& screenY) override {
    Log(__func__, browser, viewX, viewY, screenX, screenY);
    screenX = viewX + 100;
    screenY = viewY + 200;
    return true;
  }
};

#undef NIMBRA_RECORD

// ---- The table ------------------------------------------------------------------

TCefKeyEvent KeyEvent{};
MSG OsEvent{};
TCefRect PopupRect{1, 2, 300, 200};
TCefRect DirtyRects[2]{};
unsigned char Pixels[16]{};
TCefWindowInfo WindowInfo{};
TCefBrowserSettings Settings{};
int Cursor;  // a stand-in whose address is passed through
auto* const WindowInfoRecord = &WindowInfo;
auto* const SettingsRecord = &Settings;
const auto CursorHandle = reinterpret_cast<HCURSOR>(&Cursor);

// An entry called as the engine calls it; gives its answer as text.
struct TEntryCase {
  const wchar_t* Expected;  // the operation reached, its arguments and the answer
  std::function<ustring(void* record)> Call;
};
struct TBaseCase {
  const char* Name;
  size_t RecordSize;
  std::function<TInterfacePtr<ICefBase>()> NewRecorder, NewDefault;
  std::vector<TEntryCase> Entries;
};

template <class F>
struct TRow {
  const wchar_t* Expected;
  F Call;
};
template <class F>
TRow<F> Row(const wchar_t* expected, F call) {
  return {expected, call};
}

template <class Record, class F>
ustring AnswerText(const F& call, Record* record) {
  using TResult = decltype(call(record));
  if constexpr (std::is_void_v<TResult>) {
    call(record);
    return L"";
  } else if constexpr (std::is_pointer_v<TResult>) {
    void* answer = call(record);
    const ustring name = NameOf(answer);
    if (answer) Release(answer);
    return L" -> " + name;
  } else {
    return L" -> " + std::to_wstring(call(record));
  }
}

template <class Record, class TRecorder, class TDefault, class... F>
TBaseCase Base(const char* name, TRow<F>... rows) {
  return {name,
          sizeof(Record),
          [] { return TInterfacePtr<ICefBase>(CefNew<TRecorder>()); },
          [] { return TInterfacePtr<ICefBase>(CefNew<TDefault>()); },
          {TEntryCase{rows.Expected, [call = rows.Call](void* record) {
                        return AnswerText(call, static_cast<Record*>(record));
                      }}...}};
}

std::vector<TBaseCase> Bases() {
  const auto list = [] { return Engine<cef_list_value_t>(L"list"); };
  const auto commandLine = [] { return Engine<cef_command_line_t>(L"command line"); };
  const auto context = [] { return Engine<cef_v8context_t>(L"context"); };
  const auto exception = [] { return Engine<cef_v8exception_t>(L"exception"); };
  const auto trace = [] { return Engine<cef_v8stack_trace_t>(L"trace"); };
  const auto message = [] { return Engine<cef_process_message_t>(L"message"); };
  const auto request = [] { return Engine<cef_request_t>(L"request"); };
  const auto params = [] { return Engine<cef_context_menu_params_t>(L"params"); };
  const auto item = [] { return Engine<cef_download_item_t>(L"item"); };
  const auto url = [] { return Text(L"http://127.0.0.1/p\u00e9"); };
  return {
      Base<cef_app_t, TAppRecorder, TCefAppOwn>(
          "app",
          Row(L"OnBeforeCommandLineProcessing(renderer, command line)",
              [&](auto* r) {
                r->on_before_command_line_processing(r, Text(L"renderer"), commandLine());
              }),
          Row(L"OnRegisterCustomSchemes(registrar)",
              [](auto* r) {
                r->on_register_custom_schemes(r, Engine<cef_scheme_registrar_t>(L"registrar"));
              }),
          Row(L"GetResourceBundleHandler() -> null",
              [](auto* r) { return r->get_resource_bundle_handler(r); }),
          Row(L"GetBrowserProcessHandler() -> browser process handler",
              [](auto* r) { return r->get_browser_process_handler(r); }),
          Row(L"GetRenderProcessHandler() -> render process handler",
              [](auto* r) { return r->get_render_process_handler(r); })),
      Base<cef_browser_process_handler_t, TBrowserProcessRecorder, TCefBrowserProcessHandlerOwn>(
          "browser process",
          Row(L"OnContextInitialized()", [](auto* r) { r->on_context_initialized(r); }),
          Row(L"OnBeforeChildProcessLaunch(command line)",
              [&](auto* r) { r->on_before_child_process_launch(r, commandLine()); }),
          Row(L"OnRenderProcessThreadCreated(list)",
              [&](auto* r) { r->on_render_process_thread_created(r, list()); })),
      Base<cef_render_process_handler_t, TRenderProcessRecorder, TCefRenderProcessHandlerOwn>(
          "render process",
          Row(L"OnRenderThreadCreated(list)",
              [&](auto* r) { r->on_render_thread_created(r, list()); }),
          Row(L"OnWebKitInitialized()", [](auto* r) { r->on_web_kit_initialized(r); }),
          Row(L"OnBrowserCreated(browser)", [](auto* r) { r->on_browser_created(r, Browser()); }),
          Row(L"OnBrowserDestroyed(null)", [](auto* r) { r->on_browser_destroyed(r, nullptr); }),
          Row(L"OnBeforeNavigation(browser, frame, request, 3, true) -> 1",
              [&](auto* r) {
                return r->on_before_navigation(r, Browser(), Frame(), request(), 3, 2);
              }),
          Row(L"OnContextCreated(browser, frame, context)",
              [&](auto* r) { r->on_context_created(r, Browser(), Frame(), context()); }),
          Row(L"OnContextReleased(browser, frame, context)",
              [&](auto* r) { r->on_context_released(r, Browser(), Frame(), context()); }),
          Row(L"OnUncaughtException(browser, frame, context, exception, trace)",
              [&](auto* r) {
                r->on_uncaught_exception(r, Browser(), Frame(), context(), exception(), trace());
              }),
          Row(L"OnWorkerContextCreated(7, http://127.0.0.1/p\u00e9, context)",
              [&](auto* r) { r->on_worker_context_created(r, 7, url(), context()); }),
          Row(L"OnWorkerContextReleased(7, http://127.0.0.1/p\u00e9, context)",
              [&](auto* r) { r->on_worker_context_released(r, 7, url(), context()); }),
          Row(L"OnWorkerUncaughtException(7, http://127.0.0.1/p\u00e9, context, exception, trace)",
              [&](auto* r) {
                r->on_worker_uncaught_exception(r, 7, url(), context(), exception(), trace());
              }),
          Row(L"OnFocusedNodeChanged(browser, frame, node)",
              [](auto* r) {
                r->on_focused_node_changed(r, Browser(), Frame(), Engine<cef_domnode_t>(L"node"));
              }),
          Row(L"OnProcessMessageReceived(browser, 0, message) -> 1",
              [&](auto* r) {
                return r->on_process_message_received(r, Browser(), PID_BROWSER, message());
              })),
      Base<cef_client_t, TClientRecorder, TCefClientOwn>(
          "client",
          Row(L"GetContextMenuHandler() -> context menu handler",
              [](auto* r) { return r->get_context_menu_handler(r); }),
          Row(L"GetDialogHandler() -> dialog handler",
              [](auto* r) { return r->get_dialog_handler(r); }),
          Row(L"GetDisplayHandler() -> display handler",
              [](auto* r) { return r->get_display_handler(r); }),
          Row(L"GetDownloadHandler() -> download handler",
              [](auto* r) { return r->get_download_handler(r); }),
          Row(L"GetFocusHandler() -> focus handler",
              [](auto* r) { return r->get_focus_handler(r); }),
          Row(L"GetGeolocationHandler() -> geolocation handler",
              [](auto* r) { return r->get_geolocation_handler(r); }),
          Row(L"GetJsdialogHandler() -> dialog box handler",
              [](auto* r) { return r->get_jsdialog_handler(r); }),
          Row(L"GetKeyboardHandler() -> keyboard handler",
              [](auto* r) { return r->get_keyboard_handler(r); }),
          Row(L"GetLifeSpanHandler() -> life span handler",
              [](auto* r) { return r->get_life_span_handler(r); }),
          Row(L"GetLoadHandler() -> load handler", [](auto* r) { return r->get_load_handler(r); }),
          Row(L"GetRenderHandler() -> render handler",
              [](auto* r) { return r->get_render_handler(r); }),
          Row(L"GetRequestHandler() -> request handler",
              [](auto* r) { return r->get_request_handler(r); }),
          Row(L"OnProcessMessageReceived(browser, 1, message) -> 1",
              [&](auto* r) {
                return r->on_process_message_received(r, Browser(), PID_RENDERER, message());
              })),
      Base<cef_life_span_handler_t, TLifeSpanRecorder, TCefLifeSpanHandlerOwn>(
          "life span",
          Row(L"OnBeforePopup(browser, frame, , , other, other, null, other, false) -> 1",
              [](auto* r) {
                return r->on_before_popup(r, Browser(), Frame(), nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr);
              }),
          Row(L"OnAfterCreated(browser)", [](auto* r) { r->on_after_created(r, Browser()); }),
          Row(L"RunModal(browser) -> 1", [](auto* r) { return r->run_modal(r, Browser()); }),
          Row(L"DoClose(browser) -> 1", [](auto* r) { return r->do_close(r, Browser()); }),
          Row(L"OnBeforeClose(browser)", [](auto* r) { r->on_before_close(r, Browser()); })),
      Base<cef_load_handler_t, TLoadRecorder, TCefLoadHandlerOwn>(
          "load",
          Row(L"OnLoadStart(browser, frame)",
              [](auto* r) { r->on_load_start(r, Browser(), Frame()); }),
          Row(L"OnLoadEnd(browser, frame, 404)",
              [](auto* r) { r->on_load_end(r, Browser(), Frame(), 404); }),
          Row(L"OnLoadError(browser, frame, -105, not resolved, http://127.0.0.1/p\u00e9)",
              [&](auto* r) {
                r->on_load_error(r, Browser(), Frame(), -105, Text(L"not resolved"), url());
              }),
          Row(L"OnRenderProcessTerminated(browser, 2)",
              [](auto* r) { r->on_render_process_terminated(r, Browser(), TS_PROCESS_CRASHED); }),
          Row(L"OnPluginCrashed(browser, C:\\plugin.dll)",
              [](auto* r) { r->on_plugin_crashed(r, Browser(), Text(L"C:\\plugin.dll")); })),
      Base<cef_display_handler_t, TDisplayRecorder, TCefDisplayHandlerOwn>(
          "display",
          Row(L"OnLoadingStateChange(browser, true, false, true)",
              [](auto* r) { r->on_loading_state_change(r, Browser(), 1, 0, 7); }),
          Row(L"OnAddressChange(browser, frame, http://127.0.0.1/p\u00e9)",
              [&](auto* r) { r->on_address_change(r, Browser(), Frame(), url()); }),
          Row(L"OnTitleChange(browser, Titre \u00e9t\u00e9)",
              [](auto* r) { r->on_title_change(r, Browser(), Text(L"Titre \u00e9t\u00e9")); }),
          Row(L"OnTooltip(browser, ) -> 1",
              [](auto* r) { return r->on_tooltip(r, Browser(), nullptr); }),
          Row(L"OnStatusMessage(browser, )",
              [](auto* r) { r->on_status_message(r, Browser(), nullptr); }),
          Row(L"OnConsoleMessage(browser, boom, http://a/s.js, 12) -> 1",
              [](auto* r) {
                return r->on_console_message(r, Browser(), Text(L"boom"), Text(L"http://a/s.js"),
                                             12);
              })),
      Base<cef_focus_handler_t, TFocusRecorder, TCefFocusHandlerOwn>(
          "focus",
          Row(L"OnTakeFocus(browser, true)", [](auto* r) { r->on_take_focus(r, Browser(), 1); }),
          Row(L"OnSetFocus(browser, 1) -> 1",
              [](auto* r) { return r->on_set_focus(r, Browser(), FOCUS_SOURCE_SYSTEM); }),
          Row(L"OnGotFocus(browser)", [](auto* r) { r->on_got_focus(r, Browser()); })),
      Base<cef_keyboard_handler_t, TKeyboardRecorder, TCefKeyboardHandlerOwn>(
          "keyboard",
          Row(L"OnPreKeyEvent(browser, key event, os event, false) -> 1",
              [](auto* r) {
                return r->on_pre_key_event(r, Browser(), &KeyEvent, &OsEvent, nullptr);
              }),
          Row(L"OnKeyEvent(browser, key event, os event) -> 1",
              [](auto* r) { return r->on_key_event(r, Browser(), &KeyEvent, &OsEvent); })),
      Base<cef_jsdialog_handler_t, TJsDialogRecorder, TCefJsDialogHandlerOwn>(
          "dialog box",
          Row(L"OnJsdialog(browser, http://127.0.0.1/p\u00e9, fr, 2, Name?, Bob, callback, false) "
              L"-> 1",
              [&](auto* r) {
                return r->on_jsdialog(r, Browser(), url(), Text(L"fr"), JSDIALOGTYPE_PROMPT,
                                      Text(L"Name?"), Text(L"Bob"),
                                      Engine<cef_jsdialog_callback_t>(L"callback"), nullptr);
              }),
          Row(L"OnBeforeUnloadDialog(browser, Leave?, true, callback) -> 1",
              [](auto* r) {
                return r->on_before_unload_dialog(r, Browser(), Text(L"Leave?"), 1,
                                                  Engine<cef_jsdialog_callback_t>(L"callback"));
              }),
          Row(L"OnResetDialogState(browser)",
              [](auto* r) { r->on_reset_dialog_state(r, Browser()); })),
      Base<cef_context_menu_handler_t, TContextMenuRecorder, TCefContextMenuHandlerOwn>(
          "context menu",
          Row(L"OnBeforeContextMenu(browser, frame, params, model)",
              [&](auto* r) {
                r->on_before_context_menu(r, Browser(), Frame(), params(),
                                          Engine<cef_menu_model_t>(L"model"));
              }),
          Row(L"OnContextMenuCommand(browser, frame, params, 26501, 6) -> 1",
              [&](auto* r) {
                return r->on_context_menu_command(
                    r, Browser(), Frame(), params(), 26501,
                    cef_event_flags_t(EVENTFLAG_SHIFT_DOWN | EVENTFLAG_CONTROL_DOWN));
              }),
          Row(L"OnContextMenuDismissed(browser, frame)",
              [](auto* r) { r->on_context_menu_dismissed(r, Browser(), Frame()); })),
      Base<cef_request_handler_t, TRequestRecorder, TCefRequestHandlerOwn>(
          "request",
          Row(L"OnBeforeResourceLoad(browser, frame, request) -> 1",
              [&](auto* r) {
                return r->on_before_resource_load(r, Browser(), Frame(), request());
              }),
          Row(L"GetResourceHandler(browser, frame, request) -> null",
              [&](auto* r) { return r->get_resource_handler(r, Browser(), Frame(), request()); }),
          Row(L"OnResourceRedirect(browser, frame, http://127.0.0.1/p\u00e9, )",
              [&](auto* r) { r->on_resource_redirect(r, Browser(), Frame(), url(), nullptr); }),
          Row(L"GetAuthCredentials(browser, frame, true, proxy, 8080, realm, basic, callback) -> 1",
              [](auto* r) {
                return r->get_auth_credentials(r, Browser(), Frame(), 1, Text(L"proxy"), 8080,
                                               Text(L"realm"), Text(L"basic"),
                                               Engine<cef_auth_callback_t>(L"callback"));
              }),
          Row(L"OnQuotaRequest(browser, http://127.0.0.1/p\u00e9, 5000000000, callback) -> 1",
              [&](auto* r) {
                return r->on_quota_request(r, Browser(), url(), 5000000000LL,
                                           Engine<cef_quota_callback_t>(L"callback"));
              }),
          Row(L"GetCookieManager(browser, http://127.0.0.1/p\u00e9) -> answer",
              [&](auto* r) { return r->get_cookie_manager(r, Browser(), url()); }),
          Row(L"OnProtocolExecution(browser, mailto:a@b, false)",
              [](auto* r) {
                r->on_protocol_execution(r, Browser(), Text(L"mailto:a@b"), nullptr);
              }),
          Row(L"OnBeforePluginLoad(browser, http://a/f.swf, http://a/, plugin) -> 1",
              [](auto* r) {
                return r->on_before_plugin_load(r, Browser(), Text(L"http://a/f.swf"),
                                                Text(L"http://a/"),
                                                Engine<cef_web_plugin_info_t>(L"plugin"));
              })),
      Base<cef_download_handler_t, TDownloadRecorder, TCefDownloadHandlerOwn>(
          "download",
          Row(L"OnBeforeDownload(browser, item, file.zip, callback)",
              [&](auto* r) {
                r->on_before_download(r, Browser(), item(), Text(L"file.zip"),
                                      Engine<cef_before_download_callback_t>(L"callback"));
              }),
          Row(L"OnDownloadUpdated(browser, item, callback)",
              [&](auto* r) {
                r->on_download_updated(r, Browser(), item(),
                                       Engine<cef_download_item_callback_t>(L"callback"));
              })),
      Base<cef_geolocation_handler_t, TGeolocationRecorder, TCefGeolocationHandlerOwn>(
          "geolocation",
          Row(L"OnRequestGeolocationPermission(browser, http://127.0.0.1/p\u00e9, 3, callback)",
              [&](auto* r) {
                r->on_request_geolocation_permission(
                    r, Browser(), url(), 3, Engine<cef_geolocation_callback_t>(L"callback"));
              }),
          Row(L"OnCancelGeolocationPermission(browser, http://127.0.0.1/p\u00e9, 3)",
              [&](auto* r) { r->on_cancel_geolocation_permission(r, Browser(), url(), 3); })),
      Base<cef_dialog_handler_t, TDialogRecorder, TCefDialogHandlerOwn>(
          "dialog",
          Row(L"OnFileDialog(browser, 2, Save, a.txt, [text/plain|image/png], callback) -> 1",
              [](auto* r) {
                return r->on_file_dialog(r, Browser(), FILE_DIALOG_SAVE, Text(L"Save"),
                                         Text(L"a.txt"), EngineList({L"text/plain", L"image/png"}),
                                         Engine<cef_file_dialog_callback_t>(L"callback"));
              })),
      Base<cef_render_handler_t, TRenderRecorder, TCefRenderHandlerOwn>(
          "render",
          Row(L"GetRootScreenRect(browser, {0,0,0,0}) -> 1",
              [](auto* r) { return r->get_root_screen_rect(r, Browser(), nullptr); }),
          Row(L"GetViewRect(browser, {0,0,0,0}) -> 1",
              [](auto* r) { return r->get_view_rect(r, Browser(), nullptr); }),
          Row(L"GetScreenPoint(browser, 10, 20, 0, 0) -> 1",
              [](auto* r) { return r->get_screen_point(r, Browser(), 10, 20, nullptr, nullptr); }),
          Row(L"OnPopupShow(browser, true)", [](auto* r) { r->on_popup_show(r, Browser(), 1); }),
          Row(L"OnPopupSize(browser, {1,2,300,200})",
              [](auto* r) { r->on_popup_size(r, Browser(), &PopupRect); }),
          Row(L"OnPaint(browser, 1, 2, dirty rects, pixels, 300, 200)",
              [](auto* r) {
                r->on_paint(r, Browser(), PET_POPUP, 2, DirtyRects, Pixels, 300, 200);
              }),
          Row(L"OnCursorChange(browser, cursor)",
              [](auto* r) { r->on_cursor_change(r, Browser(), CursorHandle); })),
  };
}

class HandlersTest : public EngineLibraryTest {
 protected:
  void SetUp() override {
    EngineLibraryTest::SetUp();
    Names = {{&KeyEvent, L"key event"},          {&OsEvent, L"os event"},
             {DirtyRects, L"dirty rects"},       {Pixels, L"pixels"},
             {WindowInfoRecord, L"window info"}, {SettingsRecord, L"settings"},
             {CursorHandle, L"cursor"}};
    const std::pair<TInterfacePtr<ICefBase>, const wchar_t*> handlers[] = {
        {CefNew<TCefContextMenuHandlerOwn>(), L"context menu handler"},
        {CefNew<TCefDialogHandlerOwn>(), L"dialog handler"},
        {CefNew<TCefDisplayHandlerOwn>(), L"display handler"},
        {CefNew<TCefDownloadHandlerOwn>(), L"download handler"},
        {CefNew<TCefFocusHandlerOwn>(), L"focus handler"},
        {CefNew<TCefGeolocationHandlerOwn>(), L"geolocation handler"},
        {CefNew<TCefJsDialogHandlerOwn>(), L"dialog box handler"},
        {CefNew<TCefKeyboardHandlerOwn>(), L"keyboard handler"},
        {CefNew<TCefLifeSpanHandlerOwn>(), L"life span handler"},
        {CefNew<TCefLoadHandlerOwn>(), L"load handler"},
        {CefNew<TCefRenderHandlerOwn>(), L"render handler"},
        {CefNew<TCefRequestHandlerOwn>(), L"request handler"},
        {CefNew<TCefBrowserProcessHandlerOwn>(), L"browser process handler"},
        {CefNew<TCefRenderProcessHandlerOwn>(), L"render process handler"},
    };
    for (const auto& [handler, name] : handlers) {
      AnswerHandlers.push_back(handler);
      void* record = CefRecordOf(handler);
      Names[record] = name;
      Release(record);
    }
  }
  void TearDown() override {
    for (cef_base_t* record : HeldRecords) record->release(record);
    for (cef_string_list_t list : EngineLists) CefApi.cef_string_list_free(list);
    HeldRecords.clear();
    EngineLists.clear();
    AnswerHandlers.clear();
    PopupClient.reset();
    Raise = false;
    RedirectTo.clear();
    Calls.clear();
    Texts.clear();
    Fakes.clear();
    EngineLibraryTest::TearDown();
  }

  // A new program object as the engine holds it: only by its record.
  template <class Record, class T>
  static Record* HeldByEngine() {
    auto* record = static_cast<Record*>(CefRecordOf(CefNew<T>()));
    HeldRecords.push_back(&record->base);
    return record;
  }

  static void ExpectEveryEngineReferenceReleased() {
    for (const auto& [name, fake] : Fakes) EXPECT_EQ(fake.Count, 1) << "references of " << name;
  }
};

TEST_F(HandlersTest, EveryEntryReachesTheOperationOfItsPositionWithConvertedArguments) {
  for (const TBaseCase& base : Bases()) {
    SCOPED_TRACE(base.Name);
    const TInterfacePtr<ICefBase> handler = base.NewRecorder();
    void* record = CefRecordOf(handler);
    EXPECT_EQ(dynamic_cast<ICefBase*>(CefObjectOfRecord(record)), handler.get());
    EXPECT_EQ(static_cast<cef_base_t*>(record)->size, base.RecordSize);
    for (const TEntryCase& entry : base.Entries) {
      Calls.clear();
      const ustring answer = entry.Call(record);
      EXPECT_EQ(Calls + answer, entry.Expected);
      ExpectEveryEngineReferenceReleased();
    }
    Release(record);
  }
}

TEST_F(HandlersTest, DefaultsDoNothingAndAnswerFalseOrNoObject) {
  for (const TBaseCase& base : Bases()) {
    SCOPED_TRACE(base.Name);
    const TInterfacePtr<ICefBase> handler = base.NewDefault();
    void* record = CefRecordOf(handler);
    for (const TEntryCase& entry : base.Entries) {
      Calls.clear();
      const ustring answer = entry.Call(record);
      EXPECT_TRUE(answer.empty() || answer == L" -> 0" || answer == L" -> null")
          << entry.Expected << " answered" << answer;
      EXPECT_EQ(Calls, L"");
      ExpectEveryEngineReferenceReleased();
    }
    Release(record);
  }
}

TEST_F(HandlersTest, PopupTextsFeaturesFlagAndClientGoBackToTheEngine) {
  auto* handler = HeldByEngine<cef_life_span_handler_t, TLifeSpanRecorder>();
  const TInterfacePtr<ICefClient> opener = CefNew<TCefClientOwn>();
  auto* openerRecord = static_cast<cef_client_t*>(CefRecordOf(opener));  // the engine's
  const TInterfacePtr<ICefClient> popup = CefNew<TCefClientOwn>();
  void* popupRecord = CefRecordOf(popup);
  Names[openerRecord] = L"opener";
  Names[popupRecord] = L"popup";
  Release(popupRecord);

  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "client replaced" : "client kept");
    PopupClient = replaced ? popup : nullptr;
    void* expectedClient = replaced ? popupRecord : openerRecord;
    const int clientReferences = RefCountOf(expectedClient);
    const ustring frameNameText = L"_blank";
    cef_string_t url = CefStringAllocCopy(L"http://127.0.0.1/popup");
    cef_string_t frameName = CefStringView(frameNameText);
    TCefPopupFeatures features{};
    Names[&features] = L"features";
    int noJavascriptAccess = 0;
    cef_client_t* client = openerRecord;

    EXPECT_EQ(
        handler->on_before_popup(handler, Browser(), Frame(), &url, &frameName, &features,
                                 WindowInfoRecord, &client, SettingsRecord, &noJavascriptAccess),
        1);
    EXPECT_EQ(Calls,
              L"OnBeforePopup(browser, frame, http://127.0.0.1/popup, _blank, features, window "
              L"info, opener, settings, false)");
    EXPECT_EQ(CefStringTakeCleared(url), L"http://127.0.0.1/popup+");
    EXPECT_NE(frameName.dtor, nullptr) << "written back although unchanged";
    EXPECT_EQ(CefStringTakeCleared(frameName), frameNameText);
    EXPECT_EQ(features.x, 1) << "the engine's own record changes in place";
    EXPECT_EQ(noJavascriptAccess, 1);
    EXPECT_EQ(client, expectedClient);
    EXPECT_EQ(RefCountOf(client), clientReferences + 1) << "one reference for the engine";
    Release(client);
  }

  // A failing handler: the engine keeps its texts and flag and gets its own
  // client back, still with one reference to release.
  Raise = true;
  const int openerReferences = RefCountOf(openerRecord);
  cef_string_t url = CefStringAllocCopy(L"http://127.0.0.1/popup");
  int noJavascriptAccess = 1;
  cef_client_t* client = openerRecord;
  EXPECT_EQ(handler->on_before_popup(handler, Browser(), Frame(), &url, nullptr, nullptr, nullptr,
                                     &client, nullptr, &noJavascriptAccess),
            0);
  EXPECT_EQ(CefStringTakeCleared(url), L"http://127.0.0.1/popup");
  EXPECT_EQ(noJavascriptAccess, 1);
  EXPECT_EQ(client, openerRecord);
  EXPECT_EQ(RefCountOf(openerRecord), openerReferences + 1);
  Release(client);
  Release(openerRecord);
  ExpectEveryEngineReferenceReleased();
}

TEST_F(HandlersTest, TooltipIsTakenFromTheEngineAndGivenBackAsItsOwnCopy) {
  auto* handler = HeldByEngine<cef_display_handler_t, TDisplayRecorder>();
  cef_string_t text = CefStringAllocCopy(L"Astuce \u00e9t\u00e9");
  EXPECT_EQ(handler->on_tooltip(handler, Browser(), &text), 1);
  EXPECT_EQ(Calls, L"OnTooltip(browser, Astuce \u00e9t\u00e9)");
  EXPECT_NE(text.dtor, nullptr) << "an engine copy";
  EXPECT_EQ(CefStringTakeCleared(text), L"Astuce \u00e9t\u00e9+");

  Raise = true;
  text = CefStringAllocCopy(L"kept");
  EXPECT_EQ(handler->on_tooltip(handler, Browser(), &text), 0);
  EXPECT_EQ(CefStringTakeCleared(text), L"kept") << "a failing handler loses no text";
  ExpectEveryEngineReferenceReleased();
}

TEST_F(HandlersTest, RedirectAddressGoesBackOnlyWhenTheHandlerGivesOne) {
  auto* handler = HeldByEngine<cef_request_handler_t, TRequestRecorder>();
  const struct {
    const wchar_t* Answer;
    const wchar_t* EngineGets;
  } cases[] = {{L"http://127.0.0.1/moved", L"http://127.0.0.1/moved"},
               {L"", L"http://127.0.0.1/next"}};
  for (const auto& c : cases) {
    RedirectTo = c.Answer;
    cef_string_t newUrl = CefStringAllocCopy(L"http://127.0.0.1/next");
    handler->on_resource_redirect(handler, Browser(), Frame(), Text(L"http://127.0.0.1/old"),
                                  &newUrl);
    EXPECT_EQ(Calls,
              L"OnResourceRedirect(browser, frame, http://127.0.0.1/old, http://127.0.0.1/next)");
    EXPECT_EQ(CefStringTakeCleared(newUrl), c.EngineGets);
  }
  ExpectEveryEngineReferenceReleased();
}

TEST_F(HandlersTest, OutParametersStartAsTheEnginesValuesAndGoBack) {
  auto* keyboard = HeldByEngine<cef_keyboard_handler_t, TKeyboardRecorder>();
  auto* dialogs = HeldByEngine<cef_jsdialog_handler_t, TJsDialogRecorder>();
  auto* requests = HeldByEngine<cef_request_handler_t, TRequestRecorder>();
  auto* render = HeldByEngine<cef_render_handler_t, TRenderRecorder>();
  const std::pair<const char*, std::function<void(int*)>> flagEntries[] = {
      {"key shortcut",
       [&](int* flag) {
         keyboard->on_pre_key_event(keyboard, Browser(), &KeyEvent, &OsEvent, flag);
       }},
      {"suppress message",
       [&](int* flag) {
         dialogs->on_jsdialog(dialogs, Browser(), nullptr, nullptr, JSDIALOGTYPE_ALERT, nullptr,
                              nullptr, nullptr, flag);
       }},
      {"allow os execution",
       [&](int* flag) {
         requests->on_protocol_execution(requests, Browser(), Text(L"mailto:a@b"), flag);
       }},
  };
  // The recorders flip each flag: a non-zero start must read as true.
  for (const auto& [name, call] : flagEntries)
    for (const int start : {0, 1, 5}) {
      int flag = start;
      call(&flag);
      EXPECT_EQ(flag, start ? 0 : 1) << name << " starting at " << start;
    }

  cef_rect_t rect{1, 2, 3, 4};
  EXPECT_EQ(render->get_view_rect(render, Browser(), &rect), 1);
  EXPECT_EQ(Calls, L"GetViewRect(browser, {1,2,3,4})");
  EXPECT_EQ(Describe(rect), L"{2,2,3,4}");
  EXPECT_EQ(render->get_root_screen_rect(render, Browser(), &rect), 1);
  EXPECT_EQ(Describe(rect), L"{3,2,3,4}");
  int screenX = -1, screenY = -2;
  EXPECT_EQ(render->get_screen_point(render, Browser(), 10, 20, &screenX, &screenY), 1);
  EXPECT_EQ(Calls, L"GetScreenPoint(browser, 10, 20, -1, -2)");
  EXPECT_EQ(screenX, 110);
  EXPECT_EQ(screenY, 220);
  ExpectEveryEngineReferenceReleased();
}

}  // namespace
