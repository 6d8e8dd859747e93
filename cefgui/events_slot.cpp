#include "events_slot.h"

#include <algorithm>

TChromiumEventsSlot::TVisitor::TVisitor(TChromiumEventsSlot& slot) : Slot(slot), Events(nullptr) {
  const std::lock_guard lock(Slot.FLock);
  if (!Slot.FEvents) return;
  Events = Slot.FEvents.get();
  Slot.FVisitors.push_back(std::this_thread::get_id());
}

TChromiumEventsSlot::TVisitor::~TVisitor() {
  if (!Events) return;
  {
    const std::lock_guard lock(Slot.FLock);
    auto& visitors = Slot.FVisitors;
    visitors.erase(std::find(visitors.begin(), visitors.end(), std::this_thread::get_id()));
  }
  Slot.FVisitorLeft.notify_all();
}

void TChromiumEventsSlot::Detach() {
  std::unique_lock lock(FLock);
  FEvents.reset();
  const auto self = std::this_thread::get_id();
  FVisitorLeft.wait(lock, [&] {
    return std::all_of(FVisitors.begin(), FVisitors.end(),
                       [&](std::thread::id visitor) { return visitor == self; });
  });
}
