#include "value_records.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "engine_object.h"
#include "engine_strings.h"
#include "exports.h"
#include "record_ref.h"

namespace devengine::values {
namespace {

template <class Node>
struct Kind;
template <>
struct Kind<ListNode> {
  using Record = cef_list_value_t;
  using Key = int;
};
template <>
struct Kind<DictionaryNode> {
  using Record = cef_dictionary_value_t;
  using Key = const cef_string_t*;
};
template <>
struct Kind<BinaryNode> {
  using Record = cef_binary_value_t;
};

// ---- Elements by index or by key ----

Value* Find(ListNode& node, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= node.items.size()) return nullptr;
  return &node.items[static_cast<std::size_t>(index)];
}

Value* Find(DictionaryNode& node, const cef_string_t* key) {
  const auto found = node.entries.find(std::wstring(ViewOf(key)));
  return found == node.entries.end() ? nullptr : &found->second;
}

// Grows the list with nulls up to `size`; false when it may not or cannot.
bool Resize(ListNode& node, std::size_t size) {
  if (size > kLargestList) return false;
  try {
    node.items.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Where a value for `index` goes: a list grows with nulls to reach it.
Value* Place(ListNode& node, int index) {
  if (index < 0) return nullptr;
  const auto at = static_cast<std::size_t>(index);
  if (at >= node.items.size() && !Resize(node, at + 1)) return nullptr;
  return &node.items[at];
}

Value* Place(DictionaryNode& node, const cef_string_t* key) {
  return &node.entries[std::wstring(ViewOf(key))];
}

bool Erase(ListNode& node, int index) {
  if (Find(node, index) == nullptr) return false;
  node.items.erase(node.items.begin() + index);
  return true;
}

bool Erase(DictionaryNode& node, const cef_string_t* key) {
  return node.entries.erase(std::wstring(ViewOf(key))) != 0;
}

std::size_t SizeOf(const ListNode& node) { return node.items.size(); }
std::size_t SizeOf(const DictionaryNode& node) { return node.entries.size(); }
void Empty(ListNode& node) { node.items.clear(); }
void Empty(DictionaryNode& node) { node.entries.clear(); }

// ---- Records ----

// What every value record shares: its node, held by a root and reached
// weakly by an owned record.
template <class Node>
class NodeRecord : public EngineObject<typename Kind<Node>::Record> {
 public:
  using Record = typename Kind<Node>::Record;

  NodeRecord(std::shared_ptr<Node> node, Hold hold)
      : root_(hold == Hold::kRoot ? node : nullptr), node_(node) {}

  // Only records of this class have its is_valid entry.
  static std::shared_ptr<Node> NodeBehind(Record* record) {
    if (record == nullptr || record->is_valid != EntryOf<&NodeRecord::IsValid>) return nullptr;
    return static_cast<NodeRecord*>(NodeRecord::FromRecord(record))->node_.lock();
  }

 protected:
  std::shared_ptr<Node> Lock() const { return node_.lock(); }

  int IsValid() { return Flag(!node_.expired()); }
  int IsOwned() { return Flag(root_ == nullptr); }

  void BindCommon() {
    Record& record = this->entries();
    record.is_valid = EntryOf<&NodeRecord::IsValid>;
    record.is_owned = EntryOf<&NodeRecord::IsOwned>;
  }

 private:
  const std::shared_ptr<Node> root_;
  const std::weak_ptr<Node> node_;
};

class BinaryRecord;
template <class Node>
class ContainerRecord;

template <class Node>
struct RecordClass {
  using Type = ContainerRecord<Node>;
};
template <>
struct RecordClass<BinaryNode> {
  using Type = BinaryRecord;
};

template <class Node>
typename Kind<Node>::Record* NewRecordOver(std::shared_ptr<Node> node, Hold hold) {
  if (!node) return nullptr;
  return MakeEngineObject<typename RecordClass<Node>::Type>(std::move(node), hold)->record();
}

class BinaryRecord final : public NodeRecord<BinaryNode> {
 public:
  BinaryRecord(std::shared_ptr<BinaryNode> node, Hold hold) : NodeRecord(std::move(node), hold) {
    BindCommon();
    cef_binary_value_t& record = entries();
    record.copy = EntryOf<&BinaryRecord::Copy>;
    record.get_size = EntryOf<&BinaryRecord::GetSize>;
    record.get_data = EntryOf<&BinaryRecord::GetData>;
  }

 private:
  cef_binary_value_t* Copy() {
    const auto node = Lock();
    return node ? NewRecordOver(CopyNode(*node), Hold::kRoot) : nullptr;
  }
  std::size_t GetSize() {
    const auto node = Lock();
    return node ? node->bytes.size() : 0;
  }
  std::size_t GetData(void* buffer, std::size_t buffer_size, std::size_t data_offset) {
    const auto node = Lock();
    if (!node || buffer == nullptr || data_offset >= node->bytes.size()) return 0;
    const std::size_t count = std::min(buffer_size, node->bytes.size() - data_offset);
    std::memcpy(buffer, node->bytes.data() + data_offset, count);
    return count;
  }
};

// A list or a dictionary: the same entries, addressed by index or by key.
template <class Node>
class ContainerRecord final : public NodeRecord<Node> {
  using Base = NodeRecord<Node>;
  using Record = typename Kind<Node>::Record;
  using Key = typename Kind<Node>::Key;

 public:
  ContainerRecord(std::shared_ptr<Node> node, Hold hold) : Base(std::move(node), hold) {
    this->BindCommon();
    Record& record = this->entries();
    record.is_read_only = EntryOf<&ContainerRecord::IsReadOnly>;
    record.get_size = EntryOf<&ContainerRecord::GetSize>;
    record.clear = EntryOf<&ContainerRecord::Clear>;
    record.remove = EntryOf<&ContainerRecord::Remove>;
    record.get_type = EntryOf<&ContainerRecord::GetType>;
    record.get_bool = EntryOf<&ContainerRecord::GetBool>;
    record.get_int = EntryOf<&ContainerRecord::GetInt>;
    record.get_double = EntryOf<&ContainerRecord::GetDouble>;
    record.get_string = EntryOf<&ContainerRecord::GetString>;
    record.get_binary = EntryOf<&ContainerRecord::GetChild<BinaryNode>>;
    record.get_dictionary = EntryOf<&ContainerRecord::GetChild<DictionaryNode>>;
    record.get_list = EntryOf<&ContainerRecord::GetChild<ListNode>>;
    record.set_null = EntryOf<&ContainerRecord::SetNull>;
    record.set_bool = EntryOf<&ContainerRecord::SetBool>;
    record.set_int = EntryOf<&ContainerRecord::SetInt>;
    record.set_double = EntryOf<&ContainerRecord::SetDouble>;
    record.set_string = EntryOf<&ContainerRecord::SetString>;
    record.set_binary = EntryOf<&ContainerRecord::SetChild<BinaryNode>>;
    record.set_dictionary = EntryOf<&ContainerRecord::SetChild<DictionaryNode>>;
    record.set_list = EntryOf<&ContainerRecord::SetChild<ListNode>>;
    // A list's copy takes nothing, a dictionary's whether to leave out
    // empty children.
    if constexpr (std::is_same_v<Node, ListNode>) {
      record.copy = EntryOf<&ContainerRecord::CopyAll>;
      record.set_size = EntryOf<&ContainerRecord::SetSize>;
    } else {
      record.copy = EntryOf<&ContainerRecord::CopyPruning>;
      record.has_key = EntryOf<&ContainerRecord::HasKey>;
      record.get_keys = EntryOf<&ContainerRecord::GetKeys>;
    }
  }

 private:
  // The node when it may be changed.
  std::shared_ptr<Node> Writable() const {
    auto node = this->Lock();
    return node && !node->read_only ? node : nullptr;
  }

  template <class Type>
  std::optional<Type> Read(Key key) const {
    const auto node = this->Lock();
    Value* value = node ? Find(*node, key) : nullptr;
    const Type* held = value ? std::get_if<Type>(value) : nullptr;
    return held ? std::optional<Type>(*held) : std::nullopt;
  }

  int Store(Key key, Value value) {
    const auto node = Writable();
    Value* place = node ? Place(*node, key) : nullptr;
    if (place == nullptr) return 0;
    *place = std::move(value);
    return 1;
  }

  int IsReadOnly() {
    const auto node = this->Lock();
    return Flag(node && node->read_only);
  }
  Record* CopyAll() { return CopyPruning(0); }
  Record* CopyPruning(int exclude_empty_children) {
    const auto node = this->Lock();
    return node ? NewRecordOver(CopyNode(*node, 0, exclude_empty_children != 0), Hold::kRoot)
                : nullptr;
  }
  std::size_t GetSize() {
    const auto node = this->Lock();
    return node ? SizeOf(*node) : 0;
  }
  int Clear() {
    const auto node = Writable();
    if (!node) return 0;
    Empty(*node);
    return 1;
  }
  int Remove(Key key) {
    const auto node = Writable();
    return Flag(node && Erase(*node, key));
  }
  cef_value_type_t GetType(Key key) {
    const auto node = this->Lock();
    return TypeOf(node ? Find(*node, key) : nullptr);
  }
  int GetBool(Key key) { return Flag(Read<bool>(key).value_or(false)); }
  int GetInt(Key key) { return Read<int>(key).value_or(0); }
  double GetDouble(Key key) { return Read<double>(key).value_or(0.0); }
  cef_string_userfree_t GetString(Key key) {
    const std::optional<std::wstring> text = Read<std::wstring>(key);
    return text ? NewUserFreeString(*text) : nullptr;
  }
  template <class Child>
  typename Kind<Child>::Record* GetChild(Key key) {
    const auto child = Read<std::shared_ptr<Child>>(key);
    return child ? NewRecordOver(*child, Hold::kOwned) : nullptr;
  }

  int SetNull(Key key) { return Store(key, NullValue{}); }
  int SetBool(Key key, int value) { return Store(key, value != 0); }
  int SetInt(Key key, int value) { return Store(key, value); }
  int SetDouble(Key key, double value) { return Store(key, value); }
  int SetString(Key key, const cef_string_t* value) {
    return Store(key, std::wstring(ViewOf(value)));
  }
  // The value is copied in: it may be this container, or lie inside it.
  template <class Child>
  int SetChild(Key key, typename Kind<Child>::Record* value) {
    const auto given = RecordRef<typename Kind<Child>::Record>::Adopt(value);
    const auto node = Writable();
    const std::shared_ptr<Child> child = NodeOf(value);
    if (!node || !child || node->depth + HeightOf(Value(child)) > kDeepestNesting) return 0;
    return Store(key, CopyNode(*child, node->depth + 1));
  }

  int SetSize(std::size_t size) {
    const auto node = Writable();
    return Flag(node && Resize(*node, size));
  }
  int HasKey(Key key) {
    const auto node = this->Lock();
    return Flag(node && Find(*node, key) != nullptr);
  }
  int GetKeys(cef_string_list_t keys) {
    const auto node = this->Lock();
    if (!node || keys == nullptr) return 0;
    for (const auto& [key, value] : node->entries) {
      const cef_string_t text = Borrow(key);
      cef_string_list_append(keys, &text);
    }
    return 1;
  }
};

}  // namespace

cef_list_value_t* NewListRecord(std::shared_ptr<ListNode> node, Hold hold) {
  return NewRecordOver(std::move(node), hold);
}
cef_dictionary_value_t* NewDictionaryRecord(std::shared_ptr<DictionaryNode> node, Hold hold) {
  return NewRecordOver(std::move(node), hold);
}
cef_binary_value_t* NewBinaryRecord(std::shared_ptr<BinaryNode> node, Hold hold) {
  return NewRecordOver(std::move(node), hold);
}

std::shared_ptr<ListNode> NodeOf(cef_list_value_t* record) {
  return NodeRecord<ListNode>::NodeBehind(record);
}
std::shared_ptr<DictionaryNode> NodeOf(cef_dictionary_value_t* record) {
  return NodeRecord<DictionaryNode>::NodeBehind(record);
}
std::shared_ptr<BinaryNode> NodeOf(cef_binary_value_t* record) {
  return NodeRecord<BinaryNode>::NodeBehind(record);
}

}  // namespace devengine::values

using devengine::values::Hold;

DEVENGINE_EXPORT cef_list_value_t* CEF_EXPORT_CC cef_list_value_create(void) {
  return devengine::values::NewListRecord(std::make_shared<devengine::values::ListNode>(),
                                          Hold::kRoot);
}

DEVENGINE_EXPORT cef_dictionary_value_t* CEF_EXPORT_CC cef_dictionary_value_create(void) {
  return devengine::values::NewDictionaryRecord(
      std::make_shared<devengine::values::DictionaryNode>(), Hold::kRoot);
}

// The bytes are copied; null data with a size is refused.
DEVENGINE_EXPORT cef_binary_value_t* CEF_EXPORT_CC cef_binary_value_create(const void* data,
                                                                           size_t data_size) {
  if (data == nullptr && data_size != 0) return nullptr;
  auto node = std::make_shared<devengine::values::BinaryNode>();
  const auto* bytes = static_cast<const unsigned char*>(data);
  try {
    node->bytes.assign(bytes, bytes + data_size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return devengine::values::NewBinaryRecord(std::move(node), Hold::kRoot);
}
