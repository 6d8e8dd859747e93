#include "UnitAbout.h"

#include <cwchar>
#include <vector>

#include "application.h"
#include "processes.h"

namespace {

// The maker's web address, shown as the link.
constexpr const wchar_t* kMakerAddress = L"https://nimbra.example.org/";

// Lines are broken by hand: the credits scroll vertically only.
constexpr const wchar_t* kCredits =
    L"\r\n"
    L"Nimbra, a quick and light web browser.\r\n"
    L"Copyright (c) 2013, the Nimbra developers.\r\n"
    L"\r\n"
    L"Redistribution and use in source and binary forms,\r\n"
    L"with or without modification, are permitted\r\n"
    L"provided that the following conditions are met:\r\n"
    L"- Redistributions of source code must retain the\r\n"
    L"  above copyright notice, this list of conditions\r\n"
    L"  and the following disclaimer.\r\n"
    L"- Redistributions in binary form must reproduce\r\n"
    L"  the above copyright notice, this list of\r\n"
    L"  conditions and the following disclaimer in the\r\n"
    L"  documentation and/or other materials provided\r\n"
    L"  with the distribution.\r\n"
    L"\r\n"
    L"Nimbra is built on the work of others:\r\n"
    L"- the embeddable browser engine it loads at run\r\n"
    L"  time, libcef.dll, and the open-source browser\r\n"
    L"  project that engine is built from;\r\n"
    L"- the mingw-w64 run-time,\r\n"
    L"  https://www.mingw-w64.org/;\r\n"
    L"- the C++ standard library of GCC,\r\n"
    L"  https://gcc.gnu.org/;\r\n"
    L"- the Windows common controls, which draw its\r\n"
    L"  controls.\r\n"
    L"\r\n"
    L"THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT\r\n"
    L"HOLDERS AND CONTRIBUTORS \"AS IS\" AND ANY\r\n"
    L"EXPRESS OR IMPLIED WARRANTIES, INCLUDING, BUT\r\n"
    L"NOT LIMITED TO, THE IMPLIED WARRANTIES OF\r\n"
    L"MERCHANTABILITY AND FITNESS FOR A PARTICULAR\r\n"
    L"PURPOSE ARE DISCLAIMED. IN NO EVENT SHALL THE\r\n"
    L"COPYRIGHT HOLDER OR CONTRIBUTORS BE LIABLE FOR\r\n"
    L"ANY DIRECT, INDIRECT, INCIDENTAL, SPECIAL,\r\n"
    L"EXEMPLARY, OR CONSEQUENTIAL DAMAGES\r\n"
    L"(INCLUDING, BUT NOT LIMITED TO, PROCUREMENT OF\r\n"
    L"SUBSTITUTE GOODS OR SERVICES; LOSS OF USE,\r\n"
    L"DATA, OR PROFITS; OR BUSINESS INTERRUPTION)\r\n"
    L"HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY,\r\n"
    L"WHETHER IN CONTRACT, STRICT LIABILITY, OR TORT\r\n"
    L"(INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN\r\n"
    L"ANY WAY OUT OF THE USE OF THIS SOFTWARE, EVEN\r\n"
    L"IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE.\r\n";

// The executable's version resource, copied: the buffer goes with the
// vector on every path.
std::vector<BYTE> VersionResource() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_VERSION);
  if (!found) return {};
  const DWORD size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (!data || size == 0) return {};
  return std::vector<BYTE>(data, data + size);
}

}  // namespace

std::wstring GetVersionInfo(const std::wstring& AIdent) {
  std::vector<BYTE> buffer = VersionResource();
  if (buffer.empty()) return {};

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(buffer.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return {};
  const auto* translation = static_cast<const WORD*>(value);
  wchar_t block[9];
  swprintf(block, 9, L"%04X%04X", translation[0], translation[1]);

  const std::wstring path = L"\\StringFileInfo\\" + std::wstring(block) + L"\\" + AIdent;
  if (!VerQueryValueW(buffer.data(), path.c_str(), &value, &length) || !value) return {};
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, length));
}

std::wstring FileVersion() { return GetVersionInfo(L"FileVersion"); }

TFrmAbout::TFrmAbout() {
  CreateForm(L"A Propos de ce programme ", 366, 403, TBorderStyle::bsToolWindow);
  SetPosition(TPosition::poScreenCenter);
  SetFont(TFont{.Name = L"Tahoma", .Height = -11});

  PLogo.SetBounds(4, 4, 140, 120);
  PLogo.SetBevelLowered(true);
  PLogo.SetColor(RGB(0, 0, 0));
  ILogo.SetBounds(9, 9, 120, 100);
  ILogo.Picture().LoadFromResource(L"LOGO");

  LTitle.SetCaption(L"Nimbra");
  LTitle.SetBounds(146, 4, 210, 21);
  LTitle.SetAutoSize(false);
  LTitle.SetWordWrap(true);
  LTitle.SetFont(TFont{.Name = L"Verdana", .Height = -13, .Bold = true});

  LVersionTavo.SetCaption(L"version");
  LVersionTavo.SetBounds(148, 40, 41, 13);
  LVersionTavo.SetFont(TFont{.Name = L"Tahoma", .Height = -11, .Bold = true});
  VersionTavo.SetCaption(L"version");
  VersionTavo.SetBounds(148, 54, 36, 13);

  LURL.SetCaption(kMakerAddress);
  LURL.SetBounds(6, 128, 150, 13);
  LURL.SetFont(TFont{.Name = L"Tahoma", .Height = -11, .Underline = true, .Color = RGB(0, 0, 255)});
  LURL.OnClick = [this](TComponent& sender) { LURLClick(sender); };

  MCredits.SetText(kCredits);
  MCredits.SetBounds(10, 159, 348, 202);
  MCredits.SetReadOnly(true);
  MCredits.SetBorder(false);
  MCredits.SetVerticalScrollBar(true);
  MCredits.SetWordWrap(false);
  MCredits.SetWantReturns(false);
  MCredits.OnKeyUp = [this](TComponent& sender, WORD& key, TShiftState shift) {
    MCreditsKeyUp(sender, key, shift);
  };

  BClose.SetCaption(L"Close");
  BClose.SetBounds(264, 367, 94, 28);
  BClose.SetDefault(true);
  BClose.SetCancel(true);
  BClose.OnClick = [this](TComponent& sender) { BCloseClick(sender); };

  OnShow = [this](TComponent& sender) { FormShow(sender); };
  OnKeyUp = [this](TComponent& sender, WORD& key, TShiftState shift) {
    FormKeyUp(sender, key, shift);
  };

  Loaded();
}

void TFrmAbout::FormShow(TComponent&) {
  VersionTavo.SetCaption(FileVersion());
  BClose.SetFocus();
}

void TFrmAbout::FormKeyUp(TComponent&, WORD& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  BClose.SetFocus();
  Close();
}

void TFrmAbout::MCreditsKeyUp(TComponent& Sender, WORD& Key, TShiftState Shift) {
  FormKeyUp(Sender, Key, Shift);
}

void TFrmAbout::LURLClick(TComponent& Sender) {
  // The clicked label's own text is the address, as the user sees it.
  const auto* label = dynamic_cast<const TLabel*>(&Sender);
  StartNewWindowProcess(Application.Handle(), (label ? *label : LURL).Caption());
  Close();
}

void TFrmAbout::BCloseClick(TComponent&) { Close(); }
