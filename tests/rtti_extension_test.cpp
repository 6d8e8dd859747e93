// Script extensions from native classes, at the handler: the test plays the
// script engine with small value records of its own and calls the extension's
// execute entry as the engine does for a native function.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "cef_rtti_builders.h"
#include "cef_rtti_extension.h"
#include "engine_fixture.h"
#include "test_extension.h"

namespace {

// ---- A script engine small enough to read ---------------------------------------------

struct TFakeValue : cef_v8value_t {
  enum class TKind { Undefined, Null, Bool, Number, String, Object, Array, Function };
  enum class TBuiltin { None, DefineGetter, DefineSetter };

  TKind Kind;
  double Number = 0;  // numbers, and Booleans as 0 or 1
  ustring Text;       // strings, and a function's name
  std::vector<std::pair<ustring, TFakeValue*>> Keys;
  std::vector<TFakeValue*> Items;
  TFakeValue* UserData = nullptr;
  cef_v8handler_t* Handler = nullptr;  // a native function's, with the reference it was given
  TBuiltin Builtin = TBuiltin::None;
  std::map<ustring, TFakeValue*> Getters, Setters;  // accessor properties

  explicit TFakeValue(TKind kind);
  TFakeValue(const TFakeValue&) = delete;
  TFakeValue& operator=(const TFakeValue&) = delete;

  bool IsNumber() const { return Kind == TKind::Number; }
  bool IsInt32() const { return IsNumber() && Number == static_cast<int32_t>(Number); }
  TFakeValue* Key(const ustring& key) const {
    for (const auto& [name, value] : Keys)
      if (name == key) return value;
    return nullptr;
  }
  // What script would show of the value.
  ustring Shown() const;

  template <class T>
  static TFakeValue* Of(T* record) {
    return static_cast<TFakeValue*>(reinterpret_cast<cef_v8value_t*>(record));
  }
};

// Owns every value of a test; values are never freed before it goes, whatever
// their counts say.
class TFakeScript {
 public:
  using TKind = TFakeValue::TKind;
  ~TFakeScript() {
    for (TFakeValue& value : FValues)
      if (value.Handler) value.Handler->base.release(&value.Handler->base);
  }
  TFakeValue* Make(TKind kind) { return &FValues.emplace_back(kind); }
  TFakeValue* Number(double number) {
    TFakeValue* value = Make(TKind::Number);
    value->Number = number;
    return value;
  }
  TFakeValue* Bool(bool b) {
    TFakeValue* value = Make(TKind::Bool);
    value->Number = b;
    return value;
  }
  TFakeValue* String(const ustring& text) {
    TFakeValue* value = Make(TKind::String);
    value->Text = text;
    return value;
  }
  TFakeValue* Array(std::vector<TFakeValue*> items) {
    TFakeValue* value = Make(TKind::Array);
    value->Items = std::move(items);
    return value;
  }
  TFakeValue* Object(std::vector<std::pair<ustring, TFakeValue*>> keys = {}) {
    TFakeValue* value = Make(TKind::Object);
    value->Keys = std::move(keys);
    return value;
  }

