#include "FormLocal.h"

#include "application.h"

std::vector<TLocale> Languages;
std::int32_t CurrentLanguage = -1;
std::uint8_t CurrentCharset = 0;
Tlocalestrings LocaleStrings;

void RegisterLanguage(const std::wstring& Name, proc Func, std::int32_t LangID,
                      std::uint8_t Charset) {
  Languages.push_back(TLocale{Name, Func, LangID, Charset});
}

std::int32_t LanguageForLocale(LCID lcid) {
  // The low ten bits are the primary language, so every sublanguage of a
  // language (French of France, of Canada, …) selects it.
  const std::int32_t primary = static_cast<std::int32_t>(lcid & 0x3FF);
  for (std::size_t i = 0; i < Languages.size(); ++i)
    if (Languages[i].LangID == primary) return static_cast<std::int32_t>(i);
  return 0;
}

void ActivateLanguage(std::int32_t Index) {
  if (Index == -1) Index = LanguageForLocale(GetUserDefaultLCID());
  if (Index < 0 || static_cast<std::size_t>(Index) >= Languages.size()) return;

  const TLocale& language = Languages[static_cast<std::size_t>(Index)];
  CurrentLanguage = Index;
  CurrentCharset = language.Charset;
  if (language.Func) language.Func();
  Application.SetTitle(LocaleStrings.Title);

  // The main form relabels at once even while hidden: its menus are in use
  // whether or not it is on screen.
  TForm* mainForm = Application.MainForm();
  if (auto* main = dynamic_cast<TFormlocal*>(mainForm)) main->DoLocalize();
  // By index: a relabelling window may create or destroy others.
  const std::vector<TForm*>& forms = Application.Forms();
  for (std::size_t i = 0; i < forms.size(); ++i) {
    if (forms[i] == mainForm) continue;
    if (auto* form = dynamic_cast<TFormlocal*>(forms[i])) form->NotifyLocalize();
  }
}

void TFormlocal::DoLocalize() { localized = true; }

void TFormlocal::NotifyLocalize() {
  if (Showing())
    DoLocalize();
  else
    localized = false;
}

void TFormlocal::DoShow() {
  if (!localized) DoLocalize();
  TForm::DoShow();
}

void FormLocalInitialization() {
  Languages.clear();
  CurrentLanguage = -1;
}

void FormLocalFinalization() {
  Languages.clear();
  LocaleStrings = Tlocalestrings{};
  // No language is active once the list is gone.
  CurrentLanguage = -1;
}
