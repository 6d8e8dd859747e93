// How much of the native stack the interpreter may use. Parsing and
// evaluation recurse with the nesting of the script, so both check the
// budget and stop with a script error long before the thread's stack ends.
#ifndef NIMBRA_DEVENGINE_SCRIPT_STACK_BUDGET_H
#define NIMBRA_DEVENGINE_SCRIPT_STACK_BUDGET_H

#include <cstddef>
#include <cstdint>

namespace devengine::script {

// The stack grows downwards on every target we build for.
class StackBudget {
 public:
  StackBudget() = default;
  explicit StackBudget(std::size_t bytes) {
    const std::uintptr_t here = Here();
    floor_ = here > bytes ? here - bytes : 0;
  }
  [[gnu::noinline]] bool Exhausted() const { return Here() < floor_; }

 private:
  [[gnu::always_inline]] static std::uintptr_t Here() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  }
  std::uintptr_t floor_ = 0;
};

}  // namespace devengine::script

#endif
