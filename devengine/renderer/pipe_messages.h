// The messages between the browser process and a renderer, one type per
// kind (pipe/typed_message.h), so both sides name each field in one place.
// A process message (kProcessMessage, either way) is values/message_wire.h's.
#ifndef NIMBRA_DEVENGINE_RENDERER_PIPE_MESSAGES_H
#define NIMBRA_DEVENGINE_RENDERER_PIPE_MESSAGES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>

#include "pipe/typed_message.h"

namespace devengine::renderer {

enum class DialogKind : std::uint8_t { kAlert, kConfirm, kPrompt, kPrint, kBeforeUnload };
constexpr DialogKind LastOf(DialogKind) { return DialogKind::kBeforeUnload; }

inline constexpr std::string_view kDialogKindNames[] = {"alert", "confirm", "prompt", "print",
                                                        "before_unload"};

inline std::string_view NameOf(DialogKind kind) {
  return kDialogKindNames[static_cast<std::size_t>(kind)];
}

namespace messages {

using pipe::MessageKind;

// ---- Browser to renderer ------------------------------------------------

// The renderer shows `markup` in the frame from now on.
struct ShowDocument {
  static constexpr MessageKind kKind = MessageKind::kShowDocument;
  std::int64_t frame = 0;
  bool is_main = false;
  std::wstring url;
  std::wstring markup;
  static auto Fields(auto& m) { return std::tie(m.frame, m.is_main, m.url, m.markup); }
  bool operator==(const ShowDocument&) const = default;
};

// The markup, or the text, of the frame's document; answered by Answer.
template <MessageKind Kind>
struct FrameRequest {
  static constexpr MessageKind kKind = Kind;
  std::int64_t request = 0;
  std::int64_t frame = 0;
  static auto Fields(auto& m) { return std::tie(m.request, m.frame); }
  bool operator==(const FrameRequest&) const = default;
};
using RequestSource = FrameRequest<MessageKind::kRequestSource>;
using RequestText = FrameRequest<MessageKind::kRequestText>;

// The renderer tells its handler and ends.
struct DestroyBrowser {
  static constexpr MessageKind kKind = MessageKind::kDestroyBrowser;
  static auto Fields(auto&) { return std::tie(); }
  bool operator==(const DestroyBrowser&) const = default;
};

// Runs in the frame's current document; a frame that shows none ignores it.
struct ExecuteScript {
  static constexpr MessageKind kKind = MessageKind::kExecuteScript;
  std::int64_t frame = 0;
  std::wstring code;
  std::wstring url;
  std::int64_t start_line = 0;
  static auto Fields(auto& m) { return std::tie(m.frame, m.code, m.url, m.start_line); }
  bool operator==(const ExecuteScript&) const = default;
};

// After ShowDocument: the document's scripts run now (none when disabled);
// ScriptsRun answers with the load once they have.
struct DocumentScripts {
  static constexpr MessageKind kKind = MessageKind::kDocumentScripts;
  std::int64_t frame = 0;
  bool enabled = false;
  std::uint64_t load = 0;
  static auto Fields(auto& m) { return std::tie(m.frame, m.enabled, m.load); }
  bool operator==(const DocumentScripts&) const = default;
};

// An external script: `index` among the document's SCRIPT elements.
struct ScriptText {
  static constexpr MessageKind kKind = MessageKind::kScriptText;
  std::int64_t frame = 0;
  std::wstring url;
  std::int64_t index = 0;
  bool fetched = false;
  std::wstring text;
  static auto Fields(auto& m) { return std::tie(m.frame, m.url, m.index, m.fetched, m.text); }
  bool operator==(const ScriptText&) const = default;
};

// What the person (or the program) answered a ScriptDialog. Taken by the
// pipe's thread straight to the waiting script.
struct DialogAnswer {
  static constexpr MessageKind kKind = MessageKind::kDialogAnswer;
  std::int64_t id = 0;
  bool success = false;
  std::wstring text;
  static auto Fields(auto& m) { return std::tie(m.id, m.success, m.text); }
  bool operator==(const DialogAnswer&) const = default;
};

// Runs the main frame's onbeforeunload; answered by BeforeUnloadAnswer.
struct RunBeforeUnload {
  static constexpr MessageKind kKind = MessageKind::kRunBeforeUnload;
  std::int64_t request = 0;
  static auto Fields(auto& m) { return std::tie(m.request); }
  bool operator==(const RunBeforeUnload&) const = default;
};

// ---- Renderer to browser ------------------------------------------------

// The answer to a FrameRequest: empty for a frame that shows nothing.
struct Answer {
  static constexpr MessageKind kKind = MessageKind::kAnswer;
  std::int64_t request = 0;
  std::wstring text;
  static auto Fields(auto& m) { return std::tie(m.request, m.text); }
  bool operator==(const Answer&) const = default;
};

// Script set document.title.
struct TitleChanged {
  static constexpr MessageKind kKind = MessageKind::kTitleChanged;
  std::int64_t frame = 0;
  std::wstring title;
  static auto Fields(auto& m) { return std::tie(m.frame, m.title); }
  bool operator==(const TitleChanged&) const = default;
};

// console.log and its kin, and uncaught exceptions.
struct ConsoleMessage {
  static constexpr MessageKind kKind = MessageKind::kConsoleMessage;
  std::wstring message;
  std::wstring source;
  std::int64_t line = 0;
  static auto Fields(auto& m) { return std::tie(m.message, m.source, m.line); }
  bool operator==(const ConsoleMessage&) const = default;
};

// window.open: the URL as given, the target name.
struct OpenWindow {
  static constexpr MessageKind kKind = MessageKind::kOpenWindow;
  std::int64_t frame = 0;
  std::wstring url;
  std::wstring target;
  static auto Fields(auto& m) { return std::tie(m.frame, m.url, m.target); }
  bool operator==(const OpenWindow&) const = default;
};

// What script asks. The renderer's main thread waits for the DialogAnswer
// of that id.
struct ScriptDialog {
  static constexpr MessageKind kKind = MessageKind::kScriptDialog;
  std::int64_t id = 0;
  DialogKind kind = DialogKind::kAlert;
  std::wstring url;  // of the document that asks
  std::wstring message;
  std::wstring default_text;  // a prompt's
  static auto Fields(auto& m) { return std::tie(m.id, m.kind, m.url, m.message, m.default_text); }
  bool operator==(const ScriptDialog&) const = default;
};

// Whether the main frame's page now has a function in window.onbeforeunload.
struct BeforeUnloadHandler {
  static constexpr MessageKind kKind = MessageKind::kBeforeUnloadHandler;
  bool has = false;
  static auto Fields(auto& m) { return std::tie(m.has); }
  bool operator==(const BeforeUnloadHandler&) const = default;
};

// What the page's onbeforeunload answered a RunBeforeUnload: whether it
// asks to confirm, and with which message.
struct BeforeUnloadAnswer {
  static constexpr MessageKind kKind = MessageKind::kBeforeUnloadAnswer;
  std::int64_t request = 0;
  bool asks = false;
  std::wstring message;
  static auto Fields(auto& m) { return std::tie(m.request, m.asks, m.message); }
  bool operator==(const BeforeUnloadAnswer&) const = default;
};

// Script set window.status.
struct StatusText {
  static constexpr MessageKind kKind = MessageKind::kStatusText;
  std::wstring text;
  static auto Fields(auto& m) { return std::tie(m.text); }
  bool operator==(const StatusText&) const = default;
};

// Every script of the frame's document has run (or none may), so the
// frame's load may end; `load` is that of the DocumentScripts it answers.
struct ScriptsRun {
  static constexpr MessageKind kKind = MessageKind::kScriptsRun;
  std::int64_t frame = 0;
  std::uint64_t load = 0;
  static auto Fields(auto& m) { return std::tie(m.frame, m.load); }
  bool operator==(const ScriptsRun&) const = default;
};

}  // namespace messages
}  // namespace devengine::renderer

#endif
