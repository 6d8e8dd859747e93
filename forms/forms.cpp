// Windows bound to objects, their placement, and top-level forms.
#include "forms.h"

#include <algorithm>
#include <map>
#include <vector>

#include "actions.h"
#include "application.h"
#include "controls.h"
#include "menus.h"
#include "sysutils.h"

namespace {

const wchar_t* const kObjectProperty = L"NimbraWindowObject";

// A form's own font when nothing in the layout sets one.
const TFont kDefaultFont{};

// Fonts are shared by every control that shows the same face and style and
// live until the process ends.
struct TFontKey {
  std::wstring Name;
  int Height;
  bool Bold;
  bool Underline;
  auto operator<=>(const TFontKey&) const = default;
};

HFONT CachedFont(const TFont& font) {
  static std::map<TFontKey, TGdiHandle> cache;
  TGdiHandle& entry = cache[TFontKey{font.Name, font.Height, font.Bold, font.Underline}];
  if (!entry) {
    LOGFONTW logFont{};
    logFont.lfHeight = font.Height;
    logFont.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    logFont.lfUnderline = font.Underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    font.Name.copy(logFont.lfFaceName, LF_FACESIZE - 1);
    entry.reset(CreateFontIndirectW(&logFont));
    if (!entry) RaiseLastOSError();
  }
  return static_cast<HFONT>(entry.get());
}

LONG RectWidth(const RECT& r) { return r.right - r.left; }
LONG RectHeight(const RECT& r) { return r.bottom - r.top; }

bool IsCtlColor(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }

// The control of this layer that a window belongs to: the window's own, or
// that of the nearest window around it (an engine's window inside a control).
TWinControl* ControlAt(HWND wnd) {
  while (wnd) {
    if (TWinControl* control = TWinControl::FromHandle(wnd)) return control;
    wnd = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr;
  }
  return nullptr;
}

}  // namespace

// ---- TWinControl ---------------------------------------------------------------

TWinControl::~TWinControl() {
  DestroyHandle();
  SetParent(nullptr);
  for (TWinControl* child : FControls) child->FParent = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  return wnd ? static_cast<TWinControl*>(GetPropW(wnd, kObjectProperty)) : nullptr;
}

TForm* TWinControl::Form() const {
  const TWinControl* control = this;
  while (control->FParent) control = control->FParent;
  return dynamic_cast<TForm*>(const_cast<TWinControl*>(control));
}

