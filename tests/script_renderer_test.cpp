// Values, process messages, script values and script extensions through the
// binding, in a real renderer process. The executable is also that renderer:
// started by the engine with --type=renderer, it hands the engine a
// render-process handler that registers an extension of a probe class, binds
// native functions in every new context, and answers the browser's messages
// by evaluating script or checking values in the renderer. The browser side
// drives a TChromium in a plain form and waits for the answers.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "application.h"
#include "cef_api.h"
#include "cef_loader.h"
#include "cef_rtti_builders.h"
#include "cef_rtti_extension.h"
#include "cef_wrappers.h"
#include "chromium.h"
#include "test_support.h"

namespace {

using PValue = TInterfacePtr<ICefv8Value>;
using PMessage = TInterfacePtr<ICefProcessMessage>;
using V8 = TCefv8ValueRef;

std::wstring ThisExecutable() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

PMessage NewMessage(const ustring& name, const ustring& text) {
  PMessage message = TCefProcessMessageRef::New(name);
  message->GetArgumentList()->SetString(0, text);
  return message;
}

// ---- The renderer's side ---------------------------------------------------------------

// Reached from page script as the global "probe". Each call records what the
// native code received, so that script can tell a call that ran from one
// that was refused before it.
class TProbe : public TObject {
  NIMBRA_RTTI_CLASS
 public:
  static inline ustring Received = L"nothing";

  static ustring Hello() { return L"Hello from the probe"; }
  static void Ranged(TSubrange<0, 10> value) { Received = L"ranged " + Number(value.Value); }
  static void Big(int64_t value) { Received = L"big " + Number(value); }
  static void Money(TCurrency amount) { Received = L"money " + Number(amount.Value); }
  static void Keep(TVariant value) { Received = L"variant " + Shown(value); }
  static void PickOne(int32_t) { Received = L"pick one"; }
  static void PickTwo(int32_t, int32_t) { Received = L"pick two"; }
  // What the last call received, forgotten once read.
  static ustring Taken() { return std::exchange(Received, L"nothing"); }
  static TProbe* Instance() {
    static TProbe probe;
    return &probe;
  }

  ustring Name() const { return L"the probe object"; }
  int32_t GetCount() const { return FCount; }
  void SetCount(int32_t count) { FCount = count; }

 private:
  static ustring Number(int64_t value) { return std::to_wstring(value); }
  static ustring Shown(const TVariant& value) {
    switch (value.VarType()) {
      case TVarType::Integer:
        return L"integer " + Number(value.AsInt64());
      case TVarType::UString:
        return L"text " + value.AsUString();
      case TVarType::Boolean:
        return value.AsBoolean() ? L"boolean true" : L"boolean false";
      case TVarType::Array: {
        ustring items;
        for (const TVariant& item : value.AsArray())
          items += (items.empty() ? L"" : L", ") + Shown(item);
        return L"[" + items + L"]";
      }
      default:
        return L"other";
    }
  }

