// The browser control and its client. Most tests stand in for the engine's
// browser creation (they keep the client handed over, as the engine does, and
// yield no browser) and drive the client and its handlers through their
// records, as the engine drives them; the last ones let the development
// engine make real browsers. Each test runs in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "application.h"
#include "cef_api.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "chromium.h"
#include "test_support.h"

namespace {

// ---- The test as the engine ------------------------------------------------------

void Release(void* record) {
  auto* header = static_cast<cef_base_t*>(record);
  header->release(header);
}

// What the engine was handed when asked for a browser.
struct TCreation {
  cef_client_t* Client;  // the engine's reference, released by the test
  TCefWindowInfo WindowInfo;
  ustring Url;
  size_t SettingsSize;
};
std::vector<TCreation> Creations;

cef_browser_t* CEF_EXPORT_CC CreateNoBrowser(const cef_window_info_t* windowInfo,
                                             cef_client_t* client, const cef_string_t* url,
                                             const cef_browser_settings_t* settings) {
  Creations.push_back({client, *windowInfo, CefStringToUstring(url), settings->size});
  return nullptr;
}

// A handler record held as the engine holds one.
template <class R>
class THeld {
 public:
  explicit THeld(R* record) : FRecord(record) {}
  THeld(const THeld&) = delete;
  THeld& operator=(const THeld&) = delete;
  ~THeld() {
    if (FRecord) Release(FRecord);
  }
  R* get() const { return FRecord; }
  R* operator->() const { return FRecord; }

 private:
  R* FRecord;
};

template <class R>
THeld<R> HandlerOf(cef_client_t* client, R* (CEF_CALLBACK* cef_client_t::*query)(cef_client_t*)) {
  return THeld<R>((client->*query)(client));
}

// A resource handler of the program's own, to answer with.
class TTestResourceHandler : public TCefBaseOwn, public ICefResourceHandler {
 public:
  TTestResourceHandler() : TCefBaseOwn(sizeof(cef_base_t)) {}
};

class TTestForm : public TForm {
 public:
  TTestForm() { CreateForm(L"Nimbra test", 640, 480); }
  using TWinControl::Loaded;
};

class ChromiumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CeflibInitialization();
    EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
    // Renderers are started from the program, not from this test.
    EngineSettings.BrowserSubprocessPath = BinFolder() + L"\\nimbra.exe";
    ASSERT_TRUE(LoadEngine());
    if (!FEngineMakesBrowsers) CefApi.cef_browser_host_create_browser_sync = CreateNoBrowser;
  }
  void TearDown() override {
    for (const TCreation& creation : Creations) Release(creation.Client);
    Creations.clear();
    CeflibFinalization();
  }

  // A control filling the form, with its window and so its client.
  std::unique_ptr<TChromium> NewControl() {
    auto control = std::make_unique<TChromium>(&FForm);
    control->SetAlign(TAlign::alClient);
    control->Load(L"about:blank");
    return control;
  }
  cef_client_t* ClientOf(const TChromium& control) {
    for (const TCreation& creation : Creations)
      if (creation.WindowInfo.parent_window == control.Handle()) return creation.Client;
    ADD_FAILURE() << "the control asked for no browser";
    return nullptr;
  }

  bool FEngineMakesBrowsers = false;
  TTestForm FForm;
};

// The engine itself makes the browsers.
class ChromiumEngineTest : public ChromiumTest {
 protected:
  ChromiumEngineTest() { FEngineMakesBrowsers = true; }
  // Runs the engine's main-thread work and the window messages until `done`.
  static bool PumpUntil(const std::function<bool()>& done) {
    return WaitUntil([&] {
      PumpEngineWork();
      Application.ProcessMessages();
      return done();
    });
  }
};

