#include "skin_settings.h"

TSkinManager MainSkinManager() {
  TSkinManager manager;
  manager.InternalSkins = {L"MacMetal (internal)", L"Beijing (internal)", L"WLM (internal)"};
  manager.SkinName = L"Beijing (internal)";
  manager.SkinDirectory = L"c:\\Skins";
  manager.ExtendedBorders = true;
  manager.MenuIconLineSection = L"ICOLINE";
  manager.MenuExtraLineFont = {L"Tahoma", -11};
  manager.SkinnedControlKinds = {
      L"edit boxes", L"buttons",     L"check boxes",  L"group boxes",  L"list views",
      L"panels",     L"grids",       L"tree views",   L"combo boxes",  L"page and tab controls",
      L"tool bars",  L"status bars", L"tool buttons", L"scroll boxes", L"spin buttons",
      L"scroll bars"};
  return manager;
}

TSkinProvider MainSkinProvider() { return {L"FORM", false}; }