std::wstring TWinControl::Caption() const {
  if (!FHandle) return FCaption;
  const int length = GetWindowTextLengthW(FHandle);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(FHandle, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void TWinControl::SetCaption(const std::wstring& text) {
  FCaption = text;
  if (FHandle) SetWindowTextW(FHandle, text.c_str());
}

const wchar_t* TWinControl::RegisterWindowClass(const wchar_t* className, UINT style,
                                                HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return className;
  wc.style = style;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (!RegisterClassExW(&wc)) RaiseLastOSError();
  return className;
}

DWORD TWinControl::ChildStyle(DWORD style) const {
  style &= ~(WS_VISIBLE | WS_DISABLED);
  if (FVisible) style |= WS_VISIBLE;
  if (!FEnabled) style |= WS_DISABLED;
  return style;
}

void TWinControl::Bind(HWND wnd) {
  FHandle = wnd;
  SetPropW(wnd, kObjectProperty, this);
}

void TWinControl::CreateHandle(const wchar_t* className, const std::wstring& caption, DWORD style,
                               DWORD exStyle, int x, int y, int width, int height, HWND parent) {
  if (parent) style = ChildStyle(style);
  // WindowProc binds the window at WM_NCCREATE from the creation parameter.
  if (!CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, parent,
                       nullptr, GetModuleHandleW(nullptr), this))
    RaiseLastOSError();
  FCaption = caption;
  HandleCreated();
}

void TWinControl::CreateSystemControl(const wchar_t* className, const std::wstring& caption,
                                      DWORD style, DWORD exStyle) {
  if (!FParent || !FParent->FHandle) throw Exception(L"Control has no parent window");
  const HWND wnd = CreateWindowExW(exStyle, className, caption.c_str(), ChildStyle(style),
                                   FBounds.left, FBounds.top, Width(), Height(), FParent->FHandle,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!wnd) RaiseLastOSError();
  Bind(wnd);
  FSystemProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
  FCaption = caption;
  HandleCreated();
}

void TWinControl::HandleCreated() {
  FFontHandle = nullptr;
  FontChanged();
  AlignControls();
}

void TWinControl::DestroyHandle() {
  if (FHandle) DestroyWindow(FHandle);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (FSystemProc) return CallWindowProcW(FSystemProc, FHandle, msg, wParam, lParam);
  return DefWindowProcW(FHandle, msg, wParam, lParam);
}

HBRUSH TWinControl::ControlColor(HDC dc) {
  (void)dc;
  return nullptr;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsCtlColor(msg)) {
    // A child's colours are the child's affair.
    if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      if (const HBRUSH brush = child->ControlColor(dc)) return reinterpret_cast<LRESULT>(brush);
      const LRESULT result = DefaultHandler(msg, wParam, lParam);
      if (child->Font().Color != CLR_INVALID) SetTextColor(dc, child->Font().Color);
      return result;
    }
  }
  switch (msg) {
    case WM_MOVE:
      if (!FParent) GetWindowRect(FHandle, &FBounds);
      break;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) {
        if (!FParent) GetWindowRect(FHandle, &FBounds);
        const LRESULT result = DefaultHandler(msg, wParam, lParam);
        AlignControls();
        Resize();
        return result;
      }
      break;
    case WM_COMMAND:
      if (lParam) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
            child && child != this) {
          child->ChildNotification(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (TWinControl* child = FromHandle(header->hwndFrom); child && child != this) {
        child->ChildNotification(header->code);
        return 0;
      }
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (OnKeyUp) {
        WORD key = static_cast<WORD>(wParam);
        OnKeyUp(*this, key, KeyboardShiftState());
        if (key == 0) return 0;
        wParam = key;
      }
      break;
    case CM_WANTSPECIALKEY:
      return 0;
  }
  return DefaultHandler(msg, wParam, lParam);
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  for (TWinControl* p = parent; p; p = p->FParent)
    if (p == this) throw Exception(L"A control cannot be placed inside itself");
  TWinControl* old = FParent;
  if (old) std::erase(old->FControls, this);
  FParent = parent;
  if (parent) {
    parent->FControls.push_back(this);
    if (FHandle && parent->FHandle) ::SetParent(FHandle, parent->FHandle);
    UpdateAnchorMargins();
    FontChanged();
    parent->AlignControls();
  }
  if (old) old->AlignControls();
}

void TWinControl::SetAlign(TAlign align) {
  if (align == FAlign) return;
  FAlign = align;
  if (FParent) FParent->AlignControls();
}

void TWinControl::SetAnchors(TAnchors anchors) {
  FAnchors = anchors;
  UpdateAnchorMargins();
}

void TWinControl::UpdateAnchorMargins() {
  if (!FParent) return;
  const RECT area = FParent->ClientRect();
  FAnchorsPending = RectWidth(area) <= 0 || RectHeight(area) <= 0;
  if (FAnchorsPending) return;
  FAnchorMargins = {FBounds.left, FBounds.top, area.right - FBounds.right,
                    area.bottom - FBounds.bottom};
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  PlaceAt({left, top, left + width, top + height});
  UpdateAnchorMargins();
  if (FParent) FParent->AlignControls();
}

void TWinControl::SetHeight(int height) { SetBounds(FBounds.left, FBounds.top, Width(), height); }

