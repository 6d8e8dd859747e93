// The about box: the version from the executable's resource, its fixed
// captions, and how it closes, driven through its own modal loop.
#include "UnitAbout.h"

#include <gtest/gtest.h>

#include <functional>

#include "FormLocal.h"
#include "application.h"
#include "argv_probe.h"
#include "mo_en.h"
#include "mo_fr.h"
#include "sysutils.h"
#include "test_support.h"

namespace {

TEST(GetVersionInfo, ReadsTheStringTableOfTheFirstTranslation) {
  const struct {
    const wchar_t* ident;
    const wchar_t* value;
  } cases[] = {{L"FileVersion", L"1.2.0.1"},
               {L"ProductVersion", L"1.2.0.1"},
               {L"FileDescription", L"Nimbra web browser"},
               {L"NoSuchKey", L""},
               {L"", L""}};
  for (const auto& c : cases) EXPECT_EQ(GetVersionInfo(c.ident), c.value) << WideToUtf8(c.ident);
  EXPECT_EQ(FileVersion(), L"1.2.0.1");
}

TEST(FrmAbout, KeepsItsOwnCaptionsInEveryLanguage) {
  for (const std::int32_t language : {0, 1}) {
    ActivateLanguage(language);
    TFrmAbout box;
    EXPECT_EQ(box.Caption(), L"A Propos de ce programme ");
    EXPECT_EQ(box.BClose.Caption(), L"Close");
    EXPECT_EQ(box.LTitle.Caption(), L"Nimbra");
    RECT client{};
    GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, 366);
    EXPECT_EQ(client.bottom, 403);
    EXPECT_TRUE(GetWindowLongPtrW(box.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongPtrW(box.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(box.ILogo.Picture().Width(), 120);
    EXPECT_EQ(box.ILogo.Picture().Height(), 100);
  }
}

// Runs `action` from inside the box's modal loop once it is shown; a box that
// does not close ends with kTimedOut instead of hanging the test.
constexpr int kTimedOut = 99;
struct TModalRun {
  static inline std::function<void()> Action;
  static inline TForm* Form = nullptr;
  static inline UINT_PTR ActionTimer = 0;

  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (id == ActionTimer) {
      if (auto action = std::exchange(Action, nullptr)) action();
    } else {
      Form->SetModalResult(kTimedOut);
    }
  }

  static int Run(TFrmAbout& box, std::function<void()> action) {
    Form = &box;
    Action = std::move(action);
    ActionTimer = SetTimer(nullptr, 0, 100, Tick);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, Tick);
    const int result = box.ShowModal();
    KillTimer(nullptr, ActionTimer);
    KillTimer(nullptr, watchdog);
    // Key releases still queued reach the box within the test.
    Application.ProcessMessages();
    return result;
  }
};

void PressEscape(HWND target) {
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

TEST(FrmAbout, EscClosesTheBoxFromTheCreditsAndFromTheButton) {
  for (const bool fromCredits : {true, false}) {
    TFrmAbout box;
    HWND focusAtShow = nullptr;
    std::wstring versionShown;
    const int result = TModalRun::Run(box, [&] {
      focusAtShow = GetFocus();
      versionShown = box.VersionTavo.Caption();
      if (fromCredits) box.MCredits.SetFocus();
      PressEscape(GetFocus());
    });
    EXPECT_EQ(result, mrCancel) << (fromCredits ? "from the credits" : "from the button");
    EXPECT_EQ(focusAtShow, box.BClose.Handle());
    EXPECT_EQ(versionShown, L"1.2.0.1");
  }
}

TEST(FrmAbout, EscReleasedInTheCreditsClosesTheBox) {
  TFrmAbout box;
  const int result = TModalRun::Run(box, [&] {
    box.MCredits.SetFocus();
    PostMessageW(box.MCredits.Handle(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
  });
  EXPECT_EQ(result, mrCancel);
}

// The new process is this test executable again, which reports its
// arguments: the link's text arrives as its one argument.
TEST(FrmAbout, TheLinkOpensItsAddressInANewProcessAndClosesTheBox) {
  TTempFolder folder;
  const std::wstring addresses[] = {L"", L"https://nimbra.example.org/?q=a b\" --type=renderer"};
  int n = 0;
  for (const std::wstring& address : addresses) {
    const std::wstring report = folder.File(L"argv" + std::to_wstring(n++));
    TFrmAbout box;
    if (!address.empty()) box.LURL.SetCaption(address);
    const std::wstring shown = box.LURL.Caption();
    int result = 0;
    {
      TArgvProbeScope probe(report);
      result = TModalRun::Run(box, [&] {
        PostMessageW(box.LURL.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(box.LURL.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      });
    }
    EXPECT_EQ(result, mrCancel);
    const auto words = ReadArgvProbe(report);
    ASSERT_TRUE(words) << "no process started for " << WideToUtf8(shown);
    ASSERT_EQ(words->size(), 2u);
    EXPECT_EQ((*words)[1], shown);
    EXPECT_EQ(shown, address.empty() ? L"https://nimbra.example.org/" : address);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (RunArgvProbe()) return 0;
  Application.Initialize();
  FormLocalInitialization();
  mo_enInitialization();
  mo_frInitialization();
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  FormLocalFinalization();
  return result;
}
