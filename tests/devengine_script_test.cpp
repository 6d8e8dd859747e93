// The development engine's script interpreter: the language, its errors and
// limits, and what an embedder does with it (native functions, accessors,
// property attributes, contexts, stack traces).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "script/interpreter.h"

namespace {

using namespace devengine::script;

struct Case {
  const wchar_t* code;
  const wchar_t* expected;  // the result's text, or the exception as "message @line:column"
};

std::wstring Outcome(const EvalResult& result) {
  if (!result.ok()) {
    const Exception& exception = *result.exception;
    return exception.message + L" @" + std::to_wstring(exception.line) + L":" +
           std::to_wstring(exception.startColumn);
  }
  return ToString(result.value);
}

class ScriptTest : public testing::Test {
 protected:
  std::wstring Run(std::wstring_view code) { return Outcome(context->Eval(code, L"test.js")); }
  void RunTable(std::span<const Case> cases) {
    for (const Case& c : cases) {
      context = interpreter.NewContext();
      EXPECT_EQ(Run(c.code), c.expected) << c.code;
    }
  }

  Interpreter interpreter;
  std::shared_ptr<Context> context = interpreter.NewContext();
};

const Case kLanguage[] = {
    // Values, operators and conversions
    {L"1 + 2 * 3 - 4 / 2", L"5"},
    {L"7 % 3 + (2 - 5) * 2", L"-5"},
    {L"0.1 + 0.2", L"0.30000000000000004"},
    {L"1e21 + ' ' + 123456789012 + ' ' + 1/3 + ' ' + 1e-7 + ' ' + -0",
     L"1e+21 123456789012 0.3333333333333333 1e-7 0"},
    {L"'a' + 1 + 2 + ' ' + (1 + 2) + 'b' + null + undefined + true", L"a12 3bnullundefinedtrue"},
    {L"[1 == '1', 1 === '1', null == undefined, null === undefined, NaN == NaN, 0 != '', 2 !== 2]",
     L"true,false,true,false,false,false,false"},
    {L"[1 < 2, 'b' > 'a', '10' < '9', 10 < '9', 2 >= 2, undefined < 1, 3 <= 2]",
     L"true,true,true,false,true,false,false"},
    {L"[!0, !'x', -'3', +'0x10', typeof 1, typeof 'a', typeof {}, typeof null, typeof f, "
     L"typeof function(){}, typeof undeclared]",
     L"true,false,-3,16,number,string,object,object,undefined,function,undefined"},
    {L"[5 & 3, 5 | 3, 5 ^ 3, ~5, 1 << 4, -16 >> 2, -16 >>> 28]", L"1,7,6,-6,16,-4,15"},
    {L"var calls = 0; function f() { calls++; return true; } "
     L"[false && f(), true || f(), null || 'x', 0 && 1, calls]",
     L"false,true,x,0,0"},
    {L"var a = 1; a += 2; a *= 3; a -= 1; a /= 2; a %= 3; var s = 'x'; s += 1; [a, s]", L"1,x1"},
    {L"var i = 5; var r = [i++, i, ++i, i--, --i]; r", L"5,6,7,7,5"},
    {L"var o = {n: 1}; o.n++; ++o['n']; o.n += 10; o.n", L"13"},
    {L"String(12) + Number('  42 ') + Number('x') + String() + Math.floor(2.7) + Math.max(1, 3)",
     L"1242NaN23"},
    {L"1 ? 'yes' : 'no'", L"yes"},
    // Declarations, scopes and closures
    {L"var x = 1; { let x = 2; } x", L"1"},
    {L"let a = 1; const b = 2; a + b", L"3"},
    {L"hoisted(); function hoisted() { return 'ok'; } hoisted()", L"ok"},
    {L"function counter() { var n = 0; return function() { return ++n; }; } "
     L"var c = counter(), d = counter(); c(); c(); [c(), d()]",
     L"3,1"},
    {L"var fs = []; for (let i = 0; i < 3; i++) fs.push(function() { return i; }); "
     L"[fs[0](), fs[1](), fs[2]()]",
     L"0,1,2"},
    {L"var fact = function f(n) { return n <= 1 ? 1 : n * f(n - 1); }; fact(10)", L"3628800"},
    {L"function args() { return arguments.length + ':' + arguments[1]; } args(1, 'b', 3)", L"3:b"},
    {L"var g = 1; function set() { g = 2; h = 3; } set(); [g, window.h]", L"2,3"},
    {L"var v = 'global'; window.v", L"global"},
    // Control flow
    {L"var s = 0; for (var i = 0; i < 10; i++) { if (i == 2) continue; if (i == 5) break; s += i; "
     L"} s",
     L"8"},
    {L"var n = 0; while (true) { if (++n >= 4) break; } n", L"4"},
    {L"var n = 0; do { n++; } while (n < 3); n", L"3"},
    {L"var k = []; for (var p in {a: 1, b: 2}) k.push(p); for (let i in [7, 8]) k.push(i); k",
     L"a,b,0,1"},
    {L"function f(x) { if (x) { return 'then'; } else return 'else'; } f(1) + f(0)", L"thenelse"},
    {L"var log = ''; try { log += 't'; throw 'boom'; } catch (e) { log += e; } finally { log += "
     L"'f'; } log",
     L"tboomf"},
    {L"function f() { try { return 'try'; } finally { log = 'finally'; } } var log; f() + log",
     L"tryfinally"},
    {L"function f() { try { throw 1; } finally { return 'kept'; } } f()", L"kept"},
    {L"try { null.x } catch (e) { e instanceof TypeError && e.name + ': ' + e.message }",
     L"TypeError: Cannot read properties of null (reading 'x')"},
    {L"try { throw new RangeError('r') } catch (e) { String(e) }", L"RangeError: r"},
    // Objects, arrays, strings and methods
    {L"var o = {a: 1, 'b c': 2, 3: 'three'}; o.d = 4; [o.a, o['b c'], o[3], o.d, o.missing]",
     L"1,2,three,4,"},
    {L"var a = [1, 2]; a.push(3, 4); a[6] = 7; [a.length, a[5], a.indexOf(4), a.join('-')]",
     L"7,,3,1-2-3-4---7"},
    {L"var a = [1, 2, 3]; a.length = 1; a.pop(); a.length", L"0"},
    {L"var s = 'hello'; [s.length, s[1], s.indexOf('l'), s.substring(1, 3), s.charAt(4), "
     L"s.toUpperCase()]",
     L"5,e,2,el,o,HELLO"},
    {L"var o = {n: 2, twice: function() { return this.n * 2; }}; o.twice() + o['twice']()", L"8"},
    {L"function who() { return this === window; } who()", L"true"},
    {L"function P(x) { this.x = x; } P.prototype.get = function() { return this.x; }; "
     L"var p = new P(5); [p.get(), p instanceof P, typeof P.prototype]",
     L"5,true,object"},
    {L"var o = {}; o.__defineGetter__('v', function() { return this.base + 1; }); "
     L"o.__defineSetter__('v', function(x) { this.base = x * 10; }); o.v = 2; o.v",
     L"21"},
    {L"var o = {a: 1}; delete o.a; ['a' in o, delete window.undefined]", L"false,false"},
    {L"function f() {} f.name + (function named() {}).name", L"fnamed"},
    {L"var a = []; a[0] = a; String(a) + '|' + [[1, [2]], 3]", L"|1,2,3"},
};

TEST_F(ScriptTest, RunsTheLanguageSubset) { RunTable(kLanguage); }

const Case kErrors[] = {
    {L"undefinedName + 1", L"Uncaught ReferenceError: undefinedName is not defined @1:0"},
    {L"var x = 1;\n  x();", L"Uncaught TypeError: x is not a function @2:2"},
    {L"var o = {};\no.a.b = 1",
     L"Uncaught TypeError: Cannot set properties of undefined "
     L"(setting 'b') @2:0"},
    {L"function f() {\n  throw new Error('deep');\n}\nf();", L"Uncaught Error: deep @2:2"},
    {L"throw 42", L"Uncaught 42 @1:0"},
    {L"const c = 1; c = 2", L"Uncaught TypeError: Assignment to constant variable. @1:13"},
    {L"{ t; let t = 1; }",
     L"Uncaught ReferenceError: Cannot access 't' before initialization @1:2"},
    {L"let d = 1; let d = 2;",
     L"Uncaught SyntaxError: Identifier 'd' has already been declared @1:15"},
    {L"var a = 1;\nvar b = (2;", L"Uncaught SyntaxError: Unexpected token ; @2:10"},
    {L"\n\nif (", L"Uncaught SyntaxError: Unexpected end of input @3:4"},
    {L"var s = 'open", L"Uncaught SyntaxError: Invalid or unexpected token @1:8"},
    {L"1 = 2", L"Uncaught SyntaxError: Invalid left-hand side in assignment @1:0"},
    {L"return 1", L"Uncaught SyntaxError: Illegal return statement @1:0"},
    {L"break;", L"Uncaught SyntaxError: Illegal break statement @1:0"},
    {L"var a = 1 2", L"Uncaught SyntaxError: Unexpected number @1:10"},
    {L"new 5", L"Uncaught TypeError: 5 is not a constructor @1:0"},
    {L"'x' in 'y'", L"Uncaught TypeError: Cannot use 'in' operator to search for 'x' in y @1:0"},
};

TEST_F(ScriptTest, ReportsErrorsWhereTheyHappen) {
  RunTable(kErrors);
  // The script's name and first line number are the embedder's.
  const EvalResult result = context->Eval(L"ok();\n  broken(", L"page.html", 10);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.exception->scriptName, L"page.html");
  EXPECT_EQ(result.exception->line, 11);
  EXPECT_EQ(result.exception->sourceLine, L"  broken(");
  const EvalResult thrown = context->Eval(L"var e = new TypeError('t'); throw e;");
  ASSERT_FALSE(thrown.ok());
  EXPECT_EQ(thrown.exception->value.AsObject(), context->Get(context->Global(), L"e").AsObject());
}