RECT PlaceInParent(HWND wnd) {
  RECT rect;
  GetWindowRect(wnd, &rect);
  MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

// ---- Handler queries ----------------------------------------------------------------

using THandlerQuery = std::function<void*(cef_client_t*)>;
template <class R>
THandlerQuery Query(R* (CEF_CALLBACK* cef_client_t::*query)(cef_client_t*)) {
  return [query](cef_client_t* client) -> void* { return (client->*query)(client); };
}
const THandlerQuery HandlerQueries[] = {
    Query(&cef_client_t::get_context_menu_handler), Query(&cef_client_t::get_dialog_handler),
    Query(&cef_client_t::get_display_handler),      Query(&cef_client_t::get_download_handler),
    Query(&cef_client_t::get_focus_handler),        Query(&cef_client_t::get_geolocation_handler),
    Query(&cef_client_t::get_jsdialog_handler),     Query(&cef_client_t::get_keyboard_handler),
    Query(&cef_client_t::get_life_span_handler),    Query(&cef_client_t::get_load_handler),
    Query(&cef_client_t::get_render_handler),       Query(&cef_client_t::get_request_handler),
};

TEST_F(ChromiumTest, EachControlsClientAnswersItsOwnHandlerOfEachKindEveryTime) {
  const auto first = NewControl();
  const auto second = NewControl();
  cef_client_t* firstClient = ClientOf(*first);
  cef_client_t* secondClient = ClientOf(*second);
  ASSERT_NE(firstClient, secondClient);
  std::vector<void*> seen;
  for (const THandlerQuery& query : HandlerQueries) {
    void* handler = query(firstClient);
    void* again = query(firstClient);
    void* other = query(secondClient);
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(again, handler) << "one handler of each kind per client";
    EXPECT_NE(other, handler) << "a handler of its own for the second control";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), handler), 0) << "one handler per kind";
    seen.push_back(handler);
    for (void* record : {handler, again, other}) Release(record);
  }
}

TEST_F(ChromiumTest, DestroyedControlIsReachedByNothingTheEngineStillHolds) {
  auto control = NewControl();
  cef_client_t* client = ClientOf(*control);
  int loadStarts = 0;
  control->SetOnLoadStart([&](TCustomChromium&, PBrowser, PFrame) { ++loadStarts; });
  control->SetOnProcessMessageReceived(
      [](TCustomChromium&, PBrowser, TCefProcessId, const auto&, bool& Result) { Result = true; });
  const auto load = HandlerOf(client, &cef_client_t::get_load_handler);
  load->on_load_start(load.get(), nullptr, nullptr);
  ASSERT_EQ(loadStarts, 1);
  ASSERT_EQ(client->on_process_message_received(client, nullptr, PID_RENDERER, nullptr), 1);

  control.reset();

  for (const THandlerQuery& query : HandlerQueries) EXPECT_EQ(query(client), nullptr);
  EXPECT_EQ(client->on_process_message_received(client, nullptr, PID_RENDERER, nullptr), 0);
  load->on_load_start(load.get(), nullptr, nullptr);
  EXPECT_EQ(loadStarts, 1) << "a handler obtained before the destruction forwards nothing";
}

TEST_F(ChromiumTest, DestructionWaitsForAnEventRunningOnAnotherThread) {
  auto control = NewControl();
  std::atomic<bool> inside = false, left = false;
  control->SetOnBeforeResourceLoad([&](TCustomChromium&, PBrowser, PFrame, const auto&, bool&) {
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    left = true;
  });
  const auto request = HandlerOf(ClientOf(*control), &cef_client_t::get_request_handler);
  std::thread io(
      [&] { request->on_before_resource_load(request.get(), nullptr, nullptr, nullptr); });
  ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
  control.reset();
  EXPECT_TRUE(left) << "the control went while its event was still running";
  io.join();
}

// ---- Answers -------------------------------------------------------------------------

// The last argument of an event: its Result.
template <class... A>
decltype(auto) LastOf(A&&... args) {
  return std::get<sizeof...(A) - 1>(std::forward_as_tuple(std::forward<A>(args)...));
}
const auto AnswerTrue = [](auto&&... args) { LastOf(args...) = true; };

struct TAnswerRow {
  const char* Entry;
  std::function<void(TChromium&)> Assign;  // an event that answers; none for windowless drawing
  std::function<bool(cef_client_t*)> Ask;  // the engine's answer: non-zero, or an object
};

// Asks entry `entry` of the handler of `kind` with `args`.
template <class R, class E, class... A>
auto Ask(cef_client_t* client, R* (CEF_CALLBACK* cef_client_t::*kind)(cef_client_t*), E R::*entry,
         A... args) {
  const auto handler = HandlerOf(client, kind);
  return (handler.get()->*entry)(handler.get(), args...);
}
bool Answered(void* record) {
  if (record) Release(record);
  return record != nullptr;
}

