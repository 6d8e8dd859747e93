// The main window in the test process, over the development engine, with
// pages from a local HTTP server: its menus and keys, the update rules of the
// navigation commands, navigation, and its two languages. Keys are real key
// presses (SendInput) through the application's message loop; the engine's
// renderers are nimbra.exe.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "FormLocal.h"
#include "application.h"
#include "cef_loader.h"
#include "main_form.h"
#include "main_module.h"
#include "mo_en.h"
#include "mo_fr.h"
#include "test_http_server.h"
#include "test_support.h"

namespace {

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// Presses and releases `key` with Ctrl when asked, as a user's keyboard does.
void PressKey(WORD key, bool ctrl) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (ctrl) add(VK_CONTROL, false);
  add(key, false);
  add(key, true);
  if (ctrl) add(VK_CONTROL, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The text of a menu entry as the Win32 menu shows it.
std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return text;
}

// The sub-menu at `position` of the window's menu bar, as it is when a user
// opens it.
HMENU OpenedSubMenu(HWND window, int position) {
  const HMENU menu = GetSubMenu(GetMenu(window), position);
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), position);
  return menu;
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", TracePath().c_str());
    CeflibInitialization();
    FormLocalInitialization();
    MainInitialization();
    mo_enInitialization();
    mo_frInitialization();
    EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
    EngineSettings.BrowserSubprocessPath = BinFolder() + L"\\nimbra.exe";
    ASSERT_TRUE(LoadEngine());
    Application.Initialize();
    FForm = &Application.CreateForm<TMainForm>();
    FForm->Show();
    SetForegroundWindow(FForm->Handle());
    ASSERT_NE(FForm->crm->Browser(), nullptr);
    // The home page is out of reach here; its load ends with an error page.
    ASSERT_TRUE(PumpUntil([&] {
      const std::string browser = std::to_string(FForm->crm->BrowserId());
      for (const std::string& line : TraceEvents(ReadLines(TracePath()), "load_end"))
        if (TraceValue(line, "browser") == browser) return true;
      return false;
    }));
    Pump(200);
  }

  void TearDown() override {
    Application.DestroyForms();
    FServer.reset();
    MainFinalization();
    FormLocalFinalization();
    CeflibFinalization();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }

  void Serve(std::map<std::string, TTestPage> pages) {
    FServer = std::make_unique<TTestHttpServer>(std::move(pages));
  }
  std::wstring Url(const std::string& path) const { return FServer->Url(path); }
  std::wstring TracePath() const { return FTrace.File(L"trace.txt"); }

  static bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 15000) {
    return WaitUntil(
        [&] {
          Application.ProcessMessages();
          return done();
        },
        milliseconds);
  }
  // Lets the window handle what is queued for a while.
  static void Pump(DWORD milliseconds = 500) {
    PumpUntil([] { return false; }, milliseconds);
  }

  TInterfacePtr<ICefFrame> MainFrame() const { return FForm->crm->Browser()->GetMainFrame(); }
  std::wstring MainUrl() const { return MainFrame()->GetUrl(); }
  // Loads `url` into the main view and waits for its load end.
  bool LoadAndWait(const std::wstring& url) {
    MainFrame()->LoadUrl(url);
    return PumpUntil([&] { return MainUrl() == url && !FForm->Loading(); });
  }
  // The addresses the engine was asked to load into the main view, in order.
  std::vector<std::string> Navigations() const {
    std::vector<std::string> urls;
    const std::string browser = std::to_string(FForm->crm->BrowserId());
    for (const std::string& line : TraceEvents(ReadLines(TracePath()), "navigation"))
      if (TraceValue(line, "browser") == browser) urls.push_back(TraceValue(line, "url").value());
    return urls;
  }
  std::wstring MainSource() {
    auto source = std::make_shared<std::optional<std::wstring>>();
    MainFrame()->GetSourceProc([source](const ustring& text) { *source = text; });
    PumpUntil([&] { return source->has_value(); });
    return source->value_or(L"");
  }
  double Zoom() const { return FForm->crm->Browser()->GetHost()->GetZoomLevel(); }

  TTempFolder FTrace;
  std::unique_ptr<TTestHttpServer> FServer;
  TMainForm* FForm = nullptr;
};

