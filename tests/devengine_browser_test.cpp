// The development engine as a browser: windows, loads and their
// notifications, the request and life-span handlers, history, stopping,
// failures, frames, cookies, pop-ups, the renderer and the inspector. Pages
// come from a local HTTP server. The executable also serves as the renderer
// processes its browsers start.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"

namespace {

// One notification as the test client received it.
struct Note {
  std::string kind{};
  int browser = 0;
  std::int64_t frame = 0;
  std::wstring text{};
  int number = 0;
  bool on_ui = false;
};

std::int64_t FrameId(cef_frame_t* frame) {
  return frame == nullptr ? 0 : frame->get_identifier(frame);
}

int BrowserId(cef_browser_t* browser) {
  return browser == nullptr ? 0 : browser->get_identifier(browser);
}

// A program's client with load, display, request and life-span handlers
// that note every call, with the thread it came on, and answer as the test
// sets.
class TestClient : public ProgramObject<TestClient> {
 public:
  TestClient() {
    client.record().get_load_handler = &HandOut<&TestClient::load>;
    client.record().get_display_handler = &HandOut<&TestClient::display>;
    client.record().get_request_handler = &HandOut<&TestClient::request>;
    client.record().get_life_span_handler = &HandOut<&TestClient::life_span>;
    load.record().on_load_start = &OnLoadStart;
    load.record().on_load_end = &OnLoadEnd;
    load.record().on_load_error = &OnLoadError;
    load.record().on_render_process_terminated = &OnTerminated;
    display.record().on_loading_state_change = &OnLoadingState;
    display.record().on_address_change = &OnAddress;
    display.record().on_title_change = &OnTitle;
    display.record().on_status_message = &OnStatus;
    request.record().on_before_resource_load = &OnBeforeResourceLoad;
    life_span.record().on_after_created = &OnAfterCreated;
    life_span.record().on_before_popup = &OnBeforePopup;
    life_span.record().on_before_close = &OnBeforeClose;
  }
  ~TestClient() {
    for (cef_browser_t* browser : created) Drop(browser);
  }

  std::vector<Note> Notes(const std::string& kind = {}) const {
    const std::lock_guard lock(mutex);
    std::vector<Note> chosen;
    std::ranges::copy_if(notes, std::back_inserter(chosen),
                         [&](const Note& note) { return kind.empty() || note.kind == kind; });
    return chosen;
  }
  std::size_t Count(const std::string& kind, int number) const {
    return std::ranges::count_if(Notes(kind),
                                 [&](const Note& note) { return note.number == number; });
  }

  // Set before the loads they concern.
  std::map<std::wstring, std::wstring> rewrite;
  std::set<std::wstring> cancel;
  bool cancel_popups = false;

  std::vector<cef_browser_t*> created;
  mutable std::mutex mutex;
  std::vector<Note> notes;
  ProgramRecord<cef_client_t, TestClient> client{this};
  ProgramRecord<cef_load_handler_t, TestClient> load{this};
  ProgramRecord<cef_display_handler_t, TestClient> display{this};
  ProgramRecord<cef_request_handler_t, TestClient> request{this};
  ProgramRecord<cef_life_span_handler_t, TestClient> life_span{this};

 private:
  void Add(Note note, cef_browser_t* browser, cef_frame_t* frame = nullptr) {
    note.browser = BrowserId(browser);
    note.frame = FrameId(frame);
    note.on_ui = cef_currently_on(TID_UI) != 0;
    Drop(browser);
    Drop(frame);
    const std::lock_guard lock(mutex);
    notes.push_back(std::move(note));
  }