std::vector<TAnswerRow> AnswerRows() {
  static int flag = 0, x = 0, y = 0;
  static cef_rect_t rect{};
  using C = cef_client_t;
  return {
      {"on_process_message_received",
       [](TChromium& c) { c.SetOnProcessMessageReceived(AnswerTrue); },
       [](C* c) { return c->on_process_message_received(c, nullptr, PID_RENDERER, nullptr); }},
      {"on_set_focus", [](TChromium& c) { c.SetOnSetFocus(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_focus_handler, &cef_focus_handler_t::on_set_focus, nullptr,
                    FOCUS_SOURCE_NAVIGATION);
       }},
      {"on_context_menu_command", [](TChromium& c) { c.SetOnContextMenuCommand(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_context_menu_handler,
                    &cef_context_menu_handler_t::on_context_menu_command, nullptr, nullptr, nullptr,
                    26500, EVENTFLAG_NONE);
       }},
      {"on_pre_key_event", [](TChromium& c) { c.SetOnPreKeyEvent(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_keyboard_handler, &cef_keyboard_handler_t::on_pre_key_event, nullptr,
                    nullptr, nullptr, &flag);
       }},
      {"on_key_event", [](TChromium& c) { c.SetOnKeyEvent(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_keyboard_handler, &cef_keyboard_handler_t::on_key_event, nullptr,
                    nullptr, nullptr);
       }},
      {"on_tooltip", [](TChromium& c) { c.SetOnTooltip(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_display_handler, &cef_display_handler_t::on_tooltip, nullptr,
                    nullptr);
       }},
      {"on_console_message", [](TChromium& c) { c.SetOnConsoleMessage(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_display_handler, &cef_display_handler_t::on_console_message, nullptr,
                    nullptr, nullptr, 1);
       }},
      {"on_jsdialog", [](TChromium& c) { c.SetOnJsdialog(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_jsdialog_handler, &cef_jsdialog_handler_t::on_jsdialog, nullptr,
                    nullptr, nullptr, JSDIALOGTYPE_ALERT, nullptr, nullptr, nullptr, &flag);
       }},
      {"on_before_unload_dialog", [](TChromium& c) { c.SetOnBeforeUnloadDialog(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_jsdialog_handler, &cef_jsdialog_handler_t::on_before_unload_dialog,
                    nullptr, nullptr, 0, nullptr);
       }},
      {"on_before_popup", [](TChromium& c) { c.SetOnBeforePopup(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_life_span_handler, &cef_life_span_handler_t::on_before_popup,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr);
       }},
      {"run_modal", [](TChromium& c) { c.SetOnRunModal(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_life_span_handler, &cef_life_span_handler_t::run_modal, nullptr);
       }},
      {"do_close", [](TChromium& c) { c.SetOnClose(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_life_span_handler, &cef_life_span_handler_t::do_close, nullptr);
       }},
      {"on_before_resource_load", [](TChromium& c) { c.SetOnBeforeResourceLoad(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_request_handler, &cef_request_handler_t::on_before_resource_load,
                    nullptr, nullptr, nullptr);
       }},
      {"get_auth_credentials", [](TChromium& c) { c.SetOnGetAuthCredentials(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_request_handler, &cef_request_handler_t::get_auth_credentials,
                    nullptr, nullptr, 0, nullptr, 80, nullptr, nullptr, nullptr);
       }},
      {"on_quota_request", [](TChromium& c) { c.SetOnQuotaRequest(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_request_handler, &cef_request_handler_t::on_quota_request, nullptr,
                    nullptr, int64_t{1} << 40, nullptr);
       }},
      {"on_before_plugin_load", [](TChromium& c) { c.SetOnBeforePluginLoad(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_request_handler, &cef_request_handler_t::on_before_plugin_load,
                    nullptr, nullptr, nullptr, nullptr);
       }},
      {"on_file_dialog", [](TChromium& c) { c.SetOnFileDialog(AnswerTrue); },
       [](C* c) {
         return Ask(c, &C::get_dialog_handler, &cef_dialog_handler_t::on_file_dialog, nullptr,
                    FILE_DIALOG_OPEN, nullptr, nullptr, nullptr, nullptr);
       }},
      {"get_resource_handler",
       [](TChromium& c) {
         c.SetOnGetResourceHandler(
             [](auto&&... args) { LastOf(args...) = CefNew<TTestResourceHandler>(); });
       },
       [](C* c) {
         return Answered(Ask(c, &C::get_request_handler,
                             &cef_request_handler_t::get_resource_handler, nullptr, nullptr,
                             nullptr));
       }},
      {"get_cookie_manager",
       [](TChromium& c) {
         c.SetOnGetCookieManager(
             [](auto&&... args) { LastOf(args...) = TCefCookieManagerRef::Global(); });
       },
       [](C* c) {
         return Answered(Ask(c, &C::get_request_handler, &cef_request_handler_t::get_cookie_manager,
                             nullptr, nullptr));
       }},
      {"get_root_screen_rect", nullptr,
       [](C* c) {
         return Ask(c, &C::get_render_handler, &cef_render_handler_t::get_root_screen_rect, nullptr,
                    &rect);
       }},
      {"get_view_rect", nullptr,
       [](C* c) {
         return Ask(c, &C::get_render_handler, &cef_render_handler_t::get_view_rect, nullptr,
                    &rect);
       }},
      {"get_screen_point", nullptr,
       [](C* c) {
         return Ask(c, &C::get_render_handler, &cef_render_handler_t::get_screen_point, nullptr, 1,
                    2, &x, &y);
       }},
  };
}

