// The start page and the tour that come with Nimbra, as the development
// engine shows them: every link and picture stays inside the bundle (the
// tour needs no network), every page loads and runs its scripts without an
// error, every script link works, and the slow page keeps the main frame
// loading while it counts. The executable also serves as the renderer
// processes its browsers start.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "devengine_browser_fixture.h"
#include "page/html.h"
#include "url.h"

namespace {

namespace fs = std::filesystem;

// The bundle as the sources hold it, in the form Windows names it.
fs::path Bundle() {
  const std::wstring unix_path = fs::path(NIMBRA_RESOURCES_DIR).wstring();
  std::wstring full(MAX_PATH * 4, L'\0');
  full.resize(
      GetFullPathNameW(unix_path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return fs::path(full);
}

std::vector<fs::path> BundledPages() {
  std::vector<fs::path> pages{Bundle() / L"start.html"};
  for (const auto& entry : fs::directory_iterator(Bundle() / L"tour")) {
    if (entry.path().extension() == L".html") pages.push_back(entry.path());
  }
  std::ranges::sort(pages);
  return pages;
}

std::wstring FileUrl(const fs::path& path) {
  std::wstring url = L"file:///" + path.wstring();
  std::ranges::replace(url, L'\\', L'/');
  return url;
}

std::shared_ptr<const devengine::page::Document> Parse(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return devengine::page::ParseHtml(devengine::page::DecodeMarkup(bytes.str(), L"text/html"));
}

// Every address a page refers to: links, pictures, scripts, style sheets.
std::vector<std::wstring> References(const devengine::page::Document& document) {
  struct Kind {
    const wchar_t* tag;
    const wchar_t* attribute;
  };
  std::vector<std::wstring> found;
  for (const Kind kind : {Kind{L"A", L"href"}, Kind{L"IMG", L"src"}, Kind{L"SCRIPT", L"src"},
                          Kind{L"LINK", L"href"}, Kind{L"IFRAME", L"src"}}) {
    for (const devengine::page::Node* element : document.ElementsByTag(kind.tag)) {
      if (const std::wstring* value = element->Attribute(kind.attribute)) found.push_back(*value);
    }
  }
  return found;
}

constexpr std::wstring_view kScriptScheme = L"javascript:";

TEST(DevEngineTourBundle, EveryReferenceStaysInsideTheBundleExceptTheHomeAddressExample) {
  const std::vector<fs::path> pages = BundledPages();
  ASSERT_GE(pages.size(), 2u);
  for (const fs::path& page : pages) {
    SCOPED_TRACE(page.string());
    const auto document = Parse(page);
    const std::wstring base = FileUrl(page);
    for (const std::wstring& reference : References(*document)) {
      SCOPED_TRACE(std::string(reference.begin(), reference.end()));
      if (reference.starts_with(kScriptScheme)) continue;
      const std::optional<std::wstring> url = devengine::ResolveUrl(base, reference);
      ASSERT_TRUE(url.has_value());
      const std::optional<devengine::UrlParts> parts = devengine::ParseUrl(*url);
      ASSERT_TRUE(parts.has_value());
      if (parts->scheme != L"file") {
        // Shown as the "home" alias at work, marked as needing a network.
        EXPECT_EQ(parts->host, L"home");
        continue;
      }
      const fs::path resolved = (page.parent_path() / reference).lexically_normal();
      EXPECT_TRUE(fs::exists(resolved)) << "missing from the bundle";
      EXPECT_TRUE(resolved.wstring().starts_with(Bundle().wstring() + L"\\"))
          << "outside the bundle";
    }
  }
}

// ---- The pages in a browser. ----

struct Note {
  std::string kind{};
  std::wstring text{};
  int number = 0;
  bool main_frame = false;
};

class TourClient : public ProgramObject<TourClient> {
 public:
  TourClient() {
    client.record().get_load_handler = &HandOut<&TourClient::load>;
    client.record().get_display_handler = &HandOut<&TourClient::display>;
    client.record().get_life_span_handler = &HandOut<&TourClient::life_span>;
    load.record().on_load_end = &OnLoadEnd;
    display.record().on_title_change = &OnTitle;
    display.record().on_status_message = &OnStatus;
    display.record().on_console_message = &OnConsole;
    life_span.record().on_before_popup = &OnBeforePopup;
    life_span.record().on_before_close = &OnBeforeClose;
  }

  std::vector<Note> Notes(const std::string& kind = {}) const {
    const std::lock_guard lock(mutex);
    std::vector<Note> chosen;
    std::ranges::copy_if(notes, std::back_inserter(chosen),
                         [&](const Note& note) { return kind.empty() || note.kind == kind; });
    return chosen;
  }
  std::vector<std::wstring> Texts(const std::string& kind) const {
    std::vector<std::wstring> texts;
    for (const Note& note : Notes(kind)) texts.push_back(note.text);
    return texts;
  }
  void Forget() {
    const std::lock_guard lock(mutex);
    notes.clear();
  }

  mutable std::mutex mutex;
  std::vector<Note> notes;
  int closed = 0;
  ProgramRecord<cef_client_t, TourClient> client{this};
  ProgramRecord<cef_load_handler_t, TourClient> load{this};
  ProgramRecord<cef_display_handler_t, TourClient> display{this};
  ProgramRecord<cef_life_span_handler_t, TourClient> life_span{this};

 private:
  void Add(Note note, cef_browser_t* browser, cef_frame_t* frame = nullptr) {
    note.main_frame = frame != nullptr && frame->is_main(frame) != 0;
    Drop(browser);
    Drop(frame);
    const std::lock_guard lock(mutex);
    notes.push_back(std::move(note));
  }
  static void CEF_CALLBACK OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser,
                                     cef_frame_t* frame, int status) {
    Of(self).Add({.kind = "load_end", .number = status}, browser, frame);
  }
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Of(self).Add({.kind = "title", .text = TextOf(*title)}, browser);
  }
  static void CEF_CALLBACK OnStatus(cef_display_handler_t* self, cef_browser_t* browser,
                                    const cef_string_t* value) {
    Of(self).Add({.kind = "status", .text = TextOf(*value)}, browser);
  }
  static int CEF_CALLBACK OnConsole(cef_display_handler_t* self, cef_browser_t* browser,
                                    const cef_string_t* message, const cef_string_t*, int) {
    Of(self).Add({.kind = "console", .text = TextOf(*message)}, browser);
    return 0;
  }
  // As the main window does: the pop-up is folded into the view.
  static int CEF_CALLBACK OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser,
                                        cef_frame_t* frame, cef_string_t* target_url, cef_string_t*,
                                        cef_popup_features_t*, cef_window_info_t*, cef_client_t**,
                                        cef_browser_settings_t*, int*) {
    Of(self).Add({.kind = "popup", .text = TextOf(*target_url)}, browser, frame);
    return 1;
  }
  static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Drop(browser);
    ++Of(self).closed;
  }
};

