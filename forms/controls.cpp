#include "controls.h"

#include <commctrl.h>

#include <algorithm>

#include "sysutils.h"

namespace {

// A device context of the screen, released on every path.
class TScreenDC {
 public:
  TScreenDC() : FDC(GetDC(nullptr)) {}
  ~TScreenDC() {
    if (FDC) ReleaseDC(nullptr, FDC);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC get() const noexcept { return FDC; }

 private:
  HDC FDC;
};

POINT ScreenPoint(HWND wnd, LPARAM lParam) {
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(wnd, &point);
  return point;
}

void SetStyleBits(HWND wnd, int index, LONG_PTR bits, bool on) {
  const LONG_PTR style = GetWindowLongPtrW(wnd, index);
  const LONG_PTR wanted = on ? (style | bits) : (style & ~bits);
  if (wanted == style) return;
  SetWindowLongPtrW(wnd, index, wanted);
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

// ---- TPanel --------------------------------------------------------------------

TPanel::TPanel(TWinControl* parent) { SetParent(parent); }

void TPanel::SetColor(COLORREF color) {
  FColor = color;
  FBrush.reset(color == CLR_INVALID ? nullptr : CreateSolidBrush(color));
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::SetBevelLowered(bool lowered) {
  FLowered = lowered;
  if (HandleAllocated()) SetStyleBits(Handle(), GWL_EXSTYLE, WS_EX_STATICEDGE, lowered);
}

void TPanel::CreateWindowHandle() {
  if (!Parent() || !Parent()->HandleAllocated()) throw Exception(L"Control has no parent window");
  const wchar_t* cls =
      RegisterWindowClass(L"TPanel", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT bounds = BoundsRect();
  CreateHandle(cls, Caption(), WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
               WS_EX_CONTROLPARENT | (FLowered ? WS_EX_STATICEDGE : 0), bounds.left, bounds.top,
               Width(), Height(), Parent()->Handle());
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND && FBrush) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(FBrush.get()));
    return 1;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- TEdit ---------------------------------------------------------------------

TEdit::TEdit(TWinControl* parent) { SetParent(parent); }

void TEdit::CreateWindowHandle() {
  CreateSystemControl(L"EDIT", Caption(), WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT,
                      WS_EX_CLIENTEDGE);
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR && OnKeyPress) {
    wchar_t key = static_cast<wchar_t>(wParam);
    OnKeyPress(*this, key);
    if (key == 0) return 0;
    wParam = key;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- TMemo ---------------------------------------------------------------------

TMemo::TMemo(TWinControl* parent) { SetParent(parent); }

void TMemo::CreateWindowHandle() {
  DWORD style = WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_LEFT;
  if (FReadOnly) style |= ES_READONLY;
  if (FScrollBar) style |= WS_VSCROLL;
  if (!FWordWrap) style |= ES_AUTOHSCROLL;
  if (FWantReturns) style |= ES_WANTRETURN;
  CreateSystemControl(L"EDIT", Caption(), style, FBorder ? WS_EX_CLIENTEDGE : 0);
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Enter belongs to the memo only when it wants returns; otherwise it goes
  // to the form's default button.
  if (msg == CM_WANTSPECIALKEY) return wParam == VK_RETURN && FWantReturns;
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- TLabel --------------------------------------------------------------------

TLabel::TLabel(TWinControl* parent) { SetParent(parent); }

void TLabel::CreateWindowHandle() {
  // SS_NOTIFY: clicks reach OnClick. No prefix: an address may hold "&".
  CreateSystemControl(
      L"STATIC", Caption(),
      WS_CHILD | SS_NOTIFY | SS_NOPREFIX | (FWordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP), 0);
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!FAutoSize || !HandleAllocated()) return;
  const std::wstring text = Caption();
  TScreenDC dc;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  const HGDIOBJ old = SelectObject(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
  RECT extent{0, 0, FWordWrap ? std::max(Width(), 1) : 0, 0};
  DrawTextW(dc.get(), text.empty() ? L" " : text.c_str(), -1, &extent,
            DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc.get(), old);
  const RECT bounds = BoundsRect();
  const int width = text.empty() ? 0 : extent.right;
  if (width != Width() || extent.bottom != Height())
    SetBounds(bounds.left, bounds.top, width, extent.bottom);
}

LRESULT TLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETCURSOR:
      if (OnClick) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_SETTEXT:
    case WM_SETFONT: {
      const LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      AdjustSize();
      return result;
    }
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

HBRUSH TLabel::ControlColor(HDC dc) {
  // The label's face is its parent's; its text has the font's colour.
  const COLORREF color = Font().Color;
  SetTextColor(dc, color == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : color);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void TLabel::ChildNotification(UINT code) {
  if (code == STN_CLICKED && OnClick) OnClick(*this);
}

// ---- TButton -------------------------------------------------------------------

TButton::TButton(TWinControl* parent) { SetParent(parent); }

void TButton::SetDefault(bool isDefault) {
  FDefault = isDefault;
  if (HandleAllocated())
    SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateWindowHandle() {
  CreateSystemControl(L"BUTTON", Caption(),
                      WS_CHILD | WS_TABSTOP | (FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0);
}

void TButton::Click() {
  if (OnClick) OnClick(*this);
  if (FModalResult != mrNone)
    if (TForm* form = Form()) form->SetModalResult(FModalResult);
}

void TButton::ChildNotification(UINT code) {
  if (code == BN_CLICKED) Click();
}

// ---- TSpeedButton --------------------------------------------------------------

TSpeedButton::TSpeedButton(TWinControl* parent) { SetParent(parent); }

TSpeedButton::~TSpeedButton() {
  if (FAction) FAction->RemoveClient(this);
  DestroyHandle();  // before the icon it shows
}

void TSpeedButton::SetImages(TImageList* images) {
  FImages = images;
  Refresh();
}

void TSpeedButton::SetAction(TAction* action) {
  if (action == FAction) return;
  if (FAction) FAction->RemoveClient(this);
  FAction = action;
  if (action) action->AddClient(this);
  Refresh();
}

void TSpeedButton::SetHint(const std::wstring& hint) {
  FHint = hint;
  Refresh();
}

void TSpeedButton::Click() {
  if (FAction) FAction->Execute();
}

void TSpeedButton::CreateWindowHandle() {
  // Not a tab stop: a tool button leaves the focus where it is.
  CreateSystemControl(L"BUTTON", Caption(), WS_CHILD | BS_PUSHBUTTON, 0);
  FShownImage = -2;  // nothing shown yet
  Refresh();
}

void TSpeedButton::ChildNotification(UINT code) {
  if (code == BN_CLICKED) Click();
}

void TSpeedButton::ActionChanged(TAction&) { Refresh(); }

void TSpeedButton::ActionDestroyed(TAction& action) {
  if (FAction == &action) FAction = nullptr;
}

void TSpeedButton::Refresh() {
  int image = -1;
  if (FAction && FImages && FAction->ImageIndex() >= 0 && FAction->ImageIndex() < FImages->Count())
    image = FAction->ImageIndex();
  const std::wstring text = image >= 0 ? FHint : (FAction ? FAction->Caption() : FHint);
  if (FAction) SetEnabled(FAction->Enabled());
  if (Caption() != text) SetCaption(text);
  if (!HandleAllocated() || image == FShownImage) {
    if (!HandleAllocated()) FShownImage = image;
    return;
  }
  TUniqueHandle<HICON, TDestroyIconCloser> icon;
  if (image >= 0) icon = FImages->Icon(image);
  SetStyleBits(Handle(), GWL_STYLE, BS_ICON, static_cast<bool>(icon));
  SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
  // The button no longer shows the old icon, so it can go.
  FIcon = std::move(icon);
  FShownImage = FIcon ? image : -1;
  InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- TSplitter -----------------------------------------------------------------

TSplitter::TSplitter(TWinControl* parent) { SetParent(parent); }

void TSplitter::CreateWindowHandle() {
  if (!Parent() || !Parent()->HandleAllocated()) throw Exception(L"Control has no parent window");
  const wchar_t* cls =
      RegisterWindowClass(L"TSplitter", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT bounds = BoundsRect();
  CreateHandle(cls, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, bounds.left, bounds.top, Width(), Height(),
               Parent()->Handle());
}

LRESULT TSplitter::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool vertical = Align() == TAlign::alTop || Align() == TAlign::alBottom;
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, vertical ? IDC_SIZENS : IDC_SIZEWE));
      return TRUE;
    case WM_LBUTTONDOWN:
      if (FControl) {
        FDragStart = ScreenPoint(Handle(), lParam);
        FStartSize = vertical ? FControl->Height() : FControl->Width();
        FDragging = true;
        SetCapture(Handle());
      }
      return 0;
    case WM_MOUSEMOVE:
      if (FDragging && FControl && Parent()) {
        // In screen coordinates: the bar moves while it is dragged.
        const POINT now = ScreenPoint(Handle(), lParam);
        const int delta = vertical ? now.y - FDragStart.y : now.x - FDragStart.x;
        // The control grows away from the side it is aligned to.
        const bool growsWithDelta = Align() == TAlign::alTop || Align() == TAlign::alLeft;
        int size = FStartSize + (growsWithDelta ? delta : -delta);
        // The control may take the space of the control that fills the rest,
        // which keeps the least size too.
        const RECT area = Parent()->ClientRect();
        int room = vertical ? area.bottom : area.right;
        for (TWinControl* sibling : Parent()->Controls())
          if (sibling->Align() == TAlign::alClient && sibling->Visible())
            room = (vertical ? FControl->Height() + sibling->Height()
                             : FControl->Width() + sibling->Width()) -
                   FMinSize;
        size = std::clamp(size, FMinSize, std::max(FMinSize, room));
        const RECT b = FControl->BoundsRect();
        if (vertical)
          FControl->SetBounds(b.left, b.top, FControl->Width(), size);
        else
          FControl->SetBounds(b.left, b.top, size, FControl->Height());
      }
      return 0;
    case WM_LBUTTONUP:
      if (FDragging) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      FDragging = false;
      return 0;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- TStatusBar ----------------------------------------------------------------

TStatusBar::TStatusBar(TWinControl* parent) { SetParent(parent); }

void TStatusBar::SetSimplePanel(bool simple) {
  FSimplePanel = simple;
  if (HandleAllocated()) SendMessageW(Handle(), SB_SIMPLE, simple, 0);
}

void TStatusBar::SetSimpleText(const std::wstring& text) {
  FSimpleText = text;
  if (HandleAllocated())
    SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TStatusBar::CreateWindowHandle() {
  // The layer places the bar: it does not align or size itself.
  CreateSystemControl(STATUSCLASSNAMEW, L"",
                      WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | SBARS_SIZEGRIP,
                      0);
  SetSimplePanel(FSimplePanel);
  SetSimpleText(FSimpleText);
}

LRESULT TStatusBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    // The bar lays out its panels and grip on its own WM_SIZE.
    const LRESULT result = DefaultHandler(msg, wParam, lParam);
    Resize();
    return result;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- TPicture and TImage -------------------------------------------------------

void TPicture::Assign(HBITMAP bitmap) {
  FBitmap.reset(bitmap);
  BITMAP info{};
  if (bitmap && GetObjectW(bitmap, sizeof info, &info)) {
    FWidth = info.bmWidth;
    FHeight = info.bmHeight;
  } else {
    FWidth = FHeight = 0;
  }
}

void TPicture::LoadFromResource(const wchar_t* name) {
  const auto bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) {
    const DWORD code = GetLastError();
    throw EOSError(code ? code : ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  Assign(bitmap);
}

TImage::TImage(TWinControl* parent) { SetParent(parent); }

void TImage::CreateWindowHandle() {
  CreateSystemControl(L"STATIC", L"", WS_CHILD | SS_BITMAP | SS_REALSIZECONTROL, 0);
  PictureChanged();
}

void TImage::PictureChanged() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(FPicture.Empty() ? nullptr : FPicture.Bitmap()));
  // The control keeps the bounds of the layout whatever the picture's size.
  const RECT bounds = BoundsRect();
  SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, Width(), Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}
