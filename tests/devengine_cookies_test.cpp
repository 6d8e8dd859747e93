// The development engine's cookie managers: matching, expiry, visits, and
// the store on disk that window processes share. The executable starts
// copies of itself as those other processes.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devengine_test_records.h"
#include "engine_time.h"
#include "test_support.h"

namespace {

using devengine::NowTicks;
using devengine::Ticks;
using devengine::TicksOf;
using devengine::TimeRecordOf;

constexpr wchar_t kSetOneCookie[] = L"--child-set-cookie";
constexpr wchar_t kSetManyCookies[] = L"--child-set-cookies";
constexpr int kCookiesPerChild = 25;

struct CookieFields {
  std::wstring name{};
  std::wstring value = L"v";
  std::wstring domain{};
  std::wstring path{};
  bool secure = false;
  bool httponly = false;
  std::optional<cef_time_t> expires{};
};

int SetCookie(cef_cookie_manager_t* manager, const std::wstring& url, const CookieFields& fields) {
  cef_cookie_t cookie{};
  cookie.name = Borrowed(fields.name);
  cookie.value = Borrowed(fields.value);
  cookie.domain = Borrowed(fields.domain);
  cookie.path = Borrowed(fields.path);
  cookie.secure = fields.secure;
  cookie.httponly = fields.httponly;
  cookie.has_expires = fields.expires.has_value();
  if (fields.expires) cookie.expires = *fields.expires;
  const cef_string_t address = Borrowed(url);
  return manager->set_cookie(manager, &address, &cookie);
}

cef_time_t SecondsFromNow(Ticks seconds) {
  return TimeRecordOf(NowTicks() + seconds * devengine::kTicksPerSecond);
}

Held<cef_cookie_manager_t> Manager(const std::wstring& folder = L"") {
  const cef_string_t path = Borrowed(folder);
  return Held<cef_cookie_manager_t>(cef_cookie_manager_create_manager(&path));
}

// What a visitor was shown of one cookie, and where.
struct Seen {
  std::wstring name, domain, path;
  bool has_expires;
  cef_time_t creation, expires;
  int count, total;
  DWORD thread;
  bool on_io;
};

// A program visitor that notes each cookie and answers as the test says.
class Visitor {
 public:
  using Answer = std::function<int(int count, int* delete_cookie)>;
  explicit Visitor(Answer answer = [](int, int*) { return 1; }) : answer_(std::move(answer)) {
    program.record().visit = &Visit;
  }

  std::vector<Seen> seen;
  ProgramRecord<cef_cookie_visitor_t, Visitor> program{this};

 private:
  static int CEF_CALLBACK Visit(cef_cookie_visitor_t* self, const cef_cookie_t* cookie, int count,
                                int total, int* delete_cookie) {
    Visitor& visitor = ProgramRecord<cef_cookie_visitor_t, Visitor>::OwnerOf(self);
    visitor.seen.push_back({TextOf(cookie->name), TextOf(cookie->domain), TextOf(cookie->path),
                            cookie->has_expires != 0, cookie->creation, cookie->expires, count,
                            total, GetCurrentThreadId(), cef_currently_on(TID_IO) != 0});
    return visitor.answer_(count, delete_cookie);
  }

