// Thin window classes over HWND. A window object is bound to its HWND; one
// window procedure cracks messages and calls virtual handlers. No table of
// windows exists besides the HWND <-> object link kept in the window itself.
//
// Ownership: a form owns its controls as members (or unique pointers) and
// destroys them before its own window; a control never owns its parent.
// Windows are created and used on the main thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shortcuts.h"

class TForm;
class TMainMenu;
class TActionList;

// The root of the framework's objects, so that one handler type serves every
// sender (a menu item, a command, a button).
class TComponent {
 public:
  virtual ~TComponent() = default;
};

// A handler that learns only who raised it.
using TNotifyEvent = std::function<void(TComponent& Sender)>;
// A character key a control receives, before the control handles it; setting
// Key to 0 consumes it.
using TKeyPressEvent = std::function<void(TComponent& Sender, wchar_t& Key)>;
// A key released while the control has the focus: its virtual-key code.
using TKeyEvent = std::function<void(TComponent& Sender, WORD& Key, TShiftState Shift)>;

// Where a control sits in its parent: fixed bounds, or along one side of the
// space its earlier siblings left, or all of what is left.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The parent edges a control with alNone keeps its distance to when the parent
// is resized. Left and top together is the usual fixed place; left and right
// together stretch the control.
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// A font as a layout states it: a face and a height in the framework's sense
// (negative: character height in pixels; positive: cell height).
struct TFont {
  std::wstring Name = L"Tahoma";
  int Height = -11;
  bool Bold = false;
  bool Underline = false;
  COLORREF Color = CLR_INVALID;  // CLR_INVALID: the system's window text colour
};

// Asked of a control before the form's key navigation takes a key (wParam:
// the virtual key code); a non-zero answer keeps the key for the control.
constexpr UINT CM_WANTSPECIALKEY = 0xB000 + 14;

class TWinControl : public TComponent {
 public:
  TWinControl() = default;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;
  ~TWinControl() override;

  HWND Handle() const noexcept { return FHandle; }
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }

  // The window text: a form's caption, a button's or label's caption, an
  // edit box's text.
  std::wstring Caption() const;
  void SetCaption(const std::wstring& text);

  // The object bound to a window created by this layer, or null.
  static TWinControl* FromHandle(HWND wnd);

  // Placement. A control's window is a child of its parent's; the parent
  // does not own the control object. Bounds are in the parent's client
  // coordinates. Aligned controls are placed again whenever the parent's
  // size changes: those of one side in the order they were given the parent,
  // the first outermost; hidden controls take no space. Anchored controls
  // keep their distances to the anchored edges of the parent's client area
  // as they were when their bounds were last set (or, when the parent had no
  // size yet, when it is first laid out).
  TWinControl* Parent() const noexcept { return FParent; }
  // The form the control lives in (itself for a form), or null.
  TForm* Form() const;
  void SetParent(TWinControl* parent);
  // The children, in the order they were given this parent.
  const std::vector<TWinControl*>& Controls() const noexcept { return FControls; }
  TAlign Align() const noexcept { return FAlign; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const noexcept { return FAnchors; }
  void SetAnchors(TAnchors anchors);
  void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const noexcept { return FBounds; }
  int Width() const noexcept { return FBounds.right - FBounds.left; }
  int Height() const noexcept { return FBounds.bottom - FBounds.top; }
  void SetHeight(int height);
  // The control's own client area, from (0, 0).
  RECT ClientRect() const;

  // Shown or hidden; a hidden control keeps its window and its place in the
  // alignment order.
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool visible);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool enabled);

  // Gives the control the keyboard focus; in a form not on screen yet, the
  // control takes it when the form is next activated.
  void SetFocus();
  bool Focused() const;

  // A control without a font of its own uses its parent's.
  void SetFont(const TFont& font);
  const TFont& Font() const;

  // Creates the window now unless it exists; the parent's comes first.
  void HandleNeeded();
  // The form editor's design mode: never at run time.
  bool Designing() const noexcept { return false; }

  // After the control's size changed.
  std::function<void(TWinControl& sender)> OnResize;
  // Keys released while the control has the focus.
  TKeyEvent OnKeyUp;

 protected:
  // Creates the window of the registered class `className` and binds it.
  void CreateHandle(const wchar_t* className, const std::wstring& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent);
  // Binds a window of a system class (EDIT, BUTTON, …) created here, and
  // subclasses it so that its messages reach WndProc; DefaultHandler then
  // calls the class's own procedure.
  void CreateSystemControl(const wchar_t* className, const std::wstring& caption, DWORD style,
                           DWORD exStyle);
  void DestroyHandle();
  // Every message of the window.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // What the window's class does with a message: DefWindowProcW, or the
  // system class's procedure for a subclassed system control.
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window is gone: WM_NCDESTROY was handled.
  virtual void HandleDestroyed() {}
  // Just before Visible changes, and just after it changed.
  virtual void VisibleChanging(bool visible) { (void)visible; }
  virtual void VisibleChanged();
  // Creates the control's child window in its parent's at its bounds.
  virtual void CreateWindowHandle();
  // The size changed; the default raises OnResize.
  virtual void Resize();
  // The form has set up its controls: each creates its window and tells its
  // own children. A form calls it on itself at the end of its construction.
  virtual void Loaded();
  // Places the aligned and anchored children in the client area.
  void AlignControls();
  // A child's colours: WM_CTLCOLOR* of a child reach the child here; null
  // leaves them to the system.
  virtual HBRUSH ControlColor(HDC dc);
  // WM_COMMAND and WM_NOTIFY of a child reach the child here.
  virtual void ChildNotification(UINT code) { (void)code; }

  static const wchar_t* RegisterWindowClass(const wchar_t* className, UINT style,
                                            HBRUSH background);

 private:
  friend class TForm;
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PlaceAt(const RECT& bounds);
  void Bind(HWND wnd);
  // Styles every created child window shares: visibility, enabled state.
  DWORD ChildStyle(DWORD style) const;
  // The window now exists: font, children's places.
  void HandleCreated();
  // Sends the font to the window and to the children that use it.
  void FontChanged();
  void UpdateAnchorMargins();

  HWND FHandle = nullptr;
  WNDPROC FSystemProc = nullptr;
  TWinControl* FParent = nullptr;
  std::vector<TWinControl*> FControls;  // children, in the order they were given this parent
  TAlign FAlign = TAlign::alNone;
  TAnchors FAnchors = akLeft | akTop;
  RECT FBounds{0, 0, 0, 0};
  RECT FAnchorMargins{0, 0, 0, 0};  // distances to the parent's edges at the last SetBounds
  bool FAnchorsPending = false;     // the parent had no size when the bounds were set
  std::wstring FCaption;            // the text while there is no window
  bool FVisible = true;
  bool FEnabled = true;
  std::unique_ptr<TFont> FFont;  // null: the parent's
  HFONT FFontHandle = nullptr;   // owned by the font cache of the layer
};

