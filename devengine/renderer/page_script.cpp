#include "page_script.h"

#include <utility>
#include <vector>

#include "ascii.h"
#include "renderer_browser.h"
#include "script_values/script_values.h"

namespace devengine::renderer {
namespace {

using script::CallInfo;
using script::Context;
using script::Value;

// What a native built-in does with the arguments script gave it.
using Builtin = std::function<Value(Context&, const CallInfo&)>;

// Where script runs now: the innermost script frame's name and line.
std::pair<std::wstring, int> CurrentPlace(Context& context) {
  const std::vector<script::StackFrame> frames = context.interpreter().CurrentStackTrace(1);
  if (frames.empty()) return {std::wstring(), 0};
  return {frames.front().scriptName, frames.front().line};
}

void SendConsoleMessage(const PageScriptHost& host, std::wstring_view message,
                        std::wstring_view source, int line) {
  if (!host.send_to_browser) return;
  host.send_to_browser(pipe::WriteMessage(
      messages::ConsoleMessage{std::wstring(message), std::wstring(source), line}));
}

// The document's TITLE element, made in HEAD when it has none.
page::Node& TitleElement(page::Document& tree) {
  const std::vector<const page::Node*> titles = tree.ElementsByTag(L"TITLE");
  // The tree is ours to change; the search only reads it.
  if (!titles.empty()) return const_cast<page::Node&>(*titles.front());
  page::Node* head = tree.Head();
  auto title = std::make_unique<page::Node>(page::Node::Kind::Element, L"TITLE");
  title->parent = head;
  head->children.push_back(std::move(title));
  return *head->children.back();
}

// The program may hold records of the title's nodes, so none is removed:
// the first text child takes the text and any other is emptied.
void SetTitleText(page::Document& tree, std::wstring text) {
  page::Node& title = TitleElement(tree);
  page::Node* first = nullptr;
  for (const auto& child : title.children) {
    if (child->kind != page::Node::Kind::Text) continue;
    if (first == nullptr) {
      first = child.get();
    } else {
      child->text.clear();
    }
  }
  if (first == nullptr) {
    auto node = std::make_unique<page::Node>(page::Node::Kind::Text, L"#text");
    node->parent = &title;
    first = title.children.emplace_back(std::move(node)).get();
  }
  first->text = std::move(text);
}

Value DocumentTitle(const PageScriptHost& host) {
  const auto& document = host.frame->document();
  return Value::String(document ? document->tree().Title() : std::wstring());
}

Value SetDocumentTitle(const PageScriptHost& host, const CallInfo& call) {
  const auto& document = host.frame->document();
  if (!document) return Value();
  SetTitleText(document->tree(), script::ToString(call.Argument(0)));
  if (host.send_to_browser) {
    host.send_to_browser(
        pipe::WriteMessage(messages::TitleChanged{host.frame->id(), document->tree().Title()}));
  }
  return Value();
}

Value ConsoleLog(const PageScriptHost& host, Context& context, const CallInfo& call) {
  std::wstring message;
  for (std::size_t i = 0; i < call.arguments.size(); ++i) {
    if (i > 0) message += L' ';
    message += script::ToString(call.arguments[i]);
  }
  const auto [source, line] = CurrentPlace(context);
  SendConsoleMessage(host, message, source, line);
  return Value();
}

// The browser resolves the URL against the frame's and takes the pop-up
// path; script gets no window object back.
Value WindowOpen(const PageScriptHost& host, const CallInfo& call) {
  const Value& url = call.Argument(0);
  const Value& name = call.Argument(1);
  if (host.send_to_browser) {
    host.send_to_browser(pipe::WriteMessage(messages::OpenWindow{
        host.frame->id(),
        url.IsUndefined() || url.IsNull() ? std::wstring() : script::ToString(url),
        name.IsUndefined() || name.IsNull() ? std::wstring() : script::ToString(name)}));
  }
  return Value::Null();
}

// The browser shows the text in its status line, as it shows a link's
// address under the pointer.
Value SetWindowStatus(const PageScriptHost& host, std::wstring& status, const CallInfo& call) {
  status = script::ToString(call.Argument(0));
  if (host.send_to_browser) host.send_to_browser(pipe::WriteMessage(messages::StatusText{status}));
  return Value();
}

void ReportUncaught(const PageScriptHost& host, const std::shared_ptr<Context>& context,
                    const script::Exception& exception) {
  SendConsoleMessage(host, exception.message, exception.scriptName, exception.line);
  cef_render_process_handler_t* handler = host.handler;
  if (handler == nullptr || handler->on_uncaught_exception == nullptr) return;
  handler->on_uncaught_exception(handler, Handed(*host.browser), Handed(*host.frame),
                                 script_values::NewContextRecord(context),
                                 script_values::NewExceptionRecord(exception),
                                 script_values::NewStackTraceRecord(exception.stackTrace));
}

// The text a SCRIPT element holds.
std::wstring ScriptText(const page::Node& element) {
  std::wstring text;
  for (const auto& child : element.children) {
    if (child->kind == page::Node::Kind::Text) text += child->text;
  }
  return text;
}

// Script types the page may run: none given, or a JavaScript one.
bool RunsAsScript(const page::Node& element) {
  const std::wstring* type = element.Attribute(L"type");
  if (type == nullptr || type->empty()) return true;
  const std::wstring lower = AsciiLower(*type);
  return lower.find(L"javascript") != std::wstring::npos ||
         lower.find(L"ecmascript") != std::wstring::npos;
}

int LineAt(std::wstring_view source, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < source.size(); ++i) line += source[i] == L'\n';
  return line;
}

}  // namespace

