#include "frame.h"

#include <utility>

namespace devengine::pipe {
namespace {

constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kKindSize = 4;

std::uint64_t ReadLittleEndian(std::string_view bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

void WriteLittleEndian(std::string& bytes, std::uint64_t value, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

}  // namespace

void MessageWriter::Append(std::uint64_t value, std::size_t bytes) {
  WriteLittleEndian(message_.payload, value, bytes);
}

MessageWriter& MessageWriter::Int(std::int64_t value) {
  Append(static_cast<std::uint64_t>(value), 8);
  return *this;
}

MessageWriter& MessageWriter::Flag(bool value) {
  Append(value ? 1 : 0, 1);
  return *this;
}

MessageWriter& MessageWriter::Text(std::wstring_view text) {
  Append(text.size(), 4);
  for (const wchar_t unit : text) Append(static_cast<std::uint16_t>(unit), 2);
  return *this;
}

MessageWriter& MessageWriter::Bytes(std::string_view bytes) {
  Append(bytes.size(), 4);
  message_.payload += bytes;
  return *this;
}

std::optional<std::uint64_t> MessageReader::Take(std::size_t bytes) {
  if (!ok_ || payload_.size() < bytes) {
    ok_ = false;
    return std::nullopt;
  }
  const std::uint64_t value = ReadLittleEndian(payload_, bytes);
  payload_.remove_prefix(bytes);
  return value;
}

std::int64_t MessageReader::Int() { return static_cast<std::int64_t>(Take(8).value_or(0)); }

bool MessageReader::Flag() { return Take(1).value_or(0) != 0; }

std::wstring MessageReader::Text() {
  const std::uint64_t length = Take(4).value_or(0);
  if (!ok_ || payload_.size() / 2 < length) {
    ok_ = false;
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  for (wchar_t& unit : text) unit = static_cast<wchar_t>(*Take(2));
  return text;
}

std::string MessageReader::Bytes() {
  const std::uint64_t length = Take(4).value_or(0);
  if (!ok_ || payload_.size() < length) {
    ok_ = false;
    return {};
  }
  std::string bytes(payload_.substr(0, static_cast<std::size_t>(length)));
  payload_.remove_prefix(static_cast<std::size_t>(length));
  return bytes;
}

std::string FrameOf(const Message& message) {
  std::string frame;
  frame.reserve(kFrameHeaderSize + message.payload.size());
  WriteLittleEndian(frame, kKindSize + message.payload.size(), kLengthSize);
  WriteLittleEndian(frame, static_cast<std::uint32_t>(message.kind), kKindSize);
  frame += message.payload;
  return frame;
}

std::optional<Message> TakeFrame(std::string& bytes, bool& broken) {
  if (bytes.size() < kLengthSize) return std::nullopt;
  const std::uint64_t length = ReadLittleEndian(bytes, kLengthSize);
  if (length < kKindSize || length > kLargestFrame) {
    broken = true;
    return std::nullopt;
  }
  if (bytes.size() - kLengthSize < length) return std::nullopt;
  Message message;
  message.kind = static_cast<MessageKind>(
      ReadLittleEndian(std::string_view(bytes).substr(kLengthSize), kKindSize));
  message.payload = bytes.substr(kFrameHeaderSize, static_cast<std::size_t>(length) - kKindSize);
  bytes.erase(0, kLengthSize + static_cast<std::size_t>(length));
  return message;
}

}  // namespace devengine::pipe
