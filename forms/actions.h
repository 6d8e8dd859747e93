// The command table: commands with a caption, a shortcut, states, a glyph
// and handlers, shared by the menu entries and buttons bound to them.
//
// A form owns its TActionList and the list owns its commands. Update
// handlers run each time the application's message queue becomes empty
// (TApplication), never on a timer of their own. Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms.h"

class TAction;

// Told when a command's caption, states or glyph changed, and when the
// command goes, so that the client lets go of it.
class IActionClient {
 public:
  virtual void ActionChanged(TAction& action) = 0;
  virtual void ActionDestroyed(TAction& action) = 0;

 protected:
  ~IActionClient() = default;
};

class TAction : public TComponent {
 public:
  TAction() = default;
  ~TAction() override;
  TAction(const TAction&) = delete;
  TAction& operator=(const TAction&) = delete;

  const std::wstring& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::wstring& caption);
  TShortCut ShortCut() const noexcept { return FShortCut; }
  void SetShortCut(TShortCut shortcut);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool enabled);
  bool Checked() const noexcept { return FChecked; }
  void SetChecked(bool checked);
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool visible);
  // Index into the image list of the controls that show the command; -1 none.
  int ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(int index);

  // Runs OnExecute when the command is enabled; answers whether it ran.
  bool Execute();
  // Runs OnUpdate; answers whether there is one.
  bool Update();

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  void AddClient(IActionClient* client);
  void RemoveClient(IActionClient* client);

 private:
  void Changed();

  std::wstring FCaption;
  TShortCut FShortCut = 0;
  bool FEnabled = true;
  bool FChecked = false;
  bool FVisible = true;
  int FImageIndex = -1;
  std::vector<IActionClient*> FClients;
};

class TActionList : public TComponent {
 public:
  // Registers itself with its form, whose keys and idle updates it joins.
  explicit TActionList(TForm& owner);
  ~TActionList() override;

  TAction& Add();
  const std::vector<std::unique_ptr<TAction>>& Actions() const noexcept { return FActions; }
  // Runs the update handler of every command.
  void UpdateActions();
  // The first command carrying the key takes it and runs when enabled;
  // answers whether one carried it.
  bool IsShortCut(TShortCut key);

 private:
  TForm& FOwner;
  std::vector<std::unique_ptr<TAction>> FActions;
};
