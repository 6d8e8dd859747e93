#include "js_dialogs.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "engine_object.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "own_dialogs.h"
#include "trace.h"

namespace devengine::browser {
namespace {

using renderer::DialogKind;
using renderer::messages::BeforeUnloadAnswer;
using renderer::messages::DialogAnswer;
using renderer::messages::RunBeforeUnload;
using renderer::messages::ScriptDialog;

// How long a page's onbeforeunload may take to answer before it is left
// anyway, so that a hung or busy renderer never keeps a browser from closing.
constexpr std::int64_t kUnloadAnswerTimeoutMs = 10000;

class DialogCallback final : public EngineObject<cef_jsdialog_callback_t> {
 public:
  explicit DialogCallback(std::function<void(bool, std::wstring)> done) : done_(std::move(done)) {
    entries().cont = EntryOf<&DialogCallback::Cont>;
  }
  ~DialogCallback() override {
    try {
      Answer(false, {});
    } catch (...) {
      // Nothing can be posted any more; the answer is lost with the engine.
    }
  }

 private:
  void Cont(int success, const cef_string_t* userInput) {
    Answer(success != 0, userInput == nullptr ? std::wstring() : ToWString(userInput));
  }

  void Answer(bool success, std::wstring text) {
    std::function<void(bool, std::wstring)> done;
    {
      const std::lock_guard lock(mutex_);
      done = std::exchange(done_, nullptr);
    }
    if (!done) return;
    PostWork(TID_UI,
             [done = std::move(done), success, text = std::move(text)] { done(success, text); });
  }

  std::mutex mutex_;
  std::function<void(bool, std::wstring)> done_;
};

cef_jsdialog_type_t TypeOf(DialogKind kind) {
  return kind == DialogKind::kConfirm  ? JSDIALOGTYPE_CONFIRM
         : kind == DialogKind::kPrompt ? JSDIALOGTYPE_PROMPT
                                       : JSDIALOGTYPE_ALERT;
}

}  // namespace

cef_jsdialog_callback_t* NewDialogCallback(std::function<void(bool, std::wstring)> done) {
  return MakeEngineObject<DialogCallback>(std::move(done))->record();
}

struct PageDialogs::State : std::enable_shared_from_this<State> {
  enum class Unload { kNone, kAskingPage, kAskingPerson };

  Party party;
  bool hasBeforeUnload = false;
  std::int64_t nextRequest = 1;
  // The before-unload question under way.
  Unload unload = Unload::kNone;
  std::int64_t unloadRequest = 0;
  bool unloadIsReload = false;
  std::function<void()> proceed;

