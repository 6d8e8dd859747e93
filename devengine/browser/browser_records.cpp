#include "browser_records.h"

#include <algorithm>
#include <utility>

#include "browser.h"
#include "browser_list.h"
#include "engine_object.h"
#include "engine_strings.h"
#include "exports.h"
#include "inspector_server.h"
#include "record_ref.h"
#include "values/message_wire.h"

namespace devengine::browser {
namespace {

// Gives back the reference a program handed in with an argument the engine
// does not keep.
template <class Record>
void LetGo(Record* record) {
  RecordRef<Record>::Adopt(record).Reset();
}

class BrowserRecord final : public EngineObject<cef_browser_t> {
 public:
  explicit BrowserRecord(std::shared_ptr<Browser> browser) : browser_(std::move(browser)) {
    cef_browser_t& record = entries();
    record.get_host = EntryOf<&BrowserRecord::GetHost>;
    record.can_go_back = EntryOf<&BrowserRecord::CanGoBack>;
    record.go_back = EntryOf<&BrowserRecord::GoBack>;
    record.can_go_forward = EntryOf<&BrowserRecord::CanGoForward>;
    record.go_forward = EntryOf<&BrowserRecord::GoForward>;
    record.is_loading = EntryOf<&BrowserRecord::IsLoading>;
    record.reload = EntryOf<&BrowserRecord::Reload>;
    record.reload_ignore_cache = EntryOf<&BrowserRecord::ReloadIgnoreCache>;
    record.stop_load = EntryOf<&BrowserRecord::StopLoad>;
    record.get_identifier = EntryOf<&BrowserRecord::GetIdentifier>;
    record.is_same = EntryOf<&BrowserRecord::IsSame>;
    record.is_popup = EntryOf<&BrowserRecord::IsPopup>;
    record.has_document = EntryOf<&BrowserRecord::HasDocument>;
    record.get_main_frame = EntryOf<&BrowserRecord::GetMainFrame>;
    record.get_focused_frame = EntryOf<&BrowserRecord::GetMainFrame>;
    record.get_frame_byident = EntryOf<&BrowserRecord::GetFrameByident>;
    record.get_frame = EntryOf<&BrowserRecord::GetFrame>;
    record.get_frame_count = EntryOf<&BrowserRecord::GetFrameCount>;
    record.get_frame_identifiers = EntryOf<&BrowserRecord::GetFrameIdentifiers>;
    record.get_frame_names = EntryOf<&BrowserRecord::GetFrameNames>;
    record.send_process_message = EntryOf<&BrowserRecord::SendProcessMessage>;
  }

 private:
  cef_browser_host_t* GetHost() { return NewHostRecord(browser_); }
  int CanGoBack() { return browser_->CanGoBack() ? 1 : 0; }
  void GoBack() { browser_->GoBack(); }
  int CanGoForward() { return browser_->CanGoForward() ? 1 : 0; }
  void GoForward() { browser_->GoForward(); }
  int IsLoading() { return browser_->IsLoading() ? 1 : 0; }
  void Reload() { browser_->Reload(false); }
  void ReloadIgnoreCache() { browser_->Reload(true); }
  void StopLoad() { browser_->StopLoad(); }
  int GetIdentifier() { return browser_->id(); }
  // Only a record of this class has this entry; any other is not the same.
  int IsSame(cef_browser_t* that) {
    const auto other = RecordRef<cef_browser_t>::Adopt(that);
    if (that == nullptr || that->is_same != record()->is_same) return 0;
    return static_cast<BrowserRecord*>(FromRecord(that))->browser_ == browser_ ? 1 : 0;
  }
  int IsPopup() { return browser_->IsPopup() ? 1 : 0; }
  int HasDocument() { return browser_->HasDocument() ? 1 : 0; }
  cef_frame_t* GetMainFrame() { return NewFrameRecord(browser_, browser_->MainFrameId()); }
  cef_frame_t* GetFrameByident(int64_t identifier) {
    return browser_->Frame(identifier) ? NewFrameRecord(browser_, identifier) : nullptr;
  }
  // The main frame answers to the empty name.
  cef_frame_t* GetFrame(const cef_string_t* name) {
    for (const Browser::FrameInfo& frame : browser_->Frames()) {
      if (frame.name == ViewOf(name)) return NewFrameRecord(browser_, frame.id);
    }
    return nullptr;
  }
  size_t GetFrameCount() { return browser_->Frames().size(); }
  void GetFrameIdentifiers(size_t* count, int64_t* identifiers) {
    if (count == nullptr) return;
    const std::vector<Browser::FrameInfo> frames = browser_->Frames();
    const std::size_t written = identifiers == nullptr ? 0 : std::min(*count, frames.size());
    for (std::size_t index = 0; index < written; ++index) identifiers[index] = frames[index].id;
    *count = written;
  }
  void GetFrameNames(cef_string_list_t names) {
    if (names == nullptr) return;
    for (const Browser::FrameInfo& frame : browser_->Frames()) {
      const cef_string_t name = Borrow(frame.name);
      cef_string_list_append(names, &name);
    }
  }
  int SendProcessMessage(cef_process_id_t target, cef_process_message_t* message) {
    return values::SendProcessMessage(
        target, PID_RENDERER, message,
        [this](renderer::Message frame) { return browser_->SendToRenderer(std::move(frame)); });
  }

