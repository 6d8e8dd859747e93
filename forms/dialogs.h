// The common save dialog for pictures.
#pragma once

#include <string>

#include "forms.h"

class TSavePictureDialog : public TComponent {
 public:
  std::wstring FileName;
  // Pairs of description and patterns, as the common dialog takes them:
  // "Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*".
  std::wstring Filter = L"All files (*.*)|*.*";
  std::wstring DefaultExt;
  std::wstring Title;
  // Ask before replacing an existing file (off by default).
  bool OverwritePrompt = false;

  // Shows the dialog owned by `owner`; true when the user chose a file
  // (FileName then holds it).
  bool Execute(HWND owner);
};
