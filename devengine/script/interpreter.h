// A JavaScript-subset interpreter: what the development engine's renderer
// needs to run page scripts, extensions and the program's script values.
//
// Ownership and threads: the embedder owns one Interpreter per thread that
// runs script and uses it, its contexts and their values on that thread only
// (Terminate excepted), and drops its contexts before the interpreter.
// Contexts are shared: the interpreter holds the ones that are entered or
// running, values hold a weak link to theirs. Disposing a context (or
// dropping its last holder) empties every object it made.
//
// Running: Context::Eval, Context::Call and Context::Run are the embedder's
// ways in from outside script; each reports what script threw as an
// Exception and never lets a C++ exception out (a failing allocation becomes
// one too). Inside a native function or accessor, the operations that may run
// script (Get, Put, Invoke, ...) throw ScriptThrow for the caller to pass on
// or catch. A run stops with an exception script cannot catch when it goes
// beyond Limits::timeLimit or Terminate is called; calls and nesting deeper
// than Limits::stackBytes of native stack raise a RangeError.
#ifndef NIMBRA_DEVENGINE_SCRIPT_INTERPRETER_H
#define NIMBRA_DEVENGINE_SCRIPT_INTERPRETER_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "script/value.h"

namespace devengine::script {

enum class ErrorKind : std::uint8_t { Error, TypeError, RangeError, ReferenceError, SyntaxError };

struct StackFrame {
  std::wstring functionName;  // empty for a script's top level and anonymous functions
  std::wstring scriptName;
  int line = 0;                // the first line of a script is its start line (1 unless given)
  int column = 0;              // 1-based
  bool isConstructor = false;  // called with `new`
};

struct Exception {
  std::wstring message;  // "Uncaught TypeError: x is not a function"
  std::wstring scriptName;
  std::wstring sourceLine;  // the text of `line`
  int line = 0;
  int startPosition = 0, endPosition = 0;  // offsets in the script's source
  int startColumn = 0, endColumn = 0;      // 0-based, within `line`
  Value value;                             // what was thrown; an Error object for errors raised
  std::vector<StackFrame> stackTrace;      // where it was thrown, innermost first
  bool terminated = false;                 // stopped for time; script could not catch it
};

struct EvalResult {
  Value value;  // undefined when there is an exception
  std::optional<Exception> exception;
  bool ok() const { return !exception; }
};

// Thrown by natives, accessors and the operations below to throw `value` in
// script. The interpreter adds where it was thrown.
class ScriptThrow {
 public:
  explicit ScriptThrow(Value value) : value(std::move(value)) {}
  Value value;
  std::shared_ptr<const Exception> origin;  // set by the interpreter
};

// Thrown through script (past every catch and finally) when a run is stopped.
struct ScriptTerminated {
  std::shared_ptr<const Exception> origin;  // where it stopped
};

struct Limits {
  std::chrono::milliseconds timeLimit{5000};  // per run from outside script
  std::size_t stackBytes = 512 * 1024;        // native stack a run may use
};

class Interpreter;

class Context : public std::enable_shared_from_this<Context> {
  struct Key {
    explicit Key() = default;
  };

 public:
  Context(Interpreter& interpreter, Key);  // made by Interpreter::NewContext
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Interpreter& interpreter() const { return interpreter_; }
  bool IsValid() const { return valid_; }
  // The global object; script also knows it as `window` and top-level `this`.
  const ObjectPtr& Global() const { return global_; }
  // Empties every object and scope the context made. Script can no longer
  // run in it afterwards.
  void Dispose();

  // Makes this the current context until the matching Exit. Exit answers
  // false when this context is not the one entered last.
  bool Enter();
  bool Exit();

  // Runs `code` as a script named `scriptName` whose first line is
  // `startLine`; the value is that of the last expression statement run.
  EvalResult Eval(std::wstring_view code, std::wstring_view scriptName = {}, int startLine = 1);
  // As Eval, with constants that only this script's own code sees, in a scope
  // of their own around it; its top-level declarations still go where Eval
  // puts them.
  EvalResult Eval(std::wstring_view code, std::wstring_view scriptName, int startLine,
                  std::span<const std::pair<std::wstring, Value>> hidden);
  // Calls `function`; an undefined `thisValue` stands for the global object.
  EvalResult Call(const Value& function, const Value& thisValue, std::span<const Value> arguments);
  // Runs `work` as a run of this context, catching what it throws.
  EvalResult Run(const std::function<Value()>& work);

