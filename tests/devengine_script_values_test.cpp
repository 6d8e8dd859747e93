// The development engine's script value, context and exception records over
// an interpreter run on the test thread, called as the program calls them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devengine_test_records.h"
#include "script/interpreter.h"
#include "script_values/script_values.h"

namespace {

using devengine::script_values::SetThreadInterpreter;

std::wstring TakeText(cef_string_userfree_t text) {
  if (text == nullptr) return {};
  std::wstring result = TextOf(*text);
  cef_string_userfree_utf16_free(text);
  return result;
}

// A record over a literal, which outlives every call it is given to.
cef_string_t Literal(const wchar_t* text) {
  return {const_cast<wchar_t*>(text), wcslen(text), nullptr};
}

using Value = Held<cef_v8value_t>;

class ScriptValuesTest : public testing::Test {
 protected:
  void SetUp() override {
    SetThreadInterpreter(&interpreter);
    ASSERT_TRUE(context->Enter());
  }
  void TearDown() override {
    context->Exit();
    context->Dispose();
    SetThreadInterpreter(nullptr);
  }

  // Runs `code` through the context record; the result's text, or
  // "throws: message".
  std::wstring Eval(const std::wstring& code) {
    Held<cef_v8context_t> current(cef_v8context_get_current_context());
    cef_v8value_t* retval = nullptr;
    cef_v8exception_t* exception = nullptr;
    const cef_string_t text = Borrowed(code);
    const int ok = current->eval(current.get(), &text, &retval, &exception);
    Value result(retval);
    Held<cef_v8exception_t> thrown(exception);
    if (ok == 0) {
      return exception == nullptr ? L"refused"
                                  : L"throws: " + TakeText(exception->get_message(exception));
    }
    EXPECT_NE(retval, nullptr);
    if (result->is_string(result.get()) != 0) {
      return TakeText(result->get_string_value(result.get()));
    }
    return std::to_wstring(result->get_double_value(result.get()));
  }

  Value Global() {
    Held<cef_v8context_t> current(cef_v8context_get_current_context());
    return Value(current->get_global(current.get()));
  }

  devengine::script::Interpreter interpreter;
  std::shared_ptr<devengine::script::Context> context = interpreter.NewContext();
};

// A program handler whose answer each test chooses.
struct TestHandler {
  std::function<int(size_t count, cef_v8value_t* const* arguments, cef_v8value_t** retval,
                    cef_string_t* exception)>
      answer;
  size_t lastCount = 99;
  bool argumentsNull = false;

