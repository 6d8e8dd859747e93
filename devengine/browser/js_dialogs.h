// A browser's page dialogs, on the UI thread: what script asks with alert,
// confirm, prompt and window.print, and the before-unload question asked
// before the main frame's page is left.
//
// A script dialog goes to the program's JavaScript-dialog handler first
// (on_jsdialog); one it takes over is answered through the callback it was
// given, from any thread, once (a callback let go unanswered answers
// cancelled); one it leaves, unless it suppresses it, shows the engine's own
// dialog. Either way on_reset_dialog_state follows once it is over. Nothing
// here waits: the UI thread goes on while the program holds a callback.
//
// Before-unload: only a page that has told us of its onbeforeunload function
// costs a round trip to the renderer; what that function answers goes to
// on_before_unload_dialog, else to the engine's own confirmation, and the
// page is left only when that accepts.
#ifndef NIMBRA_DEVENGINE_BROWSER_JS_DIALOGS_H
#define NIMBRA_DEVENGINE_BROWSER_JS_DIALOGS_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "cef_capi.h"
#include "record_ref.h"
#include "renderer/protocol.h"

namespace devengine::browser {

class PageDialogs {
 public:
  // How the dialogs reach the rest of the browser; each is called on the UI
  // thread and may answer null once the browser has closed.
  struct Party {
    std::function<RecordRef<cef_jsdialog_handler_t>()> handler;
    // A new reference on the browser's record.
    std::function<cef_browser_t*()> browser;
    std::function<HWND()> window;
    std::function<bool(const renderer::Message&)> sendToRenderer;
  };

  explicit PageDialogs(Party party);
  PageDialogs(const PageDialogs&) = delete;
  PageDialogs& operator=(const PageDialogs&) = delete;
  ~PageDialogs();

  // A dialog message from the renderer (kScriptDialog, kBeforeUnloadHandler,
  // kBeforeUnloadAnswer); false for any other kind.
  bool Received(const renderer::Message& message);

  // Runs `proceed` once the main frame's page agrees to be left: at once
  // when it has no onbeforeunload function. A later call replaces a
  // `proceed` still waiting; a refused one is dropped.
  void BeforeLeaving(bool isReload, std::function<void()> proceed);

  // The main frame shows a new document, or a new renderer starts: the page
  // has no onbeforeunload function until it says so.
  void PageReplaced();
  // The renderer has ended: a question it cannot answer lets the page go.
  void RendererEnded();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// A callback record that calls `done` on the UI thread the first time
// `cont` is called, or with (false, "") when it is let go uncalled.
cef_jsdialog_callback_t* NewDialogCallback(std::function<void(bool, std::wstring)> done);

}  // namespace devengine::browser

#endif