  const std::shared_ptr<Browser> browser_;
};

class HostRecord final : public EngineObject<cef_browser_host_t> {
 public:
  explicit HostRecord(std::shared_ptr<Browser> browser) : browser_(std::move(browser)) {
    cef_browser_host_t& record = entries();
    record.get_browser = EntryOf<&HostRecord::GetBrowser>;
    record.parent_window_will_close = EntryOf<&HostRecord::ParentWindowWillClose>;
    record.close_browser = EntryOf<&HostRecord::CloseBrowser>;
    record.set_focus = EntryOf<&HostRecord::SetFocus>;
    record.get_window_handle = EntryOf<&HostRecord::GetWindowHandle>;
    record.get_opener_window_handle = EntryOf<&HostRecord::GetOpenerWindowHandle>;
    record.get_client = EntryOf<&HostRecord::GetClient>;
    record.get_dev_tools_url = EntryOf<&HostRecord::GetDevToolsUrl>;
    record.get_zoom_level = EntryOf<&HostRecord::GetZoomLevel>;
    record.set_zoom_level = EntryOf<&HostRecord::SetZoomLevel>;
    record.run_file_dialog = EntryOf<&HostRecord::RunFileDialog>;
    record.start_download = EntryOf<&HostRecord::StartDownload>;
    record.print = EntryOf<&HostRecord::Nothing>;
    record.find = EntryOf<&HostRecord::Find>;
    record.stop_finding = EntryOf<&HostRecord::StopFinding>;
    record.set_mouse_cursor_change_disabled = EntryOf<&HostRecord::SetMouseCursorChangeDisabled>;
    record.is_mouse_cursor_change_disabled = EntryOf<&HostRecord::IsMouseCursorChangeDisabled>;
    record.is_window_rendering_disabled = EntryOf<&HostRecord::IsWindowRenderingDisabled>;
    record.was_resized = EntryOf<&HostRecord::Nothing>;
    record.was_hidden = EntryOf<&HostRecord::WasHidden>;
    record.notify_screen_info_changed = EntryOf<&HostRecord::Nothing>;
    record.invalidate = EntryOf<&HostRecord::Invalidate>;
    record.send_key_event = EntryOf<&HostRecord::SendKeyEvent>;
    record.send_mouse_click_event = EntryOf<&HostRecord::SendMouseClickEvent>;
    record.send_mouse_move_event = EntryOf<&HostRecord::SendMouseMoveEvent>;
    record.send_mouse_wheel_event = EntryOf<&HostRecord::SendMouseWheelEvent>;
    record.send_focus_event = EntryOf<&HostRecord::SetFocus>;
    record.send_capture_lost_event = EntryOf<&HostRecord::Nothing>;
  }

