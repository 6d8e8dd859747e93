// Points in time as the engine keeps them: 100-nanosecond ticks since
// 1 January 1601, universal time (a FILETIME as one number), and their
// bridge to the engine's time record.
#ifndef NIMBRA_DEVENGINE_ENGINE_TIME_H
#define NIMBRA_DEVENGINE_ENGINE_TIME_H

#include <windows.h>

#include <cstdint>
#include <optional>

#include "cef_capi.h"

namespace devengine {

using Ticks = std::int64_t;

constexpr Ticks kTicksPerMillisecond = 10'000;
constexpr Ticks kTicksPerSecond = 1000 * kTicksPerMillisecond;

Ticks NowTicks();
cef_time_t TimeRecordOf(Ticks ticks);
// Nullopt for a record that names no calendar date, such as all zeros.
std::optional<Ticks> TicksOf(const cef_time_t& time);
// Nullopt for a calendar date the system cannot convert.
std::optional<Ticks> TicksOf(const SYSTEMTIME& calendar);

}  // namespace devengine

#endif
