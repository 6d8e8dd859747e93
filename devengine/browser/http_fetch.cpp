// http and https through WinINet. WinINet's own cookie handling, cache and
// redirect following are off: cookies come from and go to the engine's
// cookie store, and each redirect is shown to the request handler.
#include <windows.h>
#include <wininet.h>

#include <charconv>
#include <optional>
#include <vector>

#include "cookie_headers.h"
#include "cookie_manager.h"
#include "fetch.h"
#include "heap_records.h"
#include "url.h"
#include "utf.h"
#include "winhandle.h"

namespace devengine::browser {
namespace {

constexpr int kMostRedirects = 20;
constexpr DWORD kTimeoutMs = 30'000;
constexpr wchar_t kAgent[] = L"Nimbra development engine";

// One WinINet session for the process, opened on first use and kept: closing
// it while the process unloads could wait on WinINet's own threads.
struct Session {
  Session() {
    handle = InternetOpenW(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      DWORD timeout = kTimeoutMs;
      if (handle != nullptr) InternetSetOptionW(handle, option, &timeout, sizeof timeout);
    }
  }
  HINTERNET handle = nullptr;
};

HINTERNET TheSession() { return Immortal<Session>().handle; }

NetError ErrorOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
      return NetError::kConnectionRefused;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return NetError::kNameNotResolved;
    case ERROR_INTERNET_TIMEOUT:
      return NetError::kTimedOut;
    case ERROR_INTERNET_OPERATION_CANCELLED:
      return NetError::kAborted;
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
      return NetError::kConnectionFailed;
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return NetError::kEmptyResponse;
    default:
      return NetError::kFailed;
  }
}

// A header's values, or the empty list. `index` walks repeated headers.
std::vector<std::wstring> HeaderValues(HINTERNET request, DWORD query) {
  std::vector<std::wstring> values;
  for (DWORD index = 0;;) {
    const DWORD asked = index;
    DWORD size = 0;
    HttpQueryInfoW(request, query, nullptr, &size, &index);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) break;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    index = asked;
    if (!HttpQueryInfoW(request, query, value.data(), &size, &index)) break;
    value.resize(size / sizeof(wchar_t));
    values.push_back(std::move(value));
    if (index == asked) break;
  }
  return values;
}

std::optional<std::wstring> HeaderValue(HINTERNET request, DWORD query) {
  std::vector<std::wstring> values = HeaderValues(request, query);
  if (values.empty()) return std::nullopt;
  return std::move(values.front());
}

