// The main window's layout: components, command table, menus and the event
// bindings of the main view. The handlers live beside it, one file per
// concern: life cycle, navigation, page tools.
#include "main_form.h"

#include "addresses.h"

namespace {

// Design size of the client area; controls are placed at this size and
// follow the window through their alignment and anchors.
constexpr int kClientWidth = 864;
constexpr int kClientHeight = 709;

constexpr TShortCut kCtrlN = scCtrl | 'N';
constexpr TShortCut kCtrlP = scCtrl | 'P';
constexpr TShortCut kCtrlS = scCtrl | 'S';
constexpr TShortCut kCtrlW = scCtrl | 'W';

// Glyphs of ImageList1.
enum TGlyph { giReload = 0, giBack = 2, giHome = 3, giForward = 4 };

}  // namespace

TMainForm::TMainForm() : sSkinManager1(MainSkinManager()), sSkinProvider1(MainSkinProvider()) {
  CreateForm(L"Nimbra", kClientWidth, kClientHeight);
  SetPosition(TPosition::poScreenCenter);
  SetWindowState(TWindowState::wsMaximized);
  SetFont(TFont{L"Tahoma", -11});
  SetTransparentColor(RGB(255, 0, 255));
  CreateActions();
  CreateMenus();
  CreateComponents();
  BindEvents();
  OnShow = [this](TComponent& sender) { FormShow(sender); };
  OnCloseQuery = [this](TComponent& sender, bool& canClose) { FormCloseQuery(sender, canClose); };
  OnClose = [this](TComponent& sender, TCloseAction& action) { FormClose(sender, action); };
  // Creates the windows; both browser views create their browsers and start
  // loading their default addresses.
  Loaded();
  FormCreate(*this);
}

TMainForm::~TMainForm() {
  SetMenu(nullptr);
  while (!FComponents.empty()) FComponents.pop_back();
}

void TMainForm::CreateActions() {
  ActionList = Make<TActionList>(*this);
  const auto add = [this](const wchar_t* caption, void (TMainForm::*execute)(TComponent&)) {
    TAction& action = ActionList->Add();
    action.SetCaption(caption);
    if (execute)
      action.OnExecute = [this, execute](TComponent& sender) { (this->*execute)(sender); };
    return &action;
  };
  actPrev = add(L"", &TMainForm::actPrevExecute);
  actNext = add(L"", &TMainForm::actNextExecute);
  actHome = add(L"", &TMainForm::actHomeExecute);
  actReload = add(L"", &TMainForm::actReloadExecute);
  actGoTo = add(L">", &TMainForm::actGoToExecute);
  actGetSource = add(L"Get source", &TMainForm::actGetSourceExecute);
  actGetText = add(L"Get text", &TMainForm::actGetTextExecute);
  actZoomIn = add(L"Zoom in", &TMainForm::actZoomInExecute);
  actZoomOut = add(L"Zoom out", &TMainForm::actZoomOutExecute);
  actZoomReset = add(L"Zoom reset", &TMainForm::actZoomResetExecute);
  actExecuteJS = add(L"Execute JavaScript", &TMainForm::actExecuteJSExecute);
  actDom = add(L"Hook DOM", nullptr);
  actDevTool = add(L"Show DevTools", &TMainForm::actDevToolExecute);
  actDoc = add(L"Documentation", &TMainForm::actDocExecute);
  actGroup = add(L"Google group", &TMainForm::actGroupExecute);
  actFileScheme = add(L"File Scheme", &TMainForm::actFileSchemeExecute);
  actChromeDevTool = add(L"Debug in Chrome", nullptr);

  actPrev->SetEnabled(false);
  actNext->SetEnabled(false);
  actPrev->SetImageIndex(giBack);
  actNext->SetImageIndex(giForward);
  actHome->SetImageIndex(giHome);
  actReload->SetImageIndex(giReload);
  actDevTool->SetShortCut(VK_F12);

  const auto update = [this](TAction* action, void (TMainForm::*handler)(TComponent&)) {
    action->OnUpdate = [this, handler](TComponent& sender) { (this->*handler)(sender); };
  };
  update(actPrev, &TMainForm::actPrevUpdate);
  update(actNext, &TMainForm::actNextUpdate);
  update(actHome, &TMainForm::actHomeUpdate);
  update(actReload, &TMainForm::actReloadUpdate);
}

