/* Records of a browser's client and its per-kind handlers, which the program
 * implements and the engine calls, and the small records and enumerations the
 * engine passes to them. Included by cef_capi.h; not meant to be included on
 * its own.
 *
 * Ownership at the boundary: every record argument carries one reference for
 * the handler; a record result or out-value carries one reference for the
 * engine. In/out texts and flags are the engine's own storage: the handler
 * reads them and writes its answer back into them. */
#ifndef NIMBRA_CEF_CAPI_HANDLERS_H
#define NIMBRA_CEF_CAPI_HANDLERS_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _cef_resource_handler_t cef_resource_handler_t;

/* The operating system's message behind a key event, and a cursor. */
typedef MSG* cef_event_handle_t;
typedef HCURSOR cef_cursor_handle_t;

typedef enum {
  TS_ABNORMAL_TERMINATION = 0,
  TS_PROCESS_WAS_KILLED,
  TS_PROCESS_CRASHED,
} cef_termination_status_t;

typedef enum {
  FOCUS_SOURCE_NAVIGATION = 0,
  FOCUS_SOURCE_SYSTEM,
} cef_focus_source_t;

/* Modifier keys and mouse buttons held during an event, as bits. */
typedef enum {
  EVENTFLAG_NONE = 0,
  EVENTFLAG_CAPS_LOCK_ON = 1 << 0,
  EVENTFLAG_SHIFT_DOWN = 1 << 1,
  EVENTFLAG_CONTROL_DOWN = 1 << 2,
  EVENTFLAG_ALT_DOWN = 1 << 3,
  EVENTFLAG_LEFT_MOUSE_BUTTON = 1 << 4,
  EVENTFLAG_MIDDLE_MOUSE_BUTTON = 1 << 5,
  EVENTFLAG_RIGHT_MOUSE_BUTTON = 1 << 6,
} cef_event_flags_t;

typedef enum {
  JSDIALOGTYPE_ALERT = 0,
  JSDIALOGTYPE_CONFIRM,
  JSDIALOGTYPE_PROMPT,
} cef_jsdialog_type_t;

typedef enum {
  PET_VIEW = 0,
  PET_POPUP,
} cef_paint_element_type_t;

typedef enum {
  KEYEVENT_RAWKEYDOWN = 0,
  KEYEVENT_KEYDOWN,
  KEYEVENT_KEYUP,
  KEYEVENT_CHAR,
} cef_key_event_type_t;

typedef struct _cef_rect_t {
  int x;
  int y;
  int width;
  int height;
} cef_rect_t;

typedef struct _cef_key_event_t {
  cef_key_event_type_t type;
  uint32_t modifiers; /* cef_event_flags_t bits */
  int windows_key_code;
  int native_key_code;
  int is_system_key;
  char16 character;
  char16 unmodified_character;
  int focus_on_editable_field;
} cef_key_event_t;

/* What a page asked of the window it opens; each *_set tells whether the
 * value before it was given. */
typedef struct _cef_popup_features_t {
  int x;
  int x_set;
  int y;
  int y_set;
  int width;
  int width_set;
  int height;
  int height_set;
  int menu_bar_visible;
  int status_bar_visible;
  int tool_bar_visible;
  int location_bar_visible;
  int scrollbars_visible;
  int resizable;
  int fullscreen;
  int dialog;
  cef_string_list_t additional_features;
} cef_popup_features_t;

