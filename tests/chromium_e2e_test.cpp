// The browser control from end to end: a TChromium filling a plain form in a
// real window, over the development engine, with pages from a local HTTP
// server, watched through the control's events only. The engine's work is
// pumped by the control's own timer from the window message loop; its
// renderers are nimbra.exe. Each test runs in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "application.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "chromium.h"
#include "test_http_server.h"
#include "test_support.h"

namespace {

// One event as the control raised it, with the thread it came on.
struct TEventNote {
  std::string Kind{};
  DWORD Thread = 0;
  std::wstring Text{};  // address, title, status, failed or requested address, frame address
  int Number = 0;       // HTTP status, error code, termination status
  bool MainFrame = false;
  int64_t FrameId = 0;
  bool CanGoBack = false;
  bool CanGoForward = false;
};

// Events come on the main thread and on the engine's own; the test reads them
// on the main thread.
class TEventRecorder {
 public:
  void Add(TEventNote note) {
    note.Thread = GetCurrentThreadId();
    const std::lock_guard lock(FMutex);
    FNotes.push_back(std::move(note));
  }
  std::vector<TEventNote> Notes(const std::vector<std::string>& kinds = {}) const {
    const std::lock_guard lock(FMutex);
    std::vector<TEventNote> chosen;
    for (const TEventNote& note : FNotes)
      if (kinds.empty() || std::find(kinds.begin(), kinds.end(), note.Kind) != kinds.end())
        chosen.push_back(note);
    return chosen;
  }
  size_t Count(const std::string& kind) const { return Notes({kind}).size(); }
  void Clear() {
    const std::lock_guard lock(FMutex);
    FNotes.clear();
  }

 private:
  mutable std::mutex FMutex;
  std::vector<TEventNote> FNotes;
};

TEventNote FrameNote(std::string kind, PFrame frame) {
  TEventNote note{.Kind = std::move(kind)};
  if (frame) {
    note.MainFrame = frame->IsMain();
    note.FrameId = frame->GetIdentifier();
    note.Text = frame->GetUrl();
  }
  return note;
}

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class TPlainForm : public TForm {
 public:
  TPlainForm() { CreateForm(L"Nimbra end to end", 640, 480); }
  using TWinControl::Loaded;
};

class ChromiumEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // Inherited by the renderers, which trace into the same file.
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", TracePath().c_str());
    FMainThread = GetCurrentThreadId();
    CeflibInitialization();
    EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
    EngineSettings.BrowserSubprocessPath = BinFolder() + L"\\nimbra.exe";
    ASSERT_TRUE(LoadEngine());

    FControl = std::make_unique<TChromium>(&FForm);
    FControl->SetAlign(TAlign::alClient);
    ListenTo(*FControl);
    // On top at a known place, so that the pointer finds it.
    SetWindowPos(FForm.Handle(), HWND_TOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    FForm.Loaded();
    ASSERT_NE(FControl->Browser(), nullptr);
    ASSERT_TRUE(LoadsEnded(1)) << "the default address";
    FEvents.Clear();
  }

  void TearDown() override {
    FControl.reset();
    FServer.reset();
    CeflibFinalization();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }

  void ListenTo(TChromium& control) {
    control.SetOnLoadStart([this](TCustomChromium&, PBrowser, PFrame frame) {
      FEvents.Add(FrameNote("load_start", frame));
    });
    control.SetOnLoadEnd([this](TCustomChromium&, PBrowser, PFrame frame, int status) {
      TEventNote note = FrameNote("load_end", frame);
      note.Number = status;
      FEvents.Add(std::move(note));
    });
    control.SetOnLoadError([this](TCustomChromium&, PBrowser, PFrame frame, int code,
                                  const ustring&, const ustring& failedUrl) {
      TEventNote note = FrameNote("load_error", frame);
      note.Number = code;
      note.Text = failedUrl;
      FEvents.Add(std::move(note));
    });
    control.SetOnAddressChange(
        [this](TCustomChromium&, PBrowser, PFrame frame, const ustring& url) {
          TEventNote note = FrameNote("address", frame);
          note.Text = url;
          FEvents.Add(std::move(note));
        });
    control.SetOnTitleChange([this](TCustomChromium&, PBrowser, const ustring& title) {
      FEvents.Add({.Kind = "title", .Text = title});
    });
    control.SetOnLoadingStateChange(
        [this](TCustomChromium&, PBrowser, bool isLoading, bool canGoBack, bool canGoForward) {
          FEvents.Add({.Kind = isLoading ? "loading" : "loaded",
                       .CanGoBack = canGoBack,
                       .CanGoForward = canGoForward});
        });
    control.SetOnStatusMessage([this](TCustomChromium&, PBrowser, const ustring& value) {
      FEvents.Add({.Kind = "status", .Text = value});
    });
    control.SetOnRenderProcessTerminated(
        [this](TCustomChromium&, PBrowser, TCefTerminationStatus status) {
          FEvents.Add({.Kind = "terminated", .Number = status});
        });
    control.SetOnBeforeResourceLoad([this](TCustomChromium&, PBrowser, PFrame,
                                           const TInterfacePtr<ICefRequest>& request, bool&) {
      const ustring url = request->GetUrl();
      if (const auto alias = FRewrite.find(url); alias != FRewrite.end())
        request->SetUrl(alias->second);
      FEvents.Add({.Kind = "before_resource_load", .Text = url});
    });
  }

  void Serve(std::map<std::string, TTestPage> pages) {
    FServer = std::make_unique<TTestHttpServer>(std::move(pages));
  }
  std::wstring Url(const std::string& path) const { return FServer->Url(path); }
  std::wstring TracePath() const { return FTrace.File(L"trace.txt"); }

  // Runs the window messages, and with them the control's engine pump, until
  // `done` or the time runs out.
  static bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 15000) {
    return WaitUntil(
        [&] {
          Application.ProcessMessages();
          return done();
        },
        milliseconds);
  }
  // Until `count` loads in all have ended, the browser loading no more.
  bool LoadsEnded(size_t count) {
    return PumpUntil([&] { return FEvents.Count("loaded") >= count; });
  }
  std::wstring LastOf(const std::string& kind) const {
    const std::vector<TEventNote> notes = FEvents.Notes({kind});
    return notes.empty() ? L"" : notes.back().Text;
  }
  std::optional<std::wstring> MainSource() {
    auto source = std::make_shared<std::optional<std::wstring>>();
    FControl->Browser()->GetMainFrame()->GetSourceProc(
        [source](const ustring& text) { *source = text; });
    PumpUntil([&] { return source->has_value(); });
    return *source;
  }
  // Whether the renderer process `pid` has taken up the control's browser.
  bool RendererServes(DWORD pid) const {
    const std::string browser = std::to_string(FControl->BrowserId());
    for (const std::string& line : TraceEvents(ReadLines(TracePath()), "renderer")) {
      if (line.starts_with(std::to_string(pid) + " renderer started ") &&
          TraceValue(line, "browser") == browser)
        return true;
    }
    return false;
  }
  // The renderer processes the engine started for the control's browser, in order.
  std::vector<DWORD> RenderersOfBrowser() const {
    std::vector<DWORD> renderers;
    const std::string browser = std::to_string(FControl->BrowserId());
    for (const std::string& line : TraceEvents(ReadLines(TracePath()), "renderer_host")) {
      if (line.find(" started ") == std::string::npos) continue;
      if (TraceValue(line, "browser") != browser) continue;
      if (const auto pid = TraceValue(line, "pid")) renderers.push_back(std::stoul(*pid));
    }
    return renderers;
  }

  TTempFolder FTrace;
  DWORD FMainThread = 0;
  TEventRecorder FEvents;
  // Set before the load it concerns; read on the engine's request thread.
  std::map<std::wstring, std::wstring> FRewrite;
  std::unique_ptr<TTestHttpServer> FServer;
  TPlainForm FForm;
  std::unique_ptr<TChromium> FControl;
};