  ObjectPtr NewObject(std::shared_ptr<NativeAccessor> accessor = nullptr);
  ObjectPtr NewArray(std::size_t length = 0);
  ObjectPtr NewFunction(std::wstring name, std::shared_ptr<NativeHandler> handler);
  ObjectPtr NewFunction(std::wstring name,
                        std::function<Value(Context& context, const CallInfo& call)> function);
  ObjectPtr NewDate(double millisecondsUtc);
  Value NewError(ErrorKind kind, std::wstring message);

  // Property operations as script does them (prototypes, getters and
  // setters, accessors, array elements and `length`). Those that may run
  // script throw ScriptThrow.
  Value Get(const ObjectPtr& object, const std::wstring& key);
  Value GetIndex(const ObjectPtr& object, std::uint32_t index);
  bool Has(const ObjectPtr& object, const std::wstring& key) const;
  bool HasIndex(const ObjectPtr& object, std::uint32_t index) const;
  // False when a read-only property or a refusing accessor keeps its value.
  bool Put(const ObjectPtr& object, const std::wstring& key, const Value& value);
  bool PutIndex(const ObjectPtr& object, std::uint32_t index, const Value& value);
  // Makes `key` an own data property with `attributes`, replacing what was
  // there; false when that was read-only and may not be deleted.
  bool Define(const ObjectPtr& object, const std::wstring& key, const Value& value,
              PropertyAttributes attributes = 0);
  // Makes `key` a property the object's NativeAccessor answers; false when
  // the object has no accessor.
  bool DefineAccessor(const ObjectPtr& object, const std::wstring& key,
                      PropertyAttributes attributes = 0);
  // As __defineGetter__ and __defineSetter__: a null one keeps what was set.
  bool DefineGetterSetter(const ObjectPtr& object, const std::wstring& key, ObjectPtr getter,
                          ObjectPtr setter);
  // False for a property that may not be deleted; true when there was none.
  bool Delete(const ObjectPtr& object, const std::wstring& key);
  bool DeleteIndex(const ObjectPtr& object, std::uint32_t index);
  // Enumerable names, the object's own first (array indices among them).
  std::vector<std::wstring> Keys(const ObjectPtr& object) const;
  // Calls `function` (ScriptThrow when it is none).
  Value Invoke(const Value& function, const Value& thisValue, std::span<const Value> arguments);
  Value Construct(const Value& function, std::span<const Value> arguments);

 private:
  friend class Interpreter;
  friend class Evaluator;
  friend class Machine;
  friend void InstallBuiltins(Context& context);
  struct Prototypes {
    ObjectPtr object, function, array, string, date;
    ObjectPtr errors[5];  // by ErrorKind
  };
  ObjectPtr Register(ObjectPtr object);

  Interpreter& interpreter_;
  bool valid_ = true;
  ObjectPtr global_;
  Prototypes prototypes_;
  std::shared_ptr<Environment> lexical_;  // top-level let and const
  // Every object the context made, to be emptied when it goes. Scopes need
  // no list: only functions hold them, so emptying the functions frees them.
  std::vector<std::weak_ptr<Object>> objects_;
  std::size_t liveAfterSweep_ = 0;
};

class Interpreter {
 public:
  explicit Interpreter(Limits limits = {});
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  Limits& limits();
  std::shared_ptr<Context> NewContext();
  // The context whose code runs (a called function's own), else the one
  // entered last; null when none.
  std::shared_ptr<Context> CurrentContext() const;
  // The context entered last (Enter, or the context of an Eval, Call or Run).
  std::shared_ptr<Context> EnteredContext() const;
  bool InContext() const { return CurrentContext() != nullptr; }
  // The script frames running now, innermost first, at most `frameLimit`.
  std::vector<StackFrame> CurrentStackTrace(int frameLimit) const;
  // Stops the current run at its next step; callable from any thread.
  void Terminate();
  // Leaves `waited`, time a native spent waiting outside script (for a person
  // to answer, say), out of the current run's time limit.
  void ExcludeFromTimeLimit(std::chrono::steady_clock::duration waited);

  // The state of runs, for the interpreter's own source files only.
  struct State;

 private:
  friend class Context;
  friend class Evaluator;
  friend class Machine;
  friend class RunScope;
  State& state() const { return *state_; }

  std::unique_ptr<State> state_;
};

}  // namespace devengine::script

#endif
