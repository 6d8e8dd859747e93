// Process messages between a browser of the development engine and its
// renderer. The executable is also that renderer: its render-process handler
// answers each message with a "pong" that reports what it received and
// where.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "devengine_test_records.h"
#include "test_support.h"

namespace {

std::wstring Take(cef_string_userfree_t text) {
  std::wstring taken = text == nullptr ? std::wstring() : TextOf(*text);
  cef_string_userfree_utf16_free(text);
  return taken;
}

// A new message `name` whose argument 0 is `text`.
cef_process_message_t* NewMessage(const std::wstring& name, const std::wstring& text) {
  const cef_string_t name_record = Borrowed(name), text_record = Borrowed(text);
  cef_process_message_t* message = cef_process_message_create(&name_record);
  const Held<cef_list_value_t> arguments(message->get_argument_list(message));
  arguments->set_string(arguments.get(), 0, &text_record);
  return message;
}

// ---- The renderer's side. ----

// The "pong" arguments, by index.
enum Pong { kText, kSource, kReadOnly, kOnMainThread, kWrongTargetAnswer, kName, kPongSize };

class TestRenderer {
 public:
  TestRenderer() : main_thread(GetCurrentThreadId()) {
    app.record().get_render_process_handler = &Handler;
    handler.record().on_process_message_received = &Received;
  }

  const DWORD main_thread;
  ProgramRecord<cef_app_t, TestRenderer> app{this};
  ProgramRecord<cef_render_process_handler_t, TestRenderer> handler{this};

 private:
  static cef_render_process_handler_t* CEF_CALLBACK Handler(cef_app_t* self) {
    return ProgramRecord<cef_app_t, TestRenderer>::OwnerOf(self).handler.Handed();
  }

  static int CEF_CALLBACK Received(cef_render_process_handler_t* self, cef_browser_t* given,
                                   cef_process_id_t source, cef_process_message_t* received) {
    const Held<cef_browser_t> browser(given);
    const Held<cef_process_message_t> message(received);
    const Held<cef_list_value_t> arguments(message->get_argument_list(message.get()));

    const Held<cef_process_message_t> pong(
        NewMessage(L"pong", Take(arguments->get_string(arguments.get(), 0))));
    const Held<cef_list_value_t> answer(pong->get_argument_list(pong.get()));
    answer->set_int(answer.get(), kSource, source);
    answer->set_bool(answer.get(), kReadOnly, message->is_read_only(message.get()));
    const TestRenderer& renderer =
        ProgramRecord<cef_render_process_handler_t, TestRenderer>::OwnerOf(self);
    answer->set_bool(answer.get(), kOnMainThread, GetCurrentThreadId() == renderer.main_thread);
    answer->set_int(
        answer.get(), kWrongTargetAnswer,
        browser->send_process_message(browser.get(), PID_RENDERER, NewMessage(L"lost", L"")));
    const std::wstring name = Take(message->get_name(message.get()));
    const cef_string_t name_record = Borrowed(name);
    answer->set_string(answer.get(), kName, &name_record);
    browser->send_process_message(browser.get(), PID_BROWSER, pong.Handed());
    return 1;
  }
};

bool StartedAsRenderer() {
  return devengine::CommandLine::Global().SwitchValueOf(L"type") == L"renderer";
}

// ---- The browser's side. ----

struct Received {
  std::wstring name;
  std::vector<std::wstring> texts;
  std::vector<int> numbers;
  int source = -1;
  int read_only = -1;
  bool on_ui = false;
};

class TestClient {
 public:
  TestClient() {
    client.record().on_process_message_received = &OnMessage;
    client.record().get_load_handler = &GetLoad;
    load.record().on_render_process_terminated = &OnTerminated;
  }

  std::vector<Received> received;
  int terminated = 0;
  ProgramRecord<cef_client_t, TestClient> client{this};
  ProgramRecord<cef_load_handler_t, TestClient> load{this};

