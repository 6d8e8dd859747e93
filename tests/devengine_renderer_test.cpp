// The development engine's renderer process: the browser side starts this
// very executable as its renderer, whose app notes what its render-process
// handler is told and what it finds in the document tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"
#include "engine_threads.h"
#include "renderer/channel.h"
#include "pipe/frame.h"
#include "renderer/pipe_messages.h"
#include "renderer/renderer_host.h"
#include "test_support.h"
#include "utf.h"

namespace {

using devengine::pipe::Message;
using devengine::pipe::MessageKind;
using devengine::pipe::MessageReader;
using devengine::pipe::MessageWriter;
using devengine::renderer::Channel;
using devengine::renderer::RendererHost;

constexpr wchar_t kLogVariable[] = L"NIMBRA_RENDERER_TEST_LOG";
constexpr int kBrowserId = 7;

// ---- The renderer's side: a program whose handler notes what it sees. ----

void Note(const std::wstring& line) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(kLogVariable, path, MAX_PATH) == 0) return;
  std::ofstream(path, std::ios::app | std::ios::binary) << devengine::Utf16ToUtf8(line) << "\n";
}

std::wstring Trimmed(std::wstring text) {
  const auto space = [](wchar_t ch) { return ch == L' ' || ch == L'\n' || ch == L'\r'; };
  while (!text.empty() && space(text.back())) text.pop_back();
  while (!text.empty() && space(text.front())) text.erase(0, 1);
  return text;
}

using Node = Held<cef_domnode_t>;

std::wstring NameOf(cef_domnode_t* node) {
  return node == nullptr ? L"null" : Take(node->get_name(node));
}

// Each node of the chain given back as the record's entry leads there.
template <class Step>
std::wstring NameAfter(const Node& node, Step step) {
  const Node next(step(node.get()));
  return NameOf(next.get());
}

std::wstring Attribute(const Node& node, const std::wstring& name) {
  const cef_string_t text = Borrowed(name);
  return Take(node->get_element_attribute(node.get(), &text));
}

// The names from the top of the tree down to `node`, each in angle brackets.
std::wstring PathOf(cef_domnode_t* node) {
  std::wstring path;
  for (Node at(node); at.get() != nullptr;) {
    path = L"<" + NameOf(at.get()) + L">" + path;
    Node parent(at->get_parent(at.get()));
    std::swap(at.record, parent.record);
  }
  return path;
}

class TestRenderer : public TestRendererProgram<TestRenderer> {
 public:
  TestRenderer() {
    cef_render_process_handler_t& entries = handler.record();
    entries.on_render_thread_created = &RenderThreadCreated;
    entries.on_web_kit_initialized = &WebKitInitialized;
    entries.on_browser_created = &BrowserCreated;
    entries.on_context_created = &ContextCreated;
    entries.on_context_released = &ContextReleased;
    entries.on_browser_destroyed = &BrowserDestroyed;
    walker.record().visit = &Visit;
  }

  ProgramRecord<cef_domvisitor_t, TestRenderer> walker{this};
  ProgramRecord<cef_domevent_listener_t, TestRenderer> listener{this};

 private:
  static void CEF_CALLBACK RenderThreadCreated(cef_render_process_handler_t*,
                                               cef_list_value_t* extra) {
    Note(std::wstring(L"render_thread_created extra=") + (extra == nullptr ? L"null" : L"set"));
  }
  static void CEF_CALLBACK WebKitInitialized(cef_render_process_handler_t*) {
    Note(L"web_kit_initialized");
  }
  static void CEF_CALLBACK BrowserCreated(cef_render_process_handler_t*, cef_browser_t* created) {
    const Held<cef_browser_t> browser(created);
    const Held<cef_frame_t> main(browser->get_main_frame(browser.get()));
    Note(L"browser_created id=" + std::to_wstring(browser->get_identifier(browser.get())) +
         L" main_frame=" + (main.get() == nullptr ? L"null" : L"set"));
  }
  static void CEF_CALLBACK ContextCreated(cef_render_process_handler_t* self,
                                          cef_browser_t* browser, cef_frame_t* frame,
                                          cef_v8context_t* context) {
    Of(self).NoteContext(Held<cef_browser_t>(browser), Held<cef_frame_t>(frame),
                         Held<cef_v8context_t>(context));
  }
  static void CEF_CALLBACK ContextReleased(cef_render_process_handler_t*, cef_browser_t* browser,
                                           cef_frame_t* released, cef_v8context_t* gone) {
    const Held<cef_browser_t> held_browser(browser);
    const Held<cef_frame_t> frame(released);
    const Held<cef_v8context_t> context(gone);
    Note(L"context_released frame=" + std::to_wstring(frame->get_identifier(frame.get())) +
         L" valid=" + std::to_wstring(context->is_valid(context.get())));
  }
  static void CEF_CALLBACK BrowserDestroyed(cef_render_process_handler_t*,
                                            cef_browser_t* destroyed) {
    const Held<cef_browser_t> browser(destroyed);
    Note(L"browser_destroyed id=" + std::to_wstring(browser->get_identifier(browser.get())));
  }
  static void CEF_CALLBACK Visit(cef_domvisitor_t* self, cef_domdocument_t* document) {
    Of(self).Walk(Held<cef_domdocument_t>(document));
  }