  int32_t FCount = 3;
};

TClass TProbe::ClassInfo() {
  static const TClass info = TRttiClassBuilder<TProbe, TObject>(L"TProbe")
                                 .ClassMethod(L"Hello", &TProbe::Hello)
                                 .ClassMethod(L"Ranged", &TProbe::Ranged)
                                 .ClassMethod(L"Big", &TProbe::Big)
                                 .ClassMethod(L"Money", &TProbe::Money)
                                 .ClassMethod(L"Keep", &TProbe::Keep)
                                 .ClassMethod(L"Pick", &TProbe::PickOne)
                                 .ClassMethod(L"Pick", &TProbe::PickTwo)
                                 .ClassMethod(L"Taken", &TProbe::Taken)
                                 .ClassMethod(L"Instance", &TProbe::Instance)
                                 .Method(L"Name", &TProbe::Name)
                                 .Property(L"Count", &TProbe::GetCount, &TProbe::SetCount)
                                 .Build();
  return info;
}

// Native functions bound as globals of every new context, one per way a
// handler may answer.
class TScriptNatives : public TCefv8HandlerOwn {
 public:
  using TNative = bool (*)(const TCefv8ValueArray& arguments, PValue& retval, ustring& exception);
  static constexpr std::pair<const wchar_t*, TNative> Natives[] = {
      {L"raise",
       [](const TCefv8ValueArray&, PValue&, ustring& exception) {
         exception = L"raised in native";
         return true;
       }},
      {L"give",
       [](const TCefv8ValueArray& arguments, PValue& retval, ustring&) {
         retval = V8::NewString(L"given " + std::to_wstring(arguments.size()));
         return true;
       }},
      {L"neither", [](const TCefv8ValueArray&, PValue&, ustring&) { return true; }},
      {L"refuse", [](const TCefv8ValueArray&, PValue&, ustring&) { return false; }},
      // Calls its function argument with no receiver and no arguments.
      {L"callBare",
       [](const TCefv8ValueArray& arguments, PValue& retval, ustring&) {
         if (arguments.size() != 1 || !arguments[0]->IsFunction()) return false;
         retval = arguments[0]->ExecuteFunction(nullptr, {});
         return true;
       }},
  };

  bool Execute(const ustring& name, const PValue&, const TCefv8ValueArray& arguments,
               PValue& retval, ustring& exception) override {
    for (const auto& [native, run] : Natives)
      if (name == native) return run(arguments, retval, exception);
    return false;
  }
};

// What script would show of a value, for the answer to the browser.
ustring ShownInScript(const PValue& value) {
  if (value->IsUndefined()) return L"undefined";
  if (value->IsNull()) return L"null";
  if (value->IsBool()) return value->GetBoolValue() ? L"true" : L"false";
  if (value->IsInt()) return std::to_wstring(value->GetIntValue());
  if (value->IsDouble()) {
    wchar_t text[32];
    swprintf(text, 32, L"%.15g", value->GetDoubleValue());
    return text;
  }
  if (value->IsString()) return value->GetStringValue();
  return value->IsFunction() ? L"function" : L"object";
}

// Keeps a context entered for a scope, so that values can be made in it.
class TEnteredContext {
 public:
  explicit TEnteredContext(TInterfacePtr<ICefv8Context> context) : FContext(std::move(context)) {
    FEntered = FContext && FContext->Enter();
  }
  ~TEnteredContext() {
    if (FEntered) FContext->Exit();
  }
  TEnteredContext(const TEnteredContext&) = delete;
  TEnteredContext& operator=(const TEnteredContext&) = delete;
  bool Entered() const { return FEntered; }

 private:
  TInterfacePtr<ICefv8Context> FContext;
  bool FEntered = false;
};

class TTestRenderer : public TCefRenderProcessHandlerOwn {
 public:
  // What a "texts" answer carries, by index.
  enum TKept { kName, kFromList, kFromDictionary, kListType, kList, kDictionary };

  void OnWebKitInitialized() override {
    TCefRTTIExtension::Register(L"probe", TValue::From(TClassRef<TObject>{TProbe::ClassInfo()}));
  }

  void OnContextCreated(PBrowser, PFrame, PContext context) override {
    const TEnteredContext entered(context);
    const PValue global = context->GetGlobal();
    const TInterfacePtr<ICefv8Handler> natives = CefNew<TScriptNatives>();
    for (const auto& [name, run] : TScriptNatives::Natives)
      global->SetValueByKey(name, V8::NewFunction(name, natives), V8_PROPERTY_ATTRIBUTE_NONE);
  }

  bool OnProcessMessageReceived(PBrowser browser, TCefProcessId, const PMessage& message) override {
    const ustring name = message->GetName();
    const TInterfacePtr<ICefListValue> arguments = message->GetArgumentList();
    PMessage answer;
    if (name == L"eval")
      answer = NewMessage(L"result", Evaluated(browser, arguments->GetString(0)));
    else if (name == L"date")
      answer = DateReadBack(browser, arguments->GetDouble(0));
    else
      answer = TextsKept(name, arguments->GetString(0));
    return browser->SendProcessMessage(PID_BROWSER, answer);
  }

