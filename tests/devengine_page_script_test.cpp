// Page scripts in the development engine: a page's scripts at load,
// execute_java_script from either process, the page built-ins (document.title,
// console, window.open) and uncaught errors. The executable is also the
// renderer; its render-process handler reports uncaught exceptions to the
// browser as process messages and runs code it is sent in its own frame.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"

namespace {

// ---- The renderer's side. ----

// The arguments of the "uncaught" message the renderer sends, by index.
enum Uncaught { kMessage, kLine, kFrames, kOnMainThread, kSameFrame, kUncaughtSize };
static_assert(kMessage == 0, "the message is the text NewMessage puts first");

class TestRenderer : public TestRendererProgram<TestRenderer> {
 public:
  TestRenderer() {
    handler.record().on_uncaught_exception = &OnUncaught;
    handler.record().on_process_message_received = &Received;
  }

 private:
  static void CEF_CALLBACK OnUncaught(cef_render_process_handler_t* self, cef_browser_t* given,
                                      cef_frame_t* frame_given, cef_v8context_t* context_given,
                                      cef_v8exception_t* exception_given,
                                      cef_v8stack_trace_t* trace_given) {
    const Held<cef_browser_t> browser(given);
    const Held<cef_frame_t> frame(frame_given);
    const Held<cef_v8context_t> context(context_given);
    const Held<cef_v8exception_t> exception(exception_given);
    const Held<cef_v8stack_trace_t> trace(trace_given);
    const Held<cef_process_message_t> report(
        NewMessage(L"uncaught", Take(exception->get_message(exception.get()))));
    const Held<cef_list_value_t> arguments(report->get_argument_list(report.get()));
    arguments->set_int(arguments.get(), kLine, exception->get_line_number(exception.get()));
    arguments->set_int(arguments.get(), kFrames, trace->get_frame_count(trace.get()));
    arguments->set_bool(arguments.get(), kOnMainThread,
                        GetCurrentThreadId() == Of(self).main_thread);
    const Held<cef_frame_t> of_context(context->get_frame(context.get()));
    arguments->set_bool(
        arguments.get(), kSameFrame,
        of_context.get() != nullptr &&
            of_context->get_identifier(of_context.get()) == frame->get_identifier(frame.get()));
    browser->send_process_message(browser.get(), PID_BROWSER, report.Handed());
  }

  // "run" with code: the renderer's own frame record runs it.
  static int CEF_CALLBACK Received(cef_render_process_handler_t*, cef_browser_t* given,
                                   cef_process_id_t, cef_process_message_t* received) {
    const Held<cef_browser_t> browser(given);
    const Held<cef_process_message_t> message(received);
    const Held<cef_list_value_t> arguments(message->get_argument_list(message.get()));
    const std::wstring code = Take(arguments->get_string(arguments.get(), 0));
    const std::wstring url = L"renderer://run.js";
    const cef_string_t code_record = Borrowed(code), url_record = Borrowed(url);
    const Held<cef_frame_t> frame(browser->get_main_frame(browser.get()));
    frame->execute_java_script(frame.get(), &code_record, &url_record, 7);
    return 1;
  }
};

// ---- The browser's side. ----

struct Note {
  std::string kind{};
  std::wstring text{};
  std::wstring source{};
  int number = 0;
  std::vector<std::wstring> texts{};
  std::vector<int> numbers{};
};

class TestClient : public ProgramObject<TestClient> {
 public:
  TestClient() {
    client.record().get_display_handler = &HandOut<&TestClient::display>;
    client.record().get_life_span_handler = &HandOut<&TestClient::life_span>;
    client.record().on_process_message_received = &OnMessage;
    display.record().on_loading_state_change = &OnLoadingState;
    display.record().on_title_change = &OnTitle;
    display.record().on_console_message = &OnConsole;
    life_span.record().on_before_popup = &OnBeforePopup;
  }

  std::vector<Note> Notes(const std::string& kind) const {
    const std::lock_guard lock(mutex);
    std::vector<Note> chosen;
    std::ranges::copy_if(notes, std::back_inserter(chosen),
                         [&](const Note& note) { return note.kind == kind; });
    return chosen;
  }
  std::vector<std::wstring> Texts(const std::string& kind) const {
    std::vector<std::wstring> texts;
    for (const Note& note : Notes(kind)) texts.push_back(note.text);
    return texts;
  }

