// Native functions and accessors that the program implements, and the
// thread's script state they share with the value records.
#include <string>
#include <utility>
#include <vector>

#include "engine_strings.h"
#include "heap_records.h"
#include "record_ref.h"
#include "script_values.h"

namespace devengine::script_values {
namespace {

thread_local script::Interpreter* threadInterpreter = nullptr;
thread_local std::optional<script::Value> pendingRethrow;

// Clears an engine-owned text record when the call is done with it.
struct ExceptionText : cef_string_t {
  ExceptionText() : cef_string_t{} {}
  ExceptionText(const ExceptionText&) = delete;
  ExceptionText& operator=(const ExceptionText&) = delete;
  ~ExceptionText() { ClearString(static_cast<cef_string_t*>(this)); }
};

// A value record for the program, or null for an undefined `this`.
cef_v8value_t* RecordFor(script::Context& context, const script::Value& value) {
  return NewValueRecord(value, context.weak_from_this());
}

// What the program answered: its result, or its exception text thrown as an
// Error. An exception the program asked to rethrow goes first.
std::optional<script::Value> Outcome(script::Context& context, RecordRef<cef_v8value_t> retval,
                                     const cef_string_t& exception) {
  if (pendingRethrow) throw script::ScriptThrow(*std::exchange(pendingRethrow, std::nullopt));
  if (exception.length != 0) {
    throw script::ScriptThrow(context.NewError(script::ErrorKind::Error, ToWString(&exception)));
  }
  if (!retval) return std::nullopt;
  return ValueOfRecord(retval.get());
}

class ProgramFunction : public script::NativeHandler {
 public:
  explicit ProgramFunction(cef_v8handler_t* handler)
      : handler_(RecordRef<cef_v8handler_t>::Adopt(handler)) {}

  cef_v8handler_t* handler() const { return handler_.get(); }

  script::Value Call(script::Context& context, const script::CallInfo& call) override {
    if (!handler_ || handler_.get()->execute == nullptr) return {};
    // Each record handed over carries a reference the handler gives back.
    std::vector<cef_v8value_t*> arguments;
    arguments.reserve(call.arguments.size());
    for (const script::Value& argument : call.arguments) {
      arguments.push_back(RecordFor(context, argument));
    }
    const cef_string_t name = Borrow(call.name);
    cef_v8value_t* retval = nullptr;
    ExceptionText exception;
    pendingRethrow.reset();
    const int handled = handler_.get()->execute(
        handler_.get(), &name, RecordFor(context, call.thisValue), arguments.size(),
        arguments.empty() ? nullptr : arguments.data(), &retval, &exception);
    auto result = Outcome(context, RecordRef<cef_v8value_t>::Adopt(retval), exception);
    // A call the program did not handle gives script no value.
    if (handled == 0 || !result) return {};
    return *result;
  }

 private:
  RecordRef<cef_v8handler_t> handler_;
};

class ProgramAccessor : public script::NativeAccessor {
 public:
  explicit ProgramAccessor(cef_v8accessor_t* accessor)
      : accessor_(RecordRef<cef_v8accessor_t>::Adopt(accessor)) {}

  std::optional<script::Value> Get(script::Context& context, const std::wstring& name,
                                   const script::ObjectPtr& object) override {
    if (!accessor_ || accessor_.get()->get == nullptr) return std::nullopt;
    const cef_string_t key = Borrow(name);
    cef_v8value_t* retval = nullptr;
    ExceptionText exception;
    pendingRethrow.reset();
    const int handled = accessor_.get()->get(accessor_.get(), &key, RecordFor(context, object),
                                             &retval, &exception);
    auto result = Outcome(context, RecordRef<cef_v8value_t>::Adopt(retval), exception);
    if (handled == 0) return std::nullopt;
    return result;
  }

  bool Set(script::Context& context, const std::wstring& name, const script::ObjectPtr& object,
           const script::Value& value) override {
    if (!accessor_ || accessor_.get()->set == nullptr) return false;
    const cef_string_t key = Borrow(name);
    ExceptionText exception;
    pendingRethrow.reset();
    const int handled = accessor_.get()->set(accessor_.get(), &key, RecordFor(context, object),
                                             RecordFor(context, value), &exception);
    Outcome(context, {}, exception);
    return handled != 0;
  }

 private:
  RecordRef<cef_v8accessor_t> accessor_;
};

}  // namespace

void SetThreadInterpreter(script::Interpreter* interpreter) { threadInterpreter = interpreter; }
script::Interpreter* ThreadInterpreter() { return threadInterpreter; }

script::Interpreter& EngineThreadInterpreter() {
  thread_local script::Interpreter* const interpreter = [] {
    auto* made = NewRecord<script::Interpreter>();
    SetThreadInterpreter(made);
    return made;
  }();
  return *interpreter;
}

void SetPendingRethrow(script::Value value) { pendingRethrow = std::move(value); }

std::shared_ptr<script::NativeHandler> NewProgramFunction(cef_v8handler_t* handler) {
  return std::make_shared<ProgramFunction>(handler);
}

cef_v8handler_t* ProgramHandlerOf(const script::NativeHandler* native) {
  const auto* function = dynamic_cast<const ProgramFunction*>(native);
  if (function == nullptr) return nullptr;
  return RecordRef<cef_v8handler_t>::Retain(function->handler()).Detach();
}

std::shared_ptr<script::NativeAccessor> NewProgramAccessor(cef_v8accessor_t* accessor) {
  return std::make_shared<ProgramAccessor>(accessor);
}

}  // namespace devengine::script_values