  void NoteContext(const Held<cef_browser_t>& browser, const Held<cef_frame_t>& frame,
                   const Held<cef_v8context_t>& context) {
    const Held<cef_frame_t> parent(frame->get_parent(frame.get()));
    const Held<cef_frame_t> context_frame(context->get_frame(context.get()));
    const Held<cef_browser_t> context_browser(context->get_browser(context.get()));
    Note(L"context_created frame=" + std::to_wstring(frame->get_identifier(frame.get())) +
         L" main=" + std::to_wstring(frame->is_main(frame.get())) + L" parent=" +
         (parent.get() == nullptr ? L"none"
                                  : std::to_wstring(parent->get_identifier(parent.get()))) +
         L" url=" + Take(frame->get_url(frame.get())) + L" valid=" +
         std::to_wstring(context->is_valid(context.get())) + L" same_frame=" +
         std::to_wstring(context_frame.get() == frame.get()) + L" same_browser=" +
         std::to_wstring(browser->is_same(browser.get(), context_browser.Handed())));
    if (kept_body_) {
      // Held from the first document, which the frame no longer shows.
      Note(L"kept " + NameOf(kept_body_->get()) + L" id=" + Attribute(*kept_body_, L"id") +
           L" listener_refs=" + std::to_wstring(listener.refs()));
    }
    frame->visit_dom(frame.get(), walker.Handed());
  }

  void Walk(const Held<cef_domdocument_t>& document) {
    const Node top(document->get_document(document.get()));
    const Node body(document->get_body(document.get()));
    Note(L"document title=" + Take(document->get_title(document.get())) + L" body=" +
         NameOf(body.get()) + L" above_body=" + NameAfter(body, body->get_parent) + L" top=" +
         NameOf(top.get()) + L" above_top=" + NameAfter(top, top->get_parent));
    const std::wstring link_id = L"link";
    const cef_string_t id = Borrowed(link_id);
    const Node link(document->get_element_by_id(document.get(), &id));
    if (link.get() == nullptr) return Note(L"link none");
    const Node paragraph(link->get_parent(link.get()));
    const Node first(body->get_first_child(body.get()));
    const std::wstring href = Attribute(link, L"HREF");
    const cef_string_t partial = Borrowed(href);
    Note(L"link path=" + PathOf(link.Handed()) + L" href=" + Attribute(link, L"href") +
         L" complete=" + Take(document->get_complete_url(document.get(), &partial)) + L" markup=" +
         Take(link->get_as_markup(link.get())) + L" p_class=" + Attribute(paragraph, L"class") +
         L" p_text=" + Trimmed(Take(paragraph->get_element_inner_text(paragraph.get()))) +
         L" first=" + NameOf(first.get()) + L" next=" + NameAfter(first, first->get_next_sibling) +
         L" same=" + std::to_wstring(first->is_same(first.get(), paragraph.Handed())));
    const std::wstring event = L"mouseover";
    const cef_string_t mouseover = Borrowed(event);
    body->add_event_listener(body.get(), &mouseover, listener.Handed(), 1);
    kept_body_.emplace(body.Handed());
  }

  std::optional<Node> kept_body_;
};

// ---- The browser's side. ----

std::string Utf8(const std::wstring& text) { return devengine::Utf16ToUtf8(text); }

class RendererHostTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentVariableW(kLogVariable, log_.c_str()); }
  void TearDown() override { SetEnvironmentVariableW(kLogVariable, nullptr); }

  std::unique_ptr<RendererHost> Start() {
    return RendererHost::Start(kBrowserId, {[this] { ++terminated_; }});
  }
  // Runs the UI work, as the browser process's pump does, until `done`.
  static bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000) {
    return WaitUntil(
        [&] {
          devengine::UiWork().RunPending();
          return done();
        },
        milliseconds);
  }
  std::vector<std::string> Log() const { return ReadLines(log_); }
  bool Logged(const std::string& line) const {
    const std::vector<std::string> lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  TTempFolder folder_;
  std::wstring log_ = folder_.File(L"renderer.log");
  int terminated_ = 0;
};

const std::wstring kFirstPage =
    L"<html><head><title>First</title></head><body id=b><p class=lead>Hello "
    L"<a href=\"/x?a&amp;b\" id=link>there</a></p><div>Second</div></body></html>";

TEST_F(RendererHostTest, ShowsDocumentsToTheHandlerAndEndsWhenTheBrowserIsDestroyed) {
  const std::wstring trace = folder_.File(L"trace.txt");
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", trace.c_str());
  std::unique_ptr<RendererHost> host = Start();
  SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  ASSERT_TRUE(host);
  host->ShowDocument(1, true, L"http://example.test/a", kFirstPage);
  host->ShowDocument(2, false, L"http://example.test/c", L"<p>Inner</p>");
  host->ShowDocument(1, true, L"http://example.test/b", L"<p>Other</p>");
  host->DestroyBrowser();

  ASSERT_TRUE(PumpUntil([&] { return !host->Alive(); }));
  EXPECT_EQ(host->ExitCode(), 0u);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "render_thread_created extra=null",
                       "web_kit_initialized",
                       "browser_created id=7 main_frame=null",
                       "context_created frame=1 main=1 parent=none url=http://example.test/a "
                       "valid=1 same_frame=1 same_browser=1",
                       "document title=First body=BODY above_body=HTML top=#document "
                       "above_top=null",
                       "link path=<#document><HTML><BODY><P><A> href=/x?a&b "
                       "complete=http://example.test/x?a&b markup=<a href=\"/x?a&amp;b\" "
                       "id=\"link\">there</a> p_class=lead p_text=Hello there first=P next=DIV "
                       "same=1",
                       "context_created frame=2 main=0 parent=1 url=http://example.test/c valid=1 "
                       "same_frame=1 same_browser=1",
                       "kept BODY id=b listener_refs=2",
                       "document title= body=BODY above_body=HTML top=#document above_top=null",
                       "link none",
                       "context_released frame=1 valid=1",
                       "context_created frame=1 main=1 parent=none url=http://example.test/b "
                       "valid=1 same_frame=1 same_browser=1",
                       "kept BODY id=b listener_refs=1",
                       "document title= body=BODY above_body=HTML top=#document above_top=null",
                       "link none",
                       "context_released frame=1 valid=1",
                       "context_released frame=2 valid=1",
                       "browser_destroyed id=7",
                   }));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(terminated_, 0) << "an end the browser asked for is no termination";

  const std::string pid = std::to_string(host->ProcessId());
  const std::vector<std::string> lines = ReadLines(trace);
  const std::vector<std::string> renderer = TraceEvents(lines, "renderer");
  EXPECT_EQ(renderer,
            (std::vector<std::string>{pid + " renderer started browser=7",
                                      pid + " renderer ended browser=7 reason=destroyed"}));
}

TEST_F(RendererHostTest, AnswersSourceAndTextRequestsOnTheUiThread) {
  std::unique_ptr<RendererHost> host = Start();
  ASSERT_TRUE(host);
  host->ShowDocument(1, true, L"http://example.test/a", kFirstPage);
  std::vector<std::optional<std::wstring>> answers(3);
  const DWORD ui_thread = GetCurrentThreadId();
  const auto answer = [&](std::size_t slot) {
    return [&, slot](std::wstring text) {
      EXPECT_EQ(GetCurrentThreadId(), ui_thread);
      answers[slot] = std::move(text);
    };
  };
  host->RequestSource(1, answer(0));
  host->RequestText(1, answer(1));
  host->RequestSource(99, answer(2));
  ASSERT_TRUE(PumpUntil([&] { return answers[0] && answers[1] && answers[2]; }));
  EXPECT_EQ(*answers[0], kFirstPage);
  EXPECT_NE(answers[1]->find(L"Hello there"), std::wstring::npos) << Utf8(*answers[1]);
  EXPECT_NE(answers[1]->find(L"Second"), std::wstring::npos);
  EXPECT_EQ(answers[1]->find(L"First"), std::wstring::npos) << "the title is no page text";
  EXPECT_EQ(*answers[2], L"") << "a frame that shows nothing";
}

