// The window layer with real windows: shortcuts and dialog keys through the
// message loop, idle-time command updates, alignment and anchors, menus as
// Win32 shows them, modal forms, controls and the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "actions.h"
#include "application.h"
#include "clipboard.h"
#include "controls.h"
#include "dialogs.h"
#include "forms.h"
#include "imagelist.h"
#include "menus.h"

namespace {

class TTestForm : public TForm {
 public:
  explicit TTestForm(int width = 400, int height = 300,
                     TBorderStyle border = TBorderStyle::bsSizeable) {
    CreateForm(L"Forms test", width, height, border);
  }
  using TWinControl::Loaded;
};

// A plain control: a window of the layer's own class.
class TBox : public TWinControl {
 public:
  explicit TBox(TWinControl* parent) { SetParent(parent); }
};

// Handles window messages until `done` or two seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 2000) return false;
    Application.ProcessMessages();
    Sleep(1);
  }
  return true;
}

RECT PlaceInParent(const TWinControl& control) {
  RECT rect;
  GetWindowRect(control.Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(actual, l, t, r, b) EXPECT_EQ(Text(actual), Text(RECT{l, t, r, b}))

std::wstring MenuText(HMENU menu, int position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
  return text;
}

bool Grayed(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}

// A 32-bit bitmap of `count` 16 x 16 glyphs side by side: glyph i is a square
// of colour `colors[i]` at (4, 4)-(12, 12), see-through around it.
TGdiHandle GlyphStrip(const std::vector<COLORREF>& colors) {
  const int width = 16 * static_cast<int>(colors.size());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colors[static_cast<size_t>(x / 16)];
      const bool inside = x % 16 >= 4 && x % 16 < 12 && y >= 4 && y < 12;
      pixels[y * width + x] =
          inside ? 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c) : 0;
    }
  return bitmap;
}

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize();
    Application.OnException = [this](const std::wstring& message) { Errors.push_back(message); };
  }
  void TearDown() override {
    Application.OnException = nullptr;
    EXPECT_TRUE(Errors.empty()) << "an error was reported";
  }

  std::vector<std::wstring> Errors;
};

// ---- Shortcuts -------------------------------------------------------------------

TEST(ShortCutText, NamesModifiersAndKeys) {
  const std::pair<TShortCut, const wchar_t*> cases[] = {
      {scCtrl | 'S', L"Ctrl+S"},
      {VK_F12, L"F12"},
      {scShift | scAlt | VK_DELETE, L"Shift+Alt+Del"},
      {scCtrl | scShift | VK_NEXT, L"Shift+Ctrl+PgDn"},
      {VK_F5, L"F5"},
      {scCtrl | '0', L"Ctrl+0"},
      {0, L""},
  };
  for (const auto& [key, text] : cases) EXPECT_EQ(ShortCutToText(key), text) << key;
  EXPECT_EQ(ShortCut('S', ssCtrl), 16467) << "the layout's Ctrl+S";
  EXPECT_EQ(ShortCut(VK_F12, 0), 123);
}

// A form with a small menu and command table on which every rule of the
// shortcut search shows.
class ShortcutForm : public TTestForm {
 public:
  ShortcutForm() {
    const auto record = [this](const char* name) {
      return [this, name](TComponent&) { Ran.push_back(name); };
    };
    TMenuItem& root = Menu.Items();
    TMenuItem& file = root.Add(L"&File");
    file.Add(L"New").OnClick = record("New");
    file.Items().back()->SetShortCut(scCtrl | 'N');
    TMenuItem& save = file.Add(L"Save as...");
    save.OnClick = record("Save");
    save.SetShortCut(scCtrl | 'S');
    save.SetEnabled(false);
    TMenuItem& hidden = file.Add(L"Hidden");
    hidden.OnClick = record("Hidden");
    hidden.SetShortCut(VK_F7);
    hidden.SetVisible(false);

    Source = &Commands.Add();
    Source->SetCaption(L"Get source");
    Source->OnExecute = record("Source");
    Zoom = &Commands.Add();
    Zoom->SetCaption(L"Zoom");
    Zoom->SetShortCut(VK_F12);
    Zoom->OnExecute = record("Zoom");
    TAction& listOnly = Commands.Add();
    listOnly.SetShortCut(VK_F9);
    listOnly.OnExecute = record("ListOnly");
    TAction& first = Commands.Add();
    first.SetShortCut(VK_F4);
    first.OnExecute = record("First");
    TAction& second = Commands.Add();
    second.SetShortCut(VK_F4);
    second.OnExecute = record("Second");
    TAction& disabled = Commands.Add();
    disabled.SetShortCut(VK_F3);
    disabled.SetEnabled(false);
    disabled.OnExecute = record("DisabledCommand");

    TMenuItem& options = root.Add(L"&Options");
    options.Add().SetAction(Source);
    options.Items().back()->SetShortCut(scCtrl | 'S');
    options.Add().SetAction(Zoom);
    TMenuItem& sub = options.Add(L"More");
    sub.Add(L"Deep").OnClick = record("Deep");
    sub.Items().back()->SetShortCut(VK_F6);

    TMenuItem& off = root.Add(L"Off");
    off.SetEnabled(false);
    off.Add(L"Inner").OnClick = record("Inner");
    off.Items().back()->SetShortCut(VK_F8);
    off.Add(L"Later").OnClick = record("Later");
    off.Items().back()->SetShortCut(VK_F6);
    SetMenu(&Menu);
  }
  ~ShortcutForm() override { SetMenu(nullptr); }