void TWinControl::PlaceAt(const RECT& bounds) {
  const bool resized =
      RectWidth(bounds) != RectWidth(FBounds) || RectHeight(bounds) != RectHeight(FBounds);
  FBounds = bounds;
  if (FHandle) {
    // The window's WM_SIZE lays out its children.
    SetWindowPos(FHandle, nullptr, bounds.left, bounds.top, RectWidth(bounds), RectHeight(bounds),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (resized) {
    AlignControls();
  }
}

RECT TWinControl::ClientRect() const {
  RECT rect{0, 0, Width(), Height()};
  if (FHandle) GetClientRect(FHandle, &rect);
  return rect;
}

void TWinControl::AlignControls() {
  const RECT area = ClientRect();
  if (RectWidth(area) <= 0 && RectHeight(area) <= 0) return;
  RECT space = area;
  // Sides first, in this order, each taking from what is left; then the rest.
  for (const TAlign kind :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (TWinControl* child : FControls) {
      if (child->FAlign != kind || !child->FVisible) continue;
      RECT place = space;
      switch (kind) {
        case TAlign::alTop:
          place.bottom = space.top = std::min(space.bottom, space.top + child->Height());
          break;
        case TAlign::alBottom:
          place.top = space.bottom = std::max(space.top, space.bottom - child->Height());
          break;
        case TAlign::alLeft:
          place.right = space.left = std::min(space.right, space.left + child->Width());
          break;
        case TAlign::alRight:
          place.left = space.right = std::max(space.left, space.right - child->Width());
          break;
        default:
          break;
      }
      child->PlaceAt(place);
    }
  }
  for (TWinControl* child : FControls) {
    if (child->FAlign != TAlign::alNone) continue;
    if (child->FAnchorsPending) child->UpdateAnchorMargins();
    const TAnchors anchors = child->FAnchors;
    if ((anchors & (akRight | akBottom)) == 0 || child->FAnchorsPending) continue;
    const RECT& margins = child->FAnchorMargins;
    RECT place = child->FBounds;
    if (anchors & akRight) {
      place.right = area.right - margins.right;
      place.left = (anchors & akLeft) ? margins.left : place.right - child->Width();
      place.right = std::max(place.right, place.left);
    }
    if (anchors & akBottom) {
      place.bottom = area.bottom - margins.bottom;
      place.top = (anchors & akTop) ? margins.top : place.bottom - child->Height();
      place.bottom = std::max(place.bottom, place.top);
    }
    child->PlaceAt(place);
  }
}

void TWinControl::SetVisible(bool visible) {
  if (visible == FVisible) return;
  VisibleChanging(visible);
  FVisible = visible;
  VisibleChanged();
  if (FParent) FParent->AlignControls();
}

void TWinControl::VisibleChanged() {
  if (!FHandle) return;
  if (!FVisible) {
    // The focus does not stay in a window nobody sees.
    const HWND focus = GetFocus();
    if (focus && (focus == FHandle || IsChild(FHandle, focus)))
      if (FParent) ::SetFocus(GetAncestor(FHandle, GA_ROOT));
  }
  ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  FEnabled = enabled;
  if (FHandle) EnableWindow(FHandle, enabled);
}

void TWinControl::SetFocus() {
  if (!FHandle) return;
  TForm* form = Form();
  if (form && form != this) form->FFocus = FHandle;
  if (!form || form->Showing()) ::SetFocus(FHandle);
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFont(const TFont& font) {
  FFont = std::make_unique<TFont>(font);
  FontChanged();
}

const TFont& TWinControl::Font() const {
  if (FFont) return *FFont;
  return FParent ? FParent->Font() : kDefaultFont;
}

void TWinControl::FontChanged() {
  if (FHandle) {
    const HFONT font = CachedFont(Font());
    if (font != FFontHandle) {
      FFontHandle = font;
      SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
  }
  for (TWinControl* child : FControls)
    if (!child->FFont) child->FontChanged();
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateWindowHandle();
}

void TWinControl::CreateWindowHandle() {
  if (!FParent || !FParent->FHandle) throw Exception(L"Control has no parent window");
  const wchar_t* cls =
      RegisterWindowClass(L"TWinControl", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateHandle(cls, FCaption, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
               FBounds.left, FBounds.top, Width(), Height(), FParent->FHandle);
}

void TWinControl::Resize() {
  if (OnResize) OnResize(*this);
}

void TWinControl::Loaded() {
  if (FParent) HandleNeeded();
  // A child may leave its parent from inside its own Loaded.
  const std::vector<TWinControl*> children = FControls;
  for (TWinControl* child : children) child->Loaded();
  AlignControls();
}

LRESULT CALLBACK TWinControl::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* self = FromHandle(wnd);
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) self->Bind(wnd);
  }
  if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
  // Errors raised by handlers go to the application's report; they never
  // unwind through the system's frames.
  const LRESULT result = ReportingErrors([&] { return self->WndProc(msg, wParam, lParam); });
  if (msg == WM_NCDESTROY) {
    RemovePropW(wnd, kObjectProperty);
    if (self->FSystemProc)
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->FSystemProc));
    self->FHandle = nullptr;
    self->FSystemProc = nullptr;
    self->FFontHandle = nullptr;
    ReportingErrors([&] { self->HandleDestroyed(); });
  }
  return result;
}