enum class TCloseAction { caNone, caHide, caFree };
enum class TPosition { poDesigned, poScreenCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TBorderStyle { bsSizeable, bsToolWindow };

// Results of a modal form: zero while it runs.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A top-level window. The application keeps a list of every form that
// exists (Application.Forms()).
class TForm : public TWinControl {
 public:
  TForm();
  ~TForm() override;

  // Shows the window (DoShow first, when it is hidden); at the first showing
  // the window state and position apply.
  void Show();
  void Hide();
  // Asks OnCloseQuery, then OnClose; a modal form ends its loop with
  // mrCancel, any other hides or destroys its window as OnClose decides.
  void Close();
  bool Showing() const;

  // Shows the form modally: every other form of the application is disabled
  // until it closes or its ModalResult becomes non-zero. Answers the result.
  int ShowModal();
  int ModalResult() const noexcept { return FModalResult; }
  void SetModalResult(int result) { FModalResult = result; }

  // Placement and look, set during construction before the window is shown.
  void SetClientSize(int width, int height);
  void SetPosition(TPosition position) { FPosition = position; }
  void SetWindowState(TWindowState state);
  TWindowState WindowState() const;
  // Pixels of exactly this colour are see-through (a layered window).
  void SetTransparentColor(COLORREF color);
  void SetMenu(TMainMenu* menu);
  TMainMenu* Menu() const noexcept { return FMenu; }

  // Command lists of this form: their shortcuts are this form's, and their
  // update handlers run when the application is idle.
  void AddActionList(TActionList* list);
  void RemoveActionList(TActionList* list);
  const std::vector<TActionList*>& ActionLists() const noexcept { return FActionLists; }

  // A key pressed in this form or any of its controls: the main menu is
  // searched first, depth first in display order, hidden entries included;
  // the first entry carrying the key takes it, and runs only when it and
  // its menus are enabled. Only a key that no menu entry carries goes to the
  // command lists' own shortcuts. Answers whether the key was taken.
  virtual bool IsShortCut(TShortCut key);
  // The form's own keys when its controls leave them: Tab and Shift+Tab move
  // the focus in tab order, Enter presses the focused or the default button,
  // Esc the cancel button. Answers whether the key was taken.
  bool DialogKey(WORD key, TShiftState shift);

  TNotifyEvent OnShow;
  std::function<void(TComponent& Sender, bool& CanClose)> OnCloseQuery;
  std::function<void(TComponent& Sender, TCloseAction& Action)> OnClose;

 protected:
  // Creates the window; called by the form's own construction.
  void CreateForm(const std::wstring& caption, int clientWidth, int clientHeight,
                  TBorderStyle border = TBorderStyle::bsSizeable);
  // Just before the window becomes visible; the default raises OnShow.
  virtual void DoShow();
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void HandleDestroyed() override;
  void VisibleChanging(bool visible) override;
  void VisibleChanged() override;

 private:
  friend class TWinControl;
  bool CloseQuery();
  // Every control that takes the focus by Tab, in tab order.
  std::vector<TWinControl*> TabOrder() const;
  void SelectNext(TWinControl* current, bool forward);

  TPosition FPosition = TPosition::poDesigned;
  TWindowState FWindowState = TWindowState::wsNormal;
  bool FShownOnce = false;
  int FModalResult = mrNone;
  bool FModal = false;
  TMainMenu* FMenu = nullptr;
  std::vector<TActionList*> FActionLists;
  DWORD FStyle = 0;
  DWORD FExStyle = 0;
  COLORREF FTransparentColor = CLR_INVALID;
  HWND FFocus = nullptr;  // the control to focus when the form is next activated
};
