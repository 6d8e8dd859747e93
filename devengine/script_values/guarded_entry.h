// Kept while the browser, renderer and values folders still name
// GuardedEntryOf: every EntryOf is guarded now, so this is the same entry.
// Remove it with the last use.
#ifndef NIMBRA_DEVENGINE_SCRIPT_VALUES_GUARDED_ENTRY_H
#define NIMBRA_DEVENGINE_SCRIPT_VALUES_GUARDED_ENTRY_H

#include "engine_object.h"

namespace devengine::script_values {

template <auto method>
inline constexpr auto GuardedEntryOf = EntryOf<method>;

}  // namespace devengine::script_values

#endif
