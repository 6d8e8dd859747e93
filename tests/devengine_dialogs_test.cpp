// Page dialogs of the development engine: alert, confirm, prompt and print
// from a page's script through the JavaScript-dialog handler, the engine's
// own dialogs (answered by their test hook, never shown), and onbeforeunload
// before a page is left or its browser closed. The executable also serves as
// the renderer processes its browsers start.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"

namespace {

// One question the JavaScript-dialog handler was asked.
struct Asked {
  std::string kind;  // "jsdialog", "before_unload" or "reset"
  int type = -1;
  std::wstring message{};
  std::wstring default_text{};
  std::wstring origin{};
  int is_reload = -1;
};

// A client whose dialog handler notes every question and, when it takes
// dialogs over, keeps their callbacks for the test to answer.
class DialogClient : public ProgramObject<DialogClient> {
 public:
  DialogClient() {
    client.record().get_display_handler = &HandOut<&DialogClient::display>;
    client.record().get_life_span_handler = &HandOut<&DialogClient::life_span>;
    client.record().get_jsdialog_handler = &GetDialogs;
    display.record().on_title_change = &OnTitle;
    life_span.record().on_before_close = &OnBeforeClose;
    display.record().on_loading_state_change = &OnLoadingState;
    dialogs.record().on_jsdialog = &OnDialog;
    dialogs.record().on_before_unload_dialog = &OnBeforeUnload;
    dialogs.record().on_reset_dialog_state = &OnReset;
  }
  ~DialogClient() { LetGo(); }

  // The callback kept last; the test answers or lets go of it.
  cef_jsdialog_callback_t* TakeCallback() {
    const std::lock_guard lock(mutex);
    cef_jsdialog_callback_t* taken = callback;
    callback = nullptr;
    return taken;
  }
  void LetGo() { Drop(TakeCallback()); }
  std::vector<Asked> Questions(const std::string& kind) const {
    const std::lock_guard lock(mutex);
    std::vector<Asked> chosen;
    for (const Asked& one : asked) {
      if (one.kind == kind) chosen.push_back(one);
    }
    return chosen;
  }
  std::wstring Title() const {
    const std::lock_guard lock(mutex);
    return titles.empty() ? std::wstring() : titles.back();
  }

  // Set by the test.
  bool has_dialog_handler = true;
  bool take_over = true;
  bool suppress = false;

  mutable std::mutex mutex;
  std::vector<Asked> asked;
  std::vector<std::wstring> titles;
  int loads_started = 0;
  int closed = 0;
  cef_jsdialog_callback_t* callback = nullptr;
  ProgramRecord<cef_client_t, DialogClient> client{this};
  ProgramRecord<cef_display_handler_t, DialogClient> display{this};
  ProgramRecord<cef_life_span_handler_t, DialogClient> life_span{this};
  ProgramRecord<cef_jsdialog_handler_t, DialogClient> dialogs{this};

 private:
  int Note(Asked question, cef_browser_t* browser, cef_jsdialog_callback_t* given) {
    Drop(browser);
    const std::lock_guard lock(mutex);
    asked.push_back(std::move(question));
    if (!take_over || given == nullptr) {
      Drop(given);
      return 0;
    }
    Drop(callback);
    callback = given;
    return 1;
  }

  static cef_jsdialog_handler_t* CEF_CALLBACK GetDialogs(cef_client_t* self) {
    return Of(self).has_dialog_handler ? Of(self).dialogs.Handed() : nullptr;
  }
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Drop(browser);
    const std::lock_guard lock(Of(self).mutex);
    Of(self).titles.push_back(TextOf(*title));
  }
  static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Drop(browser);
    ++Of(self).closed;
  }
  static void CEF_CALLBACK OnLoadingState(cef_display_handler_t* self, cef_browser_t* browser,
                                          int loading, int, int) {
    Drop(browser);
    if (loading != 0) ++Of(self).loads_started;
  }
  static int CEF_CALLBACK OnDialog(cef_jsdialog_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* origin, const cef_string_t*,
                                   cef_jsdialog_type_t type, const cef_string_t* message,
                                   const cef_string_t* default_text,
                                   cef_jsdialog_callback_t* callback, int* suppress) {
    DialogClient& owner = Of(self);
    *suppress = owner.suppress ? 1 : 0;
    return owner.Note({.kind = "jsdialog",
                       .type = type,
                       .message = TextOf(*message),
                       .default_text = TextOf(*default_text),
                       .origin = TextOf(*origin)},
                      browser, callback);
  }
  static int CEF_CALLBACK OnBeforeUnload(cef_jsdialog_handler_t* self, cef_browser_t* browser,
                                         const cef_string_t* message, int is_reload,
                                         cef_jsdialog_callback_t* callback) {
    return Of(self).Note(
        {.kind = "before_unload", .message = TextOf(*message), .is_reload = is_reload}, browser,
        callback);
  }
  static void CEF_CALLBACK OnReset(cef_jsdialog_handler_t* self, cef_browser_t* browser) {
    Drop(browser);
    const std::lock_guard lock(Of(self).mutex);
    Of(self).asked.push_back({.kind = "reset"});
  }
};

