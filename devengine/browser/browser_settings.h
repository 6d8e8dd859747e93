// A browser's own copy of the settings it was created with, and what the
// engine makes of them. The program's record holds views of its texts,
// valid for the creating call only, so every text is copied.
#ifndef NIMBRA_DEVENGINE_BROWSER_BROWSER_SETTINGS_H
#define NIMBRA_DEVENGINE_BROWSER_BROWSER_SETTINGS_H

#include <string_view>

#include "cef_capi.h"

namespace devengine::browser {

class OwnedBrowserSettings {
 public:
  // A null record or one too short for its fields gives the defaults.
  explicit OwnedBrowserSettings(const cef_browser_settings_t* from);
  OwnedBrowserSettings(const OwnedBrowserSettings& other);
  OwnedBrowserSettings& operator=(const OwnedBrowserSettings&) = delete;
  ~OwnedBrowserSettings();

  const cef_browser_settings_t& get() const { return settings_; }
  // A record for a handler to change, its texts engine-owned copies; the
  // caller frees them with ClearSettingsTexts.
  cef_browser_settings_t CopyForHandler() const;

  // Switches left at STATE_DEFAULT are on.
  bool JavascriptEnabled() const { return settings_.javascript != STATE_DISABLED; }
  bool ImagesEnabled() const { return settings_.image_loading != STATE_DISABLED; }
  bool WebSecurityEnabled() const { return settings_.web_security != STATE_DISABLED; }
  // With web security on, a page from the network reaches no file on disk.
  bool MayReach(std::wstring_view from, std::wstring_view to) const;

 private:
  cef_browser_settings_t settings_{};
};

// Frees the engine-owned texts of a settings record the engine filled for a
// handler (the program may have put its own texts there through the engine).
void ClearSettingsTexts(cef_browser_settings_t& settings);

}  // namespace devengine::browser

#endif