TEST_F(RendererHostTest, KillingTheRendererReportsTerminatedOnceAndDropsRequests) {
  std::unique_ptr<RendererHost> host = Start();
  ASSERT_TRUE(host);
  ASSERT_TRUE(PumpUntil([&] { return Logged("browser_created id=7 main_frame=null"); }));
  {
    const TKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, host->ProcessId()));
    ASSERT_TRUE(TerminateProcess(process.get(), 3));
  }
  ASSERT_TRUE(PumpUntil([&] { return terminated_ > 0; }));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(terminated_, 1);
  EXPECT_FALSE(host->Alive());
  EXPECT_EQ(host->ExitCode(), 3u);

  const auto kept = std::make_shared<int>();
  host->RequestSource(1, [kept](std::wstring) { ADD_FAILURE() << "answered by a dead renderer"; });
  EXPECT_EQ(kept.use_count(), 1) << "the request is let go at once";
}

TEST_F(RendererHostTest, DestroyingTheHostEndsItsRendererAsABrowserDestroyed) {
  std::unique_ptr<RendererHost> host = Start();
  ASSERT_TRUE(host);
  ASSERT_TRUE(PumpUntil([&] { return Logged("browser_created id=7 main_frame=null"); }));
  const TKernelHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, host->ProcessId()));
  host.reset();
  ASSERT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(Logged("browser_destroyed id=7"));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(terminated_, 0);
}

TEST_F(RendererHostTest, EndsWhenTheBrowserProcessGoes) {
  const std::unique_ptr<Channel> channel = Channel::Listen();
  ASSERT_TRUE(channel);
  wchar_t executable[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, executable, MAX_PATH);
  const std::wstring trace = folder_.File(L"trace.txt");
  TChildProcess renderer(
      executable,
      L"--type=renderer --renderer-channel=" + channel->name() + L" --renderer-browser-id=7",
      {{L"NIMBRA_ENGINE_TRACE", trace}});
  channel->Start({}, renderer.Handle());
  ASSERT_TRUE(WaitUntil([&] { return Logged("browser_created id=7 main_frame=null"); }));
  channel->Close();
  EXPECT_EQ(renderer.Wait(10000), 0u);
  EXPECT_FALSE(Logged("browser_destroyed id=7"));
  const std::vector<std::string> ended = TraceEvents(ReadLines(trace), "renderer");
  ASSERT_FALSE(ended.empty());
  EXPECT_EQ(TraceValue(ended.back(), "reason"), "browser_gone");
}

// Frames arrive in pieces of any size; a length no frame can have breaks
// the channel, and a field cut short fails the reader rather than reading on.
TEST(RendererProtocol, FramesSurviveAnySplitAndBrokenOnesAreRefused) {
  using devengine::pipe::FrameOf;
  using devengine::pipe::TakeFrame;
  const std::string both = FrameOf(MessageWriter(MessageKind::kShowDocument)
                                       .Int(-5)
                                       .Flag(true)
                                       .Text(L"\u00e9\U0001F600")
                                       .Take()) +
                           FrameOf(MessageWriter(MessageKind::kDestroyBrowser).Take());
  std::string arriving;
  std::vector<Message> received;
  bool broken = false;
  for (const char byte : both) {
    arriving += byte;
    while (std::optional<Message> message = TakeFrame(arriving, broken))
      received.push_back(*message);
  }
  ASSERT_EQ(received.size(), 2u);
  EXPECT_FALSE(broken);
  EXPECT_TRUE(arriving.empty());
  MessageReader reader(received[0]);
  EXPECT_EQ(reader.Int(), -5);
  EXPECT_TRUE(reader.Flag());
  EXPECT_EQ(reader.Text(), L"\u00e9\U0001F600");
  EXPECT_TRUE(reader.ok());
  EXPECT_EQ(reader.Text(), L"");
  EXPECT_FALSE(reader.ok()) << "read past the end";
  EXPECT_EQ(received[1].kind, MessageKind::kDestroyBrowser);

  for (const std::string& length :
       {std::string("\x02\0\0\0", 4), std::string("\xff\xff\xff\x7f", 4)}) {
    std::string bad = length + std::string(8, 'x');
    broken = false;
    EXPECT_FALSE(TakeFrame(bad, broken));
    EXPECT_TRUE(broken);
  }
  Message cut = MessageWriter(MessageKind::kAnswer).Int(1).Text(L"abc").Take();
  cut.payload.pop_back();
  MessageReader short_reader(cut);
  short_reader.Int();
  EXPECT_EQ(short_reader.Text(), L"");
  EXPECT_FALSE(short_reader.ok());
}