  static void CEF_CALLBACK OnLoadStart(cef_load_handler_t* self, cef_browser_t* browser,
                                       cef_frame_t* frame) {
    Of(self).Add({"load_start"}, browser, frame);
  }
  static void CEF_CALLBACK OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser,
                                     cef_frame_t* frame, int status) {
    Of(self).Add({.kind = "load_end", .number = status}, browser, frame);
  }
  static void CEF_CALLBACK OnLoadError(cef_load_handler_t* self, cef_browser_t* browser,
                                       cef_frame_t* frame, int code, const cef_string_t*,
                                       const cef_string_t* url) {
    Of(self).Add({.kind = "load_error", .text = TextOf(*url), .number = code}, browser, frame);
  }
  static void CEF_CALLBACK OnTerminated(cef_load_handler_t* self, cef_browser_t* browser,
                                        cef_termination_status_t status) {
    Of(self).Add({.kind = "terminated", .number = status}, browser);
  }
  static void CEF_CALLBACK OnLoadingState(cef_display_handler_t* self, cef_browser_t* browser,
                                          int loading, int, int) {
    Of(self).Add({.kind = "loading", .number = loading}, browser);
  }
  static void CEF_CALLBACK OnAddress(cef_display_handler_t* self, cef_browser_t* browser,
                                     cef_frame_t* frame, const cef_string_t* url) {
    Of(self).Add({.kind = "address", .text = TextOf(*url)}, browser, frame);
  }
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Of(self).Add({.kind = "title", .text = TextOf(*title)}, browser);
  }
  static void CEF_CALLBACK OnStatus(cef_display_handler_t* self, cef_browser_t* browser,
                                    const cef_string_t* value) {
    Of(self).Add({.kind = "status", .text = TextOf(*value)}, browser);
  }
  static int CEF_CALLBACK OnBeforeResourceLoad(cef_request_handler_t* self, cef_browser_t* browser,
                                               cef_frame_t* frame, cef_request_t* request) {
    TestClient& client = Of(self);
    const std::wstring url = Take(request->get_url(request));
    if (const auto rewritten = client.rewrite.find(url); rewritten != client.rewrite.end()) {
      const cef_string_t address = Borrowed(rewritten->second);
      request->set_url(request, &address);
    }
    const bool cancelled = client.cancel.contains(url);
    Drop(request);
    client.Add({.kind = "before_resource_load", .text = url}, browser, frame);
    return cancelled ? 1 : 0;
  }
  static void CEF_CALLBACK OnAfterCreated(cef_life_span_handler_t* self, cef_browser_t* browser) {
    browser->base.add_ref(&browser->base);
    {
      const std::lock_guard lock(Of(self).mutex);
      Of(self).created.push_back(browser);
    }
    Of(self).Add({"after_created"}, browser);
  }
  static int CEF_CALLBACK OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser,
                                        cef_frame_t* frame, cef_string_t* target_url,
                                        cef_string_t* target_frame_name, cef_popup_features_t*,
                                        cef_window_info_t*, cef_client_t** client,
                                        cef_browser_settings_t*, int*) {
    TestClient& owner = Of(self);
    owner.Add({.kind = "popup", .text = TextOf(*target_url) + L" " + TextOf(*target_frame_name)},
              browser, frame);
    // The client going out carries a reference for the engine.
    *client = owner.client.Handed();
    return owner.cancel_popups ? 1 : 0;
  }
  static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Of(self).Add({"before_close"}, browser);
  }
};

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class DevEngineBrowser : public DevEngineBrowserFixture<TestClient> {
 protected:
  // Every browser, pop-ups too, is gone before the engine ends.
  void EndBrowser() override {
    EndWithTheWindow([&] {
      return FClient.Notes("before_close").size() >= FClient.Notes("after_created").size();
    });
  }

  std::int64_t MainFrameId() const {
    const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
    return frame->get_identifier(frame.get());
  }
  HWND EngineWindow() const {
    const Held<cef_browser_host_t> host(Browser()->get_host(Browser()));
    return host->get_window_handle(host.get());
  }

  void Load(const std::wstring& url) {
    const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
    const cef_string_t address = Borrowed(url);
    frame->load_url(frame.get(), &address);
  }
  // Waits until `count` loads in all have ended.
  bool LoadsEnded(std::size_t count) {
    return Pump([&] { return FClient.Count("loading", 0) >= count; });
  }
  std::wstring LastAddress() const { return FClient.Notes("address").back().text; }

  std::optional<std::wstring> SourceOf(cef_frame_t* frame, bool text = false) {
    TextVisitor visitor;
    if (text) {
      frame->get_text(frame, visitor.program.Handed());
    } else {
      frame->get_source(frame, visitor.program.Handed());
    }
    Pump([&] { return visitor.text.has_value(); });
    EXPECT_TRUE(visitor.on_ui);
    return visitor.text;
  }
  std::optional<std::wstring> MainSource() {
    const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
    return SourceOf(frame.get());
  }
};

