// Cookies as the engine keeps them, and the rules that say which URL may set
// a cookie and which cookies a URL sees: domain, path and security matching
// in the manner of RFC 6265.
#ifndef NIMBRA_DEVENGINE_COOKIE_JAR_H
#define NIMBRA_DEVENGINE_COOKIE_JAR_H

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine_time.h"

namespace devengine {

struct Cookie {
  std::wstring name;
  std::wstring value;
  // In lower case. With a leading dot the cookie is seen by that domain and
  // every host under it; without, by that one host only.
  std::wstring domain;
  std::wstring path;
  bool secure = false;
  bool httponly = false;
  Ticks creation = 0;
  Ticks last_access = 0;
  // A session cookie has none.
  std::optional<Ticks> expires;

  bool SameKeyAs(const Cookie& other) const {
    return name == other.name && domain == other.domain && path == other.path;
  }
  bool ExpiredAt(Ticks now) const { return expires && *expires <= now; }
};

// What of a URL counts for its cookies.
struct CookieUrl {
  std::wstring host;
  std::wstring path;
  bool secure = false;
};

// Nullopt when `url` is no URL or its scheme is neither http, https nor one
// of `extra_schemes`.
std::optional<CookieUrl> CookieUrlOf(std::wstring_view url,
                                     std::span<const std::wstring> extra_schemes);

// A cookie as a program asks for it; the URL fills in what it leaves empty.
struct CookieRequest {
  std::wstring name;
  std::wstring value;
  std::wstring domain;
  std::wstring path;
  bool secure = false;
  bool httponly = false;
  std::optional<Ticks> expires;
};

// The cookie `request` makes when set from `url` at `now`; nullopt when the
// URL may not set it (a domain the host is not in) or it cannot be a cookie
// (a name or value with separators or control characters, or too long).
std::optional<Cookie> MakeCookie(const CookieUrl& url, const CookieRequest& request, Ticks now);

bool DomainMatches(const Cookie& cookie, std::wstring_view host);
bool PathMatches(std::wstring_view cookie_path, std::wstring_view url_path);

class CookieJar {
 public:
  const std::vector<Cookie>& cookies() const { return cookies_; }

  // Sets `cookie` in place of one of the same key, keeping that one's
  // creation time; an expired cookie only removes its namesake. Answers
  // whether the jar changed.
  bool Set(Cookie cookie, Ticks now);
  // Answers the number removed.
  std::size_t RemoveIf(const std::function<bool(const Cookie&)>& doomed);
  // Takes in the cookies of `other`; of two with the same key the one set
  // later stays. Answers whether the jar changed.
  bool Merge(const CookieJar& other);
  bool DropExpired(Ticks now);

  // The cookies `url` sees, longer paths first, then older ones first.
  std::vector<Cookie> SeenBy(const CookieUrl& url, bool include_httponly, Ticks now) const;

 private:
  std::vector<Cookie> cookies_;
};

}  // namespace devengine

#endif