// ---- TForm ---------------------------------------------------------------------

TForm::TForm() {
  FVisible = false;
  Application.FForms.push_back(this);
}

TForm::~TForm() {
  DestroyHandle();
  std::erase(Application.FForms, this);
  if (Application.FMainForm == this) Application.FMainForm = nullptr;
}

void TForm::CreateForm(const std::wstring& caption, int clientWidth, int clientHeight,
                       TBorderStyle border) {
  const wchar_t* cls =
      RegisterWindowClass(L"TForm", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (border == TBorderStyle::bsToolWindow) {
    FStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    FExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  } else {
    FStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    FExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  }
  if (FTransparentColor != CLR_INVALID) FExStyle |= WS_EX_LAYERED;
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, FStyle, FALSE, FExStyle);
  CreateHandle(cls, caption, FStyle, FExStyle, CW_USEDEFAULT, CW_USEDEFAULT, RectWidth(frame),
               RectHeight(frame), nullptr);
  GetWindowRect(Handle(), &FBounds);
  if (FTransparentColor != CLR_INVALID)
    SetLayeredWindowAttributes(Handle(), FTransparentColor, 0, LWA_COLORKEY);
}

void TForm::SetClientSize(int width, int height) {
  if (!HandleAllocated()) return;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)),
                     GetMenu(Handle()) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
  SetWindowPos(Handle(), nullptr, 0, 0, RectWidth(frame), RectHeight(frame),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(Handle(), &FBounds);
}

void TForm::SetWindowState(TWindowState state) {
  FWindowState = state;
  if (!Showing()) return;
  switch (state) {
    case TWindowState::wsMaximized:
      ShowWindow(Handle(), SW_MAXIMIZE);
      break;
    case TWindowState::wsMinimized:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case TWindowState::wsNormal:
      ShowWindow(Handle(), SW_RESTORE);
      break;
  }
}

TWindowState TForm::WindowState() const {
  if (!Showing()) return FWindowState;
  if (IsZoomed(Handle())) return TWindowState::wsMaximized;
  if (IsIconic(Handle())) return TWindowState::wsMinimized;
  return TWindowState::wsNormal;
}

void TForm::SetTransparentColor(COLORREF color) {
  FTransparentColor = color;
  if (!HandleAllocated()) return;
  const LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  if (color == CLR_INVALID) {
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    return;
  }
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  if (!SetLayeredWindowAttributes(Handle(), color, 0, LWA_COLORKEY)) RaiseLastOSError();
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == FMenu) return;
  if (FMenu) FMenu->FForm = nullptr;
  FMenu = menu;
  if (menu) {
    if (menu->FForm) menu->FForm->SetMenu(nullptr);
    menu->FForm = this;
    menu->Rebuild();
  }
  if (!HandleAllocated()) return;
  // The menu bar takes its height from the window, not from the client area.
  const RECT client = ClientRect();
  ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
  if (!IsZoomed(Handle())) SetClientSize(RectWidth(client), RectHeight(client));
}

