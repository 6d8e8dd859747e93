// The engine's cookie manager record. Its cookies live in memory or in a
// folder on disk shared with other processes (cookie_file.h). Any thread may
// call it; setting and deleting happen on the caller's thread, while visits
// run on the engine's IO thread, so a visitor is never called on the thread
// that asked for the visit.
#ifndef NIMBRA_DEVENGINE_COOKIE_MANAGER_H
#define NIMBRA_DEVENGINE_COOKIE_MANAGER_H

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cef_capi.h"
#include "cookie_jar.h"
#include "engine_object.h"

namespace devengine {

class CookieManager final : public EngineObject<cef_cookie_manager_t> {
 public:
  // An empty folder keeps the cookies in memory.
  explicit CookieManager(std::wstring folder);

  // Made on first use, in memory until the engine is initialised; never
  // freed.
  static CookieManager& Global();

  // Keeps the cookies in `folder` from now on, taking in those already
  // there; of two with the same key the one set later stays. Answers false,
  // keeping the cookies where they were, when the folder cannot be used.
  bool MoveStorage(std::wstring folder);

  // For the engine's own loads: the cookies a request to `url` carries,
  // httponly ones included, and a cookie that a response from `url` sets.
  std::vector<Cookie> CookiesFor(std::wstring_view url);
  bool SetFromResponse(std::wstring_view url, const CookieRequest& request);

 private:
  using Selection = std::function<std::vector<Cookie>(const CookieJar&)>;

  void SetSupportedSchemes(cef_string_list_t schemes);
  int VisitAllCookies(cef_cookie_visitor_t* visitor);
  int VisitUrlCookies(const cef_string_t* url, int include_http_only,
                      cef_cookie_visitor_t* visitor);
  int SetCookie(const cef_string_t* url, const cef_cookie_t* cookie);
  int DeleteCookies(const cef_string_t* url, const cef_string_t* cookie_name);
  int SetStoragePath(const cef_string_t* path);

  // Runs `change` on the cookies where they are kept, saving them when it
  // answers true; false when they could not be reached.
  bool Update(const std::function<bool(CookieJar&)>& change);
  bool UpdateLocked(const std::wstring& folder, const std::function<bool(CookieJar&)>& change);
  std::vector<std::wstring> Schemes() const;
  // Takes over the program's reference on `visitor`.
  int Visit(cef_cookie_visitor_t* visitor, Selection select);
  void RunVisit(cef_cookie_visitor_t* visitor, const Selection& select);

  mutable std::mutex mutex_;
  std::wstring folder_;
  CookieJar memory_;
  std::vector<std::wstring> extra_schemes_;
};

// Where the global manager keeps its cookies once the engine is initialised.
void SetGlobalCookieStorage(std::wstring_view folder);

}  // namespace devengine

#endif
