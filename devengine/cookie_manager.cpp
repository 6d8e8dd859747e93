#include "cookie_manager.h"

#include <memory>
#include <optional>
#include <utility>

#include "ascii.h"
#include "cookie_file.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "exports.h"
#include "record_ref.h"

namespace devengine {
namespace {

// "C:\cache\" and "C:\cache" are one folder.
std::wstring WithoutTrailingSeparators(std::wstring folder) {
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

// Borrows the cookie's texts for the length of one visitor call.
cef_cookie_t RecordOf(const Cookie& cookie) {
  cef_cookie_t record{};
  record.name = Borrow(cookie.name);
  record.value = Borrow(cookie.value);
  record.domain = Borrow(cookie.domain);
  record.path = Borrow(cookie.path);
  record.secure = cookie.secure ? 1 : 0;
  record.httponly = cookie.httponly ? 1 : 0;
  record.creation = TimeRecordOf(cookie.creation);
  record.last_access = TimeRecordOf(cookie.last_access);
  record.has_expires = cookie.expires ? 1 : 0;
  if (cookie.expires) record.expires = TimeRecordOf(*cookie.expires);
  return record;
}

// Nullopt when the record's expiry names no calendar date.
std::optional<CookieRequest> RequestOf(const cef_cookie_t& record) {
  CookieRequest request{ToWString(&record.name),
                        ToWString(&record.value),
                        ToWString(&record.domain),
                        ToWString(&record.path),
                        record.secure != 0,
                        record.httponly != 0,
                        std::nullopt};
  if (record.has_expires != 0) {
    request.expires = TicksOf(record.expires);
    if (!request.expires) return std::nullopt;
  }
  return request;
}

}  // namespace

CookieManager::CookieManager(std::wstring folder)
    : folder_(WithoutTrailingSeparators(std::move(folder))) {
  cef_cookie_manager_t& record = entries();
  record.set_supported_schemes = EntryOf<&CookieManager::SetSupportedSchemes>;
  record.visit_all_cookies = EntryOf<&CookieManager::VisitAllCookies>;
  record.visit_url_cookies = EntryOf<&CookieManager::VisitUrlCookies>;
  record.set_cookie = EntryOf<&CookieManager::SetCookie>;
  record.delete_cookies = EntryOf<&CookieManager::DeleteCookies>;
  record.set_storage_path = EntryOf<&CookieManager::SetStoragePath>;
}

CookieManager& CookieManager::Global() {
  static CookieManager* const global = MakeEngineObject<CookieManager>(std::wstring());
  return *global;
}

bool CookieManager::MoveStorage(std::wstring folder) {
  folder = WithoutTrailingSeparators(std::move(folder));
  const std::lock_guard lock(mutex_);
  if (folder == folder_) return true;
  CookieJar moving;
  UpdateLocked(folder_, [&moving](CookieJar& jar) {
    moving = jar;
    return false;
  });
  if (!UpdateLocked(folder, [&moving](CookieJar& jar) { return jar.Merge(moving); })) {
    return false;
  }
  folder_ = std::move(folder);
  if (!folder_.empty()) memory_ = {};
  return true;
}

bool CookieManager::Update(const std::function<bool(CookieJar&)>& change) {
  const std::lock_guard lock(mutex_);
  return UpdateLocked(folder_, change);
}

bool CookieManager::UpdateLocked(const std::wstring& folder,
                                 const std::function<bool(CookieJar&)>& change) {
  if (!folder.empty()) return UpdateCookieFolder(folder, change);
  memory_.DropExpired(NowTicks());
  change(memory_);
  return true;
}

std::vector<std::wstring> CookieManager::Schemes() const {
  const std::lock_guard lock(mutex_);
  return extra_schemes_;
}

void CookieManager::SetSupportedSchemes(cef_string_list_t schemes) {
  std::vector<std::wstring> extra;
  const int count = schemes == nullptr ? 0 : cef_string_list_size(schemes);
  for (int index = 0; index < count; ++index) {
    cef_string_t scheme{};
    if (cef_string_list_value(schemes, index, &scheme))
      extra.push_back(AsciiLower(ToWString(&scheme)));
    ClearString(&scheme);
  }
  const std::lock_guard lock(mutex_);
  extra_schemes_ = std::move(extra);
}

int CookieManager::VisitAllCookies(cef_cookie_visitor_t* visitor) {
  return Visit(visitor, [](const CookieJar& jar) { return jar.cookies(); });
}

int CookieManager::VisitUrlCookies(const cef_string_t* url, int include_http_only,
                                   cef_cookie_visitor_t* visitor) {
  const std::optional<CookieUrl> target = CookieUrlOf(ViewOf(url), Schemes());
  if (!target) {
    RecordRef<cef_cookie_visitor_t>::Adopt(visitor).Reset();
    return 0;
  }
  return Visit(visitor, [target = *target, include_http_only](const CookieJar& jar) {
    return jar.SeenBy(target, include_http_only != 0, NowTicks());
  });
}

int CookieManager::Visit(cef_cookie_visitor_t* visitor, Selection select) {
  // Shared so that the work may be copied; the last copy to go, on the IO
  // thread after the last call or wherever unrun work is let go, releases.
  auto held_visitor = std::make_shared<RecordRef<cef_cookie_visitor_t>>(
      RecordRef<cef_cookie_visitor_t>::Adopt(visitor));
  if (visitor == nullptr) return 0;
  auto held_self = std::make_shared<RecordRef<cef_cookie_manager_t>>(
      RecordRef<cef_cookie_manager_t>::Retain(record()));
  const bool posted = PostWork(TID_IO, [held_self, held_visitor, select = std::move(select)] {
    auto* self = static_cast<CookieManager*>(FromRecord(held_self->get()));
    self->RunVisit(held_visitor->get(), select);
  });
  return posted ? 1 : 0;
}

void CookieManager::RunVisit(cef_cookie_visitor_t* visitor, const Selection& select) {
  if (visitor->visit == nullptr) return;
  std::vector<Cookie> cookies;
  Update([&](const CookieJar& jar) {
    cookies = select(jar);
    return false;
  });
  const int total = static_cast<int>(cookies.size());
  for (int count = 0; count < total; ++count) {
    const Cookie& cookie = cookies[count];
    const cef_cookie_t record = RecordOf(cookie);
    int delete_cookie = 0;
    const int go_on = visitor->visit(visitor, &record, count, total, &delete_cookie);
    if (delete_cookie != 0) {
      Update([&cookie](CookieJar& jar) {
        return jar.RemoveIf([&cookie](const Cookie& kept) { return kept.SameKeyAs(cookie); }) > 0;
      });
    }
    if (go_on == 0) break;
  }
}

int CookieManager::SetCookie(const cef_string_t* url, const cef_cookie_t* cookie) {
  if (cookie == nullptr) return 0;
  const std::optional<CookieRequest> request = RequestOf(*cookie);
  return request && SetFromResponse(ViewOf(url), *request) ? 1 : 0;
}

std::vector<Cookie> CookieManager::CookiesFor(std::wstring_view url) {
  const std::optional<CookieUrl> target = CookieUrlOf(url, Schemes());
  std::vector<Cookie> cookies;
  if (!target) return cookies;
  Update([&](const CookieJar& jar) {
    cookies = jar.SeenBy(*target, true, NowTicks());
    return false;
  });
  return cookies;
}

bool CookieManager::SetFromResponse(std::wstring_view url, const CookieRequest& request) {
  const std::optional<CookieUrl> target = CookieUrlOf(url, Schemes());
  if (!target) return false;
  const Ticks now = NowTicks();
  std::optional<Cookie> made = MakeCookie(*target, request, now);
  if (!made) return false;
  return Update([&made, now](CookieJar& jar) { return jar.Set(std::move(*made), now); });
}

int CookieManager::DeleteCookies(const cef_string_t* url, const cef_string_t* cookie_name) {
  const std::wstring name = ToWString(cookie_name);
  std::optional<CookieUrl> target;
  if (!ViewOf(url).empty()) {
    target = CookieUrlOf(ViewOf(url), Schemes());
    if (!target) return 0;
  }
  const bool reached = Update([&](CookieJar& jar) {
    return jar.RemoveIf([&](const Cookie& cookie) {
      return (!target || DomainMatches(cookie, target->host)) &&
             (name.empty() || cookie.name == name);
    }) > 0;
  });
  return reached ? 1 : 0;
}

int CookieManager::SetStoragePath(const cef_string_t* path) {
  return MoveStorage(ToWString(path)) ? 1 : 0;
}

void SetGlobalCookieStorage(std::wstring_view folder) {
  CookieManager::Global().MoveStorage(std::wstring(folder));
}

}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT cef_cookie_manager_t* cef_cookie_manager_get_global_manager(void) {
  CookieManager& global = CookieManager::Global();
  global.AddRef();
  return global.record();
}

DEVENGINE_EXPORT cef_cookie_manager_t* cef_cookie_manager_create_manager(const cef_string_t* path) {
  return MakeEngineObject<CookieManager>(ToWString(path))->record();
}