  Answer answer_;
};

// Visits to the end: the engine has given the visitor back.
std::vector<Seen> VisitAll(cef_cookie_manager_t* manager, Visitor&& visitor = Visitor()) {
  EXPECT_EQ(manager->visit_all_cookies(manager, visitor.program.Handed()), 1);
  EXPECT_TRUE(visitor.program.AllGivenBack());
  return visitor.seen;
}

std::vector<std::wstring> Names(const std::vector<Seen>& seen) {
  std::vector<std::wstring> names;
  std::ranges::transform(seen, std::back_inserter(names), &Seen::name);
  return names;
}

std::vector<std::wstring> SortedNames(const std::vector<Seen>& seen) {
  std::vector<std::wstring> names = Names(seen);
  std::ranges::sort(names);
  return names;
}

std::vector<std::wstring> NamesSeenBy(cef_cookie_manager_t* manager, const std::wstring& url,
                                      bool include_httponly) {
  Visitor visitor;
  const cef_string_t address = Borrowed(url);
  EXPECT_EQ(
      manager->visit_url_cookies(manager, &address, include_httponly, visitor.program.Handed()), 1);
  EXPECT_TRUE(visitor.program.AllGivenBack());
  return Names(visitor.seen);
}

struct Match {
  const wchar_t* url;
  bool include_httponly;
  std::vector<std::wstring> names;
};

TEST(DevEngineCookies, AUrlSeesCookiesByDomainPathAndSecurity) {
  const Held<cef_cookie_manager_t> manager = Manager();
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"host"}), 1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/",
                      {.name = L"domain", .domain = L".Example.com"}),
            1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://www.example.com/docs/page", {.name = L"docs"}), 1);
  ASSERT_EQ(SetCookie(manager.get(), L"https://example.com/", {.name = L"secure", .secure = true}),
            1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"hidden", .httponly = true}),
            1);

  const Match matches[] = {
      {L"http://example.com/", true, {L"host", L"domain", L"hidden"}},
      {L"http://example.com/", false, {L"host", L"domain"}},
      {L"https://example.com/x", false, {L"host", L"domain", L"secure"}},
      {L"http://www.example.com/docs", false, {L"docs", L"domain"}},
      {L"http://www.example.com/docs/a/b", false, {L"docs", L"domain"}},
      {L"http://www.example.com/docsx", false, {L"domain"}},
      {L"http://sub.www.example.com/docs", false, {L"domain"}},
      {L"http://badexample.com/", false, {}},
      {L"http://example.org/", false, {}},
  };
  for (const Match& match : matches) {
    SCOPED_TRACE(match.url);
    EXPECT_EQ(NamesSeenBy(manager.get(), match.url, match.include_httponly), match.names);
  }
  const std::vector<Seen> all = VisitAll(manager.get());
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0].domain, L"example.com");
  EXPECT_EQ(all[1].domain, L".example.com");
  EXPECT_EQ(all[2].path, L"/docs");
}

TEST(DevEngineCookies, RefusesCookiesAUrlMayNotSet) {
  const Held<cef_cookie_manager_t> manager = Manager();
  const std::pair<const wchar_t*, CookieFields> refused[] = {
      {L"http://example.com/", {.name = L"other", .domain = L"example.org"}},
      {L"http://example.com/", {.name = L"tld", .domain = L"com"}},
      {L"http://www.example.com/", {.name = L"sub", .domain = L"a.www.example.com"}},
      {L"http://127.0.0.1/", {.name = L"ip", .domain = L"0.0.1"}},
      {L"http://example.com/", {.name = L"semi;colon"}},
      {L"http://example.com/", {.name = L"line", .value = L"a\nb"}},
      {L"http://example.com/", {.name = L"never", .expires = cef_time_t{}}},
      {L"about:blank", {.name = L"scheme"}},
      {L"example.com", {.name = L"no url"}},
  };
  for (const auto& [url, fields] : refused) {
    SCOPED_TRACE(fields.name);
    EXPECT_EQ(SetCookie(manager.get(), url, fields), 0);
  }
  EXPECT_TRUE(VisitAll(manager.get()).empty());
}

TEST(DevEngineCookies, SessionAndExpiringCookiesAndAnExpiredOneDeletes) {
  const Held<cef_cookie_manager_t> manager = Manager();
  const cef_time_t in_an_hour = SecondsFromNow(3600);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"session"}), 1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/",
                      {.name = L"expiring", .expires = in_an_hour}),
            1);
  std::vector<Seen> seen = VisitAll(manager.get());
  ASSERT_EQ(Names(seen), (std::vector<std::wstring>{L"session", L"expiring"}));
  EXPECT_FALSE(seen[0].has_expires);
  EXPECT_TRUE(seen[1].has_expires);
  EXPECT_EQ(TicksOf(seen[1].expires), TicksOf(in_an_hour));
  const std::optional<Ticks> created = TicksOf(seen[0].creation);
  ASSERT_TRUE(created);
  EXPECT_LT(std::abs(*created - NowTicks()), 60 * devengine::kTicksPerSecond);

  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/",
                      {.name = L"expiring", .expires = SecondsFromNow(-3600)}),
            1);
  EXPECT_EQ(Names(VisitAll(manager.get())), (std::vector<std::wstring>{L"session"}));
}

