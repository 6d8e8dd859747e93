// Callbacks that outlive neither their owner's wish nor its life: each holds
// a weak reference to the owner, and does nothing (answering a default
// value) once the owner is gone.
#ifndef NIMBRA_DEVENGINE_BROWSER_WEAK_OWNER_H
#define NIMBRA_DEVENGINE_BROWSER_WEAK_OWNER_H

#include <memory>
#include <type_traits>
#include <utility>

namespace devengine::browser {

// Calls `work(owner, arguments...)` while the owner lives.
template <class Owner, class Work>
auto WhileAlive(std::weak_ptr<Owner> weak, Work work) {
  return [weak = std::move(weak), work = std::move(work)](auto&&... arguments) {
    using Result = std::invoke_result_t<const Work&, Owner&, decltype(arguments)...>;
    if (const std::shared_ptr<Owner> owner = weak.lock())
      return work(*owner, std::forward<decltype(arguments)>(arguments)...);
    return Result();
  };
}

// Calls the owner's `Method` with `bound...` followed by the call's own
// arguments, while the owner lives.
template <auto Method, class Owner, class... Bound>
auto BindWeak(std::weak_ptr<Owner> weak, Bound... bound) {
  return WhileAlive(
      std::move(weak), [... bound = std::move(bound)](Owner& owner, auto&&... arguments) {
        return (owner.*Method)(bound..., std::forward<decltype(arguments)>(arguments)...);
      });
}

}  // namespace devengine::browser

#endif