TEST_F(ChromiumEndToEnd, ALoadIsAnnouncedInOrderOnTheMainThread) {
  Serve({{"/page", {.Body = Page("Hello", "<p>Hi there</p>")}}});
  FControl->Load(Url("/page"));
  ASSERT_TRUE(LoadsEnded(1));

  const std::vector<TEventNote> seen =
      FEvents.Notes({"load_start", "address", "title", "load_end"});
  struct TExpected {
    std::string Kind;
    std::wstring Text;
    int Number;
  };
  const TExpected expected[] = {{"load_start", Url("/page"), 0},
                                {"address", Url("/page"), 0},
                                {"title", L"Hello", 0},
                                {"load_end", Url("/page"), 200}};
  ASSERT_EQ(seen.size(), std::size(expected));
  const int64_t main = FControl->Browser()->GetMainFrame()->GetIdentifier();
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(expected[i].Kind);
    EXPECT_EQ(seen[i].Kind, expected[i].Kind);
    EXPECT_EQ(seen[i].Text, expected[i].Text);
    EXPECT_EQ(seen[i].Number, expected[i].Number);
    EXPECT_EQ(seen[i].Thread, FMainThread);
    if (seen[i].Kind != "title") {
      EXPECT_TRUE(seen[i].MainFrame);
      EXPECT_EQ(seen[i].FrameId, main);
    }
  }
}

TEST_F(ChromiumEndToEnd, BeforeResourceLoadComesOnAnotherThreadAndRewritesTheAddress) {
  Serve({{"/target", {.Body = Page("Target", "<p>rewritten</p>")}},
         {"/alias", {.Body = Page("Alias", "<p>asked for</p>")}}});
  FRewrite[Url("/alias")] = Url("/target");
  FControl->Load(Url("/alias"));
  ASSERT_TRUE(LoadsEnded(1));

  const std::vector<TEventNote> asked = FEvents.Notes({"before_resource_load"});
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Text, Url("/alias"));
  EXPECT_NE(asked[0].Thread, FMainThread);
  EXPECT_TRUE(FServer->Received("/target"));
  EXPECT_FALSE(FServer->Received("/alias"));
  EXPECT_EQ(LastOf("address"), Url("/target"));
  EXPECT_EQ(LastOf("title"), L"Target");
}

TEST_F(ChromiumEndToEnd, BackAndForwardAreFollowedByTheAddressEvents) {
  Serve({{"/a", {.Body = Page("A", "a")}}, {"/b", {.Body = Page("B", "b")}}});
  const PBrowser browser = FControl->Browser();
  // The default address the control showed first is the oldest entry.
  struct TStep {
    const char* Name;
    std::function<void()> Act;
    std::wstring Shown;
    bool CanGoBack;
    bool CanGoForward;
  };
  const auto load = [&](const std::string& path) {
    return [&, path] { FControl->Load(Url(path)); };
  };
  const auto back = [&] { browser->GoBack(); };
  const auto forward = [&] { browser->GoForward(); };
  const TStep steps[] = {
      {"load a", load("/a"), Url("/a"), true, false},
      {"load b", load("/b"), Url("/b"), true, false},
      {"back to a", back, Url("/a"), true, true},
      {"back to the first", back, L"about:blank", false, true},
      {"forward to a", forward, Url("/a"), true, true},
      {"forward to b", forward, Url("/b"), true, false},
  };
  size_t loads = 0;
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    step.Act();
    ASSERT_TRUE(LoadsEnded(++loads));
    EXPECT_EQ(LastOf("address"), step.Shown);
    const TEventNote loaded = FEvents.Notes({"loaded"}).back();
    EXPECT_EQ(loaded.CanGoBack, step.CanGoBack);
    EXPECT_EQ(loaded.CanGoForward, step.CanGoForward);
    EXPECT_EQ(browser->CanGoBack(), step.CanGoBack);
    EXPECT_EQ(browser->CanGoForward(), step.CanGoForward);
  }
}