  mutable std::mutex mutex;
  std::vector<Note> notes;
  ProgramRecord<cef_client_t, TestClient> client{this};
  ProgramRecord<cef_display_handler_t, TestClient> display{this};
  ProgramRecord<cef_life_span_handler_t, TestClient> life_span{this};

 private:
  void Add(Note note, cef_browser_t* browser) {
    Drop(browser);
    const std::lock_guard lock(mutex);
    notes.push_back(std::move(note));
  }
  static void CEF_CALLBACK OnLoadingState(cef_display_handler_t* self, cef_browser_t* browser,
                                          int loading, int, int) {
    Of(self).Add({.kind = "loading", .number = loading}, browser);
  }
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Of(self).Add({.kind = "title", .text = TextOf(*title)}, browser);
  }
  static int CEF_CALLBACK OnConsole(cef_display_handler_t* self, cef_browser_t* browser,
                                    const cef_string_t* message, const cef_string_t* source,
                                    int line) {
    Of(self).Add({.kind = "console",
                  .text = TextOf(*message),
                  .source = TextOf(*source),
                  .number = line,
                  .numbers = {cef_currently_on(TID_UI)}},
                 browser);
    return 0;
  }
  static int CEF_CALLBACK OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser,
                                        cef_frame_t* frame, cef_string_t* target_url,
                                        cef_string_t* target_frame_name, cef_popup_features_t*,
                                        cef_window_info_t*, cef_client_t**, cef_browser_settings_t*,
                                        int*) {
    const auto opener = static_cast<int>(frame->get_identifier(frame));
    Drop(frame);
    Of(self).Add({.kind = "popup",
                  .text = TextOf(*target_url) + L" " + TextOf(*target_frame_name),
                  .number = opener},
                 browser);
    return 1;
  }
  static int CEF_CALLBACK OnMessage(cef_client_t* self, cef_browser_t* browser, cef_process_id_t,
                                    cef_process_message_t* given) {
    const Held<cef_process_message_t> message(given);
    MessageArguments arguments = ArgumentsOf(message.get());
    Of(self).Add(
        {.kind = Take(message->get_name(message.get())) == L"uncaught" ? "uncaught" : "other",
         .texts = std::move(arguments.texts),
         .numbers = std::move(arguments.numbers)},
        browser);
    return 1;
  }
};

class DevEnginePageScript : public DevEngineBrowserFixture<TestClient> {
 protected:
  // Opens `path` and waits until its load has ended.
  void Open(const std::string& path, cef_state_t javascript = STATE_DEFAULT) {
    ASSERT_NE(OpenBrowser(Url(path), javascript), nullptr);
    ASSERT_TRUE(Pump([&] {
      const std::vector<Note> loading = FClient.Notes("loading");
      return !loading.empty() && loading.back().number == 0;
    }));
  }

  // The browser process's record of the frame named `name`, or of the main one.
  cef_frame_t* FrameNamed(const std::wstring& name) const {
    if (name.empty()) return Browser()->get_main_frame(Browser());
    const cef_string_t name_record = Borrowed(name);
    return Browser()->get_frame(Browser(), &name_record);
  }
  // Runs `code` in a frame through the browser process's frame record.
  void Execute(const std::wstring& code, const std::wstring& url = L"test://run.js", int line = 1,
               const std::wstring& frame_name = {}) {
    const Held<cef_frame_t> frame(FrameNamed(frame_name));
    const cef_string_t code_record = Borrowed(code), url_record = Borrowed(url);
    frame->execute_java_script(frame.get(), &code_record, &url_record, line);
  }
  // Sends the renderer code that its own frame record runs.
  void ExecuteInRenderer(const std::wstring& code) {
    Browser()->send_process_message(Browser(), PID_RENDERER, NewMessage(L"run", code));
  }
  bool ConsoleHas(std::size_t count) {
    return Pump([&] { return FClient.Notes("console").size() >= count; });
  }
};