TEST(DevEngineCookies, VisitsRunOnTheIoThreadAndGiveTheVisitorBack) {
  const Held<cef_cookie_manager_t> manager = Manager();
  Visitor unused;
  EXPECT_TRUE(VisitAll(manager.get(), std::move(unused)).empty()) << "no cookie, no call";
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"one"}), 1);
  const std::vector<Seen> seen = VisitAll(manager.get());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].thread, GetCurrentThreadId());
  EXPECT_TRUE(seen[0].on_io);
  Visitor refused;
  const std::wstring bad = L"no url";
  const cef_string_t url = Borrowed(bad);
  EXPECT_EQ(manager->visit_url_cookies(manager.get(), &url, 1, refused.program.Handed()), 0);
  EXPECT_EQ(refused.program.refs(), 1);
}

TEST(DevEngineCookies, AVisitorDeletesAndStopsWithCountAndTotal) {
  const Held<cef_cookie_manager_t> manager = Manager();
  for (const wchar_t* name : {L"a", L"b", L"c"}) {
    ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = name}), 1);
  }
  const std::vector<Seen> deleting = VisitAll(manager.get(), Visitor([](int count, int* doomed) {
                                                *doomed = count == 1;
                                                return 1;
                                              }));
  ASSERT_EQ(deleting.size(), 3u);
  for (int count = 0; count < 3; ++count) {
    EXPECT_EQ(deleting[count].count, count);
    EXPECT_EQ(deleting[count].total, 3);
  }
  const std::vector<Seen> stopping = VisitAll(manager.get(), Visitor([](int, int*) { return 0; }));
  ASSERT_EQ(stopping.size(), 1u);
  EXPECT_EQ(stopping[0].total, 2);
  EXPECT_EQ(Names(VisitAll(manager.get())), (std::vector<std::wstring>{L"a", L"c"}));
}

TEST(DevEngineCookies, DeletesByUrlAndNameOrAll) {
  const Held<cef_cookie_manager_t> manager = Manager();
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"a"}), 1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/x/", {.name = L"b"}), 1);
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.org/", {.name = L"c"}), 1);
  const auto remove = [&](const std::wstring& url, const std::wstring& name) {
    const cef_string_t address = Borrowed(url), cookie_name = Borrowed(name);
    return manager->delete_cookies(manager.get(), &address, &cookie_name);
  };
  EXPECT_EQ(remove(L"no url", L""), 0);
  EXPECT_EQ(remove(L"http://example.com/", L"a"), 1);
  EXPECT_EQ(SortedNames(VisitAll(manager.get())), (std::vector<std::wstring>{L"b", L"c"}));
  EXPECT_EQ(remove(L"http://example.com/", L""), 1);
  EXPECT_EQ(Names(VisitAll(manager.get())), (std::vector<std::wstring>{L"c"}));
  EXPECT_EQ(remove(L"", L""), 1);
  EXPECT_TRUE(VisitAll(manager.get()).empty());
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

