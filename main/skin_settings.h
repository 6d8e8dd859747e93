// The skinning configuration stored with the main window's layout. Nimbra
// has no skinning engine: the window is drawn by the system's own controls
// and visual styles. The configuration is kept as data so that the layout
// stays whole; nothing reads it to draw.
#pragma once

#include <string>
#include <vector>

struct TSkinFont {
  std::wstring Name;
  int Height = 0;
};

struct TSkinManager {
  // Skins stored inside the layout, and the active one.
  std::vector<std::wstring> InternalSkins;
  std::wstring SkinName;
  std::wstring SkinDirectory;
  bool ExtendedBorders = false;
  std::wstring MenuIconLineSection;
  TSkinFont MenuExtraLineFont;
  // Standard control kinds taken over, by role.
  std::vector<std::wstring> SkinnedControlKinds;
};

struct TSkinProvider {
  std::wstring SkinSection;
  bool AddedTitleButtons = false;
};

// The main window's configuration.
TSkinManager MainSkinManager();
TSkinProvider MainSkinProvider();
