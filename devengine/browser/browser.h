// One browser of the engine: its window, its frames, its loads, its session
// history, its renderer process, and the notifications it gives its client.
//
// Ownership: cef_browser_host_create_browser(_sync) makes one on the UI
// thread; the browser list (browser_list.h) holds it from then until its
// window is destroyed, and every record handed out for it (browser, host,
// frame) holds it too, so a program may keep using those records after the
// browser has closed. Its window, its renderer host and every handler call
// belong to the UI thread; its operations may be asked from any thread and
// post their work there. The request handler's and the life-span handler's
// before-pop-up calls run on the engine's IO thread, fetching on network job
// threads. A mutex guards what other threads read.
//
// The class is written in parts, one file each, named in the private
// section below: making and operations (browser.cpp), frame loads
// (frame_loads.cpp), the one fetch pipeline (fetch_pipeline.cpp),
// sub-resources (subresources.cpp), links and pop-ups (popups.cpp) and the
// renderer link (renderer_link.cpp). Callbacks that outlive a call hold the
// browser weakly (weak_owner.h); handler calls go through Tell
// (handler_calls.h).
#ifndef NIMBRA_DEVENGINE_BROWSER_BROWSER_H
#define NIMBRA_DEVENGINE_BROWSER_BROWSER_H

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "browser_settings.h"
#include "cef_capi.h"
#include "fetch.h"
#include "history.h"
#include "record_ref.h"
#include "renderer/protocol.h"
#include "request.h"

namespace devengine::page {
class PageWindow;
struct Document;
struct PageEvents;
}  // namespace devengine::page

namespace devengine::renderer {
class RendererHost;
}

namespace devengine::browser {

class PageDialogs;

// Handler-call arguments that become a new reference for the handler, made
// only when the handler has the entry.
struct ThisBrowser {};
struct FrameArgument {
  std::int64_t id;
};
template <class Record>
struct Lent {
  Record* record;
};

class Browser : public std::enable_shared_from_this<Browser> {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  struct FrameInfo {
    std::int64_t id = 0;
    std::int64_t parent = 0;
    std::wstring name;
    std::wstring url;
  };
  // What the inspector page shows of the main frame.
  struct Inspected {
    std::wstring url;
    std::wstring title;
    std::wstring source;
  };

  // Makes the browser and its window on the UI thread and queues
  // on_after_created. Null when the window cannot be made.
  static std::shared_ptr<Browser> Create(const cef_window_info_t& window,
                                         RecordRef<cef_client_t> client,
                                         OwnedBrowserSettings settings, HWND opener);

  Browser(Passkey, int id, RecordRef<cef_client_t> client, OwnedBrowserSettings settings,
          HWND opener, bool windowless);
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;
  ~Browser();

  int id() const { return id_; }
  bool IsPopup() const { return opener_ != nullptr; }
  HWND Opener() const { return opener_; }
  bool WindowRenderingDisabled() const { return windowless_; }
  std::int64_t MainFrameId() const { return main_frame_; }

  // Any thread; the work is done on the UI thread.
  void LoadUrl(std::int64_t frame, std::wstring url);
  void LoadRequest(std::int64_t frame, RequestData request);
  void LoadString(std::int64_t frame, std::wstring markup, std::wstring url);
  void GoBack();
  void GoForward();
  void Reload(bool ignoreCache);
  void StopLoad();
  // The visitor gets the frame's markup (or its text) on the UI thread.
  void VisitSource(std::int64_t frame, RecordRef<cef_string_visitor_t> visitor, bool asText);
  void SetFocus(bool enable);
  void SetZoomLevel(double level);
  // Asks the life-span handler's do_close; unless it takes over, the window
  // is destroyed and the browser closes.
  void CloseBrowser();
  // Queues a process message frame for the renderer; false once the browser
  // has closed or, asked on the UI thread, when its renderer has ended.
  bool SendToRenderer(renderer::Message message);
  // Runs `code` in the document the frame shows, on a later turn of the
  // renderer's main thread; nothing when it shows none.
  void ExecuteScript(std::int64_t frame, std::wstring code, std::wstring url, int startLine);

