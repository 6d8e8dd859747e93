// Navigation and page status: the address box and the navigation commands
// drive the main view; the view's notifications keep the address box, the
// caption, the loading flag and the status bar in step with the page.
#include "addresses.h"
#include "cef_utils.h"
#include "main_form.h"
#include "main_module.h"

namespace {

// The host the "home" alias stands for.
ustring HomeHost() {
  TUrlParts parts;
  return ParseUrlParts(kHomeAddress, parts) ? parts.host : ustring();
}

}  // namespace

bool TMainForm::IsMainBrowserFrame(PBrowser browser, PFrame frame) {
  return browser && browser->GetIdentifier() == crm->BrowserId() && (!frame || frame->IsMain());
}

void TMainForm::RAZList() {
  PageResourceUrls = std::make_unique<TTextList>();
  PageResourceFiles = std::make_unique<TTextList>();
}

void TMainForm::edAddressKeyPress(TComponent&, wchar_t& Key) {
  RAZList();
  if (Key != L'\r') return;
  const TInterfacePtr<ICefFrame> frame = MainFrame();
  if (!frame) return;
  frame->LoadUrl(edAddress->Text());
  Key = 0;
}

void TMainForm::actGoToExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame()) frame->LoadUrl(edAddress->Text());
}

void TMainForm::actHomeExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame()) frame->LoadUrl(crm->DefaultUrl());
}

void TMainForm::actPrevExecute(TComponent&) {
  if (const TInterfacePtr<ICefBrowser>& browser = crm->Browser()) browser->GoBack();
}

void TMainForm::actNextExecute(TComponent&) {
  if (const TInterfacePtr<ICefBrowser>& browser = crm->Browser()) browser->GoForward();
}

void TMainForm::actReloadExecute(TComponent&) {
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  if (!browser) return;
  if (FLoading)
    browser->StopLoad();
  else
    browser->Reload();
}

void TMainForm::Refresh1Click(TComponent&) {
  const TInterfacePtr<ICefFrame> frame = MainFrame();
  if (!frame) return;
  const ustring address = frame->GetUrl();
  if (!address.empty()) frame->LoadUrl(address);
}

void TMainForm::crmAddressChange(TCustomChromium&, PBrowser browser, PFrame frame,
                                 const ustring& url) {
  if (IsMainBrowserFrame(browser, frame)) edAddress->SetText(url);
}

void TMainForm::crmTitleChange(TCustomChromium&, PBrowser browser, const ustring& title) {
  if (IsMainBrowserFrame(browser, nullptr)) SetCaption(title);
  Application.SetTitle(title);
}

void TMainForm::crmStatusMessage(TCustomChromium&, PBrowser, const ustring& value) {
  StatusBar->SetSimpleText(value);
}

void TMainForm::crmLoadStart(TCustomChromium&, PBrowser browser, PFrame frame) {
  if (IsMainBrowserFrame(browser, frame)) FLoading = true;
}

void TMainForm::crmLoadEnd(TCustomChromium&, PBrowser browser, PFrame frame, int) {
  if (IsMainBrowserFrame(browser, frame)) FLoading = false;
}

// Every pop-up opens in the main view instead of a window of its own. Runs on
// the engine's input/output thread: it only asks the view to load.
void TMainForm::crmBeforePopup(TCustomChromium&, PBrowser, PFrame, const ustring& targetUrl,
                               const ustring&, TCefPopupFeatures&, TCefWindowInfo&,
                               TInterfacePtr<ICefClient>&, TCefBrowserSettings&, bool&,
                               bool& Result) {
  const TInterfacePtr<ICefBrowser> browser = crm->Browser();
  if (browser)
    if (const TInterfacePtr<ICefFrame> frame = browser->GetMainFrame()) frame->LoadUrl(targetUrl);
  Result = true;
}

// An address whose host is "home" is served from the home host, with the
// same scheme, path and query. Runs on the engine's input/output thread for
// every resource: a parse and a comparison, touching no window state.
void TMainForm::crmBeforeResourceLoad(TCustomChromium&, PBrowser, PFrame,
                                      const TInterfacePtr<ICefRequest>& request, bool&) {
  TUrlParts parts;
  if (!ParseUrlParts(request->GetUrl(), parts)) return;
  if (parts.host != L"home") return;
  static const ustring homeHost = HomeHost();
  parts.host = homeHost;
  request->SetUrl(BuildUrlFromParts(parts));
}

// The engine's own confirmation asks the user.
void TMainForm::crmBeforeUnloadDialog(TCustomChromium&, PBrowser, const ustring&, bool,
                                      const TInterfacePtr<ICefJsDialogCallback>&, bool&) {}
