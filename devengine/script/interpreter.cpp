// Contexts, runs and what they report: the embedder's side of the
// interpreter.
#include <algorithm>
#include <new>

#include "script/lexer.h"
#include "script/machine.h"
#include "script/parser.h"

namespace devengine::script {

namespace {

// Steps between two looks at the clock.
constexpr unsigned kStepsPerClockCheck = 1024;

// A native function made of a C++ callable.
class FunctionHandler : public NativeHandler {
 public:
  explicit FunctionHandler(std::function<Value(Context&, const CallInfo&)> function)
      : function_(std::move(function)) {}
  Value Call(Context& context, const CallInfo& call) override { return function_(context, call); }

 private:
  std::function<Value(Context&, const CallInfo&)> function_;
};

Exception Unlocated(std::wstring message) {
  Exception exception;
  exception.message = std::move(message);
  return exception;
}

}  // namespace

// ---- Runs ----------------------------------------------------------------

RunScope::RunScope(Context& context, bool entered) : state_(context.interpreter().state()) {
  if (state_.runDepth++ == 0) {
    state_.deadline = std::chrono::steady_clock::now() + state_.limits.timeLimit;
    state_.budget = StackBudget(state_.limits.stackBytes);
    state_.terminateRequested = false;
    state_.steps = 0;
  }
  state_.active.push_back({context.shared_from_this(), entered});
}

RunScope::~RunScope() {
  state_.active.pop_back();
  --state_.runDepth;
}

void CheckLimits(Interpreter::State& state, Context& context, const Node* at) {
  if (state.budget.Exhausted()) {
    Evaluator::Raise(context, ErrorKind::RangeError, L"Maximum call stack size exceeded", at);
  }
  if (++state.steps % kStepsPerClockCheck == 0 &&
      std::chrono::steady_clock::now() > state.deadline) {
    state.terminateRequested = true;
  }
  if (state.terminateRequested.load(std::memory_order_relaxed)) {
    throw ScriptTerminated{Locate(state, Value())};
  }
}

std::shared_ptr<const Exception> Locate(const Interpreter::State& state, const Value& thrown) {
  auto exception = std::make_shared<Exception>();
  exception->message = L"Uncaught " + DescribeThrown(thrown);
  exception->value = thrown;
  for (auto frame = state.frames.rbegin(); frame != state.frames.rend(); ++frame) {
    if (!frame->at || !frame->script) continue;
    const Script& script = *frame->script;
    const Script::Location where = script.LocationOf(frame->at->pos);
    exception->stackTrace.push_back(
        {frame->functionName, script.name, where.line, where.column + 1, frame->isConstructor});
    if (exception->stackTrace.size() > 1) continue;
    const Node& at = *frame->at;
    // Reported within the line where it starts.
    const std::uint32_t lineEnd = static_cast<std::uint32_t>(
        at.pos + (script.LineText(where.line).size() - static_cast<std::size_t>(where.column)));
    const std::uint32_t end = std::max(at.pos + 1, std::min(at.end, lineEnd));
    exception->scriptName = script.name;
    exception->line = where.line;
    exception->sourceLine = script.LineText(where.line);
    exception->startPosition = static_cast<int>(at.pos);
    exception->endPosition = static_cast<int>(end);
    exception->startColumn = where.column;
    exception->endColumn = where.column + static_cast<int>(end - at.pos);
  }
  return exception;
}

// ---- Context ---------------------------------------------------------------

Context::Context(Interpreter& interpreter, Key) : interpreter_(interpreter) {}

Context::~Context() { Dispose(); }

void Context::Dispose() {
  valid_ = false;
  lexical_.reset();
  const auto objects = std::move(objects_);
  objects_.clear();
  for (const auto& weak : objects) {
    if (const ObjectPtr object = weak.lock()) object->Empty();
  }
}

ObjectPtr Context::Register(ObjectPtr object) {
  if (!valid_) {
    object->valid = false;
    return object;
  }
  object->context = weak_from_this();
  if (objects_.size() >= 2 * liveAfterSweep_ + 256) {
    std::erase_if(objects_, [](const std::weak_ptr<Object>& weak) { return weak.expired(); });
    liveAfterSweep_ = objects_.size();
  }
  objects_.push_back(object);
  return object;
}

bool Context::Enter() {
  if (!valid_) return false;
  interpreter_.state().active.push_back({shared_from_this(), true});
  return true;
}

bool Context::Exit() {
  auto& active = interpreter_.state().active;
  if (active.empty() || active.back().context.get() != this || !active.back().entered) {
    return false;
  }
  active.pop_back();
  return true;
}

EvalResult Context::Run(const std::function<Value()>& work) {
  Interpreter::State& state = interpreter_.state();
  if (!valid_) return {Value(), Unlocated(L"Uncaught Error: the script context is gone")};
  RunScope run(*this, true);
  try {
    return {work(), std::nullopt};
  } catch (const ScriptThrow& thrown) {
    Exception exception = thrown.origin ? *thrown.origin : *Locate(state, thrown.value);
    exception.value = thrown.value;
    return {Value(), std::move(exception)};
  } catch (const ScriptTerminated& stopped) {
    Exception exception = stopped.origin ? *stopped.origin : Exception();
    exception.message = L"Uncaught Error: script stopped, it ran too long";
    exception.value = Value();
    exception.terminated = true;
    return {Value(), std::move(exception)};
  } catch (const std::bad_alloc&) {
    return {Value(), Unlocated(L"Uncaught RangeError: out of memory")};
  } catch (...) {
    return {Value(), Unlocated(L"Uncaught Error: internal error")};
  }
}

EvalResult Context::Eval(std::wstring_view code, std::wstring_view scriptName, int startLine) {
  return Eval(code, scriptName, startLine, {});
}

EvalResult Context::Eval(std::wstring_view code, std::wstring_view scriptName, int startLine,
                         std::span<const std::pair<std::wstring, Value>> hidden) {
  return Run([&] {
    auto script = std::make_shared<Script>();
    script->source = code;
    script->name = scriptName;
    script->startLine = startLine;
    try {
      if (code.size() >= 0x7FFFFFFF) throw SyntaxError{L"Script too long", 0, 0};
      Parse(*script, interpreter_.state().budget);
    } catch (const SyntaxError& error) {
      // Reported at the offending token, as if thrown there.
      const std::size_t end = std::min<std::size_t>(error.end, script->source.size());
      Node at(NodeKind::Empty, std::min<std::uint32_t>(error.pos, static_cast<std::uint32_t>(end)));
      at.end = static_cast<std::uint32_t>(end);
      Interpreter::State& state = interpreter_.state();
      state.frames.push_back(Frame{L"", script, &at, false});
      ScriptThrow thrown(NewError(ErrorKind::SyntaxError, error.message));
      thrown.origin = Locate(state, thrown.value);
      state.frames.pop_back();
      throw thrown;
    }
    return Evaluator::RunScript(*this, script, hidden);
  });
}

EvalResult Context::Call(const Value& function, const Value& thisValue,
                         std::span<const Value> arguments) {
  return Run([&] { return Invoke(function, thisValue, arguments); });
}

ObjectPtr Context::NewObject(std::shared_ptr<NativeAccessor> accessor) {
  const ObjectPtr object =
      Register(std::make_shared<Object>(Object::Class::Plain, prototypes_.object));
  object->accessor = std::move(accessor);
  return object;
}

ObjectPtr Context::NewArray(std::size_t length) {
  const ObjectPtr array =
      Register(std::make_shared<Object>(Object::Class::Array, prototypes_.array));
  array->elements.resize(std::min(length, kMaxArrayLength));
  return array;
}

ObjectPtr Context::NewFunction(std::wstring name, std::shared_ptr<NativeHandler> handler) {
  const ObjectPtr function =
      Register(std::make_shared<Object>(Object::Class::Function, prototypes_.function));
  function->native = std::move(handler);
  Define(function, L"name", Value::String(name), kReadOnly | kDontEnum);
  function->functionName = std::move(name);
  return function;
}

ObjectPtr Context::NewFunction(
    std::wstring name, std::function<Value(Context& context, const CallInfo& call)> function) {
  return NewFunction(std::move(name), std::make_shared<FunctionHandler>(std::move(function)));
}

ObjectPtr Context::NewDate(double millisecondsUtc) {
  const ObjectPtr date = Register(std::make_shared<Object>(Object::Class::Date, prototypes_.date));
  date->date = millisecondsUtc;
  return date;
}

Value Context::NewError(ErrorKind kind, std::wstring message) {
  const ObjectPtr error = Register(std::make_shared<Object>(
      Object::Class::Error, prototypes_.errors[static_cast<std::size_t>(kind)]));
  Define(error, L"message", Value::String(std::move(message)), kDontEnum);
  return Value(error);
}

// ---- Interpreter -----------------------------------------------------------

Interpreter::Interpreter(Limits limits) : state_(std::make_unique<State>()) {
  state_->limits = limits;
}

Interpreter::~Interpreter() = default;

Limits& Interpreter::limits() { return state_->limits; }

std::shared_ptr<Context> Interpreter::NewContext() {
  auto context = std::make_shared<Context>(*this, Context::Key{});
  context->lexical_ = std::make_shared<Environment>();
  InstallBuiltins(*context);
  return context;
}

std::shared_ptr<Context> Interpreter::CurrentContext() const {
  return state_->active.empty() ? nullptr : state_->active.back().context;
}

std::shared_ptr<Context> Interpreter::EnteredContext() const {
  for (auto active = state_->active.rbegin(); active != state_->active.rend(); ++active) {
    if (active->entered) return active->context;
  }
  return nullptr;
}

std::vector<StackFrame> Interpreter::CurrentStackTrace(int frameLimit) const {
  std::vector<StackFrame> frames = Locate(*state_, Value())->stackTrace;
  if (frameLimit >= 0 && frames.size() > static_cast<std::size_t>(frameLimit)) {
    frames.resize(static_cast<std::size_t>(frameLimit));
  }
  return frames;
}

void Interpreter::Terminate() { state_->terminateRequested = true; }

void Interpreter::ExcludeFromTimeLimit(std::chrono::steady_clock::duration waited) {
  state_->deadline += waited;
}

}  // namespace devengine::script