TEST_F(ScriptTest, StopsRunawayScriptsButKeepsTheContextUsable) {
  interpreter.limits().timeLimit = std::chrono::milliseconds(200);
  const wchar_t* runaways[] = {
      L"while (true) {}",
      L"for (;;) { try { for (;;) {} } catch (e) {} finally { continue; } }",
      L"function spin() { for (;;); }\nspin();",
  };
  for (const wchar_t* code : runaways) {
    const auto start = std::chrono::steady_clock::now();
    const EvalResult result = context->Eval(code);
    ASSERT_FALSE(result.ok()) << code;
    EXPECT_TRUE(result.exception->terminated) << code;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << code;
    EXPECT_EQ(Run(L"1 + 1"), L"2");
  }
}

TEST_F(ScriptTest, StopsDeepRecursionAndNestingWithAnError) {
  const EvalResult overflow =
      context->Eval(L"function down(n) { return down(n + 1) + 1; }\ndown(0)");
  ASSERT_FALSE(overflow.ok());
  EXPECT_EQ(overflow.exception->message, L"Uncaught RangeError: Maximum call stack size exceeded");
  EXPECT_EQ(overflow.exception->line, 1);
  EXPECT_GT(overflow.exception->stackTrace.size(), 100u);
  EXPECT_EQ(overflow.exception->stackTrace.back().line, 2);
  EXPECT_EQ(Run(L"function down() { down(); } try { down(); } catch (e) { e.name } "),
            L"RangeError");
  // Nesting that the parser or the evaluator would follow to the bottom.
  const auto repeated = [](const wchar_t* part, int times) {
    std::wstring text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
  };
  const std::pair<std::wstring, std::wstring> deep[] = {
      {repeated(L"(", 100000) + L"1" + repeated(L")", 100000),
       L"Uncaught SyntaxError: Script nested too deeply"},
      {repeated(L"[", 100000) + repeated(L"]", 100000),
       L"Uncaught SyntaxError: Script nested too deeply"},
      {L"var x = 1" + repeated(L"+1", 200000),
       L"Uncaught RangeError: Maximum call stack size exceeded"},
      {L"var o = {}; o" + repeated(L".p", 200000),
       L"Uncaught RangeError: Maximum call stack size exceeded"},
  };
  for (const auto& [code, message] : deep) {
    const EvalResult result = context->Eval(code);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.exception->message, message);
  }
  // A chain of objects as long as script can make it goes without recursion.
  EXPECT_EQ(Run(L"var list = null; for (var i = 0; i < 300000; i++) list = {next: list}; "
                L"list = null; 'freed'"),
            L"freed");
}

