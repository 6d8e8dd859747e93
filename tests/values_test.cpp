// Values and script values: the conversions of the wrappers and the two script
// handler bases, against small engine records made by the test.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "cef_utils.h"
#include "cef_values.h"
#include "engine_fixture.h"

namespace {

using ValuesTest = EngineLibraryTest;

// A script value made by the test. It counts its references without ever
// freeing itself, answers its id to get_int_value, keeps a date, and notes what
// execute_function received, releasing the references handed to it as the
// engine would.
struct TFakeValue : cef_v8value_t {
  int Refs = 1;
  int Id = 0;
  cef_time_t Date{};
  struct {
    bool Called = false;
    cef_v8value_t* Object = nullptr;
    size_t Count = 0;
    const void* Array = nullptr;
    std::vector<int> Ids;
    std::vector<int> RefsSeen;  // of each argument, while the engine held it
  } Executed;

  explicit TFakeValue(int id = 0) : cef_v8value_t{}, Id(id) {
    base.size = sizeof(cef_v8value_t);
    base.add_ref = [](cef_base_t* self) CEF_CALLBACK { return ++Of(self)->Refs; };
    base.release = [](cef_base_t* self) CEF_CALLBACK { return --Of(self)->Refs; };
    base.get_refct = [](cef_base_t* self) CEF_CALLBACK { return Of(self)->Refs; };
    get_int_value = [](cef_v8value_t* self) CEF_CALLBACK { return Of(self)->Id; };
    get_date_value = [](cef_v8value_t* self) CEF_CALLBACK { return Of(self)->Date; };
    execute_function = [](cef_v8value_t* self, cef_v8value_t* object, size_t count,
                          cef_v8value_t* const* arguments) CEF_CALLBACK -> cef_v8value_t* {
      auto& seen = Of(self)->Executed;
      seen = {};
      seen.Called = true;
      seen.Object = object;
      seen.Count = count;
      seen.Array = arguments;
      for (size_t i = 0; i < count; ++i) {
        seen.Ids.push_back(Of(arguments[i])->Id);
        seen.RefsSeen.push_back(Of(arguments[i])->Refs);
        Release(arguments[i]);
      }
      if (object) Release(object);
      return nullptr;
    };
  }
  TFakeValue(const TFakeValue&) = delete;
  TFakeValue& operator=(const TFakeValue&) = delete;

  // A reference for a receiver that adopts it (UnWrap, or the engine).
  cef_v8value_t* Handed() {
    ++Refs;
    return this;
  }
  TInterfacePtr<ICefv8Value> Wrapped() { return TCefv8ValueRef::UnWrap(Handed()); }

  template <class T>
  static TFakeValue* Of(T* record) {
    return static_cast<TFakeValue*>(reinterpret_cast<cef_v8value_t*>(record));
  }
  static void Release(cef_v8value_t* record) { record->base.release(&record->base); }
};

// A list made by the test that keeps the one text given to set_string.
struct TFakeList : cef_list_value_t {
  int Index = -1;
  bool ViewBorrowed = false;  // a non-null pointer without destructor
  ustring Stored;

