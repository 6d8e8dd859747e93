// The about box: Nimbra's name, the file version from the executable's own
// version resource, the maker's web address as a link, the logo and the
// credits. A plain window: it keeps its own captions in every language.
//
// Ownership: the main window creates it with no owner, shows it modally and
// destroys it when it closes. Main thread only.
#pragma once

#include <string>

#include "controls.h"
#include "forms.h"

// One string of the running executable's version resource, from the string
// table of its first translation; empty when the resource, its translation
// table or the key is missing.
std::wstring GetVersionInfo(const std::wstring& AIdent);
// The executable's "FileVersion" string.
std::wstring FileVersion();

class TFrmAbout : public TForm {
 public:
  TFrmAbout();

  TPanel PLogo{this};
  TImage ILogo{&PLogo};
  TLabel LTitle{this};
  TLabel LVersionTavo{this};
  TLabel VersionTavo{this};
  TLabel LURL{this};
  TMemo MCredits{this};
  TButton BClose{this};

  void FormShow(TComponent& Sender);
  void FormKeyUp(TComponent& Sender, WORD& Key, TShiftState Shift);
  void MCreditsKeyUp(TComponent& Sender, WORD& Key, TShiftState Shift);
  void LURLClick(TComponent& Sender);
  void BCloseClick(TComponent& Sender);
};
