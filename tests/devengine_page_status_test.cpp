// What the development engine tells a browser window about its page while
// it is shown: the status line (window.status, the link under the pointer),
// when the main frame's load ends (only once the page's scripts have run),
// and pop-ups, which a program may fold into its own view. Pages come from
// a local HTTP server; the executable also serves as the renderer processes
// its browsers start.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"

namespace {

struct Note {
  std::string kind{};
  std::wstring text{};
  int number = 0;
  bool main_frame = false;
  bool on_ui = false;
};

// A client that notes what the window would show: status texts, titles,
// loads and pop-ups; it may hold a page's dialogs and refuse its pop-ups.
class StatusClient : public ProgramObject<StatusClient> {
 public:
  StatusClient() {
    client.record().get_load_handler = &HandOut<&StatusClient::load>;
    client.record().get_display_handler = &HandOut<&StatusClient::display>;
    client.record().get_life_span_handler = &HandOut<&StatusClient::life_span>;
    client.record().get_jsdialog_handler = &HandOut<&StatusClient::dialogs>;
    load.record().on_load_end = &OnLoadEnd;
    display.record().on_status_message = &OnStatus;
    display.record().on_title_change = &OnTitle;
    display.record().on_loading_state_change = &OnLoadingState;
    life_span.record().on_after_created = &OnAfterCreated;
    life_span.record().on_before_popup = &OnBeforePopup;
    life_span.record().on_before_close = &OnBeforeClose;
    dialogs.record().on_jsdialog = &OnDialog;
  }
  ~StatusClient() { Drop(TakeCallback()); }

  std::vector<Note> Notes(const std::string& kind = {}) const {
    const std::lock_guard lock(mutex);
    std::vector<Note> chosen;
    std::ranges::copy_if(notes, std::back_inserter(chosen),
                         [&](const Note& note) { return kind.empty() || note.kind == kind; });
    return chosen;
  }
  std::vector<std::wstring> Texts(const std::string& kind) const {
    std::vector<std::wstring> texts;
    for (const Note& note : Notes(kind)) texts.push_back(note.text);
    return texts;
  }
  cef_jsdialog_callback_t* TakeCallback() {
    const std::lock_guard lock(mutex);
    return std::exchange(callback, nullptr);
  }

  bool cancel_popups = true;

  mutable std::mutex mutex;
  std::vector<Note> notes;
  cef_jsdialog_callback_t* callback = nullptr;
  ProgramRecord<cef_client_t, StatusClient> client{this};
  ProgramRecord<cef_load_handler_t, StatusClient> load{this};
  ProgramRecord<cef_display_handler_t, StatusClient> display{this};
  ProgramRecord<cef_life_span_handler_t, StatusClient> life_span{this};
  ProgramRecord<cef_jsdialog_handler_t, StatusClient> dialogs{this};

 private:
  void Add(Note note, cef_browser_t* browser, cef_frame_t* frame = nullptr) {
    note.on_ui = cef_currently_on(TID_UI) != 0;
    note.main_frame = frame != nullptr && frame->is_main(frame) != 0;
    Drop(browser);
    Drop(frame);
    const std::lock_guard lock(mutex);
    notes.push_back(std::move(note));
  }
  static void CEF_CALLBACK OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser,
                                     cef_frame_t* frame, int status) {
    Of(self).Add({.kind = "load_end", .number = status}, browser, frame);
  }
  static void CEF_CALLBACK OnStatus(cef_display_handler_t* self, cef_browser_t* browser,
                                    const cef_string_t* value) {
    Of(self).Add({.kind = "status", .text = value == nullptr ? L"(null)" : TextOf(*value)},
                 browser);
  }
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Of(self).Add({.kind = "title", .text = TextOf(*title)}, browser);
  }
  static void CEF_CALLBACK OnLoadingState(cef_display_handler_t* self, cef_browser_t* browser,
                                          int loading, int, int) {
    Of(self).Add({.kind = "loading", .number = loading}, browser);
  }
  static void CEF_CALLBACK OnAfterCreated(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Of(self).Add({.kind = "after_created", .number = browser->is_popup(browser)}, browser);
  }
  static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Of(self).Add({.kind = "before_close"}, browser);
  }
  static int CEF_CALLBACK OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser,
                                        cef_frame_t* frame, cef_string_t* target_url,
                                        cef_string_t* target_frame_name, cef_popup_features_t*,
                                        cef_window_info_t*, cef_client_t**, cef_browser_settings_t*,
                                        int*) {
    StatusClient& owner = Of(self);
    owner.Add({.kind = "popup", .text = TextOf(*target_url) + L" " + TextOf(*target_frame_name)},
              browser, frame);
    return owner.cancel_popups ? 1 : 0;
  }
  // Holds every dialog until the test answers it.
  static int CEF_CALLBACK OnDialog(cef_jsdialog_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t*, const cef_string_t*, cef_jsdialog_type_t,
                                   const cef_string_t* message, const cef_string_t*,
                                   cef_jsdialog_callback_t* callback, int*) {
    StatusClient& owner = Of(self);
    {
      const std::lock_guard lock(owner.mutex);
      Drop(std::exchange(owner.callback, callback));
    }
    owner.Add({.kind = "dialog", .text = TextOf(*message)}, browser);
    return 1;
  }
};

