#include "application.h"

#include <commctrl.h>

TApplication Application;

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
}

void TApplication::Run() {
  if (!FMainForm) return;
  FMainForm->Show();
  MSG msg;
  while (FMainForm->HandleAllocated() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::ShowException(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  std::wstring text = own ? own->Message() : Utf8ToWide(error.what());
  if (!text.empty() && text.back() != L'.') text += L'.';
  HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
  MessageBoxW(owner, text.c_str(), Title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::DestroyForms() {
  while (!FForms.empty()) FForms.pop_back();
  FMainForm = nullptr;
}