TEST_F(MainFormTest, MenuKeysFollowTheFirstEntryThatCarriesThem) {
  Serve({{"/page", {.Body = Page("Page", "<p>keys</p>")}}});
  ASSERT_TRUE(LoadAndWait(Url("/page")));

  // Each key with the focus in the address box, then in the page.
  struct TCase {
    const char* Name;
    WORD Key;
    bool Ctrl;
    std::function<bool()> Happened;
  };
  const std::wstring page = Url("/page");
  size_t requests = 0;
  const auto pageRequests = [&] {
    size_t n = 0;
    for (const TRecordedRequest& r : FServer->Requests()) n += r.Path == "/page";
    return n;
  };
  for (const bool inPage : {false, true}) {
    SCOPED_TRACE(inPage ? "focus in the page" : "focus in the address box");
    const TCase cases[] = {
        {"F9 zooms in", VK_F9, false, [&] { return Zoom() == 0.5; }},
        {"F9 again", VK_F9, false, [&] { return Zoom() == 1.0; }},
        {"F10 zooms out", VK_F10, false, [&] { return Zoom() == 0.5; }},
        {"F11 resets the zoom", VK_F11, false, [&] { return Zoom() == 0.0; }},
        {"F12 shows the developer tools", VK_F12, false,
         [&] { return FForm->debug->Visible() && FForm->Splitter1->Visible(); }},
        {"F12 hides them again", VK_F12, false,
         [&] { return !FForm->debug->Visible() && !FForm->Splitter1->Visible(); }},
        {"F5 loads the page anew", VK_F5, false, [&] { return pageRequests() == requests + 1; }},
    };
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Name);
      requests = pageRequests();
      if (inPage)
        FForm->crm->SetFocus();
      else
        FForm->edAddress->SetFocus();
      Pump(100);
      PressKey(c.Key, c.Ctrl);
      EXPECT_TRUE(PumpUntil(c.Happened, 5000));
      ASSERT_TRUE(PumpUntil([&] { return !FForm->Loading(); }));
    }
  }
  EXPECT_TRUE(FForm->DevToolLoaded()) << "the developer tools were given their address once";

  // Ctrl+S is the disabled "Save as..." entry's before it is "Get source"'s,
  // and Ctrl+P the disabled "Print" entry's: neither does anything.
  const size_t navigations = Navigations().size();
  for (const WORD key : {WORD('S'), WORD('P')}) {
    FForm->edAddress->SetFocus();
    PressKey(key, true);
    Pump(1500);
  }
  EXPECT_EQ(Navigations().size(), navigations);
  EXPECT_EQ(MainSource().find(L"Source:"), std::wstring::npos);

  // Chosen from the menu, "Get source" shows the page's source.
  FForm->mGetsource->Click();
  EXPECT_TRUE(PumpUntil([&] { return MainSource().find(L"Source:") != std::wstring::npos; }));
}

TEST_F(MainFormTest, HiddenEntriesAreOnNoKeyAndNotOnScreen) {
  const HMENU options = OpenedSubMenu(FForm->Handle(), 1);
  ASSERT_NE(options, nullptr);
  std::vector<std::wstring> shown;
  for (int i = 0; i < GetMenuItemCount(options); ++i) shown.push_back(MenuText(options, i));
  for (const auto& item : FForm->est1->Items()) {
    if (item->Visible()) continue;
    SCOPED_TRACE(WideToUtf8(item->Caption()));
    EXPECT_EQ(item->ShortCut(), 0);
    for (const std::wstring& text : shown)
      EXPECT_NE(text.substr(0, text.find(L'\t')), item->Caption());
  }
  EXPECT_EQ(shown.size(), 6u) << "Get source, the three zoom entries, Refresh and DevTools";
}

