// What the development engine's tests that run real browsers share: the
// executable doubling as the renderer its browsers start, a fixture that
// starts the engine with a window to hold a browser for each test, and the
// small conversions both processes need.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "command_line.h"
#include "devengine_test_records.h"
#include "test_http_server.h"
#include "test_support.h"

// An engine-made text, freed once read.
inline std::wstring Take(cef_string_userfree_t text) {
  std::wstring taken = text == nullptr ? std::wstring() : TextOf(*text);
  cef_string_userfree_utf16_free(text);
  return taken;
}

// Gives back the reference a callback was handed with `record`, if any.
template <class Record>
void Drop(Record* record) {
  if (record != nullptr) record->base.release(&record->base);
}

// A new message `name` whose argument 0 is `text`.
inline cef_process_message_t* NewMessage(const std::wstring& name, const std::wstring& text) {
  const cef_string_t name_record = Borrowed(name), text_record = Borrowed(text);
  cef_process_message_t* message = cef_process_message_create(&name_record);
  const Held<cef_list_value_t> arguments(message->get_argument_list(message));
  arguments->set_string(arguments.get(), 0, &text_record);
  return message;
}

// A message's arguments by index, each read both as a text and as a number
// (an int, or a bool as 0 or 1), so that a test can check either.
struct MessageArguments {
  std::vector<std::wstring> texts;
  std::vector<int> numbers;
};

inline MessageArguments ArgumentsOf(cef_process_message_t* message) {
  const Held<cef_list_value_t> arguments(message->get_argument_list(message));
  MessageArguments read;
  for (int index = 0; index < static_cast<int>(arguments->get_size(arguments.get())); ++index) {
    read.texts.push_back(Take(arguments->get_string(arguments.get(), index)));
    read.numbers.push_back(arguments->get_int(arguments.get(), index) +
                           arguments->get_bool(arguments.get(), index));
  }
  return read;
}

// The processes this one started and that still run: its renderers.
inline std::vector<DWORD> ChildProcesses() {
  std::vector<DWORD> children;
  const TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == GetCurrentProcessId()) children.push_back(entry.th32ProcessID);
  }
  return children;
}

// A test object behind program records: Of finds it from any record it
// owns, and HandOut<&Owner::member> is the entry that hands out another of
// its records, with the reference the engine takes.
template <class Owner>
class ProgramObject {
 protected:
  template <class Record>
  static Owner& Of(Record* self) {
    return ProgramRecord<Record, Owner>::OwnerOf(self);
  }
  template <auto Member, class Record>
  static auto CEF_CALLBACK HandOut(Record* self) {
    return (Of(self).*Member).Handed();
  }
};

// Receives a frame's source or text once.
struct TextVisitor {
  TextVisitor() { program.record().visit = &Visit; }
  static void CEF_CALLBACK Visit(cef_string_visitor_t* self, const cef_string_t* text) {
    TextVisitor& visitor = ProgramRecord<cef_string_visitor_t, TextVisitor>::OwnerOf(self);
    visitor.text = text == nullptr ? std::wstring() : TextOf(*text);
    visitor.on_ui = cef_currently_on(TID_UI) != 0;
  }
  std::optional<std::wstring> text;
  bool on_ui = false;
  ProgramRecord<cef_string_visitor_t, TextVisitor> program{this};
};

// ---- The renderer's side. ----

// A renderer's program: an app that hands out `Renderer`'s render-process
// handler, whose entries `Renderer` sets.
template <class Renderer>
class TestRendererProgram : public ProgramObject<Renderer> {
 public:
  TestRendererProgram() {
    app.record().get_render_process_handler =
        &TestRendererProgram::template HandOut<&Renderer::handler>;
  }
  TestRendererProgram(const TestRendererProgram&) = delete;
  TestRendererProgram& operator=(const TestRendererProgram&) = delete;

  const DWORD main_thread = GetCurrentThreadId();
  ProgramRecord<cef_app_t, Renderer> app{static_cast<Renderer*>(this)};
  ProgramRecord<cef_render_process_handler_t, Renderer> handler{static_cast<Renderer*>(this)};
};

