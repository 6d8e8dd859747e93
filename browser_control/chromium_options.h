// The per-browser switches and font settings a browser control passes to the
// engine when it creates a browser. Owned by the control; used on the main
// thread.
#pragma once

#include "cef_string.h"

using TCefState = cef_state_t;

// Each switch by its name and the settings-record field it feeds, in the
// record's order.
#define NIMBRA_CHROMIUM_OPTIONS(X)                                \
  X(Javascript, javascript)                                       \
  X(JavascriptOpenWindows, javascript_open_windows)               \
  X(JavascriptCloseWindows, javascript_close_windows)             \
  X(JavascriptAccessClipboard, javascript_access_clipboard)       \
  X(JavascriptDomPaste, javascript_dom_paste)                     \
  X(CaretBrowsing, caret_browsing)                                \
  X(Java, java)                                                   \
  X(Plugins, plugins)                                             \
  X(UniversalAccessFromFileUrls, universal_access_from_file_urls) \
  X(FileAccessFromFileUrls, file_access_from_file_urls)           \
  X(WebSecurity, web_security)                                    \
  X(ImageLoading, image_loading)                                  \
  X(ImageShrinkStandaloneToFit, image_shrink_standalone_to_fit)   \
  X(TextAreaResize, text_area_resize)                             \
  X(PageCache, page_cache)                                        \
  X(TabToLinks, tab_to_links)                                     \
  X(AuthorAndUserStyles, author_and_user_styles)                  \
  X(LocalStorage, local_storage)                                  \
  X(Databases, databases)                                         \
  X(ApplicationCache, application_cache)                          \
  X(Webgl, webgl)                                                 \
  X(AcceleratedCompositing, accelerated_compositing)              \
  X(DeveloperTools, developer_tools)

// The 23 switches; every one leaves the engine's default until set.
class TChromiumOptions {
 public:
#define NIMBRA_OPTION_ACCESSORS(Name, field)          \
  TCefState Name() const noexcept { return F##Name; } \
  void Set##Name(TCefState value) noexcept { F##Name = value; }
  NIMBRA_CHROMIUM_OPTIONS(NIMBRA_OPTION_ACCESSORS)
#undef NIMBRA_OPTION_ACCESSORS

 private:
#define NIMBRA_OPTION_FIELD(Name, field) TCefState F##Name = STATE_DEFAULT;
  NIMBRA_CHROMIUM_OPTIONS(NIMBRA_OPTION_FIELD)
#undef NIMBRA_OPTION_FIELD
};

// Font families and sizes; empty texts and zero sizes leave the engine's own.
// Texts are handed to the engine as views, so they are read by reference.
class TChromiumFontOptions {
 public:
  // Nothing sets it: the engine always gets its own standard family.
  const ustring& StandardFontFamily() const noexcept { return FStandardFontFamily; }
  const ustring& FixedFontFamily() const noexcept { return FFixedFontFamily; }
  void SetFixedFontFamily(const ustring& value) { FFixedFontFamily = value; }
  const ustring& SerifFontFamily() const noexcept { return FSerifFontFamily; }
  void SetSerifFontFamily(const ustring& value) { FSerifFontFamily = value; }
  const ustring& SansSerifFontFamily() const noexcept { return FSansSerifFontFamily; }
  void SetSansSerifFontFamily(const ustring& value) { FSansSerifFontFamily = value; }
  const ustring& CursiveFontFamily() const noexcept { return FCursiveFontFamily; }
  void SetCursiveFontFamily(const ustring& value) { FCursiveFontFamily = value; }
  const ustring& FantasyFontFamily() const noexcept { return FFantasyFontFamily; }
  void SetFantasyFontFamily(const ustring& value) { FFantasyFontFamily = value; }
  int DefaultFontSize() const noexcept { return FDefaultFontSize; }
  void SetDefaultFontSize(int value) noexcept { FDefaultFontSize = value; }
  int DefaultFixedFontSize() const noexcept { return FDefaultFixedFontSize; }
  void SetDefaultFixedFontSize(int value) noexcept { FDefaultFixedFontSize = value; }
  int MinimumFontSize() const noexcept { return FMinimumFontSize; }
  void SetMinimumFontSize(int value) noexcept { FMinimumFontSize = value; }
  int MinimumLogicalFontSize() const noexcept { return FMinimumLogicalFontSize; }
  void SetMinimumLogicalFontSize(int value) noexcept { FMinimumLogicalFontSize = value; }
  TCefState RemoteFonts() const noexcept { return FRemoteFontsDisabled; }
  void SetRemoteFonts(TCefState value) noexcept { FRemoteFontsDisabled = value; }

 private:
  ustring FStandardFontFamily;
  ustring FFixedFontFamily;
  ustring FSerifFontFamily;
  ustring FSansSerifFontFamily;
  ustring FCursiveFontFamily;
  ustring FFantasyFontFamily;
  int FDefaultFontSize = 0;
  int FDefaultFixedFontSize = 0;
  int FMinimumFontSize = 0;
  int FMinimumLogicalFontSize = 0;
  TCefState FRemoteFontsDisabled = STATE_DEFAULT;
};