 private:
  std::deque<TFakeValue> FValues;
};

TFakeScript* Script = nullptr;

cef_v8value_t* Handed(TFakeValue* value) { return value; }
ustring TextOf(const cef_string_t* text) { return CefStringToUstring(text); }
cef_string_userfree_t UserFree(const ustring& text) {
  cef_string_userfree_t result = CefApi.cef_string_userfree_utf16_alloc();
  CefApi.cef_string_utf16_set(text.c_str(), text.size(), result, 1);
  return result;
}

ustring TFakeValue::Shown() const {
  switch (Kind) {
    case TKind::Undefined:
      return L"undefined";
    case TKind::Null:
      return L"null";
    case TKind::Bool:
      return Number ? L"true" : L"false";
    case TKind::Number: {
      wchar_t text[32];
      swprintf(text, 32, L"%.15g", Number);
      return text;
    }
    case TKind::String:
      return Text;
    default:
      return L"[object]";
  }
}

using TKind = TFakeValue::TKind;

TFakeValue::TFakeValue(TKind kind) : cef_v8value_t{}, Kind(kind) {
  base.size = sizeof(cef_v8value_t);
  base.add_ref = [](cef_base_t*) CEF_CALLBACK { return 2; };
  base.release = [](cef_base_t*) CEF_CALLBACK { return 1; };
  base.get_refct = [](cef_base_t*) CEF_CALLBACK { return 1; };
  is_valid = [](cef_v8value_t*) CEF_CALLBACK { return 1; };
  is_undefined = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::Undefined}; };
  is_null = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::Null}; };
  is_bool = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::Bool}; };
  is_int = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->IsInt32()}; };
  is_uint = [](cef_v8value_t* s) CEF_CALLBACK {
    const TFakeValue* v = Of(s);
    return int{v->IsNumber() && v->Number >= 0 && v->Number == static_cast<uint32_t>(v->Number)};
  };
  is_double = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->IsNumber()}; };
  is_date = [](cef_v8value_t*) CEF_CALLBACK { return 0; };
  is_string = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::String}; };
  is_object = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind >= TKind::Object}; };
  is_array = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::Array}; };
  is_function = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Kind == TKind::Function}; };
  is_same = [](cef_v8value_t* s, cef_v8value_t* that) CEF_CALLBACK { return int{s == that}; };
  get_bool_value = [](cef_v8value_t* s) CEF_CALLBACK { return int{Of(s)->Number != 0}; };
  get_int_value = [](cef_v8value_t* s) CEF_CALLBACK { return static_cast<int32_t>(Of(s)->Number); };
  get_uint_value = [](cef_v8value_t* s)
                       CEF_CALLBACK { return static_cast<uint32_t>(Of(s)->Number); };
  get_double_value = [](cef_v8value_t* s) CEF_CALLBACK { return Of(s)->Number; };
  get_string_value = [](cef_v8value_t* s) CEF_CALLBACK { return UserFree(Of(s)->Shown()); };
  get_value_bykey = [](cef_v8value_t* s, const cef_string_t* key) CEF_CALLBACK {
    const ustring name = TextOf(key);
    TFakeValue* found = Of(s)->Key(name);
    if (!found && (name == L"__defineGetter__" || name == L"__defineSetter__")) {
      found = Script->Make(TKind::Function);
      found->Builtin =
          name == L"__defineGetter__" ? TBuiltin::DefineGetter : TBuiltin::DefineSetter;
    }
    return Handed(found ? found : Script->Make(TKind::Undefined));
  };
  set_value_bykey = [](cef_v8value_t* s, const cef_string_t* key, cef_v8value_t* value,
                       cef_v8_propertyattribute_t) CEF_CALLBACK {
    auto& keys = Of(s)->Keys;
    const ustring name = TextOf(key);
    std::erase_if(keys, [&](const auto& entry) { return entry.first == name; });
    keys.emplace_back(name, Of(value));
    return 1;
  };
  get_value_byindex = [](cef_v8value_t* s, int index) CEF_CALLBACK {
    const auto& items = Of(s)->Items;
    return Handed(index >= 0 && index < static_cast<int>(items.size())
                      ? items[index]
                      : Script->Make(TKind::Undefined));
  };
  set_value_byindex = [](cef_v8value_t* s, int index, cef_v8value_t* value) CEF_CALLBACK {
    auto& items = Of(s)->Items;
    if (index >= static_cast<int>(items.size())) items.resize(index + 1);
    items[index] = Of(value);
    return 1;
  };
  get_array_length = [](cef_v8value_t* s)
                         CEF_CALLBACK { return static_cast<int>(Of(s)->Items.size()); };
  set_user_data = [](cef_v8value_t* s, cef_v8value_t* data) CEF_CALLBACK {
    Of(s)->UserData = Of(data);
    return 1;
  };
  get_user_data = [](cef_v8value_t* s)
                      CEF_CALLBACK { return static_cast<cef_v8value_t*>(Of(s)->UserData); };
  get_function_name = [](cef_v8value_t* s) CEF_CALLBACK { return UserFree(Of(s)->Text); };
  execute_function = [](cef_v8value_t* s, cef_v8value_t* object, size_t count,
                        cef_v8value_t* const* arguments) CEF_CALLBACK -> cef_v8value_t* {
    const TFakeValue* self = Of(s);
    if (self->Builtin != TBuiltin::None && object && count == 2) {
      auto& accessors =
          self->Builtin == TBuiltin::DefineGetter ? Of(object)->Getters : Of(object)->Setters;
      accessors[Of(arguments[0])->Text] = Of(arguments[1]);
    }
    return Handed(Script->Make(TKind::Undefined));
  };
}