void TMainForm::CreateMenus() {
  MainMenu = Make<TMainMenu>();
  TMenuItem& root = MainMenu->Items();
  // An entry with a click handler of the window, or bound to a command.
  const auto entry = [this](TMenuItem& menu, const wchar_t* caption,
                            void (TMainForm::*click)(TComponent&), TShortCut shortcut) {
    TMenuItem& item = menu.Add(caption);
    if (click) item.OnClick = [this, click](TComponent& sender) { (this->*click)(sender); };
    if (shortcut) item.SetShortCut(shortcut);
    return &item;
  };
  const auto bound = [](TMenuItem& menu, TAction* action, TShortCut shortcut, bool visible) {
    TMenuItem& item = menu.Add();
    item.SetAction(action);
    if (shortcut) item.SetShortCut(shortcut);
    if (!visible) item.SetVisible(false);
    return &item;
  };

  File1 = &root.Add(L"&File");
  M_NewPage = entry(*File1, L"New Page", &TMainForm::M_NewPageClick, kCtrlN);
  Print1 = entry(*File1, L"Print", &TMainForm::Print1Click, kCtrlP);
  Print1->SetEnabled(false);
  // Its command arrives with the page-saving work; the entry stays disabled.
  MSave = entry(*File1, L"Save as...", nullptr, kCtrlS);
  MSave->SetEnabled(false);
  Exit1 = entry(*File1, L"Exit", &TMainForm::Exit1Click, kCtrlW);

  est1 = &root.Add(L"&Options");
  mGetsource = bound(*est1, actGetSource, kCtrlS, true);
  mGetText = bound(*est1, actGetText, 0, false);
  ExecuteJavaScript1 = bound(*est1, actExecuteJS, 0, false);
  Zoomin1 = bound(*est1, actZoomIn, VK_F9, true);
  Zoomout1 = bound(*est1, actZoomOut, VK_F10, true);
  Zoomreset1 = bound(*est1, actZoomReset, VK_F11, true);
  Refresh1 = entry(*est1, L"Refresh", &TMainForm::Refresh1Click, VK_F5);
  actFileScheme1 = bound(*est1, actFileScheme, 0, false);
  VisitDOM1 = bound(*est1, actDom, 0, false);
  DevelopperTools1 = bound(*est1, actDevTool, 0, true);
  DebuginChrome1 = bound(*est1, actChromeDevTool, 0, false);

  Help1 = &root.Add(L"Help");
  Documentation1 = bound(*Help1, actDoc, 0, true);
  Googlegroup1 = bound(*Help1, actGroup, 0, true);
  About1 = entry(*Help1, L"About", &TMainForm::About1Click, 0);

  // The link and image menus; what their entries do arrives with the page's
  // context menu.
  PopupMenu1 = Make<TPopupMenu>(*this);
  NewTab = &PopupMenu1->Items().Add(L"open in a new window");
  PopupMenu2 = Make<TPopupMenu>(*this);
  MenuOpenLink = &PopupMenu2->Items().Add();
  M_OpenImageNewWindow =
      &PopupMenu2->Items().Add(L"Afficher l'image dans une nouvelle fen\u00eatre");
  M_CopyImage = &PopupMenu2->Items().Add(L"Copier l'image");
  M_CopyImageURL = &PopupMenu2->Items().Add(L"Copier l'adresse de l'image");
  M_SaveImageAs = &PopupMenu2->Items().Add(L"Enregistrer l'image sous...");

  SetMenu(MainMenu);
}

void TMainForm::CreateComponents() {
  ImageList1 = Make<TImageList>(16, 16);
  ImageList1->AddFromResource(L"GLYPHS");
  SavePicture = Make<TSavePictureDialog>();

  // Bottom-aligned controls stack from the bottom edge up in this order.
  StatusBar = Make<TStatusBar>(this);
  StatusBar->SetAlign(TAlign::alBottom);
  StatusBar->SetHeight(19);
  StatusBar->SetSimplePanel(true);

  debug = Make<TChromium>(this);
  debug->SetAlign(TAlign::alBottom);
  debug->SetHeight(201);
  debug->SetDefaultUrl(kBlankAddress);
  debug->SetVisible(false);

  Splitter1 = Make<TSplitter>(this);
  Splitter1->SetAlign(TAlign::alBottom);
  Splitter1->SetHeight(3);
  Splitter1->SetResizeControl(debug);
  Splitter1->SetVisible(false);

  Panel1 = Make<TPanel>(this);
  Panel1->SetAlign(TAlign::alTop);
  Panel1->SetBounds(0, 0, kClientWidth, 25);

  const auto toolButton = [this](TAction* action, int left, const wchar_t* hint) {
    TSpeedButton* button = Make<TSpeedButton>(Panel1);
    button->SetBounds(left, 0, 23, 22);
    button->SetImages(ImageList1);
    button->SetAction(action);
    button->SetHint(hint);
    return button;
  };
  SpeedButton1 = toolButton(actPrev, 0, L"Back");
  SpeedButton2 = toolButton(actNext, 24, L"Forward");
  SpeedButton3 = toolButton(actHome, 48, L"Home");
  SpeedButton4 = toolButton(actReload, 72, L"Reload");

  edAddress = Make<TEdit>(Panel1);
  edAddress->SetBounds(95, 2, 744, 21);
  edAddress->SetAnchors(akLeft | akTop | akRight);
  edAddress->OnKeyPress = [this](TComponent& sender, wchar_t& key) {
    edAddressKeyPress(sender, key);
  };

  SpeedButton5 = Make<TSpeedButton>(Panel1);
  SpeedButton5->SetBounds(841, 1, 23, 22);
  SpeedButton5->SetAnchors(akTop | akRight);
  SpeedButton5->SetAction(actGoTo);
  SpeedButton5->SetHint(L"Go");

  crm = Make<TChromium>(this);
  crm->SetAlign(TAlign::alClient);
  crm->SetDefaultUrl(kHomeAddress);
  TChromiumOptions& options = crm->Options();
  options.SetJavascript(STATE_ENABLED);
  options.SetJavascriptOpenWindows(STATE_ENABLED);
  options.SetJavascriptCloseWindows(STATE_ENABLED);
  options.SetJavascriptAccessClipboard(STATE_ENABLED);
  options.SetJavascriptDomPaste(STATE_ENABLED);
  options.SetJava(STATE_DISABLED);
  options.SetPlugins(STATE_ENABLED);
  options.SetUniversalAccessFromFileUrls(STATE_ENABLED);
  options.SetWebSecurity(STATE_DISABLED);
  options.SetImageLoading(STATE_ENABLED);
  options.SetImageShrinkStandaloneToFit(STATE_ENABLED);
  options.SetWebgl(STATE_ENABLED);
  options.SetDeveloperTools(STATE_ENABLED);

  Image1 = Make<TImage>(this);
  Image1->SetVisible(false);

  // The address box's first text is the home address.
  edAddress->SetText(kHomeAddress);
}