 private:
  static ustring Evaluated(const PBrowser& browser, const ustring& code) {
    const PContext context = browser->GetMainFrame()->GetV8context();
    if (!context) return L"no context";
    PValue result;
    TInterfacePtr<ICefV8Exception> exception;
    if (context->Eval(code, result, exception) && result) return ShownInScript(result);
    return L"exception: " + (exception ? exception->GetMessage() : ustring(L"none given"));
  }

  // Answers whether the value made of `date` is a date, the date it reads
  // back as, and the universal time script sees in it (milliseconds since
  // 1970).
  static PMessage DateReadBack(const PBrowser& browser, double date) {
    PMessage answer = TCefProcessMessageRef::New(L"date");
    const TInterfacePtr<ICefListValue> list = answer->GetArgumentList();
    const PContext context = browser->GetMainFrame()->GetV8context();
    const TEnteredContext entered(context);
    const PValue value = entered.Entered() ? V8::NewDate(date) : nullptr;
    list->SetBool(0, value && value->IsDate());
    list->SetDouble(1, value ? value->GetDateValue() : -1);
    PValue seen;
    TInterfacePtr<ICefV8Exception> exception;
    if (value && context->GetGlobal()->SetValueByKey(L"made", value, V8_PROPERTY_ATTRIBUTE_NONE) &&
        context->Eval(L"made.getTime()", seen, exception) && seen)
      list->SetDouble(2, seen->GetDoubleValue());
    return answer;
  }

  // Keeps `text` in a new list and a new dictionary, reads it back from both
  // and sends both along.
  static PMessage TextsKept(const ustring& name, const ustring& text) {
    const TInterfacePtr<ICefListValue> list = TCefListValueRef::New();
    const TInterfacePtr<ICefDictionaryValue> dictionary = TCefDictionaryValueRef::New();
    list->SetString(0, text);
    dictionary->SetString(L"kept", text);
    PMessage answer = TCefProcessMessageRef::New(L"texts");
    const TInterfacePtr<ICefListValue> kept = answer->GetArgumentList();
    kept->SetString(kName, name);
    kept->SetString(kFromList, list->GetString(0));
    kept->SetString(kFromDictionary, dictionary->GetString(L"kept"));
    kept->SetInt(kListType, list->GetType(0));
    kept->SetList(kList, list);
    kept->SetDictionary(kDictionary, dictionary);
    return answer;
  }
};

bool StartedAsRenderer() { return std::wcsstr(GetCommandLineW(), L"--type=") != nullptr; }

// The binding's module start and end, around the renderer's life.
int RunRenderer() {
  CeflibInitialization();
  EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
  EngineSettings.BrowserSubprocessPath = ThisExecutable();
  EngineSettings.SingleProcess = false;
  EngineSettings.RenderProcessHandler = CefNew<TTestRenderer>();
  int exitCode = 0;
  try {
    exitCode = LoadEngine() ? 1 : 0;  // a renderer never becomes a browser process
  } catch (...) {
    exitCode = 2;
  }
  CeflibFinalization();
  return exitCode;
}

// ---- The browser's side ----------------------------------------------------------------

class TPlainForm : public TForm {
 public:
  TPlainForm() { CreateForm(L"Nimbra script renderer", 400, 300); }
  using TWinControl::Loaded;
};

class ScriptRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CeflibInitialization();
    EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
    EngineSettings.BrowserSubprocessPath = ThisExecutable();
    EngineSettings.SingleProcess = false;
    ASSERT_TRUE(LoadEngine());
    FControl = std::make_unique<TChromium>(&FForm);
    FControl->SetAlign(TAlign::alClient);
    FControl->SetDefaultUrl(L"data:text/html,<title>script</title><p>probe page</p>");
    FControl->SetOnLoadingStateChange([this](TCustomChromium&, PBrowser, bool loading, bool, bool) {
      if (!loading) ++FLoaded;
    });
    FControl->SetOnProcessMessageReceived([this](TCustomChromium&, PBrowser, TCefProcessId source,
                                                 const PMessage& message, bool& handled) {
      EXPECT_EQ(source, PID_RENDERER);
      FAnswers.push_back(message);
      handled = true;
    });
    FForm.Loaded();
    ASSERT_NE(FControl->Browser(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return FLoaded > 0; })) << "the page never loaded";
  }

  void TearDown() override {
    // Answers are engine records: they go before the engine does.
    FAnswers.clear();
    FControl.reset();
    CeflibFinalization();
  }

  static bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 15000) {
    return WaitUntil(
        [&] {
          Application.ProcessMessages();
          return done();
        },
        milliseconds);
  }

  // Sends `message` to the renderer and waits for its one answer.
  PMessage Ask(const PMessage& message) {
    FAnswers.clear();
    EXPECT_TRUE(FControl->Browser()->SendProcessMessage(PID_RENDERER, message));
    if (!PumpUntil([&] { return !FAnswers.empty(); })) return nullptr;
    return FAnswers.front();
  }

  // What the main frame's script makes of `code`, as the renderer shows it.
  std::wstring Eval(const std::wstring& code) {
    const PMessage answer = Ask(NewMessage(L"eval", code));
    if (!answer) return L"(no answer)";
    EXPECT_EQ(answer->GetName(), L"result");
    return answer->GetArgumentList()->GetString(0);
  }

  struct TScriptCase {
    const wchar_t* Script;
    const wchar_t* Expected;
  };
  void ExpectEvaluated(const std::vector<TScriptCase>& cases) {
    for (const TScriptCase& c : cases)
      EXPECT_EQ(Eval(c.Script), c.Expected) << WideToUtf8(c.Script);
  }

  TPlainForm FForm;
  std::unique_ptr<TChromium> FControl;
  int FLoaded = 0;
  std::vector<PMessage> FAnswers;
};

