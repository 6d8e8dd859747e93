#include "forms.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "application.h"
#include "sysutils.h"

namespace {
const wchar_t* kObjectProperty = L"NimbraWindowObject";
}

TWinControl::~TWinControl() {
  DestroyHandle();
  SetParent(nullptr);
  for (TWinControl* child : FControls) child->FParent = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  return static_cast<TWinControl*>(GetPropW(wnd, kObjectProperty));
}

std::wstring TWinControl::Caption() const {
  if (!FHandle) return std::wstring();
  const int length = GetWindowTextLengthW(FHandle);
  std::vector<wchar_t> buffer(length + 1);
  GetWindowTextW(FHandle, buffer.data(), length + 1);
  return std::wstring(buffer.data());
}

void TWinControl::SetCaption(const std::wstring& text) {
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
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (!RegisterClassExW(&wc)) throw std::runtime_error("window class registration failed");
  return className;
}

void TWinControl::CreateHandle(const wchar_t* className, const std::wstring& caption, DWORD style,
                               DWORD exStyle, int x, int y, int width, int height, HWND parent) {
  HWND wnd = CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height,
                             parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!wnd) throw std::runtime_error("window creation failed");
}

void TWinControl::DestroyHandle() {
  if (FHandle) DestroyWindow(FHandle);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    AlignControls();
    Resize();
  }
  return DefWindowProcW(FHandle, msg, wParam, lParam);
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (FParent) std::erase(FParent->FControls, this);
  FParent = parent;
  if (!parent) return;
  parent->FControls.push_back(this);
  if (FHandle && parent->FHandle) ::SetParent(FHandle, parent->FHandle);
  parent->AlignControls();
}

void TWinControl::SetAlign(TAlign align) {
  FAlign = align;
  if (FParent) FParent->AlignControls();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  PlaceAt({left, top, left + width, top + height});
  if (FParent) FParent->AlignControls();
}

void TWinControl::PlaceAt(const RECT& bounds) {
  FBounds = bounds;
  if (FHandle)
    SetWindowPos(FHandle, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TWinControl::ClientRect() const {
  RECT rect{0, 0, FBounds.right - FBounds.left, FBounds.bottom - FBounds.top};
  if (FHandle) GetClientRect(FHandle, &rect);
  return rect;
}

void TWinControl::AlignControls() {
  RECT space = ClientRect();
  // Sides first, in this order, each taking from what is left; then the rest.
  for (const TAlign kind :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (TWinControl* child : FControls) {
      if (child->FAlign != kind) continue;
      const LONG width = child->FBounds.right - child->FBounds.left;
      const LONG height = child->FBounds.bottom - child->FBounds.top;
      RECT place = space;
      switch (kind) {
        case TAlign::alTop:
          place.bottom = space.top = std::min(space.bottom, space.top + height);
          break;
        case TAlign::alBottom:
          place.top = space.bottom = std::max(space.top, space.bottom - height);
          break;
        case TAlign::alLeft:
          place.right = space.left = std::min(space.right, space.left + width);
          break;
        case TAlign::alRight:
          place.left = space.right = std::max(space.left, space.right - width);
          break;
        default:
          break;
      }
      child->PlaceAt(place);
    }
  }
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) {
    FParent->HandleNeeded();
    FParent->AlignControls();
  }
  CreateWindowHandle();
}

void TWinControl::CreateWindowHandle() {
  if (!FParent || !FParent->FHandle) throw Exception(L"Control has no parent window");
  const wchar_t* cls =
      RegisterWindowClass(L"TWinControl", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateHandle(cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
               FBounds.left, FBounds.top, FBounds.right - FBounds.left,
               FBounds.bottom - FBounds.top, FParent->FHandle);
}

void TWinControl::Resize() {
  if (OnResize) OnResize(*this);
}

void TWinControl::Loaded() {
  if (FParent) HandleNeeded();
  // A child may leave its parent from inside its own Loaded.
  const std::vector<TWinControl*> children = FControls;
  for (TWinControl* child : children) child->Loaded();
}

LRESULT CALLBACK TWinControl::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* self = FromHandle(wnd);
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = wnd;
    SetPropW(wnd, kObjectProperty, self);
  }
  if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
  // Errors raised by handlers go to the application's report; they never
  // unwind through the system's frames.
  try {
    if (msg == WM_NCDESTROY) {
      const LRESULT result = self->WndProc(msg, wParam, lParam);
      RemovePropW(wnd, kObjectProperty);
      self->FHandle = nullptr;
      self->HandleDestroyed();
      return result;
    }
    return self->WndProc(msg, wParam, lParam);
  } catch (const std::exception& e) {
    Application.ShowException(e);
  }
  return 0;
}

void TForm::CreateForm(const std::wstring& caption, int width, int height) {
  const wchar_t* cls = RegisterWindowClass(L"TForm", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateHandle(cls, caption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
               width, height, nullptr);
}

void TForm::Show() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_SHOW);
}

void TForm::Close() {
  if (HandleAllocated()) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

bool TForm::Visible() const { return HandleAllocated() && IsWindowVisible(Handle()); }

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    TCloseAction action = TCloseAction::caFree;
    if (OnClose) OnClose(*this, action);
    if (action == TCloseAction::caHide) ShowWindow(Handle(), SW_HIDE);
    if (action == TCloseAction::caFree) DestroyHandle();
    return 0;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

void TForm::HandleDestroyed() {
  // Wakes the application's message loop so that it sees the main form gone.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}