// Records the calls it gets; throws when asked to.
class Recorder : public NativeHandler {
 public:
  Value Call(Context& context, const CallInfo& call) override {
    calls.push_back(call.name + L"(" + std::to_wstring(call.arguments.size()) + L")");
    if (!call.arguments.empty() && ToString(call.arguments[0]) == L"throw") {
      throw ScriptThrow(context.NewError(ErrorKind::Error, L"native refused"));
    }
    if (!call.arguments.empty() && ToString(call.arguments[0]) == L"trace") {
      trace = context.interpreter().CurrentStackTrace(10);
    }
    self = call.thisValue;
    return Value::Number(static_cast<double>(call.arguments.size()));
  }
  std::vector<std::wstring> calls;
  std::vector<StackFrame> trace;
  Value self;
};

TEST_F(ScriptTest, CallsNativeFunctionsWithThisAndArguments) {
  const auto recorder = std::make_shared<Recorder>();
  const ObjectPtr native = context->NewFunction(L"native", recorder);
  context->Put(context->Global(), L"native", Value(native));
  EXPECT_EQ(Run(L"var o = {m: native}; o.m(1, 2) + native() + native.name"), L"2native");
  EXPECT_EQ(recorder->calls, (std::vector<std::wstring>{L"native(2)", L"native(0)"}));
  EXPECT_EQ(recorder->self.AsObject(), context->Global());
  EXPECT_EQ(Run(L"try { native('throw') } catch (e) { e.message }"), L"native refused");
  EXPECT_EQ(Run(L"\n  native('throw')"), L"Uncaught Error: native refused @2:2");
  EXPECT_EQ(Run(L"function outer() {\n  return inner();\n}\n"
                L"function inner() { return native('trace'); }\nouter();"),
            L"1");
  ASSERT_EQ(recorder->trace.size(), 3u);
  const std::wstring where[] = {L"inner 4:27", L"outer 2:10", L" 5:1"};
  for (std::size_t i = 0; i < 3; ++i) {
    const StackFrame& frame = recorder->trace[i];
    EXPECT_EQ(frame.functionName + L" " + std::to_wstring(frame.line) + L":" +
                  std::to_wstring(frame.column),
              where[i]);
    EXPECT_EQ(frame.scriptName, L"test.js");
  }
  // The embedder calls script functions with a this and arguments of its own.
  ASSERT_TRUE(context->Eval(L"function add(a, b) { return this.base + a + b; }").ok());
  const ObjectPtr self = context->NewObject();
  context->Put(self, L"base", Value::Number(100));
  const Value arguments[] = {Value::Number(1), Value::Number(2)};
  EXPECT_EQ(Outcome(context->Call(context->Get(context->Global(), L"add"), Value(self), arguments)),
            L"103");
  EXPECT_EQ(Outcome(context->Call(Value::Number(1), Value(), {})),
            L"Uncaught TypeError: 1 is not a function @0:0");
}

