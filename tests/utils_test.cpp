// URL parts through the development engine, time conversions, and what the
// cookie manager, menu model and task runner wrappers hand to the engine.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "cef_utils.h"
#include "cef_wrappers.h"
#include "engine_fixture.h"
#include "sysutils.h"

namespace {

// ---- URLs -----------------------------------------------------------------------

using UrlTest = EngineLibraryTest;

TEST_F(UrlTest, ParsingFillsThePartsAndLeavesSpecAndAbsentPartsEmpty) {
  TUrlParts parts;
  ASSERT_TRUE(ParseUrlParts(L"http://127.0.0.1:8080/resources/start.html?lang=fr", parts));
  EXPECT_EQ(parts.spec, L"") << "spec stays the caller's";
  EXPECT_EQ(parts.scheme, L"http");
  EXPECT_EQ(parts.username, L"");
  EXPECT_EQ(parts.password, L"");
  EXPECT_EQ(parts.host, L"127.0.0.1");
  EXPECT_EQ(parts.port, L"8080");
  EXPECT_EQ(parts.path, L"/resources/start.html");
  EXPECT_EQ(parts.query, L"lang=fr");

  TUrlParts plain;
  ASSERT_TRUE(ParseUrlParts(L"http://www.example.com/index.html", plain));
  EXPECT_EQ(plain.host, L"www.example.com");
  EXPECT_EQ(plain.port, L"");
  EXPECT_EQ(plain.query, L"");
}

TEST_F(UrlTest, ChangingTheHostRebuildsTheSameAddressWithTheNewHost) {
  TUrlParts parts;
  ASSERT_TRUE(ParseUrlParts(L"http://home:8080/resources/start.html?lang=fr", parts));
  parts.host = L"127.0.0.1";
  EXPECT_EQ(BuildUrlFromParts(parts), L"http://127.0.0.1:8080/resources/start.html?lang=fr");
}

TEST_F(UrlTest, UnparsableAddressAnswersFalseAndLeavesThePartsUntouched) {
  TUrlParts parts{L"s", L"ftp", L"u", L"p", L"h", L"21", L"/x", L"q"};
  const TUrlParts before = parts;
  EXPECT_FALSE(ParseUrlParts(L"not an address", parts));
  EXPECT_FALSE(ParseUrlParts(L"", parts));
  for (auto part :
       {&TUrlParts::spec, &TUrlParts::scheme, &TUrlParts::username, &TUrlParts::password,
        &TUrlParts::host, &TUrlParts::port, &TUrlParts::path, &TUrlParts::query})
    EXPECT_EQ(parts.*part, before.*part);
}

// An engine that writes some parts, or the result, and then refuses.
cef_string_utf16_clear_fn EngineClear = nullptr;
int StringsCleared = 0;
void CEF_EXPORT_CC CountingClear(cef_string_utf16_t* str) {
  ++StringsCleared;
  EngineClear(str);
}
int CEF_EXPORT_CC HalfwayParse(const cef_string_t*, cef_urlparts_t* parts) {
  CefStringAssign(&parts->scheme, L"http");
  CefStringAssign(&parts->host, L"example.com");
  return 0;
}
int CEF_EXPORT_CC HalfwayCreate(const cef_urlparts_t*, cef_string_t* url) {
  CefStringAssign(url, L"http://partial");
  return 0;
}

TEST_F(UrlTest, WhatTheEngineWroteBeforeRefusingIsReleased) {
  EngineClear = CefApi.cef_string_utf16_clear;
  CefApi.cef_string_utf16_clear = CountingClear;
  CefApi.cef_parse_url = HalfwayParse;
  CefApi.cef_create_url = HalfwayCreate;

  TUrlParts parts;
  parts.scheme = L"kept";
  EXPECT_FALSE(ParseUrlParts(L"http://example.com", parts));
  EXPECT_EQ(parts.scheme, L"kept");
  EXPECT_EQ(StringsCleared, 8) << "all eight engine strings released";

  EXPECT_EQ(BuildUrlFromParts(parts), L"");
  EXPECT_EQ(StringsCleared, 9) << "the result released though the engine refused";
}

// ---- Times ----------------------------------------------------------------------

cef_time_t EngineTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond) {
  return {year, month, 0, day, hour, minute, second, millisecond};
}

