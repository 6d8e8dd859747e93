// Page dialogs in the renderer: alert, confirm, prompt and window.print ask
// the browser process and hold the renderer's main thread until it answers,
// as a page's script waits for a dialog; window.onbeforeunload is watched
// so that the browser asks the page before leaving it only when it has one.
//
// The answer cannot come through the main thread's work queue, which waits
// behind the dialog: the pipe's thread hands it over with Intercept. When
// the browser is destroyed or its process goes, every wait ends (alert
// returns, confirm answers false, prompt null) and later dialogs answer so
// at once. Messages that arrive meanwhile stay queued for after the dialog.
#ifndef NIMBRA_DEVENGINE_RENDERER_SCRIPT_DIALOGS_H
#define NIMBRA_DEVENGINE_RENDERER_SCRIPT_DIALOGS_H

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "protocol.h"
#include "page_script.h"
#include "script/interpreter.h"

namespace devengine::renderer {

class ScriptDialogs {
 public:
  // Main thread: sends `request` (its id is given here) and waits for its
  // answer; a cancelled one when the line has ended or `send` fails.
  messages::DialogAnswer Ask(const std::function<bool(Message)>& send,
                             messages::ScriptDialog request);

  // The pipe's thread, for every message that arrives. Takes a
  // kDialogAnswer to the waiting call (true). A kDestroyBrowser ends every
  // wait but is left for the main thread (false), as is every other kind.
  bool Intercept(const Message& message);
  // Any thread: the browser process is gone.
  void End();

 private:
  std::mutex mutex_;
  std::condition_variable answered_;
  std::int64_t next_id_ = 1;
  std::int64_t waiting_ = 0;
  std::optional<messages::DialogAnswer> answer_;
  bool ended_ = false;
};

// Gives a new document context alert, confirm, prompt, print and the
// watched window.onbeforeunload.
void InstallDialogBuiltins(script::Context& context, const PageScriptHost& host,
                           ScriptDialogs& dialogs);

// Runs the onbeforeunload function of the main frame's page, if it has one,
// and answers the browser's request `request` with kBeforeUnloadAnswer:
// whether the page asks to confirm leaving, and its message.
void AnswerBeforeUnload(RendererFrame* mainFrame, const std::function<bool(Message)>& send,
                        std::int64_t request);

}  // namespace devengine::renderer

#endif