void Answer(cef_jsdialog_callback_t* callback, bool success, const std::wstring& text = {}) {
  const cef_string_t input = Borrowed(text);
  callback->cont(callback, success ? 1 : 0, &input);
}

std::wstring PageWith(const std::wstring& title, const std::wstring& script) {
  return L"<html><head><title>" + title + L"</title></head><body><script>" + script +
         L"</script></body></html>";
}

class DevEngineDialogs : public DevEngineBrowserFixture<DialogClient> {
 protected:
  void SetUp() override {
    FTracePath = FTraceFolder.File(L"trace.txt");
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", FTracePath.c_str());
    ASSERT_NO_FATAL_FAILURE(DevEngineBrowserFixture::SetUp());
    ASSERT_NE(OpenBrowser(L""), nullptr);
  }

  void TearDown() override {
    DevEngineBrowserFixture::TearDown();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", nullptr);
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }
  // A dialog the test has left open is let go, so that the browser can close.
  void EndBrowser() override {
    FClient.LetGo();
    EndWithTheWindow([&] { return FClient.closed > 0; });
  }
  // Lets whatever is under way settle, for a check that nothing happens.
  static void Settle() {
    Pump([] { return false; }, 400);
  }

  // Asks the main frame to show `markup`; the load waits for the page it
  // replaces to agree.
  void Show(const std::wstring& markup) {
    const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
    const cef_string_t text = Borrowed(markup);
    const std::wstring url = L"http://dialogs.test/page" + std::to_wstring(++FPages);
    const cef_string_t address = Borrowed(url);
    frame->load_string(frame.get(), &text, &address);
  }
  bool TitleBecomes(const std::wstring& title) {
    return Pump([&] { return FClient.Title() == title; });
  }
  bool Asks(const std::string& kind, std::size_t count) {
    return Pump([&] { return FClient.Questions(kind).size() >= count; });
  }
  static void HookAnswers(const wchar_t* answer) {
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", answer);
  }
  std::vector<std::string> Traced(const std::string& event) const {
    return TraceEvents(ReadLines(FTracePath), event);
  }

  TTempFolder FTraceFolder;
  std::wstring FTracePath;
  int FPages = 0;
};

TEST_F(DevEngineDialogs, ScriptDialogsReachTheHandlerAndItsAnswerReturnsToScript) {
  enum class Reply { kOnce, kTwice, kLetGo };
  struct Case {
    const char* name;
    std::wstring script;
    cef_jsdialog_type_t type;
    std::wstring message;
    std::wstring default_text;
    Reply reply;
    bool success;
    std::wstring input;
    std::wstring title;
  };
  const std::wstring confirm = L"document.title = String(confirm('sure?'));";
  const std::wstring prompt = L"document.title = String(prompt('name?', 'bob'));";
  const Case cases[] = {
      {"alert", L"alert('hi'); document.title = 'after';", JSDIALOGTYPE_ALERT, L"hi", L"",
       Reply::kOnce, true, L"", L"after"},
      {"confirm accepted", confirm, JSDIALOGTYPE_CONFIRM, L"sure?", L"", Reply::kOnce, true, L"",
       L"true"},
      {"confirm cancelled", confirm, JSDIALOGTYPE_CONFIRM, L"sure?", L"", Reply::kOnce, false, L"",
       L"false"},
      {"confirm answered twice", confirm, JSDIALOGTYPE_CONFIRM, L"sure?", L"", Reply::kTwice, false,
       L"", L"false"},
      {"prompt answered", prompt, JSDIALOGTYPE_PROMPT, L"name?", L"bob", Reply::kOnce, true,
       L"alice", L"alice"},
      {"prompt cancelled", prompt, JSDIALOGTYPE_PROMPT, L"name?", L"bob", Reply::kOnce, false,
       L"typed", L"null"},
      {"prompt let go", prompt, JSDIALOGTYPE_PROMPT, L"name?", L"bob", Reply::kLetGo, true, L"",
       L"null"},
  };
  std::size_t dialogs = 0;
  for (const Case& check : cases) {
    SCOPED_TRACE(check.name);
    Show(PageWith(L"waiting", check.script));
    ASSERT_TRUE(Asks("jsdialog", ++dialogs));
    const Asked asked = FClient.Questions("jsdialog").back();
    EXPECT_EQ(asked.type, check.type);
    EXPECT_EQ(asked.message, check.message);
    EXPECT_EQ(asked.default_text, check.default_text);
    EXPECT_EQ(asked.origin, L"http://dialogs.test/page" + std::to_wstring(FPages));
    // The page waits while the program holds the callback.
    Settle();
    EXPECT_EQ(FClient.Title(), L"waiting");
    cef_jsdialog_callback_t* callback = FClient.TakeCallback();
    ASSERT_NE(callback, nullptr);
    if (check.reply != Reply::kLetGo) Answer(callback, check.success, check.input);
    if (check.reply == Reply::kTwice) Answer(callback, !check.success, L"late");
    Drop(callback);
    ASSERT_TRUE(TitleBecomes(check.title));
    ASSERT_TRUE(Asks("reset", dialogs));
  }
}

