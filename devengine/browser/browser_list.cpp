#include "browser_list.h"

#include <atomic>
#include <map>
#include <mutex>
#include <optional>

#include "browser.h"
#include "engine_strings.h"
#include "heap_records.h"
#include "inspector_server.h"
#include "job_threads.h"

namespace devengine::browser {
namespace {

struct BrowserList {
  std::atomic<int> next_browser{1};
  std::atomic<std::int64_t> next_frame{1};
  std::mutex mutex;
  std::map<int, std::shared_ptr<Browser>> open;
  std::unique_ptr<InspectorServer> inspector;
  std::atomic<int> inspector_port{0};
  std::wstring renderer_executable;
};

BrowserList& TheList() { return Immortal<BrowserList>(); }

std::optional<Browser::Inspected> InspectBrowser(int id) {
  const std::shared_ptr<Browser> browser = FindBrowser(id);
  if (!browser) return std::nullopt;
  return browser->Inspect();
}

std::vector<int> OpenIds() {
  std::vector<int> ids;
  for (const auto& browser : OpenBrowsers()) ids.push_back(browser->id());
  return ids;
}

}  // namespace

int NextBrowserId() { return TheList().next_browser++; }
std::int64_t NextFrameId() { return TheList().next_frame++; }

void AddBrowser(std::shared_ptr<Browser> browser) {
  BrowserList& list = TheList();
  const std::lock_guard lock(list.mutex);
  list.open[browser->id()] = std::move(browser);
}

void RemoveBrowser(int id) {
  std::shared_ptr<Browser> removed;
  BrowserList& list = TheList();
  const std::lock_guard lock(list.mutex);
  if (const auto found = list.open.find(id); found != list.open.end()) {
    // Let go after the lock: the last reference may release program objects.
    removed = std::move(found->second);
    list.open.erase(found);
  }
}

std::shared_ptr<Browser> FindBrowser(int id) {
  BrowserList& list = TheList();
  const std::lock_guard lock(list.mutex);
  const auto found = list.open.find(id);
  return found == list.open.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<Browser>> OpenBrowsers() {
  BrowserList& list = TheList();
  const std::lock_guard lock(list.mutex);
  std::vector<std::shared_ptr<Browser>> open;
  for (const auto& [id, browser] : list.open) open.push_back(browser);
  return open;
}

void StartBrowsing(const cef_settings_t& settings) {
  BrowserList& list = TheList();
  list.renderer_executable = ToWString(&settings.browser_subprocess_path);
  const int port = settings.remote_debugging_port;
  if (port <= 0 || port > 65535) return;
  list.inspector = InspectorServer::Start(port, {&InspectBrowser, &OpenIds});
  if (list.inspector) list.inspector_port = port;
}

void StopBrowsing() {
  BrowserList& list = TheList();
  std::map<int, std::shared_ptr<Browser>> open;
  {
    const std::lock_guard lock(list.mutex);
    open.swap(list.open);
  }
  for (const auto& [id, browser] : open) browser->Abandon();
  open.clear();
  list.inspector_port = 0;
  list.inspector.reset();
  StopJobs();
}

int InspectorPort() { return TheList().inspector_port; }

std::wstring RendererExecutable() { return TheList().renderer_executable; }

}  // namespace devengine::browser
