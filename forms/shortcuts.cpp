#include "shortcuts.h"

#include <iterator>

namespace {

struct TKeyName {
  WORD Key;
  const wchar_t* Name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},        {VK_RETURN, L"Enter"},  {VK_ESCAPE, L"Esc"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"},     {VK_NEXT, L"PgDn"},     {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},      {VK_UP, L"Up"},         {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"},     {VK_DELETE, L"Del"},    {VK_MULTIPLY, L"Num *"},
    {VK_ADD, L"Num +"},   {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num ."}, {VK_DIVIDE, L"Num /"},
};

std::wstring KeyName(WORD key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::wstring(1, key);
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return L"Num " + std::to_wstring(key - VK_NUMPAD0);
  for (const TKeyName& name : kKeyNames)
    if (name.Key == key) return name.Name;
  // Punctuation keys: the character the keyboard layout gives them.
  if (const UINT ch = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0x7FFF; ch >= L' ')
    return std::wstring(1, static_cast<wchar_t>(ch));
  wchar_t text[64] = {};
  const LONG scan = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
  if (scan && GetKeyNameTextW(scan, text, static_cast<int>(std::size(text))) > 0) return text;
  return std::wstring();
}

}  // namespace

TShiftState KeyboardShiftState() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

std::wstring ShortCutToText(TShortCut shortcut) {
  const std::wstring name = KeyName(shortcut & 0xFF);
  if (name.empty()) return std::wstring();
  std::wstring text;
  if (shortcut & scShift) text += L"Shift+";
  if (shortcut & scCtrl) text += L"Ctrl+";
  if (shortcut & scAlt) text += L"Alt+";
  return text + name;
}
