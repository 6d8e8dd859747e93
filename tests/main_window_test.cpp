// Whole nimbra.exe processes, started and used as a user does: the command
// line, the window's state, keys from the keyboard, cookies shared with a
// window started afterwards, and closing.
#include <gtest/gtest.h>

#include "sysutils.h"
#include "test_http_server.h"
#include "test_support.h"

namespace {

std::wstring NimbraExe() { return BinFolder() + L"\\nimbra.exe"; }

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

struct TChildSearch {
  std::wstring Class;
  HWND Found = nullptr;
  LONG Top = 0;
};

BOOL CALLBACK NoteChildOfClass(HWND wnd, LPARAM data) {
  auto* search = reinterpret_cast<TChildSearch*>(data);
  if (_wcsicmp(WindowClass(wnd).c_str(), search->Class.c_str()) != 0) return TRUE;
  RECT place{};
  GetWindowRect(wnd, &place);
  if (!search->Found || place.top < search->Top) {
    search->Found = wnd;
    search->Top = place.top;
  }
  return TRUE;
}

// The topmost child window of `parent` of window class `className` (the
// page may hold edit boxes of its own further down).
HWND ChildOfClass(HWND parent, const std::wstring& className) {
  TChildSearch search{className};
  EnumChildWindows(parent, NoteChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

void PressCtrlKey(WORD key) {
  INPUT inputs[4] = {};
  const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

class MainWindowTest : public ::testing::Test {
 protected:
  TEnvironment Environment() {
    return {{L"TEMP", FFolder.Path()}, {L"NIMBRA_ENGINE_TRACE", FTrace}, {L"LANG", L"en_US.UTF-8"}};
  }
  std::vector<std::string> Events(const std::string& event) {
    return TraceEvents(ReadLines(FTrace), event);
  }
  // The lines of `event` written by process `pid`.
  std::vector<std::string> EventsOf(DWORD pid, const std::string& event) {
    std::vector<std::string> lines;
    for (const std::string& line : Events(event))
      if (line.starts_with(std::to_string(pid) + " ")) lines.push_back(line);
    return lines;
  }
  bool Navigated(DWORD pid, const std::wstring& url) {
    for (const std::string& line : EventsOf(pid, "navigation"))
      if (TraceValue(line, "url") == WideToUtf8(url)) return true;
    return false;
  }
  // The process's main window: the one holding the address box.
  static HWND MainWindow(DWORD pid) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          for (HWND wnd : WindowsOfProcess(pid))
            if (ChildOfClass(wnd, L"Edit")) found = wnd;
          return found != nullptr;
        },
        30000);
    return found;
  }
  // An edit box's text, asked of its window (GetWindowText does not ask a
  // window of another process).
  static std::wstring AddressBox(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(ChildOfClass(window, L"Edit"), WM_GETTEXT, 1024,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
  }

  TTempFolder FFolder;
  std::wstring FTrace = FFolder.File(L"trace.txt");
};

TEST_F(MainWindowTest, WithoutArgumentsItOpensMaximizedOnTheHomeAddress) {
  TChildProcess nimbra(NimbraExe(), L"", Environment(), FFolder.Path());
  const HWND window = MainWindow(nimbra.Id());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsZoomed(window));
  EXPECT_TRUE(WaitUntil([&] { return AddressBox(window) == L"https://duckduckgo.com/"; }));
  EXPECT_TRUE(WaitUntil([&] { return Navigated(nimbra.Id(), L"https://duckduckgo.com/"); }));

  // Closing asks nothing; the engine is shut down before the process ends.
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(nimbra.Wait(30000), 0u);
  EXPECT_EQ(EventsOf(nimbra.Id(), "shutdown").size(), 1u);
}

TEST_F(MainWindowTest, TheFirstArgumentIsLoadedAndTheRestIgnored) {
  TTestHttpServer server({{"/first", {.Body = Page("First", "<p>first</p>")}},
                          {"/second", {.Body = Page("Second", "<p>second</p>")}}});
  TChildProcess nimbra(NimbraExe(), server.Url("/first") + L" " + server.Url("/second"),
                       Environment(), FFolder.Path());
  const HWND window = MainWindow(nimbra.Id());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return AddressBox(window) == server.Url("/first"); }, 30000));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(window) == L"First"; }));
  EXPECT_FALSE(server.Received("/second"));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(nimbra.Wait(30000), 0u);
}

TEST_F(MainWindowTest, AWindowStartedLaterSendsTheCookiesOfTheFirst) {
  TTestHttpServer server({{"/set",
                           {.Headers = {{"Content-Type", "text/html"},
                                        {"Set-Cookie", "flavour=plain; Path=/; Max-Age=3600"}},
                            .Body = Page("Set", "<p>set</p>")}},
                          {"/check", {.Body = Page("Check", "<p>check</p>")}}});
  TChildProcess first(NimbraExe(), server.Url("/set"), Environment(), FFolder.Path());
  const HWND firstWindow = MainWindow(first.Id());
  ASSERT_NE(firstWindow, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(firstWindow) == L"Set"; }, 30000));

  TChildProcess second(NimbraExe(), server.Url("/check"), Environment(), FFolder.Path());
  const HWND secondWindow = MainWindow(second.Id());
  ASSERT_NE(secondWindow, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return server.Received("/check"); }, 30000));
  std::string cookie;
  for (const TRecordedRequest& request : server.Requests())
    if (request.Path == "/check") cookie = request.Cookie;
  EXPECT_EQ(cookie, "flavour=plain");

  PostMessageW(secondWindow, WM_CLOSE, 0, 0);
  PostMessageW(firstWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.Wait(30000), 0u);
  EXPECT_EQ(first.Wait(30000), 0u);
}

TEST_F(MainWindowTest, CtrlNStartsAWindowThatOutlivesTheFirst) {
  TChildProcess nimbra(NimbraExe(), L"about:blank", Environment(), FFolder.Path());
  const HWND window = MainWindow(nimbra.Id());
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  SetFocus(ChildOfClass(window, L"Edit"));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));
  PressCtrlKey('N');

  // The new window process is the one that loads the new-page address.
  DWORD other = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const std::string& line : Events("navigation")) {
          const DWORD pid = std::stoul(line.substr(0, line.find(' ')));
          if (pid != nimbra.Id() && TraceValue(line, "url") == "https://duckduckgo.com/?kl=fr-fr")
            other = pid;
        }
        return other != 0;
      },
      30000));
  const TKernelHandle second(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, other));
  ASSERT_TRUE(second);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(nimbra.Wait(30000), 0u);
  EXPECT_EQ(WaitForSingleObject(second.get(), 1000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the second window keeps running";
  TerminateProcess(second.get(), 0);
  WaitForSingleObject(second.get(), 10000);
}

}  // namespace