class DevEngineTour : public DevEngineBrowserFixture<TourClient> {
 protected:
  void SetUp() override {
    FTracePath = FTraceFolder.File(L"trace.txt");
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", FTracePath.c_str());
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", L"accept");
    DevEngineBrowserFixture::SetUp();
  }
  void TearDown() override {
    DevEngineBrowserFixture::TearDown();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", nullptr);
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }
  void EndBrowser() override {
    EndWithTheWindow([&] { return FClient.closed > 0; });
  }

  std::size_t MainLoadEnds() const {
    return std::ranges::count_if(FClient.Notes("load_end"),
                                 [](const Note& note) { return note.main_frame; });
  }
  // Loads `url` in the main frame and waits for its load end.
  bool Visit(const std::wstring& url) {
    const std::size_t before = MainLoadEnds();
    if (Browser() == nullptr) {
      if (OpenBrowser(url) == nullptr) return false;
    } else {
      const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
      const cef_string_t address = Borrowed(url);
      frame->load_url(frame.get(), &address);
    }
    return Pump([&] { return MainLoadEnds() > before; });
  }
  // Runs a javascript: link's code in the page, as clicking it does.
  void Follow(const std::wstring& script_link) {
    const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
    const cef_string_t address = Borrowed(script_link);
    frame->load_url(frame.get(), &address);
  }
  std::vector<std::string> Dialogs() const { return TraceEvents(ReadLines(FTracePath), "dialog"); }