TEST_F(ChromiumTest, EveryAnswerIsNoUntilItsOwnEventSaysYes) {
  for (const TAnswerRow& row : AnswerRows()) {
    SCOPED_TRACE(row.Entry);
    const auto control = NewControl();
    cef_client_t* client = ClientOf(*control);
    EXPECT_FALSE(row.Ask(client)) << "no event assigned: 0 or null";
    if (!row.Assign) continue;
    row.Assign(*control);
    EXPECT_TRUE(row.Ask(client)) << "the event's answer reaches the engine";
  }
}

TEST_F(ChromiumTest, ByReferenceValuesStartAsTheEnginesAndGoBackChanged) {
  const auto control = NewControl();
  cef_client_t* client = ClientOf(*control);
  int noScript = 1;
  TCefPopupFeatures features{};
  features.width = 300;
  const auto popup = [&] {
    return Ask(client, &cef_client_t::get_life_span_handler,
               &cef_life_span_handler_t::on_before_popup, nullptr, nullptr, nullptr, nullptr,
               &features, nullptr, nullptr, nullptr, &noScript);
  };
  EXPECT_EQ(popup(), 0);
  EXPECT_EQ(noScript, 1) << "left as the engine gave it";

  control->SetOnBeforePopup([](TCustomChromium&, PBrowser, PFrame, const ustring&, const ustring&,
                               TCefPopupFeatures& popupFeatures, TCefWindowInfo&,
                               TInterfacePtr<ICefClient>&, TCefBrowserSettings&,
                               bool& noJavascriptAccess, bool& Result) {
    EXPECT_TRUE(noJavascriptAccess) << "the engine's value";
    EXPECT_EQ(popupFeatures.width, 300);
    EXPECT_FALSE(Result);
    noJavascriptAccess = false;
    popupFeatures.width = 400;
  });
  EXPECT_EQ(popup(), 0);
  EXPECT_EQ(noScript, 0);
  EXPECT_EQ(features.width, 400) << "the engine's own record";

  int allow = 1;
  const auto protocol = [&] {
    Ask(client, &cef_client_t::get_request_handler, &cef_request_handler_t::on_protocol_execution,
        nullptr, nullptr, &allow);
  };
  protocol();
  EXPECT_EQ(allow, 1);
  control->SetOnProtocolExecution(
      [](TCustomChromium&, PBrowser, const ustring&, bool& allowOsExecution) {
        allowOsExecution = !allowOsExecution;
      });
  protocol();
  EXPECT_EQ(allow, 0);
}

// ---- The pump ------------------------------------------------------------------------

