// The records of the engine's list, dictionary and binary values, over the
// nodes of value_tree.h.
//
// A record made by cef_*_value_create or by a copy is the root of its tree
// and keeps it. A record handed out by a container's getter (or a message's
// argument list) is owned: it reaches the very node inside its parent, so
// changes made through it go into the parent, and it turns invalid once the
// node leaves the tree (removed, replaced, cleared) or the tree goes. Setters
// of a read-only container answer 0 and change nothing. A container given to
// a setter is copied in; the record given stays as it was.
#ifndef NIMBRA_DEVENGINE_VALUES_VALUE_RECORDS_H
#define NIMBRA_DEVENGINE_VALUES_VALUE_RECORDS_H

#include <memory>

#include "cef_capi.h"
#include "value_tree.h"

namespace devengine::values {

enum class Hold { kRoot, kOwned };

// Each new record's one reference is the caller's; null for a null node.
cef_list_value_t* NewListRecord(std::shared_ptr<ListNode> node, Hold hold);
cef_dictionary_value_t* NewDictionaryRecord(std::shared_ptr<DictionaryNode> node, Hold hold);
cef_binary_value_t* NewBinaryRecord(std::shared_ptr<BinaryNode> node, Hold hold);

// The node behind a valid record the engine made; null for an invalid one or
// for a record the engine did not make.
std::shared_ptr<ListNode> NodeOf(cef_list_value_t* record);
std::shared_ptr<DictionaryNode> NodeOf(cef_dictionary_value_t* record);
std::shared_ptr<BinaryNode> NodeOf(cef_binary_value_t* record);

}  // namespace devengine::values

#endif