void TForm::AddActionList(TActionList* list) {
  if (list && std::find(FActionLists.begin(), FActionLists.end(), list) == FActionLists.end())
    FActionLists.push_back(list);
}

void TForm::RemoveActionList(TActionList* list) { std::erase(FActionLists, list); }

bool TForm::IsShortCut(TShortCut key) {
  if (key == 0) return false;
  if (FMenu && FMenu->IsShortCut(key)) return true;
  // A handler may add or remove lists.
  const std::vector<TActionList*> lists = FActionLists;
  for (TActionList* list : lists)
    if (std::find(FActionLists.begin(), FActionLists.end(), list) != FActionLists.end() &&
        list->IsShortCut(key))
      return true;
  return false;
}

std::vector<TWinControl*> TForm::TabOrder() const {
  std::vector<TWinControl*> order;
  const auto collect = [&order](const auto& self, const TWinControl& parent) -> void {
    for (TWinControl* child : parent.Controls()) {
      const HWND wnd = child->Handle();
      if (!wnd || !IsWindowVisible(wnd) || !IsWindowEnabled(wnd)) continue;
      if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_TABSTOP) order.push_back(child);
      self(self, *child);
    }
  };
  collect(collect, *this);
  return order;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
  const std::vector<TWinControl*> order = TabOrder();
  if (order.empty()) return;
  // The current control, or the tab stop that holds it.
  auto at = order.end();
  for (TWinControl* c = current; c && at == order.end(); c = c->Parent())
    at = std::find(order.begin(), order.end(), c);
  TWinControl* next;
  if (at == order.end())
    next = forward ? order.front() : order.back();
  else if (forward)
    next = (at + 1 == order.end()) ? order.front() : *(at + 1);
  else
    next = (at == order.begin()) ? order.back() : *(at - 1);
  next->SetFocus();
  if (dynamic_cast<TEdit*>(next)) SendMessageW(next->Handle(), EM_SETSEL, 0, -1);
}

bool TForm::DialogKey(WORD key, TShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
  // The control that holds the focus, or the nearest one of this layer
  // around the window that does (an engine's window inside a control).
  TWinControl* focused = ControlAt(GetFocus());
  if (focused && focused != this && focused->Form() != this) return false;
  if (focused && focused != this && SendMessageW(focused->Handle(), CM_WANTSPECIALKEY, key, 0))
    return false;
  if (key == VK_TAB) {
    SelectNext(focused == this ? nullptr : focused, (shift & ssShift) == 0);
    return true;
  }
  TButton* target = nullptr;
  if (key == VK_RETURN) target = dynamic_cast<TButton*>(focused);
  if (!target) {
    const auto find = [key](const auto& self, const TWinControl& parent) -> TButton* {
      for (TWinControl* child : parent.Controls()) {
        const HWND wnd = child->Handle();
        if (!wnd || !IsWindowVisible(wnd) || !IsWindowEnabled(wnd)) continue;
        if (auto* button = dynamic_cast<TButton*>(child))
          if (key == VK_RETURN ? button->IsDefault() : button->IsCancel()) return button;
        if (TButton* inner = self(self, *child)) return inner;
      }
      return nullptr;
    };
    target = find(find, *this);
  }
  if (!target) return false;
  target->Click();
  return true;
}

void TForm::Show() {
  SetVisible(true);
  if (Showing()) {
    SetForegroundWindow(Handle());
    BringWindowToTop(Handle());
  }
}

void TForm::Hide() { SetVisible(false); }

bool TForm::Showing() const { return HandleAllocated() && IsWindowVisible(Handle()); }

void TForm::VisibleChanging(bool visible) {
  if (!visible || !HandleAllocated()) return;
  // Every control gets its window before the form is seen.
  const auto create = [](const auto& self, TWinControl& parent) -> void {
    for (TWinControl* child : parent.Controls()) {
      child->HandleNeeded();
      self(self, *child);
    }
  };
  create(create, *this);
  DoShow();
}