struct _cef_life_span_handler_t {
  cef_base_t base;
  /* target_url and target_frame_name receive the handler's texts; *client is
   * a program client going in (borrowed) and carries one reference for the
   * engine coming out. */
  int(CEF_CALLBACK* on_before_popup)(struct _cef_life_span_handler_t* self, cef_browser_t* browser,
                                     cef_frame_t* frame, cef_string_t* target_url,
                                     cef_string_t* target_frame_name,
                                     cef_popup_features_t* popup_features,
                                     cef_window_info_t* window_info, cef_client_t** client,
                                     cef_browser_settings_t* settings, int* no_javascript_access);
  void(CEF_CALLBACK* on_after_created)(struct _cef_life_span_handler_t* self,
                                       cef_browser_t* browser);
  int(CEF_CALLBACK* run_modal)(struct _cef_life_span_handler_t* self, cef_browser_t* browser);
  int(CEF_CALLBACK* do_close)(struct _cef_life_span_handler_t* self, cef_browser_t* browser);
  void(CEF_CALLBACK* on_before_close)(struct _cef_life_span_handler_t* self,
                                      cef_browser_t* browser);
};

struct _cef_load_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_load_start)(struct _cef_load_handler_t* self, cef_browser_t* browser,
                                    cef_frame_t* frame);
  void(CEF_CALLBACK* on_load_end)(struct _cef_load_handler_t* self, cef_browser_t* browser,
                                  cef_frame_t* frame, int http_status_code);
  void(CEF_CALLBACK* on_load_error)(struct _cef_load_handler_t* self, cef_browser_t* browser,
                                    cef_frame_t* frame, int error_code,
                                    const cef_string_t* error_text, const cef_string_t* failed_url);
  void(CEF_CALLBACK* on_render_process_terminated)(struct _cef_load_handler_t* self,
                                                   cef_browser_t* browser,
                                                   cef_termination_status_t status);
  void(CEF_CALLBACK* on_plugin_crashed)(struct _cef_load_handler_t* self, cef_browser_t* browser,
                                        const cef_string_t* plugin_path);
};

struct _cef_display_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_loading_state_change)(struct _cef_display_handler_t* self,
                                              cef_browser_t* browser, int is_loading,
                                              int can_go_back, int can_go_forward);
  void(CEF_CALLBACK* on_address_change)(struct _cef_display_handler_t* self, cef_browser_t* browser,
                                        cef_frame_t* frame, const cef_string_t* url);
  void(CEF_CALLBACK* on_title_change)(struct _cef_display_handler_t* self, cef_browser_t* browser,
                                      const cef_string_t* title);
  /* text is engine-owned and receives the handler's text. */
  int(CEF_CALLBACK* on_tooltip)(struct _cef_display_handler_t* self, cef_browser_t* browser,
                                cef_string_t* text);
  void(CEF_CALLBACK* on_status_message)(struct _cef_display_handler_t* self, cef_browser_t* browser,
                                        const cef_string_t* value);
  int(CEF_CALLBACK* on_console_message)(struct _cef_display_handler_t* self, cef_browser_t* browser,
                                        const cef_string_t* message, const cef_string_t* source,
                                        int line);
};

struct _cef_focus_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_take_focus)(struct _cef_focus_handler_t* self, cef_browser_t* browser,
                                    int next);
  int(CEF_CALLBACK* on_set_focus)(struct _cef_focus_handler_t* self, cef_browser_t* browser,
                                  cef_focus_source_t source);
  void(CEF_CALLBACK* on_got_focus)(struct _cef_focus_handler_t* self, cef_browser_t* browser);
};

struct _cef_keyboard_handler_t {
  cef_base_t base;
  int(CEF_CALLBACK* on_pre_key_event)(struct _cef_keyboard_handler_t* self, cef_browser_t* browser,
                                      const cef_key_event_t* event, cef_event_handle_t os_event,
                                      int* is_keyboard_shortcut);
  int(CEF_CALLBACK* on_key_event)(struct _cef_keyboard_handler_t* self, cef_browser_t* browser,
                                  const cef_key_event_t* event, cef_event_handle_t os_event);
};

