// The engine's process message: a name and an argument list. Made by
// cef_process_message_create, by a copy, and by the pipe's reader for a
// message that arrived; held by whoever holds its record. A message is
// read-only, its argument list with it, once it is sent and when it arrived
// from the other process; a copy is never read-only.
#ifndef NIMBRA_DEVENGINE_VALUES_PROCESS_MESSAGE_H
#define NIMBRA_DEVENGINE_VALUES_PROCESS_MESSAGE_H

#include <memory>
#include <string>

#include "cef_capi.h"
#include "value_tree.h"

namespace devengine::values {

struct ProcessMessageParts {
  std::wstring name;
  // Never null; read-only exactly when the message is.
  std::shared_ptr<ListNode> arguments;
};

// The new record's one reference is the caller's.
cef_process_message_t* NewProcessMessage(ProcessMessageParts parts);

// What a message the engine made holds; null for any other record.
const ProcessMessageParts* PartsOf(cef_process_message_t* message);

}  // namespace devengine::values

#endif