TEST_F(ChromiumTest, OnePumpTimerRunsUntilTheEngineReleasedTheLastClient) {
  ASSERT_EQ(EnginePump::TimerId(), 0u);
  auto first = NewControl();
  const UINT_PTR timer = EnginePump::TimerId();
  ASSERT_NE(timer, 0u);
  auto second = NewControl();
  EXPECT_EQ(EnginePump::TimerId(), timer) << "one timer for every control";

  first.reset();
  second.reset();
  EXPECT_EQ(EnginePump::TimerId(), timer) << "the engine still holds both clients";

  const std::vector<TCreation> held = std::exchange(Creations, {});
  ASSERT_EQ(held.size(), 2u);
  Release(held[0].Client);
  EXPECT_EQ(EnginePump::TimerId(), timer);
  Release(held[1].Client);
  EXPECT_EQ(EnginePump::TimerId(), 0u);
  EXPECT_EQ(EnginePump::Count(), 0);
}

// ---- Creation, settings, placement -------------------------------------------------

TEST_F(ChromiumTest, CreationThatYieldsNoBrowserLeavesTheControlWithout) {
  const auto control = NewControl();
  ASSERT_EQ(Creations.size(), 1u);
  const TCreation& creation = Creations[0];
  EXPECT_EQ(control->Browser(), nullptr);
  EXPECT_EQ(control->BrowserId(), 0);

  EXPECT_EQ(creation.WindowInfo.style, 0x56010000u);
  EXPECT_EQ(creation.WindowInfo.parent_window, control->Handle());
  const RECT client = control->ClientRect();
  EXPECT_EQ(creation.WindowInfo.x, client.left);
  EXPECT_EQ(creation.WindowInfo.y, client.top);
  EXPECT_EQ(creation.WindowInfo.width, client.right - client.left);
  EXPECT_EQ(creation.WindowInfo.height, client.bottom - client.top);
  EXPECT_GT(creation.WindowInfo.width, 0);
  EXPECT_EQ(creation.WindowInfo.window_rendering_disabled, 0);
  EXPECT_EQ(creation.Url, L"") << "navigation comes from Load only";
  EXPECT_EQ(creation.SettingsSize, sizeof(TCefBrowserSettings));

  control->ReCreateBrowser(L"about:blank");
  control->Load(L"about:blank");
  EXPECT_EQ(Creations.size(), 1u) << "nothing to re-create without a browser";
}