TEST_F(MainFormTest, NavigationButtonsFollowTheBrowser) {
  Serve({{"/one", {.Body = Page("One", "<a href=\"/two\">two</a>")}},
         {"/two", {.Body = Page("Two", "<img src=\"/slow.png\">")}},
         {"/slow.png", {.Headers = {{"Content-Type", "image/png"}}, .Body = "", .DelayMs = 8000}}});
  EXPECT_FALSE(FForm->actPrev->Enabled());
  EXPECT_FALSE(FForm->actNext->Enabled());
  Application.Idle();
  EXPECT_FALSE(FForm->actPrev->Enabled()) << "the home page has nothing before it";
  EXPECT_FALSE(FForm->actNext->Enabled());
  EXPECT_FALSE(IsWindowEnabled(FForm->SpeedButton1->Handle()));

  ASSERT_TRUE(LoadAndWait(Url("/one")));

  // The second page keeps loading while its image does not come.
  MainFrame()->LoadUrl(Url("/two"));
  ASSERT_TRUE(PumpUntil([&] { return FForm->Loading(); }));
  Application.Idle();
  EXPECT_EQ(FForm->actReload->ImageIndex(), 5);
  EXPECT_EQ(FForm->SpeedButton4->ShownImageIndex(), 5);
  EXPECT_TRUE(FForm->actPrev->Enabled()) << "back is possible after the second page";
  EXPECT_TRUE(IsWindowEnabled(FForm->SpeedButton1->Handle()));

  // Clicking the reload button while loading stops the load.
  FForm->SpeedButton4->Click();
  ASSERT_TRUE(PumpUntil([&] { return !FForm->Loading(); }, 5000));
  Application.Idle();
  EXPECT_EQ(FForm->actReload->ImageIndex(), 0);
  EXPECT_EQ(FForm->SpeedButton4->ShownImageIndex(), 0);

  // Loads of a frame inside the page change nothing.
  const TInterfacePtr<ICefBrowser> browser = FForm->crm->Browser();
  Serve({{"/framed", {.Body = Page("Framed", "<iframe name=\"inner\" src=\"/inner\"></iframe>")}},
         {"/inner", {.Body = Page("Inner", "<p>inner</p>")}}});
  ASSERT_TRUE(LoadAndWait(Url("/framed")));
  ASSERT_TRUE(PumpUntil([&] { return browser->GetFrame(L"inner") != nullptr; }));
  const TInterfacePtr<ICefFrame> inner = browser->GetFrame(L"inner");
  FForm->crmLoadStart(*FForm->crm, browser, inner);
  EXPECT_FALSE(FForm->Loading());
  FForm->crmLoadStart(*FForm->crm, browser, MainFrame());
  FForm->crmLoadEnd(*FForm->crm, browser, inner, 200);
  EXPECT_TRUE(FForm->Loading());
  FForm->crmLoadEnd(*FForm->crm, browser, MainFrame(), 200);
  EXPECT_FALSE(FForm->Loading());
}