// The engine's creation functions, over the test's values.
cef_v8value_t* CEF_EXPORT_CC NewUndefined() { return Script->Make(TKind::Undefined); }
cef_v8value_t* CEF_EXPORT_CC NewNull() { return Script->Make(TKind::Null); }
cef_v8value_t* CEF_EXPORT_CC NewBool(int value) { return Script->Bool(value); }
cef_v8value_t* CEF_EXPORT_CC NewInt(int32_t value) { return Script->Number(value); }
cef_v8value_t* CEF_EXPORT_CC NewUInt(uint32_t value) { return Script->Number(value); }
cef_v8value_t* CEF_EXPORT_CC NewDouble(double value) { return Script->Number(value); }
cef_v8value_t* CEF_EXPORT_CC NewString(const cef_string_t* text) {
  return Script->String(TextOf(text));
}
cef_v8value_t* CEF_EXPORT_CC NewObject(cef_v8accessor_t*) { return Script->Object(); }
cef_v8value_t* CEF_EXPORT_CC NewArray(int length) {
  return Script->Array(std::vector<TFakeValue*>(length, nullptr));
}
cef_v8value_t* CEF_EXPORT_CC NewFunction(const cef_string_t* name, cef_v8handler_t* handler) {
  TFakeValue* function = Script->Make(TKind::Function);
  function->Text = TextOf(name);
  function->Handler = handler;
  return function;
}

// ---- Native classes under test ----------------------------------------------------------

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
};
const TRttiType* RttiTypeInfo(TTypeTag<TSize>) {
  static const TRttiType* const type =
      TRttiRecordBuilder<TSize>(L"TSize").Field(L"cx", &TSize::cx).Field(L"cy", &TSize::cy).Build();
  return type;
}

// Class functions for the conversions; one object for wrappers of instances.
class TProbe : public TObject {
  NIMBRA_RTTI_CLASS
 public:
  static TProbe* Instance() {
    static TProbe probe;
    return &probe;
  }
  static inline TVariant Kept;

  static int32_t Ranged(TSubrange<0, 10> value) { return value.Value; }
  static int64_t Big(int64_t value) { return value; }
  static int64_t Money(TCurrency amount) { return amount.Value; }
  static void Keep(TVariant value) { Kept = std::move(value); }
  static int32_t PickOne(int32_t) { return 1; }
  static int32_t PickTwo(int32_t, int32_t) { return 2; }
  static int32_t Area(TSize size) { return size.cx * size.cy; }
  static TSize Square(int32_t side) { return {side, side}; }
  static ustring NameOf(TProbe* probe) { return probe->FName; }
  static ustring Fail() { throw EConvertError(L"native failure"); }

  ustring Name() const { return FName; }
  ustring Secret() const { return L"secret"; }
  int32_t GetCount() const { return FCount; }
  void SetCount(int32_t count) { FCount = count; }

  ustring FName = L"probe";
  int32_t FCount = 3;
};