 private:
  cef_browser_t* GetBrowser() { return NewBrowserRecord(browser_); }
  // The parent is about to take the engine window with it: what is still
  // loading has nowhere to go.
  void ParentWindowWillClose() { browser_->StopLoad(); }
  void CloseBrowser() { browser_->CloseBrowser(); }
  void SetFocus(int enable) { browser_->SetFocus(enable != 0); }
  cef_window_handle_t GetWindowHandle() { return browser_->Window(); }
  cef_window_handle_t GetOpenerWindowHandle() { return browser_->Opener(); }
  cef_client_t* GetClient() { return browser_->Client().Detach(); }
  // Null while no inspector server runs.
  cef_string_userfree_t GetDevToolsUrl(int http_scheme) {
    const int port = InspectorPort();
    if (port == 0) return nullptr;
    return NewUserFreeString(DevToolsUrl(port, browser_->id(), http_scheme != 0));
  }
  double GetZoomLevel() { return browser_->ZoomLevel(); }
  void SetZoomLevel(double level) { browser_->SetZoomLevel(level); }
  // The engine offers no file dialog of its own yet: the dialog is cancelled
  // by never being shown, and the callback let go.
  void RunFileDialog(cef_file_dialog_mode_t, const cef_string_t*, const cef_string_t*,
                     cef_string_list_t, cef_run_file_dialog_callback_t* callback) {
    LetGo(callback);
  }
  void StartDownload(const cef_string_t*) {}
  void Nothing() {}
  void Find(int, const cef_string_t*, int, int, int) {}
  void StopFinding(int) {}
  void SetMouseCursorChangeDisabled(int disabled) { cursor_change_disabled_ = disabled != 0; }
  int IsMouseCursorChangeDisabled() { return cursor_change_disabled_ ? 1 : 0; }
  int IsWindowRenderingDisabled() { return browser_->WindowRenderingDisabled() ? 1 : 0; }
  void WasHidden(int) {}
  void Invalidate(const cef_rect_t*, int) {}
  // Input of windowless browsers only; this engine always has a window.
  void SendKeyEvent(const cef_key_event_t*) {}
  void SendMouseClickEvent(const cef_mouse_event_t*, cef_mouse_button_type_t, int, int) {}
  void SendMouseMoveEvent(const cef_mouse_event_t*, int) {}
  void SendMouseWheelEvent(const cef_mouse_event_t*, int, int) {}

  const std::shared_ptr<Browser> browser_;
  std::atomic<bool> cursor_change_disabled_{false};
};

class FrameRecord final : public EngineObject<cef_frame_t> {
 public:
  FrameRecord(std::shared_ptr<Browser> browser, std::int64_t frame)
      : browser_(std::move(browser)), frame_(frame) {
    cef_frame_t& record = entries();
    record.is_valid = EntryOf<&FrameRecord::IsValid>;
    record.undo = EntryOf<&FrameRecord::Nothing>;
    record.redo = EntryOf<&FrameRecord::Nothing>;
    record.cut = EntryOf<&FrameRecord::Nothing>;
    record.copy = EntryOf<&FrameRecord::Nothing>;
    record.paste = EntryOf<&FrameRecord::Nothing>;
    record.del = EntryOf<&FrameRecord::Nothing>;
    record.select_all = EntryOf<&FrameRecord::Nothing>;
    record.view_source = EntryOf<&FrameRecord::Nothing>;
    record.get_source = EntryOf<&FrameRecord::GetSource>;
    record.get_text = EntryOf<&FrameRecord::GetText>;
    record.load_request = EntryOf<&FrameRecord::LoadRequest>;
    record.load_url = EntryOf<&FrameRecord::LoadUrl>;
    record.load_string = EntryOf<&FrameRecord::LoadString>;
    record.execute_java_script = EntryOf<&FrameRecord::ExecuteJavaScript>;
    record.is_main = EntryOf<&FrameRecord::IsMain>;
    record.is_focused = EntryOf<&FrameRecord::IsMain>;
    record.get_name = EntryOf<&FrameRecord::GetName>;
    record.get_identifier = EntryOf<&FrameRecord::GetIdentifier>;
    record.get_parent = EntryOf<&FrameRecord::GetParent>;
    record.get_url = EntryOf<&FrameRecord::GetUrl>;
    record.get_browser = EntryOf<&FrameRecord::GetBrowser>;
    record.get_v8context = EntryOf<&FrameRecord::GetV8context>;
    record.visit_dom = EntryOf<&FrameRecord::VisitDom>;
  }

