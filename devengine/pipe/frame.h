// Frames, the unit of every pipe between the engine's processes. A frame is a
// 32-bit little-endian length of what follows, a 32-bit kind, then the
// kind's payload: a sequence of fields written by MessageWriter and read
// back, in the same order, by MessageReader (64-bit integers, flags, UTF-16
// texts and bytes). Kinds a side does not know are passed over, so the
// protocol grows by new kinds without breaking older readers.
//
// This layer knows no message's meaning: the renderer's messages are types
// of renderer/pipe_messages.h, a process message is values/message_wire.h's.
#ifndef NIMBRA_DEVENGINE_PIPE_FRAME_H
#define NIMBRA_DEVENGINE_PIPE_FRAME_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devengine::pipe {

// Numbered once here, so the layers above share one numbering.
enum class MessageKind : std::uint32_t {
  kShowDocument = 1,
  kRequestSource = 2,
  kRequestText = 3,
  kDestroyBrowser = 4,
  kAnswer = 5,
  kProcessMessage = 6,
  kExecuteScript = 7,
  kDocumentScripts = 8,
  kScriptText = 9,
  kTitleChanged = 10,
  kConsoleMessage = 11,
  kOpenWindow = 12,
  kScriptDialog = 13,
  kDialogAnswer = 14,
  kBeforeUnloadHandler = 15,
  kRunBeforeUnload = 16,
  kBeforeUnloadAnswer = 17,
  kStatusText = 18,
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
// No count read from the payload is trusted before the bytes it counts are
// there, so a hostile frame costs no more memory than its own size.
class MessageReader {
 public:
  explicit MessageReader(const Message& message) : payload_(message.payload) {}

  std::int64_t Int();
  bool Flag();
  std::wstring Text();
  std::string Bytes();
  // A field was read whole but holds what no writer writes.
  void Refuse() { ok_ = false; }

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

}  // namespace devengine::pipe

#endif