  TFakeList() : cef_list_value_t{} {
    base.size = sizeof(cef_list_value_t);
    set_string = [](cef_list_value_t* self, int index, const cef_string_t* value) CEF_CALLBACK {
      auto* list = static_cast<TFakeList*>(self);
      list->Index = index;
      list->ViewBorrowed = value && value->str && !value->dtor;
      list->Stored = CefStringToUstring(value);
      return 1;
    };
    get_string = [](cef_list_value_t* self, int index) CEF_CALLBACK {
      auto* list = static_cast<TFakeList*>(self);
      cef_string_userfree_t text = CefApi.cef_string_userfree_utf16_alloc();
      if (index == list->Index) {
        CefApi.cef_string_utf16_set(list->Stored.c_str(), list->Stored.size(), text, 1);
      }
      return text;
    };
  }
};

TEST_F(ValuesTest, ListTextsComeBackUnchanged) {
  for (const ustring& text : {ustring(), ustring(L"visitdom"), ustring(L"h\u00e9llo \U0001F600")}) {
    TFakeList record;
    // The wrapper releases its reference; this record has no counting to do.
    const TInterfacePtr<ICefListValue> list = TCefListValueRef::UnWrap(&record);
    EXPECT_TRUE(list->SetString(0, text));
    EXPECT_EQ(record.Index, 0);
    EXPECT_TRUE(record.ViewBorrowed) << "a view, never a null pointer";
    EXPECT_EQ(list->GetString(0), text);
  }
}

TEST_F(ValuesTest, ExecuteFunctionHandsTheEngineOneReferencePerArgument) {
  TFakeValue function, receiver(7), first(1), second(2);
  const TInterfacePtr<ICefv8Value> wrapped = function.Wrapped();

  EXPECT_EQ(wrapped->ExecuteFunction(nullptr, {}), nullptr);
  EXPECT_TRUE(function.Executed.Called);
  EXPECT_EQ(function.Executed.Count, 0u);
  EXPECT_EQ(function.Executed.Array, nullptr) << "no array for no arguments";
  EXPECT_EQ(function.Executed.Object, nullptr);

  {
    const TCefv8ValueArray arguments{first.Wrapped(), second.Wrapped()};
    wrapped->ExecuteFunction(receiver.Wrapped(), arguments);
  }
  EXPECT_EQ(function.Executed.Object, &receiver);
  EXPECT_EQ(function.Executed.Count, 2u);
  EXPECT_EQ(function.Executed.Ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(function.Executed.RefsSeen, (std::vector<int>{3, 3}))
      << "the test's, the caller's wrapper's and the engine's";
  for (const TFakeValue* value : {&receiver, &first, &second}) EXPECT_EQ(value->Refs, 1);
}

// A program function whose behaviour each case supplies.
class TScriptedHandler : public TCefv8HandlerOwn {
 public:
  using TBehaviour = std::function<bool(TInterfacePtr<ICefv8Value>& retval, ustring& exception)>;
  explicit TScriptedHandler(TBehaviour behaviour) : FBehaviour(std::move(behaviour)) {}

  bool Called = false;
  ustring Name;
  int ReceiverId = -1;
  std::vector<int> ArgumentIds;

  bool Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
               const TCefv8ValueArray& arguments, TInterfacePtr<ICefv8Value>& retval,
               ustring& exception) override {
    Called = true;
    Name = name;
    ReceiverId = object ? object->GetIntValue() : -1;
    for (const auto& argument : arguments) ArgumentIds.push_back(argument->GetIntValue());
    return FBehaviour(retval, exception);
  }

 private:
  TBehaviour FBehaviour;
};

TEST_F(ValuesTest, ProgramFunctionAnswersTheEngineThroughItsRecord) {
  TFakeValue result(42);
  struct TCase {
    const char* Name;
    TScriptedHandler::TBehaviour Behaviour;
    bool WithArray;
    int Answer;
    bool GivesResult;
    const wchar_t* Exception;
  };
  const TCase cases[] = {
      {"handled with a value and an exception",
       [&](auto& retval, auto& exception) {
         retval = result.Wrapped();
         exception = L"TypeError: bad \u00e9";
         return true;
       },
       true, -1, true, L"TypeError: bad \u00e9"},
      {"not handled, nothing set", [](auto&, auto&) { return false; }, true, 0, false, L""},
      {"raises after setting a value",
       [&](auto& retval, auto&) -> bool {
         retval = result.Wrapped();
         throw std::runtime_error("conversion failed");
       },
       true, 0, false, L""},
      {"count without an argument array", [](auto&, auto&) { return true; }, false, 0, false, L""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeValue receiver(9), first(1), second(2);
    const TInterfacePtr<TScriptedHandler> handler = CefNew<TScriptedHandler>(c.Behaviour);
    auto* record = static_cast<cef_v8handler_t*>(CefRecordOf(handler));

    const ustring name = L"hello";
    const cef_string_t nameView = CefStringView(name);
    cef_v8value_t* const arguments[] = {first.Handed(), second.Handed()};
    cef_v8value_t* retval = &receiver;  // whatever was there is replaced
    cef_string_t exception{};
    const int answer = record->execute(record, &nameView, receiver.Handed(), 2,
                                       c.WithArray ? arguments : nullptr, &retval, &exception);

    EXPECT_EQ(answer, c.Answer);
    EXPECT_EQ(retval, c.GivesResult ? &result : nullptr);
    EXPECT_EQ(result.Refs, c.GivesResult ? 2 : 1) << "the engine owns the value it received";
    EXPECT_EQ(CefStringTakeCleared(exception), c.Exception);
    EXPECT_EQ(receiver.Refs, 1);
    if (c.WithArray) {
      EXPECT_EQ(handler->Name, name);
      EXPECT_EQ(handler->ReceiverId, 9);
      EXPECT_EQ(handler->ArgumentIds, (std::vector<int>{1, 2}));
      EXPECT_EQ(first.Refs + second.Refs, 2) << "the arguments' references were adopted";
    } else {
      EXPECT_FALSE(handler->Called);
    }
    if (retval) TFakeValue::Release(retval);
    record->base.release(&record->base);
  }
}

TEST_F(ValuesTest, EngineSideFunctionCarriesArgumentsAndAnswersBothWays) {
  TFakeValue result(5), receiver(3), argument(4);
  const auto program = CefNew<TScriptedHandler>([&](auto& retval, auto& exception) {
    retval = result.Wrapped();
    exception = L"thrown";
    return true;
  });
  // The program's own record, reached the way the engine's functions are.
  const TInterfacePtr<ICefv8Handler> engineSide = TCefv8HandlerRef::UnWrap(CefRecordOf(program));

  TInterfacePtr<ICefv8Value> retval;
  ustring exception = L"stale";
  EXPECT_TRUE(
      engineSide->Execute(L"f", receiver.Wrapped(), {argument.Wrapped()}, retval, exception));
  EXPECT_EQ(program->ReceiverId, 3);
  EXPECT_EQ(program->ArgumentIds, (std::vector<int>{4}));
  ASSERT_TRUE(retval);
  EXPECT_EQ(retval->GetIntValue(), 5);
  EXPECT_EQ(exception, L"thrown");
  retval.reset();
  for (const TFakeValue* value : {&result, &receiver, &argument}) EXPECT_EQ(value->Refs, 1);

  const auto declining = CefNew<TCefv8HandlerOwn>();
  const TInterfacePtr<ICefv8Handler> declined = TCefv8HandlerRef::UnWrap(CefRecordOf(declining));
  EXPECT_FALSE(declined->Execute(L"f", nullptr, {}, retval, exception));
  EXPECT_EQ(retval, nullptr);
  EXPECT_EQ(exception, L"");
}

TEST_F(ValuesTest, AccessorValueIsWrittenBackForTheEngine) {
  class TAccessor : public TCefV8AccessorOwn {
   public:
    explicit TAccessor(TFakeValue& value) : FValue(value) {}
    ustring Name, Exception;
    bool Get(const ustring& name, const TInterfacePtr<ICefv8Value>&,
             TInterfacePtr<ICefv8Value>& retval, const ustring& exception) override {
      Name = name;
      Exception = exception;
      retval = FValue.Wrapped();
      return true;
    }

   private:
    TFakeValue& FValue;
  };
  TFakeValue value(8), object(1);
  const ustring name = L"width", pending = L"pending";
  const cef_string_t nameView = CefStringView(name), pendingView = CefStringView(pending);
  cef_string_t exception{};
  cef_v8value_t* retval = nullptr;

  const auto accessor = CefNew<TAccessor>(value);
  auto* record = static_cast<cef_v8accessor_t*>(CefRecordOf(accessor));
  exception = pendingView;
  EXPECT_EQ(record->get(record, &nameView, object.Handed(), &retval, &exception), 1);
  EXPECT_EQ(accessor->Name, name);
  EXPECT_EQ(accessor->Exception, pending);
  EXPECT_EQ(exception.str, pendingView.str) << "read-only to the accessor";
  EXPECT_EQ(retval, &value);
  EXPECT_EQ(value.Refs, 2);
  TFakeValue::Release(retval);
  record->base.release(&record->base);

  const auto plain = CefNew<TCefV8AccessorOwn>();
  auto* plainRecord = static_cast<cef_v8accessor_t*>(CefRecordOf(plain));
  EXPECT_EQ(plainRecord->get(plainRecord, &nameView, object.Handed(), &retval, &exception), 0);
  EXPECT_EQ(retval, nullptr);
  EXPECT_EQ(plainRecord->set(plainRecord, &nameView, object.Handed(), value.Handed(), &exception),
            0);
  EXPECT_EQ(object.Refs + value.Refs, 2);
  plainRecord->base.release(&plainRecord->base);
}

TFakeValue* DateValue = nullptr;
cef_v8value_t* CEF_EXPORT_CC CreateDate(const cef_time_t* date) {
  DateValue->Date = *date;
  return DateValue->Handed();
}

TEST_F(ValuesTest, NewDateSendsTheEngineTimeOfTheLocalDate) {
  TFakeValue date;
  DateValue = &date;
  CefApi.cef_v8value_create_date = CreateDate;
  // 4 March 2012, 05:06:07.089 local time.
  const double local = 40972 + (((5 * 60 + 6) * 60 + 7) * 1000 + 89) / 86400000.0;

  const TInterfacePtr<ICefv8Value> value = TCefv8ValueRef::NewDate(local);
  ASSERT_TRUE(value);
  // Zones move hours, days and (by half hours) minutes, never these.
  EXPECT_EQ(date.Date.year, 2012);
  EXPECT_EQ(date.Date.month, 3);
  EXPECT_EQ(date.Date.second, 7);
  EXPECT_EQ(date.Date.millisecond, 89);
  EXPECT_NEAR(value->GetDateValue(), local, 1e-9) << "universal time read back as local";
}

// Every creation and lookup function answers null, whatever the engine can do.
template <class Fn>
struct TNullExport;
template <class R, class... A>
struct TNullExport<R(CEF_EXPORT_CC*)(A...)> {
  static R CEF_EXPORT_CC Answer(A...) { return {}; }
};

TEST_F(ValuesTest, ClassOperationsGiveNullInterfacesForNullRecords) {
#define NIMBRA_NULL_EXPORT(ret, name, params) CefApi.name = TNullExport<name##_fn>::Answer;
  CEF_EXPORTS_SCRIPT(NIMBRA_NULL_EXPORT)
  CEF_EXPORTS_OBJECTS(NIMBRA_NULL_EXPORT)
#undef NIMBRA_NULL_EXPORT
  const char bytes[] = "abc";
  const std::pair<const char*, std::function<bool()>> cases[] = {
      {"list", [] { return !TCefListValueRef::New(); }},
      {"dictionary", [] { return !TCefDictionaryValueRef::New(); }},
      {"binary", [&] { return !TCefBinaryValueRef::New(bytes, sizeof bytes); }},
      {"message", [] { return !TCefProcessMessageRef::New(L"visitdom"); }},
      {"undefined", [] { return !TCefv8ValueRef::NewUndefined(); }},
      {"null", [] { return !TCefv8ValueRef::NewNull(); }},
      {"bool", [] { return !TCefv8ValueRef::NewBool(true); }},
      {"int", [] { return !TCefv8ValueRef::NewInt(-1); }},
      {"uint", [] { return !TCefv8ValueRef::NewUInt(1); }},
      {"double", [] { return !TCefv8ValueRef::NewDouble(0.5); }},
      {"date", [] { return !TCefv8ValueRef::NewDate(40972.5); }},
      {"string", [] { return !TCefv8ValueRef::NewString(L""); }},
      {"object", [] { return !TCefv8ValueRef::NewObject(nullptr); }},
      {"array", [] { return !TCefv8ValueRef::NewArray(2); }},
      {"function", [] { return !TCefv8ValueRef::NewFunction(L"hello", nullptr); }},
      {"current context", [] { return !TCefv8ContextRef::Current(); }},
      {"entered context", [] { return !TCefv8ContextRef::Entered(); }},
      {"stack trace", [] { return !TCefV8StackTraceRef::Current(10); }},
  };
  for (const auto& [name, givesNull] : cases) EXPECT_TRUE(givesNull()) << name;
}

}  // namespace
