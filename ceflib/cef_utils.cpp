#include "cef_utils.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

#include "cef_api.h"
#include "cef_wrappers.h"
#include "sysutils.h"

namespace {

// ---- URLs -----------------------------------------------------------------------

// The eight parts in the same order on both sides.
constexpr cef_string_t cef_urlparts_t::*kEngineUrlParts[] = {
    &cef_urlparts_t::spec,     &cef_urlparts_t::scheme, &cef_urlparts_t::username,
    &cef_urlparts_t::password, &cef_urlparts_t::host,   &cef_urlparts_t::port,
    &cef_urlparts_t::path,     &cef_urlparts_t::query};
constexpr ustring TUrlParts::*kNativeUrlParts[] = {
    &TUrlParts::spec, &TUrlParts::scheme, &TUrlParts::username, &TUrlParts::password,
    &TUrlParts::host, &TUrlParts::port,   &TUrlParts::path,     &TUrlParts::query};
static_assert(std::size(kEngineUrlParts) == std::size(kNativeUrlParts));

// A URL record the engine fills: its eight strings are released on every path,
// also when the engine refuses the URL after filling some of them.
class TEngineUrlParts {
 public:
  TEngineUrlParts() = default;
  TEngineUrlParts(const TEngineUrlParts&) = delete;
  TEngineUrlParts& operator=(const TEngineUrlParts&) = delete;
  ~TEngineUrlParts() {
    for (auto part : kEngineUrlParts) CefApi.cef_string_utf16_clear(&(FRecord.*part));
  }
  cef_urlparts_t* get() { return &FRecord; }