TEST_F(DevEngineDialogs, DialogsTheProgramLeavesShowTheEnginesOwnAnsweredByTheHook) {
  struct Case {
    const char* name;
    const wchar_t* hook;
    bool suppress;
    std::wstring script;
    std::wstring title;
    const char* traced_kind;  // null: no dialog of the engine's own
    std::string traced_message;
    std::string traced_default;
  };
  const Case cases[] = {
      {"prompt with text", L"accept:typed", false, L"document.title = prompt('your name?', 'def');",
       L"typed", "prompt", "your name?", "def"},
      {"prompt keeps its default", L"accept", false, L"document.title = prompt('q', 'def');",
       L"def", "prompt", "q", "def"},
      {"confirm cancelled", L"cancel", false, L"document.title = String(confirm('sure?'));",
       L"false", "confirm", "sure?", ""},
      {"alert", L"accept", false, L"alert('note'); document.title = 'alerted';", L"alerted",
       "alert", "note", ""},
      {"print", L"cancel", false, L"print(); document.title = 'printed';", L"printed", "print", "",
       ""},
      {"suppressed", L"accept", true, L"document.title = String(confirm('quiet'));", L"false",
       nullptr, "", ""},
  };
  FClient.take_over = false;
  for (const Case& check : cases) {
    SCOPED_TRACE(check.name);
    HookAnswers(check.hook);
    FClient.suppress = check.suppress;
    const std::size_t before = Traced("dialog").size();
    Show(PageWith(L"waiting", check.script));
    ASSERT_TRUE(TitleBecomes(check.title));
    const std::vector<std::string> traced = Traced("dialog");
    ASSERT_EQ(traced.size(), before + (check.traced_kind != nullptr ? 1 : 0));
    if (check.traced_kind == nullptr) continue;
    EXPECT_EQ(TraceValue(traced.back(), "kind"), check.traced_kind);
    EXPECT_EQ(TraceValue(traced.back(), "message"), check.traced_message);
    EXPECT_EQ(TraceValue(traced.back(), "default"), check.traced_default);
  }
  // Print is the browser's own business; the handler hears of the others.
  EXPECT_EQ(FClient.Questions("jsdialog").size(), std::size(cases) - 1);
}

