// The tree walker: statements answer how control leaves them, expressions
// their value; a script `throw` is a C++ ScriptThrow.
#include <cmath>
#include <exception>
#include <new>
#include <optional>

#include "script/machine.h"

namespace devengine::script {

namespace {

enum class Flow { Normal, Return, Break, Continue };

using Scope = std::shared_ptr<Environment>;

Binding* FindBinding(Environment* scope, const std::wstring& name) {
  for (; scope; scope = scope->parent.get()) {
    const auto found = scope->bindings.find(name);
    if (found != scope->bindings.end()) return &found->second;
  }
  return nullptr;
}

Op CompoundBase(Op op) {
  switch (op) {
    case Op::PlusAssign:
      return Op::Plus;
    case Op::MinusAssign:
      return Op::Minus;
    case Op::StarAssign:
      return Op::Star;
    case Op::SlashAssign:
      return Op::Slash;
    case Op::PercentAssign:
      return Op::Percent;
    case Op::AmpAssign:
      return Op::Amp;
    case Op::PipeAssign:
      return Op::Pipe;
    case Op::CaretAssign:
      return Op::Caret;
    case Op::ShlAssign:
      return Op::Shl;
    case Op::ShrAssign:
      return Op::Shr;
    case Op::UShrAssign:
      return Op::UShr;
    default:
      return Op::None;
  }
}

// Pops what it pushed, however the call ends.
class FrameScope {
 public:
  FrameScope(Interpreter::State& state, Frame frame) : state_(state) {
    state_.frames.push_back(std::move(frame));
  }
  ~FrameScope() { state_.frames.pop_back(); }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  Interpreter::State& state_;
};

}  // namespace

// Runs the code of one function invocation (or one script's top level) in
// its context.
class Machine {
 public:
  Machine(Context& context, const std::shared_ptr<const Script>& script, Value thisValue)
      : context_(context),
        state_(context.interpreter().state()),
        script_(script),
        this_(std::move(thisValue)),
        frame_(state_.frames.size() - 1) {}

  Value returnValue;
  Value lastValue;  // of the last expression statement, for Eval

  Flow ExecBody(const Node& body, const Scope& scope) { return ExecBlock(body, scope, true); }

  Flow Exec(const Node& node, const Scope& scope) {
    state_.frames[frame_].at = &node;
    CheckLimits(state_, context_);
    switch (node.kind) {
      case NodeKind::Block:
        return ExecBlock(node, scope, false);
      case NodeKind::VarDecl:
        for (const auto& declarator : node.kids) Declare(node.op, *declarator, scope);
        return Flow::Normal;
      case NodeKind::FunctionDecl:
      case NodeKind::Empty:
        return Flow::Normal;
      case NodeKind::ExprStmt:
        lastValue = Eval(node[0], scope);
        return Flow::Normal;
      case NodeKind::If:
        if (ToBoolean(Eval(node[0], scope))) return Exec(node[1], scope);
        return node.kids.size() > 2 ? Exec(node[2], scope) : Flow::Normal;
      case NodeKind::For:
        return ExecFor(node, scope);
      case NodeKind::ForIn:
        return ExecForIn(node, scope);
      case NodeKind::While:
        while (ToBoolean(Eval(node[0], scope))) {
          const Flow flow = Exec(node[1], scope);
          if (flow == Flow::Break) break;
          if (flow == Flow::Return) return flow;
        }
        return Flow::Normal;
      case NodeKind::DoWhile:
        do {
          const Flow flow = Exec(node[0], scope);
          if (flow == Flow::Break) break;
          if (flow == Flow::Return) return flow;
        } while (ToBoolean(Eval(node[1], scope)));
        return Flow::Normal;
      case NodeKind::Break:
        return Flow::Break;
      case NodeKind::Continue:
        return Flow::Continue;
      case NodeKind::Return:
        returnValue = node.kids.empty() ? Value() : Eval(node[0], scope);
        return Flow::Return;
      case NodeKind::Throw: {
        ScriptThrow thrown(Eval(node[0], scope));
        state_.frames[frame_].at = &node;
        thrown.origin = Locate(state_, thrown.value);
        throw thrown;
      }
      case NodeKind::Try:
        return ExecTry(node, scope);
      default:
        Evaluator::Raise(context_, ErrorKind::SyntaxError, L"Unexpected statement", &node);
    }
  }