TEST_F(DevEngineBrowser, ALoadIsAnnouncedInOrderOnTheUiThread) {
  Serve({{"/page", {.Body = Page("Hello", "<p>Hi there</p>")}}});
  OpenBrowser(Url("/page"));
  ASSERT_TRUE(LoadsEnded(1));
  const std::int64_t main = MainFrameId();
  struct Expected {
    std::string kind;
    std::wstring text;
    int number;
  };
  const std::vector<Expected> expected = {{"after_created", L"", 0}, {"loading", L"", 1},
                                          {"load_start", L"", 0},    {"address", Url("/page"), 0},
                                          {"title", L"Hello", 0},    {"load_end", L"", 200},
                                          {"loading", L"", 0}};
  std::vector<Note> seen;
  std::ranges::copy_if(FClient.Notes(), std::back_inserter(seen),
                       [](const Note& note) { return note.kind != "before_resource_load"; });
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t index = 0; index < seen.size(); ++index) {
    SCOPED_TRACE(seen[index].kind);
    EXPECT_EQ(seen[index].kind, expected[index].kind);
    EXPECT_EQ(seen[index].text, expected[index].text);
    EXPECT_EQ(seen[index].number, expected[index].number);
    EXPECT_EQ(seen[index].browser, Browser()->get_identifier(Browser()));
    EXPECT_TRUE(seen[index].on_ui);
    if (seen[index].kind.starts_with("load_") || seen[index].kind == "address") {
      EXPECT_EQ(seen[index].frame, main);
    }
  }
  const std::vector<Note> asked = FClient.Notes("before_resource_load");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, Url("/page"));
  EXPECT_FALSE(asked[0].on_ui);
  EXPECT_EQ(asked[0].frame, main);
  // The renderer shows the document and answers for it on the UI thread.
  EXPECT_EQ(MainSource(),
            L"<html><head><title>Hello</title></head><body><p>Hi there</p></body></html>");
}