TEST_F(ChromiumTest, BrowserSettingsComeFromTheOptionsAsViewsOfTheControlsTexts) {
  TChromium control(&FForm);
  TChromiumOptions& options = control.Options();
  using TSetter = void (TChromiumOptions::*)(TCefState) noexcept;
  const TSetter switches[] = {
      &TChromiumOptions::SetJavascript,
      &TChromiumOptions::SetJavascriptOpenWindows,
      &TChromiumOptions::SetJavascriptCloseWindows,
      &TChromiumOptions::SetJavascriptAccessClipboard,
      &TChromiumOptions::SetJavascriptDomPaste,
      &TChromiumOptions::SetCaretBrowsing,
      &TChromiumOptions::SetJava,
      &TChromiumOptions::SetPlugins,
      &TChromiumOptions::SetUniversalAccessFromFileUrls,
      &TChromiumOptions::SetFileAccessFromFileUrls,
      &TChromiumOptions::SetWebSecurity,
      &TChromiumOptions::SetImageLoading,
      &TChromiumOptions::SetImageShrinkStandaloneToFit,
      &TChromiumOptions::SetTextAreaResize,
      &TChromiumOptions::SetPageCache,
      &TChromiumOptions::SetTabToLinks,
      &TChromiumOptions::SetAuthorAndUserStyles,
      &TChromiumOptions::SetLocalStorage,
      &TChromiumOptions::SetDatabases,
      &TChromiumOptions::SetApplicationCache,
      &TChromiumOptions::SetWebgl,
      &TChromiumOptions::SetAcceleratedCompositing,
      &TChromiumOptions::SetDeveloperTools,
  };
  // A pattern no shift of the list can keep: 1 2 2 1 2 2 ...
  const auto stateOf = [](size_t i) { return i % 3 == 0 ? STATE_ENABLED : STATE_DISABLED; };
  for (size_t i = 0; i < std::size(switches); ++i) (options.*switches[i])(stateOf(i));
  TChromiumFontOptions& fonts = control.FontOptions();
  fonts.SetFixedFontFamily(L"Courier New");
  fonts.SetSerifFontFamily(L"Times");
  fonts.SetSansSerifFontFamily(L"Arial");
  fonts.SetCursiveFontFamily(L"Comic");
  fonts.SetFantasyFontFamily(L"Impact");
  fonts.SetDefaultFontSize(16);
  fonts.SetDefaultFixedFontSize(13);
  fonts.SetMinimumFontSize(6);
  fonts.SetMinimumLogicalFontSize(7);
  fonts.SetRemoteFonts(STATE_DISABLED);
  control.SetDefaultEncoding(L"ISO-8859-1");
  control.SetUserStyleSheetLocation(L"data:text/css,body{}");

  TCefBrowserSettings settings{};
  settings.size = sizeof settings;
  control.FillBrowserSettings(settings);

  const std::pair<const cef_string_t&, const ustring&> texts[] = {
      {settings.standard_font_family, fonts.StandardFontFamily()},
      {settings.fixed_font_family, fonts.FixedFontFamily()},
      {settings.serif_font_family, fonts.SerifFontFamily()},
      {settings.sans_serif_font_family, fonts.SansSerifFontFamily()},
      {settings.cursive_font_family, fonts.CursiveFontFamily()},
      {settings.fantasy_font_family, fonts.FantasyFontFamily()},
      {settings.default_encoding, control.DefaultEncoding()},
      {settings.user_style_sheet_location, control.UserStyleSheetLocation()},
  };
  for (const auto& [view, text] : texts) {
    EXPECT_EQ(CefStringToUstring(&view), text);
    if (!text.empty()) {
      EXPECT_EQ(view.str, text.c_str()) << "a view, not a copy";
    }
    EXPECT_EQ(view.dtor, nullptr);
  }
  EXPECT_EQ(CefStringToUstring(&settings.standard_font_family), L"") << "nothing sets it";
  EXPECT_EQ(settings.default_font_size, 16);
  EXPECT_EQ(settings.default_fixed_font_size, 13);
  EXPECT_EQ(settings.minimum_font_size, 6);
  EXPECT_EQ(settings.minimum_logical_font_size, 7);
  EXPECT_EQ(settings.remote_fonts, STATE_DISABLED);
  const cef_state_t* states = &settings.javascript;
  for (size_t i = 0; i < std::size(switches); ++i) EXPECT_EQ(states[i], stateOf(i)) << i;
  EXPECT_EQ(&states[std::size(switches) - 1], &settings.developer_tools);

  TCefBrowserSettings small{};
  small.size = sizeof small - 1;
  EXPECT_THROW(control.FillBrowserSettings(small), EAssertionFailed);
  EXPECT_EQ(small.javascript, STATE_DEFAULT) << "nothing filled";
}