struct _cef_jsdialog_handler_t {
  cef_base_t base;
  int(CEF_CALLBACK* on_jsdialog)(struct _cef_jsdialog_handler_t* self, cef_browser_t* browser,
                                 const cef_string_t* origin_url, const cef_string_t* accept_lang,
                                 cef_jsdialog_type_t dialog_type, const cef_string_t* message_text,
                                 const cef_string_t* default_prompt_text,
                                 cef_jsdialog_callback_t* callback, int* suppress_message);
  int(CEF_CALLBACK* on_before_unload_dialog)(struct _cef_jsdialog_handler_t* self,
                                             cef_browser_t* browser,
                                             const cef_string_t* message_text, int is_reload,
                                             cef_jsdialog_callback_t* callback);
  void(CEF_CALLBACK* on_reset_dialog_state)(struct _cef_jsdialog_handler_t* self,
                                            cef_browser_t* browser);
};

struct _cef_context_menu_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_before_context_menu)(struct _cef_context_menu_handler_t* self,
                                             cef_browser_t* browser, cef_frame_t* frame,
                                             cef_context_menu_params_t* params,
                                             cef_menu_model_t* model);
  int(CEF_CALLBACK* on_context_menu_command)(struct _cef_context_menu_handler_t* self,
                                             cef_browser_t* browser, cef_frame_t* frame,
                                             cef_context_menu_params_t* params, int command_id,
                                             cef_event_flags_t event_flags);
  void(CEF_CALLBACK* on_context_menu_dismissed)(struct _cef_context_menu_handler_t* self,
                                                cef_browser_t* browser, cef_frame_t* frame);
};

struct _cef_request_handler_t {
  cef_base_t base;
  int(CEF_CALLBACK* on_before_resource_load)(struct _cef_request_handler_t* self,
                                             cef_browser_t* browser, cef_frame_t* frame,
                                             cef_request_t* request);
  cef_resource_handler_t*(CEF_CALLBACK* get_resource_handler)(struct _cef_request_handler_t* self,
                                                              cef_browser_t* browser,
                                                              cef_frame_t* frame,
                                                              cef_request_t* request);
  /* new_url is engine-owned and receives the handler's address when it gives one. */
  void(CEF_CALLBACK* on_resource_redirect)(struct _cef_request_handler_t* self,
                                           cef_browser_t* browser, cef_frame_t* frame,
                                           const cef_string_t* old_url, cef_string_t* new_url);
  int(CEF_CALLBACK* get_auth_credentials)(struct _cef_request_handler_t* self,
                                          cef_browser_t* browser, cef_frame_t* frame, int is_proxy,
                                          const cef_string_t* host, int port,
                                          const cef_string_t* realm, const cef_string_t* scheme,
                                          cef_auth_callback_t* callback);
  int(CEF_CALLBACK* on_quota_request)(struct _cef_request_handler_t* self, cef_browser_t* browser,
                                      const cef_string_t* origin_url, int64_t new_size,
                                      cef_quota_callback_t* callback);
  cef_cookie_manager_t*(CEF_CALLBACK* get_cookie_manager)(struct _cef_request_handler_t* self,
                                                          cef_browser_t* browser,
                                                          const cef_string_t* main_url);
  void(CEF_CALLBACK* on_protocol_execution)(struct _cef_request_handler_t* self,
                                            cef_browser_t* browser, const cef_string_t* url,
                                            int* allow_os_execution);
  int(CEF_CALLBACK* on_before_plugin_load)(struct _cef_request_handler_t* self,
                                           cef_browser_t* browser, const cef_string_t* url,
                                           const cef_string_t* policy_url,
                                           cef_web_plugin_info_t* info);
};

struct _cef_download_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_before_download)(struct _cef_download_handler_t* self,
                                         cef_browser_t* browser, cef_download_item_t* download_item,
                                         const cef_string_t* suggested_name,
                                         cef_before_download_callback_t* callback);
  void(CEF_CALLBACK* on_download_updated)(struct _cef_download_handler_t* self,
                                          cef_browser_t* browser,
                                          cef_download_item_t* download_item,
                                          cef_download_item_callback_t* callback);
};

