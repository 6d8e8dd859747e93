#include "actions.h"

#include <algorithm>
#include <utility>

TAction::~TAction() {
  // Clients let go of the command; one may remove itself meanwhile.
  const std::vector<IActionClient*> clients = std::exchange(FClients, {});
  for (IActionClient* client : clients) client->ActionDestroyed(*this);
}

void TAction::SetCaption(const std::wstring& caption) {
  if (caption == FCaption) return;
  FCaption = caption;
  Changed();
}

void TAction::SetShortCut(TShortCut shortcut) {
  if (shortcut == FShortCut) return;
  FShortCut = shortcut;
  Changed();
}

void TAction::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  Changed();
}

void TAction::SetChecked(bool checked) {
  if (checked == FChecked) return;
  FChecked = checked;
  Changed();
}

void TAction::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  Changed();
}

void TAction::SetImageIndex(int index) {
  if (index == FImageIndex) return;
  FImageIndex = index;
  Changed();
}

bool TAction::Execute() {
  if (!FEnabled || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

bool TAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(*this);
  return true;
}

void TAction::AddClient(IActionClient* client) {
  if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end())
    FClients.push_back(client);
}

void TAction::RemoveClient(IActionClient* client) { std::erase(FClients, client); }

void TAction::Changed() {
  // Only real changes get here, so an idle update that changes nothing
  // costs no redrawing.
  const std::vector<IActionClient*> clients = FClients;
  for (IActionClient* client : clients)
    if (std::find(FClients.begin(), FClients.end(), client) != FClients.end())
      client->ActionChanged(*this);
}

TActionList::TActionList(TForm& owner) : FOwner(owner) { FOwner.AddActionList(this); }

TActionList::~TActionList() { FOwner.RemoveActionList(this); }

TAction& TActionList::Add() {
  FActions.push_back(std::make_unique<TAction>());
  return *FActions.back();
}

void TActionList::UpdateActions() {
  for (size_t i = 0; i < FActions.size(); ++i) FActions[i]->Update();
}

bool TActionList::IsShortCut(TShortCut key) {
  if (key == 0) return false;
  for (size_t i = 0; i < FActions.size(); ++i) {
    TAction& action = *FActions[i];
    if (action.ShortCut() != key) continue;
    action.Execute();
    return true;
  }
  return false;
}