TEST_F(ScriptRendererTest, ANameAndItsTextCrossBothWaysThroughNewListsAndDictionaries) {
  const std::pair<const wchar_t*, std::wstring> sent[] = {
      {L"texts", L""},
      {L"texts", L"plain"},
      {L"caf\u00e9", L"caf\u00e9 \U0001F600 \u2028"},
      {L"texts", std::wstring(5000, L'x')},
  };
  using K = TTestRenderer::TKept;
  for (const auto& [name, text] : sent) {
    SCOPED_TRACE(WideToUtf8(name) + " " + WideToUtf8(text.substr(0, 20)));
    const PMessage answer = Ask(NewMessage(name, text));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->GetName(), L"texts");
    EXPECT_TRUE(answer->IsReadOnly()) << "a message that arrived";
    const TInterfacePtr<ICefListValue> kept = answer->GetArgumentList();
    EXPECT_EQ(kept->GetString(K::kName), name);
    EXPECT_EQ(kept->GetString(K::kFromList), text);
    EXPECT_EQ(kept->GetString(K::kFromDictionary), text);
    EXPECT_EQ(kept->GetInt(K::kListType), VTYPE_STRING) << "the empty text is a text";
    const TInterfacePtr<ICefListValue> list = kept->GetList(K::kList);
    const TInterfacePtr<ICefDictionaryValue> dictionary = kept->GetDictionary(K::kDictionary);
    ASSERT_TRUE(list && dictionary);
    EXPECT_EQ(list->GetSize(), 1u);
    EXPECT_EQ(list->GetString(0), text);
    EXPECT_EQ(dictionary->GetSize(), 1u);
    EXPECT_EQ(dictionary->GetString(L"kept"), text);
  }
}