TEST(TimeTest, Millisecond999SurvivesBothWays) {
  // 17 May 2013 was a Friday.
  const cef_time_t time{2013, 5, 5, 17, 10, 20, 30, 999};
  const double dateTime = EngineTimeToDateTime(time);
  const double timeOfDay = dateTime - std::floor(dateTime);
  EXPECT_EQ(std::llround(timeOfDay * 86400000.0) % 1000, 999);

  cef_time_t back{};
  DateTimeToEngineTime(dateTime, back);
  EXPECT_EQ(std::memcmp(&back, &time, sizeof time), 0)
      << back.year << "-" << back.month << "-" << back.day_of_month << " " << back.hour << ":"
      << back.minute << ":" << back.second << "." << back.millisecond << " dow "
      << back.day_of_week;
}

// The operating system's own encoding of the same local date, to the second.
double SystemDateTime(const cef_time_t& universal) {
  SYSTEMTIME utc{}, local{};
  EngineTimeToSystemTime(universal, utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  double dateTime = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&local, &dateTime));
  return dateTime;
}

TEST(TimeTest, DateTimesCountDaysFrom30December1899BothSidesOfIt) {
  const cef_time_t times[] = {
      EngineTime(1899, 12, 30, 12, 0, 0, 0), EngineTime(1899, 12, 28, 6, 0, 0, 0),
      EngineTime(1753, 1, 1, 0, 0, 1, 0),    EngineTime(2000, 2, 29, 23, 59, 59, 0),
      EngineTime(2038, 1, 19, 3, 14, 8, 0),  EngineTime(9999, 6, 1, 18, 30, 0, 0),
  };
  for (const cef_time_t& time : times) {
    const double dateTime = EngineTimeToDateTime(time);
    EXPECT_NEAR(dateTime, SystemDateTime(time), 5e-9) << time.year << "-" << time.month;
    cef_time_t back{};
    DateTimeToEngineTime(dateTime, back);
    EXPECT_EQ(back.year, time.year);
    EXPECT_EQ(back.day_of_month, time.day_of_month);
    EXPECT_EQ(back.hour, time.hour);
    EXPECT_EQ(back.second, time.second);
  }
}

TEST(TimeTest, TimesThatAreNoCalendarDateRaiseEConvertError) {
  const cef_time_t invalid[] = {
      {},                                          // all zero
      EngineTime(2013, 13, 1, 0, 0, 0, 0),         // month 13
      EngineTime(2013, 2, 29, 0, 0, 0, 0),         // not a leap year
      EngineTime(2013, 5, 17, 24, 0, 0, 0),        // hour 24
      EngineTime(2013, 5, 17, 0, 0, 0, 1000),      // millisecond 1000
      EngineTime(2013, 65536 + 5, 17, 0, 0, 0, 0)  // would wrap to May in 16 bits
  };
  for (const cef_time_t& time : invalid) {
    try {
      EngineTimeToDateTime(time);
      ADD_FAILURE() << "accepted month " << time.month << " day " << time.day_of_month;
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.ClassName(), L"EConvertError");
      EXPECT_FALSE(e.Message().empty());
    }
  }
  cef_time_t ignored{};
  for (double dateTime : {-693594.5, 2958466.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()})
    EXPECT_THROW(DateTimeToEngineTime(dateTime, ignored), EConvertError) << dateTime;
}

