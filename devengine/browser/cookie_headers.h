// Cookies on the wire: the Set-Cookie header of a response read into the
// cookie it asks for, and the Cookie header a request carries.
#ifndef NIMBRA_DEVENGINE_BROWSER_COOKIE_HEADERS_H
#define NIMBRA_DEVENGINE_BROWSER_COOKIE_HEADERS_H

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cookie_jar.h"

namespace devengine::browser {

// RFC 6265, 5.2: name=value then attributes; Max-Age wins over Expires, and
// a date or age that cannot be read is passed over. Nullopt without a name.
std::optional<CookieRequest> ParseSetCookie(std::wstring_view header, Ticks now);

// "a=1; b=2", or empty when there are none.
std::wstring CookieHeaderValue(std::span<const Cookie> cookies);

}  // namespace devengine::browser

#endif