// An accessor that answers `answer` and keeps what is written to `stored`;
// it refuses `locked` and throws on `broken`.
class Accessor : public NativeAccessor {
 public:
  std::optional<Value> Get(Context& context, const std::wstring& name, const ObjectPtr&) override {
    if (name == L"broken") throw ScriptThrow(context.NewError(ErrorKind::Error, L"no " + name));
    if (name == L"answer") return Value::Number(42);
    if (name == L"stored") return stored;
    return std::nullopt;
  }
  bool Set(Context&, const std::wstring& name, const ObjectPtr&, const Value& value) override {
    if (name != L"stored") return false;
    stored = value;
    return true;
  }
  Value stored;
};

TEST_F(ScriptTest, AnswersAccessorPropertiesAndKeepsAttributes) {
  const auto accessor = std::make_shared<Accessor>();
  const ObjectPtr object = context->NewObject(accessor);
  for (const wchar_t* name : {L"answer", L"stored", L"locked", L"broken"}) {
    EXPECT_TRUE(context->DefineAccessor(object, name));
  }
  EXPECT_FALSE(context->DefineAccessor(context->NewObject(), L"answer"));
  context->Put(context->Global(), L"acc", Value(object));
  EXPECT_EQ(Run(L"acc.stored = 'kept'; acc.locked = 1; [acc.answer, acc.stored, acc.locked]"),
            L"42,kept,");
  EXPECT_EQ(ToString(accessor->stored), L"kept");
  EXPECT_EQ(Run(L"try { acc.broken } catch (e) { e.message }"), L"no broken");

  const ObjectPtr fixed = context->NewObject();
  context->Define(fixed, L"readOnly", Value::Number(1), kReadOnly);
  context->Define(fixed, L"hidden", Value::Number(2), kDontEnum);
  context->Define(fixed, L"kept", Value::Number(3), kDontDelete);
  context->Define(fixed, L"plain", Value::Number(4));
  context->Put(context->Global(), L"fixed", Value(fixed));
  EXPECT_EQ(Run(L"fixed.readOnly = 5; var keys = []; for (var k in fixed) keys.push(k); "
                L"[fixed.readOnly, keys, delete fixed.kept, fixed.kept, delete fixed.plain, "
                L"'plain' in fixed, fixed.hidden]"),
            L"1,readOnly,kept,plain,false,3,true,false,2");
  EXPECT_EQ(context->Keys(fixed), (std::vector<std::wstring>{L"readOnly", L"kept"}));
  EXPECT_FALSE(context->Put(fixed, L"readOnly", Value::Number(9)));
  EXPECT_TRUE(context->Define(fixed, L"kept", Value::Number(8)));
  EXPECT_EQ(ToString(context->Get(fixed, L"kept")), L"8");
  EXPECT_EQ(Run(L"window.__defineGetter__('window', function() { return 1; })"),
            L"Uncaught TypeError: Cannot redefine property: window @1:0");
}

