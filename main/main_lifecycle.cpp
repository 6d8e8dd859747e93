// The main window's life: creation, first showing, closing, cookie sharing
// with window processes started later, and the commands that belong to the
// window itself.
#include <shlobj.h>

#include "UnitAbout.h"
#include "addresses.h"
#include "command_line.h"
#include "main_form.h"
#include "main_module.h"
#include "processes.h"

void TMainForm::FormCreate(TComponent&) {
  CookieManager = TCefCookieManagerRef::Global();
  PageResourceUrls = std::make_unique<TTextList>();
  PageResourceFiles = std::make_unique<TTextList>();
  ActivateLanguage(-1);
  FLoading = false;
  FDevToolLoaded = false;

  DownloadFolder.clear();
  wchar_t documents[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents)))
    DownloadFolder = documents;
  if (DownloadFolder.empty()) DownloadFolder = ExecutableFolder();
  if (DownloadFolder.back() != L'\\') DownloadFolder += L'\\';
}

void TMainForm::FormShow(TComponent&) {
  UpdateCookie();
  const std::wstring address = FirstCommandLineArgument(GetCommandLineW());
  if (address.empty()) return;
  if (const TInterfacePtr<ICefFrame> frame = MainFrame()) frame->LoadUrl(address);
}

void TMainForm::UpdateCookie() {
  // Pending engine work and input run first, before the cookie requests.
  Application.ProcessMessages();
  if (!CookieManager) return;
  CookieManager->VisitAllCookiesProc([](const ustring&, const ustring&, const ustring&,
                                        const ustring&, bool, bool, bool, double, double, double,
                                        int, int, bool&) { return true; });
  CookieManager->SetStoragePath(CacheFolder);
}

void TMainForm::FormCloseQuery(TComponent&, bool& CanClose) { CanClose = true; }

void TMainForm::FormClose(TComponent&, TCloseAction&) {
  PageResourceUrls.reset();
  PageResourceFiles.reset();
}

void TMainForm::Exit1Click(TComponent&) { Close(); }

void TMainForm::M_NewPageClick(TComponent&) {
  StartNewWindowProcess(Application.Handle(), kNewPageAddress);
}

// The entry is disabled and stays so: the program does not print pages.
void TMainForm::Print1Click(TComponent&) {}

void TMainForm::actDocExecute(TComponent&) { crm->Load(kDocumentationAddress); }

void TMainForm::actGroupExecute(TComponent&) { crm->Load(kDiscussionAddress); }

void TMainForm::About1Click(TComponent&) {
  TFrmAbout about;
  about.ShowModal();
}

void TMainForm::actPrevUpdate(TComponent&) {
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  actPrev->SetEnabled(browser && browser->CanGoBack());
}

void TMainForm::actNextUpdate(TComponent&) {
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  actNext->SetEnabled(browser && browser->CanGoForward());
}

void TMainForm::actHomeUpdate(TComponent&) { actHome->SetEnabled(crm->Browser() != nullptr); }

void TMainForm::actReloadUpdate(TComponent&) {
  actReload->SetImageIndex(FLoading ? 5 : 0);
  actReload->SetEnabled(crm->Browser() != nullptr);
}

TInterfacePtr<ICefFrame> TMainForm::MainFrame() const {
  const TInterfacePtr<ICefBrowser>& browser = crm->Browser();
  return browser ? browser->GetMainFrame() : nullptr;
}