// Milliseconds since 1970 of the universal time of the local date-time
// `date`, by the operating system's own conversions.
double UniversalMilliseconds(double date) {
  SYSTEMTIME local{}, universal{};
  FILETIME file{};
  if (!VariantTimeToSystemTime(date, &local) ||
      !TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) ||
      !SystemTimeToFileTime(&universal, &file))
    return -1;
  const ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
  return static_cast<double>(ticks.QuadPart - 116444736000000000ULL) / 10000.0;
}

// ctest runs this executable, and so its renderers, in a zone an hour east of
// universal time (two in summer), so that a missing conversion shows.
TEST_F(ScriptRendererTest, ADateReadsBackAsTheLocalTimeItWasMadeOf) {
  // Midnight, a winter noon and a summer evening, in days since 30 December 1899.
  const double dates[] = {36526.0, 45000.5, 45123.75};
  ASSERT_NE(UniversalMilliseconds(dates[0]), (dates[0] - 25569.0) * 86400000.0)
      << "the local zone is universal time";
  for (const double date : dates) {
    PMessage question = TCefProcessMessageRef::New(L"date");
    question->GetArgumentList()->SetDouble(0, date);
    const PMessage answer = Ask(question);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->GetArgumentList()->GetBool(0)) << date;
    EXPECT_NEAR(answer->GetArgumentList()->GetDouble(1), date, 1.0 / 86400000) << date;
    EXPECT_EQ(answer->GetArgumentList()->GetDouble(2), UniversalMilliseconds(date)) << date;
  }
}

TEST_F(ScriptRendererTest, NativeFunctionsAnswerScriptAsTheirHandlersSay) {
  ExpectEvaluated({
      {L"try { raise(); 'not thrown' } catch (e) { 'caught ' + e.message }",
       L"caught raised in native"},
      {L"give(1, 'two')", L"given 2"},
      {L"typeof neither()", L"undefined"},
      {L"typeof refuse()", L"undefined"},
      {L"callBare(function () { return arguments.length })", L"0"},
      {L"callBare(function (a) { return typeof a })", L"undefined"},
  });
}

TEST_F(ScriptRendererTest, TheProbeExtensionCallsItsClassByReflection) {
  ExpectEvaluated({
      {L"probe.Hello()", L"Hello from the probe"},
      {L"typeof probe.Hello(1)", L"undefined"},
      {L"probe.Ranged(); probe.Ranged(1, 2); probe.Taken()", L"nothing"},
      {L"probe === probe", L"false"},
      {L"typeof probe.Hello", L"function"},
      {L"probe = 5; typeof probe + ' ' + probe.Hello()", L"object Hello from the probe"},
      {L"probe.Ranged(10); probe.Taken()", L"ranged 10"},
      {L"probe.Ranged(11); probe.Taken()", L"nothing"},
      {L"probe.Ranged(true); probe.Taken()", L"ranged 1"},
      {L"probe.Big('123'); probe.Taken()", L"big 123"},
      {L"probe.Money(1.23456); probe.Taken()", L"money 12346"},
      {L"probe.Keep([1, 'a', [true]]); probe.Taken()",
       L"variant [integer 1, text a, [boolean true]]"},
      {L"window.detached = probe.Ranged; window.detached(3); probe.Taken()", L"nothing"},
      {L"probe.Pick(4); probe.Taken()", L"pick one"},
      {L"probe.Pick(4, 5); probe.Taken()", L"nothing"},
      {L"try { probe.Big('12x') } catch (e) { e.message }", L"'12x' is not a valid integer value"},
      {L"probe.Hello()", L"Hello from the probe"},
  });
}

TEST_F(ScriptRendererTest, AnObjectFromTheExtensionOffersItsMethodsAndProperties) {
  ExpectEvaluated({
      {L"probe.Instance().Name()", L"the probe object"},
      {L"probe.Instance().Count", L"3"},
      {L"var o = probe.Instance(); o.Count = 7; probe.Instance().Count", L"7"},
      {L"var o = probe.Instance(); o.Count = 'x'; o.Count", L"7"},
      {L"typeof probe.Name + ' ' + typeof probe.Count", L"undefined undefined"},
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (StartedAsRenderer()) return RunRenderer();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