  // Any thread, answered at once.
  bool CanGoBack() const;
  bool CanGoForward() const;
  bool IsLoading() const;
  bool HasDocument() const;
  double ZoomLevel() const { return zoom_; }
  HWND Window() const { return window_handle_; }
  RecordRef<cef_client_t> Client() const;
  std::optional<FrameInfo> Frame(std::int64_t id) const;
  std::vector<FrameInfo> Frames() const;
  Inspected Inspect() const;

  // At engine shutdown, on the UI thread: lets go of the window, the
  // renderer and the program's client without telling anyone.
  void Abandon();

 private:
  enum class Phase { kIdle, kProvisional, kCommitted };
  enum class Resource { kScript, kStyleSheet, kImage };

  struct FrameState {
    FrameInfo info;
    std::wstring markup;
    std::shared_ptr<const page::Document> document;
    int status = 0;
    Phase phase = Phase::kIdle;
    // The load under way, or the last one; work of any other is stale.
    std::uint64_t load = 0;
    std::wstring loading_url;
    std::optional<std::wstring> loading_markup;
    HistoryPlace place;
    // Sub-resources, child frames and the document's scripts the frame's
    // load end waits for.
    int waiting = 0;
    // Counted in `waiting` until the renderer says the scripts have run.
    bool awaiting_scripts = false;
    int depth = 0;
  };

  struct Navigation {
    RequestData request;
    std::optional<std::wstring> markup;
    HistoryPlace place = HistoryPlace::New();
    // The page it replaces in the main frame has agreed to be left.
    bool leaveAgreed = false;
  };

  // On the UI thread once the handler has seen the request: nullopt when it
  // cancelled it, else the answer (which may be a failure).
  using Fetched = std::function<void(Browser&, std::optional<FetchResponse>)>;

  // ---- browser.cpp: making, operations, closing --------------------------
  static LRESULT CALLBACK WatchWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
  page::PageEvents WindowEvents();
  std::unique_ptr<PageDialogs> MakeDialogs();
  void PostUi(std::function<void(Browser&)> work);
  bool IsCurrent(std::int64_t frame, std::uint64_t load) const;
  // Null when the frame is gone; with the lock held.
  FrameState* FindFrame(std::int64_t frame);
  // Whether `frame` lies, at any depth, inside `ancestor`; with the lock held.
  bool Inside(std::int64_t frame, std::int64_t ancestor) const;
  void Close();

  // ---- frame_loads.cpp: a frame's load, from its start to its end, on the
  // UI thread ---------------------------------------------------------------
  static std::uint64_t NextLoad();
  void StartLoad(std::int64_t frame, Navigation navigation);
  struct LoadBegun {
    std::uint64_t load = 0;
    bool was_loading = false;
    // A child frame's parent's address, which decides what it may reach.
    std::optional<std::wstring> parent_url;
  };
  // Marks the frame loading `navigation`; nullopt when it is gone.
  std::optional<LoadBegun> BeginLoad(std::int64_t frame, const Navigation& navigation);
  void FinishLoad(std::int64_t frame, std::uint64_t load, std::optional<FetchResponse> response);
  void FailLoad(std::int64_t frame, std::uint64_t load, NetError error, const std::wstring& url,
                bool showErrorPage);
  void TellLoadError(std::int64_t frame, NetError error, const std::wstring& url);
  void Commit(std::int64_t frame, std::uint64_t load, const std::wstring& url, int status,
              std::wstring markup);
  void ShowInWindow(std::int64_t frame, std::uint64_t load,
                    const std::shared_ptr<const page::Document>& document, const std::wstring& url,
                    const std::wstring& title);
  void LoadChildFrames(std::int64_t frame, const page::Document& document,
                       const std::wstring& base);
  void MaybeEndFrame(std::int64_t frame);
  void FrameSettled(std::int64_t parent);
  void CheckLoadingEnded();
  void TellLoadingState(bool loading);
  void Stop();
  void Step(int offset);