// The bundled start page's "Say hello" link runs its script, which asks for a
// name and greets with a list it counts; the engine's own dialogs answer.
TEST_F(ChromiumEndToEnd, TheStartPagesGreetingLinkRunsItsScript) {
  std::wstring page = L"file:///" + BinFolder() + L"/resources/start.html";
  std::ranges::replace(page, L'\\', L'/');
  FControl->Load(page);
  ASSERT_TRUE(LoadsEnded(1));
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", L"accept:Ada");
  FControl->Load(L"javascript:greet()");
  const auto dialogs = [&] { return TraceEvents(ReadLines(TracePath()), "dialog"); };
  const bool answered = PumpUntil([&] { return dialogs().size() >= 2; });
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", nullptr);
  ASSERT_TRUE(answered);
  const std::vector<std::string> asked = dialogs();
  EXPECT_EQ(TraceValue(asked[0], "kind"), "prompt");
  EXPECT_EQ(TraceValue(asked[0], "message"), "What is your name?");
  EXPECT_EQ(TraceValue(asked[0], "default"), "friend");
  EXPECT_EQ(TraceValue(asked[1], "kind"), "alert");
  EXPECT_EQ(TraceValue(asked[1], "message"),
            "Hello, Ada! The script on this page counted the first squares: 1, 4, 9, 16, 25.");
  EXPECT_EQ(FEvents.Count("load_start"), 1u) << "the page stays";
}

TEST_F(ChromiumEndToEnd, StopEndsASlowPageAsAborted) {
  Serve({{"/slow", {.Body = Page("slow", "late"), .DelayMs = 60000}}});
  FControl->Load(Url("/slow"));
  ASSERT_TRUE(PumpUntil([&] { return FServer->Received("/slow"); }));
  ASSERT_TRUE(FControl->Browser()->IsLoading());
  FControl->Browser()->StopLoad();
  ASSERT_TRUE(LoadsEnded(1));

  // The document had not come: the load fails as aborted, without an error page.
  const std::vector<TEventNote> errors = FEvents.Notes({"load_error"});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Number, -3);
  EXPECT_EQ(errors[0].Text, Url("/slow"));
  EXPECT_TRUE(errors[0].MainFrame);
  EXPECT_EQ(errors[0].Thread, FMainThread);
  EXPECT_EQ(FEvents.Count("load_start"), 0u);
  EXPECT_EQ(FEvents.Count("load_end"), 0u);
  EXPECT_FALSE(FControl->Browser()->IsLoading());
}

TEST_F(ChromiumEndToEnd, ABareWordFailsAndShowsAnErrorPage) {
  FControl->Load(L"nimbraword");
  ASSERT_TRUE(LoadsEnded(1));

  const std::vector<TEventNote> seen = FEvents.Notes({"load_error", "address", "load_end"});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].Kind, "load_error");
  EXPECT_EQ(seen[0].Number, -300);
  EXPECT_EQ(seen[0].Text, L"nimbraword");
  EXPECT_EQ(seen[1].Kind, "address");
  EXPECT_EQ(seen[1].Text, L"nimbraword");
  EXPECT_EQ(seen[2].Kind, "load_end");
  EXPECT_EQ(seen[2].Number, 0) << "the error page's own load";
  for (const TEventNote& note : seen) {
    EXPECT_TRUE(note.MainFrame);
    EXPECT_EQ(note.Thread, FMainThread);
  }
  const std::optional<std::wstring> source = MainSource();
  ASSERT_TRUE(source.has_value());
  EXPECT_NE(source->find(L"nimbraword"), std::wstring::npos) << "the error page names it";
}

TEST_F(ChromiumEndToEnd, AnIframesLoadIsReportedForItsOwnFrame) {
  Serve({{"/outer", {.Body = Page("outer", "<iframe name=\"child\" src=\"/inner\"></iframe>")}},
         {"/inner", {.Body = Page("inner", "<p>inside</p>")}}});
  FControl->Load(Url("/outer"));
  ASSERT_TRUE(LoadsEnded(1));

  const std::vector<TEventNote> loads = FEvents.Notes({"load_start", "load_end"});
  ASSERT_EQ(loads.size(), 4u);
  struct TExpected {
    std::string Kind;
    bool MainFrame;
    std::string Path;
  };
  const TExpected expected[] = {{"load_start", true, "/outer"},
                                {"load_start", false, "/inner"},
                                {"load_end", false, "/inner"},
                                {"load_end", true, "/outer"}};
  for (size_t i = 0; i < loads.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(loads[i].Kind, expected[i].Kind);
    EXPECT_EQ(loads[i].MainFrame, expected[i].MainFrame);
    EXPECT_EQ(loads[i].Text, Url(expected[i].Path));
    EXPECT_EQ(loads[i].Thread, FMainThread);
  }
  EXPECT_NE(loads[1].FrameId, loads[0].FrameId);
  EXPECT_EQ(loads[2].FrameId, loads[1].FrameId);
  EXPECT_EQ(loads[2].Number, 200);
  EXPECT_EQ(FControl->Browser()->GetFrame(L"child")->GetIdentifier(), loads[1].FrameId);
}

