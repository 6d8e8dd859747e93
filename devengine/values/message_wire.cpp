#include "message_wire.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "process_message.h"
#include "value_tree.h"

namespace devengine::values {
namespace {

using pipe::Message;
using pipe::MessageKind;
using pipe::MessageReader;
using pipe::MessageWriter;

void Write(MessageWriter& writer, const Value& value);

void Write(MessageWriter& writer, const ListNode& list) {
  writer.Int(static_cast<std::int64_t>(list.items.size()));
  for (const Value& item : list.items) Write(writer, item);
}

void Write(MessageWriter& writer, const Value& value) {
  writer.Int(TypeOf(&value));
  if (const auto* flag = std::get_if<bool>(&value)) writer.Flag(*flag);
  if (const auto* number = std::get_if<int>(&value)) writer.Int(*number);
  if (const auto* real = std::get_if<double>(&value)) {
    writer.Int(std::bit_cast<std::int64_t>(*real));
  }
  if (const auto* text = std::get_if<std::wstring>(&value)) writer.Text(*text);
  if (const auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&value)) {
    const std::vector<unsigned char>& bytes = (*binary)->bytes;
    writer.Bytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }
  if (const auto* list = std::get_if<std::shared_ptr<ListNode>>(&value)) Write(writer, **list);
  if (const auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&value)) {
    writer.Int(static_cast<std::int64_t>((*dictionary)->entries.size()));
    for (const auto& [key, item] : (*dictionary)->entries) {
      writer.Text(key);
      Write(writer, item);
    }
  }
}

// Reads what a peer wrote, trusting none of it: every count is checked before
// it is used and the nesting is bounded.
class TreeReader {
 public:
  explicit TreeReader(MessageReader& reader) : reader_(reader) {}

  std::shared_ptr<ListNode> List(int depth) {
    const std::optional<std::size_t> count = Count(depth);
    if (!count) return nullptr;
    auto list = std::make_shared<ListNode>();
    list->depth = depth;
    for (std::size_t index = 0; index < *count; ++index) {
      std::optional<Value> item = Read(depth + 1);
      if (!item) return nullptr;
      list->items.push_back(std::move(*item));
    }
    return list;
  }

 private:
  std::optional<std::size_t> Count(int depth) {
    const std::int64_t count = reader_.Int();
    if (!reader_.ok() || depth > kDeepestNesting || count < 0 ||
        static_cast<std::uint64_t>(count) > kLargestList) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(count);
  }

  std::shared_ptr<DictionaryNode> Dictionary(int depth) {
    const std::optional<std::size_t> count = Count(depth);
    if (!count) return nullptr;
    auto dictionary = std::make_shared<DictionaryNode>();
    dictionary->depth = depth;
    for (std::size_t index = 0; index < *count; ++index) {
      std::wstring key = reader_.Text();
      std::optional<Value> item = Read(depth + 1);
      if (!item) return nullptr;
      dictionary->entries.insert_or_assign(std::move(key), std::move(*item));
    }
    return dictionary;
  }

  // `depth` is that of a container, should the value be one.
  std::optional<Value> Read(int depth) {
    Value value;
    switch (reader_.Int()) {
      case VTYPE_NULL:
        break;
      case VTYPE_BOOL:
        value = reader_.Flag();
        break;
      case VTYPE_INT:
        value = static_cast<int>(reader_.Int());
        break;
      case VTYPE_DOUBLE:
        value = std::bit_cast<double>(reader_.Int());
        break;
      case VTYPE_STRING:
        value = reader_.Text();
        break;
      case VTYPE_BINARY: {
        const std::string bytes = reader_.Bytes();
        value = std::make_shared<BinaryNode>(BinaryNode{{bytes.begin(), bytes.end()}});
        break;
      }
      case VTYPE_DICTIONARY:
        if (auto dictionary = Dictionary(depth))
          value = std::move(dictionary);
        else
          return std::nullopt;
        break;
      case VTYPE_LIST:
        if (auto list = List(depth))
          value = std::move(list);
        else
          return std::nullopt;
        break;
      default:
        return std::nullopt;
    }
    if (!reader_.ok()) return std::nullopt;
    return value;
  }

  MessageReader& reader_;
};

}  // namespace

std::optional<Message> FrameOfProcessMessage(cef_process_message_t* message) {
  const ProcessMessageParts* parts = PartsOf(message);
  if (parts == nullptr) return std::nullopt;
  MessageWriter writer(MessageKind::kProcessMessage);
  writer.Text(parts->name);
  Write(writer, *parts->arguments);
  return writer.Take();
}

RecordRef<cef_process_message_t> ProcessMessageOfFrame(const Message& frame) {
  if (frame.kind != MessageKind::kProcessMessage) return {};
  MessageReader reader(frame);
  std::wstring name = reader.Text();
  std::shared_ptr<ListNode> arguments = TreeReader(reader).List(0);
  if (!reader.ok() || !arguments) return {};
  MarkReadOnly(*arguments);
  return RecordRef<cef_process_message_t>::Adopt(
      NewProcessMessage({std::move(name), std::move(arguments)}));
}

int SendProcessMessage(cef_process_id_t target, cef_process_id_t peer,
                       cef_process_message_t* message, const std::function<bool(Message)>& queue) {
  const auto sent = RecordRef<cef_process_message_t>::Adopt(message);
  if (target != peer || !queue) return 0;
  std::optional<Message> frame = FrameOfProcessMessage(message);
  if (!frame || !queue(std::move(*frame))) return 0;
  MarkReadOnly(*PartsOf(message)->arguments);
  return 1;
}

}  // namespace devengine::values