  TActionList Commands{*this};
  TAction* Source;
  TAction* Zoom;
  TMainMenu Menu;
  std::vector<std::string> Ran;
};

TEST_F(FormsTest, ShortcutsSearchTheMenuFirstThenTheCommands) {
  struct TCase {
    const char* Name;
    TShortCut Key;
    bool Taken;
    std::vector<std::string> Ran;
  };
  const TCase cases[] = {
      {"an enabled entry runs", scCtrl | 'N', true, {"New"}},
      {"a disabled entry met first keeps the key", scCtrl | 'S', true, {}},
      {"a hidden entry still takes its key", VK_F7, true, {"Hidden"}},
      {"an entry's key from its command runs the command once", VK_F12, true, {"Zoom"}},
      {"depth first: a sub-menu before the next menu", VK_F6, true, {"Deep"}},
      {"an entry of a disabled menu keeps the key", VK_F8, true, {}},
      {"a key no entry carries reaches the commands", VK_F9, true, {"ListOnly"}},
      {"the first command carrying the key wins", VK_F4, true, {"First"}},
      {"a disabled command keeps the key", VK_F3, true, {}},
      {"a key nobody carries is left", VK_F2, false, {}},
      {"modifiers are part of the key", scShift | 'N', false, {}},
  };
  for (const TCase& c : cases) {
    ShortcutForm form;
    EXPECT_EQ(form.IsShortCut(c.Key), c.Taken) << c.Name;
    EXPECT_EQ(form.Ran, c.Ran) << c.Name;
  }
}

TEST_F(FormsTest, KeysReachTheFormsShortcutsWhileAnEditBoxHasTheFocus) {
  ShortcutForm form;
  TEdit edit(&form);
  edit.SetBounds(10, 10, 200, 22);
  TAction& refresh = form.Commands.Add();
  refresh.SetShortCut(VK_F5);
  refresh.OnExecute = [&](TComponent&) { form.Ran.push_back("Refresh"); };
  form.Loaded();
  form.Show();
  edit.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit.Focused(); }));

  // A key as the keyboard delivers it: to the focused edit box's window.
  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_F5, 0x003F0001);
  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_F12, 0x00580001);
  ASSERT_TRUE(PumpUntil([&] { return form.Ran.size() == 2; }));
  EXPECT_EQ(form.Ran, (std::vector<std::string>{"Refresh", "Zoom"}));

  // Real typing: Ctrl+N is the menu's, the letters are the edit box's.
  SetForegroundWindow(form.Handle());
  edit.SetFocus();
  const auto key = [](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
  };
  INPUT typing[] = {key(VK_CONTROL, false), key('N', false), key('N', true),
                    key(VK_CONTROL, true),  key('A', false), key('A', true)};
  ASSERT_EQ(SendInput(6, typing, sizeof(INPUT)), 6u);
  ASSERT_TRUE(PumpUntil([&] { return edit.Text() == L"a"; })) << "the letter reached the box";
  EXPECT_EQ(form.Ran, (std::vector<std::string>{"Refresh", "Zoom", "New"}));
}

// ---- Idle updates ------------------------------------------------------------------

TEST_F(FormsTest, UpdateHandlersRunOnceEachTimeTheQueueEmpties) {
  TTestForm form;
  TActionList commands(form);
  int updatesA = 0;
  int updatesB = 0;
  commands.Add().OnUpdate = [&](TComponent&) { ++updatesA; };
  commands.Add().OnUpdate = [&](TComponent&) { ++updatesB; };
  form.Loaded();
  Application.ProcessMessages();
  EXPECT_EQ(updatesA, 0) << "ProcessMessages does no idle work";

  for (int i = 0; i < 3; ++i) PostMessageW(form.Handle(), WM_NULL, 0, 0);
  for (int i = 0; i < 3; ++i) Application.HandleMessage();
  EXPECT_EQ(updatesA, 0) << "messages were still waiting";

  // The queue is empty now: one round of updates, then the loop sleeps
  // until another thread's message wakes it.
  std::thread waker([thread = GetCurrentThreadId()] {
    Sleep(200);
    PostThreadMessageW(thread, WM_NULL, 0, 0);
  });
  Application.HandleMessage();
  waker.join();
  EXPECT_EQ(updatesA, 1);
  EXPECT_EQ(updatesB, 1);
  Application.HandleMessage();  // the waker's message
  EXPECT_EQ(updatesA, 1);
}

