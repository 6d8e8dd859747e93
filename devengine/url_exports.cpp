// cef_parse_url and cef_create_url over the engine's URL parser. Every text
// given back is an engine-owned copy that the caller clears.
#include <optional>

#include "engine_strings.h"
#include "exports.h"
#include "url.h"

namespace devengine {
namespace {

struct UrlField {
  cef_string_t cef_urlparts_t::*record;
  std::wstring UrlParts::*native;
};

constexpr UrlField kUrlFields[] = {
    {&cef_urlparts_t::spec, &UrlParts::spec},
    {&cef_urlparts_t::scheme, &UrlParts::scheme},
    {&cef_urlparts_t::username, &UrlParts::username},
    {&cef_urlparts_t::password, &UrlParts::password},
    {&cef_urlparts_t::host, &UrlParts::host},
    {&cef_urlparts_t::port, &UrlParts::port},
    {&cef_urlparts_t::path, &UrlParts::path},
    {&cef_urlparts_t::query, &UrlParts::query},
};

// An absent part is left as the empty record, so it costs no allocation.
void Put(cef_string_t* record, const std::wstring& text) {
  if (text.empty()) {
    ClearString(record);
  } else {
    Assign(record, text);
  }
}

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT int cef_parse_url(const cef_string_t* url, cef_urlparts_t* parts) {
  if (url == nullptr || parts == nullptr) return 0;
  const std::optional<UrlParts> parsed = ParseUrl(ViewOf(url));
  if (!parsed) return 0;
  for (const UrlField& field : kUrlFields) Put(&(parts->*field.record), (*parsed).*field.native);
  return 1;
}

DEVENGINE_EXPORT int cef_create_url(const cef_urlparts_t* parts, cef_string_t* url) {
  if (parts == nullptr || url == nullptr) return 0;
  UrlParts given;
  for (const UrlField& field : kUrlFields) given.*field.native = ViewOf(&(parts->*field.record));
  const std::optional<std::wstring> built = BuildUrl(given);
  if (!built) return 0;
  Assign(url, *built);
  return 1;
}