 private:
  int IsValid() { return browser_->Frame(frame_) ? 1 : 0; }
  void Nothing() {}
  void GetSource(cef_string_visitor_t* visitor) {
    browser_->VisitSource(frame_, RecordRef<cef_string_visitor_t>::Adopt(visitor), false);
  }
  void GetText(cef_string_visitor_t* visitor) {
    browser_->VisitSource(frame_, RecordRef<cef_string_visitor_t>::Adopt(visitor), true);
  }
  void LoadRequest(cef_request_t* request) {
    const auto held = RecordRef<cef_request_t>::Adopt(request);
    if (request == nullptr) return;
    RequestData data;
    // A request of the engine's own (cef_request_create) gives everything;
    // of any other only its address and method can be read.
    if (Request::Owns(request)) {
      data = RequestOf(held).Data();
    } else {
      if (request->get_url != nullptr) data.url = TakeUserFree(request->get_url(request));
      if (request->get_method != nullptr) data.method = TakeUserFree(request->get_method(request));
    }
    browser_->LoadRequest(frame_, std::move(data));
  }
  void LoadUrl(const cef_string_t* url) { browser_->LoadUrl(frame_, ToWString(url)); }
  void LoadString(const cef_string_t* markup, const cef_string_t* url) {
    browser_->LoadString(frame_, ToWString(markup), ToWString(url));
  }
  void ExecuteJavaScript(const cef_string_t* code, const cef_string_t* url, int line) {
    browser_->ExecuteScript(frame_, ToWString(code), ToWString(url), line);
  }
  int IsMain() { return frame_ == browser_->MainFrameId() ? 1 : 0; }
  cef_string_userfree_t GetName() {
    const auto frame = browser_->Frame(frame_);
    return NewUserFreeString(frame ? frame->name : std::wstring());
  }
  int64_t GetIdentifier() { return frame_; }
  cef_frame_t* GetParent() {
    const auto frame = browser_->Frame(frame_);
    return frame && frame->parent != 0 ? NewFrameRecord(browser_, frame->parent) : nullptr;
  }
  cef_string_userfree_t GetUrl() {
    const auto frame = browser_->Frame(frame_);
    return NewUserFreeString(frame ? frame->url : std::wstring());
  }
  cef_browser_t* GetBrowser() { return NewBrowserRecord(browser_); }
  // Script contexts live in the renderer process.
  cef_v8context_t* GetV8context() { return nullptr; }
  void VisitDom(cef_domvisitor_t* visitor) { LetGo(visitor); }

  static std::wstring TakeUserFree(cef_string_userfree_t text) {
    std::wstring taken = ToWString(text);
    FreeUserFreeRecord(text);
    return taken;
  }

  const std::shared_ptr<Browser> browser_;
  const std::int64_t frame_;
};

}  // namespace

cef_browser_t* NewBrowserRecord(std::shared_ptr<Browser> browser) {
  return MakeEngineObject<BrowserRecord>(std::move(browser))->record();
}

cef_browser_host_t* NewHostRecord(std::shared_ptr<Browser> browser) {
  return MakeEngineObject<HostRecord>(std::move(browser))->record();
}

cef_frame_t* NewFrameRecord(std::shared_ptr<Browser> browser, std::int64_t frame) {
  return MakeEngineObject<FrameRecord>(std::move(browser), frame)->record();
}

}  // namespace devengine::browser