// ---- Placement ---------------------------------------------------------------------

// The main window's tool row and bottom stack, at its design size.
struct TLayoutForm : TTestForm {
  TLayoutForm() : TTestForm(864, 709) {
    Status.SetAlign(TAlign::alBottom);
    Status.SetHeight(19);
    Status.SetSimplePanel(true);
    Debug.SetAlign(TAlign::alBottom);
    Debug.SetHeight(201);
    Debug.SetVisible(false);
    Splitter.SetAlign(TAlign::alBottom);
    Splitter.SetHeight(3);
    Splitter.SetResizeControl(&Debug);
    Splitter.SetVisible(false);
    Row.SetAlign(TAlign::alTop);
    Row.SetBounds(0, 0, 864, 25);
    Address.SetBounds(95, 2, 744, 21);
    Address.SetAnchors(akLeft | akTop | akRight);
    Go.SetBounds(841, 1, 23, 22);
    Go.SetAnchors(akTop | akRight);
    Page.SetAlign(TAlign::alClient);
    Loaded();
  }
  TStatusBar Status{this};
  TBox Debug{this};
  TSplitter Splitter{this};
  TPanel Row{this};
  TEdit Address{&Row};
  TButton Go{&Row};
  TBox Page{this};
};

TEST_F(FormsTest, AlignedAndAnchoredControlsFollowTheWindow) {
  TLayoutForm form;
  EXPECT_RECT(PlaceInParent(form.Row), 0, 0, 864, 25);
  EXPECT_RECT(PlaceInParent(form.Page), 0, 25, 864, 690) << "hidden controls take no space";
  EXPECT_RECT(PlaceInParent(form.Status), 0, 690, 864, 709);
  EXPECT_RECT(PlaceInParent(form.Address), 95, 2, 839, 23);
  EXPECT_RECT(PlaceInParent(form.Go), 841, 1, 864, 23);

  // Shown again, the bottom stack is status bar, then the view, then its
  // bar, in the order they were given the form.
  form.Debug.SetVisible(true);
  form.Splitter.SetVisible(true);
  EXPECT_RECT(PlaceInParent(form.Debug), 0, 489, 864, 690);
  EXPECT_RECT(PlaceInParent(form.Splitter), 0, 486, 864, 489);
  EXPECT_RECT(PlaceInParent(form.Page), 0, 25, 864, 486);

  for (const SIZE size : {SIZE{1000, 600}, SIZE{500, 400}, SIZE{864, 709}}) {
    form.SetClientSize(size.cx, size.cy);
    RECT client;
    GetClientRect(form.Handle(), &client);
    ASSERT_EQ(client.right, size.cx);
    EXPECT_RECT(PlaceInParent(form.Go), size.cx - 23, 1, size.cx, 23) << "at the right edge";
    EXPECT_RECT(PlaceInParent(form.Address), 95, 2, size.cx - 25, 23) << "stretched";
    EXPECT_RECT(PlaceInParent(form.Status), 0, size.cy - 19, size.cx, size.cy);
    EXPECT_RECT(PlaceInParent(form.Page), 0, 25, size.cx, size.cy - 19 - 201 - 3);
  }
}

TEST_F(FormsTest, AnchorsWaitForAParentThatHasNoSizeYet) {
  TTestForm form;
  TPanel panel(&form);
  TEdit stretched(&panel);
  stretched.SetBounds(10, 2, 80, 21);
  stretched.SetAnchors(akLeft | akTop | akRight);
  TButton right(&panel);
  right.SetBounds(100, 0, 20, 20);
  right.SetAnchors(akTop | akRight);
  panel.SetBounds(0, 0, 120, 25);  // the distances are taken at this size
  form.Loaded();
  panel.SetBounds(0, 0, 300, 25);
  EXPECT_RECT(PlaceInParent(stretched), 10, 2, 270, 23);
  EXPECT_RECT(PlaceInParent(right), 280, 0, 300, 20);
}