TClass TProbe::ClassInfo() {
  constexpr auto kPrivate = TMemberVisibility::Private;
  static const TClass info = TRttiClassBuilder<TProbe, TObject>(L"TProbe")
                                 .ClassMethod(L"Instance", &TProbe::Instance)
                                 .ClassMethod(L"Ranged", &TProbe::Ranged)
                                 .ClassMethod(L"Big", &TProbe::Big)
                                 .ClassMethod(L"Money", &TProbe::Money)
                                 .ClassMethod(L"Keep", &TProbe::Keep)
                                 .Method(L"Pick", &TProbe::Secret, kPrivate)
                                 .ClassMethod(L"Pick", &TProbe::PickOne)
                                 .ClassMethod(L"Pick", &TProbe::PickTwo)
                                 .ClassMethod(L"Area", &TProbe::Area)
                                 .ClassMethod(L"Square", &TProbe::Square)
                                 .ClassMethod(L"NameOf", &TProbe::NameOf)
                                 .ClassMethod(L"Fail", &TProbe::Fail)
                                 .Method(L"Name", &TProbe::Name)
                                 .Method(L"Secret", &TProbe::Secret, kPrivate)
                                 .Property(L"Count", &TProbe::GetCount, &TProbe::SetCount)
                                 .Field(L"FName", &TProbe::FName)
                                 .Field(L"FCount", &TProbe::FCount, kPrivate)
                                 .Build();
  return info;
}

// ---- The fixture ----------------------------------------------------------------------

struct TCallResult {
  int Answer;
  TFakeValue* Value;
  ustring Exception;
  ustring Shown() const { return Value ? Value->Shown() : L"(no value)"; }
};

class RttiExtensionTest : public EngineLibraryTest {
 protected:
  void SetUp() override {
    EngineLibraryTest::SetUp();
    Script = &FScript;
    CefApi.cef_v8value_create_undefined = ::NewUndefined;
    CefApi.cef_v8value_create_null = ::NewNull;
    CefApi.cef_v8value_create_bool = ::NewBool;
    CefApi.cef_v8value_create_int = ::NewInt;
    CefApi.cef_v8value_create_uint = ::NewUInt;
    CefApi.cef_v8value_create_double = ::NewDouble;
    CefApi.cef_v8value_create_string = ::NewString;
    CefApi.cef_v8value_create_object = ::NewObject;
    CefApi.cef_v8value_create_array = ::NewArray;
    CefApi.cef_v8value_create_function = ::NewFunction;
  }

  // An extension holding `value`, as the engine holds it.
  cef_v8handler_t* Extension(const TValue& value) {
    FExtension = CefNew<TCefRTTIExtension>(value);
    return static_cast<cef_v8handler_t*>(CefRecordOf(FExtension));
  }

  // The engine's call of a native function.
  static TCallResult Execute(cef_v8handler_t* handler, TFakeValue* receiver, const ustring& name,
                             const std::vector<TFakeValue*>& arguments = {}) {
    const cef_string_t nameView = CefStringView(name);
    std::vector<cef_v8value_t*> records(arguments.begin(), arguments.end());
    cef_v8value_t* retval = nullptr;
    cef_string_t exception{};
    const int answer =
        handler->execute(handler, &nameView, receiver, records.size(),
                         records.empty() ? nullptr : records.data(), &retval, &exception);
    return {answer, TFakeValue::Of(retval), CefStringTakeCleared(exception)};
  }
  // Script's call of `object.function(arguments)`.
  static TCallResult CallMember(TFakeValue* object, const ustring& function,
                                const std::vector<TFakeValue*>& arguments = {}) {
    const TFakeValue* native = object->Key(function);
    EXPECT_TRUE(native && native->Handler) << "no function " << WideToUtf8(function);
    if (!native || !native->Handler) return {0, nullptr, L""};
    return Execute(native->Handler, object, native->Text, arguments);
  }
  // Reading the registered global: its getter called on the global object.
  TFakeValue* ReadGlobal(cef_v8handler_t* extension) {
    const TCallResult read = Execute(extension, FGlobal, L"$g");
    EXPECT_EQ(read.Answer, -1);
    return read.Value;
  }