  static int CEF_CALLBACK Execute(cef_v8handler_t* self, const cef_string_t*, cef_v8value_t* object,
                                  size_t count, cef_v8value_t* const* arguments,
                                  cef_v8value_t** retval, cef_string_t* exception) {
    auto& handler = ProgramRecord<cef_v8handler_t, TestHandler>::OwnerOf(self);
    Value self_object(object);
    std::vector<std::unique_ptr<Value>> given;
    for (size_t at = 0; at < count; ++at) given.push_back(std::make_unique<Value>(arguments[at]));
    handler.lastCount = count;
    handler.argumentsNull = arguments == nullptr;
    return handler.answer(count, arguments, retval, exception);
  }
};

struct HandlerRecord {
  TestHandler handler;
  ProgramRecord<cef_v8handler_t, TestHandler> record{&handler};
  HandlerRecord() { record.record().execute = &TestHandler::Execute; }
};

TEST_F(ScriptValuesTest, ValuesOfEachKindRoundTripThroughScript) {
  const cef_string_t hello = Literal(L"h\u00e9llo");
  const cef_string_t empty = Literal(L"");
  const cef_time_t date = {2024, 2, 4, 29, 13, 45, 30, 250};
  struct Case {
    const char* name;
    std::function<cef_v8value_t*()> make;
    const wchar_t* typeOf;
    std::function<void(cef_v8value_t*)> check;
  };
  const Case cases[] = {
      {"undefined", [] { return cef_v8value_create_undefined(); }, L"undefined",
       [](cef_v8value_t* v) { EXPECT_TRUE(v->is_undefined(v)); }},
      {"null", [] { return cef_v8value_create_null(); }, L"object",
       [](cef_v8value_t* v) { EXPECT_TRUE(v->is_null(v)); }},
      {"bool", [] { return cef_v8value_create_bool(1); }, L"boolean",
       [](cef_v8value_t* v) { EXPECT_EQ(v->get_bool_value(v), 1); }},
      {"int", [] { return cef_v8value_create_int(-7); }, L"number",
       [](cef_v8value_t* v) {
         EXPECT_TRUE(v->is_int(v));
         EXPECT_FALSE(v->is_uint(v));
         EXPECT_EQ(v->get_int_value(v), -7);
       }},
      {"uint", [] { return cef_v8value_create_uint(4000000000u); }, L"number",
       [](cef_v8value_t* v) {
         EXPECT_TRUE(v->is_uint(v));
         EXPECT_FALSE(v->is_int(v));
         EXPECT_EQ(v->get_uint_value(v), 4000000000u);
       }},
      {"double", [] { return cef_v8value_create_double(1.25); }, L"number",
       [](cef_v8value_t* v) { EXPECT_EQ(v->get_double_value(v), 1.25); }},
      {"string", [&] { return cef_v8value_create_string(&hello); }, L"string",
       [](cef_v8value_t* v) { EXPECT_EQ(TakeText(v->get_string_value(v)), L"h\u00e9llo"); }},
      {"empty string", [&] { return cef_v8value_create_string(&empty); }, L"string",
       [](cef_v8value_t* v) {
         EXPECT_TRUE(v->is_string(v));
         EXPECT_EQ(TakeText(v->get_string_value(v)), L"");
       }},
      {"date", [&] { return cef_v8value_create_date(&date); }, L"object",
       [&](cef_v8value_t* v) {
         ASSERT_TRUE(v->is_date(v));
         const cef_time_t back = v->get_date_value(v);
         EXPECT_EQ(std::vector<int>({back.year, back.month, back.day_of_month, back.hour,
                                     back.minute, back.second, back.millisecond}),
                   std::vector<int>({2024, 2, 29, 13, 45, 30, 250}));
       }},
      {"array", [] { return cef_v8value_create_array(3); }, L"object",
       [](cef_v8value_t* v) {
         EXPECT_TRUE(v->is_array(v));
         EXPECT_EQ(v->get_array_length(v), 3);
       }},
  };
  Value global = Global();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Value made(c.make());
    ASSERT_NE(made.get(), nullptr);
    const cef_string_t key = Literal(L"probe");
    ASSERT_EQ(
        global->set_value_bykey(global.get(), &key, made.Handed(), V8_PROPERTY_ATTRIBUTE_NONE), 1);
    EXPECT_EQ(Eval(L"typeof probe"), c.typeOf);
    Value back(global->get_value_bykey(global.get(), &key));
    ASSERT_NE(back.get(), nullptr);
    c.check(back.get());
  }
}

TEST_F(ScriptValuesTest, ObjectsKeepKeysIndicesAndUserData) {
  Value object(cef_v8value_create_object(nullptr));
  Value array(cef_v8value_create_array(0));
  const cef_string_t key = Literal(L"k");
  EXPECT_EQ(object->set_value_bykey(object.get(), &key, cef_v8value_create_int(3),
                                    V8_PROPERTY_ATTRIBUTE_READONLY),
            1);
  EXPECT_TRUE(object->has_value_bykey(object.get(), &key));
  EXPECT_EQ(array->set_value_byindex(array.get(), 2, cef_v8value_create_int(5)), 1);
  EXPECT_EQ(array->get_array_length(array.get()), 3);
  Value element(array->get_value_byindex(array.get(), 2));
  EXPECT_EQ(element->get_int_value(element.get()), 5);
  EXPECT_EQ(array->get_value_byindex(array.get(), -1), nullptr);

  cef_string_list_t keys = cef_string_list_alloc();
  EXPECT_EQ(object->get_keys(object.get(), keys), 1);
  EXPECT_EQ(cef_string_list_size(keys), 1u);
  cef_string_list_free(keys);

  Value data(cef_v8value_create_int(42));
  EXPECT_EQ(object->set_user_data(object.get(), data.Handed()), 1);
  Value read(object->get_user_data(object.get()));
  EXPECT_EQ(read.get(), data.get());
  EXPECT_TRUE(object->is_user_created(object.get()));
}

// An accessor that keeps one number for the property "x" and refuses others.
struct TestAccessor {
  int stored = 5;

