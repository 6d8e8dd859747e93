// The data behind the engine's list, dictionary and binary values: a tree of
// nodes. A container holds its children by shared_ptr, so a child lives
// exactly as long as it stays in its parent; records of children hold them
// weakly and so become invalid when the child is removed, replaced, or its
// parent goes. Nothing is ever shared between two trees: every value put
// into a container is a deep copy.
//
// A tree is used by one thread at a time; nothing here locks.
#ifndef NIMBRA_DEVENGINE_VALUES_VALUE_TREE_H
#define NIMBRA_DEVENGINE_VALUES_VALUE_TREE_H

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "cef_capi.h"

namespace devengine::values {

// How far below its root a container may sit: copies, destruction and the
// pipe's reader recurse this deep at most, whatever a program builds or a
// peer sends.
inline constexpr int kDeepestNesting = 200;
// The most elements a list grows to; a larger size or index is refused
// rather than tried.
inline constexpr std::size_t kLargestList = std::size_t{1} << 24;

struct NullValue {};
struct BinaryNode;
struct ListNode;
struct DictionaryNode;

using Value = std::variant<NullValue, bool, int, double, std::wstring, std::shared_ptr<BinaryNode>,
                           std::shared_ptr<DictionaryNode>, std::shared_ptr<ListNode>>;

// Bytes never change once made.
struct BinaryNode {
  std::vector<unsigned char> bytes;
};

struct ContainerNode {
  // Set once the tree is sent; never cleared.
  bool read_only = false;
  // 0 for a root, one more for each container above.
  int depth = 0;
};

struct ListNode : ContainerNode {
  std::vector<Value> items;
};

struct DictionaryNode : ContainerNode {
  std::map<std::wstring, Value> entries;
};

// VTYPE_INVALID for no value at all.
cef_value_type_t TypeOf(const Value* value);

// How many levels of containers `value` brings: 0 for a plain value or bytes.
int HeightOf(const Value& value);

// A deep copy whose top sits `depth` below the root of its new tree; with
// `prune`, child lists and dictionaries left empty are not copied.
Value CopyOf(const Value& value, int depth, bool prune = false);

std::shared_ptr<ListNode> CopyNode(const ListNode& node, int depth, bool prune = false);
std::shared_ptr<DictionaryNode> CopyNode(const DictionaryNode& node, int depth, bool prune = false);
std::shared_ptr<BinaryNode> CopyNode(const BinaryNode& node, int depth = 0, bool prune = false);

// Marks the container and every container inside it read-only.
void MarkReadOnly(ListNode& node);
void MarkReadOnly(DictionaryNode& node);

}  // namespace devengine::values

#endif