void TForm::VisibleChanged() {
  if (!HandleAllocated()) return;
  if (!Visible()) {
    ShowWindow(Handle(), SW_HIDE);
    return;
  }
  int command = SW_SHOW;
  if (!FShownOnce) {
    FShownOnce = true;
    if (FPosition == TPosition::poScreenCenter) {
      RECT work;
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      RECT frame;
      GetWindowRect(Handle(), &frame);
      const int x = work.left + (RectWidth(work) - RectWidth(frame)) / 2;
      const int y = work.top + (RectHeight(work) - RectHeight(frame)) / 2;
      SetWindowPos(Handle(), nullptr, std::max<int>(x, work.left), std::max<int>(y, work.top), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    switch (FWindowState) {
      case TWindowState::wsMaximized:
        command = SW_SHOWMAXIMIZED;
        break;
      case TWindowState::wsMinimized:
        command = SW_SHOWMINIMIZED;
        break;
      case TWindowState::wsNormal:
        command = SW_SHOWNORMAL;
        break;
    }
  }
  ShowWindow(Handle(), command);
}

void TForm::DoShow() {
  if (OnShow) OnShow(*this);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(*this, action);
  if (action == TCloseAction::caNone) return;
  if (FModal) {
    // ShowModal hides the form once its loop has ended.
    if (FModalResult == mrNone) FModalResult = mrCancel;
    return;
  }
  if (Application.MainForm() == this) {
    // The main form stays until the application destroys its forms.
    Hide();
    Application.Terminate();
    return;
  }
  if (action == TCloseAction::caFree)
    DestroyHandle();
  else
    Hide();
}

int TForm::ShowModal() {
  if (!HandleAllocated()) throw Exception(L"The window of a modal form does not exist");
  if (Visible() || FModal) throw Exception(L"A visible window cannot be made modal");
  // Every other form waits while this one runs.
  std::vector<HWND> disabled;
  for (TForm* form : Application.Forms())
    if (form != this && form->HandleAllocated() && IsWindowEnabled(form->Handle())) {
      EnableWindow(form->Handle(), FALSE);
      disabled.push_back(form->Handle());
    }
  const HWND previous = GetActiveWindow();
  FModal = true;
  FModalResult = mrNone;
  const auto restore = [&] {
    FModal = false;
    // Enabled again before this one hides, so that the system activates them.
    for (HWND wnd : disabled)
      if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
    if (HandleAllocated()) Hide();
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
  };
  try {
    Show();
    while (FModalResult == mrNone && Showing() && !Application.Terminated())
      Application.HandleMessage();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return FModalResult == mrNone ? mrCancel : FModalResult;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_COMMAND:
      // A menu entry: no control window, notification code 0.
      if (lParam == 0 && HIWORD(wParam) == 0 && FMenu) {
        if (TMenuItem* item = FMenu->FindCommand(LOWORD(wParam))) item->Click();
        return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      if (FMenu && FMenu->InitPopup(reinterpret_cast<HMENU>(wParam))) return 0;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) FFocus = focus;
      } else if (!HIWORD(wParam)) {
        // The control that had the focus gets it back; at the first
        // activation, the first in tab order.
        if (FFocus && IsWindow(FFocus) && IsChild(Handle(), FFocus) && IsWindowVisible(FFocus) &&
            IsWindowEnabled(FFocus)) {
          ::SetFocus(FFocus);
          return 0;
        }
        FFocus = nullptr;
        const std::vector<TWinControl*> order = TabOrder();
        if (!order.empty()) {
          ::SetFocus(order.front()->Handle());
          return 0;
        }
      }
      break;
    case WM_DESTROY:
      // The menu bar is the menu object's, not the window's.
      if (GetMenu(Handle())) ::SetMenu(Handle(), nullptr);
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

void TForm::HandleDestroyed() {
  FFocus = nullptr;
  // Wakes a waiting message loop so that it sees the form gone.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}
