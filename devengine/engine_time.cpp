#include "engine_time.h"

#include <limits>

namespace devengine {
namespace {

FILETIME FileTimeOf(Ticks ticks) {
  const auto value = static_cast<std::uint64_t>(ticks);
  return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

Ticks TicksOfFileTime(const FILETIME& time) {
  return static_cast<Ticks>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                            time.dwLowDateTime);
}

bool FitsWord(int value) { return value >= 0 && value <= std::numeric_limits<WORD>::max(); }

}  // namespace

Ticks NowTicks() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return TicksOfFileTime(now);
}

cef_time_t TimeRecordOf(Ticks ticks) {
  SYSTEMTIME calendar{};
  const FILETIME time = FileTimeOf(ticks);
  if (ticks < 0 || !FileTimeToSystemTime(&time, &calendar)) return {};
  return {calendar.wYear, calendar.wMonth,  calendar.wDayOfWeek, calendar.wDay,
          calendar.wHour, calendar.wMinute, calendar.wSecond,    calendar.wMilliseconds};
}

std::optional<Ticks> TicksOf(const cef_time_t& time) {
  const int fields[] = {time.year,   time.month,  time.day_of_month, time.hour,
                        time.minute, time.second, time.millisecond};
  for (const int field : fields) {
    if (!FitsWord(field)) return std::nullopt;
  }
  // The day of the week follows from the date and is not checked.
  const SYSTEMTIME calendar{static_cast<WORD>(time.year),
                            static_cast<WORD>(time.month),
                            0,
                            static_cast<WORD>(time.day_of_month),
                            static_cast<WORD>(time.hour),
                            static_cast<WORD>(time.minute),
                            static_cast<WORD>(time.second),
                            static_cast<WORD>(time.millisecond)};
  return TicksOf(calendar);
}

std::optional<Ticks> TicksOf(const SYSTEMTIME& calendar) {
  FILETIME result;
  if (!SystemTimeToFileTime(&calendar, &result)) return std::nullopt;
  return TicksOfFileTime(result);
}

}  // namespace devengine
