// Process messages between a browser of the development engine and its
// renderer. The executable is also that renderer: its render-process handler
// answers each message with a "pong" that reports what it received and
// where.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "devengine_browser_fixture.h"

namespace {

// ---- The renderer's side. ----

// The "pong" arguments, by index.
enum Pong { kText, kSource, kReadOnly, kOnMainThread, kWrongTargetAnswer, kName, kPongSize };

class TestRenderer : public TestRendererProgram<TestRenderer> {
 public:
  TestRenderer() { handler.record().on_process_message_received = &Received; }

 private:
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
    answer->set_bool(answer.get(), kOnMainThread, GetCurrentThreadId() == Of(self).main_thread);
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

// ---- The browser's side. ----

struct Received {
  std::wstring name;
  std::vector<std::wstring> texts;
  std::vector<int> numbers;
  int source = -1;
  int read_only = -1;
  bool on_ui = false;
};

class TestClient : public ProgramObject<TestClient> {
 public:
  TestClient() {
    client.record().on_process_message_received = &OnMessage;
    client.record().get_load_handler = &HandOut<&TestClient::load>;
    load.record().on_render_process_terminated = &OnTerminated;
  }

  std::vector<Received> received;
  int terminated = 0;
  ProgramRecord<cef_client_t, TestClient> client{this};
  ProgramRecord<cef_load_handler_t, TestClient> load{this};

 private:
  static void CEF_CALLBACK OnTerminated(cef_load_handler_t* self, cef_browser_t* browser,
                                        cef_termination_status_t) {
    const Held<cef_browser_t> held(browser);
    ++Of(self).terminated;
  }
  static int CEF_CALLBACK OnMessage(cef_client_t* self, cef_browser_t* browser,
                                    cef_process_id_t source, cef_process_message_t* given) {
    const Held<cef_browser_t> held(browser);
    const Held<cef_process_message_t> message(given);
    MessageArguments arguments = ArgumentsOf(message.get());
    Received note{Take(message->get_name(message.get())), std::move(arguments.texts),
                  std::move(arguments.numbers),           source,
                  message->is_read_only(message.get()),   cef_currently_on(TID_UI) != 0};
    Of(self).received.push_back(std::move(note));
    return 1;
  }
};

class DevEngineMessagesAcross : public DevEngineBrowserFixture<TestClient> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(DevEngineBrowserFixture::SetUp());
    ASSERT_NE(OpenBrowser(L""), nullptr);
  }

  // Sends a "ping" carrying `text` to the renderer; answers the send's answer.
  int Ping(const std::wstring& text, cef_process_id_t target = PID_RENDERER) {
    const Held<cef_process_message_t> message(NewMessage(L"ping", text));
    const int answer = Browser()->send_process_message(Browser(), target, message.Handed());
    EXPECT_EQ(message->is_read_only(message.get()), answer) << "read-only once sent";
    EXPECT_EQ(message->base.get_refct(&message->base), 1) << "the engine's reference went";
    return answer;
  }
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

int main(int argc, char** argv) { return RunAsRendererOrTests<TestRenderer>(argc, argv); }