TEST_F(FormsTest, DraggingTheSplitterResizesItsControl) {
  TLayoutForm form;
  form.Debug.SetVisible(true);
  form.Splitter.SetVisible(true);
  const HWND bar = form.Splitter.Handle();
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 1));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, -49));
  EXPECT_EQ(form.Debug.Height(), 251) << "dragged 50 pixels up";
  EXPECT_RECT(PlaceInParent(form.Page), 0, 25, 864, 690 - 251 - 3);
  // However far it is dragged, the rest keeps its least size.
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, -2000));
  EXPECT_EQ(form.Page.Height(), 30);
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 2000));
  EXPECT_EQ(form.Debug.Height(), 30);
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(10, 2000));
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(10, -100));
  EXPECT_EQ(form.Debug.Height(), 30) << "released";
}

// ---- Forms ---------------------------------------------------------------------------

TEST_F(FormsTest, AFormStartsHiddenAndRaisesOnShowBeforeEachShowing) {
  TTestForm form;
  std::vector<bool> visibleAtShow;
  form.OnShow = [&](TComponent&) { visibleAtShow.push_back(IsWindowVisible(form.Handle()) != 0); };
  form.SetWindowState(TWindowState::wsMaximized);
  form.Loaded();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(IsWindowVisible(form.Handle()));

  form.Show();
  EXPECT_TRUE(form.Showing());
  EXPECT_TRUE(IsZoomed(form.Handle())) << "the first showing opens maximized";
  EXPECT_EQ(form.WindowState(), TWindowState::wsMaximized);
  form.Show();
  form.Hide();
  form.Show();
  EXPECT_EQ(visibleAtShow, (std::vector<bool>{false, false})) << "once per hidden-to-visible";
}

TEST_F(FormsTest, AToolWindowIsCentredAndNotResizable) {
  TTestForm form(366, 403, TBorderStyle::bsToolWindow);
  form.SetPosition(TPosition::poScreenCenter);
  form.Show();
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 366);
  EXPECT_EQ(client.bottom, 403);
  const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
  EXPECT_NE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame;
  GetWindowRect(form.Handle(), &frame);
  EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 1);
  EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 1);
}

TEST_F(FormsTest, AColourKeyMakesTheFormALayeredWindow) {
  TTestForm form;
  form.SetTransparentColor(RGB(255, 0, 255));
  EXPECT_NE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(form.Handle(), &key, nullptr, &flags));
  EXPECT_EQ(key, RGB(255, 0, 255));
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
}

TEST_F(FormsTest, CloseAsksFirstThenHidesOrDestroysAsOnCloseSays) {
  TTestForm main;  // closing the main form would end the application
  TTestForm form;
  bool canClose = false;
  TCloseAction action = TCloseAction::caHide;
  int closes = 0;
  form.OnCloseQuery = [&](TComponent&, bool& can) { can = canClose; };
  form.OnClose = [&](TComponent&, TCloseAction& a) {
    ++closes;
    a = action;
  };
  form.Show();
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form.Showing()) << "refused";
  EXPECT_EQ(closes, 0);
  canClose = true;
  action = TCloseAction::caNone;
  form.Close();
  EXPECT_TRUE(form.Showing());
  action = TCloseAction::caHide;
  form.Close();
  EXPECT_FALSE(form.Showing());
  EXPECT_TRUE(form.HandleAllocated());
  form.Show();
  action = TCloseAction::caFree;
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_EQ(closes, 3);
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(FormsTest, TheApplicationKnowsEveryFormAndItsTitle) {
  const size_t before = Application.Forms().size();
  {
    TTestForm a;
    TTestForm b;
    ASSERT_EQ(Application.Forms().size(), before + 2);
    EXPECT_EQ(Application.Forms()[before], &a);
    EXPECT_EQ(Application.Forms()[before + 1], &b);
  }
  EXPECT_EQ(Application.Forms().size(), before);
  Application.SetTitle(L"Nimbra");
  wchar_t text[64] = {};
  GetWindowTextW(Application.Handle(), text, 64);
  EXPECT_STREQ(text, L"Nimbra");
  EXPECT_FALSE(IsWindowVisible(Application.Handle()));
  const std::wstring exe = TApplication::ExeName();
  EXPECT_EQ(exe.substr(exe.size() - 14), L"forms_test.exe");
}

// ---- Modal forms and dialog keys -------------------------------------------------------

struct TDialog : TTestForm {
  TDialog() : TTestForm(300, 200, TBorderStyle::bsToolWindow) {
    Name.SetBounds(10, 10, 200, 22);
    Notes.SetBounds(10, 40, 200, 60);
    Notes.SetWantReturns(false);
    Ok.SetBounds(10, 150, 80, 25);
    Ok.SetCaption(L"OK");
    Ok.SetDefault(true);
    Ok.SetModalResult(mrOk);
    Ok.OnClick = [this](TComponent&) { Pressed.push_back("Ok"); };
    Cancel.SetBounds(100, 150, 80, 25);
    Cancel.SetCaption(L"Close");
    Cancel.SetCancel(true);
    Cancel.OnClick = [this](TComponent&) {
      Pressed.push_back("Cancel");
      Close();
    };
    Loaded();
  }
  TEdit Name{this};
  TMemo Notes{this};
  TButton Ok{this};
  TButton Cancel{this};
  std::vector<std::string> Pressed;
};

