// What a document needs beside its markup: its scripts, style sheets and
// images, each fetched for the frame's load, which ends once they are in
// and the renderer has run the scripts.
#include <utility>

#include "ascii.h"
#include "browser.h"
#include "page/html.h"
#include "renderer/renderer_host.h"
#include "url.h"
#include "weak_owner.h"

namespace devengine::browser {

void Browser::LoadSubresources(std::int64_t frame, std::uint64_t load,
                               const page::Document& document, const std::wstring& base) {
  struct Kind {
    std::wstring_view tag;
    std::wstring_view attribute;
    Resource resource;
  };
  static constexpr Kind kKinds[] = {{L"SCRIPT", L"src", Resource::kScript},
                                    {L"LINK", L"href", Resource::kStyleSheet}};
  // The renderer numbers scripts the same way, among every SCRIPT element.
  std::int64_t script_index = -1;
  for (const Kind& kind : kKinds) {
    for (const page::Node* element : document.ElementsByTag(kind.tag)) {
      if (kind.resource == Resource::kScript) ++script_index;
      const std::wstring* reference = element->Attribute(kind.attribute);
      if (reference == nullptr || reference->empty()) continue;
      if (kind.resource == Resource::kStyleSheet) {
        const std::wstring* relation = element->Attribute(L"rel");
        if (relation == nullptr || AsciiLower(*relation).find(L"stylesheet") == std::wstring::npos)
          continue;
      }
      const std::optional<std::wstring> url = ResolveUrl(base, *reference);
      if (kind.resource != Resource::kScript) {
        if (url) LoadResource(frame, load, *url, kind.resource, {});
        continue;
      }
      // The renderer holds back every later script until this one's text
      // comes, so one that is not fetched is reported at once.
      const std::wstring name = url.value_or(*reference);
      const auto deliver =
          BindWeak<&Browser::SendScriptText>(weak_from_this(), frame, name, script_index);
      if ((!url || !LoadResource(frame, load, *url, kind.resource, deliver)) && renderer_)
        renderer_->SendScriptText(frame, name, script_index, false, {});
    }
  }
}

bool Browser::LoadResource(std::int64_t frame, std::uint64_t load, const std::wstring& url,
                           Resource kind, std::function<void(std::string)> deliver) {
  if (kind == Resource::kImage && !settings_.ImagesEnabled()) return false;
  if (kind == Resource::kScript && !settings_.JavascriptEnabled()) return false;
  bool counted = false;
  RequestData data;
  {
    const std::lock_guard lock(mutex_);
    const auto found = frames_.find(frame);
    if (closed_ || found == frames_.end() || found->second.load != load) return false;
    FrameState& state = found->second;
    if (!settings_.MayReach(state.info.url, url)) return false;
    if (state.phase == Phase::kCommitted) {
      ++state.waiting;
      counted = true;
    }
    data.url = url;
    data.first_party = frames_.at(main_frame_).info.url;
  }
  FetchForFrame(frame, load, std::move(data),
                [frame, load, counted, deliver = std::move(deliver)](
                    Browser& self, std::optional<FetchResponse> response) {
                  std::string bytes;
                  if (response && response->error == NetError::kNone)
                    bytes = std::move(response->body);
                  self.ResourceDone(frame, load, counted, deliver, std::move(bytes));
                });
  return true;
}

void Browser::ResourceDone(std::int64_t frame, std::uint64_t load, bool counted,
                           const std::function<void(std::string)>& deliver, std::string bytes) {
  if (!IsCurrent(frame, load)) return;
  if (deliver) deliver(std::move(bytes));
  if (!counted) return;
  {
    const std::lock_guard lock(mutex_);
    FrameState* state = FindFrame(frame);
    if (state == nullptr || state->phase != Phase::kCommitted || state->waiting == 0) return;
    --state->waiting;
  }
  MaybeEndFrame(frame);
}

void Browser::SendScriptText(std::int64_t frame, const std::wstring& url, std::int64_t index,
                             std::string bytes) {
  if (renderer_) renderer_->SendScriptText(frame, url, index, true, page::DecodeMarkup(bytes, {}));
}

void Browser::AwaitScripts(std::int64_t frame, std::uint64_t load) {
  const std::lock_guard lock(mutex_);
  FrameState* state = FindFrame(frame);
  if (state == nullptr || state->load != load || state->phase != Phase::kCommitted ||
      state->awaiting_scripts)
    return;
  state->awaiting_scripts = true;
  ++state->waiting;
}

void Browser::ScriptsRun(std::int64_t frame, std::uint64_t load) {
  {
    const std::lock_guard lock(mutex_);
    FrameState* state = FindFrame(frame);
    if (closed_ || state == nullptr || state->load != load || !state->awaiting_scripts) return;
    state->awaiting_scripts = false;
    if (state->waiting > 0) --state->waiting;
  }
  MaybeEndFrame(frame);
}

}  // namespace devengine::browser