  // ---- fetch_pipeline.cpp: every request, document or sub-resource --------
  // IO thread: the request handler's on_before_resource_load; job thread:
  // the fetch; then `fetched` on the UI thread. Nothing happens for a load
  // that is no longer current when the IO thread comes to it.
  void FetchForFrame(std::int64_t frame, std::uint64_t load, RequestData data, Fetched fetched);
  void BeforeLoad(std::int64_t frame, std::uint64_t load, const RecordRef<cef_request_t>& request,
                  Fetched fetched);
  FetchControl ControlFor(std::int64_t frame, std::uint64_t load);
  // Job thread: waits for the request handler's word on the IO thread.
  bool AskRedirect(std::int64_t frame, const std::wstring& from, std::wstring& to);

  // ---- subresources.cpp: what a document needs beside its markup ---------
  void LoadSubresources(std::int64_t frame, std::uint64_t load, const page::Document& document,
                        const std::wstring& base);
  // False when the resource is not fetched, so `deliver` is never called.
  bool LoadResource(std::int64_t frame, std::uint64_t load, const std::wstring& url, Resource kind,
                    std::function<void(std::string)> deliver);
  void ResourceDone(std::int64_t frame, std::uint64_t load, bool counted,
                    const std::function<void(std::string)>& deliver, std::string bytes);
  void SendScriptText(std::int64_t frame, const std::wstring& url, std::int64_t index,
                      std::string bytes);
  // The load end of the frame's document waits for its scripts to run.
  void AwaitScripts(std::int64_t frame, std::uint64_t load);
  // The renderer has run the scripts of that load's document, or never will.
  void ScriptsRun(std::int64_t frame, std::uint64_t load);

  // ---- popups.cpp: links and windows a page opens ------------------------
  void LinkClicked(const std::wstring& url, const std::wstring& target);
  // IO thread. `opener` is the frame that asks; the main frame when 0.
  void AskPopup(std::wstring url, std::wstring target, std::int64_t opener = 0);

  // ---- renderer_link.cpp: the renderer process and what it reports -------
  void EnsureRenderer();
  void RendererTerminated();
  // Hands a message the renderer sent to the client.
  void ProcessMessageArrived(const renderer::Message& frame);
  void DialogMessageArrived(const renderer::Message& message);
  // What a page's script asked of the browser: a new title, a console
  // message, a pop-up, a status text; or word that its scripts have run.
  void PageScriptReported(const renderer::Message& message);
  void Reported(renderer::messages::TitleChanged changed);
  void Reported(const renderer::messages::ConsoleMessage& console);
  void Reported(const renderer::messages::StatusText& status);
  void Reported(const renderer::messages::ScriptsRun& run);
  void Reported(const renderer::messages::OpenWindow& open);

  // ---- handler_calls.h ---------------------------------------------------
  // Calls the handler entry of the client, if the client has that handler
  // and the handler that entry; otherwise answers zero or null.
  template <auto entry, class... Args>
  auto Tell(Args&&... args);
  cef_browser_t* Pass(ThisBrowser);
  cef_frame_t* Pass(FrameArgument frame);
  template <class Record>
  Record* Pass(Lent<Record> lent);
  template <class Value>
  Value Pass(Value value) {
    return value;
  }

  const int id_;
  const std::int64_t main_frame_;
  const HWND opener_;
  const bool windowless_;
  const OwnedBrowserSettings settings_;
  std::atomic<double> zoom_{0.0};
  std::atomic<HWND> window_handle_{nullptr};

  mutable std::mutex mutex_;
  RecordRef<cef_client_t> client_;
  std::map<std::int64_t, FrameState> frames_;
  History history_;
  std::wstring title_;
  bool loading_ = false;
  bool closed_ = false;

  // UI thread only.
  std::unique_ptr<page::PageWindow> window_;
  std::unique_ptr<renderer::RendererHost> renderer_;
  std::unique_ptr<PageDialogs> dialogs_;
};

}  // namespace devengine::browser

#endif
