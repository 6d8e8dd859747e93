// Loading, initialising and shutting down the engine, and the pump that
// drives its main-thread work. Each test runs in a process of its own.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "cef_api.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "test_support.h"

namespace {

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", FTrace.c_str());
    CeflibInitialization();
    EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
  }
  void TearDown() override {
    CeflibFinalization();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }
  std::vector<std::string> Events(const std::string& event) {
    return TraceEvents(ReadLines(FTrace), event);
  }

  TTempFolder FFolder;
  std::wstring FTrace = FFolder.File(L"trace.txt");
};

// The x87 control word of the calling thread; the low six bits mask its six
// exceptions.
constexpr unsigned short kX87ExceptionMasks = 0x3F;
unsigned short X87ControlWord() {
  unsigned short control = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  return control;
}
void SetX87ControlWord(unsigned short control) {
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(control));
}

// Sets a control word for the scope, and gives the thread its own back after.
class TX87ControlWord {
 public:
  explicit TX87ControlWord(unsigned short control) : FSaved(X87ControlWord()) {
    SetX87ControlWord(control);
  }
  ~TX87ControlWord() { SetX87ControlWord(FSaved); }
  TX87ControlWord(const TX87ControlWord&) = delete;
  TX87ControlWord& operator=(const TX87ControlWord&) = delete;

 private:
  unsigned short FSaved;
};

TEST_F(LoaderTest, LoadingMasksEveryX87ExceptionAndKeepsTheRestOfTheControlWord) {
  // Every exception unmasked, rounding towards zero: only the masks may change.
  const unsigned short unmasked = (X87ControlWord() & ~kX87ExceptionMasks) | 0x0C00;
  const TX87ControlWord scope(unmasked);
  ASSERT_EQ(X87ControlWord(), unmasked);
  ASSERT_TRUE(LoadEngine());
  EXPECT_EQ(X87ControlWord(), unmasked | kX87ExceptionMasks);
}

TEST_F(LoaderTest, DefaultSettingsReachTheEngineAsTheRecordSays) {
  ASSERT_TRUE(LoadEngine());
  EXPECT_TRUE(EngineInitialised());
  const auto lines = Events("initialize");
  ASSERT_EQ(lines.size(), 1u);
  const std::string& line = lines[0];
  EXPECT_EQ(TraceValue(line, "size"), std::to_string(sizeof(cef_settings_t)));
  const std::pair<const char*, const char*> numbers[] = {
      {"single_process", "1"},        {"multi_threaded_message_loop", "0"},
      {"log_severity", "99"},         {"remote_debugging_port", "0"},
      {"pack_loading_disabled", "0"}, {"command_line_args_disabled", "0"},
  };
  for (const auto& [key, value] : numbers) EXPECT_EQ(TraceValue(line, key), value) << key;
  for (const char* text : {"cache_path", "locale", "user_agent", "locales_dir_path"}) {
    const std::string key = text;
    EXPECT_EQ(TraceValue(line, key + ".length"), "0") << key;
    EXPECT_EQ(TraceValue(line, key + ".str"), "set") << key << ": a pointer even when empty";
    EXPECT_EQ(TraceValue(line, key + ".dtor"), "null") << key << ": the engine frees nothing";
  }
}

TEST_F(LoaderTest, TheCommandLineHookGetsAReferenceOfItsOwn) {
  int countInHook = 0;
  ustring program;
  EngineSettings.BeforeCommandLineProcessingHook =
      [&](const ustring& processType, const TInterfacePtr<ICefCommandLine>& commandLine) {
        EXPECT_EQ(processType, L"");
        auto* record = static_cast<cef_base_t*>(CefRecordOf(commandLine));
        countInHook = record->get_refct(record);
        record->release(record);
        program = commandLine->GetProgram();
      };
  ASSERT_TRUE(LoadEngine());
  EXPECT_EQ(countInHook, 3) << "the engine's, the hook's wrapper's and the one just taken";
  EXPECT_FALSE(program.empty());
  EXPECT_EQ(TCefCommandLineRef::Global()->GetProgram(), program) << "still the engine's";
}

TEST_F(LoaderTest, SecondLoadAnswersTrueAndChangesNothing) {
  EngineSettings.Locale = L"fr";
  ASSERT_TRUE(LoadEngine());
  const HMODULE library = EngineLoaded();
  EngineSettings.Locale = L"de";
  EngineSettings.LibraryFileName = L"no-such-engine.dll";
  EXPECT_TRUE(LoadEngine());
  EXPECT_EQ(EngineLoaded(), library);
  const auto lines = Events("initialize");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(TraceValue(lines[0], "locale"), "fr");
}

TEST_F(LoaderTest, LibraryLackingOneExportIsRejectedAndStaysLoaded) {
  EngineSettings.LibraryFileName = BinFolder() + L"\\lacking\\libcef.dll";
  try {
    LoadEngine();
    FAIL() << "a library lacking an export was accepted";
  } catch (const ECefException& e) {
    EXPECT_EQ(e.Message(), L"Invalid CEF Library version");
  }
  EXPECT_NE(EngineLoaded(), nullptr);
  EXPECT_FALSE(EngineInitialised());
  EXPECT_TRUE(Events("initialize").empty());
  EXPECT_THROW(LoadEngine(), ECefException) << "never taken for a usable engine later";
}

