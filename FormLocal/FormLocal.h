// The user interface's languages: the list of registered languages, the one
// shared record of translatable texts, the activation of a language and the
// base of windows that relabel themselves from that record.
//
// Ownership: this module owns Languages and LocaleStrings for the whole life
// of the process; the language modules (mo_en, mo_fr) register themselves at
// module initialisation. Everything here runs on the main thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms.h"

// Fills LocaleStrings with one language's texts.
using proc = void (*)();

// One registered language.
struct TLocale {
  std::wstring Name;         // its own name, for display
  proc Func = nullptr;       // fills LocaleStrings
  std::int32_t LangID = 0;   // the primary language identifier that selects it
  std::uint8_t Charset = 0;  // its font character set
};

// Every translatable text of the program. A fill procedure assigns all of
// them, so activating a language leaves nothing of the previous one.
struct Tlocalestrings {
  std::wstring MenuPrint;
  std::wstring MenuExit;
  std::wstring MenuFile;
  std::wstring MenuGetSource;
  std::wstring MenuZoomIn;
  std::wstring MenuZoomOut;
  std::wstring MenuZoomReset;
  std::wstring MenuShowDevTools;
  std::wstring MenuOptions;
  std::wstring MenuHelp;
  std::wstring MenuRefresh;
  std::wstring MSave;
  std::wstring MenuDocumentation;
  std::wstring MenuGoogleGroup;
  std::wstring MenuAbout;
  std::wstring M_OpenImageNewWindow;
  std::wstring M_CopyImage;
  std::wstring M_CopyImageURL;
  std::wstring M_SaveImageAs;
  std::wstring NewTab;
  std::wstring MenuOpenLink;
  std::wstring MenuNewPage;
  std::wstring Title;
  std::wstring AutoLocale;
  std::wstring AboutFormCaption;
  std::wstring AboutFormClose;
  std::wstring AboutVersion;
};

// Registered languages in registration order; a language's index is its
// position.
extern std::vector<TLocale> Languages;
// Index of the active language; -1 until one has been activated.
extern std::int32_t CurrentLanguage;
extern std::uint8_t CurrentCharset;
// The active language's texts; empty until a language is activated.
extern Tlocalestrings LocaleStrings;

// Appends a language to Languages. Duplicates are not checked.
void RegisterLanguage(const std::wstring& Name, proc Func, std::int32_t LangID,
                      std::uint8_t Charset);

// The language the automatic choice takes for a user locale: the first
// registered language whose LangID is the locale's primary language (its low
// ten bits), or 0 when none is.
std::int32_t LanguageForLocale(LCID lcid);

// Makes language Index current, fills LocaleStrings, sets the application's
// title and relabels the windows: the main form at once, every other
// TFormlocal at once when visible, otherwise when it is next shown. -1 picks
// the language from the user's default locale. An index outside Languages
// changes nothing.
void ActivateLanguage(std::int32_t Index);

// A window whose texts follow the active language. Derived windows override
// DoLocalize, call the base first and then copy LocaleStrings' fields into
// their controls.
class TFormlocal : public TForm {
 public:
  TFormlocal() = default;
  ~TFormlocal() override = default;

  virtual void DoLocalize();
  // Relabels now when visible; otherwise leaves it to the next showing.
  void NotifyLocalize();
  // Whether the window's texts match the active language.
  bool Localized() const noexcept { return localized; }

 protected:
  void DoShow() override;

  bool localized = false;
};

// Module initialisation and finalisation, called by the entry routine in the
// run-time's module order.
void FormLocalInitialization();
void FormLocalFinalization();