TEST_F(DevEnginePageScript, APagesScriptsRunInDocumentOrderAtLoad) {
  // The external script comes late; the inline one after it must wait.
  Serve({{"/page",
          {.Body = "<html><head><title>Start</title>\n"
                   "<script>console.log('one', 1 + 1);</script>\n"
                   "<script src=\"late.js\"></script>\n"
                   "</head><body>\n"
                   "<script type=\"text/template\">console.log('never');</script>\n"
                   "<script>\n"
                   "var seen = document.title;\n"
                   "console.log('three', seen);\n"
                   "document.title = 'Set by script';\n"
                   "</script></body></html>"}},
         {"/late.js",
          {.Headers = {{"Content-Type", "text/javascript"}},
           .Body = "\nconsole.log('two'); document.title = 'From late';",
           .DelayMs = 300}}});
  Open("/page");
  ASSERT_TRUE(ConsoleHas(3));
  ASSERT_TRUE(Pump([&] { return FClient.Texts("title").size() >= 3; }));
  struct Expected {
    std::wstring text;
    std::wstring source;
    int line;
  };
  const Expected expected[] = {{L"one 2", Url("/page"), 2},
                               {L"two", Url("/late.js"), 2},
                               {L"three From late", Url("/page"), 8}};
  const std::vector<Note> console = FClient.Notes("console");
  ASSERT_EQ(console.size(), std::size(expected));
  for (std::size_t index = 0; index < console.size(); ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(console[index].text, expected[index].text);
    EXPECT_EQ(console[index].source, expected[index].source);
    EXPECT_EQ(console[index].number, expected[index].line);
    EXPECT_EQ(console[index].numbers, std::vector<int>{1}) << "on the UI thread";
  }
  EXPECT_EQ(FClient.Texts("title"),
            (std::vector<std::wstring>{L"Start", L"From late", L"Set by script"}));
  // The renderer's document has the new title too.
  Execute(L"console.log(document.title)");
  ASSERT_TRUE(ConsoleHas(4));
  EXPECT_EQ(FClient.Notes("console").back().text, L"Set by script");
}

TEST_F(DevEnginePageScript, CodeSentToAFrameRunsInItsDocument) {
  Serve({{"/page", {.Body = "<html><head><title>T</title></head><body></body></html>"}}});
  Open("/page");
  Execute(L"var kept = 'kept';\nconsole.log(typeof window, document.title)", L"test://a.js", 10);
  ASSERT_TRUE(ConsoleHas(1));
  ExecuteInRenderer(L"console.warn(kept, 42)");
  ASSERT_TRUE(ConsoleHas(2));
  const std::vector<Note> console = FClient.Notes("console");
  EXPECT_EQ(console[0].text, L"object T");
  EXPECT_EQ(console[0].source, L"test://a.js");
  EXPECT_EQ(console[0].number, 11);
  EXPECT_EQ(console[1].text, L"kept 42") << "the same document's context";
  EXPECT_EQ(console[1].source, L"renderer://run.js");
  EXPECT_EQ(console[1].number, 7);
}

TEST_F(DevEnginePageScript, AJavascriptAddressRunsInThePageAndLeavesItShown) {
  Serve({{"/page", {.Body = "<html><head><title>T</title></head><body></body></html>"}}});
  Open("/page");
  const std::size_t loads = FClient.Notes("loading").size();
  const Held<cef_frame_t> frame(FrameNamed(L""));
  const std::wstring url = L"JavaScript:console.log('run%20here',%20document.title%20+%20'%C3%A9')";
  const cef_string_t address = Borrowed(url);
  frame->load_url(frame.get(), &address);
  ASSERT_TRUE(ConsoleHas(1));
  EXPECT_EQ(FClient.Notes("console")[0].text, L"run here T\u00e9");
  Execute(L"console.log(document.title)");
  ASSERT_TRUE(ConsoleHas(2));
  EXPECT_EQ(FClient.Notes("loading").size(), loads) << "no load started";
}