void InstallPageBuiltins(script::Context& context, PageScriptHost& host) {
  const auto held = std::make_shared<const PageScriptHost>(host);
  const auto function = [&context](std::wstring name, Builtin body) {
    return context.NewFunction(std::move(name), std::move(body));
  };
  const script::ObjectPtr& global = context.Global();

  const script::ObjectPtr document = context.NewObject();
  context.DefineGetterSetter(
      document, L"title",
      function(L"title", [held](Context&, const CallInfo&) { return DocumentTitle(*held); }),
      function(L"title",
               [held](Context&, const CallInfo& call) { return SetDocumentTitle(*held, call); }));
  context.Define(global, L"document", document, script::kDontDelete);

  const script::ObjectPtr console = context.NewObject();
  for (const wchar_t* name : {L"log", L"info", L"warn", L"error", L"debug"}) {
    context.Define(console, name, function(name, [held](Context& running, const CallInfo& call) {
                     return ConsoleLog(*held, running, call);
                   }));
  }
  context.Define(global, L"console", console);

  context.Define(global, L"open", function(L"open", [held](Context&, const CallInfo& call) {
                   return WindowOpen(*held, call);
                 }));

  // Each document starts with an empty status of its own.
  const auto status = std::make_shared<std::wstring>();
  context.DefineGetterSetter(
      global, L"status",
      function(L"status", [status](Context&, const CallInfo&) { return Value::String(*status); }),
      function(L"status", [held, status](Context&, const CallInfo& call) {
        return SetWindowStatus(*held, *status, call);
      }));
}

void RunFrameScript(const PageScriptHost& host, std::wstring_view code, std::wstring_view name,
                    int startLine) {
  if (host.frame == nullptr || !host.frame->document()) return;
  const std::shared_ptr<Context> context = script_values::ContextOfRecord(host.frame->context());
  if (context == nullptr) return;
  script::EvalResult result = context->Eval(code, name, startLine);
  if (result.exception) ReportUncaught(host, context, *result.exception);
}

struct PageScripts::Pending {
  struct Script {
    bool ready = false;  // inline, or its text has arrived
    std::wstring text;
    std::wstring name;
    int line = 1;
  };
  PageScriptHost host;
  std::vector<Script> scripts;  // one per SCRIPT element, in document order
  std::size_t next = 0;
  std::uint64_t load = 0;
  bool started = false;
  bool running = false;  // a script of it runs; what becomes ready waits for it
};

void PageScripts::DocumentShown(const PageScriptHost& host) {
  if (host.frame == nullptr || !host.frame->document()) return;
  auto pending = std::make_shared<Pending>();
  pending->host = host;
  const page::Document& tree = host.frame->document()->tree();
  const std::wstring& url = host.frame->document()->url();
  std::size_t searched = 0;
  for (const page::Node* element : tree.ElementsByTag(L"SCRIPT")) {
    Pending::Script& script = pending->scripts.emplace_back();
    const std::wstring* source = element->Attribute(L"src");
    const bool runs = RunsAsScript(*element);
    if (runs && source != nullptr && !source->empty()) continue;  // the browser sends its text
    script.ready = true;
    if (source != nullptr || !runs) continue;
    script.text = ScriptText(*element);
    script.name = url;
    // The parser keeps a script's text as the markup has it, so the first
    // place after the script before is where it starts.
    const std::size_t at = tree.source.find(script.text, searched);
    if (at != std::wstring::npos && !script.text.empty()) {
      script.line = LineAt(tree.source, at);
      searched = at + script.text.size();
    }
  }
  frames_[host.frame->id()] = std::move(pending);
}

void PageScripts::Start(std::int64_t frameId, bool enabled, std::uint64_t load) {
  const auto found = frames_.find(frameId);
  if (found == frames_.end() || !enabled) {
    if (found != frames_.end()) frames_.erase(found);
    TellScriptsRun(frameId, load);
    return;
  }
  found->second->started = true;
  found->second->load = load;
  RunReady(frameId);
}

void PageScripts::ExternalText(std::int64_t frameId, const std::wstring& url, std::int64_t index,
                               bool fetched, std::wstring text) {
  const auto found = frames_.find(frameId);
  if (found == frames_.end() || index < 0) return;
  Pending& pending = *found->second;
  const auto at = static_cast<std::size_t>(index);
  if (at >= pending.scripts.size() || pending.scripts[at].ready) return;
  Pending::Script& script = pending.scripts[at];
  script.ready = true;
  if (fetched) {
    script.text = std::move(text);
    script.name = url;
  }
  RunReady(frameId);
}

void PageScripts::Forget(std::int64_t frameId) { frames_.erase(frameId); }

void PageScripts::RunReady(std::int64_t frameId) {
  const auto found = frames_.find(frameId);
  if (found == frames_.end()) return;
  // Held here: a script may lead to the frame showing another document.
  const std::shared_ptr<Pending> pending = found->second;
  if (!pending->started || pending->running) return;
  while (pending->next < pending->scripts.size() && pending->scripts[pending->next].ready) {
    Pending::Script script = std::move(pending->scripts[pending->next++]);
    pending->running = true;
    if (!script.text.empty()) RunFrameScript(pending->host, script.text, script.name, script.line);
    pending->running = false;
    const auto now = frames_.find(frameId);
    if (now == frames_.end() || now->second != pending) return;
  }
  if (pending->next < pending->scripts.size()) return;
  frames_.erase(frameId);
  TellScriptsRun(frameId, pending->load);
}

void PageScripts::TellScriptsRun(std::int64_t frameId, std::uint64_t load) const {
  if (!send_to_browser_) return;
  send_to_browser_(pipe::WriteMessage(messages::ScriptsRun{frameId, load}));
}

}  // namespace devengine::renderer
