// The messages of page dialogs on the renderer's pipe, written and read in
// one place so both sides agree on their fields.
#ifndef NIMBRA_DEVENGINE_RENDERER_DIALOG_WIRE_H
#define NIMBRA_DEVENGINE_RENDERER_DIALOG_WIRE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol.h"

namespace devengine::renderer {

enum class DialogKind : std::uint8_t { kAlert, kConfirm, kPrompt, kPrint, kBeforeUnload };

inline constexpr std::string_view kDialogKindNames[] = {"alert", "confirm", "prompt", "print",
                                                        "before_unload"};

inline std::string_view NameOf(DialogKind kind) {
  return kDialogKindNames[static_cast<std::size_t>(kind)];
}

// What script asks: kScriptDialog, renderer to browser.
struct DialogRequest {
  std::int64_t id = 0;
  DialogKind kind = DialogKind::kAlert;
  std::wstring url;  // of the document that asks
  std::wstring message;
  std::wstring default_text;  // a prompt's
};

// What the person (or the program) answered: kDialogAnswer, browser to
// renderer; and, with `id` the request's, kBeforeUnloadAnswer the other way,
// where `success` says the page asks to confirm and `text` is its message.
struct DialogAnswer {
  std::int64_t id = 0;
  bool success = false;
  std::wstring text;
};

inline Message WriteDialogRequest(const DialogRequest& request) {
  return MessageWriter(MessageKind::kScriptDialog)
      .Int(request.id)
      .Int(static_cast<std::int64_t>(request.kind))
      .Text(request.url)
      .Text(request.message)
      .Text(request.default_text)
      .Take();
}

inline std::optional<DialogRequest> ReadDialogRequest(const Message& message) {
  MessageReader reader(message);
  DialogRequest request;
  request.id = reader.Int();
  const std::int64_t kind = reader.Int();
  request.url = reader.Text();
  request.message = reader.Text();
  request.default_text = reader.Text();
  if (!reader.ok() || kind < 0 || kind > static_cast<std::int64_t>(DialogKind::kBeforeUnload))
    return std::nullopt;
  request.kind = static_cast<DialogKind>(kind);
  return request;
}

inline Message WriteDialogAnswer(MessageKind kind, const DialogAnswer& answer) {
  return MessageWriter(kind).Int(answer.id).Flag(answer.success).Text(answer.text).Take();
}

inline std::optional<DialogAnswer> ReadDialogAnswer(const Message& message) {
  MessageReader reader(message);
  DialogAnswer answer;
  answer.id = reader.Int();
  answer.success = reader.Flag();
  answer.text = reader.Text();
  if (!reader.ok()) return std::nullopt;
  return answer;
}

}  // namespace devengine::renderer

#endif