TEST_F(FormsTest, AModalFormRunsUntilItsResultIsSetOrItCloses) {
  TTestForm other;
  other.Show();
  struct TCase {
    const char* Name;
    std::function<void(TDialog&)> End;
    int Result;
    std::vector<std::string> Pressed;
  };
  const TCase cases[] = {
      {"a button with a modal result",
       [](TDialog& d) { PostMessageW(d.Ok.Handle(), BM_CLICK, 0, 0); },
       mrOk,
       {"Ok"}},
      {"the window's close request",
       [](TDialog& d) { PostMessageW(d.Handle(), WM_CLOSE, 0, 0); },
       mrCancel,
       {}},
      {"Enter in the edit box presses the default button",
       [](TDialog& d) { PostMessageW(d.Name.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001); },
       mrOk,
       {"Ok"}},
      {"Esc in the memo presses the cancel button",
       [](TDialog& d) {
         d.Notes.SetFocus();
         PostMessageW(d.Notes.Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
       },
       mrCancel,
       {"Cancel"}},
      {"Enter on a focused button presses it",
       [](TDialog& d) {
         d.Cancel.SetFocus();
         PostMessageW(d.Cancel.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
       },
       mrCancel,
       {"Cancel"}},
  };
  for (const TCase& c : cases) {
    TDialog dialog;
    bool otherEnabledDuring = true;
    dialog.OnShow = [&](TComponent&) { otherEnabledDuring = IsWindowEnabled(other.Handle()); };
    c.End(dialog);
    EXPECT_EQ(dialog.ShowModal(), c.Result) << c.Name;
    EXPECT_EQ(dialog.Pressed, c.Pressed) << c.Name;
    EXPECT_FALSE(otherEnabledDuring) << c.Name;
    EXPECT_TRUE(IsWindowEnabled(other.Handle())) << c.Name;
    EXPECT_FALSE(dialog.Showing()) << c.Name;
  }
  TDialog shown;
  shown.Show();
  EXPECT_THROW(shown.ShowModal(), Exception) << "a visible form cannot become modal";
}

TEST_F(FormsTest, TabMovesTheFocusInTabOrder) {
  TDialog dialog;
  dialog.Show();
  dialog.Name.SetFocus();
  const auto tab = [&](bool back) {
    if (back) {
      BYTE keys[256];
      GetKeyboardState(keys);
      keys[VK_SHIFT] = 0x80;
      SetKeyboardState(keys);
    }
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    Application.ProcessMessages();
    if (back) {
      BYTE keys[256];
      GetKeyboardState(keys);
      keys[VK_SHIFT] = 0;
      SetKeyboardState(keys);
    }
    return GetFocus();
  };
  EXPECT_EQ(tab(false), dialog.Notes.Handle());
  EXPECT_EQ(tab(false), dialog.Ok.Handle());
  EXPECT_EQ(tab(false), dialog.Cancel.Handle());
  EXPECT_EQ(tab(false), dialog.Name.Handle()) << "round again";
  EXPECT_EQ(tab(true), dialog.Cancel.Handle()) << "Shift+Tab goes back";
}

// ---- Errors ------------------------------------------------------------------------

TEST_F(FormsTest, ErrorsInHandlersAreReportedAndNeverLeaveTheWindowProcedure) {
  TTestForm form;
  TButton button(&form);
  button.SetBounds(0, 0, 50, 20);
  form.Loaded();
  button.OnClick = [](TComponent&) { throw Exception(L"Own error"); };
  SendMessageW(button.Handle(), BM_CLICK, 0, 0);
  button.OnClick = [](TComponent&) { throw std::runtime_error("standard error"); };
  SendMessageW(button.Handle(), BM_CLICK, 0, 0);
  button.OnClick = [](TComponent&) { throw 42; };
  SendMessageW(button.Handle(), BM_CLICK, 0, 0);
  // A command run by a key from the message loop.
  TActionList commands(form);
  TAction& failing = commands.Add();
  failing.SetShortCut(VK_F5);
  failing.OnExecute = [](TComponent&) { throw Exception(L"From a key."); };
  PostMessageW(form.Handle(), WM_KEYDOWN, VK_F5, 0);
  PostMessageW(form.Handle(), WM_APP, 0, 0);
  Application.ProcessMessages();
  const std::vector<std::wstring> expected = {
      L"Own error.", L"standard error.", L"An error of an unknown kind occurred.", L"From a key."};
  EXPECT_EQ(Errors, expected);
  Errors.clear();
}

// ---- Menus ---------------------------------------------------------------------------

TEST_F(FormsTest, TheWin32MenuShowsVisibleEntriesWithTheirCommandsTextsAndStates) {
  ShortcutForm form;
  const HMENU bar = GetMenu(form.Handle());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  EXPECT_EQ(MenuText(bar, 0), L"&File");
  const HMENU file = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(file), 2) << "the hidden entry is left out";
  EXPECT_EQ(form.Menu.Items().Items()[0]->Items().size(), 3u) << "but stays in the model";
  EXPECT_EQ(MenuText(file, 0), L"New\tCtrl+N");
  EXPECT_EQ(MenuText(file, 1), L"Save as...\tCtrl+S");
  EXPECT_TRUE(Grayed(file, 1));
  const HMENU options = GetSubMenu(bar, 1);
  ASSERT_EQ(GetMenuItemCount(options), 3);
  EXPECT_EQ(MenuText(options, 0), L"Get source\tCtrl+S") << "the command's caption, own key";
  EXPECT_EQ(MenuText(options, 1), L"Zoom\tF12") << "caption and key from the command";
  EXPECT_FALSE(Grayed(options, 1));
  EXPECT_NE(GetSubMenu(options, 2), nullptr);

  // Entries follow their command, unless they set their own value; the
  // pop-up is filled again when it opens.
  TMenuItem& source = *form.Menu.Items().Items()[1]->Items()[0];
  form.Zoom->SetEnabled(false);
  form.Zoom->SetCaption(L"Zoom in");
  form.Source->SetEnabled(false);
  source.SetEnabled(true);
  form.Source->SetCaption(L"Source");
  SendMessageW(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 1);
  EXPECT_EQ(MenuText(options, 1), L"Zoom in\tF12");
  EXPECT_TRUE(Grayed(options, 1));
  EXPECT_EQ(MenuText(options, 0), L"Source\tCtrl+S");
  EXPECT_FALSE(Grayed(options, 0)) << "the entry's own state wins";
  form.Zoom->SetVisible(false);
  SendMessageW(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 1);
  EXPECT_EQ(GetMenuItemCount(options), 2);

  // The bar follows its top-level entries at once.
  form.Menu.Items().Items()[0]->SetCaption(L"Fichier");
  EXPECT_EQ(MenuText(GetMenu(form.Handle()), 0), L"Fichier");
  form.Menu.Items().Items()[2]->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(GetMenu(form.Handle())), 2);

  // Choosing an entry runs it.
  const HMENU fileNow = GetSubMenu(GetMenu(form.Handle()), 0);
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetMenuItemID(fileNow, 0), 0), 0);
  EXPECT_EQ(form.Ran, std::vector<std::string>{"New"});
}

