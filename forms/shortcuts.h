// Keyboard shortcuts in the framework's usual encoding: the virtual-key code
// in the low byte, plus 0x2000 for Shift, 0x4000 for Ctrl and 0x8000 for Alt
// (16467 is Ctrl+S, 123 is F12). Zero is no shortcut.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

using TShortCut = std::uint16_t;

enum TShiftKind : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

constexpr TShortCut ShortCut(WORD key, TShiftState shift) {
  return static_cast<TShortCut>((key & 0xFF) | ((shift & ssShift) ? scShift : 0) |
                                ((shift & ssCtrl) ? scCtrl : 0) | ((shift & ssAlt) ? scAlt : 0));
}

// The modifier keys held now, as the keyboard state says.
TShiftState KeyboardShiftState();

// How a menu shows a shortcut: "Ctrl+S", "F12", "Shift+Alt+Del"; empty for 0.
std::wstring ShortCutToText(TShortCut shortcut);
