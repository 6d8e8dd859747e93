// The main window: the tool row (back, forward, home, reload, the address
// box and the go button), the main browser view `crm`, the developer-tools
// view `debug` under its splitter, the status bar, the menu bar, the command
// table and the two pop-up menus for links and images.
//
// Ownership: the application creates and destroys the window on the main
// thread. The window owns its components; both browser views are destroyed
// before the window's own window, and the window before the engine shuts
// down. The engine calls crmBeforePopup and crmBeforeResourceLoad on its
// input/output thread: they touch no window state.
#pragma once

#include <memory>
#include <vector>

#include "FormLocal.h"
#include "actions.h"
#include "application.h"
#include "ceflib.h"
#include "chromium.h"
#include "controls.h"
#include "dialogs.h"
#include "imagelist.h"
#include "menus.h"
#include "skin_settings.h"

class TMainForm : public TFormlocal {
 public:
  TMainForm();
  ~TMainForm() override;

  void DoLocalize() override;

  // Components, by their layout names.
  TPanel* Panel1;
  TSpeedButton* SpeedButton1;
  TSpeedButton* SpeedButton2;
  TSpeedButton* SpeedButton3;
  TSpeedButton* SpeedButton4;
  TEdit* edAddress;
  TSpeedButton* SpeedButton5;
  TChromium* crm;
  TSplitter* Splitter1;
  TChromium* debug;
  TStatusBar* StatusBar;
  TImage* Image1;

  TActionList* ActionList;
  TAction* actPrev;
  TAction* actNext;
  TAction* actHome;
  TAction* actReload;
  TAction* actGoTo;
  TAction* actGetSource;
  TAction* actGetText;
  TAction* actZoomIn;
  TAction* actZoomOut;
  TAction* actZoomReset;
  TAction* actExecuteJS;
  TAction* actDom;
  TAction* actDevTool;
  TAction* actDoc;
  TAction* actGroup;
  TAction* actFileScheme;
  TAction* actChromeDevTool;

  TMainMenu* MainMenu;
  TMenuItem* File1;
  TMenuItem* M_NewPage;
  TMenuItem* Print1;
  TMenuItem* MSave;
  TMenuItem* Exit1;
  TMenuItem* est1;
  TMenuItem* mGetsource;
  TMenuItem* mGetText;
  TMenuItem* ExecuteJavaScript1;
  TMenuItem* Zoomin1;
  TMenuItem* Zoomout1;
  TMenuItem* Zoomreset1;
  TMenuItem* Refresh1;
  TMenuItem* actFileScheme1;
  TMenuItem* VisitDOM1;
  TMenuItem* DevelopperTools1;
  TMenuItem* DebuginChrome1;
  TMenuItem* Help1;
  TMenuItem* Documentation1;
  TMenuItem* Googlegroup1;
  TMenuItem* About1;

  TPopupMenu* PopupMenu1;
  TMenuItem* NewTab;
  TPopupMenu* PopupMenu2;
  TMenuItem* MenuOpenLink;
  TMenuItem* M_OpenImageNewWindow;
  TMenuItem* M_CopyImage;
  TMenuItem* M_CopyImageURL;
  TMenuItem* M_SaveImageAs;

  TImageList* ImageList1;
  TSavePictureDialog* SavePicture;
  TSkinManager sSkinManager1;
  TSkinProvider sSkinProvider1;

  // The engine's global cookie manager, taken at creation.
  TInterfacePtr<ICefCookieManager> CookieManager;

  bool Loading() const noexcept { return FLoading; }
  bool DevToolLoaded() const noexcept { return FDevToolLoaded; }

  // True exactly when `browser` is the main view's and `frame` is none or
  // the main frame.
  bool IsMainBrowserFrame(PBrowser browser, PFrame frame);
  // Makes the engine keep this window's cookies in the shared cache folder,
  // so that a window process started afterwards finds them.
  void UpdateCookie();
  // Replaces the page-resource lists by new empty ones.
  void RAZList();
  // The main view's main frame, or none.
  TInterfacePtr<ICefFrame> MainFrame() const;