int StatusOf(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  return static_cast<int>(status);
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::wstring RequestHeaders(const RequestData& request) {
  std::wstring headers;
  for (const auto& [name, value] : request.headers) headers += name + L": " + value + L"\r\n";
  const std::wstring cookies = CookieHeaderValue(CookieManager::Global().CookiesFor(request.url));
  if (!cookies.empty()) headers += L"Cookie: " + cookies + L"\r\n";
  if ((request.flags & UR_FLAG_SKIP_CACHE) != 0)
    headers += L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  return headers;
}

void StoreCookies(HINTERNET request, const std::wstring& url) {
  const Ticks now = NowTicks();
  for (const std::wstring& header : HeaderValues(request, HTTP_QUERY_SET_COOKIE)) {
    if (const std::optional<CookieRequest> cookie = ParseSetCookie(header, now))
      CookieManager::Global().SetFromResponse(url, *cookie);
  }
}

struct Exchange {
  TInternetHandle connection;
  TInternetHandle request;
  NetError error = NetError::kNone;
};

// Sends `data` and waits for the answer's headers.
Exchange Send(const RequestData& data, const UrlParts& parts) {
  Exchange exchange;
  const bool secure = parts.scheme == L"https";
  INTERNET_PORT port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  if (!parts.port.empty()) {
    const std::string digits = Utf16ToUtf8(parts.port);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
      exchange.error = NetError::kInvalidUrl;
      return exchange;
    }
    port = static_cast<INTERNET_PORT>(value);
  }
  exchange.connection.reset(InternetConnectW(TheSession(), parts.host.c_str(), port, nullptr,
                                             nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!exchange.connection) {
    exchange.error = ErrorOf(GetLastError());
    return exchange;
  }
  const std::wstring object =
      (parts.path.empty() ? L"/" : parts.path) + (parts.query.empty() ? L"" : L"?" + parts.query);
  const DWORD flags = INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                      INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_NO_AUTH | (secure ? INTERNET_FLAG_SECURE : 0);
  static const wchar_t* const kAccept[] = {L"*/*", nullptr};
  const std::wstring method = data.method.empty() ? L"GET" : data.method;
  exchange.request.reset(HttpOpenRequestW(exchange.connection.get(), method.c_str(), object.c_str(),
                                          nullptr, nullptr, const_cast<const wchar_t**>(kAccept),
                                          flags, 0));
  if (!exchange.request) {
    exchange.error = ErrorOf(GetLastError());
    return exchange;
  }
  const std::wstring headers = RequestHeaders(data);
  std::string body = data.body;
  if (!HttpSendRequestW(exchange.request.get(), headers.empty() ? nullptr : headers.c_str(),
                        static_cast<DWORD>(headers.size()), body.empty() ? nullptr : body.data(),
                        static_cast<DWORD>(body.size())))
    exchange.error = ErrorOf(GetLastError());
  return exchange;
}

NetError ReadBody(HINTERNET request, const FetchControl& control, std::string& body) {
  char buffer[16 * 1024];
  for (;;) {
    if (control.cancelled()) return NetError::kAborted;
    DWORD read = 0;
    if (!InternetReadFile(request, buffer, sizeof buffer, &read)) return ErrorOf(GetLastError());
    if (read == 0) return NetError::kNone;
    if (body.size() + read > kLargestBody) return NetError::kFileTooBig;
    body.append(buffer, read);
  }
}

}  // namespace

FetchResponse FetchHttp(RequestData request, const FetchControl& control) {
  if (TheSession() == nullptr) return FailedFetch(NetError::kFailed, request.url);
  for (int redirects = 0;; ++redirects) {
    const std::optional<UrlParts> parts = ParseUrl(request.url);
    if (!parts || parts->host.empty()) return FailedFetch(NetError::kInvalidUrl, request.url);
    if (control.cancelled()) return FailedFetch(NetError::kAborted, request.url);
    Exchange exchange = Send(request, *parts);
    if (control.cancelled()) return FailedFetch(NetError::kAborted, request.url);
    if (exchange.error != NetError::kNone) return FailedFetch(exchange.error, request.url);
    HINTERNET answer = exchange.request.get();
    StoreCookies(answer, request.url);
    const int status = StatusOf(answer);
    const std::optional<std::wstring> location = HeaderValue(answer, HTTP_QUERY_LOCATION);
    if (IsRedirect(status) && location) {
      if (redirects == kMostRedirects) return FailedFetch(NetError::kTooManyRedirects, request.url);
      std::optional<std::wstring> next = ResolveUrl(request.url, *location);
      if (!next) return FailedFetch(NetError::kInvalidUrl, *location);
      if (!control.redirected(request.url, *next))
        return FailedFetch(NetError::kAborted, request.url);
      const std::optional<UrlParts> next_parts = ParseUrl(*next);
      if (!next_parts || (next_parts->scheme != L"http" && next_parts->scheme != L"https"))
        return FailedFetch(NetError::kUnknownUrlScheme, *next);
      // 303, and 301 or 302 after a POST, go on as a GET without a body.
      if (status == 303 || ((status == 301 || status == 302) && request.method == L"POST")) {
        request.method = L"GET";
        request.body.clear();
      }
      request.url = next_parts->spec;
      continue;
    }
    FetchResponse response;
    response.status = status;
    response.url = request.url;
    response.content_type = HeaderValue(answer, HTTP_QUERY_CONTENT_TYPE).value_or(L"");
    response.error = ReadBody(answer, control, response.body);
    if (response.error != NetError::kNone) return FailedFetch(response.error, request.url);
    return response;
  }
}

}  // namespace devengine::browser
