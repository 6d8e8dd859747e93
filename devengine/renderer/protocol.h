// What the browser process and a renderer say to each other over the
// renderer's pipe. Every message is a frame: a 32-bit little-endian length
// of what follows, a 32-bit kind, then the kind's payload. A payload is a
// sequence of fields written by MessageWriter and read back, in the same
// order, by MessageReader: 64-bit integers, flags, UTF-16 texts and bytes.
// Kinds a side does not know are passed over, so the protocol grows by new
// kinds (script requests, say) without breaking older readers.
#ifndef NIMBRA_DEVENGINE_RENDERER_PROTOCOL_H
#define NIMBRA_DEVENGINE_RENDERER_PROTOCOL_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devengine::renderer {

// The switches a renderer is started with, beside --type=renderer.
inline constexpr std::wstring_view kChannelSwitch = L"renderer-channel";
inline constexpr std::wstring_view kBrowserIdSwitch = L"renderer-browser-id";

enum class MessageKind : std::uint32_t {
  // Browser to renderer: frame id, is-main flag, URL, markup.
  kShowDocument = 1,
  // Browser to renderer: request id, frame id. Answered by kAnswer.
  kRequestSource = 2,
  kRequestText = 3,
  // Browser to renderer: no payload. The renderer tells its handler and ends.
  kDestroyBrowser = 4,
  // Renderer to browser: request id, text.
  kAnswer = 5,
  // Either way: a process message, its name and argument list
  // (values/message_wire.h).
  kProcessMessage = 6,
  // Browser to renderer: frame id, code, script URL, start line. Runs in the
  // frame's current document; a frame that shows none ignores it.
  kExecuteScript = 7,
  // Browser to renderer, after kShowDocument: frame id, scripts-enabled
  // flag, load id. The document's scripts run once this arrives (none when
  // disabled); kScriptsRun answers with the load id once they have.
  kDocumentScripts = 8,
  // Browser to renderer: frame id, document URL, script index (among the
  // document's SCRIPT elements), fetched flag, text. An external script.
  kScriptText = 9,
  // Renderer to browser: frame id, title. Script set document.title.
  kTitleChanged = 10,
  // Renderer to browser: message, source, line. console.log and uncaught
  // exceptions.
  kConsoleMessage = 11,
  // Renderer to browser: frame id, URL, target name. window.open.
  kOpenWindow = 12,
  // Renderer to browser: dialog id, dialog kind, document URL, message,
  // default text (renderer/dialog_wire.h). The renderer's main thread waits
  // for the kDialogAnswer of that id.
  kScriptDialog = 13,
  // Browser to renderer: dialog id, success flag, text. Taken by the pipe's
  // thread straight to the waiting script.
  kDialogAnswer = 14,
  // Renderer to browser: flag. Whether the main frame's page now has a
  // function in window.onbeforeunload.
  kBeforeUnloadHandler = 15,
  // Browser to renderer: request id. Runs the main frame's onbeforeunload.
  kRunBeforeUnload = 16,
  // Renderer to browser: request id, asks flag, message. What it answered.
  kBeforeUnloadAnswer = 17,
  // Renderer to browser: text. Script set window.status.
  kStatusText = 18,
  // Renderer to browser: frame id, load id of the kDocumentScripts it
  // answers. Every script of the frame's document has run (or none may), so
  // the frame's load may end.
  kScriptsRun = 19,
};

struct Message {
  MessageKind kind{};
  std::string payload;
};

// A frame larger than this is taken for a broken peer and ends the channel.
inline constexpr std::size_t kLargestFrame = std::size_t{256} << 20;
inline constexpr std::size_t kFrameHeaderSize = 8;

class MessageWriter {
 public:
  explicit MessageWriter(MessageKind kind) { message_.kind = kind; }

  MessageWriter& Int(std::int64_t value);
  MessageWriter& Flag(bool value);
  MessageWriter& Text(std::wstring_view text);
  // A 32-bit count of bytes, then the bytes.
  MessageWriter& Bytes(std::string_view bytes);

  Message Take() { return std::move(message_); }

 private:
  void Append(std::uint64_t value, std::size_t bytes);

  Message message_;
};

// Reads fields in order; a field that is missing or cut short makes every
// later read fail too, so a handler checks only once, at the end, with ok().
class MessageReader {
 public:
  explicit MessageReader(const Message& message) : payload_(message.payload) {}

  std::int64_t Int();
  bool Flag();
  std::wstring Text();
  std::string Bytes();

  bool ok() const { return ok_; }

 private:
  std::optional<std::uint64_t> Take(std::size_t bytes);

  std::string_view payload_;
  bool ok_ = true;
};

// The frame that carries `message`.
std::string FrameOf(const Message& message);

// Takes the first whole frame off the front of `bytes`. Nullopt when the
// frame is not complete yet; `broken` is set when it never will be (a
// length below the header or above kLargestFrame).
std::optional<Message> TakeFrame(std::string& bytes, bool& broken);

}  // namespace devengine::renderer

#endif