TEST_F(ChromiumTest, ControlsFollowTheirParentsClientArea) {
  TWinControl bar;
  bar.SetParent(&FForm);
  bar.SetBounds(0, 0, 0, 30);
  bar.SetAlign(TAlign::alTop);
  TWinControl fixed;
  fixed.SetParent(&FForm);
  fixed.SetBounds(10, 40, 100, 50);
  TChromium control(&FForm);
  control.SetAlign(TAlign::alClient);
  int resizes = 0;
  control.OnResize = [&](TWinControl& sender) {
    EXPECT_EQ(&sender, &control);
    ++resizes;
  };
  FForm.Loaded();
  ASSERT_TRUE(control.HandleAllocated()) << "a form's controls have their windows once loaded";
  ASSERT_EQ(Creations.size(), 1u);

  for (const SIZE size : {SIZE{500, 400}, SIZE{300, 200}}) {
    const int before = resizes;
    SetWindowPos(FForm.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    GetClientRect(FForm.Handle(), &client);
    ExpectRect(PlaceInParent(bar.Handle()), {0, 0, client.right, 30});
    ExpectRect(PlaceInParent(control.Handle()), {0, 30, client.right, client.bottom});
    ExpectRect(PlaceInParent(fixed.Handle()), {10, 40, 110, 90});
    EXPECT_GT(resizes, before) << "the control's resize event";
  }
}

TEST_F(ChromiumTest, WindowAsksForKeysAndLeavesArrowsToTheFramework) {
  const auto control = NewControl();
  const HWND wnd = control->Handle();
  EXPECT_EQ(SendMessageW(wnd, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  for (const WPARAM arrow : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN})
    EXPECT_EQ(SendMessageW(wnd, CM_WANTSPECIALKEY, arrow, 0), 0) << arrow;
  for (const WPARAM key : {VK_RETURN, VK_TAB, VK_ESCAPE, int('A')})
    EXPECT_EQ(SendMessageW(wnd, CM_WANTSPECIALKEY, key, 0), 1) << key;

  // Without a browser the framework paints the background.
  const HDC dc = GetDC(wnd);
  EXPECT_NE(SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
  ReleaseDC(wnd, dc);
}

// ---- With the engine's own browsers ---------------------------------------------------

HWND EngineWindowOf(const TChromium& control) {
  return control.Browser() ? control.Browser()->GetHost()->GetWindowHandle() : nullptr;
}

TEST_F(ChromiumEngineTest, TwoControlsShowTwoBrowsersKeptOnTheirClientAreas) {
  TChromium top(&FForm);
  top.SetBounds(0, 0, 0, 150);
  top.SetAlign(TAlign::alTop);
  TChromium rest(&FForm);
  rest.SetAlign(TAlign::alClient);
  FForm.Loaded();
  ASSERT_NE(top.Browser(), nullptr);
  ASSERT_NE(rest.Browser(), nullptr);
  EXPECT_NE(top.BrowserId(), 0);
  EXPECT_NE(rest.BrowserId(), 0);
  EXPECT_NE(top.BrowserId(), rest.BrowserId());
  EXPECT_EQ(EnginePump::Count(), 2);
  EXPECT_NE(EnginePump::TimerId(), 0u);

  for (const SIZE size : {SIZE{700, 500}, SIZE{420, 360}}) {
    SetWindowPos(FForm.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    for (const TChromium* control : {&top, &rest}) {
      const HWND engineWindow = EngineWindowOf(*control);
      ASSERT_EQ(GetParent(engineWindow), control->Handle());
      ExpectRect(PlaceInParent(engineWindow), control->ClientRect());
    }
  }
}

TEST_F(ChromiumEngineTest, LoadedControlShowsItsDefaultAddress) {
  TChromium control(&FForm);
  control.SetAlign(TAlign::alClient);
  ustring address;
  int loadEnds = 0;
  control.SetOnAddressChange(
      [&](TCustomChromium&, PBrowser, PFrame, const ustring& url) { address = url; });
  control.SetOnLoadEnd([&](TCustomChromium& sender, PBrowser, PFrame, int) {
    EXPECT_EQ(&sender, &control);
    ++loadEnds;
  });
  FForm.Loaded();
  ASSERT_TRUE(PumpUntil([&] { return loadEnds > 0; }));
  EXPECT_EQ(address, L"about:blank");
}

TEST_F(ChromiumEngineTest, PumpStopsOnceTheEngineLetGoOfADestroyedControlsClient) {
  auto control = NewControl();
  ASSERT_NE(control->Browser(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !control->Browser()->IsLoading(); }));
  control.reset();
  EXPECT_TRUE(PumpUntil([] { return EnginePump::Count() == 0; }));
  EXPECT_EQ(EnginePump::TimerId(), 0u);
}

TEST_F(ChromiumEngineTest, FocusGoesOnToTheEngineWindowAndSurvivesReCreation) {
  const auto control = NewControl();
  int gotFocus = 0;
  control->SetOnGotFocus([&](TCustomChromium&, PBrowser) { ++gotFocus; });
  SetFocus(control->Handle());
  EXPECT_TRUE(PumpUntil([&] { return gotFocus > 0; }));

  const int oldId = control->BrowserId();
  const HWND oldWindow = EngineWindowOf(*control);
  control->ReCreateBrowser(L"about:blank");
  EXPECT_NE(control->BrowserId(), 0);
  EXPECT_NE(control->BrowserId(), oldId);
  EXPECT_FALSE(IsWindow(oldWindow) && GetParent(oldWindow) == control->Handle());
  EXPECT_EQ(GetParent(EngineWindowOf(*control)), control->Handle());
  gotFocus = 0;
  SetFocus(nullptr);
  SetFocus(control->Handle());
  EXPECT_TRUE(PumpUntil([&] { return gotFocus > 0; })) << "the new browser gets it";
}

}  // namespace