  Value Eval(const Node& node, const Scope& scope) {
    switch (node.kind) {
      case NodeKind::Number:
        return Value::Number(node.number);
      case NodeKind::String:
        return Value::String(node.text);
      case NodeKind::Literal:
        return node.op == Op::Null ? Value::Null() : Value::Boolean(node.op == Op::True);
      case NodeKind::Identifier:
        return Lookup(node, scope);
      case NodeKind::This:
        return this_;
      case NodeKind::Empty:
        return {};
      default:
        break;
    }
    CheckLimits(state_, context_, &node);
    switch (node.kind) {
      case NodeKind::ArrayLit: {
        const ObjectPtr array = context_.NewArray();
        for (const auto& element : node.kids) array->elements.push_back(Eval(*element, scope));
        return array;
      }
      case NodeKind::ObjectLit: {
        const ObjectPtr object = context_.NewObject();
        for (const auto& property : node.kids) {
          context_.Define(object, property->text, Eval((*property)[0], scope));
        }
        return object;
      }
      case NodeKind::FunctionExpr:
        return MakeFunctionExpression(node, scope);
      case NodeKind::Member:
        return GetMember(Eval(node[0], scope), Value::String(node.text), node);
      case NodeKind::Index: {
        const Value base = Eval(node[0], scope);
        return GetMember(base, Eval(node[1], scope), node);
      }
      case NodeKind::Call:
        return EvalCall(node, scope);
      case NodeKind::New: {
        const Value callee = Eval(node[0], scope);
        const std::vector<Value> arguments = EvalArguments(node, scope);
        if (!callee.IsObject() || !callee.AsObject()->IsFunction()) {
          Evaluator::Raise(context_, ErrorKind::TypeError,
                           SourceOf(node[0]) + L" is not a constructor", &node);
        }
        state_.frames[frame_].at = &node;
        return context_.Construct(callee, arguments);
      }
      case NodeKind::Unary:
        return EvalUnary(node, scope);
      case NodeKind::Update:
        return EvalUpdate(node, scope);
      case NodeKind::Binary: {
        const Value left = Eval(node[0], scope);
        return Binary(node.op, left, Eval(node[1], scope), node);
      }
      case NodeKind::Logical: {
        Value left = Eval(node[0], scope);
        if (ToBoolean(left) == (node.op == Op::OrOr)) return left;
        return Eval(node[1], scope);
      }
      case NodeKind::Conditional:
        return Eval(ToBoolean(Eval(node[0], scope)) ? node[1] : node[2], scope);
      case NodeKind::Assign:
        return EvalAssign(node, scope);
      case NodeKind::Sequence: {
        Value value;
        for (const auto& expression : node.kids) value = Eval(*expression, scope);
        return value;
      }
      default:
        Evaluator::Raise(context_, ErrorKind::SyntaxError, L"Unexpected expression", &node);
    }
  }

 private:
  [[noreturn]] void Raise(ErrorKind kind, std::wstring message, const Node& at) {
    Evaluator::Raise(context_, kind, std::move(message), &at);
  }

  std::wstring SourceOf(const Node& node) const {
    constexpr std::size_t kLongest = 60;
    if (node.end <= node.pos || node.end - node.pos > kLongest) return L"expression";
    return script_->source.substr(node.pos, node.end - node.pos);
  }

  Scope NewScope(const Scope& parent) const {
    auto scope = std::make_shared<Environment>();
    scope->parent = parent;
    return scope;
  }

