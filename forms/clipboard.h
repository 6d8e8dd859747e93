// The system clipboard.
#pragma once

#include <string>

#include "controls.h"

class TClipboard {
 public:
  // Replaces the clipboard's contents with text; raises EOSError on failure.
  void SetAsText(const std::wstring& text);
  // The clipboard's text, or empty.
  std::wstring AsText() const;
  // Replaces the clipboard's contents with a copy of the picture's bitmap, as a
  // device-independent bitmap and as a bitmap; an empty picture leaves the
  // clipboard empty.
  void Assign(const TPicture& picture);
  bool HasFormat(UINT format) const;
};

TClipboard& Clipboard();
