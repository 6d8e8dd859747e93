// cef_browser_host_create_browser_sync and cef_browser_host_create_browser:
// a browser, its window as the parent's child, and its first load.
#include <memory>
#include <string>

#include "browser.h"
#include "browser_records.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "exports.h"

namespace devengine::browser {
namespace {

// On the UI thread; null when the window cannot be made. The client comes
// with a reference for the engine, which the browser keeps.
std::shared_ptr<Browser> CreateBrowser(const cef_window_info_t& window,
                                       RecordRef<cef_client_t> client, const std::wstring& url,
                                       const cef_browser_settings_t* settings) {
  std::shared_ptr<Browser> browser =
      Browser::Create(window, std::move(client), OwnedBrowserSettings(settings), nullptr);
  if (browser) browser->LoadUrl(browser->MainFrameId(), url);
  return browser;
}

// A window made on another thread would belong to it and never be pumped;
// so browsers are made only on the engine's UI thread, once it runs. A
// browser without a client is made all the same; it tells nobody anything.
bool MayCreate(const cef_window_info_t* window) { return window != nullptr && CurrentlyOn(TID_UI); }

}  // namespace
}  // namespace devengine::browser

using namespace devengine;
using namespace devengine::browser;

DEVENGINE_EXPORT cef_browser_t* cef_browser_host_create_browser_sync(
    const cef_window_info_t* window_info, cef_client_t* client, const cef_string_t* url,
    const cef_browser_settings_t* settings) {
  // The reference handed over with the client is the engine's, kept by the
  // browser or given back at once when no browser is made.
  RecordRef<cef_client_t> held = RecordRef<cef_client_t>::Adopt(client);
  if (!MayCreate(window_info)) return nullptr;
  std::shared_ptr<Browser> browser =
      CreateBrowser(*window_info, std::move(held), ToWString(url), settings);
  return browser ? NewBrowserRecord(std::move(browser)) : nullptr;
}

DEVENGINE_EXPORT int cef_browser_host_create_browser(const cef_window_info_t* window_info,
                                                     cef_client_t* client, const cef_string_t* url,
                                                     const cef_browser_settings_t* settings) {
  RecordRef<cef_client_t> client_ref = RecordRef<cef_client_t>::Adopt(client);
  if (window_info == nullptr) return 0;
  // Everything the call points at is copied now; the browser is made later,
  // on the UI thread.
  cef_window_info_t window = *window_info;
  auto name = std::make_shared<std::wstring>(ToWString(&window_info->window_name));
  auto held = std::make_shared<RecordRef<cef_client_t>>(std::move(client_ref));
  auto copied = std::make_shared<OwnedBrowserSettings>(settings);
  const bool posted =
      PostWork(TID_UI, [window, name, held, copied, address = ToWString(url)]() mutable {
        window.window_name = Borrow(*name);
        CreateBrowser(window, std::move(*held), address, &copied->get());
      });
  return posted ? 1 : 0;
}