// ---- Controls ------------------------------------------------------------------------

TEST_F(FormsTest, ControlsUseTheirParentsFontUnlessTheyHaveTheirOwn) {
  TTestForm form;
  TPanel panel(&form);
  panel.SetBounds(0, 0, 300, 100);
  TEdit plain(&panel);
  TLabel bold(&panel);
  TLabel alsoBold(&form);
  bold.SetFont(TFont{.Name = L"Tahoma", .Height = -11, .Bold = true});
  alsoBold.SetFont(TFont{.Name = L"Tahoma", .Height = -11, .Bold = true});
  form.Loaded();
  const auto fontOf = [](const TWinControl& c) {
    return reinterpret_cast<HFONT>(SendMessageW(c.Handle(), WM_GETFONT, 0, 0));
  };
  EXPECT_EQ(plain.Font().Name, L"Tahoma");
  EXPECT_EQ(plain.Font().Height, -11);
  ASSERT_NE(fontOf(plain), nullptr);
  LOGFONTW logFont{};
  GetObjectW(fontOf(plain), sizeof logFont, &logFont);
  EXPECT_STREQ(logFont.lfFaceName, L"Tahoma");
  EXPECT_EQ(logFont.lfHeight, -11);
  EXPECT_NE(fontOf(bold), fontOf(plain));
  EXPECT_EQ(fontOf(bold), fontOf(alsoBold)) << "one font object for one face and style";

  form.SetFont(TFont{.Name = L"Verdana", .Height = -13});
  GetObjectW(fontOf(plain), sizeof logFont, &logFont);
  EXPECT_STREQ(logFont.lfFaceName, L"Verdana") << "the parent's font follows its form";
  EXPECT_EQ(bold.Font().Bold, true) << "an own font stays";
}