 private:
  static cef_load_handler_t* CEF_CALLBACK GetLoad(cef_client_t* self) {
    return ProgramRecord<cef_client_t, TestClient>::OwnerOf(self).load.Handed();
  }
  static void CEF_CALLBACK OnTerminated(cef_load_handler_t* self, cef_browser_t* browser,
                                        cef_termination_status_t) {
    const Held<cef_browser_t> held(browser);
    ++ProgramRecord<cef_load_handler_t, TestClient>::OwnerOf(self).terminated;
  }
  static int CEF_CALLBACK OnMessage(cef_client_t* self, cef_browser_t* browser,
                                    cef_process_id_t source, cef_process_message_t* given) {
    const Held<cef_browser_t> held(browser);
    const Held<cef_process_message_t> message(given);
    const Held<cef_list_value_t> arguments(message->get_argument_list(message.get()));
    Received note{Take(message->get_name(message.get())),
                  {},
                  {},
                  source,
                  message->is_read_only(message.get()),
                  cef_currently_on(TID_UI) != 0};
    for (int index = 0; index < static_cast<int>(arguments->get_size(arguments.get())); ++index) {
      note.texts.push_back(Take(arguments->get_string(arguments.get(), index)));
      note.numbers.push_back(arguments->get_int(arguments.get(), index) +
                             arguments->get_bool(arguments.get(), index));
    }
    ProgramRecord<cef_client_t, TestClient>::OwnerOf(self).received.push_back(std::move(note));
    return 1;
  }
};

class DevEngineMessagesAcross : public ::testing::Test {
 protected:
  void SetUp() override {
    cef_settings_t settings{};
    settings.size = sizeof settings;
    ASSERT_EQ(cef_initialize(nullptr, &settings, nullptr), 1);
    FParent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
    cef_window_info_t window{};
    window.style = WS_CHILD | WS_VISIBLE;
    window.width = 400;
    window.height = 300;
    window.parent_window = FParent;
    cef_browser_settings_t browser_settings{};
    browser_settings.size = sizeof browser_settings;
    const cef_string_t blank{};
    FBrowser.record = cef_browser_host_create_browser_sync(&window, FClient.client.Handed(), &blank,
                                                           &browser_settings);
    ASSERT_NE(FBrowser.get(), nullptr);
  }

  void TearDown() override {
    if (FBrowser.get() != nullptr) {
      const Held<cef_browser_host_t> host(FBrowser->get_host(FBrowser.get()));
      host->close_browser(host.get());
    }
    Pump([] { return false; }, 200);
    if (FParent != nullptr) DestroyWindow(FParent);
    cef_shutdown();
  }

  // Runs window messages and the engine's UI work until `done` or time-out.
  static bool Pump(const std::function<bool()>& done, DWORD milliseconds = 15000) {
    const DWORD start = GetTickCount();
    for (;;) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      cef_do_message_loop_work();
      if (done()) return true;
      if (GetTickCount() - start > milliseconds) return false;
      Sleep(5);
    }
  }

  // Sends a "ping" carrying `text` to the renderer; answers the send's answer.
  int Ping(const std::wstring& text, cef_process_id_t target = PID_RENDERER) {
    const Held<cef_process_message_t> message(NewMessage(L"ping", text));
    const int answer = FBrowser->send_process_message(FBrowser.get(), target, message.Handed());
    EXPECT_EQ(message->is_read_only(message.get()), answer) << "read-only once sent";
    EXPECT_EQ(message->base.get_refct(&message->base), 1) << "the engine's reference went";
    return answer;
  }

  HWND FParent = nullptr;
  TestClient FClient;
  Held<cef_browser_t> FBrowser{nullptr};
};

TEST_F(DevEngineMessagesAcross, ANameAndItsStringCrossBothWays) {
  EXPECT_EQ(Ping(L"nowhere", PID_BROWSER), 0) << "a browser sends to its renderer only";
  const std::vector<std::wstring> texts = {L"<#document><HTML><BODY>", L"",
                                           L"caf\u00e9 \U0001F600"};
  for (const std::wstring& text : texts) ASSERT_EQ(Ping(text), 1);
  ASSERT_TRUE(Pump([&] { return FClient.received.size() == texts.size(); }));
  for (std::size_t index = 0; index < texts.size(); ++index) {
    const Received& pong = FClient.received[index];
    EXPECT_EQ(pong.name, L"pong");
    EXPECT_EQ(pong.source, PID_RENDERER);
    EXPECT_TRUE(pong.on_ui);
    EXPECT_EQ(pong.read_only, 1);
    ASSERT_EQ(pong.texts.size(), static_cast<std::size_t>(kPongSize));
    EXPECT_EQ(pong.texts[kText], texts[index]) << "in order, the empty text too";
    EXPECT_EQ(pong.texts[kName], L"ping");
    EXPECT_EQ(pong.numbers[kSource], PID_BROWSER);
    EXPECT_EQ(pong.numbers[kReadOnly], 1) << "a message that arrived is read-only";
    EXPECT_EQ(pong.numbers[kOnMainThread], 1);
    EXPECT_EQ(pong.numbers[kWrongTargetAnswer], 0) << "a renderer sends to its browser only";
  }
}

std::vector<DWORD> ChildProcesses() {
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

TEST_F(DevEngineMessagesAcross, NothingIsQueuedOnceTheRendererIsGone) {
  ASSERT_EQ(Ping(L"first"), 1);
  ASSERT_TRUE(Pump([&] { return FClient.received.size() == 1; }));
  for (const DWORD child : ChildProcesses()) {
    const TKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, child));
    TerminateProcess(process.get(), 3);
  }
  ASSERT_TRUE(Pump([&] { return FClient.terminated == 1; }));
  EXPECT_EQ(Ping(L"late"), 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (StartedAsRenderer()) {
    TestRenderer program;
    return cef_execute_process(nullptr, program.app.Handed());
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
