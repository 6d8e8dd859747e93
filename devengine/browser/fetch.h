// Fetching what an address names: http and https through WinINet with the
// engine's own cookie store, file from disk, data from the address itself
// and about:blank. Blocking: the engine runs fetches on network job threads
// (job_threads.h), never on its UI thread.
#ifndef NIMBRA_DEVENGINE_BROWSER_FETCH_H
#define NIMBRA_DEVENGINE_BROWSER_FETCH_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "net_error.h"
#include "request.h"

namespace devengine::browser {

struct FetchResponse {
  NetError error = NetError::kNone;
  // HTTP status; 200 for what came from a file, a data address or about:blank.
  int status = 0;
  // The address that answered, after redirects.
  std::wstring url;
  std::wstring content_type;
  std::string body;
};

// Larger files and documents are refused rather than held in memory.
constexpr std::size_t kLargestBody = std::size_t{64} << 20;

// The answer to a fetch that ended with `error` at `url`.
inline FetchResponse FailedFetch(NetError error, std::wstring url) {
  FetchResponse response;
  response.error = error;
  response.url = std::move(url);
  return response;
}

struct FetchControl {
  // Polled between steps; once it answers true the fetch ends as aborted.
  std::function<bool()> cancelled = [] { return false; };
  // Told of each HTTP redirect; may change the new address. Answers false
  // to end the fetch as aborted.
  std::function<bool(const std::wstring& from, std::wstring& to)> redirected =
      [](const std::wstring&, std::wstring&) { return true; };
};

FetchResponse Fetch(const RequestData& request, const FetchControl& control);

// The http and https part of Fetch.
FetchResponse FetchHttp(RequestData request, const FetchControl& control);

// The bytes `text` stands for: %XX escapes decoded, every other character
// as UTF-8.
std::string PercentDecoded(std::wstring_view text);

// Whether Fetch knows the address's scheme at all.
bool IsFetchableScheme(std::wstring_view scheme);

}  // namespace devengine::browser

#endif