  void Asked(const ScriptDialog& request);
  void Answer(std::int64_t id, bool success, std::wstring text);
  void AskBeforeUnload(bool isReload, std::function<void()> then);
  void PageAnswered(const BeforeUnloadAnswer& answer);
  void SettleUnload(std::int64_t request, bool leave);
  void DialogOver();
  // A callback whose answer counts only once `armed` is set: a handler that
  // does not take the dialog over may still let go of it, or even call it.
  static cef_jsdialog_callback_t* Callback(const std::shared_ptr<bool>& armed,
                                           std::function<void(State&, bool, std::wstring)> then,
                                           std::weak_ptr<State> weak);
};

cef_jsdialog_callback_t* PageDialogs::State::Callback(
    const std::shared_ptr<bool>& armed, std::function<void(State&, bool, std::wstring)> then,
    std::weak_ptr<State> weak) {
  return NewDialogCallback([armed, then = std::move(then), weak](bool ok, std::wstring text) {
    const auto self = weak.lock();
    if (self && *armed) then(*self, ok, std::move(text));
  });
}

void PageDialogs::State::Asked(const ScriptDialog& request) {
  // Only the browser asks that one; a renderer that does is refused.
  if (request.kind == DialogKind::kBeforeUnload) return Answer(request.id, false, {});
  if (request.kind == DialogKind::kPrint) {
    const DialogAnswer printed = ShowOwnDialog(party.window(), DialogKind::kPrint, {}, {});
    Answer(request.id, printed.success, {});
    return;
  }
  const RecordRef<cef_jsdialog_handler_t> handler = party.handler();
  if (handler && handler.get()->on_jsdialog != nullptr) {
    auto armed = std::make_shared<bool>(false);
    cef_jsdialog_callback_t* callback = Callback(
        armed,
        [id = request.id](State& self, bool ok, std::wstring text) {
          self.Answer(id, ok, std::move(text));
          self.DialogOver();
        },
        weak_from_this());
    const cef_string_t origin = Borrow(request.url);
    const cef_string_t language = Borrow(L"");
    const cef_string_t message = Borrow(request.message);
    const cef_string_t defaultText = Borrow(request.default_text);
    int suppress = 0;
    const int handled = handler.get()->on_jsdialog(handler.get(), party.browser(), &origin,
                                                   &language, TypeOf(request.kind), &message,
                                                   &defaultText, callback, &suppress);
    if (handled != 0) {
      *armed = true;
      return;
    }
    if (suppress != 0) {
      Answer(request.id, false, {});
      DialogOver();
      return;
    }
  }
  DialogAnswer shown =
      ShowOwnDialog(party.window(), request.kind, request.message, request.default_text);
  Answer(request.id, shown.success, std::move(shown.text));
  DialogOver();
}

void PageDialogs::State::Answer(std::int64_t id, bool success, std::wstring text) {
  party.sendToRenderer(pipe::WriteMessage(DialogAnswer{id, success, std::move(text)}));
}

void PageDialogs::State::DialogOver() {
  const RecordRef<cef_jsdialog_handler_t> handler = party.handler();
  if (handler && handler.get()->on_reset_dialog_state != nullptr)
    handler.get()->on_reset_dialog_state(handler.get(), party.browser());
}

void PageDialogs::State::AskBeforeUnload(bool isReload, std::function<void()> then) {
  if (unload != Unload::kNone) {
    // The latest navigation is the one that goes ahead, if any.
    proceed = std::move(then);
    unloadIsReload = isReload;
    return;
  }
  if (!hasBeforeUnload) return then();
  const std::int64_t request = nextRequest++;
  if (!party.sendToRenderer(pipe::WriteMessage(RunBeforeUnload{request}))) return then();
  TraceLine("before_unload").Word("asked").Add("request", request).Write();
  unload = Unload::kAskingPage;
  unloadRequest = request;
  unloadIsReload = isReload;
  proceed = std::move(then);
  PostWork(
      TID_UI,
      [weak = weak_from_this(), request] {
        const auto self = weak.lock();
        if (self && self->unload == Unload::kAskingPage) self->SettleUnload(request, true);
      },
      kUnloadAnswerTimeoutMs);
}

void PageDialogs::State::PageAnswered(const BeforeUnloadAnswer& answer) {
  if (unload != Unload::kAskingPage || answer.request != unloadRequest) return;
  if (!answer.asks) return SettleUnload(answer.request, true);
  unload = Unload::kAskingPerson;
  const RecordRef<cef_jsdialog_handler_t> handler = party.handler();
  if (handler && handler.get()->on_before_unload_dialog != nullptr) {
    auto armed = std::make_shared<bool>(false);
    cef_jsdialog_callback_t* callback = Callback(
        armed,
        [request = answer.request](State& self, bool ok, std::wstring) {
          self.SettleUnload(request, ok);
          self.DialogOver();
        },
        weak_from_this());
    const cef_string_t message = Borrow(answer.message);
    if (handler.get()->on_before_unload_dialog(handler.get(), party.browser(), &message,
                                               unloadIsReload ? 1 : 0, callback) != 0) {
      *armed = true;
      return;
    }
  }
  const DialogAnswer shown =
      ShowOwnDialog(party.window(), DialogKind::kBeforeUnload, answer.message, {});
  SettleUnload(answer.request, shown.success);
  DialogOver();
}

void PageDialogs::State::SettleUnload(std::int64_t request, bool leave) {
  if (unload == Unload::kNone || request != unloadRequest) return;
  unload = Unload::kNone;
  std::function<void()> then = std::exchange(proceed, nullptr);
  if (leave && then) then();
}

PageDialogs::PageDialogs(Party party) : state_(std::make_shared<State>()) {
  state_->party = std::move(party);
}

PageDialogs::~PageDialogs() = default;

bool PageDialogs::Received(const renderer::Message& message) {
  const std::shared_ptr<State>& state = state_;
  return pipe::Dispatch<ScriptDialog, renderer::messages::BeforeUnloadHandler, BeforeUnloadAnswer>(
      message, pipe::Overloaded{
                   [&state](const ScriptDialog& request) { state->Asked(request); },
                   [&state](const renderer::messages::BeforeUnloadHandler& handler) {
                     state->hasBeforeUnload = handler.has;
                   },
                   [&state](const BeforeUnloadAnswer& answer) { state->PageAnswered(answer); },
               });
}

void PageDialogs::BeforeLeaving(bool isReload, std::function<void()> proceed) {
  state_->AskBeforeUnload(isReload, std::move(proceed));
}

void PageDialogs::PageReplaced() { state_->hasBeforeUnload = false; }

void PageDialogs::RendererEnded() {
  state_->hasBeforeUnload = false;
  if (state_->unload == State::Unload::kAskingPage)
    state_->SettleUnload(state_->unloadRequest, true);
}

}  // namespace devengine::browser
