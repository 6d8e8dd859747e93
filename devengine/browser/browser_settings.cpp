#include "browser_settings.h"

#include <optional>
#include <string>

#include "engine_strings.h"
#include "url.h"

namespace devengine::browser {
namespace {

std::wstring SchemeOf(std::wstring_view url) {
  const std::optional<UrlParts> parts = ParseUrl(url);
  return parts ? parts->scheme : std::wstring();
}

constexpr cef_string_t cef_browser_settings_t::*kTexts[] = {
    &cef_browser_settings_t::standard_font_family,
    &cef_browser_settings_t::fixed_font_family,
    &cef_browser_settings_t::serif_font_family,
    &cef_browser_settings_t::sans_serif_font_family,
    &cef_browser_settings_t::cursive_font_family,
    &cef_browser_settings_t::fantasy_font_family,
    &cef_browser_settings_t::default_encoding,
    &cef_browser_settings_t::user_style_sheet_location,
};

void CopyFrom(cef_browser_settings_t& to, const cef_browser_settings_t& from) {
  to = from;
  to.size = sizeof(cef_browser_settings_t);
  for (const auto text : kTexts) {
    to.*text = {};
    Assign(&(to.*text), ViewOf(&(from.*text)));
  }
}

}  // namespace

OwnedBrowserSettings::OwnedBrowserSettings(const cef_browser_settings_t* from) {
  settings_.size = sizeof(cef_browser_settings_t);
  if (from != nullptr && from->size >= sizeof(cef_browser_settings_t)) CopyFrom(settings_, *from);
}

OwnedBrowserSettings::OwnedBrowserSettings(const OwnedBrowserSettings& other) {
  CopyFrom(settings_, other.settings_);
}

cef_browser_settings_t OwnedBrowserSettings::CopyForHandler() const {
  cef_browser_settings_t copy{};
  CopyFrom(copy, settings_);
  return copy;
}

OwnedBrowserSettings::~OwnedBrowserSettings() { ClearSettingsTexts(settings_); }

void ClearSettingsTexts(cef_browser_settings_t& settings) {
  for (const auto text : kTexts) ClearString(&(settings.*text));
}

bool OwnedBrowserSettings::MayReach(std::wstring_view from, std::wstring_view to) const {
  return !WebSecurityEnabled() || SchemeOf(to) != L"file" || SchemeOf(from) == L"file";
}

}  // namespace devengine::browser