 private:
  cef_urlparts_t FRecord{};
};

// ---- Times ----------------------------------------------------------------------

constexpr std::pair<int cef_time_t::*, WORD SYSTEMTIME::*> kTimeFields[] = {
    {&cef_time_t::year, &SYSTEMTIME::wYear},
    {&cef_time_t::month, &SYSTEMTIME::wMonth},
    {&cef_time_t::day_of_week, &SYSTEMTIME::wDayOfWeek},
    {&cef_time_t::day_of_month, &SYSTEMTIME::wDay},
    {&cef_time_t::hour, &SYSTEMTIME::wHour},
    {&cef_time_t::minute, &SYSTEMTIME::wMinute},
    {&cef_time_t::second, &SYSTEMTIME::wSecond},
    {&cef_time_t::millisecond, &SYSTEMTIME::wMilliseconds}};

constexpr long long kMillisecondsPerDay = 86400000;
// Day numbers count from 30 December 1899, which lies 25569 days before 1970.
constexpr long long kDayOf1970 = 25569;
// 1 January of year 1 and 31 December 9999, as day numbers.
constexpr long long kFirstDay = -693593;
constexpr long long kLastDay = 2958465;

bool IsLeapYear(long long year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(long long year, long long month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

// Checked on the full-width fields, so that a field too large for the 16-bit
// calendar record cannot wrap around into a valid date.
bool IsCalendarTime(long long year, long long month, long long day, long long hour,
                    long long minute, long long second, long long millisecond) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 &&
         second >= 0 && second < 60 && millisecond >= 0 && millisecond < 1000;
}

// Days from 1 January 1970 of a proleptic Gregorian date, and back.
long long DaysFromCivil(long long year, long long month, long long day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, SYSTEMTIME& date) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
  const long long month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  date.wYear = static_cast<WORD>(yearOfEra + era * 400 + (month <= 2));
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
}

[[noreturn]] void RaiseTimeError(const cef_time_t& time) {
  wchar_t text[160];
  std::swprintf(text, std::size(text),
                L"Invalid engine time %d-%d-%d %d:%d:%d.%d: not a calendar date between years 1 "
                L"and 9999",
                time.year, time.month, time.day_of_month, time.hour, time.minute, time.second,
                time.millisecond);
  throw EConvertError(text);
}

[[noreturn]] void RaiseDateTimeError(double dateTime) {
  wchar_t text[120];
  std::swprintf(text, std::size(text),
                L"Invalid date-time %g: outside the calendar of years 1 to 9999", dateTime);
  throw EConvertError(text);
}

// Whole days count down before 30 December 1899 while the time of day still
// counts forward: -1.25 is 29 December 1899, 6:00.
double EncodeDateTime(const SYSTEMTIME& t) {
  const long long day = DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kDayOf1970;
  const double time = static_cast<double>(((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 +
                                          t.wMilliseconds) /
                      kMillisecondsPerDay;
  return day >= 0 ? day + time : day - time;
}

// The nearest millisecond; false when it lies outside the calendar.
bool DecodeDateTime(double dateTime, SYSTEMTIME& t) {
  if (!(dateTime > kFirstDay - 1 && dateTime < kLastDay + 1)) return false;
  long long day = static_cast<long long>(std::trunc(dateTime));
  long long ms = std::llround(std::fabs(dateTime - day) * kMillisecondsPerDay);
  if (ms >= kMillisecondsPerDay) {
    ms -= kMillisecondsPerDay;
    ++day;
  }
  if (day > kLastDay) return false;
  CivilFromDays(day - kDayOf1970, t);
  // 30 December 1899 was a Saturday.
  t.wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 6) % 7);
  t.wHour = static_cast<WORD>(ms / 3600000);
  t.wMinute = static_cast<WORD>(ms / 60000 % 60);
  t.wSecond = static_cast<WORD>(ms / 1000 % 60);
  t.wMilliseconds = static_cast<WORD>(ms % 1000);
  return true;
}

bool IsCalendarTime(const SYSTEMTIME& t) {
  return IsCalendarTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

}  // namespace

bool ParseUrlParts(const ustring& url, TUrlParts& parts) {
  TEngineUrlParts record;
  const cef_string_t view = CefStringView(url);
  if (!CefApi.cef_parse_url(&view, record.get())) return false;
  // The first part, `spec`, is the caller's.
  for (size_t i = 1; i < std::size(kEngineUrlParts); ++i)
    parts.*kNativeUrlParts[i] = CefStringToUstring(&(record.get()->*kEngineUrlParts[i]));
  return true;
}

ustring BuildUrlFromParts(const TUrlParts& parts) {
  cef_urlparts_t record{};
  for (size_t i = 0; i < std::size(kEngineUrlParts); ++i)
    record.*kEngineUrlParts[i] = CefStringView(parts.*kNativeUrlParts[i]);
  cef_string_t url{};
  const bool built = CefApi.cef_create_url(&record, &url) != 0;
  // Cleared whatever the answer, in case the engine wrote before it gave up.
  ustring text = CefStringTakeCleared(url);
  return built ? text : ustring();
}

void EngineTimeToSystemTime(const cef_time_t& time, SYSTEMTIME& systemTime) {
  for (const auto& [engine, system] : kTimeFields)
    systemTime.*system = static_cast<WORD>(time.*engine);
}

void SystemTimeToEngineTime(const SYSTEMTIME& systemTime, cef_time_t& time) {
  for (const auto& [engine, system] : kTimeFields) time.*engine = systemTime.*system;
}

double EngineTimeToDateTime(const cef_time_t& time) {
  if (!IsCalendarTime(time.year, time.month, time.day_of_month, time.hour, time.minute, time.second,
                      time.millisecond))
    RaiseTimeError(time);
  SYSTEMTIME universal{};
  EngineTimeToSystemTime(time, universal);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
  // The zone may carry the last hours of 9999 past the calendar.
  if (!IsCalendarTime(local)) RaiseTimeError(time);
  return EncodeDateTime(local);
}

void DateTimeToEngineTime(double dateTime, cef_time_t& time) {
  SYSTEMTIME local{};
  if (!DecodeDateTime(dateTime, local)) RaiseDateTimeError(dateTime);
  SYSTEMTIME universal{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal)) universal = local;
  SystemTimeToEngineTime(universal, time);
}

