// Page tools of the main window: the page's source and text, zoom, the
// developer tools in the window, a fixed script and the file-scheme address.
#include "addresses.h"
#include "main_form.h"

namespace {

// Only the angle brackets are escaped, "<" first.
ustring EscapeAngleBrackets(const ustring& text) {
  ustring result;
  result.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'<')
      result += L"&lt;";
    else if (c == L'>')
      result += L"&gt;";
    else
      result += c;
  }
  return result;
}

// The string arrives later, on the main thread; the closure reaches the main
// view through the main window, which may have gone by then.
TCefStringVisitorProc ShowInMainView(const wchar_t* heading) {
  return [heading](const ustring& text) {
    if (auto* form = dynamic_cast<TMainForm*>(Application.MainForm()))
      if (const TInterfacePtr<ICefFrame> frame = form->MainFrame())
        frame->LoadString(ustring(L"<html><body>") + heading + L"<pre>" +
                              EscapeAngleBrackets(text) + L"</pre></body></html>",
                          L"");
  };
}

}  // namespace

void TMainForm::actGetSourceExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame())
    frame->GetSourceProc(ShowInMainView(L"Source:"));
}

void TMainForm::actGetTextExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame())
    frame->GetTextProc(ShowInMainView(L"Text:"));
}

void TMainForm::ChangeZoom(double delta, bool reset) {
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  if (!browser) return;
  const TInterfacePtr<ICefBrowserHost> host = browser->GetHost();
  if (!host) return;
  host->SetZoomLevel(reset ? 0.0 : host->GetZoomLevel() + delta);
}

void TMainForm::actZoomInExecute(TComponent&) { ChangeZoom(0.5, false); }
void TMainForm::actZoomOutExecute(TComponent&) { ChangeZoom(-0.5, false); }
void TMainForm::actZoomResetExecute(TComponent&) { ChangeZoom(0.0, true); }

void TMainForm::actExecuteJSExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame())
    frame->ExecuteJavaScript(L"window.print();", kBlankAddress, 0);
}

void TMainForm::actDevToolExecute(TComponent&) {
  const bool shown = !actDevTool->Checked();
  actDevTool->SetChecked(shown);
  debug->SetVisible(shown);
  Splitter1->SetVisible(shown);
  if (!shown || FDevToolLoaded) return;
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  const TInterfacePtr<ICefBrowserHost> host = browser ? browser->GetHost() : nullptr;
  if (!host) return;
  debug->Load(host->GetDevToolsUrl(true));
  FDevToolLoaded = true;
}

void TMainForm::actFileSchemeExecute(TComponent&) {
  if (const TInterfacePtr<ICefFrame> frame = MainFrame()) frame->LoadUrl(kFileSchemeAddress);
}