TEST_F(FormsTest, ALinkLabelTakesTheHandCursorAndReportsClicks) {
  TTestForm form;
  TLabel link(&form);
  link.SetBounds(6, 128, 10, 13);
  form.Loaded();
  link.SetCaption(L"https://example.org/a?b=1&c=2");
  EXPECT_GT(link.Width(), 100) << "sized to its text";
  EXPECT_EQ(link.Caption(), L"https://example.org/a?b=1&c=2");
  int clicks = 0;
  link.OnClick = [&](TComponent& sender) {
    EXPECT_EQ(&sender, &link);
    ++clicks;
  };
  EXPECT_TRUE(SendMessageW(link.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormsTest, AStatusBarInSimpleModeShowsOneText) {
  TLayoutForm form;
  form.Status.SetSimpleText(L"Chargement de la page");
  const HWND bar = form.Status.Handle();
  EXPECT_TRUE(SendMessageW(bar, SB_ISSIMPLE, 0, 0));
  wchar_t text[64] = {};
  SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Chargement de la page");
  EXPECT_EQ(form.Status.SimpleText(), L"Chargement de la page");
}

TEST_F(FormsTest, AnImageListTakesGlyphsWithAlphaAndToolButtonsShowThem) {
  TImageList images(16, 16);
  const TGdiHandle strip = GlyphStrip({RGB(255, 0, 0), RGB(0, 160, 0)});
  images.Add(static_cast<HBITMAP>(strip.get()));
  EXPECT_EQ(images.Count(), 2);
  const TGdiHandle wrong = GlyphStrip({RGB(0, 0, 255)});
  TImageList large(24, 24);
  EXPECT_THROW(large.Add(static_cast<HBITMAP>(wrong.get())), Exception);
  EXPECT_THROW(images.AddFromResource(L"NO_SUCH_GLYPHS"), EOSError);
  EXPECT_FALSE(images.Icon(2)) << "out of range";

  // The icon's mask follows the alpha: see-through around the square.
  const auto icon = images.Icon(1);
  ASSERT_TRUE(icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon.get(), &info));
  const TGdiHandle color(info.hbmColor);
  const TGdiHandle mask(info.hbmMask);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, mask.get());
  EXPECT_NE(GetPixel(dc, 1, 1), RGB(0, 0, 0)) << "outside: see-through";
  EXPECT_EQ(GetPixel(dc, 8, 8), RGB(0, 0, 0)) << "inside: drawn";
  SelectObject(dc, old);
  DeleteDC(dc);

  TTestForm form;
  TActionList commands(form);
  TAction& back = commands.Add();
  back.SetImageIndex(1);
  TAction& go = commands.Add();
  go.SetCaption(L">");
  TSpeedButton glyph(&form);
  glyph.SetBounds(0, 0, 23, 22);
  glyph.SetImages(&images);
  glyph.SetAction(&back);
  glyph.SetHint(L"Back");
  TSpeedButton text(&form);
  text.SetBounds(30, 0, 23, 22);
  text.SetImages(&images);
  text.SetAction(&go);
  int runs = 0;
  go.OnExecute = [&](TComponent&) { ++runs; };
  form.Loaded();

  const auto shownIcon = [](const TWinControl& b) {
    return SendMessageW(b.Handle(), BM_GETIMAGE, IMAGE_ICON, 0) != 0;
  };
  const auto windowText = [](const TWinControl& b) {
    wchar_t t[32] = {};
    GetWindowTextW(b.Handle(), t, 32);
    return std::wstring(t);
  };
  EXPECT_EQ(glyph.ShownImageIndex(), 1);
  EXPECT_TRUE(shownIcon(glyph));
  EXPECT_EQ(windowText(glyph), L"Back") << "its hint, for screen readers";
  EXPECT_EQ(text.ShownImageIndex(), -1);
  EXPECT_FALSE(shownIcon(text));
  EXPECT_EQ(windowText(text), L">") << "the command's caption";

  back.SetImageIndex(0);
  EXPECT_EQ(glyph.ShownImageIndex(), 0) << "follows the command's glyph";
  back.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(glyph.Handle()));
  back.SetImageIndex(-1);
  EXPECT_EQ(glyph.ShownImageIndex(), -1);
  EXPECT_FALSE(shownIcon(glyph));

  SendMessageW(text.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(runs, 1) << "clicking executes the command";
}

// Runs `action` once from inside the next modal loop (a menu's or a
// dialog's), which dispatches the thread's timer messages.
class TInsideModalLoop {
 public:
  explicit TInsideModalLoop(std::function<bool()> action) {
    Action = std::move(action);
    FTimer = SetTimer(nullptr, 0, 50, &Tick);
  }
  ~TInsideModalLoop() {
    KillTimer(nullptr, FTimer);
    Action = nullptr;
  }

