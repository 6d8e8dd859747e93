// The renderer's records of its one browser: the browser the handler is
// given, its frames, and the script context of the document each shows.
//
// The renderer's main loop makes the browser and destroys nothing: records
// live while anyone holds them. Until Close, the browser holds its frames,
// each frame its browser, its document and its context, and the document's
// script context its browser and frame until the context is released; Close
// breaks those holds. Used on the renderer's main
// thread only.
#ifndef NIMBRA_DEVENGINE_RENDERER_RENDERER_BROWSER_H
#define NIMBRA_DEVENGINE_RENDERER_RENDERER_BROWSER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cef_capi.h"
#include "dom_records.h"
#include "engine_object.h"
#include "page/html.h"
#include "protocol.h"
#include "record_ref.h"

namespace devengine::renderer {

class RendererFrame;

// The record with one more reference, for an engine call to hand over.
template <class Record>
Record* Handed(EngineObject<Record>& object) {
  object.AddRef();
  return object.record();
}
template <class Record>
Record* Handed(Record* record) {
  return RecordRef<Record>::Retain(record).Detach();
}

class RendererBrowser final : public EngineObject<cef_browser_t> {
 public:
  explicit RendererBrowser(int id);

  // The frame `id`, made on first sight; the main frame from now on when
  // `is_main`.
  RendererFrame& FrameFor(std::int64_t id, bool is_main);
  RendererFrame* FindFrame(std::int64_t id) const;
  std::vector<RendererFrame*> Frames() const;
  bool IsMainFrame(std::int64_t id) const { return has_main_frame_ && main_frame_id_ == id; }
  RendererFrame* MainFrame() const;
  bool valid() const { return valid_; }

  // How process messages reach the browser process, until Close.
  void ConnectBrowserProcess(std::function<bool(Message)> send) {
    send_to_browser_ = std::move(send);
  }

  // How a frame's execute_java_script runs code in the document it shows.
  using ScriptRunner = std::function<void(RendererFrame& frame, std::wstring_view code,
                                          std::wstring_view url, int startLine)>;
  void ConnectScriptRunner(ScriptRunner run) { run_script_ = std::move(run); }
  void RunScript(RendererFrame& frame, std::wstring_view code, std::wstring_view url,
                 int startLine) {
    if (run_script_) run_script_(frame, code, url, startLine);
  }

  // The browser is destroyed: its frames let go of their documents, their
  // contexts and of it.
  void Close();

 private:
  cef_browser_host_t* GetHost() { return nullptr; }
  int CanGoBack() { return 0; }
  void GoBack() {}
  int CanGoForward() { return 0; }
  void GoForward() {}
  int IsLoading() { return 0; }
  void Reload() {}
  void ReloadIgnoreCache() {}
  void StopLoad() {}
  int GetIdentifier() { return id_; }
  int IsSame(cef_browser_t* that);
  int IsPopup() { return 0; }
  int HasDocument();
  cef_frame_t* GetMainFrame();
  cef_frame_t* GetFocusedFrame() { return GetMainFrame(); }
  cef_frame_t* GetFrameByident(std::int64_t identifier);
  cef_frame_t* GetFrame(const cef_string_t* name);
  std::size_t GetFrameCount() { return frames_.size(); }
  void GetFrameIdentifiers(std::size_t* identifiers_count, std::int64_t* identifiers);
  void GetFrameNames(cef_string_list_t names);
  int SendProcessMessage(cef_process_id_t, cef_process_message_t* message);

  int id_;
  bool valid_ = true;
  bool has_main_frame_ = false;
  std::int64_t main_frame_id_ = 0;
  std::vector<RecordRef<cef_frame_t>> frames_;
  std::function<bool(Message)> send_to_browser_;
  ScriptRunner run_script_;
};

class RendererFrame final : public EngineObject<cef_frame_t> {
 public:
  RendererFrame(RendererBrowser& browser, std::int64_t id);

  static RendererFrame& Of(cef_frame_t* record) {
    return *static_cast<RendererFrame*>(FromRecord(record));
  }

  std::int64_t id() const { return id_; }
  const std::shared_ptr<LiveDocument>& document() const { return document_; }
  cef_v8context_t* context() const { return context_.get(); }

  // The frame shows `tree` from now on, in a new script context; the one
  // before is handed back for the handler to hear of its release.
  RecordRef<cef_v8context_t> Show(std::wstring url, std::shared_ptr<page::Document> tree);
  // Lets go of the document and hands back the context, if any.
  RecordRef<cef_v8context_t> Close();

 private:
  int IsValid() { return Flag(browser_ != nullptr && browser_->valid()); }
  void Undo() {}
  void Redo() {}
  void Cut() {}
  void Copy() {}
  void Paste() {}
  void Del() {}
  void SelectAll() {}
  void ViewSource() {}
  void GetSource(cef_string_visitor_t* visitor);
  void GetText(cef_string_visitor_t* visitor);
  void LoadRequest(cef_request_t* request);
  void LoadUrl(const cef_string_t*) {}
  void LoadString(const cef_string_t*, const cef_string_t*) {}
  void ExecuteJavaScript(const cef_string_t* code, const cef_string_t* url, int startLine);
  int IsMain() { return Flag(browser_ != nullptr && browser_->IsMainFrame(id_)); }
  int IsFocused() { return IsMain(); }
  cef_string_userfree_t GetName();
  std::int64_t GetIdentifier() { return id_; }
  cef_frame_t* GetParent();
  cef_string_userfree_t GetUrl();
  cef_browser_t* GetBrowser();
  cef_v8context_t* GetV8context();
  void VisitDom(cef_domvisitor_t* visitor);

  RendererBrowser* browser_;
  RecordRef<cef_browser_t> browser_hold_;
  std::int64_t id_;
  std::wstring url_;
  std::shared_ptr<LiveDocument> document_;
  RecordRef<cef_v8context_t> context_;
};

}  // namespace devengine::renderer

#endif