  static int CEF_CALLBACK Get(cef_v8accessor_t* self, const cef_string_t* name,
                              cef_v8value_t* object, cef_v8value_t** retval, cef_string_t*) {
    Value held(object);
    if (TextOf(*name) != L"x") return 0;
    *retval =
        cef_v8value_create_int(ProgramRecord<cef_v8accessor_t, TestAccessor>::OwnerOf(self).stored);
    return 1;
  }
  static int CEF_CALLBACK Set(cef_v8accessor_t* self, const cef_string_t* name,
                              cef_v8value_t* object, cef_v8value_t* value,
                              cef_string_t* exception) {
    Value heldObject(object), heldValue(value);
    if (TextOf(*name) != L"x") return 0;
    if (value->is_int(value) == 0) {
      cef_string_utf16_set(L"numbers only", 12, exception, 1);
      return 1;
    }
    ProgramRecord<cef_v8accessor_t, TestAccessor>::OwnerOf(self).stored =
        value->get_int_value(value);
    return 1;
  }
};

TEST_F(ScriptValuesTest, AccessorPropertiesAskTheProgram) {
  TestAccessor accessor;
  ProgramRecord<cef_v8accessor_t, TestAccessor> record(&accessor);
  record.record().get = &TestAccessor::Get;
  record.record().set = &TestAccessor::Set;
  {
    Value object(cef_v8value_create_object(record.Handed()));
    const cef_string_t x = Literal(L"x"), name = Literal(L"o");
    EXPECT_EQ(object->set_value_byaccessor(object.get(), &x, V8_ACCESS_CONTROL_DEFAULT,
                                           V8_PROPERTY_ATTRIBUTE_NONE),
              1);
    Value global = Global();
    global->set_value_bykey(global.get(), &name, object.Handed(), V8_PROPERTY_ATTRIBUTE_NONE);
    EXPECT_EQ(Eval(L"o.x"), L"5.000000");
    EXPECT_EQ(Eval(L"o.x = 7; o.x"), L"7.000000");
    EXPECT_EQ(accessor.stored, 7);
    EXPECT_EQ(Eval(L"try { o.x = 'a'; 'kept' } catch (e) { e.message }"), L"numbers only");
    context->Dispose();
  }
  EXPECT_TRUE(record.AllGivenBack());
}

