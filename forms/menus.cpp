#include "menus.h"

#include "sysutils.h"

namespace {

void ClearMenu(HMENU menu) {
  // DeleteMenu destroys the pop-ups it removes.
  while (GetMenuItemCount(menu) > 0)
    if (!DeleteMenu(menu, 0, MF_BYPOSITION)) RaiseLastOSError();
}

template <class Visit>
TMenuItem* FindItem(const TMenuItem& item, const Visit& matches) {
  for (const auto& sub : item.Items()) {
    if (matches(*sub)) return sub.get();
    if (TMenuItem* found = FindItem(*sub, matches)) return found;
  }
  return nullptr;
}

}  // namespace

// ---- TMenuItem -----------------------------------------------------------------

TMenuItem::TMenuItem(std::wstring caption) {
  if (!caption.empty()) FCaption = std::move(caption);
}

TMenuItem::~TMenuItem() {
  if (FAction) FAction->RemoveClient(this);
}

TMenuItem& TMenuItem::Add(const std::wstring& caption) {
  auto item = std::make_unique<TMenuItem>(caption);
  item->FParent = this;
  TMenuItem& result = *item;
  FItems.push_back(std::move(item));
  if (FMenu) FMenu->Attach(result);
  Changed();
  return result;
}

std::wstring TMenuItem::Caption() const {
  if (FCaption) return *FCaption;
  return FAction ? FAction->Caption() : std::wstring();
}

TShortCut TMenuItem::ShortCut() const {
  if (FShortCut) return *FShortCut;
  return FAction ? FAction->ShortCut() : 0;
}

bool TMenuItem::Enabled() const {
  if (FEnabled) return *FEnabled;
  return FAction ? FAction->Enabled() : true;
}

bool TMenuItem::Visible() const {
  if (FVisible) return *FVisible;
  return FAction ? FAction->Visible() : true;
}

bool TMenuItem::Checked() const {
  if (FChecked) return *FChecked;
  return FAction ? FAction->Checked() : false;
}

void TMenuItem::SetCaption(const std::wstring& caption) {
  const std::wstring before = Caption();
  FCaption = caption;
  if (caption != before) Changed();
}

void TMenuItem::SetShortCut(TShortCut shortcut) {
  const TShortCut before = ShortCut();
  FShortCut = shortcut;
  if (shortcut != before) Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
  const bool before = Enabled();
  FEnabled = enabled;
  if (enabled != before) Changed();
}

void TMenuItem::SetVisible(bool visible) {
  const bool before = Visible();
  FVisible = visible;
  if (visible != before) Changed();
}

void TMenuItem::SetChecked(bool checked) {
  const bool before = Checked();
  FChecked = checked;
  if (checked != before) Changed();
}

void TMenuItem::SetAction(TAction* action) {
  if (action == FAction) return;
  if (FAction) FAction->RemoveClient(this);
  FAction = action;
  if (action) action->AddClient(this);
  Changed();
}

void TMenuItem::Click() {
  if (OnClick)
    OnClick(*this);
  else if (FAction)
    FAction->Execute();
}

void TMenuItem::ActionChanged(TAction&) { Changed(); }

void TMenuItem::ActionDestroyed(TAction& action) {
  if (FAction == &action) FAction = nullptr;
}

void TMenuItem::Changed() {
  if (!FMenu) return;
  // The bar shows the top-level entries, so it follows them at once; deeper
  // entries are filled in again whenever their pop-up opens.
  const TMenuItem* root = FMenu->FItems.get();
  if (this == root || FParent == root) FMenu->Rebuild();
}

// ---- TMenu ---------------------------------------------------------------------

TMenu::TMenu() : FItems(std::make_unique<TMenuItem>()) { Attach(*FItems); }

TMenu::~TMenu() = default;

void TMenu::Attach(TMenuItem& item) {
  // Win32 reports a chosen entry in 16 bits.
  if (FNextCommand > 0xFFFF) throw Exception(L"Too many menu entries");
  item.FMenu = this;
  item.FCommand = FNextCommand++;
  for (const auto& sub : item.FItems) Attach(*sub);
}

