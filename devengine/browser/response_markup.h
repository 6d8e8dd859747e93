// The markup a frame shows for what a load brought: a document as it came,
// text and other content as plain text, an image on a page of its own, and
// the engine's page for a load that failed.
#ifndef NIMBRA_DEVENGINE_BROWSER_RESPONSE_MARKUP_H
#define NIMBRA_DEVENGINE_BROWSER_RESPONSE_MARKUP_H

#include <string>

#include "fetch.h"

namespace devengine::browser {

std::wstring MarkupOf(const FetchResponse& response);
std::wstring ErrorPageMarkup(NetError error, const std::wstring& url);

}  // namespace devengine::browser

#endif