TEST_F(DevEngineBrowser, TheRequestHandlerRewritesAndCancelsRequests) {
  Serve({{"/target", {.Body = Page("t", "<img src=\"/blocked.png\"><img src=\"/kept.png\">")}},
         {"/kept.png", {.Headers = {{"Content-Type", "image/png"}}, .Body = "x"}},
         {"/blocked.png", {.Headers = {{"Content-Type", "image/png"}}, .Body = "x"}}});
  FClient.rewrite[Url("/alias")] = Url("/target");
  FClient.cancel = {Url("/blocked.png"), Url("/never")};
  OpenBrowser(Url("/alias"));
  ASSERT_TRUE(LoadsEnded(1));
  EXPECT_EQ(LastAddress(), Url("/target"));
  ASSERT_TRUE(Pump([&] { return FServer->Received("/kept.png"); }));
  EXPECT_TRUE(FServer->Received("/target"));
  EXPECT_FALSE(FServer->Received("/alias"));
  EXPECT_FALSE(FServer->Received("/blocked.png"));

  // A cancelled document fails as aborted and leaves the page as it was.
  Load(Url("/never"));
  ASSERT_TRUE(LoadsEnded(2));
  const std::vector<Note> errors = FClient.Notes("load_error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].number, -3);
  EXPECT_EQ(errors[0].text, Url("/never"));
  EXPECT_FALSE(FServer->Received("/never"));
  EXPECT_EQ(LastAddress(), Url("/target"));
}

TEST_F(DevEngineBrowser, BackAndForwardWalkTheHistory) {
  Serve({{"/a", {.Body = Page("A", "a")}}, {"/b", {.Body = Page("B", "b")}}});
  OpenBrowser(Url("/a"));
  ASSERT_TRUE(LoadsEnded(1));
  EXPECT_EQ(Browser()->can_go_back(Browser()), 0);
  Load(Url("/b"));
  ASSERT_TRUE(LoadsEnded(2));
  EXPECT_EQ(Browser()->can_go_back(Browser()), 1);
  EXPECT_EQ(Browser()->can_go_forward(Browser()), 0);

  Browser()->go_back(Browser());
  ASSERT_TRUE(LoadsEnded(3));
  EXPECT_EQ(LastAddress(), Url("/a"));
  EXPECT_EQ(FClient.Notes("title").back().text, L"A");
  EXPECT_EQ(Browser()->can_go_back(Browser()), 0);
  EXPECT_EQ(Browser()->can_go_forward(Browser()), 1);

  Browser()->go_forward(Browser());
  ASSERT_TRUE(LoadsEnded(4));
  EXPECT_EQ(LastAddress(), Url("/b"));
  EXPECT_EQ(Browser()->can_go_forward(Browser()), 0);
}

TEST_F(DevEngineBrowser, StopEndsASlowPageAsAborted) {
  Serve({{"/slow", {.Body = Page("slow", "late"), .DelayMs = 60000}}});
  OpenBrowser(Url("/slow"));
  ASSERT_TRUE(Pump([&] { return FServer->Received("/slow"); }));
  EXPECT_EQ(Browser()->is_loading(Browser()), 1);
  Browser()->stop_load(Browser());
  ASSERT_TRUE(LoadsEnded(1));
  const std::vector<Note> errors = FClient.Notes("load_error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].number, -3);
  EXPECT_EQ(errors[0].text, Url("/slow"));
  EXPECT_TRUE(FClient.Notes("load_end").empty());
  EXPECT_EQ(Browser()->is_loading(Browser()), 0);
}

TEST_F(DevEngineBrowser, AddressesThatCannotLoadFailWithAnErrorPage) {
  struct Case {
    std::wstring url;
    int code;
  };
  const Case cases[] = {
      {L"nimbraword", -300}, {L"local://c/", -302}, {L"http://127.0.0.1:1/", -102}};
  OpenBrowser(L"");
  std::size_t loads = 0;
  for (const Case& failing : cases) {
    SCOPED_TRACE(std::string(failing.url.begin(), failing.url.end()));
    Load(failing.url);
    ASSERT_TRUE(LoadsEnded(++loads));
    const Note error = FClient.Notes("load_error").back();
    EXPECT_EQ(error.number, failing.code);
    EXPECT_EQ(error.text, failing.url);
    EXPECT_TRUE(error.on_ui);
    EXPECT_EQ(LastAddress(), failing.url);
    const std::optional<std::wstring> source = MainSource();
    ASSERT_TRUE(source.has_value());
    EXPECT_NE(source->find(L"cannot be shown"), std::wstring::npos);
    EXPECT_NE(source->find(failing.url), std::wstring::npos);
  }
}

TEST_F(DevEngineBrowser, AnIframeReportsItsLoadForItsOwnFrame) {
  Serve({{"/outer", {.Body = Page("outer", "<iframe name=\"child\" src=\"/inner\"></iframe>")}},
         {"/inner", {.Body = Page("inner", "<p>inside</p>")}}});
  OpenBrowser(Url("/outer"));
  ASSERT_TRUE(LoadsEnded(1));
  const std::int64_t main = MainFrameId();
  const std::wstring child_name = L"child";
  const cef_string_t name = Borrowed(child_name);
  const Held<cef_frame_t> child(Browser()->get_frame(Browser(), &name));
  ASSERT_NE(child.get(), nullptr);
  const std::int64_t inner = child->get_identifier(child.get());
  EXPECT_NE(inner, main);
  EXPECT_EQ(Browser()->get_frame_count(Browser()), 2u);
  EXPECT_EQ(Take(child->get_url(child.get())), Url("/inner"));

  std::vector<std::pair<std::string, std::int64_t>> loads;
  for (const Note& note : FClient.Notes()) {
    if (note.kind == "load_start" || note.kind == "load_end")
      loads.emplace_back(note.kind, note.frame);
  }
  const std::vector<std::pair<std::string, std::int64_t>> expected = {
      {"load_start", main}, {"load_start", inner}, {"load_end", inner}, {"load_end", main}};
  EXPECT_EQ(loads, expected);
  EXPECT_EQ(SourceOf(child.get(), true), L"inside");
}

TEST_F(DevEngineBrowser, CookiesFromAResponseGoBackWithLaterRequests) {
  Serve({{"/set",
          {.Headers = {{"Content-Type", "text/html"}, {"Set-Cookie", "flavour=oat; Path=/"}},
           .Body = Page("set", "")}},
         {"/check", {.Body = Page("check", "")}}});
  OpenBrowser(Url("/set"));
  ASSERT_TRUE(LoadsEnded(1));
  Load(Url("/check"));
  ASSERT_TRUE(LoadsEnded(2));
  std::map<std::string, std::string> cookies;
  for (const TRecordedRequest& request : FServer->Requests())
    cookies[request.Path] = request.Cookie;
  EXPECT_EQ(cookies["/set"], "");
  EXPECT_EQ(cookies["/check"], "flavour=oat");
}

TEST_F(DevEngineBrowser, ALinkToANewWindowAsksBeforeOpeningAPopup) {
  Serve({{"/links",
          {.Body = Page("links",
                        "<a href=\"/opened\" target=\"_blank\">open a new window with "
                        "this rather long link text</a>")}},
         {"/opened", {.Body = Page("opened", "new")}}});
  OpenBrowser(Url("/links"));
  ASSERT_TRUE(LoadsEnded(1));
  // Found the way a user finds it: the status line names it under the pointer.
  const HWND window = EngineWindow();
  std::optional<LPARAM> over_link;
  for (int y = 2; y < 120 && !over_link; y += 4) {
    for (int x = 4; x < 200 && !over_link; x += 12) {
      SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
      Pump([] { return false; }, 20);
      const std::vector<Note> status = FClient.Notes("status");
      if (!status.empty() && status.back().text == Url("/opened")) over_link = MAKELPARAM(x, y);
    }
  }
  ASSERT_TRUE(over_link.has_value()) << "no link under the pointer";
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, *over_link);
  SendMessageW(window, WM_LBUTTONUP, 0, *over_link);
  ASSERT_TRUE(Pump([&] { return FClient.Notes("after_created").size() == 2; }));
  const std::vector<Note> asked = FClient.Notes("popup");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, Url("/opened") + L" _blank");
  EXPECT_FALSE(asked[0].on_ui);
  cef_browser_t* popup = FClient.created.back();
  EXPECT_EQ(popup->is_popup(popup), 1);
  EXPECT_EQ(Browser()->is_popup(Browser()), 0);
  EXPECT_NE(popup->get_identifier(popup), Browser()->get_identifier(Browser()));
  ASSERT_TRUE(Pump([&] { return FServer->Received("/opened"); }));
}