TEST_F(ScriptValuesTest, ProgramHandlerAnswersReachScript) {
  struct Case {
    const char* name;
    int answer;
    bool setResult;
    const wchar_t* exception;
    const wchar_t* script;  // what script sees of f()
  };
  const Case cases[] = {
      {"handled with a result", -1, true, L"", L"number 7"},
      {"not handled", 0, true, L"", L"undefined"},
      {"handled, neither result nor exception", -1, false, L"", L"undefined"},
      {"exception text", -1, false, L"went wrong", L"caught went wrong"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandlerRecord record;
    record.handler.answer = [&](size_t, cef_v8value_t* const*, cef_v8value_t** retval,
                                cef_string_t* exception) {
      EXPECT_EQ(*retval, nullptr);
      EXPECT_EQ(exception->length, 0u);
      if (c.setResult) *retval = cef_v8value_create_int(7);
      if (*c.exception != 0) cef_string_utf16_set(c.exception, wcslen(c.exception), exception, 1);
      return c.answer;
    };
    {
      const cef_string_t name = Literal(L"f");
      Value function(cef_v8value_create_function(&name, record.record.Handed()));
      EXPECT_EQ(TakeText(function->get_function_name(function.get())), L"f");
      Held<cef_v8handler_t> handler(function->get_function_handler(function.get()));
      EXPECT_EQ(handler.get(), &record.record.record());
      Value global = Global();
      global->set_value_bykey(global.get(), &name, function.Handed(), V8_PROPERTY_ATTRIBUTE_NONE);
      EXPECT_EQ(Eval(L"try { var r = f(1, 'a'); typeof r + (r === undefined ? '' : ' ' + r) }"
                     L" catch (e) { 'caught ' + e.message }"),
                c.script);
      EXPECT_EQ(record.handler.lastCount, 2u);
      context->Dispose();
      context = interpreter.NewContext();
      context->Enter();
    }
    EXPECT_TRUE(record.record.AllGivenBack());
  }
}

TEST_F(ScriptValuesTest, ExecuteFunctionPassesArgumentsAndKeepsExceptions) {
  HandlerRecord record;
  record.handler.answer = [](size_t, cef_v8value_t* const*, cef_v8value_t**, cef_string_t*) {
    return 1;
  };
  const cef_string_t name = Literal(L"g");
  Value function(cef_v8value_create_function(&name, record.record.Handed()));
  Value none(function->execute_function(function.get(), nullptr, 0, nullptr));
  EXPECT_EQ(record.handler.lastCount, 0u);
  EXPECT_TRUE(record.handler.argumentsNull);
  ASSERT_NE(none.get(), nullptr);
  EXPECT_TRUE(none->is_undefined(none.get()));

  Eval(L"function add(a, b) { return a + b; } function fail() { throw new TypeError('bad'); }");
  Value global = Global();
  const cef_string_t addName = Literal(L"add"), failName = Literal(L"fail");
  Value add(global->get_value_bykey(global.get(), &addName));
  cef_v8value_t* arguments[] = {cef_v8value_create_int(2), cef_v8value_create_int(3)};
  Value sum(add->execute_function(add.get(), nullptr, 2, arguments));
  ASSERT_NE(sum.get(), nullptr) << add->has_exception(add.get());
  EXPECT_EQ(sum->get_int_value(sum.get()), 5);
  cef_v8value_t* missing[] = {nullptr};
  EXPECT_EQ(add->execute_function(add.get(), nullptr, 1, missing), nullptr);
  EXPECT_FALSE(add->has_exception(add.get()));

  Value fail(global->get_value_bykey(global.get(), &failName));
  EXPECT_EQ(fail->execute_function(fail.get(), nullptr, 0, nullptr), nullptr);
  ASSERT_TRUE(fail->has_exception(fail.get()));
  Held<cef_v8exception_t> exception(fail->get_exception(fail.get()));
  EXPECT_NE(TakeText(exception->get_message(exception.get())).find(L"bad"), std::wstring::npos);
  EXPECT_GT(exception->get_line_number(exception.get()), 0);
  EXPECT_EQ(fail->clear_exception(fail.get()), 1);
  EXPECT_FALSE(fail->has_exception(fail.get()));
}

// A native that calls back into script passes on what script threw only when
// the function's record asks to rethrow.
TEST_F(ScriptValuesTest, RethrowPassesScriptExceptionsThroughTheProgram) {
  for (const int rethrow : {0, 1}) {
    SCOPED_TRACE(rethrow);
    HandlerRecord record;
    record.handler.answer = [&](size_t count, cef_v8value_t* const* arguments,
                                cef_v8value_t** retval, cef_string_t*) {
      if (count != 1) return 0;
      cef_v8value_t* callback = arguments[0];
      callback->set_rethrow_exceptions(callback, rethrow);
      Value result(callback->execute_function(callback, nullptr, 0, nullptr));
      EXPECT_EQ(result.get(), nullptr);
      EXPECT_TRUE(callback->has_exception(callback));
      *retval = cef_v8value_create_int(1);
      return 1;
    };
    const cef_string_t name = Literal(L"call");
    {
      Value function(cef_v8value_create_function(&name, record.record.Handed()));
      Value global = Global();
      global->set_value_bykey(global.get(), &name, function.Handed(), V8_PROPERTY_ATTRIBUTE_NONE);
      EXPECT_EQ(Eval(L"try { 'returned ' + call(function () { throw new Error('inner'); }) }"
                     L" catch (e) { 'caught ' + e.message }"),
                rethrow != 0 ? L"caught inner" : L"returned 1");
    }
    context->Dispose();
    context = interpreter.NewContext();
    context->Enter();
    EXPECT_TRUE(record.record.AllGivenBack());
  }
}

TEST_F(ScriptValuesTest, ContextRecordsAnswerForTheInterpreter) {
  EXPECT_EQ(cef_v8context_in_context(), 1);
  Held<cef_v8context_t> current(cef_v8context_get_current_context());
  Held<cef_v8context_t> entered(cef_v8context_get_entered_context());
  EXPECT_TRUE(current->is_valid(current.get()));
  EXPECT_TRUE(current->is_same(current.get(), entered.Handed()));
  Value global = Global();
  cef_v8value_t* retval = nullptr;
  cef_v8exception_t* exception = nullptr;
  const cef_string_t window = Literal(L"window");
  ASSERT_EQ(current->eval(current.get(), &window, &retval, &exception), 1);
  Value windowValue(retval);
  EXPECT_TRUE(global->is_same(global.get(), windowValue.Handed()));
  EXPECT_EQ(Eval(L"1 +").rfind(L"throws: ", 0), 0u);
  EXPECT_EQ(current->eval(current.get(), &window, nullptr, &exception), 0);

  auto other = interpreter.NewContext();
  Held<cef_v8context_t> otherRecord(nullptr);
  EXPECT_TRUE(other->Enter());
  otherRecord.record = cef_v8context_get_current_context();
  EXPECT_FALSE(otherRecord->is_same(otherRecord.get(), current.Handed()));
  EXPECT_TRUE(other->Exit());
  other->Dispose();
  EXPECT_FALSE(otherRecord->is_valid(otherRecord.get()));
}

// A document's context, as the renderer makes one for each page it shows.
TEST(DocumentContextTest, RunsScriptAndAnswersItsPageUntilReleased) {
  struct Nobody {};
  Nobody nobody;
  ProgramRecord<cef_browser_t, Nobody> browser(&nobody);
  ProgramRecord<cef_frame_t, Nobody> frame(&nobody);
  {
    Held<cef_v8context_t> context(
        devengine::script_values::NewDocumentContext(&browser.record(), &frame.record()));
    Held<cef_browser_t> itsBrowser(context->get_browser(context.get()));
    Held<cef_frame_t> itsFrame(context->get_frame(context.get()));
    EXPECT_EQ(itsBrowser.get(), &browser.record());
    EXPECT_EQ(itsFrame.get(), &frame.record());

    ASSERT_EQ(context->enter(context.get()), 1);
    Held<cef_v8context_t> current(cef_v8context_get_current_context());
    EXPECT_TRUE(context->is_same(context.get(), current.Handed()));
    const cef_string_t code = Literal(L"var n = 20; n + 22");
    cef_v8value_t* retval = nullptr;
    cef_v8exception_t* exception = nullptr;
    ASSERT_EQ(context->eval(context.get(), &code, &retval, &exception), 1);
    Value result(retval);
    EXPECT_EQ(exception, nullptr);
    EXPECT_EQ(result->get_int_value(result.get()), 42);
    Value global(context->get_global(context.get()));
    EXPECT_EQ(context->exit(context.get()), 1);

    devengine::script_values::ReleaseDocument(context.get());
    EXPECT_FALSE(context->is_valid(context.get()));
    EXPECT_FALSE(global->is_valid(global.get()));
    EXPECT_EQ(context->get_browser(context.get()), nullptr);
  }
  EXPECT_TRUE(browser.AllGivenBack());
  EXPECT_TRUE(frame.AllGivenBack());
}

TEST(DocumentContextTest, RunsRegisteredExtensionsWithTheirNativeFunctions) {
  HandlerRecord record;
  record.handler.answer = [](size_t count, cef_v8value_t* const* arguments, cef_v8value_t** retval,
                             cef_string_t*) {
    if (count != 1) return 0;
    *retval = cef_v8value_create_int(arguments[0]->get_int_value(arguments[0]) * 2);
    return 1;
  };
  const cef_string_t name = Literal(L"test/twice");
  const cef_string_t code = Literal(
      L"var twice = {}; (function () { native function double(n); twice.of = double; })();"
      // A declaration in a function that runs only when page script calls it.
      L"twice.later = function (n) { native function double(n); return double(n); };");
  ASSERT_EQ(cef_register_extension(&name, &code, record.record.Handed()), 1);
  EXPECT_EQ(cef_register_extension(&name, &code, record.record.Handed()), 0);
  {
    Held<cef_v8context_t> context(devengine::script_values::NewDocumentContext(nullptr, nullptr));
    const cef_string_t use = Literal(
        L"[twice.of(21), twice.later(5), typeof twice.of(), typeof $extensionNative0]"
        L".join(' ')");
    cef_v8value_t* retval = nullptr;
    cef_v8exception_t* exception = nullptr;
    ASSERT_EQ(context->eval(context.get(), &use, &retval, &exception), 1)
        << TakeText(exception->get_message(exception));
    Value result(retval);
    EXPECT_EQ(TakeText(result->get_string_value(result.get())), L"42 10 undefined undefined");
    devengine::script_values::ReleaseDocument(context.get());
  }
}

}  // namespace
