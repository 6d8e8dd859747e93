#include "chromium.h"

#include "cef_api.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "client_handler.h"
#include "winhandle.h"

namespace {

// Child, visible, clipping its children and siblings, reached by Tab.
constexpr DWORD kEngineWindowStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP;
static_assert(kEngineWindowStyle == 0x56010000);

// The engine's window of a browser; null when it has none.
HWND EngineWindowOf(const TInterfacePtr<ICefBrowser>& browser) {
  if (!browser) return nullptr;
  const TInterfacePtr<ICefBrowserHost> host = browser->GetHost();
  return host ? host->GetWindowHandle() : nullptr;
}

}  // namespace

TCustomChromium::TCustomChromium(TWinControl* parent) : FDefaultUrl(L"about:blank") {
  if (!Designing()) FHandler = CefNew<TWindowedClientHandler>(static_cast<IChromiumEvents*>(this));
  SetParent(parent);
}

TCustomChromium::~TCustomChromium() {
  if (FBrowser) {
    FBrowser->StopLoad();
    if (const TInterfacePtr<ICefBrowserHost> host = FBrowser->GetHost())
      host->ParentWindowWillClose();
  }
  if (const auto client = Supports<ICefClientHandler>(FHandler)) client->DetachHandlers();
  FHandler.reset();
  FBrowser.reset();
}

void TCustomChromium::Loaded() {
  TWinControl::Loaded();
  Load(FDefaultUrl);
}

void TCustomChromium::CreateWindowHandle() {
  TWinControl::CreateWindowHandle();
  CreateBrowser();
}

void TCustomChromium::CreateBrowser() {
  if (Designing()) return;
  const RECT client = ClientRect();
  TCefWindowInfo windowInfo{};
  windowInfo.style = kEngineWindowStyle;
  windowInfo.x = client.left;
  windowInfo.y = client.top;
  windowInfo.width = client.right - client.left;
  windowInfo.height = client.bottom - client.top;
  windowInfo.parent_window = Handle();

  TCefBrowserSettings settings{};
  settings.size = sizeof settings;
  FillBrowserSettings(settings);

  LoadEngine();
  const ustring noUrl;
  const cef_string_t url = CefStringView(noUrl);
  FBrowser = TCefBrowserRef::UnWrap(CefApi.cef_browser_host_create_browser_sync(
      &windowInfo, static_cast<cef_client_t*>(CefRecordOf(FHandler)), &url, &settings));
  // An engine that yields no browser leaves the control without one.
  FBrowserId = FBrowser ? FBrowser->GetIdentifier() : 0;
}

void TCustomChromium::FillBrowserSettings(TCefBrowserSettings& settings) {
  if (settings.size < sizeof(TCefBrowserSettings))
    throw EAssertionFailed(L"The browser settings record is smaller than its size");
  const TChromiumFontOptions& fonts = FFontOptions;
  settings.standard_font_family = CefStringView(fonts.StandardFontFamily());
  settings.fixed_font_family = CefStringView(fonts.FixedFontFamily());
  settings.serif_font_family = CefStringView(fonts.SerifFontFamily());
  settings.sans_serif_font_family = CefStringView(fonts.SansSerifFontFamily());
  settings.cursive_font_family = CefStringView(fonts.CursiveFontFamily());
  settings.fantasy_font_family = CefStringView(fonts.FantasyFontFamily());
  settings.default_font_size = fonts.DefaultFontSize();
  settings.default_fixed_font_size = fonts.DefaultFixedFontSize();
  settings.minimum_font_size = fonts.MinimumFontSize();
  settings.minimum_logical_font_size = fonts.MinimumLogicalFontSize();
  settings.default_encoding = CefStringView(FDefaultEncoding);
  settings.user_style_sheet_location = CefStringView(FUserStyleSheetLocation);
  settings.remote_fonts = fonts.RemoteFonts();
#define NIMBRA_FILL_OPTION(Name, field) settings.field = FOptions.Name();
  NIMBRA_CHROMIUM_OPTIONS(NIMBRA_FILL_OPTION)
#undef NIMBRA_FILL_OPTION
}

void TCustomChromium::Load(const ustring& url) {
  HandleNeeded();
  if (!FBrowser) return;
  if (const TInterfacePtr<ICefFrame> frame = FBrowser->GetMainFrame()) frame->LoadUrl(url);
}

void TCustomChromium::ReCreateBrowser(const ustring& url) {
  if (!FBrowser || FBrowserId == 0) return;
  if (const TInterfacePtr<ICefBrowserHost> host = FBrowser->GetHost()) {
    host->ParentWindowWillClose();
    const HWND engineWindow = host->GetWindowHandle();
    SendMessageW(engineWindow, WM_CLOSE, 0, 0);
    SendMessageW(engineWindow, WM_DESTROY, 0, 0);
  }
  FBrowserId = 0;
  FBrowser.reset();
  CreateBrowser();
  Load(url);
}

void TCustomChromium::Resize() {
  TWinControl::Resize();
  if (Designing()) return;
  const TInterfacePtr<ICefBrowser> browser = FBrowser;  // an event may replace it meanwhile
  const HWND engineWindow = EngineWindowOf(browser);
  if (!engineWindow || engineWindow == INVALID_HANDLE_VALUE) return;
  const RECT client = ClientRect();
  // Ended on every path; a failed step has already abandoned the positioning.
  TDeferWindowPosHandle positions(BeginDeferWindowPos(1));
  if (!positions) return;
  positions.reset(DeferWindowPos(positions.release(), engineWindow, nullptr, client.left,
                                 client.top, client.right - client.left, client.bottom - client.top,
                                 SWP_NOZORDER));
}

LRESULT TCustomChromium::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFOCUS:
      if (const HWND engineWindow = EngineWindowOf(FBrowser))
        PostMessageW(engineWindow, WM_SETFOCUS, wParam, 0);
      break;
    case WM_ERASEBKGND:
      // Never paint a background under the engine's window.
      if (!Designing() && FBrowser) return 0;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case CM_WANTSPECIALKEY:
      if (wParam < VK_LEFT || wParam > VK_DOWN) return 1;
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- Dispatchers ----------------------------------------------------------------

#define NIMBRA_DISPATCHER(Method, Name, Answer, Params, Args)   \
  Answer TCustomChromium::Do##Name Params {                     \
    return Dispatch<Answer>(FOn##Name, NIMBRA_EVENT_ARGS Args); \
  }
NIMBRA_CHROMIUM_EVENTS(NIMBRA_DISPATCHER)
#undef NIMBRA_DISPATCHER
