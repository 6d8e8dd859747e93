#include "renderer_browser.h"

#include <algorithm>
#include <utility>

#include "engine_strings.h"
#include "exports.h"
#include "renderer_thread.h"
#include "script_values/script_values.h"
#include "values/message_wire.h"

namespace devengine::renderer {
namespace {

// Calls `visitor` with `text` on a later turn of the renderer's main thread
// and lets it go there.
void VisitLater(cef_string_visitor_t* visitor, std::wstring text) {
  auto held = std::make_shared<RecordRef<cef_string_visitor_t>>(
      RecordRef<cef_string_visitor_t>::Adopt(visitor));
  if (!*held) return;
  RendererWork().Post([held, text = std::move(text)] {
    cef_string_visitor_t* record = held->get();
    if (record->visit != nullptr) {
      const cef_string_t string = Borrow(text);
      record->visit(record, &string);
    }
    held->Reset();
  });
}

}  // namespace

RendererBrowser::RendererBrowser(int id) : id_(id) {
  cef_browser_t& record = entries();
  record.get_host = EntryOf<&RendererBrowser::GetHost>;
  record.can_go_back = EntryOf<&RendererBrowser::CanGoBack>;
  record.go_back = EntryOf<&RendererBrowser::GoBack>;
  record.can_go_forward = EntryOf<&RendererBrowser::CanGoForward>;
  record.go_forward = EntryOf<&RendererBrowser::GoForward>;
  record.is_loading = EntryOf<&RendererBrowser::IsLoading>;
  record.reload = EntryOf<&RendererBrowser::Reload>;
  record.reload_ignore_cache = EntryOf<&RendererBrowser::ReloadIgnoreCache>;
  record.stop_load = EntryOf<&RendererBrowser::StopLoad>;
  record.get_identifier = EntryOf<&RendererBrowser::GetIdentifier>;
  record.is_same = EntryOf<&RendererBrowser::IsSame>;
  record.is_popup = EntryOf<&RendererBrowser::IsPopup>;
  record.has_document = EntryOf<&RendererBrowser::HasDocument>;
  record.get_main_frame = EntryOf<&RendererBrowser::GetMainFrame>;
  record.get_focused_frame = EntryOf<&RendererBrowser::GetFocusedFrame>;
  record.get_frame_byident = EntryOf<&RendererBrowser::GetFrameByident>;
  record.get_frame = EntryOf<&RendererBrowser::GetFrame>;
  record.get_frame_count = EntryOf<&RendererBrowser::GetFrameCount>;
  record.get_frame_identifiers = EntryOf<&RendererBrowser::GetFrameIdentifiers>;
  record.get_frame_names = EntryOf<&RendererBrowser::GetFrameNames>;
  record.send_process_message = EntryOf<&RendererBrowser::SendProcessMessage>;
}

RendererFrame& RendererBrowser::FrameFor(std::int64_t id, bool is_main) {
  RendererFrame* frame = FindFrame(id);
  if (frame == nullptr) {
    frame = MakeEngineObject<RendererFrame>(*this, id);
    frames_.push_back(RecordRef<cef_frame_t>::Adopt(frame->record()));
  }
  if (is_main) {
    has_main_frame_ = true;
    main_frame_id_ = id;
  }
  return *frame;
}

RendererFrame* RendererBrowser::FindFrame(std::int64_t id) const {
  for (const RecordRef<cef_frame_t>& frame : frames_) {
    if (RendererFrame::Of(frame.get()).id() == id) return &RendererFrame::Of(frame.get());
  }
  return nullptr;
}

std::vector<RendererFrame*> RendererBrowser::Frames() const {
  std::vector<RendererFrame*> frames;
  for (const RecordRef<cef_frame_t>& frame : frames_)
    frames.push_back(&RendererFrame::Of(frame.get()));
  return frames;
}

RendererFrame* RendererBrowser::MainFrame() const {
  return has_main_frame_ ? FindFrame(main_frame_id_) : nullptr;
}

void RendererBrowser::Close() {
  valid_ = false;
  has_main_frame_ = false;
  send_to_browser_ = nullptr;
  // Moved out first: letting frames go may run program code.
  const std::vector<RecordRef<cef_frame_t>> frames = std::exchange(frames_, {});
  for (const RecordRef<cef_frame_t>& frame : frames) {
    script_values::ReleaseDocument(RendererFrame::Of(frame.get()).Close().get());
  }
}

int RendererBrowser::IsSame(cef_browser_t* that) {
  const auto other = RecordRef<cef_browser_t>::Adopt(that);
  return other.get() == record() ? 1 : 0;
}

int RendererBrowser::HasDocument() {
  const RendererFrame* main = MainFrame();
  return main != nullptr && main->document() ? 1 : 0;
}

cef_frame_t* RendererBrowser::GetMainFrame() {
  RendererFrame* main = MainFrame();
  return main == nullptr ? nullptr : Handed(*main);
}

cef_frame_t* RendererBrowser::GetFrameByident(std::int64_t identifier) {
  RendererFrame* frame = FindFrame(identifier);
  return frame == nullptr ? nullptr : Handed(*frame);
}

// Frames here have no names: the browser process does not tell them.
cef_frame_t* RendererBrowser::GetFrame(const cef_string_t*) { return nullptr; }

void RendererBrowser::GetFrameIdentifiers(std::size_t* identifiers_count,
                                          std::int64_t* identifiers) {
  if (identifiers_count == nullptr) return;
  const std::size_t capacity = identifiers == nullptr ? 0 : *identifiers_count;
  const std::size_t written = std::min(capacity, frames_.size());
  for (std::size_t i = 0; i < written; ++i) {
    identifiers[i] = RendererFrame::Of(frames_[i].get()).id();
  }
  *identifiers_count = written;
}

void RendererBrowser::GetFrameNames(cef_string_list_t names) {
  const cef_string_t empty{};
  for (std::size_t i = 0; i < frames_.size(); ++i) cef_string_list_append(names, &empty);
}

int RendererBrowser::SendProcessMessage(cef_process_id_t target, cef_process_message_t* message) {
  return values::SendProcessMessage(target, PID_BROWSER, message, send_to_browser_);
}

RendererFrame::RendererFrame(RendererBrowser& browser, std::int64_t id)
    : browser_(&browser), browser_hold_(RecordRef<cef_browser_t>::Adopt(Handed(browser))), id_(id) {
  cef_frame_t& record = entries();
  record.is_valid = EntryOf<&RendererFrame::IsValid>;
  record.undo = EntryOf<&RendererFrame::Undo>;
  record.redo = EntryOf<&RendererFrame::Redo>;
  record.cut = EntryOf<&RendererFrame::Cut>;
  record.copy = EntryOf<&RendererFrame::Copy>;
  record.paste = EntryOf<&RendererFrame::Paste>;
  record.del = EntryOf<&RendererFrame::Del>;
  record.select_all = EntryOf<&RendererFrame::SelectAll>;
  record.view_source = EntryOf<&RendererFrame::ViewSource>;
  record.get_source = EntryOf<&RendererFrame::GetSource>;
  record.get_text = EntryOf<&RendererFrame::GetText>;
  record.load_request = EntryOf<&RendererFrame::LoadRequest>;
  record.load_url = EntryOf<&RendererFrame::LoadUrl>;
  record.load_string = EntryOf<&RendererFrame::LoadString>;
  record.execute_java_script = EntryOf<&RendererFrame::ExecuteJavaScript>;
  record.is_main = EntryOf<&RendererFrame::IsMain>;
  record.is_focused = EntryOf<&RendererFrame::IsFocused>;
  record.get_name = EntryOf<&RendererFrame::GetName>;
  record.get_identifier = EntryOf<&RendererFrame::GetIdentifier>;
  record.get_parent = EntryOf<&RendererFrame::GetParent>;
  record.get_url = EntryOf<&RendererFrame::GetUrl>;
  record.get_browser = EntryOf<&RendererFrame::GetBrowser>;
  record.get_v8context = EntryOf<&RendererFrame::GetV8context>;
  record.visit_dom = EntryOf<&RendererFrame::VisitDom>;
}

RecordRef<cef_v8context_t> RendererFrame::Show(std::wstring url,
                                               std::shared_ptr<page::Document> tree) {
  RecordRef<cef_v8context_t> previous = Close();
  if (browser_ == nullptr) return previous;
  url_ = std::move(url);
  document_ = std::make_shared<LiveDocument>(std::move(tree), url_);
  context_ = RecordRef<cef_v8context_t>::Adopt(
      script_values::NewDocumentContext(browser_->record(), record()));
  return previous;
}

RecordRef<cef_v8context_t> RendererFrame::Close() {
  if (document_) document_->Detach();
  document_.reset();
  return std::move(context_);
}

void RendererFrame::GetSource(cef_string_visitor_t* visitor) {
  VisitLater(visitor, document_ ? document_->tree().source : std::wstring());
}

void RendererFrame::GetText(cef_string_visitor_t* visitor) {
  VisitLater(visitor, document_ ? page::InnerText(*document_->tree().root) : std::wstring());
}

// Navigation is the browser process's; a request made here is let go.
void RendererFrame::LoadRequest(cef_request_t* request) {
  const auto ignored = RecordRef<cef_request_t>::Adopt(request);
}

void RendererFrame::ExecuteJavaScript(const cef_string_t* code, const cef_string_t* url,
                                      int startLine) {
  if (browser_ != nullptr) browser_->RunScript(*this, ViewOf(code), ViewOf(url), startLine);
}

cef_string_userfree_t RendererFrame::GetName() { return NewUserFreeString({}); }

cef_frame_t* RendererFrame::GetParent() {
  if (browser_ == nullptr || browser_->IsMainFrame(id_)) return nullptr;
  RendererFrame* main = browser_->MainFrame();
  return main == nullptr ? nullptr : Handed(*main);
}

cef_string_userfree_t RendererFrame::GetUrl() { return NewUserFreeString(url_); }

cef_browser_t* RendererFrame::GetBrowser() {
  return browser_ == nullptr ? nullptr : Handed(*browser_);
}

cef_v8context_t* RendererFrame::GetV8context() { return Handed(context_.get()); }

void RendererFrame::VisitDom(cef_domvisitor_t* visitor) {
  const auto held = RecordRef<cef_domvisitor_t>::Adopt(visitor);
  if (!held || visitor->visit == nullptr || !document_) return;
  visitor->visit(visitor, NewDomDocument(document_));
}

}  // namespace devengine::renderer