struct _cef_geolocation_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_request_geolocation_permission)(struct _cef_geolocation_handler_t* self,
                                                        cef_browser_t* browser,
                                                        const cef_string_t* requesting_url,
                                                        int request_id,
                                                        cef_geolocation_callback_t* callback);
  void(CEF_CALLBACK* on_cancel_geolocation_permission)(struct _cef_geolocation_handler_t* self,
                                                       cef_browser_t* browser,
                                                       const cef_string_t* requesting_url,
                                                       int request_id);
};

struct _cef_dialog_handler_t {
  cef_base_t base;
  /* accept_types stays the engine's. */
  int(CEF_CALLBACK* on_file_dialog)(struct _cef_dialog_handler_t* self, cef_browser_t* browser,
                                    cef_file_dialog_mode_t mode, const cef_string_t* title,
                                    const cef_string_t* default_file_name,
                                    cef_string_list_t accept_types,
                                    cef_file_dialog_callback_t* callback);
};

struct _cef_render_handler_t {
  cef_base_t base;
  int(CEF_CALLBACK* get_root_screen_rect)(struct _cef_render_handler_t* self,
                                          cef_browser_t* browser, cef_rect_t* rect);
  int(CEF_CALLBACK* get_view_rect)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                                   cef_rect_t* rect);
  int(CEF_CALLBACK* get_screen_point)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                                      int view_x, int view_y, int* screen_x, int* screen_y);
  void(CEF_CALLBACK* on_popup_show)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                                    int show);
  void(CEF_CALLBACK* on_popup_size)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                                    const cef_rect_t* rect);
  void(CEF_CALLBACK* on_paint)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                               cef_paint_element_type_t type, size_t dirty_rects_count,
                               const cef_rect_t* dirty_rects, const void* buffer, int width,
                               int height);
  void(CEF_CALLBACK* on_cursor_change)(struct _cef_render_handler_t* self, cef_browser_t* browser,
                                       cef_cursor_handle_t cursor);
};

/* The engine asks a browser's client for each kind of handler; the load
 * handler's entry lies before the render handler's. */
struct _cef_client_t {
  cef_base_t base;
  cef_context_menu_handler_t*(CEF_CALLBACK* get_context_menu_handler)(struct _cef_client_t* self);
  cef_dialog_handler_t*(CEF_CALLBACK* get_dialog_handler)(struct _cef_client_t* self);
  cef_display_handler_t*(CEF_CALLBACK* get_display_handler)(struct _cef_client_t* self);
  cef_download_handler_t*(CEF_CALLBACK* get_download_handler)(struct _cef_client_t* self);
  cef_focus_handler_t*(CEF_CALLBACK* get_focus_handler)(struct _cef_client_t* self);
  cef_geolocation_handler_t*(CEF_CALLBACK* get_geolocation_handler)(struct _cef_client_t* self);
  cef_jsdialog_handler_t*(CEF_CALLBACK* get_jsdialog_handler)(struct _cef_client_t* self);
  cef_keyboard_handler_t*(CEF_CALLBACK* get_keyboard_handler)(struct _cef_client_t* self);
  cef_life_span_handler_t*(CEF_CALLBACK* get_life_span_handler)(struct _cef_client_t* self);
  cef_load_handler_t*(CEF_CALLBACK* get_load_handler)(struct _cef_client_t* self);
  cef_render_handler_t*(CEF_CALLBACK* get_render_handler)(struct _cef_client_t* self);
  cef_request_handler_t*(CEF_CALLBACK* get_request_handler)(struct _cef_client_t* self);
  int(CEF_CALLBACK* on_process_message_received)(struct _cef_client_t* self, cef_browser_t* browser,
                                                 cef_process_id_t source_process,
                                                 cef_process_message_t* message);
};

#ifdef __cplusplus
}
#endif

#endif
