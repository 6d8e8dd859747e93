/* Records with which a browser is created: where its window goes and the
 * settings it starts with. The program fills both on its own stack and hands
 * them by address; the engine copies what it keeps. Texts in them are views
 * of the program's own strings (null dtor), valid for the call only.
 * Included by cef_capi.h; not meant to be included on its own. */
#ifndef NIMBRA_CEF_CAPI_CONTROL_H
#define NIMBRA_CEF_CAPI_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* A per-browser switch: the engine's default, or forced on or off. */
typedef enum {
  STATE_DEFAULT = 0,
  STATE_ENABLED = 1,
  STATE_DISABLED = 2,
} cef_state_t;

struct _cef_window_info_t {
  DWORD ex_style;
  cef_string_t window_name;
  DWORD style;
  int x;
  int y;
  int width;
  int height;
  cef_window_handle_t parent_window;
  HMENU menu;
  /* 32-bit truth values. */
  int window_rendering_disabled;
  int transparent_painting;
  /* The browser's own window, filled by the engine. */
  cef_window_handle_t window;
};

struct _cef_browser_settings_t {
  size_t size;
  cef_string_t standard_font_family;
  cef_string_t fixed_font_family;
  cef_string_t serif_font_family;
  cef_string_t sans_serif_font_family;
  cef_string_t cursive_font_family;
  cef_string_t fantasy_font_family;
  int default_font_size;
  int default_fixed_font_size;
  int minimum_font_size;
  int minimum_logical_font_size;
  cef_string_t default_encoding;
  cef_string_t user_style_sheet_location;
  cef_state_t remote_fonts;
  cef_state_t javascript;
  cef_state_t javascript_open_windows;
  cef_state_t javascript_close_windows;
  cef_state_t javascript_access_clipboard;
  cef_state_t javascript_dom_paste;
  cef_state_t caret_browsing;
  cef_state_t java;
  cef_state_t plugins;
  cef_state_t universal_access_from_file_urls;
  cef_state_t file_access_from_file_urls;
  cef_state_t web_security;
  cef_state_t image_loading;
  cef_state_t image_shrink_standalone_to_fit;
  cef_state_t text_area_resize;
  cef_state_t page_cache;
  cef_state_t tab_to_links;
  cef_state_t author_and_user_styles;
  cef_state_t local_storage;
  cef_state_t databases;
  cef_state_t application_cache;
  cef_state_t webgl;
  cef_state_t accelerated_compositing;
  cef_state_t developer_tools;
};

#ifdef __cplusplus
}
#endif

#endif