// The test executable's main: started by a browser as its renderer it runs
// `Renderer`'s program (void: the engine's renderer with no program of its
// own) until the browser lets it go; otherwise it runs the tests.
template <class Renderer = void>
int RunAsRendererOrTests(int argc, char** argv) {
  if (devengine::CommandLine::Global().SwitchValueOf(L"type") == L"renderer") {
    if constexpr (std::is_void_v<Renderer>) {
      return cef_execute_process(nullptr, nullptr);
    } else {
      Renderer program;
      return cef_execute_process(nullptr, program.app.Handed());
    }
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// ---- The browser's side. ----

// The engine started for one test, a top-level window to hold its browser,
// and the browser, opened with `Client`'s `client` record. Pages come from a
// local HTTP server when a test serves some.
template <class Client>
class DevEngineBrowserFixture : public ::testing::Test {
 protected:
  void SetUp() override { StartEngine(); }

  void TearDown() override {
    EndBrowser();
    FBrowser.reset();
    DestroyParent();
    FServer.reset();
    cef_shutdown();
  }

  // `adjust` may set more of the settings before the engine starts.
  void StartEngine(int remote_debugging_port = 0,
                   const std::function<void(cef_settings_t&)>& adjust = {}) {
    cef_settings_t settings{};
    settings.size = sizeof settings;
    settings.remote_debugging_port = remote_debugging_port;
    if (adjust) adjust(settings);
    ASSERT_EQ(cef_initialize(nullptr, &settings, nullptr), 1);
    FParent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                              600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(FParent, nullptr);
  }

  // How the browser goes before the engine ends. By default it is asked to
  // close and given a moment; a fixture that waits for it to be gone
  // overrides this with EndWithTheWindow.
  virtual void EndBrowser() {
    if (Browser() != nullptr) CloseBrowser();
    Pump([] { return false; }, 200);
  }
  // Lets go of the browser and takes its window away, which closes it, then
  // waits a while for `closed`.
  void EndWithTheWindow(const std::function<bool()>& closed) {
    FBrowser.reset();
    DestroyParent();
    Pump(closed, 3000);
  }
  void DestroyParent() {
    if (FParent != nullptr) DestroyWindow(FParent);
    FParent = nullptr;
  }

  // Runs window messages and the engine's UI work until `done` or time-out.
  static bool Pump(const std::function<bool()>& done, DWORD milliseconds = 15000) {
    const DWORD start = GetTickCount();
    for (;;) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      cef_do_message_loop_work();
      if (done()) return true;
      if (GetTickCount() - start > milliseconds) return false;
      Sleep(5);
    }
  }

  // Opens the browser under test at `url`, filling the window; null if the
  // engine refused.
  cef_browser_t* OpenBrowser(const std::wstring& url, cef_state_t javascript = STATE_DEFAULT) {
    RECT area{};
    GetClientRect(FParent, &area);
    cef_window_info_t window{};
    window.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP;
    window.width = area.right;
    window.height = area.bottom;
    window.parent_window = FParent;
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    settings.javascript = javascript;
    const cef_string_t address = Borrowed(url);
    FBrowser.emplace(cef_browser_host_create_browser_sync(&window, FClient.client.Handed(),
                                                          &address, &settings));
    return Browser();
  }
  cef_browser_t* Browser() const { return FBrowser ? FBrowser->get() : nullptr; }
  // Asks the browser to close through its host, as a program's window does.
  void CloseBrowser() {
    const Held<cef_browser_host_t> host(Browser()->get_host(Browser()));
    host->close_browser(host.get());
  }

  void Serve(std::map<std::string, TTestPage> pages) {
    FServer = std::make_unique<TTestHttpServer>(std::move(pages));
  }
  std::wstring Url(const std::string& path) const { return FServer->Url(path); }

  // Declared in the order that lets each go while what it uses still lives.
  Client FClient;
  std::unique_ptr<TTestHttpServer> FServer;
  std::optional<Held<cef_browser_t>> FBrowser;
  HWND FParent = nullptr;
};
