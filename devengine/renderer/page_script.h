// Page scripts in the renderer: the built-ins every document's context has
// (document.title, console, window.open, window.status), the running of a document's
// SCRIPT elements in order once they are all known, and code the browser or
// the program asks a frame to run.
//
// Used on the renderer's main thread only. The renderer outlives every
// script run, so the built-ins keep plain pointers to its records.
#ifndef NIMBRA_DEVENGINE_RENDERER_PAGE_SCRIPT_H
#define NIMBRA_DEVENGINE_RENDERER_PAGE_SCRIPT_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "cef_capi.h"
#include "protocol.h"
#include "script/interpreter.h"

namespace devengine::renderer {

class RendererBrowser;
class RendererFrame;

// How a document's built-ins reach past its script: the frame that shows it,
// the browser process, and the program's render-process handler. Built-ins
// keep a copy.
struct PageScriptHost {
  cef_render_process_handler_t* handler = nullptr;  // may be null
  RendererBrowser* browser = nullptr;
  RendererFrame* frame = nullptr;
  std::function<bool(Message)> send_to_browser;
};

// Gives a new document context its page built-ins.
void InstallPageBuiltins(script::Context& context, PageScriptHost& host);

// Runs `code` in the frame's current context. What script throws and does
// not catch goes to the handler's on_uncaught_exception and, as "Uncaught
// ...", to the browser's console. A frame that shows nothing runs nothing.
void RunFrameScript(const PageScriptHost& host, std::wstring_view code, std::wstring_view name,
                    int startLine);

// The SCRIPT elements of the documents the frames show, run in document
// order: inline ones as soon as the browser says scripts may run, an
// external one when its text arrives, a later script always after an
// earlier one. Once a document's scripts have all run, the browser is told
// (kScriptsRun), since the frame's load ends only then.
class PageScripts {
 public:
  explicit PageScripts(std::function<bool(Message)> sendToBrowser)
      : send_to_browser_(std::move(sendToBrowser)) {}

  // A frame shows a new document: its scripts wait for Start.
  void DocumentShown(const PageScriptHost& host);
  // The browser says whether the frame's document may run script; `load`
  // is the browser's load that showed it, given back with kScriptsRun.
  void Start(std::int64_t frameId, bool enabled, std::uint64_t load);
  // The text of the document's external script `index` (among its SCRIPT
  // elements); `fetched` is false when it could not be had.
  void ExternalText(std::int64_t frameId, const std::wstring& url, std::int64_t index, bool fetched,
                    std::wstring text);
  // The frame is gone or shows nothing more.
  void Forget(std::int64_t frameId);

 private:
  struct Pending;
  void RunReady(std::int64_t frameId);
  void TellScriptsRun(std::int64_t frameId, std::uint64_t load) const;

  std::function<bool(Message)> send_to_browser_;
  std::map<std::int64_t, std::shared_ptr<Pending>> frames_;
};

}  // namespace devengine::renderer

#endif