std::string Page(const std::string& body) {
  return "<html><head><title>page</title></head><body>" + body + "</body></html>";
}

// Top-level windows of this process that the engine made for a page.
std::vector<HWND> TopLevelPageWindows() {
  std::vector<HWND> found;
  for (const HWND window : WindowsOfProcess(GetCurrentProcessId())) {
    if (WindowClass(window) == L"NimbraDevEnginePage") found.push_back(window);
  }
  return found;
}

class DevEnginePageStatus : public DevEngineBrowserFixture<StatusClient> {
 protected:
  void EndBrowser() override {
    Drop(FClient.TakeCallback());
    EndWithTheWindow([&] {
      return FClient.Notes("before_close").size() >= FClient.Notes("after_created").size();
    });
  }

  void Open(const std::string& path) { ASSERT_NE(OpenBrowser(Url(path)), nullptr); }
  bool MainLoadEnded(std::size_t count = 1) {
    return Pump([&] { return MainLoadEnds() >= count; });
  }
  std::size_t MainLoadEnds() const {
    return std::ranges::count_if(FClient.Notes("load_end"),
                                 [](const Note& note) { return note.main_frame; });
  }
  HWND EngineWindow() const {
    const Held<cef_browser_host_t> host(Browser()->get_host(Browser()));
    return host->get_window_handle(host.get());
  }
  // Moves the pointer over the page, the way a user looks for a link, until
  // the status line names `url`; the point found.
  std::optional<LPARAM> PointAtLink(const std::wstring& url) {
    const HWND window = EngineWindow();
    for (int y = 2; y < 120; y += 4) {
      for (int x = 4; x < 200; x += 12) {
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        Pump([] { return false; }, 20);
        const std::vector<std::wstring> status = FClient.Texts("status");
        if (!status.empty() && status.back() == url) return MAKELPARAM(x, y);
      }
    }
    return std::nullopt;
  }
  // Whether the title `title` came before the main frame's load end number
  // `count`, and that load end came at all.
  testing::AssertionResult TitleBeforeLoadEnd(const std::wstring& title, std::size_t count) const {
    bool titled = false;
    std::size_t ends = 0;
    for (const Note& note : FClient.Notes()) {
      if (note.kind == "title" && note.text == title) titled = true;
      if (note.kind != "load_end" || !note.main_frame || ++ends < count) continue;
      if (titled) return testing::AssertionSuccess();
      return testing::AssertionFailure() << "the load ended before the script set the title";
    }
    return testing::AssertionFailure() << "the load did not end";
  }
  static void Settle() {
    Pump([] { return false; }, 500);
  }
};

TEST_F(DevEnginePageStatus, WindowStatusReachesTheStatusLineOnTheUiThread) {
  Serve({{"/page",
          {.Body = Page("<script>window.status = 'Working';"
                        "status = 'read back: ' + window.status;"
                        "window.status = '';</script>")}}});
  Open("/page");
  ASSERT_TRUE(Pump([&] { return FClient.Notes("status").size() >= 3; }));
  const std::vector<Note> status = FClient.Notes("status");
  const std::vector<std::wstring> expected = {L"Working", L"read back: Working", L""};
  ASSERT_EQ(FClient.Texts("status"), expected);
  for (const Note& note : status) EXPECT_TRUE(note.on_ui);
}

TEST_F(DevEnginePageStatus, TheLinkUnderThePointerIsNamedAndLeavingItEmptiesTheStatus) {
  Serve({{"/links", {.Body = Page("<a href=\"/next?x=1\">a link to the next page</a>")}}});
  Open("/links");
  ASSERT_TRUE(MainLoadEnded());
  const std::optional<LPARAM> over_link = PointAtLink(Url("/next?x=1"));
  ASSERT_TRUE(over_link.has_value()) << "no link under the pointer";
  SendMessageW(EngineWindow(), WM_MOUSELEAVE, 0, 0);
  ASSERT_TRUE(Pump([&] { return FClient.Texts("status").back().empty(); }));
  for (const Note& note : FClient.Notes("status")) EXPECT_TRUE(note.on_ui);
}