TEST_F(DevEnginePageScript, WindowOpenTakesThePopupPathWithTheResolvedAddress) {
  Serve({{"/dir/page",
          {.Body = "<html><body><iframe name=\"child\" src=\"/sub/inner\">"
                   "</iframe></body></html>"}},
         {"/sub/inner", {.Body = "<html><body></body></html>"}}});
  Open("/dir/page");
  struct Case {
    std::wstring frame;
    std::wstring code;
    std::wstring asked;
  };
  const Case cases[] = {
      {L"", L"console.log(window.open('other.html') === null)", Url("/dir/other.html") + L" "},
      {L"", L"open('http://127.0.0.1:1/x', 'named')", L"http://127.0.0.1:1/x named"},
      {L"", L"open()", L"about:blank "},
      {L"child", L"open('other.html')", Url("/sub/other.html") + L" "},
  };
  for (const Case& open : cases) Execute(open.code, L"test://run.js", 1, open.frame);
  ASSERT_TRUE(Pump([&] { return FClient.Texts("popup").size() == std::size(cases); }));
  const std::vector<Note> asked = FClient.Notes("popup");
  for (std::size_t index = 0; index < std::size(cases); ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(asked[index].text, cases[index].asked);
    const Held<cef_frame_t> opener(FrameNamed(cases[index].frame));
    EXPECT_EQ(asked[index].number, opener->get_identifier(opener.get())) << "the frame that asks";
  }
  EXPECT_EQ(FClient.Texts("console"), std::vector<std::wstring>{L"true"}) << "script gets null";
}

TEST_F(DevEnginePageScript, ErrorsAreReportedAndTheScriptsAfterThemStillRun) {
  Serve({{"/page",
          {.Body = "<html><body>\n"
                   "<script>\n\nnotDefined();</script>\n"
                   "<script>while (true) {}</script>\n"
                   "<script>var = ;</script>\n"
                   "<script>console.log('after');</script>\n"
                   "</body></html>"}}});
  Open("/page");
  ASSERT_TRUE(Pump([&] { return FClient.Texts("console").size() >= 4; }, 30000));
  struct Expected {
    std::wstring starts;
    int line;
  };
  const Expected expected[] = {
      {L"Uncaught ReferenceError", 4}, {L"Uncaught Error", 5}, {L"Uncaught SyntaxError", 6}};
  const std::vector<Note> console = FClient.Notes("console");
  ASSERT_EQ(console.size(), 4u);
  EXPECT_EQ(console[3].text, L"after");
  ASSERT_TRUE(Pump([&] { return FClient.Notes("uncaught").size() >= std::size(expected); }));
  const std::vector<Note> uncaught = FClient.Notes("uncaught");
  ASSERT_EQ(uncaught.size(), std::size(expected));
  for (std::size_t index = 0; index < std::size(expected); ++index) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(console[index].text.starts_with(expected[index].starts)) << console[index].text;
    EXPECT_EQ(console[index].source, Url("/page"));
    EXPECT_EQ(console[index].number, expected[index].line);
    const Note& report = uncaught[index];
    ASSERT_EQ(report.texts.size(), static_cast<std::size_t>(kUncaughtSize));
    EXPECT_EQ(report.texts[kMessage], console[index].text);
    EXPECT_EQ(report.numbers[kLine], expected[index].line);
    EXPECT_EQ(report.numbers[kOnMainThread], 1);
    EXPECT_EQ(report.numbers[kSameFrame], 1);
  }
  EXPECT_GE(uncaught[0].numbers[kFrames], 1);
  // The renderer lives on after all of it.
  Execute(L"null.nope");
  ASSERT_TRUE(Pump([&] { return FClient.Notes("uncaught").size() == 4; }));
  EXPECT_TRUE(FClient.Notes("uncaught").back().texts[kMessage].starts_with(L"Uncaught TypeError"));
}

TEST_F(DevEnginePageScript, ScriptsDoNotRunWhenTheBrowserDisablesThem) {
  Serve({{"/page",
          {.Body = "<html><head><title>Quiet</title></head><body>"
                   "<script>console.log('ran'); document.title = 'ran';</script>"
                   "<script src=\"/more.js\"></script></body></html>"}},
         {"/more.js", {.Body = "console.log('ran too');"}}});
  Open("/page", STATE_DISABLED);
  // A round trip through the renderer: what the scripts would have said has
  // arrived by the time the answer does.
  const Held<cef_frame_t> frame(FrameNamed(L""));
  TextVisitor visitor;
  frame->get_text(frame.get(), visitor.program.Handed());
  ASSERT_TRUE(Pump([&] { return visitor.text.has_value(); }));
  Pump([] { return false; }, 100);
  EXPECT_TRUE(FClient.Notes("console").empty());
  EXPECT_EQ(FClient.Texts("title"), std::vector<std::wstring>{L"Quiet"});
  EXPECT_FALSE(FServer->Received("/more.js"));
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests<TestRenderer>(argc, argv); }
