// Process messages on the renderer's pipe, and sending one from either end.
//
// A kProcessMessage frame holds the message's name, then its argument list.
// A value is its type code (an integer) followed by: nothing for null, a
// flag, an integer (a double as the integer of its bits), a text, bytes, or,
// for a list, a count and that many values, for a dictionary a count and
// that many keys, each followed by its value.
#ifndef NIMBRA_DEVENGINE_VALUES_MESSAGE_WIRE_H
#define NIMBRA_DEVENGINE_VALUES_MESSAGE_WIRE_H

#include <functional>
#include <optional>

#include "cef_capi.h"
#include "record_ref.h"
#include "pipe/frame.h"

namespace devengine::values {

// Nullopt for a record the engine did not make.
std::optional<pipe::Message> FrameOfProcessMessage(cef_process_message_t* message);

// A new read-only message with the frame's contents; null unless the frame is
// one whole, well-formed process message no deeper than kDeepestNesting.
RecordRef<cef_process_message_t> ProcessMessageOfFrame(const pipe::Message& frame);

// Sends `message` through `queue`, which answers whether it queued the frame,
// when `target` is the process at the other end, `peer`. Answers 1 when
// queued, and the message is read-only from then on; 0 otherwise. Takes over
// the reference that comes with `message`.
int SendProcessMessage(cef_process_id_t target, cef_process_id_t peer,
                       cef_process_message_t* message,
                       const std::function<bool(pipe::Message)>& queue);

}  // namespace devengine::values

#endif
