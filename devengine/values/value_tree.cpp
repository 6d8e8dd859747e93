#include "value_tree.h"

#include <algorithm>
#include <type_traits>

namespace devengine::values {
namespace {

template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

bool IsEmptyContainer(const Value& value) {
  if (const auto* list = std::get_if<std::shared_ptr<ListNode>>(&value)) {
    return (*list)->items.empty();
  }
  if (const auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&value)) {
    return (*dictionary)->entries.empty();
  }
  return false;
}

// A child container and every container inside it.
void MarkChildReadOnly(const Value& item) {
  if (const auto* list = std::get_if<std::shared_ptr<ListNode>>(&item)) MarkReadOnly(**list);
  if (const auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item)) {
    MarkReadOnly(**dictionary);
  }
}

}  // namespace

cef_value_type_t TypeOf(const Value* value) {
  if (value == nullptr) return VTYPE_INVALID;
  return std::visit(Overloaded{
                        [](const NullValue&) { return VTYPE_NULL; },
                        [](bool) { return VTYPE_BOOL; },
                        [](int) { return VTYPE_INT; },
                        [](double) { return VTYPE_DOUBLE; },
                        [](const std::wstring&) { return VTYPE_STRING; },
                        [](const std::shared_ptr<BinaryNode>&) { return VTYPE_BINARY; },
                        [](const std::shared_ptr<DictionaryNode>&) { return VTYPE_DICTIONARY; },
                        [](const std::shared_ptr<ListNode>&) { return VTYPE_LIST; },
                    },
                    *value);
}

int HeightOf(const Value& value) {
  int below = 0;
  if (const auto* list = std::get_if<std::shared_ptr<ListNode>>(&value)) {
    for (const Value& item : (*list)->items) below = std::max(below, HeightOf(item));
    return below + 1;
  }
  if (const auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&value)) {
    for (const auto& [key, item] : (*dictionary)->entries) below = std::max(below, HeightOf(item));
    return below + 1;
  }
  return 0;
}

std::shared_ptr<ListNode> CopyNode(const ListNode& node, int depth, bool prune) {
  auto copy = std::make_shared<ListNode>();
  copy->depth = depth;
  copy->items.reserve(node.items.size());
  for (const Value& item : node.items) {
    Value child = CopyOf(item, depth + 1, prune);
    if (!prune || !IsEmptyContainer(child)) copy->items.push_back(std::move(child));
  }
  return copy;
}

std::shared_ptr<DictionaryNode> CopyNode(const DictionaryNode& node, int depth, bool prune) {
  auto copy = std::make_shared<DictionaryNode>();
  copy->depth = depth;
  for (const auto& [key, item] : node.entries) {
    Value child = CopyOf(item, depth + 1, prune);
    if (!prune || !IsEmptyContainer(child)) copy->entries.emplace(key, std::move(child));
  }
  return copy;
}

std::shared_ptr<BinaryNode> CopyNode(const BinaryNode& node, int, bool) {
  return std::make_shared<BinaryNode>(node);
}

Value CopyOf(const Value& value, int depth, bool prune) {
  return std::visit(
      [&](const auto& held) -> Value {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, std::shared_ptr<BinaryNode>> ||
                      std::is_same_v<Held, std::shared_ptr<DictionaryNode>> ||
                      std::is_same_v<Held, std::shared_ptr<ListNode>>) {
          return CopyNode(*held, depth, prune);
        } else {
          return held;
        }
      },
      value);
}

void MarkReadOnly(ListNode& node) {
  node.read_only = true;
  for (const Value& item : node.items) MarkChildReadOnly(item);
}

void MarkReadOnly(DictionaryNode& node) {
  node.read_only = true;
  for (const auto& [key, item] : node.entries) MarkChildReadOnly(item);
}

}  // namespace devengine::values
