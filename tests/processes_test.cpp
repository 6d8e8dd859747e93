// Starting a new window process: the address arrives as exactly one
// argument, whatever blanks, quotes and backslashes it holds, and never as
// an engine switch.
#include "processes.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <memory>

#include "argv_probe.h"
#include "sysutils.h"
#include "test_support.h"

namespace {

// Addresses that an unquoted command line would split or turn into switches.
const std::wstring kAddresses[] = {
    L"https://nimbra.example.org/",
    L"https://example.org/a page with blanks",
    L"\ttab\tseparated\t",
    L"say \"hello\" twice \"\"",
    L"C:\\folder with blank\\",
    L"back\\\\\"slash\\\"es\\\\",
    L"trailing backslash\\",
    L"trailing\\\\",
    L"",
    L"x --type=renderer --foo=bar",
    L"\" --switch=1",
};

struct TLocalFree {
  void operator()(LPWSTR* p) const noexcept { LocalFree(p); }
};

std::vector<std::wstring> SystemSplit(const std::wstring& commandLine) {
  int count = 0;
  std::unique_ptr<LPWSTR, TLocalFree> words(CommandLineToArgvW(commandLine.c_str(), &count));
  if (!words) return {};
  return std::vector<std::wstring>(words.get(), words.get() + count);
}

TEST(QuoteArgument, TheSystemsParserGivesBackExactlyTheOneArgument) {
  for (const std::wstring& address : kAddresses) {
    const std::wstring commandLine = L"nimbra.exe " + QuoteArgument(address);
    EXPECT_EQ(SystemSplit(commandLine), (std::vector<std::wstring>{L"nimbra.exe", address}))
        << "command line: " << WideToUtf8(commandLine);
  }
}

TEST(StartNewWindowProcess, RefusesAddressesTheEngineWouldTakeAsSwitches) {
  const struct {
    std::wstring address;
    bool passable;
  } cases[] = {
      {L"https://nimbra.example.org/", true},
      {L"", true},
      {L"x --type=renderer", true},
      {L"--type=renderer", false},
      {L"-single-process", false},
      {L"/switch", false},
      {std::wstring(L"https://a.example/") + L'\0' + L"--type=renderer", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsPassableAddress(c.address), c.passable) << WideToUtf8(c.address);
}

// The test executable is the running executable that StartNewWindowProcess
// starts again; as a child it only reports its arguments.
TEST(StartNewWindowProcess, TheNewProcessReceivesTheAddressAsItsOnlyArgument) {
  TTempFolder folder;
  int n = 0;
  for (const std::wstring& address : kAddresses) {
    const std::wstring report = folder.File(L"argv" + std::to_wstring(n++));
    {
      TArgvProbeScope probe(report);
      StartNewWindowProcess(nullptr, address);
    }
    const auto words = ReadArgvProbe(report);
    ASSERT_TRUE(words) << "no process started for " << WideToUtf8(address);
    ASSERT_EQ(words->size(), 2u) << WideToUtf8(address);
    EXPECT_EQ((*words)[1], address);
  }
}

TEST(StartNewWindowProcess, StartsNothingForARefusedAddress) {
  TTempFolder folder;
  const std::wstring refused = folder.File(L"refused");
  const std::wstring accepted = folder.File(L"accepted");
  {
    TArgvProbeScope probe(refused);
    StartNewWindowProcess(nullptr, L"--type=renderer");
  }
  {
    TArgvProbeScope probe(accepted);
    StartNewWindowProcess(nullptr, L"https://nimbra.example.org/");
  }
  ASSERT_TRUE(ReadArgvProbe(accepted));
  Sleep(500);
  EXPECT_FALSE(FileExists(refused));
}

}  // namespace

int main(int argc, char** argv) {
  if (RunArgvProbe()) return 0;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