TEST_F(DevEnginePageStatus, TheMainFrameLoadEndsOnlyOnceThePagesScriptsHaveRun) {
  // A page that works at load: its title is set by the script's last line.
  Serve({{"/working",
          {.Body = Page("<script>var sum = 0; for (var i = 0; i < 20000; i++) sum += i % 7;"
                        "document.title = 'worked ' + sum;</script>")}},
         {"/waiting",
          {.Body = Page("<a href=\"/elsewhere\">a link while the page loads</a>"
                        "<script>alert('hold'); document.title = 'answered';</script>")}}});
  Open("/working");
  ASSERT_TRUE(MainLoadEnded());
  EXPECT_TRUE(TitleBeforeLoadEnd(L"worked 59997", 1));

  // A script that waits keeps the page loading, and the window answers meanwhile.
  const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
  const std::wstring waiting = Url("/waiting");
  const cef_string_t address = Borrowed(waiting);
  frame->load_url(frame.get(), &address);
  ASSERT_TRUE(Pump([&] { return !FClient.Notes("dialog").empty(); }));
  Settle();
  EXPECT_EQ(MainLoadEnds(), 1u);
  EXPECT_EQ(Browser()->is_loading(Browser()), 1);
  EXPECT_TRUE(PointAtLink(Url("/elsewhere")).has_value()) << "the window does not answer";
  cef_jsdialog_callback_t* callback = FClient.TakeCallback();
  ASSERT_NE(callback, nullptr);
  const cef_string_t none{};
  callback->cont(callback, 1, &none);
  Drop(callback);
  ASSERT_TRUE(MainLoadEnded(2));
  EXPECT_TRUE(TitleBeforeLoadEnd(L"answered", 2));
  EXPECT_EQ(Browser()->is_loading(Browser()), 0);
}

TEST_F(DevEnginePageStatus, ALoadWaitingForScriptsEndsWhenTheRendererDies) {
  Serve(
      {{"/waiting", {.Body = Page("<script>alert('hold'); document.title = 'never';</script>")}}});
  Open("/waiting");
  ASSERT_TRUE(Pump([&] { return !FClient.Notes("dialog").empty(); }));
  const std::vector<DWORD> renderers = ChildProcesses();
  ASSERT_EQ(renderers.size(), 1u);
  const TKernelHandle renderer(OpenProcess(PROCESS_TERMINATE, FALSE, renderers[0]));
  ASSERT_TRUE(TerminateProcess(renderer.get(), 3));
  ASSERT_TRUE(MainLoadEnded());
  EXPECT_EQ(Browser()->is_loading(Browser()), 0);
  EXPECT_NE(FClient.Texts("title").back(), L"never");
}

TEST_F(DevEnginePageStatus, APopUpTheHandlerRefusesOpensNoWindow) {
  Serve({{"/opener",
          {.Body = Page("<a href=\"/by-link\" target=\"_blank\">a link to a new window</a>")}},
         {"/by-link", {.Body = Page("by link")}},
         {"/by-script", {.Body = Page("by script")}}});
  Open("/opener");
  ASSERT_TRUE(MainLoadEnded());
  const std::optional<LPARAM> over_link = PointAtLink(Url("/by-link"));
  ASSERT_TRUE(over_link.has_value()) << "no link under the pointer";
  SendMessageW(EngineWindow(), WM_LBUTTONDOWN, MK_LBUTTON, *over_link);
  SendMessageW(EngineWindow(), WM_LBUTTONUP, 0, *over_link);
  const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
  const std::wstring code = L"window.open('/by-script')";
  const std::wstring script_url = L"test://open.js";
  const cef_string_t code_record = Borrowed(code), url_record = Borrowed(script_url);
  frame->execute_java_script(frame.get(), &code_record, &url_record, 1);

  ASSERT_TRUE(Pump([&] { return FClient.Notes("popup").size() == 2; }));
  const std::vector<std::wstring> asked = FClient.Texts("popup");
  EXPECT_EQ(asked,
            (std::vector<std::wstring>{Url("/by-link") + L" _blank", Url("/by-script") + L" "}));
  Settle();
  EXPECT_EQ(FClient.Notes("after_created").size(), 1u) << "a pop-up browser was made";
  EXPECT_TRUE(TopLevelPageWindows().empty()) << "a pop-up window was opened";
  EXPECT_FALSE(FServer->Received("/by-link"));
  EXPECT_FALSE(FServer->Received("/by-script"));
}

TEST_F(DevEnginePageStatus, APopUpTheHandlerAllowsOpensItsOwnWindow) {
  FClient.cancel_popups = false;
  Serve({{"/opener", {.Body = Page("")}}, {"/by-script", {.Body = Page("by script")}}});
  Open("/opener");
  ASSERT_TRUE(MainLoadEnded());
  const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
  const std::wstring code = L"window.open('/by-script')";
  const std::wstring script_url = L"test://open.js";
  const cef_string_t code_record = Borrowed(code), url_record = Borrowed(script_url);
  frame->execute_java_script(frame.get(), &code_record, &url_record, 1);
  ASSERT_TRUE(Pump([&] { return FServer->Received("/by-script"); }));
  EXPECT_EQ(FClient.Notes("after_created").size(), 2u);
  EXPECT_EQ(TopLevelPageWindows().size(), 1u);
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests(argc, argv); }