  TFakeScript FScript;
  TFakeValue* FGlobal = FScript.Object();  // a context's global: no user data
  TInterfacePtr<TCefRTTIExtension> FExtension;
};

// A class held as a reference to any class, as the shell registers one.
TValue ClassValue(TClass cls) { return TValue::From(TClassRef<TObject>{cls}); }

// ---- Tests ------------------------------------------------------------------------------

TEST_F(RttiExtensionTest, TheGlobalGivesANewClassWrapperOnEveryRead) {
  cef_v8handler_t* extension = Extension(ClassValue(TTestExtension::ClassInfo()));
  TFakeValue* first = ReadGlobal(extension);
  TFakeValue* second = ReadGlobal(extension);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second) << "app === app is false";

  // A class wrapper records the class-reference type and the class itself.
  ASSERT_TRUE(first->UserData);
  ASSERT_EQ(first->UserData->Items.size(), 2u);
  EXPECT_EQ(first->UserData->Items[0]->Number,
            TTestExtension::ClassInfo()->MetaclassType()->Identity());
  EXPECT_EQ(first->UserData->Items[1]->Number, TTestExtension::ClassInfo()->Identity());

  const TCallResult hello = CallMember(first, L"hello");
  EXPECT_EQ(hello.Answer, -1);
  EXPECT_EQ(hello.Shown(), L"Hello from Quarn");
  const TCallResult extra = CallMember(second, L"hello", {FScript.Number(1)});
  EXPECT_EQ(extra.Answer, 0) << "one argument against no parameters";
  EXPECT_EQ(extra.Value, nullptr);
}

TEST_F(RttiExtensionTest, AssigningTheGlobalKeepsAValueThatDoesNotConvert) {
  cef_v8handler_t* extension = Extension(ClassValue(TTestExtension::ClassInfo()));
  const TCallResult assigned = Execute(extension, FGlobal, L"$s", {FScript.Number(5)});
  EXPECT_EQ(assigned.Answer, -1) << "handled, so script sees no error";
  EXPECT_EQ(assigned.Exception, L"");
  EXPECT_EQ(CallMember(ReadGlobal(extension), L"hello").Shown(), L"Hello from Quarn");

  // A class that converts replaces the value.
  const TCallResult replaced =
      Execute(extension, FGlobal, L"$s", {ReadGlobal(Extension(ClassValue(TProbe::ClassInfo())))});
  EXPECT_EQ(replaced.Answer, -1);
  EXPECT_TRUE(ReadGlobal(extension)->Key(L"Ranged"));

  EXPECT_EQ(Execute(extension, FGlobal, L"$s").Answer, 0) << "no argument";
  EXPECT_EQ(Execute(extension, FGlobal, L"hello").Answer, 0) << "no wrapper receives it";
  EXPECT_EQ(Execute(extension, nullptr, L"$g").Answer, 0) << "no receiver";
}