TEST(TimeTest, CalendarRecordsTakeTheFieldsInOrder) {
  const cef_time_t time{2013, 5, 5, 17, 10, 20, 30, 999};
  SYSTEMTIME system{};
  EngineTimeToSystemTime(time, system);
  EXPECT_EQ(system.wYear, 2013);
  EXPECT_EQ(system.wDayOfWeek, 5);
  EXPECT_EQ(system.wDay, 17);
  EXPECT_EQ(system.wMilliseconds, 999);
  system.wYear = 0xFFFF;
  cef_time_t back{};
  SystemTimeToEngineTime(system, back);
  EXPECT_EQ(back.year, 0xFFFF) << "widened without sign";
  EXPECT_EQ(back.millisecond, 999);
}

// ---- Cookie manager -------------------------------------------------------------

struct TCapturedCookie {
  ustring Url, Name, Value, Domain, Path;
  cef_cookie_t Record{};
  int Calls = 0;
} Captured;

int CEF_CALLBACK CaptureSetCookie(cef_cookie_manager_t*, const cef_string_t* url,
                                  const cef_cookie_t* cookie) {
  ++Captured.Calls;
  Captured.Url = CefStringToUstring(url);
  Captured.Name = CefStringToUstring(&cookie->name);
  Captured.Value = CefStringToUstring(&cookie->value);
  Captured.Domain = CefStringToUstring(&cookie->domain);
  Captured.Path = CefStringToUstring(&cookie->path);
  Captured.Record = *cookie;
  return 1;
}

TEST(CookieManagerTest, SetCookieBuildsTheRecordAndZeroesAnAbsentExpiry) {
  cef_cookie_manager_t fake{};
  fake.set_cookie = CaptureSetCookie;
  const TInterfacePtr<ICefCookieManager> manager = TCefCookieManagerRef::UnWrap(&fake);
  const double creation = 41411.25, lastAccess = 41412.5, expires = 41500.75;

  EXPECT_TRUE(manager->SetCookie(L"http://127.0.0.1/", L"session", L"42", L"127.0.0.1", L"/", true,
                                 false, false, creation, lastAccess, expires));
  EXPECT_EQ(Captured.Url, L"http://127.0.0.1/");
  EXPECT_EQ(Captured.Name, L"session");
  EXPECT_EQ(Captured.Value, L"42");
  EXPECT_EQ(Captured.Domain, L"127.0.0.1");
  EXPECT_EQ(Captured.Path, L"/");
  EXPECT_EQ(Captured.Record.secure, 1);
  EXPECT_EQ(Captured.Record.httponly, 0);
  EXPECT_EQ(Captured.Record.has_expires, 0);
  const unsigned char zeros[sizeof(cef_time_t)] = {};
  static_assert(sizeof zeros == 32);
  EXPECT_EQ(std::memcmp(&Captured.Record.expires, zeros, sizeof zeros), 0);
  cef_time_t expected{};
  DateTimeToEngineTime(creation, expected);
  EXPECT_EQ(std::memcmp(&Captured.Record.creation, &expected, sizeof expected), 0);
  DateTimeToEngineTime(lastAccess, expected);
  EXPECT_EQ(std::memcmp(&Captured.Record.last_access, &expected, sizeof expected), 0);

  // An unused expiry is never converted, however wrong.
  EXPECT_TRUE(manager->SetCookie(L"http://a/", L"n", L"v", L"a", L"/", false, true, false, creation,
                                 lastAccess, std::nan("")));
  EXPECT_EQ(Captured.Record.httponly, 1);

  EXPECT_TRUE(manager->SetCookie(L"http://a/", L"n", L"v", L"a", L"/", false, false, true, creation,
                                 lastAccess, expires));
  EXPECT_EQ(Captured.Record.has_expires, 1);
  DateTimeToEngineTime(expires, expected);
  EXPECT_EQ(std::memcmp(&Captured.Record.expires, &expected, sizeof expected), 0);
  EXPECT_EQ(Captured.Calls, 3);
}

// ---- Menu model -----------------------------------------------------------------