TEST_F(DevEngineDialogs, APageWithOnBeforeUnloadIsAskedBeforeItIsLeftOrClosed) {
  // Titles set by script tell that the page's script has run.
  Show(
      PageWith(L"loading",
               L"window.onbeforeunload = function() { return 'unsaved'; }; document.title = 'A';"));
  ASSERT_TRUE(TitleBecomes(L"A"));
  struct Step {
    const char* name;
    std::function<void()> leave;
    int is_reload;
    bool accept;
    std::wstring title;
  };
  const std::wstring page_b =
      PageWith(L"loading",
               L"onbeforeunload = function(event) { event.returnValue = 'closing'; };"
               L"document.title = 'B';");
  const Step steps[] = {
      {"load refused", [&] { Show(page_b); }, 0, false, L"A"},
      {"reload refused", [&] { Browser()->reload(Browser()); }, 1, false, L"A"},
      {"load accepted", [&] { Show(page_b); }, 0, true, L"B"},
  };
  std::size_t asked = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const int loads = FClient.loads_started;
    step.leave();
    ASSERT_TRUE(Asks("before_unload", ++asked));
    const Asked question = FClient.Questions("before_unload").back();
    EXPECT_EQ(question.message, L"unsaved");
    EXPECT_EQ(question.is_reload, step.is_reload);
    cef_jsdialog_callback_t* callback = FClient.TakeCallback();
    ASSERT_NE(callback, nullptr);
    Answer(callback, step.accept);
    Drop(callback);
    if (step.accept) {
      ASSERT_TRUE(TitleBecomes(step.title));
    } else {
      Settle();
      EXPECT_EQ(FClient.loads_started, loads);
      EXPECT_EQ(FClient.Title(), step.title);
    }
  }
  for (const bool accept : {false, true}) {
    SCOPED_TRACE(accept ? "close accepted" : "close refused");
    CloseBrowser();
    ASSERT_TRUE(Asks("before_unload", ++asked));
    EXPECT_EQ(FClient.Questions("before_unload").back().message, L"closing");
    cef_jsdialog_callback_t* callback = FClient.TakeCallback();
    ASSERT_NE(callback, nullptr);
    Answer(callback, accept);
    Drop(callback);
    if (accept) {
      ASSERT_TRUE(Pump([&] { return FClient.closed == 1; }));
    } else {
      Settle();
      EXPECT_EQ(FClient.closed, 0);
    }
  }
}

TEST_F(DevEngineDialogs, OnlyAPageWithOnBeforeUnloadCostsARoundTripAndTheOwnConfirmation) {
  struct Case {
    const char* name;
    std::wstring script;
    bool round_trip;
    bool confirmation;
  };
  const Case cases[] = {
      {"asks to confirm", L"onbeforeunload = function() { return 'unsaved'; };", true, true},
      {"answers nothing", L"onbeforeunload = function() {};", true, false},
      {"cleared again", L"onbeforeunload = function() { return 'x'; }; onbeforeunload = null;",
       false, false},
      {"never had one", L"", false, false},
  };
  FClient.has_dialog_handler = false;
  for (const Case& check : cases) {
    SCOPED_TRACE(check.name);
    HookAnswers(L"accept");
    Show(PageWith(L"page", check.script + L"document.title = 'ready';"));
    ASSERT_TRUE(TitleBecomes(L"ready"));
    const std::size_t trips = Traced("before_unload").size();
    const std::size_t dialogs = Traced("dialog").size();
    HookAnswers(L"cancel");
    Show(PageWith(L"next", L""));
    if (check.confirmation) {
      ASSERT_TRUE(Pump([&] { return Traced("dialog").size() > dialogs; }));
      const std::string confirmation = Traced("dialog").back();
      EXPECT_EQ(TraceValue(confirmation, "kind"), "before_unload");
      EXPECT_EQ(TraceValue(confirmation, "message"), "unsaved");
      Settle();
      EXPECT_EQ(FClient.Title(), L"ready");
      // Accepted, the page is left.
      HookAnswers(L"accept");
      Show(PageWith(L"next", L""));
    }
    ASSERT_TRUE(TitleBecomes(L"next"));
    EXPECT_EQ(Traced("before_unload").size(),
              trips + (check.round_trip ? 1 : 0) + (check.confirmation ? 1 : 0));
  }
}

TEST_F(DevEngineDialogs, TheRendererEndsWhenItsBrowserClosesDuringADialog) {
  Show(PageWith(L"waiting", L"alert('stuck'); document.title = 'never';"));
  ASSERT_TRUE(Asks("jsdialog", 1));
  const int browser = Browser()->get_identifier(Browser());
  CloseBrowser();
  ASSERT_TRUE(Pump([&] { return FClient.closed == 1; }));
  // It ends on its own, well before its host would end it.
  const auto ended = [&] {
    for (const std::string& line : Traced("renderer")) {
      if (TraceValue(line, "reason") == "destroyed" &&
          TraceValue(line, "browser") == std::to_string(browser))
        return true;
    }
    return false;
  };
  EXPECT_TRUE(Pump(ended, 2500));
  // Answering after the browser has gone changes nothing.
  cef_jsdialog_callback_t* callback = FClient.TakeCallback();
  ASSERT_NE(callback, nullptr);
  Answer(callback, true);
  Drop(callback);
  Settle();
  EXPECT_NE(FClient.Title(), L"never");
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests(argc, argv); }