TEST_F(DevEngineBrowser, ARendererThatDiesIsReportedAndReplacedAtTheNextLoad) {
  Serve({{"/one", {.Body = Page("one", "first")}}, {"/two", {.Body = Page("two", "second")}}});
  OpenBrowser(Url("/one"));
  ASSERT_TRUE(LoadsEnded(1));
  ASSERT_TRUE(MainSource().has_value());
  // The renderer is the only child process this test has.
  std::optional<DWORD> renderer;
  for (DWORD id : ChildProcesses()) renderer = id;
  ASSERT_TRUE(renderer.has_value());
  const TKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, *renderer));
  ASSERT_TRUE(TerminateProcess(process.get(), 1));
  ASSERT_TRUE(Pump([&] { return !FClient.Notes("terminated").empty(); }));
  EXPECT_EQ(FClient.Notes("terminated")[0].number, TS_PROCESS_WAS_KILLED);
  Load(Url("/two"));
  ASSERT_TRUE(LoadsEnded(2));
  EXPECT_EQ(MainSource(), L"<html><head><title>two</title></head><body>second</body></html>");
}

class DevEngineInspector : public DevEngineBrowser {
 protected:
  void SetUp() override {
    FPort = FreePort();
    StartEngine(FPort);
  }
  static int FreePort() {
    const TTestHttpServer probe({});
    return probe.Port();
  }
  int FPort = 0;
};

TEST_F(DevEngineInspector, TheInspectorShowsAPageAddressTitleAndSource) {
  Serve({{"/page", {.Body = Page("Looked at", "<b>bold</b>")}}});
  OpenBrowser(Url("/page"));
  ASSERT_TRUE(LoadsEnded(1));
  const Held<cef_browser_host_t> host(Browser()->get_host(Browser()));
  const std::wstring address = Take(host->get_dev_tools_url(host.get(), 1));
  const int id = Browser()->get_identifier(Browser());
  EXPECT_EQ(address,
            L"http://127.0.0.1:" + std::to_wstring(FPort) + L"/devtools/" + std::to_wstring(id));
  Load(address);
  ASSERT_TRUE(LoadsEnded(2));
  EXPECT_EQ(FClient.Notes("load_end").back().number, 200);
  const std::optional<std::wstring> shown = MainSource();
  ASSERT_TRUE(shown.has_value());
  EXPECT_NE(shown->find(Url("/page")), std::wstring::npos);
  EXPECT_NE(shown->find(L"Looked at"), std::wstring::npos);
  EXPECT_NE(shown->find(L"&lt;b&gt;bold&lt;/b&gt;"), std::wstring::npos);
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests(argc, argv); }
