#include "mo_en.h"

#include "FormLocal.h"

void FillEnglish() {
  LocaleStrings = Tlocalestrings{
      .MenuPrint = L"Print",
      .MenuExit = L"Exit",
      .MenuFile = L"File",
      .MenuGetSource = L"Get Source",
      .MenuZoomIn = L"Zoom In",
      .MenuZoomOut = L"Zoom Out",
      .MenuZoomReset = L"Zoom Reset",
      .MenuShowDevTools = L"DevTools",
      .MenuOptions = L"Options",
      .MenuHelp = L"Help",
      .MenuRefresh = L"Refresh",
      .MSave = L"Save as...",
      .MenuDocumentation = L"Documentation",
      .MenuGoogleGroup = L"Vonel Google group",
      .MenuAbout = L"About ",
      .M_OpenImageNewWindow = L"Open in a new window",
      .M_CopyImage = L"Copy ",
      .M_CopyImageURL = L"Copy Url",
      .M_SaveImageAs = L"Save as...",
      .NewTab = L"Open in a new window",
      .MenuOpenLink = L"Open in a new window",
      .MenuNewPage = L"New Page",
      .Title = L"Nimbra",
      .AutoLocale = L"(Auto-sélection)",
      .AboutFormCaption = L"About Nimbra",
      .AboutFormClose = L"Close",
      .AboutVersion = L"Nimbra version:",
  };
}

void mo_enInitialization() { RegisterLanguage(L"English", FillEnglish, 9, 0); }