TEST_F(ScriptTest, GivesTheEmbedderValuesArraysAndContexts) {
  const ObjectPtr array = context->NewArray(2);
  EXPECT_TRUE(context->PutIndex(array, 3, Value::String(L"d")));
  EXPECT_EQ(array->elements.size(), 4u);
  EXPECT_TRUE(context->HasIndex(array, 1));
  EXPECT_FALSE(context->HasIndex(array, 4));
  EXPECT_EQ(ToString(context->GetIndex(array, 3)), L"d");
  EXPECT_EQ(context->Keys(array), (std::vector<std::wstring>{L"0", L"1", L"2", L"3"}));
  const ObjectPtr date = context->NewDate(86400000.0);
  context->Put(context->Global(), L"date", Value(date));
  EXPECT_EQ(Run(L"[typeof date, date.getTime(), String(date)]"),
            L"object,86400000,1970-01-02T00:00:00.000Z");
  EXPECT_TRUE(Value::Number(-1).IsInt32());
  EXPECT_FALSE(Value::Number(-1).IsUInt32());
  EXPECT_TRUE(Value::Number(4294967295.0).IsUInt32());
  EXPECT_FALSE(Value::Number(0.5).IsInt32());

  // Entering and running make a context current; the entered one stays so.
  EXPECT_EQ(interpreter.CurrentContext(), nullptr);
  const auto other = interpreter.NewContext();
  ASSERT_TRUE(other->Enter());
  EXPECT_EQ(interpreter.CurrentContext(), other);
  const ObjectPtr probe = context->NewFunction(L"probe", [&](Context&, const CallInfo&) {
    EXPECT_EQ(interpreter.CurrentContext(), context);
    EXPECT_EQ(interpreter.EnteredContext(), context);
    return Value();
  });
  context->Put(context->Global(), L"probe", Value(probe));
  EXPECT_TRUE(context->Eval(L"probe()").ok());
  EXPECT_FALSE(context->Exit());
  EXPECT_TRUE(other->Exit());
  EXPECT_EQ(interpreter.EnteredContext(), nullptr);

  // A context's globals are its own.
  EXPECT_EQ(Outcome(other->Eval(L"typeof probe")), L"undefined");
}

TEST_F(ScriptTest, ReleasesClosureCyclesWithTheirContext) {
  ASSERT_TRUE(context->Eval(L"var self = {}; self.f = function() { return self; };").ok());
  const std::weak_ptr<Object> kept = context->Get(context->Global(), L"self").AsObject();
  const Value function = context->Get(kept.lock(), L"f");
  context.reset();
  EXPECT_TRUE(kept.expired());
  ASSERT_TRUE(function.IsObject());
  EXPECT_FALSE(function.AsObject()->valid);
}

TEST_F(ScriptTest, SurvivesItsContextGoingWhileItRuns) {
  const ObjectPtr dispose = context->NewFunction(L"dispose", [](Context& context, const CallInfo&) {
    context.Dispose();
    return Value();
  });
  context->Put(context->Global(), L"dispose", Value(dispose));
  EXPECT_TRUE(
      context->Eval(L"function f() { return 1; } dispose(); let after = 2; after + 1").ok());
  EXPECT_FALSE(context->IsValid());
  EXPECT_EQ(Run(L"1"), L"Uncaught Error: the script context is gone @0:0");
}

}  // namespace