// Every message type reads back as written, through a frame, and no cut of
// its payload reads as a message.
template <class Typed>
void ExpectRoundTrip(const Typed& sent) {
  using devengine::pipe::ReadMessage;
  using devengine::pipe::WriteMessage;
  std::string bytes = devengine::pipe::FrameOf(WriteMessage(sent));
  bool broken = false;
  const std::optional<Message> arrived = devengine::pipe::TakeFrame(bytes, broken);
  ASSERT_TRUE(arrived);
  EXPECT_EQ(arrived->kind, Typed::kKind);
  EXPECT_EQ(ReadMessage<Typed>(*arrived), sent) << static_cast<int>(Typed::kKind);
  for (std::size_t size = 0; size < arrived->payload.size(); ++size) {
    const Message cut{arrived->kind, arrived->payload.substr(0, size)};
    EXPECT_FALSE(ReadMessage<Typed>(cut)) << static_cast<int>(Typed::kKind) << " cut to " << size;
  }
}

TEST(RendererProtocol, EveryMessageReadsBackAsWrittenAndNoCutOfItReads) {
  namespace messages = devengine::renderer::messages;
  using devengine::renderer::DialogKind;
  ExpectRoundTrip(messages::ShowDocument{-5, true, L"http://a.test/\u00e9", L"<p>\U0001F600</p>"});
  ExpectRoundTrip(messages::RequestSource{1, 2});
  ExpectRoundTrip(messages::RequestText{3, 4});
  ExpectRoundTrip(messages::DestroyBrowser{});
  ExpectRoundTrip(messages::ExecuteScript{5, L"f()", L"about:blank", -7});
  ExpectRoundTrip(messages::DocumentScripts{6, true, 0xFFFFFFFFFFFFFFFFull});
  ExpectRoundTrip(messages::ScriptText{7, L"s.js", 2, true, L"x=1"});
  ExpectRoundTrip(messages::DialogAnswer{8, true, L""});
  ExpectRoundTrip(messages::RunBeforeUnload{9});
  ExpectRoundTrip(messages::Answer{10, L"text"});
  ExpectRoundTrip(messages::TitleChanged{11, L"Title"});
  ExpectRoundTrip(messages::ConsoleMessage{L"hello", L"page.html", 12});
  ExpectRoundTrip(messages::OpenWindow{13, L"b.html", L"name"});
  ExpectRoundTrip(messages::ScriptDialog{14, DialogKind::kPrompt, L"u", L"m", L"d"});
  ExpectRoundTrip(messages::BeforeUnloadHandler{true});
  ExpectRoundTrip(messages::BeforeUnloadAnswer{15, true, L"Sure?"});
  ExpectRoundTrip(messages::StatusText{L"status"});
  ExpectRoundTrip(messages::ScriptsRun{16, 17});
}

// A field of a kind no writer writes makes the whole message unread.
TEST(RendererProtocol, ADialogOfAnUnknownKindIsRefused) {
  for (const std::int64_t kind : {std::int64_t{-1}, std::int64_t{5}, std::int64_t{256}}) {
    const Message asked = MessageWriter(MessageKind::kScriptDialog)
                              .Int(1)
                              .Int(kind)
                              .Text(L"u")
                              .Text(L"m")
                              .Text(L"d")
                              .Take();
    EXPECT_FALSE(devengine::pipe::ReadMessage<devengine::renderer::messages::ScriptDialog>(asked))
        << kind;
  }
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests<TestRenderer>(argc, argv); }
