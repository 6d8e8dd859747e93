// Absolute URLs taken apart and put together, in canonical form: the scheme
// and the host in lower case, a default port left out, dot segments of a
// path resolved, and spaces, quotes, angle brackets and non-ASCII text in
// the user name, password, path and query percent-encoded as UTF-8.
//
// A URL whose scheme is followed by "//" has an authority (user name,
// password, host, port); any other is opaque, and all it holds after the
// colon is its path, query marks included. http, https, ftp, ws and wss need
// a host; file takes an empty one.
#ifndef NIMBRA_DEVENGINE_URL_H
#define NIMBRA_DEVENGINE_URL_H

#include <optional>
#include <string>
#include <string_view>

namespace devengine {

// An empty part is an absent one. `spec` is the whole canonical URL,
// fragment included; no other part holds the fragment.
struct UrlParts {
  std::wstring spec;
  std::wstring scheme;
  std::wstring username;
  std::wstring password;
  std::wstring host;
  std::wstring port;
  std::wstring path;
  std::wstring query;
};

// Nullopt when `text` is not an absolute URL.
std::optional<UrlParts> ParseUrl(std::wstring_view text);

// The canonical URL of `parts`: that of their `spec` when it is given,
// otherwise the one made of the other parts. Nullopt when they make none.
std::optional<std::wstring> BuildUrl(const UrlParts& parts);

// The canonical URL that `reference`, as written in a page at `base`, leads
// to: an absolute URL, "//host/path", "/path", a relative path with "." and
// ".." segments, "?query" or "#fragment", resolved by the rules of RFC 3986.
// An opaque base (about:, data:) resolves only a fragment. Nullopt when
// `base` is no absolute URL or the result is none.
std::optional<std::wstring> ResolveUrl(std::wstring_view base, std::wstring_view reference);

}  // namespace devengine

#endif
