// The one place through which a client and its twelve handlers reach the
// control's event face.
//
// The client creates the slot and shares it with every handler it creates;
// the engine may keep a handler long after the control is gone, so no handler
// holds the face itself. Detach empties the slot: later forwards answer the
// engine's default. Forwards run on whichever thread the engine uses, so
// Detach also waits until forwards already inside the face on other threads
// have left it; afterwards the control can be destroyed safely. A forward on
// the detaching thread itself (an event that destroys its own control) is not
// waited for.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "chromium_events.h"

class TChromiumEventsSlot {
 public:
  explicit TChromiumEventsSlot(IChromiumEvents* events) : FEvents(events) {}
  TChromiumEventsSlot(const TChromiumEventsSlot&) = delete;
  TChromiumEventsSlot& operator=(const TChromiumEventsSlot&) = delete;

  // Runs `visit` with the face while attached; answers `fallback` otherwise.
  template <class R, class Fn>
  R Visit(R fallback, Fn&& visit) {
    TVisitor visitor(*this);
    if (!visitor.Events) return fallback;
    return visit(*visitor.Events);
  }

  // One operation of the face with the handler's arguments, unchanged; the
  // default answer (false, none, by-reference values untouched) when detached.
  template <class R, class... P, class... A>
  R Forward(R (IChromiumEvents::*operation)(P...), A&&... args) {
    TVisitor visitor(*this);
    if (!visitor.Events) return R();
    return (visitor.Events->*operation)(std::forward<A>(args)...);
  }

  void Detach();

 private:
  // A forward in progress: counted while it is inside the face.
  struct TVisitor {
    explicit TVisitor(TChromiumEventsSlot& slot);
    ~TVisitor();
    TVisitor(const TVisitor&) = delete;
    TVisitor& operator=(const TVisitor&) = delete;
    TChromiumEventsSlot& Slot;
    IChromiumEvents* Events;
  };

  std::mutex FLock;
  std::condition_variable FVisitorLeft;
  TInterfacePtr<IChromiumEvents> FEvents;
  std::vector<std::thread::id> FVisitors;  // one entry per forward inside the face
};

using TChromiumEventsLink = std::shared_ptr<TChromiumEventsSlot>;
