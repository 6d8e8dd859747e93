#include "dialogs.h"

#include <commdlg.h>

#include <vector>

bool TSavePictureDialog::Execute(HWND owner) {
  // The common dialog takes the filter as NUL-separated pairs ending in two
  // NULs.
  std::wstring filter = Filter;
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.append(2, L'\0');

  std::vector<wchar_t> file(32768, L'\0');
  FileName.copy(file.data(), file.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  dialog.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                 (OverwritePrompt ? OFN_OVERWRITEPROMPT : 0);
  if (!GetSaveFileNameW(&dialog)) return false;
  FileName = file.data();
  return true;
}