  TTempFolder FTraceFolder;
  std::wstring FTracePath;
};

TEST_F(DevEngineTour, EveryPageLoadsAndEveryScriptRunsWithoutAnError) {
  for (const fs::path& page : BundledPages()) {
    // It works for seconds; its own test below follows it through.
    if (page.filename() == L"slow.html") continue;
    SCOPED_TRACE(page.string());
    FClient.Forget();
    ASSERT_TRUE(Visit(FileUrl(page)));
    EXPECT_EQ(FClient.Notes("load_end").back().number, 200);
    EXPECT_FALSE(FClient.Texts("title").back().empty());
    for (const std::wstring& reference : References(*Parse(page))) {
      if (!reference.starts_with(kScriptScheme)) continue;
      SCOPED_TRACE(std::string(reference.begin(), reference.end()));
      const std::size_t dialogs = Dialogs().size();
      const std::size_t popups = FClient.Notes("popup").size();
      const std::size_t status = FClient.Notes("status").size();
      Follow(reference);
      // Each script link shows something: a dialog, a new window asked, or
      // a status line.
      ASSERT_TRUE(Pump([&] {
        return Dialogs().size() > dialogs || FClient.Notes("popup").size() > popups ||
               FClient.Notes("status").size() > status;
      }));
    }
    Pump([] { return false; }, 300);
    EXPECT_TRUE(FClient.Texts("console").empty()) << "the page's script failed";
  }
}

TEST_F(DevEngineTour, SayHelloAsksForANameAndGreetsIt) {
  ASSERT_TRUE(Visit(FileUrl(Bundle() / L"start.html")));
  Follow(L"javascript:greet()");
  ASSERT_TRUE(Pump([&] { return Dialogs().size() >= 2; }));
  const std::vector<std::string> dialogs = Dialogs();
  EXPECT_EQ(TraceValue(dialogs[0], "kind"), "prompt");
  EXPECT_EQ(TraceValue(dialogs[1], "kind"), "alert");
  EXPECT_EQ(TraceValue(dialogs[1], "message"),
            "Hello, friend! The script on this page counted the first squares: 1, 4, 9, 16, 25.");
}

TEST_F(DevEngineTour, TheSlowPageStaysLoadingWhileItCountsAndReportsTheCount) {
  ASSERT_TRUE(Visit(FileUrl(Bundle() / L"tour" / L"slow.html")));
  // Everything the page's scripts reported came before the load ended.
  const std::vector<Note> notes = FClient.Notes();
  const auto ended = std::ranges::find_if(
      notes, [](const Note& note) { return note.kind == "load_end" && note.main_frame; });
  std::vector<std::wstring> before_end;
  for (auto note = notes.begin(); note != ended; ++note) {
    if (note->kind == "status" || note->kind == "title") before_end.push_back(note->text);
  }
  const std::vector<std::wstring> expected = {
      L"Counting prime numbers...",
      L"Counting prime numbers: 5133 found below 50000...",
      L"Counting prime numbers: 9592 found below 100000...",
      L"Counting prime numbers: 13848 found below 150000...",
      L"Counting prime numbers: 17984 found below 200000...",
      L"Counted 17984 prime numbers",
      L"Done: there are 17984 prime numbers below 200000."};
  EXPECT_EQ(before_end, expected);
}

TEST_F(DevEngineTour, PopUpLinksAskForTheTourPageTheyName) {
  const fs::path links = Bundle() / L"tour" / L"links.html";
  ASSERT_TRUE(Visit(FileUrl(links)));
  Follow(L"javascript:window.open('popup.html')");
  ASSERT_TRUE(Pump([&] { return !FClient.Notes("popup").empty(); }));
  EXPECT_EQ(FClient.Texts("popup").back(), FileUrl(Bundle() / L"tour" / L"popup.html"));
  EXPECT_EQ(FClient.Texts("status").front(), L"The links page wrote this line when it loaded.");
}

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests(argc, argv); }