TMenuItem* TMenu::FindCommand(UINT command) const {
  if (command == 0) return nullptr;
  return FindItem(*FItems, [command](const TMenuItem& item) { return item.FCommand == command; });
}

void TMenu::Fill(HMENU menu, const TMenuItem& item) {
  for (const auto& sub : item.FItems) {
    if (!sub->Visible()) continue;
    std::wstring text = sub->Caption();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
    info.wID = sub->FCommand;
    if (text == L"-") {
      info.fType = MFT_SEPARATOR;
    } else {
      if (const std::wstring keys = ShortCutToText(sub->ShortCut()); !keys.empty())
        text += L"\t" + keys;
      info.fMask |= MIIM_STRING;
      info.fType = MFT_STRING;
      info.dwTypeData = text.data();
      info.fState =
          (sub->Enabled() ? MFS_ENABLED : MFS_GRAYED) | (sub->Checked() ? MFS_CHECKED : 0u);
    }
    TMenuHandle popup;
    if (!sub->FItems.empty()) {
      popup.reset(CreatePopupMenu());
      if (!popup) RaiseLastOSError();
      Fill(popup.get(), *sub);
      // WM_INITMENUPOPUP names the pop-up by handle: it carries its entry.
      MENUINFO menuInfo{};
      menuInfo.cbSize = sizeof menuInfo;
      menuInfo.fMask = MIM_MENUDATA;
      menuInfo.dwMenuData = reinterpret_cast<ULONG_PTR>(sub.get());
      SetMenuInfo(popup.get(), &menuInfo);
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = popup.get();
    }
    if (!InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info))
      RaiseLastOSError();
    popup.release();  // the menu owns it now
  }
}

bool TMenu::InitPopup(HMENU popup) {
  MENUINFO menuInfo{};
  menuInfo.cbSize = sizeof menuInfo;
  menuInfo.fMask = MIM_MENUDATA;
  if (!popup || !GetMenuInfo(popup, &menuInfo) || !menuInfo.dwMenuData) return false;
  // Only an entry of this tree is trusted, compared by address.
  const auto* wanted = reinterpret_cast<const TMenuItem*>(menuInfo.dwMenuData);
  TMenuItem* item = FindItem(*FItems, [wanted](const TMenuItem& i) { return &i == wanted; });
  if (!item) return false;
  ClearMenu(popup);
  Fill(popup, *item);
  return true;
}

// ---- TMainMenu -----------------------------------------------------------------

TMainMenu::~TMainMenu() {
  if (FForm) FForm->SetMenu(nullptr);
}

void TMainMenu::Rebuild() {
  if (!FForm && !FHandle) return;
  if (!FHandle) {
    FHandle.reset(CreateMenu());
    if (!FHandle) RaiseLastOSError();
  }
  ClearMenu(FHandle.get());
  Fill(FHandle.get(), Items());
  if (FForm && FForm->HandleAllocated() && GetMenu(FForm->Handle()) == FHandle.get())
    DrawMenuBar(FForm->Handle());
}

bool TMainMenu::IsShortCut(TShortCut key) {
  if (key == 0) return false;
  // Depth first in display order, hidden entries included: the first entry
  // carrying the key takes it.
  TMenuItem* item = FindItem(Items(), [key](const TMenuItem& i) { return i.ShortCut() == key; });
  if (!item) return false;
  // A disabled entry, or one in a disabled menu, keeps the key and does
  // nothing.
  for (const TMenuItem* p = item; p && p != &Items(); p = p->Parent())
    if (!p->Enabled()) return true;
  item->Click();
  return true;
}

// ---- TPopupMenu ----------------------------------------------------------------

TPopupMenu::TPopupMenu(TForm& owner) : FOwner(owner) {}

void TPopupMenu::Popup(int x, int y) {
  if (!FOwner.HandleAllocated()) throw Exception(L"The pop-up menu's form has no window");
  TMenuHandle menu(CreatePopupMenu());
  if (!menu) RaiseLastOSError();
  Fill(menu.get(), Items());
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x,
                     y, 0, FOwner.Handle(), nullptr));
  menu.reset();
  if (TMenuItem* item = FindCommand(command)) item->Click();
}
