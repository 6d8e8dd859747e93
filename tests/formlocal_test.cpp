// The user interface's languages: the automatic choice, the two tables, and
// when windows relabel themselves.
#include "FormLocal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "application.h"
#include "mo_en.h"
#include "mo_fr.h"
#include "sysutils.h"
#include "test_support.h"

namespace {

// Every field of the record, in its order.
constexpr std::wstring Tlocalestrings::*kFields[] = {
    &Tlocalestrings::MenuPrint,
    &Tlocalestrings::MenuExit,
    &Tlocalestrings::MenuFile,
    &Tlocalestrings::MenuGetSource,
    &Tlocalestrings::MenuZoomIn,
    &Tlocalestrings::MenuZoomOut,
    &Tlocalestrings::MenuZoomReset,
    &Tlocalestrings::MenuShowDevTools,
    &Tlocalestrings::MenuOptions,
    &Tlocalestrings::MenuHelp,
    &Tlocalestrings::MenuRefresh,
    &Tlocalestrings::MSave,
    &Tlocalestrings::MenuDocumentation,
    &Tlocalestrings::MenuGoogleGroup,
    &Tlocalestrings::MenuAbout,
    &Tlocalestrings::M_OpenImageNewWindow,
    &Tlocalestrings::M_CopyImage,
    &Tlocalestrings::M_CopyImageURL,
    &Tlocalestrings::M_SaveImageAs,
    &Tlocalestrings::NewTab,
    &Tlocalestrings::MenuOpenLink,
    &Tlocalestrings::MenuNewPage,
    &Tlocalestrings::Title,
    &Tlocalestrings::AutoLocale,
    &Tlocalestrings::AboutFormCaption,
    &Tlocalestrings::AboutFormClose,
    &Tlocalestrings::AboutVersion,
};
static_assert(std::size(kFields) == 27);
static_assert(sizeof(Tlocalestrings) == 27 * sizeof(std::wstring));

// A window that takes its caption from the File menu's text and counts its
// relabellings.
class TCountingForm : public TFormlocal {
 public:
  TCountingForm() {
    CreateForm(L"layout", 200, 100);
    Loaded();
  }
  void DoLocalize() override {
    TFormlocal::DoLocalize();
    ++Relabelled;
    SetCaption(LocaleStrings.MenuFile);
  }
  int Relabelled = 0;
};

// The process's modules as the entry routine starts them.
class FormLocalTest : public testing::Test {
 protected:
  void SetUp() override {
    FormLocalInitialization();
    mo_enInitialization();
    mo_frInitialization();
    Application.SetTitle(L"before");
  }
  void TearDown() override { FormLocalFinalization(); }
};

TEST_F(FormLocalTest, RegistersEnglishThenFrench) {
  ASSERT_EQ(Languages.size(), 2u);
  EXPECT_EQ(Languages[0].Name, L"English");
  EXPECT_EQ(Languages[0].Func, &FillEnglish);
  EXPECT_EQ(Languages[0].LangID, 9);
  EXPECT_EQ(Languages[0].Charset, 0);
  EXPECT_EQ(Languages[1].Name, L"Fran\u00e7ais");
  EXPECT_EQ(Languages[1].Func, &FillFrench);
  EXPECT_EQ(Languages[1].LangID, 12);
  EXPECT_EQ(Languages[1].Charset, 1);
  EXPECT_EQ(CurrentLanguage, -1);
}

TEST_F(FormLocalTest, EverySublanguageSelectsItsLanguageAndOthersFallBackToEnglish) {
  const struct {
    LCID locale;
    std::int32_t language;
  } cases[] = {{0x040C, 1}, {0x0C0C, 1}, {0x100C, 1}, {0x0409, 0},
               {0x0809, 0}, {0x0407, 0}, {0x0411, 0}};
  for (const auto& c : cases) EXPECT_EQ(LanguageForLocale(c.locale), c.language) << c.locale;
}

TEST_F(FormLocalTest, EachLanguageAssignsEveryText) {
  for (const std::int32_t language : {1, 0, 1}) {
    for (auto field : kFields) LocaleStrings.*field = L"\x1";
    ActivateLanguage(language);
    EXPECT_EQ(CurrentLanguage, language);
    EXPECT_EQ(CurrentCharset, Languages[static_cast<std::size_t>(language)].Charset);
    for (std::size_t i = 0; i < std::size(kFields); ++i)
      EXPECT_NE(LocaleStrings.*kFields[i], L"\x1") << "language " << language << ", field " << i;
    EXPECT_EQ(Application.Title(), L"Nimbra");
  }
}

TEST_F(FormLocalTest, SwitchingLanguagesReplacesEveryText) {
  ActivateLanguage(0);
  const Tlocalestrings english = LocaleStrings;
  EXPECT_EQ(english.MenuFile, L"File");
  EXPECT_EQ(english.MenuAbout, L"About ");
  EXPECT_EQ(english.M_CopyImage, L"Copy ");
  EXPECT_EQ(english.AutoLocale, L"(Auto-s\u00e9lection)");

  ActivateLanguage(1);
  EXPECT_EQ(LocaleStrings.MenuFile, L"Fichier");
  EXPECT_EQ(LocaleStrings.MenuAbout, L"A Propos ");
  EXPECT_EQ(LocaleStrings.M_CopyImage, L"Copier l'image ");
  EXPECT_EQ(LocaleStrings.NewTab, L"Ouvrir le lien dans une nouvelle fen\u00eatre");
  EXPECT_EQ(LocaleStrings.AboutFormCaption, L"\u00c0 propos de Nimbra");

  ActivateLanguage(0);
  for (std::size_t i = 0; i < std::size(kFields); ++i)
    EXPECT_EQ(LocaleStrings.*kFields[i], english.*kFields[i]) << "field " << i;
}

TEST_F(FormLocalTest, AnIndexOutsideTheListChangesNothing) {
  TCountingForm shown;
  shown.Show();
  ActivateLanguage(1);
  Application.SetTitle(L"before");
  const int relabelled = shown.Relabelled;
  for (const std::int32_t index : {2, -2, 100}) {
    ActivateLanguage(index);
    EXPECT_EQ(CurrentLanguage, 1) << index;
    EXPECT_EQ(LocaleStrings.MenuFile, L"Fichier") << index;
    EXPECT_EQ(Application.Title(), L"before") << index;
    EXPECT_EQ(shown.Relabelled, relabelled) << index;
  }
}

TEST_F(FormLocalTest, TheAutomaticChoiceWithNoLanguageChangesNothing) {
  FormLocalInitialization();
  ActivateLanguage(-1);
  EXPECT_EQ(CurrentLanguage, -1);
  EXPECT_EQ(Application.Title(), L"before");
  EXPECT_EQ(LocaleStrings.Title, L"");
}

TEST_F(FormLocalTest, AHiddenWindowRelabelsWhenShownAVisibleOneAtOnce) {
  TCountingForm visible;
  TCountingForm hidden;
  visible.Show();
  ActivateLanguage(0);
  EXPECT_EQ(visible.Caption(), L"File");
  EXPECT_EQ(hidden.Caption(), L"layout");
  EXPECT_FALSE(hidden.Localized());

  hidden.Show();
  EXPECT_EQ(hidden.Caption(), L"File");
  hidden.Hide();

  ActivateLanguage(1);
  EXPECT_EQ(visible.Caption(), L"Fichier");
  EXPECT_EQ(hidden.Caption(), L"File");
  EXPECT_FALSE(hidden.Localized());
  hidden.Show();
  EXPECT_EQ(hidden.Caption(), L"Fichier");
  EXPECT_EQ(hidden.Relabelled, 2);

  // Showing again without a change of language relabels nothing.
  hidden.Hide();
  hidden.Show();
  EXPECT_EQ(hidden.Relabelled, 2);
}

// A main window that chooses its language while it is being constructed, as
// the program's main window does.
class TActivatingForm : public TCountingForm {
 public:
  TActivatingForm() { ActivateLanguage(0); }
};

TEST_F(FormLocalTest, TheMainWindowRelabelsAtOnceEvenHidden) {
  ASSERT_EQ(Application.MainForm(), nullptr);
  TActivatingForm& main = Application.CreateForm<TActivatingForm>();
  ASSERT_EQ(Application.MainForm(), &main);
  // Not yet the main window while it was constructed: left to its showing.
  EXPECT_EQ(main.Relabelled, 0);
  EXPECT_EQ(Application.Title(), L"Nimbra");

  ActivateLanguage(1);
  EXPECT_FALSE(main.Showing());
  EXPECT_EQ(main.Caption(), L"Fichier");
  EXPECT_EQ(main.Relabelled, 1);
  Application.DestroyForms();
}

}  // namespace

int main(int argc, char** argv) {
  Application.Initialize();
  // The modules as the program starts them, then the automatic choice in the
  // user locale the environment gives this process; the build's tests read
  // the language it reports.
  if (argc == 2 && std::strcmp(argv[1], "--activate-automatically") == 0) {
    FormLocalInitialization();
    mo_enInitialization();
    mo_frInitialization();
    ActivateLanguage(-1);
    std::printf("chosen language: %d\n", static_cast<int>(CurrentLanguage));
    FormLocalFinalization();
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
