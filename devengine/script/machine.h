// The interpreter's inner workings, shared by its source files only: scopes,
// the state of a run, and the tree-walking evaluator.
#ifndef NIMBRA_DEVENGINE_SCRIPT_MACHINE_H
#define NIMBRA_DEVENGINE_SCRIPT_MACHINE_H

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/ast.h"
#include "script/interpreter.h"
#include "script/stack_budget.h"

namespace devengine::script {

struct Binding {
  Value value;
  bool isConst = false;
  bool initialized = true;  // let and const are not, until their declaration runs
};

struct Environment {
  std::shared_ptr<Environment> parent;
  std::unordered_map<std::wstring, Binding> bindings;
};

// A script function, or a script's top level, being run.
struct Frame {
  std::wstring functionName;
  std::shared_ptr<const Script> script;
  const Node* at = nullptr;  // the statement or call being run
  bool isConstructor = false;
};

struct Interpreter::State {
  Limits limits;
  std::atomic<bool> terminateRequested{false};
  int runDepth = 0;  // runs from outside script, nested
  std::chrono::steady_clock::time_point deadline;
  StackBudget budget;
  unsigned steps = 0;
  std::vector<Frame> frames;
  struct Active {
    std::shared_ptr<Context> context;
    bool entered;  // by Enter or a run; otherwise by calling one of its functions
  };
  std::vector<Active> active;
};

// Sets up a run when none is going (deadline, stack budget, the context on
// the stack of contexts) and takes it down again.
class RunScope {
 public:
  RunScope(Context& context, bool entered);
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  Interpreter::State& state_;
};

// Where `thrown` came from: the innermost frame's position and the frames.
std::shared_ptr<const Exception> Locate(const Interpreter::State& state, const Value& thrown);
// Ends a run with a RangeError when the native stack is nearly used up, and
// with ScriptTerminated when it ran too long.
// The error is located at `at` when given.
void CheckLimits(Interpreter::State& state, Context& context, const Node* at = nullptr);

// Fills a new context's global object and prototypes.
void InstallBuiltins(Context& context);

// Runs the script functions and top levels of one context.
class Evaluator {
 public:
  // Runs a parsed script's top level; answers its completion value.
  static Value RunScript(Context& context, const std::shared_ptr<const Script>& script,
                         std::span<const std::pair<std::wstring, Value>> hidden = {});
  // Calls a function object of any kind.
  static Value Call(Context& caller, const ObjectPtr& function, const Value& thisValue,
                    std::span<const Value> arguments, bool isConstruct);
  // A new script function closing over `scope`.
  static ObjectPtr MakeFunction(Context& context, const std::shared_ptr<const Script>& script,
                                const FunctionInfo& info, std::shared_ptr<Environment> scope);
  // Throws a new error of `kind` located at `at`.
  [[noreturn]] static void Raise(Context& context, ErrorKind kind, std::wstring message,
                                 const Node* at = nullptr);
};

}  // namespace devengine::script

#endif
