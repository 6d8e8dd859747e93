#include "process_message.h"

#include <utility>

#include "engine_object.h"
#include "engine_strings.h"
#include "exports.h"
#include "value_records.h"

namespace devengine::values {
namespace {

class ProcessMessage final : public EngineObject<cef_process_message_t> {
 public:
  explicit ProcessMessage(ProcessMessageParts parts) : parts_(std::move(parts)) {
    cef_process_message_t& record = entries();
    record.is_valid = EntryOf<&ProcessMessage::IsValid>;
    record.is_read_only = EntryOf<&ProcessMessage::IsReadOnly>;
    record.copy = EntryOf<&ProcessMessage::Copy>;
    record.get_name = EntryOf<&ProcessMessage::GetName>;
    record.get_argument_list = EntryOf<&ProcessMessage::GetArgumentList>;
  }

  // Only records of this class have its get_name entry.
  static ProcessMessage* Of(cef_process_message_t* record) {
    if (record == nullptr || record->get_name != EntryOf<&ProcessMessage::GetName>) return nullptr;
    return static_cast<ProcessMessage*>(FromRecord(record));
  }

  const ProcessMessageParts& parts() const { return parts_; }

 private:
  int IsValid() { return 1; }
  int IsReadOnly() { return parts_.arguments->read_only ? 1 : 0; }
  cef_process_message_t* Copy() {
    return NewProcessMessage({parts_.name, CopyNode(*parts_.arguments, 0)});
  }
  cef_string_userfree_t GetName() { return NewUserFreeString(parts_.name); }
  cef_list_value_t* GetArgumentList() { return NewListRecord(parts_.arguments, Hold::kOwned); }

  const ProcessMessageParts parts_;
};

}  // namespace

cef_process_message_t* NewProcessMessage(ProcessMessageParts parts) {
  if (!parts.arguments) parts.arguments = std::make_shared<ListNode>();
  return MakeEngineObject<ProcessMessage>(std::move(parts))->record();
}

const ProcessMessageParts* PartsOf(cef_process_message_t* message) {
  const ProcessMessage* object = ProcessMessage::Of(message);
  return object == nullptr ? nullptr : &object->parts();
}

}  // namespace devengine::values

DEVENGINE_EXPORT cef_process_message_t* CEF_EXPORT_CC
cef_process_message_create(const cef_string_t* name) {
  return devengine::values::NewProcessMessage({devengine::ToWString(name), nullptr});
}