  // Life cycle.
  void FormCreate(TComponent& Sender);
  void FormShow(TComponent& Sender);
  void FormCloseQuery(TComponent& Sender, bool& CanClose);
  void FormClose(TComponent& Sender, TCloseAction& Action);
  void Exit1Click(TComponent& Sender);

  // Commands of the window itself.
  void M_NewPageClick(TComponent& Sender);
  void Print1Click(TComponent& Sender);
  void actDocExecute(TComponent& Sender);
  void actGroupExecute(TComponent& Sender);
  void About1Click(TComponent& Sender);

  // Update rules of the navigation commands.
  void actPrevUpdate(TComponent& Sender);
  void actNextUpdate(TComponent& Sender);
  void actHomeUpdate(TComponent& Sender);
  void actReloadUpdate(TComponent& Sender);

  // Navigation.
  void edAddressKeyPress(TComponent& Sender, wchar_t& Key);
  void actGoToExecute(TComponent& Sender);
  void actHomeExecute(TComponent& Sender);
  void actPrevExecute(TComponent& Sender);
  void actNextExecute(TComponent& Sender);
  void actReloadExecute(TComponent& Sender);
  void Refresh1Click(TComponent& Sender);

  // Page tools.
  void actGetSourceExecute(TComponent& Sender);
  void actGetTextExecute(TComponent& Sender);
  void actZoomInExecute(TComponent& Sender);
  void actZoomOutExecute(TComponent& Sender);
  void actZoomResetExecute(TComponent& Sender);
  void actExecuteJSExecute(TComponent& Sender);
  void actDevToolExecute(TComponent& Sender);
  void actFileSchemeExecute(TComponent& Sender);

  // Events of the main view.
  void crmAddressChange(TCustomChromium& Sender, PBrowser browser, PFrame frame,
                        const ustring& url);
  void crmTitleChange(TCustomChromium& Sender, PBrowser browser, const ustring& title);
  void crmStatusMessage(TCustomChromium& Sender, PBrowser browser, const ustring& value);
  void crmLoadStart(TCustomChromium& Sender, PBrowser browser, PFrame frame);
  void crmLoadEnd(TCustomChromium& Sender, PBrowser browser, PFrame frame, int httpStatusCode);
  void crmBeforePopup(TCustomChromium& Sender, PBrowser browser, PFrame frame,
                      const ustring& targetUrl, const ustring& targetFrameName,
                      TCefPopupFeatures& popupFeatures, TCefWindowInfo& windowInfo,
                      TInterfacePtr<ICefClient>& client, TCefBrowserSettings& settings,
                      bool& noJavascriptAccess, bool& Result);
  void crmBeforeResourceLoad(TCustomChromium& Sender, PBrowser browser, PFrame frame,
                             const TInterfacePtr<ICefRequest>& request, bool& Result);
  void crmBeforeUnloadDialog(TCustomChromium& Sender, PBrowser browser, const ustring& messageText,
                             bool isReload, const TInterfacePtr<ICefJsDialogCallback>& callback,
                             bool& Result);

 private:
  void CreateComponents();
  void CreateActions();
  void CreateMenus();
  void BindEvents();
  void ChangeZoom(double delta, bool reset);

  // The components, owned here whatever their kind; destroyed in reverse
  // order of creation, so the controls go before the commands they show.
  std::vector<std::shared_ptr<void>> FComponents;
  template <class T, class... A>
  T* Make(A&&... args) {
    auto component = std::make_shared<T>(std::forward<A>(args)...);
    T* result = component.get();
    FComponents.push_back(std::move(component));
    return result;
  }

  bool FLoading = false;
  bool FDevToolLoaded = false;
};