void TMainForm::BindEvents() {
  crm->SetOnAddressChange(
      [this](TCustomChromium& sender, PBrowser browser, PFrame frame, const ustring& url) {
        crmAddressChange(sender, browser, frame, url);
      });
  crm->SetOnTitleChange([this](TCustomChromium& sender, PBrowser browser, const ustring& title) {
    crmTitleChange(sender, browser, title);
  });
  crm->SetOnStatusMessage([this](TCustomChromium& sender, PBrowser browser, const ustring& value) {
    crmStatusMessage(sender, browser, value);
  });
  crm->SetOnLoadStart([this](TCustomChromium& sender, PBrowser browser, PFrame frame) {
    crmLoadStart(sender, browser, frame);
  });
  crm->SetOnLoadEnd([this](TCustomChromium& sender, PBrowser browser, PFrame frame, int status) {
    crmLoadEnd(sender, browser, frame, status);
  });
  crm->SetOnBeforePopup([this](TCustomChromium& sender, PBrowser browser, PFrame frame,
                               const ustring& targetUrl, const ustring& targetFrameName,
                               TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                               TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                               bool& noJavascriptAccess, bool& result) {
    crmBeforePopup(sender, browser, frame, targetUrl, targetFrameName, popupFeatures, windowInfo,
                   client, settings, noJavascriptAccess, result);
  });
  crm->SetOnBeforeResourceLoad([this](TCustomChromium& sender, PBrowser browser, PFrame frame,
                                      const TInterfacePtr<ICefRequest>& request, bool& result) {
    crmBeforeResourceLoad(sender, browser, frame, request, result);
  });
  crm->SetOnBeforeUnloadDialog(
      [this](TCustomChromium& sender, PBrowser browser, const ustring& messageText, bool isReload,
             const TInterfacePtr<ICefJsDialogCallback>& callback, bool& result) {
        crmBeforeUnloadDialog(sender, browser, messageText, isReload, callback, result);
      });
}

void TMainForm::DoLocalize() {
  TFormlocal::DoLocalize();
  const Tlocalestrings& s = LocaleStrings;
  const std::pair<TMenuItem*, const std::wstring*> captions[] = {
      {File1, &s.MenuFile},
      {est1, &s.MenuOptions},
      {Help1, &s.MenuHelp},
      {M_NewPage, &s.MenuNewPage},
      {Print1, &s.MenuPrint},
      {MSave, &s.MSave},
      {Exit1, &s.MenuExit},
      {mGetsource, &s.MenuGetSource},
      {Zoomin1, &s.MenuZoomIn},
      {Zoomout1, &s.MenuZoomOut},
      {Zoomreset1, &s.MenuZoomReset},
      {Refresh1, &s.MenuRefresh},
      {DevelopperTools1, &s.MenuShowDevTools},
      {Documentation1, &s.MenuDocumentation},
      {Googlegroup1, &s.MenuGoogleGroup},
      {About1, &s.MenuAbout},
      {NewTab, &s.NewTab},
      {MenuOpenLink, &s.MenuOpenLink},
      {M_OpenImageNewWindow, &s.M_OpenImageNewWindow},
      {M_CopyImage, &s.M_CopyImage},
      {M_CopyImageURL, &s.M_CopyImageURL},
      {M_SaveImageAs, &s.M_SaveImageAs},
  };
  for (const auto& [item, text] : captions) item->SetCaption(*text);
}
