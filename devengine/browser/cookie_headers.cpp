#include "cookie_headers.h"

#include <windows.h>
#include <wininet.h>

#include <charconv>
#include <limits>

#include "utf.h"

namespace devengine::browser {
namespace {

std::wstring_view Trimmed(std::wstring_view text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool SameName(std::wstring_view name, std::wstring_view expected) {
  return name.size() == expected.size() &&
         _wcsnicmp(name.data(), expected.data(), name.size()) == 0;
}

std::optional<Ticks> DateTicks(std::wstring_view text) {
  const std::wstring date(text);
  SYSTEMTIME system{};
  if (!InternetTimeToSystemTimeW(date.c_str(), &system, 0)) return std::nullopt;
  return TicksOf(system);
}

std::optional<Ticks> AgeTicks(std::wstring_view text, Ticks now) {
  const std::string digits = Utf16ToUtf8(text);
  long long seconds = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  // A zero or negative age removes the cookie at once.
  if (seconds <= 0) return Ticks{0};
  constexpr long long kLongest = std::numeric_limits<Ticks>::max() / kTicksPerSecond / 2;
  return now + std::min(seconds, kLongest) * kTicksPerSecond;
}

}  // namespace

std::optional<CookieRequest> ParseSetCookie(std::wstring_view header, Ticks now) {
  const std::size_t first_end = header.find(L';');
  const std::wstring_view pair = header.substr(0, first_end);
  const std::size_t equals = pair.find(L'=');
  if (equals == std::wstring_view::npos) return std::nullopt;
  CookieRequest cookie;
  cookie.name = Trimmed(pair.substr(0, equals));
  cookie.value = Trimmed(pair.substr(equals + 1));
  if (cookie.name.empty()) return std::nullopt;
  std::optional<Ticks> expires;
  std::optional<Ticks> max_age;
  std::wstring_view rest =
      first_end == std::wstring_view::npos ? std::wstring_view() : header.substr(first_end + 1);
  while (!rest.empty()) {
    const std::size_t end = rest.find(L';');
    const std::wstring_view attribute = rest.substr(0, end);
    rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    const std::size_t sign = attribute.find(L'=');
    const std::wstring_view name = Trimmed(attribute.substr(0, sign));
    const std::wstring_view value =
        sign == std::wstring_view::npos ? std::wstring_view() : Trimmed(attribute.substr(sign + 1));
    if (SameName(name, L"domain")) {
      cookie.domain = value;
    } else if (SameName(name, L"path")) {
      cookie.path = value;
    } else if (SameName(name, L"secure")) {
      cookie.secure = true;
    } else if (SameName(name, L"httponly")) {
      cookie.httponly = true;
    } else if (SameName(name, L"expires")) {
      if (const std::optional<Ticks> date = DateTicks(value)) expires = date;
    } else if (SameName(name, L"max-age")) {
      if (const std::optional<Ticks> age = AgeTicks(value, now)) max_age = age;
    }
  }
  cookie.expires = max_age ? max_age : expires;
  return cookie;
}

std::wstring CookieHeaderValue(std::span<const Cookie> cookies) {
  std::wstring value;
  for (const Cookie& cookie : cookies) {
    if (!value.empty()) value += L"; ";
    value += cookie.name + L"=" + cookie.value;
  }
  return value;
}

}  // namespace devengine::browser
