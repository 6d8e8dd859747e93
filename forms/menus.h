// Menus from a model of our own, shown as real Win32 menus.
//
// A TMenuItem has a caption, a shortcut, enabled, visible and checked states
// and either a click handler or a bound command (TAction). Bound to a
// command, an entry shows the command's caption, shortcut and states unless
// it has set its own; clicking it executes the command. Hidden entries exist
// in the model but not on screen. Items own their sub-items; TMainMenu and
// TPopupMenu own their root item. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions.h"
#include "winhandle.h"

class TMenu;

class TMenuItem : public TComponent, private IActionClient {
 public:
  explicit TMenuItem(std::wstring caption = {});
  ~TMenuItem() override;
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  // Appends a sub-item and answers it.
  TMenuItem& Add(const std::wstring& caption = {});
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const noexcept { return FItems; }
  TMenuItem* Parent() const noexcept { return FParent; }

  // The values shown: the entry's own, else its command's.
  std::wstring Caption() const;
  TShortCut ShortCut() const;
  bool Enabled() const;
  bool Visible() const;
  bool Checked() const;
  void SetCaption(const std::wstring& caption);
  void SetShortCut(TShortCut shortcut);
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);
  void SetChecked(bool checked);

  TAction* Action() const noexcept { return FAction; }
  void SetAction(TAction* action);
  TNotifyEvent OnClick;

  // What choosing the entry does: OnClick when set, else its command's
  // Execute.
  void Click();

 private:
  friend class TMenu;
  void ActionChanged(TAction& action) override;
  void ActionDestroyed(TAction& action) override;
  void Changed();

  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // the menu the tree belongs to, for redrawing
  std::vector<std::unique_ptr<TMenuItem>> FItems;
  std::optional<std::wstring> FCaption;
  std::optional<TShortCut> FShortCut;
  std::optional<bool> FEnabled;
  std::optional<bool> FVisible;
  std::optional<bool> FChecked;
  TAction* FAction = nullptr;
  UINT FCommand = 0;  // the Win32 command identifier of the entry
};

// A tree of entries with its Win32 menu.
class TMenu : public TComponent {
 public:
  TMenu();
  ~TMenu() override;
  TMenuItem& Items() noexcept { return *FItems; }
  // The entry a Win32 command identifier names, or null.
  TMenuItem* FindCommand(UINT command) const;
  // Refreshes the Win32 menu after the model changed.
  virtual void Rebuild() = 0;
  // Fills a Win32 pop-up of this menu again from the model just before it
  // opens (WM_INITMENUPOPUP); answers false for a pop-up of another menu.
  bool InitPopup(HMENU popup);

 protected:
  // Fills `menu` with the visible sub-items of `item`, recursively.
  void Fill(HMENU menu, const TMenuItem& item);

 private:
  friend class TMenuItem;
  void Attach(TMenuItem& item);
  std::unique_ptr<TMenuItem> FItems;
  UINT FNextCommand = 1;
};

// The menu bar of a form (TForm::SetMenu).
class TMainMenu : public TMenu {
 public:
  // Leaves its form's menu bar first.
  ~TMainMenu() override;
  HMENU Handle() const noexcept { return FHandle.get(); }
  void Rebuild() override;
  // The first entry carrying the key, depth first in display order, hidden
  // entries included: it runs when it and its menus are enabled; answers
  // whether an entry carried the key.
  bool IsShortCut(TShortCut key);

 private:
  friend class TForm;
  TForm* FForm = nullptr;
  TMenuHandle FHandle;
};

// A menu shown at a point of the screen.
class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TForm& owner);
  void Rebuild() override {}
  // Shows the menu at screen coordinates (x, y) and runs the chosen entry;
  // answers when the menu has closed.
  void Popup(int x, int y);

 private:
  TForm& FOwner;
};