TEST(DevEngineCookieFiles, ACookieSetInOneProcessIsSeenByTheNextOne) {
  const TTempFolder cache;
  TChildProcess child(OwnPath(), std::wstring(kSetOneCookie) + L" \"" + cache.Path() + L"\"");
  ASSERT_EQ(child.Wait(60'000), 0u);
  EXPECT_EQ(Names(VisitAll(Manager(cache.Path()).get())),
            (std::vector<std::wstring>{L"from_child"}));
}

TEST(DevEngineCookieFiles, TwoProcessesWritingAtOnceLoseNothing) {
  const TTempFolder cache;
  const std::wstring start_name =
      L"Local\\nimbra-cookies-start-" + std::to_wstring(GetCurrentProcessId());
  const TKernelHandle start(CreateEventW(nullptr, TRUE, FALSE, start_name.c_str()));
  ASSERT_TRUE(start);
  const auto arguments = [&](const wchar_t* prefix) {
    return std::wstring(kSetManyCookies) + L" \"" + cache.Path() + L"\" " + prefix + L" " +
           start_name;
  };
  TChildProcess first(OwnPath(), arguments(L"first"));
  TChildProcess second(OwnPath(), arguments(L"second"));
  SetEvent(start.get());
  ASSERT_EQ(first.Wait(60'000), 0u);
  ASSERT_EQ(second.Wait(60'000), 0u);
  std::vector<std::wstring> expected;
  for (const wchar_t* prefix : {L"first", L"second"}) {
    for (int index = 0; index < kCookiesPerChild; ++index) {
      expected.push_back(prefix + std::to_wstring(index));
    }
  }
  std::ranges::sort(expected);
  EXPECT_EQ(SortedNames(VisitAll(Manager(cache.Path()).get())), expected);
}

TEST(DevEngineCookieFiles, AFileThatIsNotOursIsIgnoredAndKept) {
  const std::string foreign[] = {
      std::string("SQLite format 3\0\x10\x00\x01\x01", 20),
      "NimbraCookies 1\nexample.com\t/\tcut",
      "NimbraCookies 1\nexample.com\t/\tx\tv\t2\t0\t1\t1\t-\nend\n",
  };
  for (const std::string& contents : foreign) {
    SCOPED_TRACE(contents);
    const TTempFolder cache;
    const std::wstring file = cache.File(L"Cookies");
    WriteFileBytes(file, contents);
    {
      const Held<cef_cookie_manager_t> manager = Manager(cache.Path());
      ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"new"}), 1);
      EXPECT_EQ(Names(VisitAll(manager.get())), (std::vector<std::wstring>{L"new"}));
    }
    EXPECT_EQ(ReadFileBytes(file), contents);
    EXPECT_EQ(Names(VisitAll(Manager(cache.Path()).get())), (std::vector<std::wstring>{L"new"}));
  }
}

TEST(DevEngineCookieFiles, MovingTheStoreTakesInWhatIsThere) {
  const TTempFolder cache;
  ASSERT_EQ(SetCookie(Manager(cache.Path()).get(), L"http://example.com/", {.name = L"there"}), 1);
  const Held<cef_cookie_manager_t> manager = Manager();
  ASSERT_EQ(SetCookie(manager.get(), L"http://example.com/", {.name = L"here"}), 1);
  const std::wstring folder = cache.Path() + L"\\";
  const cef_string_t path = Borrowed(folder);
  ASSERT_EQ(manager->set_storage_path(manager.get(), &path), 1);
  const std::vector<std::wstring> both{L"here", L"there"};
  EXPECT_EQ(SortedNames(VisitAll(manager.get())), both);
  EXPECT_EQ(SortedNames(VisitAll(Manager(cache.Path()).get())), both);
}

// The browser process of a window: its global manager keeps cookies in the
// cache folder it was initialised with.
int SetOneCookie(const std::wstring& folder) {
  cef_settings_t settings{};
  settings.size = sizeof settings;
  settings.cache_path = Borrowed(folder);
  if (cef_initialize(nullptr, &settings, nullptr) == 0) return 2;
  const Held<cef_cookie_manager_t> global(cef_cookie_manager_get_global_manager());
  const int set = SetCookie(global.get(), L"http://example.com/", {.name = L"from_child"});
  cef_shutdown();
  return set == 1 ? 0 : 1;
}

int SetManyCookies(const std::wstring& folder, const std::wstring& prefix,
                   const std::wstring& start_name) {
  const TKernelHandle start(OpenEventW(SYNCHRONIZE, FALSE, start_name.c_str()));
  if (!start || WaitForSingleObject(start.get(), 30'000) != WAIT_OBJECT_0) return 2;
  const Held<cef_cookie_manager_t> manager = Manager(folder);
  for (int index = 0; index < kCookiesPerChild; ++index) {
    const CookieFields fields{.name = prefix + std::to_wstring(index)};
    if (SetCookie(manager.get(), L"http://example.com/", fields) != 1) return 1;
  }
  return 0;
}

// The child's work when the command line names one, else nullopt.
std::optional<int> RunAsChild() {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (words == nullptr || count < 2) return std::nullopt;
  const std::vector<std::wstring> arguments(words.get() + 1, words.get() + count);
  if (arguments[0] == kSetOneCookie && arguments.size() == 2) return SetOneCookie(arguments[1]);
  if (arguments[0] == kSetManyCookies && arguments.size() == 4) {
    return SetManyCookies(arguments[1], arguments[2], arguments[3]);
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> child = RunAsChild()) return *child;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