TEST_F(RttiExtensionTest, ArgumentsAndResultsConvertByTheirDeclaredTypes) {
  TFakeValue* probe = ReadGlobal(Extension(ClassValue(TProbe::ClassInfo())));
  ASSERT_TRUE(probe);
  TFakeScript& s = FScript;
  TFakeValue* cyclic = s.Array({});
  cyclic->Items.push_back(cyclic);
  struct TCase {
    const wchar_t* Function;
    std::vector<TFakeValue*> Arguments;
    int Answer;
    const wchar_t* Shown;
  };
  const TCase cases[] = {
      {L"Ranged", {s.Number(10)}, -1, L"10"},
      {L"Ranged", {s.Number(11)}, 0, L"(no value)"},
      {L"Ranged", {s.Number(-1)}, 0, L"(no value)"},
      {L"Ranged", {s.Bool(true)}, -1, L"1"},
      {L"Ranged", {s.Number(2.5)}, 0, L"(no value)"},
      {L"Ranged", {s.String(L"5")}, 0, L"(no value)"},
      {L"Big", {s.String(L"123")}, -1, L"123"},
      {L"Big", {s.String(L"-42")}, -1, L"-42"},
      {L"Money", {s.Number(1.23456)}, -1, L"12346"},
      {L"Money", {s.Number(7)}, -1, L"70000"},
      {L"Money", {s.String(L"1")}, 0, L"(no value)"},
      {L"Keep", {cyclic}, 0, L"(no value)"},
      {L"Pick", {s.Number(4)}, -1, L"1"},
      {L"Pick", {s.Number(4), s.Number(5)}, 0, L"(no value)"},
      {L"Area", {s.Object({{L"cx", s.Number(2)}, {L"cy", s.Number(3)}})}, -1, L"6"},
      {L"Area", {s.Object({{L"cx", s.Number(2)}})}, 0, L"(no value)"},
      {L"NameOf", {s.Object()}, 0, L"(no value)"},
      {L"NameOf", {probe}, 0, L"(no value)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.Function) + " given " +
                 (c.Arguments.empty() ? "nothing" : WideToUtf8(c.Arguments[0]->Shown())));
    const TCallResult call = CallMember(probe, c.Function, c.Arguments);
    EXPECT_EQ(call.Answer, c.Answer);
    EXPECT_EQ(call.Shown(), c.Shown);
    EXPECT_EQ(call.Exception, L"");
  }

  const TFakeValue* square = CallMember(probe, L"Square", {s.Number(4)}).Value;
  ASSERT_TRUE(square && square->Key(L"cx") && square->Key(L"cy"));
  EXPECT_EQ(square->Key(L"cx")->Number + square->Key(L"cy")->Number, 8);
}

TEST_F(RttiExtensionTest, AVariantArgumentKeepsTheNestingOfScriptArrays) {
  TFakeValue* probe = ReadGlobal(Extension(ClassValue(TProbe::ClassInfo())));
  TFakeScript& s = FScript;
  TFakeValue* argument = s.Array({s.Number(1), s.String(L"a"), s.Array({s.Bool(true)})});
  ASSERT_EQ(CallMember(probe, L"Keep", {argument}).Answer, -1);
  const TVariant expected(TVariant::TArray{TVariant(int32_t{1}), TVariant(ustring(L"a")),
                                           TVariant(TVariant::TArray{TVariant(true)})});
  EXPECT_EQ(TProbe::Kept, expected);
  EXPECT_EQ(TProbe::Kept.AsArray()[0].VarType(), TVarType::Integer);
}

TEST_F(RttiExtensionTest, ErrorsOfConversionsAndMethodsReachScriptAsExceptions) {
  TFakeValue* probe = ReadGlobal(Extension(ClassValue(TProbe::ClassInfo())));
  const std::pair<const wchar_t*, std::vector<TFakeValue*>> calls[] = {
      {L"Big", {FScript.String(L"12x")}},
      {L"Fail", {}},
  };
  const wchar_t* const messages[] = {L"'12x' is not a valid integer value", L"native failure"};
  for (size_t i = 0; i < std::size(calls); ++i) {
    const TCallResult call = CallMember(probe, calls[i].first, calls[i].second);
    EXPECT_EQ(call.Answer, -1);
    EXPECT_EQ(call.Value, nullptr);
    EXPECT_EQ(call.Exception, messages[i]);
  }
}

