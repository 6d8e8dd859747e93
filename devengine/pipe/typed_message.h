// A message kind as a type: a struct with its kind and its fields, the
// fields named once, in wire order, by a static Fields that ties them:
//
//   struct Answer {
//     static constexpr MessageKind kKind = MessageKind::kAnswer;
//     std::int64_t request = 0;
//     std::wstring text;
//     static auto Fields(auto& m) { return std::tie(m.request, m.text); }
//   };
//
// WriteMessage makes the message of such a struct, ReadMessage reads one back
// and Dispatch hands a message to the handler of its type. Fields are 64-bit
// integers (signed or not), flags, texts (std::wstring), bytes (std::string)
// and enumerations, which travel as integers and are refused on reading
// beyond LastOf(E{}), found next to the enumeration.
#ifndef NIMBRA_DEVENGINE_PIPE_TYPED_MESSAGE_H
#define NIMBRA_DEVENGINE_PIPE_TYPED_MESSAGE_H

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "frame.h"

namespace devengine::pipe {
namespace fields {

inline void Put(MessageWriter& writer, std::int64_t value) { writer.Int(value); }
inline void Put(MessageWriter& writer, std::uint64_t value) {
  writer.Int(static_cast<std::int64_t>(value));
}
inline void Put(MessageWriter& writer, bool value) { writer.Flag(value); }
inline void Put(MessageWriter& writer, const std::wstring& value) { writer.Text(value); }
inline void Put(MessageWriter& writer, const std::string& value) { writer.Bytes(value); }
template <class Enum>
requires std::is_enum_v<Enum>
void Put(MessageWriter& writer, Enum value) { writer.Int(static_cast<std::int64_t>(value)); }

inline void Get(MessageReader& reader, std::int64_t& value) { value = reader.Int(); }
inline void Get(MessageReader& reader, std::uint64_t& value) {
  value = static_cast<std::uint64_t>(reader.Int());
}
inline void Get(MessageReader& reader, bool& value) { value = reader.Flag(); }
inline void Get(MessageReader& reader, std::wstring& value) { value = reader.Text(); }
inline void Get(MessageReader& reader, std::string& value) { value = reader.Bytes(); }
template <class Enum>
requires std::is_enum_v<Enum>
void Get(MessageReader& reader, Enum& value) {
  const std::int64_t number = reader.Int();
  if (number < 0 || number > static_cast<std::int64_t>(LastOf(Enum{}))) {
    reader.Refuse();
    return;
  }
  value = static_cast<Enum>(number);
}

}  // namespace fields

template <class Typed>
Message WriteMessage(const Typed& typed) {
  MessageWriter writer(Typed::kKind);
  std::apply([&writer](const auto&... field) { (fields::Put(writer, field), ...); },
             Typed::Fields(typed));
  return writer.Take();
}

// Nullopt for a message of another kind, or whose payload is not a whole
// one of this kind. Bytes after the last field are passed over, so a later
// version may add fields at the end.
template <class Typed>
std::optional<Typed> ReadMessage(const Message& message) {
  if (message.kind != Typed::kKind) return std::nullopt;
  MessageReader reader(message);
  Typed typed;
  std::apply([&reader](auto&... field) { (fields::Get(reader, field), ...); },
             Typed::Fields(typed));
  if (!reader.ok()) return std::nullopt;
  return typed;
}

// Reads `message` as whichever of `Typed...` has its kind and hands it to
// `handler`. False when none has; a message of one of those kinds that does
// not read whole is passed over (true, the handler not called).
template <class... Typed, class Handler>
bool Dispatch(const Message& message, Handler&& handler) {
  const auto as = [&]<class One>() {
    if (message.kind != One::kKind) return false;
    if (std::optional<One> typed = ReadMessage<One>(message)) handler(std::move(*typed));
    return true;
  };
  return (as.template operator()<Typed>() || ...);
}

// Lambdas of one overload set, a handler for Dispatch.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace devengine::pipe

#endif
