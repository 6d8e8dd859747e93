#include "cookie_jar.h"

#include <algorithm>
#include <iterator>

#include "ascii.h"
#include "url.h"

namespace devengine {
namespace {

constexpr std::wstring_view kAlwaysSupported[] = {L"http", L"https"};
constexpr std::wstring_view kSecureSchemes[] = {L"https", L"wss"};
// The most a browser is asked to keep of one cookie's name and value.
constexpr std::size_t kLongestCookie = 4096;

bool Contains(auto&& range, std::wstring_view item) {
  return std::ranges::find(range, item) != std::ranges::end(range);
}

bool HasControlCharacter(std::wstring_view text) {
  return std::ranges::any_of(text, [](wchar_t ch) { return ch < L' ' || ch == 0x7F; });
}

bool IsCookieName(std::wstring_view name) {
  return !HasControlCharacter(name) && name.find_first_of(L";=") == std::wstring_view::npos;
}

bool IsCookieValue(std::wstring_view value) {
  return !HasControlCharacter(value) && value.find(L';') == std::wstring_view::npos;
}

// A domain attribute never widens a cookie to an IP address's neighbours.
bool IsIpAddress(std::wstring_view host) {
  return host.starts_with(L'[') || std::ranges::all_of(host, [](wchar_t ch) {
           return ch == L'.' || (ch >= L'0' && ch <= L'9');
         });
}

bool HostIsIn(std::wstring_view host, std::wstring_view domain) {
  return host == domain || (host.size() > domain.size() && host.ends_with(domain) &&
                            host[host.size() - domain.size() - 1] == L'.');
}

// The folder of the URL's path: up to its last slash, or "/".
std::wstring DefaultPath(std::wstring_view url_path) {
  const std::size_t last_slash = url_path.rfind(L'/');
  if (!url_path.starts_with(L'/') || last_slash == 0) return L"/";
  return std::wstring(url_path.substr(0, last_slash));
}

// The cookie's domain for the request's; nullopt when the host may not set it.
std::optional<std::wstring> DomainFor(std::wstring_view host, std::wstring_view requested) {
  std::wstring domain = AsciiLower(requested);
  if (domain.starts_with(L'.')) domain.erase(0, 1);
  if (requested.empty()) return std::wstring(host);
  if (domain.empty() || !HostIsIn(host, domain)) return std::nullopt;
  if (IsIpAddress(host)) {
    if (domain != host) return std::nullopt;
    return std::wstring(host);
  }
  // One label alone ("com") would reach every site under it.
  if (domain != host && domain.find(L'.') == std::wstring::npos) return std::nullopt;
  return L"." + domain;
}

}  // namespace

std::optional<CookieUrl> CookieUrlOf(std::wstring_view url,
                                     std::span<const std::wstring> extra_schemes) {
  const std::optional<UrlParts> parts = ParseUrl(url);
  if (!parts ||
      !(Contains(kAlwaysSupported, parts->scheme) || Contains(extra_schemes, parts->scheme))) {
    return std::nullopt;
  }
  return CookieUrl{parts->host, parts->path.empty() ? L"/" : parts->path,
                   Contains(kSecureSchemes, parts->scheme)};
}

std::optional<Cookie> MakeCookie(const CookieUrl& url, const CookieRequest& request, Ticks now) {
  if (!IsCookieName(request.name) || !IsCookieValue(request.value) ||
      request.name.size() + request.value.size() > kLongestCookie) {
    return std::nullopt;
  }
  std::optional<std::wstring> domain = DomainFor(url.host, request.domain);
  if (!domain) return std::nullopt;
  const bool path_given = request.path.starts_with(L'/') && !HasControlCharacter(request.path);
  return Cookie{request.name,
                request.value,
                std::move(*domain),
                path_given ? request.path : DefaultPath(url.path),
                request.secure,
                request.httponly,
                now,
                now,
                request.expires};
}

bool DomainMatches(const Cookie& cookie, std::wstring_view host) {
  if (!cookie.domain.starts_with(L'.')) return cookie.domain == host;
  return HostIsIn(host, std::wstring_view(cookie.domain).substr(1));
}

bool PathMatches(std::wstring_view cookie_path, std::wstring_view url_path) {
  if (!url_path.starts_with(cookie_path)) return false;
  return url_path.size() == cookie_path.size() || cookie_path.ends_with(L'/') ||
         url_path[cookie_path.size()] == L'/';
}

bool CookieJar::Set(Cookie cookie, Ticks now) {
  const auto same = std::ranges::find_if(
      cookies_, [&cookie](const Cookie& kept) { return kept.SameKeyAs(cookie); });
  if (cookie.ExpiredAt(now)) {
    if (same == cookies_.end()) return false;
    cookies_.erase(same);
    return true;
  }
  if (same == cookies_.end()) {
    cookies_.push_back(std::move(cookie));
  } else {
    cookie.creation = same->creation;
    *same = std::move(cookie);
  }
  return true;
}

std::size_t CookieJar::RemoveIf(const std::function<bool(const Cookie&)>& doomed) {
  return std::erase_if(cookies_, doomed);
}

bool CookieJar::Merge(const CookieJar& other) {
  bool changed = false;
  for (const Cookie& cookie : other.cookies_) {
    const auto same = std::ranges::find_if(
        cookies_, [&cookie](const Cookie& kept) { return kept.SameKeyAs(cookie); });
    if (same == cookies_.end()) {
      cookies_.push_back(cookie);
    } else if (same->last_access < cookie.last_access) {
      *same = cookie;
    } else {
      continue;
    }
    changed = true;
  }
  return changed;
}

bool CookieJar::DropExpired(Ticks now) {
  return RemoveIf([now](const Cookie& cookie) { return cookie.ExpiredAt(now); }) > 0;
}

std::vector<Cookie> CookieJar::SeenBy(const CookieUrl& url, bool include_httponly,
                                      Ticks now) const {
  std::vector<Cookie> seen;
  std::ranges::copy_if(cookies_, std::back_inserter(seen), [&](const Cookie& cookie) {
    return DomainMatches(cookie, url.host) && PathMatches(cookie.path, url.path) &&
           (url.secure || !cookie.secure) && (include_httponly || !cookie.httponly) &&
           !cookie.ExpiredAt(now);
  });
  std::ranges::stable_sort(seen, [](const Cookie& first, const Cookie& second) {
    if (first.path.size() != second.path.size()) return first.path.size() > second.path.size();
    return first.creation < second.creation;
  });
  return seen;
}

}  // namespace devengine