TEST_F(ChromiumEndToEnd, AKilledRendererIsReportedAndTheControlLoadsAgain) {
  Serve({{"/one", {.Body = Page("one", "first")}}, {"/two", {.Body = Page("two", "second")}}});
  FControl->Load(Url("/one"));
  ASSERT_TRUE(LoadsEnded(1));
  const std::vector<DWORD> started = RenderersOfBrowser();
  ASSERT_EQ(started.size(), 1u) << "one renderer per browser";
  ASSERT_TRUE(PumpUntil([&] { return RendererServes(started[0]); }))
      << "the renderer never took up its browser";

  const TKernelHandle renderer(OpenProcess(PROCESS_TERMINATE, FALSE, started[0]));
  ASSERT_NE(renderer.get(), nullptr);
  ASSERT_TRUE(TerminateProcess(renderer.get(), 1));
  ASSERT_TRUE(PumpUntil([&] { return FEvents.Count("terminated") > 0; }));
  const std::vector<TEventNote> terminated = FEvents.Notes({"terminated"});
  ASSERT_EQ(terminated.size(), 1u);
  EXPECT_EQ(terminated[0].Number, TS_PROCESS_WAS_KILLED);
  EXPECT_EQ(terminated[0].Thread, FMainThread);

  FControl->Load(Url("/two"));
  ASSERT_TRUE(LoadsEnded(2));
  const std::vector<TEventNote> ends = FEvents.Notes({"load_end"});
  ASSERT_FALSE(ends.empty());
  EXPECT_EQ(ends.back().Text, Url("/two"));
  EXPECT_EQ(ends.back().Number, 200);
  EXPECT_EQ(LastOf("title"), L"two");
  const std::vector<DWORD> now = RenderersOfBrowser();
  ASSERT_EQ(now.size(), 2u) << "the load started a new renderer";
  EXPECT_NE(now[1], now[0]);
  EXPECT_TRUE(PumpUntil([&] { return RendererServes(now[1]); }));
}

TEST_F(ChromiumEndToEnd, ThePointerOverALinkShowsItsAddressAndNothingWhenItLeaves) {
  Serve({{"/links",
          {.Body = Page("links",
                        "<h1><a href=\"/target\">a link that runs a long way across the "
                        "page</a></h1>")}}});
  FControl->Load(Url("/links"));
  ASSERT_TRUE(LoadsEnded(1));
  const HWND page = FControl->Browser()->GetHost()->GetWindowHandle();
  ASSERT_NE(page, nullptr);
  const auto pointAt = [page](int x, int y) {
    POINT point{x, y};
    ClientToScreen(page, &point);
    SetCursorPos(point.x, point.y);
  };

  // Where the link lies is the layout's business: the pointer looks for it.
  const std::wstring link = Url("/target");
  bool found = false;
  for (int y = 4; y < 90 && !found; y += 6) {
    for (int x = 16; x < 300 && !found; x += 40) {
      pointAt(x, y);
      found = PumpUntil([&] { return LastOf("status") == link; }, 60);
    }
  }
  ASSERT_TRUE(found) << "no status for the link under the pointer";
  RECT client;
  GetClientRect(page, &client);
  pointAt(client.right - 10, client.bottom - 10);
  ASSERT_TRUE(PumpUntil([&] { return LastOf("status").empty(); }));

  const std::vector<TEventNote> status = FEvents.Notes({"status"});
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[0].Text, link) << "the link's absolute address";
  EXPECT_EQ(status[1].Text, L"");
  for (const TEventNote& note : status) EXPECT_EQ(note.Thread, FMainThread);
}

}  // namespace