// ---- Cookie manager -------------------------------------------------------------

TInterfacePtr<ICefCookieManager> TCefCookieManagerRef::Global() {
  return UnWrap(CefApi.cef_cookie_manager_get_global_manager());
}

TInterfacePtr<ICefCookieManager> TCefCookieManagerRef::New(const ustring& path) {
  const cef_string_t view = CefStringView(path);
  return UnWrap(CefApi.cef_cookie_manager_create_manager(&view));
}

void TCefCookieManagerRef::SetSupportedSchemes(const TStringList* schemes) {
  CefStringListHanded(schemes,
                      [this](cef_string_list_t list) { Call(&Rec::set_supported_schemes, list); });
}

bool TCefCookieManagerRef::VisitAllCookiesProc(const TCefCookieVisitorProc& visitor) {
  if (!visitor) return false;
  return VisitAllCookies(CefNew<TCefFastCookieVisitor>(visitor));
}

bool TCefCookieManagerRef::VisitUrlCookiesProc(const ustring& url, bool includeHttpOnly,
                                               const TCefCookieVisitorProc& visitor) {
  if (!visitor) return false;
  return VisitUrlCookies(url, includeHttpOnly, CefNew<TCefFastCookieVisitor>(visitor));
}

bool TCefCookieManagerRef::SetCookie(const ustring& url, const ustring& name, const ustring& value,
                                     const ustring& domain, const ustring& path, bool secure,
                                     bool httponly, bool hasExpires, double creation,
                                     double lastAccess, double expires) {
  cef_cookie_t cookie{};
  cookie.name = CefStringView(name);
  cookie.value = CefStringView(value);
  cookie.domain = CefStringView(domain);
  cookie.path = CefStringView(path);
  cookie.secure = secure ? 1 : 0;
  cookie.httponly = httponly ? 1 : 0;
  DateTimeToEngineTime(creation, cookie.creation);
  DateTimeToEngineTime(lastAccess, cookie.last_access);
  cookie.has_expires = hasExpires ? 1 : 0;
  if (hasExpires) DateTimeToEngineTime(expires, cookie.expires);
  return Call<bool>(&Rec::set_cookie, url, &cookie);
}

// ---- Menu model -----------------------------------------------------------------

namespace {

// An accelerator read through the engine's out-parameters.
template <class Entry>
bool ReadAccelerator(cef_menu_model_t* menu, Entry entry, int item, int& keyCode,
                     bool& shiftPressed, bool& ctrlPressed, bool& altPressed) {
  int key = 0, shift = 0, ctrl = 0, alt = 0;
  const bool found = (menu->*entry)(menu, item, &key, &shift, &ctrl, &alt) != 0;
  keyCode = key;
  shiftPressed = shift != 0;
  ctrlPressed = ctrl != 0;
  altPressed = alt != 0;
  return found;
}

}  // namespace

bool TCefMenuModelRef::GetAccelerator(int commandId, int& keyCode, bool& shiftPressed,
                                      bool& ctrlPressed, bool& altPressed) {
  return ReadAccelerator(R(), &Rec::get_accelerator, commandId, keyCode, shiftPressed, ctrlPressed,
                         altPressed);
}

bool TCefMenuModelRef::GetAcceleratorAt(int index, int& keyCode, bool& shiftPressed,
                                        bool& ctrlPressed, bool& altPressed) {
  return ReadAccelerator(R(), &Rec::get_accelerator_at, index, keyCode, shiftPressed, ctrlPressed,
                         altPressed);
}

// ---- Task runner ----------------------------------------------------------------

TInterfacePtr<ICefTaskRunner> TCefTaskRunnerRef::GetForThread(TCefThreadId threadId) {
  return UnWrap(CefApi.cef_task_runner_get_for_thread(threadId));
}

TInterfacePtr<ICefTaskRunner> TCefTaskRunnerRef::GetForCurrentThread() {
  return UnWrap(CefApi.cef_task_runner_get_for_current_thread());
}
