#include "mo_fr.h"

#include "FormLocal.h"

void FillFrench() {
  LocaleStrings = Tlocalestrings{
      .MenuPrint = L"Imprimer",
      .MenuExit = L"Quitter",
      .MenuFile = L"Fichier",
      .MenuGetSource = L"Source de la page",
      .MenuZoomIn = L"Zoom +",
      .MenuZoomOut = L"Zoom -",
      .MenuZoomReset = L"Zoom Reset",
      .MenuShowDevTools = L"DevTools",
      .MenuOptions = L"Options",
      .MenuHelp = L"Aide",
      .MenuRefresh = L"Actualiser",
      .MSave = L"Enregistrer sous...",
      .MenuDocumentation = L"Documentation",
      .MenuGoogleGroup = L"Vonel Google group",
      .MenuAbout = L"A Propos ",
      .M_OpenImageNewWindow = L"Ouvrir l'image dans une nouvelle fenêtre",
      .M_CopyImage = L"Copier l'image ",
      .M_CopyImageURL = L"Copier l'adresse de l'image",
      .M_SaveImageAs = L"Enregistrer l'image sous...",
      .NewTab = L"Ouvrir le lien dans une nouvelle fenêtre",
      .MenuOpenLink = L"Ouvrir le lien dans une nouvelle fenêtre",
      .MenuNewPage = L"Nouvelle fenêtre",
      .Title = L"Nimbra",
      .AutoLocale = L"(Auto-sélection)",
      .AboutFormCaption = L"À propos de Nimbra",
      .AboutFormClose = L"Fermer",
      .AboutVersion = L"Nimbra version:",
  };
}

void mo_frInitialization() { RegisterLanguage(L"Français", FillFrench, 12, 1); }