TEST_F(RttiExtensionTest, ObjectWrappersOfferPublicMembersOnly) {
  TProbe& native = *TProbe::Instance();
  native.FCount = 3;
  cef_v8handler_t* extension = Extension(ClassValue(TProbe::ClassInfo()));
  TFakeValue* object = CallMember(ReadGlobal(extension), L"Instance").Value;
  ASSERT_TRUE(object && object->UserData);
  EXPECT_EQ(object->UserData->Items[0]->Number, TProbe::ClassInfo()->Identity());
  EXPECT_TRUE(object->Key(L"Name") && object->Key(L"Ranged"));
  EXPECT_FALSE(object->Key(L"Secret"));
  EXPECT_EQ(object->Getters.count(L"Count") + object->Setters.count(L"Count"), 2u);
  EXPECT_EQ(object->Getters.count(L"FName") + object->Setters.count(L"FName"), 2u);
  EXPECT_EQ(object->Getters.count(L"FCount") + object->Setters.count(L"FCount"), 0u);

  EXPECT_EQ(CallMember(object, L"Name").Shown(), L"probe");
  EXPECT_EQ(Execute(object->Getters[L"Count"]->Handler, object, L"$pgCount").Shown(), L"3");
  EXPECT_EQ(Execute(extension, object, L"$psCount", {FScript.Number(7)}).Answer, -1);
  EXPECT_EQ(native.FCount, 7);
  EXPECT_EQ(Execute(extension, object, L"$vsFName", {FScript.String(L"renamed")}).Answer, -1);
  EXPECT_EQ(Execute(extension, object, L"$vgFName").Shown(), L"renamed");
  EXPECT_EQ(CallMember(ReadGlobal(extension), L"NameOf", {object}).Shown(), L"renamed");
  native.FName = L"probe";

  const std::pair<const wchar_t*, std::vector<TFakeValue*>> refused[] = {
      {L"$psCount", {}},                      // a setter without its value
      {L"$psCount", {FScript.String(L"7")}},  // a value that does not convert
      {L"$vgFCount", {}},                     // a private field
      {L"Secret", {}},                        // a private method
      {L"$xyName", {}},                       // no accessor prefix
  };
  for (const auto& [name, arguments] : refused)
    EXPECT_EQ(Execute(extension, object, name, arguments).Answer, 0) << WideToUtf8(name);
  EXPECT_EQ(native.FCount, 7);
}

TEST_F(RttiExtensionTest, FunctionsCalledOnAnotherReceiverAreNotHandled) {
  cef_v8handler_t* extension = Extension(ClassValue(TProbe::ClassInfo()));
  TFakeValue* cls = ReadGlobal(extension);
  TFakeValue* object = CallMember(cls, L"Instance").Value;
  ASSERT_TRUE(object);
  struct TCase {
    const char* What;
    TFakeValue* Receiver;
    const wchar_t* Name;
  };
  const TCase cases[] = {
      {"a class function on the global object", FGlobal, L"Instance"},
      {"a method on the global object", FGlobal, L"Name"},
      {"a method on its class", cls, L"Name"},
      {"an accessor on its class", cls, L"$pgCount"},
      {"a function on a plain object", FScript.Object(), L"Instance"},
  };
  for (const TCase& c : cases) {
    const TCallResult call = Execute(extension, c.Receiver, c.Name);
    EXPECT_EQ(call.Answer, 0) << c.What;
    EXPECT_EQ(call.Value, nullptr) << c.What;
  }
}

// What the engine was asked to register.
struct {
  ustring Name, Text;
  cef_v8handler_t* Handler = nullptr;
} Registered;

int CEF_EXPORT_CC RegisterExtension(const cef_string_t* name, const cef_string_t* text,
                                    cef_v8handler_t* handler) {
  Registered = {TextOf(name), TextOf(text), handler};
  return 1;
}

TEST_F(RttiExtensionTest, RegisterHandsTheEngineTheTextAndTheHandler) {
  CefApi.cef_register_extension = RegisterExtension;
  TCefRTTIExtension::Register(L"app", ClassValue(TTestExtension::ClassInfo()));
  EXPECT_EQ(Registered.Name, L"app");
  EXPECT_EQ(Registered.Text,
            L"__defineSetter__('app', function(v){native function $s();$s(v)});"
            L"__defineGetter__('app', function(){native function $g();return $g()});");
  ASSERT_TRUE(Registered.Handler);
  EXPECT_EQ(CallMember(ReadGlobal(Registered.Handler), L"hello").Shown(), L"Hello from Quarn");
  Registered.Handler->base.release(&Registered.Handler->base);

  EXPECT_EQ(TCefRTTIExtension::ExtensionText(L"a'b").substr(0, 24), L"__defineSetter__('a\\'b',");
}

}  // namespace