  // Declares a block's let, const and functions as it is entered.
  Flow ExecBlock(const Node& block, const Scope& outer, bool isBody) {
    Scope scope = outer;
    if (block.lexical) {
      scope = NewScope(outer);
      for (const auto& statement : block.kids) {
        if (statement->kind == NodeKind::VarDecl && statement->op != Op::Var) {
          for (const auto& declarator : statement->kids) {
            Binding binding;
            binding.isConst = statement->op == Op::Const;
            binding.initialized = false;
            if (!scope->bindings.emplace(declarator->text, binding).second) {
              Raise(ErrorKind::SyntaxError,
                    L"Identifier '" + declarator->text + L"' has already been declared",
                    *declarator);
            }
          }
        }
      }
    }
    if (block.lexical && !isBody) {
      for (const auto& statement : block.kids) {
        if (statement->kind == NodeKind::FunctionDecl) {
          scope->bindings[statement->text].value =
              Evaluator::MakeFunction(context_, script_, *statement->function, scope);
        }
      }
    }
    for (const auto& statement : block.kids) {
      const Flow flow = Exec(*statement, scope);
      if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
  }

  void Declare(Op kind, const Node& declarator, const Scope& scope) {
    if (kind == Op::Var) {
      if (!declarator.kids.empty()) Assign(declarator, Eval(declarator[0], scope), scope);
      return;
    }
    Value value = declarator.kids.empty() ? Value() : Eval(declarator[0], scope);
    Binding* binding = FindBinding(scope.get(), declarator.text);
    if (!binding) binding = &scope->bindings[declarator.text];
    binding->value = std::move(value);
    binding->initialized = true;
  }

  Flow ExecFor(const Node& node, const Scope& outer) {
    const Node& init = node[0];
    const bool perIteration = init.kind == NodeKind::VarDecl && init.op != Op::Var;
    Scope scope = outer;
    if (perIteration) {
      scope = NewScope(outer);
      for (const auto& declarator : init.kids) {
        scope->bindings[declarator->text] = {Value(), init.op == Op::Const, false};
      }
      Exec(init, scope);
    } else if (init.kind == NodeKind::VarDecl) {
      Exec(init, scope);
    } else if (init.kind != NodeKind::Empty) {
      Eval(init, scope);
    }
    for (;;) {
      if (node[1].kind != NodeKind::Empty && !ToBoolean(Eval(node[1], scope))) break;
      const Flow flow = Exec(node[3], scope);
      if (flow == Flow::Break) break;
      if (flow == Flow::Return) return flow;
      // Closures made in this iteration keep its bindings; the next one
      // starts from a copy.
      if (perIteration) {
        Scope next = NewScope(outer);
        next->bindings = scope->bindings;
        scope = std::move(next);
      }
      if (node[2].kind != NodeKind::Empty) Eval(node[2], scope);
    }
    return Flow::Normal;
  }

  Flow ExecForIn(const Node& node, const Scope& outer) {
    const Value subject = Eval(node[1], outer);
    std::vector<std::wstring> keys;
    if (subject.IsObject()) {
      keys = context_.Keys(subject.AsObject());
    } else if (subject.IsString()) {
      for (std::size_t i = 0; i < subject.AsString().size(); ++i)
        keys.push_back(std::to_wstring(i));
    }
    const Node& target = node[0];
    const bool lexical = target.kind == NodeKind::VarDecl && target.op != Op::Var;
    for (const std::wstring& key : keys) {
      CheckLimits(state_, context_);
      Scope scope = outer;
      if (lexical) {
        scope = NewScope(outer);
        scope->bindings[target[0].text] = {Value::String(key), target.op == Op::Const, true};
      } else {
        AssignTarget(target.kind == NodeKind::VarDecl ? target[0] : target, Value::String(key),
                     scope);
      }
      const Flow flow = Exec(node[2], scope);
      if (flow == Flow::Break) break;
      if (flow == Flow::Return) return flow;
    }
    return Flow::Normal;
  }

  Flow ExecTry(const Node& node, const Scope& scope) {
    Flow flow = Flow::Normal;
    std::optional<ScriptThrow> pending;
    try {
      flow = Exec(node[0], scope);
    } catch (ScriptThrow& thrown) {
      if (node[1].kind == NodeKind::Empty) {
        pending = std::move(thrown);
      } else {
        try {
          Scope catchScope = NewScope(scope);
          if (!node.text.empty()) catchScope->bindings[node.text].value = thrown.value;
          flow = Exec(node[1], catchScope);
        } catch (ScriptThrow& again) {
          pending = std::move(again);
        }
      }
    }
    if (node[2].kind != NodeKind::Empty) {
      const Value returning = returnValue;
      const Flow finallyFlow = Exec(node[2], scope);
      if (finallyFlow != Flow::Normal) return finallyFlow;
      returnValue = returning;
    }
    if (pending) throw std::move(*pending);
    return flow;
  }

  Value Lookup(const Node& node, const Scope& scope) {
    if (Binding* binding = FindBinding(scope.get(), node.text)) {
      if (!binding->initialized) {
        Raise(ErrorKind::ReferenceError,
              L"Cannot access '" + node.text + L"' before initialization", node);
      }
      return binding->value;
    }
    const ObjectPtr& global = context_.Global();
    if (!context_.Has(global, node.text)) {
      Raise(ErrorKind::ReferenceError, node.text + L" is not defined", node);
    }
    return context_.Get(global, node.text);
  }

  void Assign(const Node& node, const Value& value, const Scope& scope) {
    if (Binding* binding = FindBinding(scope.get(), node.text)) {
      if (!binding->initialized) {
        Raise(ErrorKind::ReferenceError,
              L"Cannot access '" + node.text + L"' before initialization", node);
      }
      if (binding->isConst) Raise(ErrorKind::TypeError, L"Assignment to constant variable.", node);
      binding->value = value;
      return;
    }
    context_.Put(context_.Global(), node.text, value);
  }

  void AssignTarget(const Node& target, const Value& value, const Scope& scope) {
    if (target.kind == NodeKind::Identifier || target.kind == NodeKind::Declarator) {
      return Assign(target, value, scope);
    }
    const Value base = Eval(target[0], scope);
    const Value key =
        target.kind == NodeKind::Member ? Value::String(target.text) : Eval(target[1], scope);
    PutMember(base, key, value, target);
  }

  Value GetMember(const Value& base, const Value& key, const Node& at) {
    if (base.IsUndefined() || base.IsNull()) {
      Raise(ErrorKind::TypeError,
            L"Cannot read properties of " + ToString(base) + L" (reading '" + ToString(key) + L"')",
            at);
    }
    if (base.IsObject()) {
      const ObjectPtr& object = base.AsObject();
      if (key.IsUInt32() && key.AsNumber() < 4294967295.0) {
        return context_.GetIndex(object, static_cast<std::uint32_t>(key.AsNumber()));
      }
      return context_.Get(object, ToString(key));
    }
    if (base.IsString()) {
      const std::wstring& text = base.AsString();
      const std::wstring name = ToString(key);
      if (name == L"length") return Value::Number(static_cast<double>(text.size()));
      if (const auto index = ArrayIndexOf(name)) {
        return *index < text.size() ? Value::String(std::wstring(1, text[*index])) : Value();
      }
      return context_.Get(context_.prototypes_.string, name);
    }
    return {};
  }

  void PutMember(const Value& base, const Value& key, const Value& value, const Node& at) {
    if (base.IsUndefined() || base.IsNull()) {
      Raise(ErrorKind::TypeError,
            L"Cannot set properties of " + ToString(base) + L" (setting '" + ToString(key) + L"')",
            at);
    }
    if (!base.IsObject()) return;
    state_.frames[frame_].at = &at;
    const ObjectPtr& object = base.AsObject();
    if (key.IsUInt32() && key.AsNumber() < 4294967295.0) {
      context_.PutIndex(object, static_cast<std::uint32_t>(key.AsNumber()), value);
    } else {
      context_.Put(object, ToString(key), value);
    }
  }

  std::vector<Value> EvalArguments(const Node& call, const Scope& scope) {
    std::vector<Value> arguments;
    arguments.reserve(call.kids.size() - 1);
    for (std::size_t i = 1; i < call.kids.size(); ++i) arguments.push_back(Eval(call[i], scope));
    return arguments;
  }

  Value EvalCall(const Node& node, const Scope& scope) {
    const Node& callee = node[0];
    Value thisValue;
    Value function;
    if (callee.kind == NodeKind::Member || callee.kind == NodeKind::Index) {
      thisValue = Eval(callee[0], scope);
      const Value key =
          callee.kind == NodeKind::Member ? Value::String(callee.text) : Eval(callee[1], scope);
      function = GetMember(thisValue, key, callee);
    } else {
      function = Eval(callee, scope);
    }
    const std::vector<Value> arguments = EvalArguments(node, scope);
    if (!function.IsObject() || !function.AsObject()->IsFunction()) {
      Raise(ErrorKind::TypeError, SourceOf(callee) + L" is not a function", node);
    }
    state_.frames[frame_].at = &node;
    return Evaluator::Call(context_, function.AsObject(), thisValue, arguments, false);
  }

  Value MakeFunctionExpression(const Node& node, const Scope& scope) {
    const FunctionInfo& info = *node.function;
    if (info.name.empty()) return Evaluator::MakeFunction(context_, script_, info, scope);
    // A named expression sees its own name, and nothing outside does.
    Scope own = NewScope(scope);
    const ObjectPtr function = Evaluator::MakeFunction(context_, script_, info, own);
    own->bindings[info.name] = {Value(function), true, true};
    return function;
  }

  Value EvalUnary(const Node& node, const Scope& scope) {
    const Node& operand = node[0];
    switch (node.op) {
      case Op::Typeof:
        if (operand.kind == NodeKind::Identifier && !FindBinding(scope.get(), operand.text) &&
            !context_.Has(context_.Global(), operand.text)) {
          return Value::String(L"undefined");
        }
        return Value::String(TypeOf(Eval(operand, scope)));
      case Op::Delete:
        return Value::Boolean(Delete(operand, scope));
      case Op::Void:
        Eval(operand, scope);
        return {};
      default:
        break;
    }
    const Value value = Eval(operand, scope);
    switch (node.op) {
      case Op::Not:
        return Value::Boolean(!ToBoolean(value));
      case Op::Minus:
        return Value::Number(-ToNumber(value));
      case Op::Plus:
        return Value::Number(ToNumber(value));
      case Op::Tilde:
        return Value::Number(~ToInt32(ToNumber(value)));
      default:
        Raise(ErrorKind::SyntaxError, L"Unexpected operator", node);
    }
  }

  bool Delete(const Node& target, const Scope& scope) {
    if (target.kind == NodeKind::Identifier) {
      if (FindBinding(scope.get(), target.text)) return false;
      return context_.Delete(context_.Global(), target.text);
    }
    if (target.kind != NodeKind::Member && target.kind != NodeKind::Index) {
      Eval(target, scope);
      return true;
    }
    const Value base = Eval(target[0], scope);
    const Value key =
        target.kind == NodeKind::Member ? Value::String(target.text) : Eval(target[1], scope);
    if (base.IsUndefined() || base.IsNull()) {
      Raise(ErrorKind::TypeError, L"Cannot convert undefined or null to object", target);
    }
    if (!base.IsObject()) return true;
    return context_.Delete(base.AsObject(), ToString(key));
  }

  Value EvalUpdate(const Node& node, const Scope& scope) {
    const double change = node.op == Op::PlusPlus ? 1 : -1;
    const Node& target = node[0];
    double old;
    if (target.kind == NodeKind::Identifier) {
      old = ToNumber(Lookup(target, scope));
      Assign(target, Value::Number(old + change), scope);
    } else {
      const Value base = Eval(target[0], scope);
      const Value key =
          target.kind == NodeKind::Member ? Value::String(target.text) : Eval(target[1], scope);
      old = ToNumber(GetMember(base, key, target));
      PutMember(base, key, Value::Number(old + change), target);
    }
    return Value::Number(node.prefix ? old + change : old);
  }

  Value EvalAssign(const Node& node, const Scope& scope) {
    const Node& target = node[0];
    const Op base = CompoundBase(node.op);
    if (target.kind == NodeKind::Identifier) {
      Value value = base == Op::None
                        ? Eval(node[1], scope)
                        : Binary(base, Lookup(target, scope), Eval(node[1], scope), node);
      Assign(target, value, scope);
      return value;
    }
    const Value object = Eval(target[0], scope);
    const Value key =
        target.kind == NodeKind::Member ? Value::String(target.text) : Eval(target[1], scope);
    Value value = base == Op::None
                      ? Eval(node[1], scope)
                      : Binary(base, GetMember(object, key, target), Eval(node[1], scope), node);
    PutMember(object, key, value, target);
    return value;
  }

  Value Binary(Op op, const Value& left, const Value& right, const Node& at) {
    switch (op) {
      case Op::Plus:
        if (left.IsString() || right.IsString() || left.IsObject() || right.IsObject()) {
          std::wstring text = ToString(left);
          const std::wstring tail = ToString(right);
          if (text.size() + tail.size() > kMaxStringLength) {
            Raise(ErrorKind::RangeError, L"Invalid string length", at);
          }
          return Value::String(text += tail);
        }
        return Value::Number(ToNumber(left) + ToNumber(right));
      case Op::Minus:
        return Value::Number(ToNumber(left) - ToNumber(right));
      case Op::Star:
        return Value::Number(ToNumber(left) * ToNumber(right));
      case Op::Slash:
        return Value::Number(ToNumber(left) / ToNumber(right));
      case Op::Percent:
        return Value::Number(std::fmod(ToNumber(left), ToNumber(right)));
      case Op::Eq:
        return Value::Boolean(LooseEquals(left, right));
      case Op::NotEq:
        return Value::Boolean(!LooseEquals(left, right));
      case Op::StrictEq:
        return Value::Boolean(StrictEquals(left, right));
      case Op::StrictNotEq:
        return Value::Boolean(!StrictEquals(left, right));
      case Op::Less:
        return Value::Boolean(LessThan(left, right).value_or(false));
      case Op::Greater:
        return Value::Boolean(LessThan(right, left).value_or(false));
      case Op::LessEq:
        return Value::Boolean(!LessThan(right, left).value_or(true));
      case Op::GreaterEq:
        return Value::Boolean(!LessThan(left, right).value_or(true));
      case Op::Amp:
        return Value::Number(ToInt32(ToNumber(left)) & ToInt32(ToNumber(right)));
      case Op::Pipe:
        return Value::Number(ToInt32(ToNumber(left)) | ToInt32(ToNumber(right)));
      case Op::Caret:
        return Value::Number(ToInt32(ToNumber(left)) ^ ToInt32(ToNumber(right)));
      case Op::Shl:
        return Value::Number(static_cast<std::int32_t>(ToUint32(ToNumber(left))
                                                       << (ToUint32(ToNumber(right)) & 31)));
      case Op::Shr:
        return Value::Number(ToInt32(ToNumber(left)) >> (ToUint32(ToNumber(right)) & 31));
      case Op::UShr:
        return Value::Number(ToUint32(ToNumber(left)) >> (ToUint32(ToNumber(right)) & 31));
      case Op::In:
        if (!right.IsObject()) {
          Raise(ErrorKind::TypeError,
                L"Cannot use 'in' operator to search for '" + ToString(left) + L"' in " +
                    ToString(right),
                at);
        }
        return Value::Boolean(context_.Has(right.AsObject(), ToString(left)));
      case Op::Instanceof: {
        if (!right.IsObject() || !right.AsObject()->IsFunction()) {
          Raise(ErrorKind::TypeError, L"Right-hand side of 'instanceof' is not callable", at);
        }
        const Value prototype = context_.Get(right.AsObject(), L"prototype");
        if (!left.IsObject() || !prototype.IsObject()) return Value::Boolean(false);
        for (Object* link = left.AsObject()->prototype.get(); link; link = link->prototype.get()) {
          if (link == prototype.AsObject().get()) return Value::Boolean(true);
        }
        return Value::Boolean(false);
      }
      default:
        Raise(ErrorKind::SyntaxError, L"Unexpected operator", at);
    }
  }

  // Nullopt when either side is not a number (NaN, undefined).
  static std::optional<bool> LessThan(const Value& a, const Value& b) {
    const auto primitive = [](const Value& v) {
      return v.IsObject() && !v.AsObject()->IsDate() ? Value::String(ToString(v)) : v;
    };
    const Value x = primitive(a), y = primitive(b);
    if (x.IsString() && y.IsString()) return x.AsString() < y.AsString();
    const double left = ToNumber(x), right = ToNumber(y);
    if (std::isnan(left) || std::isnan(right)) return std::nullopt;
    return left < right;
  }

  Context& context_;
  Interpreter::State& state_;
  const std::shared_ptr<const Script>& script_;
  const Value this_;
  const std::size_t frame_;
};

Value Evaluator::RunScript(Context& context, const std::shared_ptr<const Script>& script,
                           std::span<const std::pair<std::wstring, Value>> hidden) {
  Interpreter::State& state = context.interpreter().state();
  FrameScope frame(state, Frame{L"", script, nullptr, false});
  const ObjectPtr& global = context.Global();
  Machine machine(context, script, Value(global));
  // Held here: disposing the context while it runs drops the context's own.
  const Scope lexical = context.lexical_;
  const Node& program = *script->top.body;
  for (const auto& statement : program.kids) {
    if (statement->kind != NodeKind::VarDecl || statement->op == Op::Var) continue;
    for (const auto& declarator : statement->kids) {
      if (lexical->bindings.contains(declarator->text)) {
        Raise(context, ErrorKind::SyntaxError,
              L"Identifier '" + declarator->text + L"' has already been declared",
              declarator.get());
      }
    }
    for (const auto& declarator : statement->kids) {
      lexical->bindings[declarator->text] = {Value(), statement->op == Op::Const, false};
    }
  }
  Scope scope = lexical;
  if (!hidden.empty()) {
    scope = std::make_shared<Environment>(Environment{lexical, {}});
    for (const auto& [name, value] : hidden) scope->bindings[name] = {value, true, true};
  }
  for (const std::wstring& name : script->top.varNames) {
    if (!global->FindOwn(name)) context.Define(global, name, Value(), kDontDelete);
  }
  for (const Node* declaration : script->top.functions) {
    context.Define(global, declaration->text,
                   MakeFunction(context, script, *declaration->function, scope), kDontDelete);
  }
  for (const auto& statement : program.kids) machine.Exec(*statement, scope);
  return machine.lastValue;
}

Value Evaluator::Call(Context& caller, const ObjectPtr& function, const Value& thisValue,
                      std::span<const Value> arguments, bool isConstruct) {
  Interpreter::State& state = caller.interpreter().state();
  const std::shared_ptr<Context> owner = function->context.lock();
  if (!owner || !owner->IsValid() || !function->valid) {
    Raise(caller, ErrorKind::TypeError, L"The function's context is gone");
  }
  std::optional<RunScope> run;
  if (state.runDepth == 0 || state.active.empty() || state.active.back().context != owner) {
    run.emplace(*owner, false);
  }
  CheckLimits(state, caller);
  const Value self =
      thisValue.IsUndefined() || thisValue.IsNull() ? Value(owner->Global()) : thisValue;
  if (function->native) {
    const std::shared_ptr<NativeHandler> native = function->native;
    try {
      return native->Call(*owner, CallInfo{function->functionName, self, arguments, isConstruct});
    } catch (ScriptThrow& thrown) {
      if (!thrown.origin) thrown.origin = Locate(state, thrown.value);
      throw;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& error) {
      const std::string what = error.what();
      Raise(caller, ErrorKind::Error, std::wstring(what.begin(), what.end()));
    }
  }
  if (!function->code || !function->script) return {};
  const std::shared_ptr<const Script> script = function->script;
  const FunctionInfo& info = *function->code;
  auto scope = std::make_shared<Environment>();
  scope->parent = function->closure;
  for (std::size_t i = 0; i < info.parameters.size(); ++i) {
    scope->bindings[info.parameters[i]].value = i < arguments.size() ? arguments[i] : Value();
  }
  if (info.usesArguments) {
    const ObjectPtr list = owner->NewArray();
    list->elements.assign(arguments.begin(), arguments.end());
    scope->bindings.try_emplace(L"arguments", Binding{Value(list)});
  }
  for (const std::wstring& name : info.varNames) scope->bindings.try_emplace(name);
  for (const Node* declaration : info.functions) {
    scope->bindings[declaration->text].value =
        MakeFunction(*owner, script, *declaration->function, scope);
  }
  FrameScope frame(state, Frame{info.name, script, nullptr, isConstruct});
  Machine machine(*owner, script, self);
  if (machine.ExecBody(*info.body, scope) == Flow::Return) return machine.returnValue;
  return {};
}

ObjectPtr Evaluator::MakeFunction(Context& context, const std::shared_ptr<const Script>& script,
                                  const FunctionInfo& info, std::shared_ptr<Environment> scope) {
  const ObjectPtr function = context.Register(
      std::make_shared<Object>(Object::Class::Function, context.prototypes_.function));
  function->functionName = info.name;
  function->script = script;
  function->code = &info;
  function->closure = std::move(scope);
  context.Define(function, L"name", Value::String(info.name), kReadOnly | kDontEnum);
  const ObjectPtr prototype = context.NewObject();
  context.Define(prototype, L"constructor", Value(function), kDontEnum);
  context.Define(function, L"prototype", Value(prototype), kDontEnum | kDontDelete);
  return function;
}

void Evaluator::Raise(Context& context, ErrorKind kind, std::wstring message, const Node* at) {
  Interpreter::State& state = context.interpreter().state();
  if (at && !state.frames.empty()) state.frames.back().at = at;
  ScriptThrow thrown(context.NewError(kind, std::move(message)));
  thrown.origin = Locate(state, thrown.value);
  throw thrown;
}

}  // namespace devengine::script
