// Links a person follows and windows a page opens: into a frame of this
// page when the target names one, else into a pop-up browser the life-span
// handler may change or refuse.
#include <memory>
#include <utility>

#include "ascii.h"
#include "browser.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "exports.h"
#include "handler_calls.h"

namespace devengine::browser {

void Browser::LinkClicked(const std::wstring& url, const std::wstring& target) {
  const std::wstring name = AsciiLower(target);
  if (name.empty() || name == L"_self" || name == L"_top" || name == L"_parent") {
    LoadUrl(main_frame_, url);
    return;
  }
  for (const FrameInfo& frame : Frames()) {
    if (frame.name == target && frame.id != main_frame_) {
      LoadUrl(frame.id, url);
      return;
    }
  }
  PostWork(TID_IO, [self = shared_from_this(), url, target] { self->AskPopup(url, target); });
}

void Browser::AskPopup(std::wstring url, std::wstring target, std::int64_t opener) {
  const RecordRef<cef_client_t> own = Client();
  if (!own) return;
  cef_string_t target_url{};
  Assign(&target_url, url);
  cef_string_t frame_name{};
  Assign(&frame_name, target);
  cef_popup_features_t features{};
  features.menu_bar_visible = features.status_bar_visible = features.tool_bar_visible = 1;
  features.location_bar_visible = features.scrollbars_visible = features.resizable = 1;
  const cef_string_list_t extra = cef_string_list_alloc();
  features.additional_features = extra;
  cef_window_info_t window{};
  window.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
  window.x = window.y = window.width = window.height = CW_USEDEFAULT;
  cef_browser_settings_t settings = settings_.CopyForHandler();
  cef_client_t* client = own.get();
  int no_javascript_access = 0;
  int cancel = 0;
  bool asked = false;
  const RecordRef<cef_life_span_handler_t> handler = AskHandler<cef_life_span_handler_t>(own.get());
  if (handler && handler.get()->on_before_popup != nullptr) {
    asked = true;
    cancel = handler.get()->on_before_popup(
        handler.get(), Pass(ThisBrowser{}), Pass(FrameArgument{opener != 0 ? opener : main_frame_}),
        &target_url, &frame_name, &features, &window, &client, &settings, &no_javascript_access);
  }
  // What the handler gives back carries a reference for the engine.
  RecordRef<cef_client_t> popup_client =
      asked ? RecordRef<cef_client_t>::Adopt(client) : RecordRef<cef_client_t>::Retain(client);
  const std::wstring popup_url = ToWString(&target_url);
  const std::wstring window_name = ToWString(&window.window_name);
  auto popup_settings = std::make_shared<OwnedBrowserSettings>(&settings);
  ClearString(&target_url);
  ClearString(&frame_name);
  ClearString(&window.window_name);
  ClearSettingsTexts(settings);
  cef_string_list_free(extra);
  if (cancel != 0 || !popup_client || popup_url.empty()) return;
  auto held_client = std::make_shared<RecordRef<cef_client_t>>(std::move(popup_client));
  PostUi([window, window_name, held_client, popup_settings, popup_url](Browser& self) {
    cef_window_info_t info = window;
    info.window_name = Borrow(window_name);
    const std::shared_ptr<Browser> popup = Browser::Create(
        info, std::move(*held_client), OwnedBrowserSettings(*popup_settings), self.Window());
    if (popup) popup->LoadUrl(popup->MainFrameId(), popup_url);
  });
}

}  // namespace devengine::browser