TEST_F(LoaderTest, AnEngineThatRefusesToStartIsAnError) {
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_REFUSE_INITIALIZE", L"1");
  EXPECT_THROW(LoadEngine(), ECefException);
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_REFUSE_INITIALIZE", nullptr);
  EXPECT_FALSE(EngineInitialised());
  const auto init = Events("initialize");
  ASSERT_EQ(init.size(), 1u);
  EXPECT_NE(init[0].find(" initialize refused "), std::string::npos);
  ShutdownEngine();
  EXPECT_TRUE(Events("shutdown").empty()) << "nothing was started, so nothing is shut down";
}

TEST_F(LoaderTest, MissingLibraryRaisesTheSystemError) {
  EngineSettings.LibraryFileName = L"nimbra-no-such-engine.dll";
  try {
    LoadEngine();
    FAIL() << "a missing library was accepted";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 126u);
    EXPECT_EQ(e.Message().rfind(L"System Error.  Code: 126.\r\n", 0), 0u)
        << WideToUtf8(e.Message());
  }
  EXPECT_EQ(EngineLoaded(), nullptr);
}

TEST_F(LoaderTest, ShutdownReleasesTheProgramObjectsAndUnloads) {
  class TWatched : public TCefBrowserProcessHandlerOwn {
   public:
    explicit TWatched(bool& gone) : FGone(gone) {}
    ~TWatched() override { FGone = true; }

   private:
    bool& FGone;
  };
  bool gone = false;
  EngineSettings.BrowserProcessHandler = CefNew<TWatched>(gone);
  ASSERT_TRUE(LoadEngine());
  EngineSettings.BrowserProcessHandler.reset();
  EXPECT_FALSE(gone) << "the engine holds the handler";
  ShutdownEngine();
  EXPECT_TRUE(gone);
  EXPECT_EQ(EngineLoaded(), nullptr);
  EXPECT_EQ(Events("shutdown").size(), 1u);
  ShutdownEngine();  // nothing loaded: nothing happens
  EXPECT_FALSE(PumpEngineWork());
}

// Runs the window messages of `milliseconds`.
void PumpMessagesFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
}

TEST_F(LoaderTest, PumpTimerExistsExactlyWhileHandlersAreCountedIn) {
  ASSERT_TRUE(LoadEngine());
  EXPECT_EQ(EnginePump::TimerId(), 0u);
  EXPECT_FALSE(EnginePump::Tick()) << "no handler counted in";

  EnginePump::CountIn();
  const UINT_PTR timer = EnginePump::TimerId();
  EXPECT_NE(timer, 0u);
  EnginePump::CountIn();
  EXPECT_EQ(EnginePump::TimerId(), timer) << "one timer for every control";
  EXPECT_EQ(EnginePump::Count(), 2);
  EnginePump::CountOut();
  EXPECT_EQ(EnginePump::TimerId(), timer);
  EnginePump::CountOut();
  EXPECT_EQ(EnginePump::TimerId(), 0u);
  EXPECT_FALSE(KillTimer(nullptr, timer)) << "the timer was killed";

  // The engine may let its last client go on a thread of its own: the timer
  // goes at its next tick on the main thread.
  EnginePump::CountIn();
  const UINT_PTR second = EnginePump::TimerId();
  std::thread([] { EnginePump::CountOut(); }).join();
  EXPECT_EQ(EnginePump::TimerId(), second);
  EXPECT_FALSE(EnginePump::Tick());
  EXPECT_EQ(EnginePump::TimerId(), 0u);
  EXPECT_FALSE(KillTimer(nullptr, second));
}

TEST_F(LoaderTest, TimerDrivesTheEngineAndNeverReenters) {
  class TNestingHandler : public TCefBrowserProcessHandlerOwn {
   public:
    int Calls = 0;
    bool NestedTickRan = true;
    bool BusyInside = false;
    void OnContextInitialized() override {
      ++Calls;
      BusyInside = EnginePump::Busy();
      NestedTickRan = EnginePump::Tick();
    }
  };
  const TInterfacePtr<TNestingHandler> handler = CefNew<TNestingHandler>();
  EngineSettings.BrowserProcessHandler = handler;
  ASSERT_TRUE(LoadEngine());

  EnginePump::CountIn();
  ASSERT_TRUE(WaitUntil(
      [&] {
        PumpMessagesFor(20);
        return handler->Calls > 0;
      },
      5000))
      << "the timer gave the engine its work";
  EXPECT_EQ(handler->Calls, 1);
  EXPECT_TRUE(handler->BusyInside);
  EXPECT_FALSE(handler->NestedTickRan) << "a tick inside a tick does nothing";
  EXPECT_FALSE(EnginePump::Busy());

  ShutdownEngine();
  EXPECT_FALSE(EnginePump::Tick()) << "nothing loaded";
  EnginePump::CountOut();
}

}  // namespace