cef_menu_item_type_t CEF_CALLBACK TypeById(cef_menu_model_t*, int) { return MENUITEMTYPE_NONE; }
cef_menu_item_type_t CEF_CALLBACK TypeAt(cef_menu_model_t*, int index) {
  static constexpr cef_menu_item_type_t kTypes[] = {MENUITEMTYPE_COMMAND, MENUITEMTYPE_SEPARATOR,
                                                    MENUITEMTYPE_SUBMENU};
  return index >= 0 && index < 3 ? kTypes[index] : MENUITEMTYPE_NONE;
}
int CEF_CALLBACK AcceleratorAt(cef_menu_model_t*, int index, int* keyCode, int* shift, int* ctrl,
                               int* alt) {
  *keyCode = 'A' + index;
  *shift = 1;
  *ctrl = 0;
  *alt = 7;  // any non-zero value is pressed
  return 1;
}

TEST(MenuModelTest, PositionOperationsReachThePositionEntries) {
  cef_menu_model_t fake{};
  fake.get_type = TypeById;
  fake.get_type_at = TypeAt;
  fake.get_accelerator_at = AcceleratorAt;
  const TInterfacePtr<ICefMenuModel> menu = TCefMenuModelRef::UnWrap(&fake);
  EXPECT_EQ(menu->GetTypeAt(0), MENUITEMTYPE_COMMAND);
  EXPECT_EQ(menu->GetTypeAt(1), MENUITEMTYPE_SEPARATOR);
  EXPECT_EQ(menu->GetTypeAt(2), MENUITEMTYPE_SUBMENU);
  EXPECT_EQ(menu->GetType(1), MENUITEMTYPE_NONE);

  int keyCode = 0;
  bool shift = false, ctrl = true, alt = false;
  EXPECT_TRUE(menu->GetAcceleratorAt(2, keyCode, shift, ctrl, alt));
  EXPECT_EQ(keyCode, 'C');
  EXPECT_TRUE(shift);
  EXPECT_FALSE(ctrl);
  EXPECT_TRUE(alt);
}

// ---- Task runner ----------------------------------------------------------------

struct TFakeRunner {
  cef_task_runner_t Record{};
  int Releases = 0;
  cef_thread_id_t AskedThread = TID_UI;
} Runner;

int CEF_CALLBACK RunnerRelease(cef_base_t*) {
  ++Runner.Releases;
  return 0;
}
int CEF_CALLBACK RunnerBelongsTo(cef_task_runner_t*, cef_thread_id_t thread) {
  return thread == TID_IO;
}
int RequestedThread = -1;
cef_task_runner_t* CEF_EXPORT_CC RecordingGetForThread(cef_thread_id_t thread) {
  RequestedThread = thread;
  return thread == TID_IO ? &Runner.Record : nullptr;
}

TEST(TaskRunnerTest, GetForThreadPassesTheThreadIdAndWrapsTheAnswer) {
  Runner.Record.base.release = RunnerRelease;
  Runner.Record.belongs_to_thread = RunnerBelongsTo;
  const TCefEntryPoints saved = CefApi;
  CefApi.cef_task_runner_get_for_thread = RecordingGetForThread;
  {
    const TInterfacePtr<ICefTaskRunner> runner = TCefTaskRunnerRef::GetForThread(TID_IO);
    EXPECT_EQ(RequestedThread, 6);
    ASSERT_TRUE(runner);
    EXPECT_TRUE(runner->BelongsToThread(TID_IO));
    EXPECT_FALSE(runner->BelongsToThread(TID_UI));
  }
  EXPECT_EQ(Runner.Releases, 1) << "the wrapper releases the reference it adopted";
  EXPECT_FALSE(TCefTaskRunnerRef::GetForThread(TID_FILE)) << "no runner, no interface";
  EXPECT_EQ(RequestedThread, 2);
  CefApi = saved;
}

}  // namespace
