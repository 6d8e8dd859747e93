#include "script_dialogs.h"

#include <chrono>
#include <memory>
#include <utility>

#include "renderer_browser.h"
#include "script_values/script_values.h"

namespace devengine::renderer {
namespace {

using script::CallInfo;
using script::Context;
using script::Value;

constexpr wchar_t kBeforeUnloadName[] = L"onbeforeunload";

std::wstring TextArgument(const CallInfo& call, std::size_t index) {
  const Value& value = call.Argument(index);
  return value.IsUndefined() ? std::wstring() : script::ToString(value);
}

bool IsFunction(const Value& value) { return value.IsObject() && value.AsObject()->IsFunction(); }

// What a dialog built-in shares with the others of its document.
struct DialogSite {
  PageScriptHost host;
  ScriptDialogs* dialogs;
  // The page's onbeforeunload value, and what the browser was last told of it.
  Value beforeUnload;
  bool toldHasBeforeUnload = false;
};

// Asks and waits. The time a person takes over a dialog is not the
// script's, so it does not count against the run's time limit.
messages::DialogAnswer AskFromScript(Context& context, DialogSite& site, DialogKind kind,
                                     std::wstring message, std::wstring defaultText) {
  const auto& document = site.host.frame->document();
  messages::ScriptDialog request;
  request.kind = kind;
  request.url = document ? document->url() : std::wstring();
  request.message = std::move(message);
  request.default_text = std::move(defaultText);
  const auto start = std::chrono::steady_clock::now();
  messages::DialogAnswer answer = site.dialogs->Ask(site.host.send_to_browser, std::move(request));
  context.interpreter().ExcludeFromTimeLimit(std::chrono::steady_clock::now() - start);
  return answer;
}

void SetBeforeUnload(DialogSite& site, const Value& value) {
  site.beforeUnload = value;
  const bool has = IsFunction(value);
  if (has == site.toldHasBeforeUnload || !site.host.send_to_browser ||
      !site.host.browser->IsMainFrame(site.host.frame->id()))
    return;
  site.toldHasBeforeUnload = has;
  site.host.send_to_browser(pipe::WriteMessage(messages::BeforeUnloadHandler{has}));
}

}  // namespace

messages::DialogAnswer ScriptDialogs::Ask(const std::function<bool(Message)>& send,
                                          messages::ScriptDialog request) {
  {
    const std::lock_guard lock(mutex_);
    if (ended_ || !send) return {};
    request.id = waiting_ = next_id_++;
    answer_.reset();
  }
  if (!send(pipe::WriteMessage(request))) {
    const std::lock_guard lock(mutex_);
    waiting_ = 0;
    return {};
  }
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [this] { return answer_.has_value() || ended_; });
  waiting_ = 0;
  messages::DialogAnswer answer = answer_.value_or(messages::DialogAnswer{});
  answer_.reset();
  return answer;
}

bool ScriptDialogs::Intercept(const Message& message) {
  if (message.kind == MessageKind::kDestroyBrowser) {
    End();
    return false;
  }
  if (message.kind != MessageKind::kDialogAnswer) return false;
  if (const auto answer = pipe::ReadMessage<messages::DialogAnswer>(message)) {
    const std::lock_guard lock(mutex_);
    // The first answer counts; the browser sends one, but a peer may not.
    if (waiting_ != 0 && answer->id == waiting_ && !answer_) answer_ = *answer;
  }
  answered_.notify_all();
  return true;
}

void ScriptDialogs::End() {
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }
  answered_.notify_all();
}

void InstallDialogBuiltins(Context& context, const PageScriptHost& host, ScriptDialogs& dialogs) {
  if (host.frame == nullptr || host.browser == nullptr) return;
  // The built-ins hold the site, and it may hold the page's function; the
  // context empties them all when it goes, which ends that cycle.
  const auto site = std::make_shared<DialogSite>(DialogSite{host, &dialogs, Value(), false});
  using Body = std::function<Value(DialogSite&, Context&, const CallInfo&)>;
  const auto function = [&context, site](const wchar_t* name, Body body) {
    return context.NewFunction(
        name, [site, body = std::move(body)](Context& running, const CallInfo& call) {
          return body(*site, running, call);
        });
  };
  const struct {
    const wchar_t* name;
    Body body;
  } builtins[] = {
      {L"alert",
       [](DialogSite& at, Context& running, const CallInfo& call) {
         AskFromScript(running, at, DialogKind::kAlert, TextArgument(call, 0), {});
         return Value();
       }},
      {L"confirm",
       [](DialogSite& at, Context& running, const CallInfo& call) {
         return Value::Boolean(
             AskFromScript(running, at, DialogKind::kConfirm, TextArgument(call, 0), {}).success);
       }},
      {L"prompt",
       [](DialogSite& at, Context& running, const CallInfo& call) {
         messages::DialogAnswer answer = AskFromScript(
             running, at, DialogKind::kPrompt, TextArgument(call, 0), TextArgument(call, 1));
         return answer.success ? Value::String(std::move(answer.text)) : Value::Null();
       }},
      {L"print",
       [](DialogSite& at, Context& running, const CallInfo&) {
         AskFromScript(running, at, DialogKind::kPrint, {}, {});
         return Value();
       }},
  };
  const script::ObjectPtr& global = context.Global();
  for (const auto& [name, body] : builtins) context.Define(global, name, function(name, body));
  const script::ObjectPtr getter = function(
      kBeforeUnloadName, [](DialogSite& at, Context&, const CallInfo&) { return at.beforeUnload; });
  const script::ObjectPtr setter =
      function(kBeforeUnloadName, [](DialogSite& at, Context&, const CallInfo& call) {
        SetBeforeUnload(at, call.Argument(0));
        return Value();
      });
  context.DefineGetterSetter(global, kBeforeUnloadName, getter, setter);
}

void AnswerBeforeUnload(RendererFrame* mainFrame, const std::function<bool(Message)>& send,
                        std::int64_t request) {
  messages::BeforeUnloadAnswer answer{request, false, {}};
  const std::shared_ptr<Context> context =
      mainFrame == nullptr ? nullptr : script_values::ContextOfRecord(mainFrame->context());
  if (context != nullptr) {
    const script::ObjectPtr event = context->NewObject();
    const script::EvalResult found = context->Run([&] {
      context->Put(event, L"type", Value::String(L"beforeunload"));
      context->Put(event, L"returnValue", Value::String(L""));
      return context->Get(context->Global(), kBeforeUnloadName);
    });
    if (found.ok() && IsFunction(found.value)) {
      const Value argument(event);
      const script::EvalResult returned =
          context->Call(found.value, Value(), std::span<const Value>(&argument, 1));
      std::optional<std::wstring> message;
      if (returned.ok() && !returned.value.IsUndefined() && !returned.value.IsNull()) {
        message = script::ToString(returned.value);
      } else if (returned.ok()) {
        const script::EvalResult set =
            context->Run([&] { return context->Get(event, L"returnValue"); });
        if (set.ok() && set.value.IsString() && !set.value.AsString().empty())
          message = set.value.AsString();
      }
      if (message) answer = {request, true, std::move(*message)};
    }
  }
  if (send) send(pipe::WriteMessage(answer));
}

}  // namespace devengine::renderer
