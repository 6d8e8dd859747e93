#include "application.h"

#include <commctrl.h>

#include <algorithm>

#include "actions.h"

TApplication Application;

namespace {

LRESULT CALLBACK ApplicationWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

// The form whose window holds `wnd`: an edit box's, or that of the page an
// engine shows in a control of the form.
TForm* FormOfWindow(HWND wnd) {
  const HWND root = wnd ? GetAncestor(wnd, GA_ROOT) : nullptr;
  return dynamic_cast<TForm*>(TWinControl::FromHandle(root));
}

}  // namespace

TApplication::~TApplication() { DestroyForms(); }

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (FHandle) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, L"TApplication", &wc)) {
    wc.lpfnWndProc = ApplicationWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.lpszClassName = L"TApplication";
    if (!RegisterClassExW(&wc)) RaiseLastOSError();
  }
  FHandle.reset(CreateWindowExW(0, L"TApplication", FTitle.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr));
  if (!FHandle) RaiseLastOSError();
}

void TApplication::SetTitle(const std::wstring& title) {
  FTitle = title;
  if (FHandle) SetWindowTextW(FHandle.get(), title.c_str());
}

HWND TApplication::Handle() const noexcept { return FHandle.get(); }

std::wstring TApplication::ExeName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) RaiseLastOSError();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void TApplication::Run() {
  if (!FMainForm) return;
  FMainForm->Show();
  while (!FTerminated && FMainForm && FMainForm->HandleAllocated()) HandleMessage();
}

void TApplication::Terminate() {
  FTerminated = true;
  // Wakes a loop that waits for messages; it then sees the flag.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

bool TApplication::IsShortCutMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  TForm* form = FormOfWindow(msg.hwnd);
  // A form that waits for a modal one takes no keys.
  if (!form || !IsWindowEnabled(form->Handle())) return false;
  const auto key = static_cast<WORD>(msg.wParam);
  const TShiftState shift = KeyboardShiftState();
  if (form->IsShortCut(ShortCut(key, shift))) return true;
  return msg.message == WM_KEYDOWN && form->DialogKey(key, shift);
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  // Keys go to the shortcuts of the form that holds the focus before the
  // focused window sees them, whichever window that is.
  if (IsShortCutMessage(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  bool handled = true;
  while (handled && !FTerminated) {
    handled = false;
    handled = ReportingErrors([&] { return ProcessMessage(); });
  }
}

void TApplication::HandleMessage() {
  ReportingErrors([&] {
    if (ProcessMessage()) return;
    // The queue has become empty: the commands follow the program's state
    // once, then the thread sleeps until the next message.
    Idle();
    if (!FTerminated) WaitMessage();
  });
}

void TApplication::Idle() {
  // Update handlers may create or destroy forms and lists.
  const std::vector<TForm*> forms = FForms;
  for (TForm* form : forms) {
    if (std::find(FForms.begin(), FForms.end(), form) == FForms.end()) continue;
    const std::vector<TActionList*> lists = form->ActionLists();
    for (TActionList* list : lists) {
      const auto& current = form->ActionLists();
      if (std::find(current.begin(), current.end(), list) != current.end()) list->UpdateActions();
    }
  }
}

void TApplication::ShowException(const std::exception& error) {
  try {
    const auto* own = dynamic_cast<const Exception*>(&error);
    ReportError(own ? own->Message() : Utf8ToWide(error.what()));
  } catch (...) {
    // The report itself failed; nothing is left to tell.
  }
}

void TApplication::ShowUnknownException() {
  try {
    ReportError(L"An error of an unknown kind occurred");
  } catch (...) {
    // As above.
  }
}

void TApplication::ReportError(std::wstring text) {
  if (!text.empty() && text.back() != L'.') text += L'.';
  if (OnException) {
    OnException(text);
    return;
  }
  HWND owner = GetActiveWindow();
  if (!owner && FMainForm && FMainForm->HandleAllocated()) owner = FMainForm->Handle();
  std::wstring title = FTitle;
  if (title.empty()) {
    title = ExeName();
    title.erase(0, title.find_last_of(L"\\/") + 1);
  }
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::DestroyForms() {
  while (!FOwnedForms.empty()) FOwnedForms.pop_back();
  FMainForm = nullptr;
}
