// The development engine's own texts in the program's language: locale files
// read from the locales folder, what a damaged or hostile file may not do,
// the files shipped beside the engine, and the dialogs and error page a
// user then sees. The executable also serves as the renderer processes its
// browsers start.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "devengine_browser_fixture.h"
#include "engine_texts.h"

namespace {

using devengine::EngineText;
using devengine::EnglishText;
using devengine::LocaleTexts;

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  const TKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::string ReadBytes(const std::wstring& path) {
  const TKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

TEST(DevEngineLocaleTexts, AFileSetsTheTextsItNamesAndPassesOverEveryOtherLine) {
  struct Case {
    const char* name;
    std::string bytes;
    EngineText id;
    std::wstring text;  // what `id` reads afterwards
    int taken;
    std::vector<int> passed_over;
  };
  const Case cases[] = {
      {"one text", "dialog.ok=D'accord\n", EngineText::kOk, L"D'accord", 1, {}},
      {"byte-order mark, CR LF and blanks around",
       "\xEF\xBB\xBF  dialog.stay =  Rester \r\n",
       EngineText::kStay,
       L"Rester",
       1,
       {}},
      {"comments and blank lines",
       "# comment\n\n   \ndialog.leave=Quitter",
       EngineText::kLeave,
       L"Quitter",
       1,
       {}},
      {"an equals sign in the value",
       "error.detail=a=b {code}\n",
       EngineText::kErrorDetail,
       L"a=b {code}",
       1,
       {}},
      {"the later of two lines wins",
       "dialog.ok=first\ndialog.ok=second\n",
       EngineText::kOk,
       L"second",
       2,
       {}},
      {"UTF-8 beyond ASCII",
       "error.failed=\xC3\xA9\x63hec \xF0\x9F\x98\x80\n",
       EngineText::kErrorFailed,
       L"\u00E9chec \U0001F600",
       1,
       {}},
      {"no equals sign", "dialog.ok OK\n", EngineText::kOk, L"OK", 0, {1}},
      {"unknown key", "dialog.maybe=Perhaps\n", EngineText::kOk, L"OK", 0, {1}},
      {"empty key", "=OK\n", EngineText::kOk, L"OK", 0, {1}},
      {"empty value", "dialog.cancel=\n", EngineText::kCancel, L"Cancel", 0, {1}},
      {"ill-formed UTF-8", "dialog.cancel=\xC3\x28\n", EngineText::kCancel, L"Cancel", 0, {1}},
      {"control character", "dialog.cancel=a\x01z\n", EngineText::kCancel, L"Cancel", 0, {1}},
      {"NUL in the value",
       std::string("dialog.cancel=a\0z\n", 18),
       EngineText::kCancel,
       L"Cancel",
       0,
       {1}},
      {"only the bad lines are lost",
       "junk\ndialog.stay=Rester\n\xFF\xFE=\x80\n",
       EngineText::kStay,
       L"Rester",
       1,
       {1, 3}},
  };
  for (const Case& check : cases) {
    SCOPED_TRACE(check.name);
    LocaleTexts texts;
    const LocaleTexts::Merged merged = texts.Merge(check.bytes);
    EXPECT_EQ(texts.Get(check.id), check.text);
    EXPECT_EQ(merged.taken, check.taken);
    EXPECT_EQ(merged.passedOver, check.passed_over);
  }
}

TEST(DevEngineLocaleTexts, TheLanguageFileComesFirstThenTheLocalesAndEnglishFillsTheRest) {
  TTempFolder temp;
  const std::wstring folder = temp.File(L"locales");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  WriteBytes(folder + L"\\fr.txt", "dialog.ok=D'accord\ndialog.cancel=Annuler\n");
  WriteBytes(folder + L"\\fr-CA.txt", "dialog.cancel=Annulez\n");
  WriteBytes(folder + L"\\big.txt",
             "dialog.ok=Big\n" + std::string(devengine::kLargestLocaleFile, '#'));
  WriteBytes(folder + L"\\empty.txt", "");
  std::string garbage;
  for (int byte = 0; byte < 4096; ++byte) garbage += static_cast<char>((byte * 167) % 256);
  WriteBytes(folder + L"\\garbage.txt", garbage);
  // Beside the folder: a locale must never reach it.
  WriteBytes(temp.File(L"outside.txt"), "dialog.ok=Outside\n");
  struct Case {
    std::wstring folder;
    std::wstring locale;
    std::wstring ok, cancel, stay;
  };
  const Case cases[] = {
      {folder, L"fr", L"D'accord", L"Annuler", L"Stay"},
      {folder, L"fr-CA", L"D'accord", L"Annulez", L"Stay"},
      {folder, L"fr_CA", L"D'accord", L"Annuler", L"Stay"},
      {folder, L"de", L"OK", L"Cancel", L"Stay"},
      {folder, L"big", L"OK", L"Cancel", L"Stay"},
      {folder, L"empty", L"OK", L"Cancel", L"Stay"},
      {folder, L"garbage", L"OK", L"Cancel", L"Stay"},
      {folder, L"..\\outside", L"OK", L"Cancel", L"Stay"},
      {folder, L"../outside", L"OK", L"Cancel", L"Stay"},
      {folder, L"", L"OK", L"Cancel", L"Stay"},
      {temp.File(L"absent"), L"fr", L"OK", L"Cancel", L"Stay"},
      {L"", L"fr", L"OK", L"Cancel", L"Stay"},
  };
  for (const Case& check : cases) {
    SCOPED_TRACE(testing::Message()
                 << "locale '" << std::string(check.locale.begin(), check.locale.end()) << "'");
    const LocaleTexts texts = LocaleTexts::Load(check.folder, check.locale);
    EXPECT_EQ(texts.Get(EngineText::kOk), check.ok);
    EXPECT_EQ(texts.Get(EngineText::kCancel), check.cancel);
    EXPECT_EQ(texts.Get(EngineText::kStay), check.stay);
  }
}

TEST(DevEngineLocaleTexts, TheShippedFilesGiveEveryTextAndNothingElse) {
  for (const wchar_t* locale : {L"en-US", L"fr"}) {
    SCOPED_TRACE(locale == std::wstring(L"fr") ? "fr" : "en-US");
    const std::string bytes = ReadBytes(BinFolder() + L"\\locales\\" + locale + L".txt");
    ASSERT_FALSE(bytes.empty());
    LocaleTexts texts;
    const LocaleTexts::Merged merged = texts.Merge(bytes);
    EXPECT_EQ(merged.taken, static_cast<int>(devengine::kEngineTextCount));
    EXPECT_TRUE(merged.passedOver.empty());
    for (std::size_t index = 0; index < devengine::kEngineTextCount; ++index) {
      const auto id = static_cast<EngineText>(index);
      // A text the engine fills in keeps every place the English one has.
      for (const wchar_t* place : {L"{code}", L"{reason}", L"{title}", L"{id}", L"{address}"}) {
        EXPECT_EQ(texts.Get(id).find(place) == std::wstring::npos,
                  EnglishText(id).find(place) == std::wstring_view::npos)
            << devengine::EngineTextTable()[index].key;
      }
      if (locale == std::wstring(L"en-US")) {
        EXPECT_EQ(texts.Get(id), EnglishText(id));
      }
    }
  }
}

TEST(DevEngineLocaleTexts, FillInReplacesEachNamedPlaceOnce) {
  struct Case {
    std::wstring_view pattern;
    std::wstring_view code;
    std::wstring_view reason;
    std::wstring filled;
  };
  const Case cases[] = {
      {L"Error {code}: {reason}", L"-6", L"file not found", L"Error -6: file not found"},
      {L"{reason} ({code})", L"-3", L"aborted", L"aborted (-3)"},
      {L"{code}{code}", L"1", L"", L"11"},
      {L"{code}: {reason}", L"{reason}", L"x", L"{reason}: x"},
      {L"{other} {code", L"1", L"x", L"{other} {code"},
      {L"{", L"1", L"x", L"{"},
      {L"", L"1", L"x", L""},
  };
  for (const Case& check : cases) {
    EXPECT_EQ(devengine::FillIn(check.pattern, {{L"code", check.code}, {L"reason", check.reason}}),
              check.filled);
  }
}

// ---- What a user sees, in a browser of an engine started with a locale. ----

class LocaleClient : public ProgramObject<LocaleClient> {
 public:
  LocaleClient() {
    client.record().get_display_handler = &HandOut<&LocaleClient::display>;
    client.record().get_life_span_handler = &HandOut<&LocaleClient::life_span>;
    display.record().on_title_change = &OnTitle;
    life_span.record().on_before_close = &OnBeforeClose;
  }
  std::wstring Title() const {
    const std::lock_guard lock(mutex);
    return title;
  }

  mutable std::mutex mutex;
  std::wstring title;
  int closed = 0;
  ProgramRecord<cef_client_t, LocaleClient> client{this};
  ProgramRecord<cef_display_handler_t, LocaleClient> display{this};
  ProgramRecord<cef_life_span_handler_t, LocaleClient> life_span{this};

 private:
  static void CEF_CALLBACK OnTitle(cef_display_handler_t* self, cef_browser_t* browser,
                                   const cef_string_t* title) {
    Drop(browser);
    const std::lock_guard lock(Of(self).mutex);
    Of(self).title = TextOf(*title);
  }
  static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    Drop(browser);
    ++Of(self).closed;
  }
};

struct ShownTexts {
  const char* name;
  std::wstring locale;
  // The locales folder: "bin" for the one shipped beside the engine, "" for
  // none given (the engine's default), anything else a folder that is absent.
  std::wstring folder;
  std::string page_says, ok, cancel, leave_title, leave, stay;
  std::wstring error_heading, error_detail;
};

void PrintTo(const ShownTexts& shown, std::ostream* out) { *out << shown.name; }

class DevEngineLocale : public DevEngineBrowserFixture<LocaleClient>,
                        public testing::WithParamInterface<ShownTexts> {
 protected:
  void SetUp() override {
    FTracePath = FTraceFolder.File(L"trace.txt");
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", FTracePath.c_str());
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", L"accept");
    const ShownTexts& shown = GetParam();
    FFolder = shown.folder == L"bin" ? BinFolder() + L"\\locales\\"
              : shown.folder.empty() ? std::wstring()
                                     : FTraceFolder.File(shown.folder);
    StartEngine(0, [&](cef_settings_t& settings) {
      settings.locale = Borrowed(shown.locale);
      settings.locales_dir_path = Borrowed(FFolder);
    });
  }
  void TearDown() override {
    DevEngineBrowserFixture::TearDown();
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_DIALOG_ANSWER", nullptr);
    SetEnvironmentVariableW(L"NIMBRA_ENGINE_TRACE", nullptr);
  }
  void EndBrowser() override {
    EndWithTheWindow([&] { return FClient.closed > 0; });
  }
  std::vector<std::string> Dialogs() const { return TraceEvents(ReadLines(FTracePath), "dialog"); }

  TTempFolder FTraceFolder;
  std::wstring FTracePath;
  std::wstring FFolder;
};

TEST_P(DevEngineLocale, TheEnginesOwnDialogsAndErrorPageSpeakTheLocale) {
  const ShownTexts& shown = GetParam();
  Serve({{"/page",
          {.Body = "<html><body><script>alert('a'); confirm('b');"
                   "onbeforeunload = function() { return 'unsaved'; };"
                   "document.title = 'ready';</script></body></html>"}}});
  ASSERT_NE(OpenBrowser(Url("/page")), nullptr);
  ASSERT_TRUE(Pump([&] { return FClient.Title() == L"ready"; }));
  // Leaving asks to confirm; the page it goes to cannot be loaded.
  const Held<cef_frame_t> frame(Browser()->get_main_frame(Browser()));
  const std::wstring missing = L"file:///" + FTraceFolder.File(L"missing.html");
  const cef_string_t address = Borrowed(missing);
  frame->load_url(frame.get(), &address);
  TextVisitor shown_text;
  ASSERT_TRUE(Pump([&] { return FClient.Title() != L"ready"; }));
  frame->get_text(frame.get(), shown_text.program.Handed());
  ASSERT_TRUE(Pump([&] { return shown_text.text.has_value(); }));

  const std::vector<std::string> dialogs = Dialogs();
  ASSERT_EQ(dialogs.size(), 3u);
  struct Expected {
    const char* kind;
    std::string title, accept, cancel;
  };
  const Expected expected[] = {{"alert", shown.page_says, shown.ok, ""},
                               {"confirm", shown.page_says, shown.ok, shown.cancel},
                               {"before_unload", shown.leave_title, shown.leave, shown.stay}};
  for (std::size_t index = 0; index < dialogs.size(); ++index) {
    SCOPED_TRACE(expected[index].kind);
    EXPECT_EQ(TraceValue(dialogs[index], "kind"), expected[index].kind);
    EXPECT_EQ(TraceValue(dialogs[index], "title"), expected[index].title);
    EXPECT_EQ(TraceValue(dialogs[index], "accept_button"), expected[index].accept);
    EXPECT_EQ(TraceValue(dialogs[index], "cancel_button"), expected[index].cancel);
  }
  const std::wstring& text = *shown_text.text;
  EXPECT_NE(text.find(shown.error_heading), std::wstring::npos);
  EXPECT_NE(text.find(shown.error_detail), std::wstring::npos);
}

const ShownTexts kFrench = {"French from the shipped folder",
                            L"fr",
                            L"bin",
                            "Message de la page",
                            "OK",
                            "Annuler",
                            "Quitter cette page ?",
                            "Quitter",
                            "Rester",
                            L"Impossible d'afficher cette page",
                            L"Erreur -6 : fichier introuvable"};
const ShownTexts kEnglish = {"",
                             L"",
                             L"",
                             "The page says",
                             "OK",
                             "Cancel",
                             "Leave this page?",
                             "Leave",
                             "Stay",
                             L"This page cannot be shown",
                             L"Error -6: file not found"};

ShownTexts With(ShownTexts texts, const char* name, std::wstring locale, std::wstring folder) {
  texts.name = name;
  texts.locale = std::move(locale);
  texts.folder = std::move(folder);
  return texts;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DevEngineLocale,
    testing::Values(kFrench,
                    // The engine looks beside itself when the program names no folder.
                    With(kFrench, "French from the default folder", L"fr", L""),
                    With(kFrench, "French for a region without a file", L"fr-BE", L"bin"),
                    With(kEnglish, "English without a folder", L"fr", L"absent"),
                    With(kEnglish, "English for a locale without a file", L"de", L"bin"),
                    With(kEnglish, "English by default", L"", L"")),
    [](const testing::TestParamInfo<ShownTexts>& info) {
      std::string name;
      for (const char c : std::string_view(info.param.name)) {
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
      }
      return name;
    });

}  // namespace

int main(int argc, char** argv) { return RunAsRendererOrTests(argc, argv); }
