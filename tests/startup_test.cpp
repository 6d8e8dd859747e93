// Whole processes of nimbra.exe, started as a user or the engine starts them.
#include <gtest/gtest.h>

#include <regex>

#include "command_line.h"
#include "sysutils.h"
#include "test_support.h"

namespace {

std::wstring NimbraExe() { return BinFolder() + L"\\nimbra.exe"; }

class StartupTest : public ::testing::Test {
 protected:
  std::vector<std::string> Events(const std::string& event) {
    return TraceEvents(ReadLines(FTrace), event);
  }
  TEnvironment Environment() {
    return {{L"TEMP", FFolder.Path()}, {L"NIMBRA_ENGINE_TRACE", FTrace}};
  }
  // The first visible window of the process captioned `caption`.
  static HWND WaitForWindow(DWORD pid, const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          for (HWND wnd : WindowsOfProcess(pid))
            if (WindowText(wnd) == caption) found = wnd;
          return found != nullptr;
        },
        20000);
    return found;
  }

  TTempFolder FFolder;
  std::wstring FTrace = FFolder.File(L"trace.txt");
};

TEST_F(StartupTest, RendererSubProcessEndsWithCodeZeroAndNoWindow) {
  TChildProcess renderer(NimbraExe(), L"--type=renderer", Environment());
  EXPECT_EQ(renderer.Wait(20000), 0u);
  const auto runs = Events("execute_process");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(TraceValue(runs[0], "type"), "renderer");
  EXPECT_TRUE(Events("initialize").empty()) << "a sub-process never initialises the engine";
  EXPECT_TRUE(Events("shutdown").empty());
}

TEST_F(StartupTest, WithoutTheEngineLibraryTheErrorBoxEndsStartUp) {
  const std::wstring lonely = FFolder.File(L"nimbra.exe");
  CopyFileTo(NimbraExe(), lonely);
  TChildProcess nimbra(lonely, L"", Environment(), FFolder.Path());

  const HWND box = WaitForWindow(nimbra.Id(), L"Application Error");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowsOfProcess(nimbra.Id()).size(), 1u) << "no other window";
  const std::wstring text = [&] {
    wchar_t buffer[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, buffer, 2048);  // the box's message text
    return std::wstring(buffer);
  }();
  const std::wregex expected(
      L"Exception EOSError in module nimbra\\.exe at [0-9A-F]{16}\\.\r\n"
      L"System Error\\.  Code: 126\\.\r\n[^\r\n]*[^.\r\n]\\.\r\n");
  EXPECT_TRUE(std::regex_match(text, expected)) << WideToUtf8(text);

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(nimbra.Wait(20000), 1u);
}

TEST_F(StartupTest, NormalStartShowsTheWindowAndClosingShutsTheEngineDown) {
  TChildProcess nimbra(NimbraExe(), L"", Environment(), FFolder.Path());
  const HWND window = WaitForWindow(nimbra.Id(), L"Nimbra");
  ASSERT_NE(window, nullptr);

  const auto init = Events("initialize");
  ASSERT_EQ(init.size(), 1u);
  const std::pair<std::string, std::string> expected[] = {
      {"single_process", "0"},
      {"locale", "fr"},
      {"remote_debugging_port", "9000"},
      {"cache_path", WideToUtf8(FFolder.Path() + L"\\cacheNimbra")},
      {"locales_dir_path", WideToUtf8(BinFolder() + L"\\locales\\")},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(TraceValue(init[0], key), value) << key;
  EXPECT_TRUE(FileExists(FFolder.File(L"cacheNimbra"))) << "the engine made its cache folder";
  EXPECT_TRUE(Events("shutdown").empty());

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(nimbra.Wait(20000), 0u);
  EXPECT_EQ(Events("shutdown").size(), 1u) << "the engine was shut down at the end";
}

TEST_F(StartupTest, UnsetTempGivesTheCacheFolderAtTheDriveRoot) {
  TEnvironment environment = Environment();
  environment[L"TEMP"] = std::nullopt;
  TChildProcess nimbra(NimbraExe(), L"", environment, FFolder.Path());
  const HWND window = WaitForWindow(nimbra.Id(), L"Nimbra");
  ASSERT_NE(window, nullptr);
  const auto init = Events("initialize");
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(TraceValue(init[0], "cache_path"), "\\cacheNimbra");
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(nimbra.Wait(20000), 0u);
}

}  // namespace

namespace {

TEST(CommandLineTest, FirstArgumentIsTheAddressToOpen) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"nimbra.exe", L""},
      {L"\"C:\\Program Files\\nimbra.exe\" http://127.0.0.1/", L"http://127.0.0.1/"},
      {L"nimbra.exe   \"a b\" second", L"a b"},
      {L"nimbra.exe x\"y z\"w", L"xy zw"},
      {L"nimbra.exe \"\"", L""},
  };
  for (const auto& [line, first] : cases) EXPECT_EQ(FirstCommandLineArgument(line), first) << line;
}

}  // namespace