 private:
  // Repeats until the action answers that it was done.
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (Action && Action()) Action = nullptr;
  }
  static inline std::function<bool()> Action;
  UINT_PTR FTimer;
};

BOOL CALLBACK FindDialog(HWND wnd, LPARAM result) {
  wchar_t name[16] = {};
  GetClassNameW(wnd, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(wnd)) return TRUE;
  *reinterpret_cast<HWND*>(result) = wnd;
  return FALSE;
}

// The dialog box this thread shows now, if any.
HWND ThreadDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(FormsTest, APopUpMenuRunsTheChosenEntry) {
  TTestForm form;
  form.Show();
  TPopupMenu menu(form);
  std::vector<std::string> ran;
  menu.Items().Add(L"Hidden").SetVisible(false);
  menu.Items().Items().back()->OnClick = [&](TComponent&) { ran.push_back("Hidden"); };
  menu.Items().Add(L"Open in a new window").OnClick = [&](TComponent&) { ran.push_back("Open"); };
  menu.Items().Add(L"Copy").OnClick = [&](TComponent&) { ran.push_back("Copy"); };
  // Down twice reaches the second shown entry: the hidden one is not there.
  const TInsideModalLoop keys([] {
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
      PostMessageW(GetFocus() ? GetFocus() : GetActiveWindow(), WM_KEYDOWN, key, 0);
    return true;
  });
  menu.Popup(100, 100);
  EXPECT_EQ(ran, std::vector<std::string>{"Copy"});
}

TEST_F(FormsTest, TheSaveDialogAnswersTheChosenFileWithoutAskingToReplaceIt) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring existing = std::wstring(folder) + L"nimbra forms test.bmp";
  CloseHandle(CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  TTestForm form;
  form.Show();
  TSavePictureDialog dialog;
  dialog.Filter = L"Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*";
  dialog.DefaultExt = L"bmp";
  // Types the name without its extension and presses Save; any box that
  // comes after (a question about replacing the file) is answered No and
  // the dialog cancelled.
  bool pressed = false;
  bool asked = false;
  {
    const TInsideModalLoop save([&] {
      const HWND box = ThreadDialog();
      if (!box) return false;
      if (!pressed) {
        const int fileBox = GetDlgItem(box, cmb13) ? cmb13 : edt1;
        SetDlgItemTextW(box, fileBox, (std::wstring(folder) + L"nimbra forms test").c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        pressed = true;
      } else if (GetDlgItem(box, IDNO)) {
        asked = true;
        PostMessageW(box, WM_COMMAND, IDNO, 0);
      } else {
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      }
      return false;
    });
    EXPECT_TRUE(dialog.Execute(form.Handle()));
  }
  EXPECT_FALSE(asked);
  EXPECT_EQ(lstrcmpiW(dialog.FileName.c_str(), existing.c_str()), 0) << "the default extension";
  {
    const TInsideModalLoop cancel([] {
      const HWND box = ThreadDialog();
      if (box) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      return box != nullptr;
    });
    EXPECT_FALSE(dialog.Execute(form.Handle()));
  }
  EXPECT_EQ(lstrcmpiW(dialog.FileName.c_str(), existing.c_str()), 0) << "kept when cancelled";
  DeleteFileW(existing.c_str());
}

TEST_F(FormsTest, APictureIsCopiedToTheClipboardAndTextMakesTheRoundTrip) {
  const std::wstring text = L"Copier l'adresse de l'image \u2713 https://example.org/";
  Clipboard().SetAsText(text);
  EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard().AsText(), text);

  TPicture picture;
  picture.Assign(static_cast<HBITMAP>(GlyphStrip({RGB(255, 0, 0)}).release()));
  EXPECT_EQ(picture.Width(), 16);
  Clipboard().Assign(picture);
  EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_TRUE(Clipboard().HasFormat(CF_DIB));
  EXPECT_FALSE(Clipboard().HasFormat(CF_UNICODETEXT)) << "the picture replaced the text";
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto* dib = static_cast<const BITMAPINFOHEADER*>(GlobalLock(GetClipboardData(CF_DIB)));
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->biWidth, 16);
  EXPECT_EQ(std::abs(dib->biHeight), 16);
  // Bottom-up rows of 32 bits: the pixel at (8, 8) is the red square's.
  const auto* pixels = reinterpret_cast<const DWORD*>(dib + 1);
  EXPECT_EQ(pixels[(15 - 8) * 16 + 8] & 0xFFFFFF, 0xFF0000u);
  GlobalUnlock(GetClipboardData(CF_DIB));
  CloseClipboard();

  EXPECT_THROW(TPicture().LoadFromResource(L"NO_SUCH_PICTURE"), EOSError);
}

}  // namespace