TEST_F(MainFormTest, TypedAddressesAndPopUpsLoadInTheMainView) {
  Serve({{"/start",
          {.Body = Page("Start", "<a id=\"l\" href=\"/popped\" target=\"_blank\">new</a>")}},
         {"/popped", {.Body = Page("Popped", "<p>in the main view</p>")}},
         {"/opened", {.Body = Page("Opened", "<p>window.open</p>")}}});

  // A bare word, unchanged, with Enter in the address box.
  FForm->edAddress->SetText(L"nimbra");
  FForm->edAddress->SetFocus();
  ASSERT_EQ(GetFocus(), FForm->edAddress->Handle());
  PressKey(VK_RETURN, false);
  EXPECT_TRUE(PumpUntil([&] {
    const auto urls = Navigations();
    return !urls.empty() && urls.back() == "nimbra";
  }));

  // A pop-up asked by script opens in the main view, and no other browser.
  ASSERT_TRUE(LoadAndWait(Url("/start")));
  // The link under the pointer shows its address in the status bar; clicked,
  // its new window opens in the main view.
  const HWND page = GetWindow(FForm->crm->Handle(), GW_CHILD);
  std::optional<LPARAM> overLink;
  for (int y = 2; y < 120 && !overLink; y += 4) {
    for (int x = 4; x < 200 && !overLink; x += 12) {
      SendMessageW(page, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
      Pump(20);
      if (FForm->StatusBar->SimpleText() == Url("/popped")) overLink = MAKELPARAM(x, y);
    }
  }
  ASSERT_TRUE(overLink.has_value()) << "no link under the pointer";
  SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, *overLink);
  SendMessageW(page, WM_LBUTTONUP, 0, *overLink);
  EXPECT_TRUE(PumpUntil([&] { return MainUrl() == Url("/popped"); }));

  MainFrame()->ExecuteJavaScript(L"window.open('/opened')", Url("/popped"), 0);
  EXPECT_TRUE(PumpUntil([&] { return MainUrl() == Url("/opened"); }));
  EXPECT_TRUE(TraceEvents(ReadLines(TracePath()), "browser").size() >= 2u);
  for (const std::string& line : TraceEvents(ReadLines(TracePath()), "browser"))
    EXPECT_NE(TraceValue(line, "popup"), "1") << line;

  // The address box follows the page; the title goes to the caption.
  EXPECT_TRUE(PumpUntil([&] { return FForm->edAddress->Text() == Url("/opened"); }));
  EXPECT_TRUE(PumpUntil([&] { return FForm->Caption() == L"Opened"; }));
  EXPECT_EQ(Application.Title(), L"Opened");
}

TEST_F(MainFormTest, TheHomeAliasIsServedFromTheHomeHost) {
  MainFrame()->LoadUrl(L"http://home/some/path?q=1");
  EXPECT_TRUE(PumpUntil([&] {
    for (const std::string& line : TraceEvents(ReadLines(TracePath()), "load_error"))
      if (TraceValue(line, "url") == "http://duckduckgo.com/some/path?q=1") return true;
    for (const std::string& url : Navigations())
      if (url == "http://duckduckgo.com/some/path?q=1") return true;
    return false;
  }));
}

TEST_F(MainFormTest, MenusSpeakTheActiveLanguage) {
  struct TCase {
    LCID Locale;
    std::wstring File, Options, Help, Save, About;
  };
  const TCase cases[] = {
      {0x040C, L"Fichier", L"Options", L"Aide", L"Enregistrer sous...", L"A Propos "},
      {0x0C0C, L"Fichier", L"Options", L"Aide", L"Enregistrer sous...", L"A Propos "},
      {0x0409, L"File", L"Options", L"Help", L"Save as...", L"About "},
      {0x0809, L"File", L"Options", L"Help", L"Save as...", L"About "},
      {0x0407, L"File", L"Options", L"Help", L"Save as...", L"About "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Locale);
    ActivateLanguage(LanguageForLocale(c.Locale));
    const HMENU bar = GetMenu(FForm->Handle());
    EXPECT_EQ(MenuText(bar, 0), c.File);
    EXPECT_EQ(MenuText(bar, 1), c.Options);
    EXPECT_EQ(MenuText(bar, 2), c.Help);
    const std::wstring save = MenuText(OpenedSubMenu(FForm->Handle(), 0), 2);
    EXPECT_EQ(save.substr(0, save.find(L'\t')), c.Save);
    EXPECT_EQ(MenuText(OpenedSubMenu(FForm->Handle(), 2), 2), c.About);
    EXPECT_EQ(Application.Title(), L"Nimbra");
  }
  // Entries the tables do not name keep their layout captions.
  EXPECT_EQ(FForm->mGetText->Caption(), L"Get text");
}

TEST_F(MainFormTest, CtrlWClosesTheWindowWithoutAsking) {
  FForm->edAddress->SetFocus();
  Pump(100);
  PressKey('W', true);
  EXPECT_TRUE(PumpUntil([&] { return !FForm->HandleAllocated() || !FForm->Showing(); }));
}

}  // namespace
