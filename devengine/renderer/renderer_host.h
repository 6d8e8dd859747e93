// The browser process's side of one browser's renderer: starts the renderer
// process, hands it the documents the browser shows, asks it for their
// source and text, and reports when it ends.
//
// The browser core makes one per browser, uses it and destroys it on the UI
// thread; every callback it gives runs on the UI thread, from UiWork(). No
// call waits for the renderer: what is sent is queued for the channel's
// thread, and answers come back as UI work.
#ifndef NIMBRA_DEVENGINE_RENDERER_RENDERER_HOST_H
#define NIMBRA_DEVENGINE_RENDERER_RENDERER_HOST_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "protocol.h"
#include "winhandle.h"

namespace devengine::renderer {

class Channel;

class RendererHost {
  struct Passkey {
    explicit Passkey() = default;
  };
  struct Replies;

 public:
  struct Events {
    // Once, when the renderer process ends before it was told its browser
    // is destroyed (it crashed or was killed).
    std::function<void()> terminated;
    // A process message the renderer sent (a kProcessMessage frame).
    std::function<void(Message)> process_message{};
    // What a page's script tells the browser: a kTitleChanged,
    // kConsoleMessage, kOpenWindow, kStatusText or kScriptsRun frame.
    std::function<void(Message)> page_script{};
    // A page dialog: a kScriptDialog, kBeforeUnloadHandler or
    // kBeforeUnloadAnswer frame.
    std::function<void(Message)> dialog{};
  };

  // Starts a renderer for browser `browserId`: this executable, or
  // `executable` when one is given, with the switches
  // --type=renderer --renderer-channel=<pipe> --renderer-browser-id=<id>.
  // Null when no pipe or no process can be made.
  static std::unique_ptr<RendererHost> Start(int browserId, Events events,
                                             const std::wstring& executable = {});

  RendererHost(Passkey, int browserId, Events events, std::unique_ptr<Channel> channel,
               TKernelHandle process, DWORD processId);
  RendererHost(const RendererHost&) = delete;
  RendererHost& operator=(const RendererHost&) = delete;
  // Tells the renderer its browser is destroyed, if nobody has, and lets it
  // end; one that does not end within a few seconds is ended.
  ~RendererHost();

  // The renderer shows `markup` in frame `frameId` from now on, in place of
  // what that frame showed before.
  void ShowDocument(std::int64_t frameId, bool isMain, const std::wstring& url,
                    const std::wstring& markup);
  // `done` gets the markup, or the text, of the document shown in the frame
  // (empty for a frame that shows none). A request the renderer can no
  // longer answer (it has ended, or ends first) is dropped: `done` is
  // destroyed without being called.
  void RequestSource(std::int64_t frameId, std::function<void(std::wstring)> done);
  void RequestText(std::int64_t frameId, std::function<void(std::wstring)> done);
  // The document just shown in the frame runs its scripts, or, when
  // `enabled` is false, none; either way a kScriptsRun frame carrying `load`
  // follows once it is done.
  void StartScripts(std::int64_t frameId, bool enabled, std::uint64_t load);
  // The text of the frame's external script `index` (among its SCRIPT
  // elements), or word that it could not be had.
  void SendScriptText(std::int64_t frameId, const std::wstring& url, std::int64_t index,
                      bool fetched, const std::wstring& text);
  // Runs `code` in the document the frame shows, if any.
  void ExecuteScript(std::int64_t frameId, const std::wstring& code, const std::wstring& url,
                     int startLine);
  // The renderer tells its handler the browser is gone and ends with code 0;
  // that end is no termination.
  void DestroyBrowser();
  // Queues a kProcessMessage frame; false when the renderer has ended or is
  // ending, or the frame cannot be sent.
  bool SendProcessMessage(const Message& message);
  // Queues a kDialogAnswer or kRunBeforeUnload frame; false as above.
  bool SendDialogMessage(const Message& message);

  bool Alive() const;
  DWORD ProcessId() const { return process_id_; }
  // The renderer's exit code once it has ended.
  std::optional<DWORD> ExitCode() const;

 private:
  // `Asking` is the request's message type.
  template <class Asking>
  void Request(std::int64_t frameId, std::function<void(std::wstring)> done);
  // Queues `message` unless the renderer has ended or is ending.
  bool SendWhileRunning(const Message& message);

  std::shared_ptr<Replies> replies_;
  std::unique_ptr<Channel> channel_;
  std::shared_ptr<TKernelHandle> process_;
  DWORD process_id_;
  std::uint64_t next_request_ = 1;
};

}  // namespace devengine::renderer

#endif
