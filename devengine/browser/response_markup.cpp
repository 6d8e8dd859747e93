#include "response_markup.h"

#include "ascii.h"
#include "engine_texts.h"
#include "page/html.h"

namespace devengine::browser {
namespace {

// The media type alone, in lower case: "text/html" of "Text/HTML; charset=x".
std::wstring MediaTypeOf(const std::wstring& content_type) {
  std::wstring media = content_type.substr(0, content_type.find(L';'));
  while (!media.empty() && media.back() == L' ') media.pop_back();
  return AsciiLower(media);
}

}  // namespace

std::wstring MarkupOf(const FetchResponse& response) {
  const std::wstring media = MediaTypeOf(response.content_type);
  if (media.empty() || media == L"text/html" || media == L"application/xhtml+xml")
    return page::DecodeMarkup(response.body, response.content_type);
  if (media.starts_with(L"image/")) {
    return L"<html><body><img src=\"" + page::MarkupFromText(response.url) + L"\"></body></html>";
  }
  return L"<html><body><pre>" +
         page::MarkupFromText(page::DecodeMarkup(response.body, response.content_type)) +
         L"</pre></body></html>";
}

std::wstring ErrorPageMarkup(NetError error, const std::wstring& url) {
  const std::wstring address = page::MarkupFromText(url);
  const std::wstring detail = FillIn(LocalText(EngineText::kErrorDetail),
                                     {{L"code", std::to_wstring(static_cast<int>(error))},
                                      {L"reason", LocalText(ReasonOf(error))}});
  return L"<html><head><title>" + address + L"</title></head><body><h1>" +
         page::MarkupFromText(LocalText(EngineText::kErrorHeading)) + L"</h1><p>" + address +
         L"</p><p>" + page::MarkupFromText(detail) + L"</p></body></html>";
}

}  // namespace devengine::browser
