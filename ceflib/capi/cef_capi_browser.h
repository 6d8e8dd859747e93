/* Records of the browser side: browsers, their hosts and frames, requests with
 * their post data, and the records the engine hands to browser handlers
 * (context-menu parameters, download items, the callbacks through which a
 * handler answers later, plug-in information).
 * Included by cef_capi.h; not meant to be included on its own. */
#ifndef NIMBRA_CEF_CAPI_BROWSER_H
#define NIMBRA_CEF_CAPI_BROWSER_H

#ifdef __cplusplus
extern "C" {
#endif

typedef HWND cef_window_handle_t;

/* Declared with the handler records, which are included after these; used
 * here by pointer only. */
struct _cef_rect_t;
struct _cef_key_event_t;

typedef enum {
  FILE_DIALOG_OPEN = 0,
  FILE_DIALOG_OPEN_MULTIPLE,
  FILE_DIALOG_SAVE,
} cef_file_dialog_mode_t;

/* Windowless input: a position in view coordinates and the held modifier keys
 * (EVENTFLAG_* bits). */
typedef struct _cef_mouse_event_t {
  int x;
  int y;
  uint32_t modifiers;
} cef_mouse_event_t;

typedef enum {
  MBT_LEFT = 0,
  MBT_MIDDLE,
  MBT_RIGHT,
} cef_mouse_button_type_t;

/* ---- Browser and host ------------------------------------------------- */

struct _cef_browser_t {
  cef_base_t base;
  cef_browser_host_t*(CEF_CALLBACK* get_host)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* can_go_back)(struct _cef_browser_t* self);
  void(CEF_CALLBACK* go_back)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* can_go_forward)(struct _cef_browser_t* self);
  void(CEF_CALLBACK* go_forward)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* is_loading)(struct _cef_browser_t* self);
  void(CEF_CALLBACK* reload)(struct _cef_browser_t* self);
  void(CEF_CALLBACK* reload_ignore_cache)(struct _cef_browser_t* self);
  void(CEF_CALLBACK* stop_load)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* get_identifier)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* is_same)(struct _cef_browser_t* self, struct _cef_browser_t* that);
  int(CEF_CALLBACK* is_popup)(struct _cef_browser_t* self);
  int(CEF_CALLBACK* has_document)(struct _cef_browser_t* self);
  cef_frame_t*(CEF_CALLBACK* get_main_frame)(struct _cef_browser_t* self);
  cef_frame_t*(CEF_CALLBACK* get_focused_frame)(struct _cef_browser_t* self);
  cef_frame_t*(CEF_CALLBACK* get_frame_byident)(struct _cef_browser_t* self, int64_t identifier);
  cef_frame_t*(CEF_CALLBACK* get_frame)(struct _cef_browser_t* self, const cef_string_t* name);
  size_t(CEF_CALLBACK* get_frame_count)(struct _cef_browser_t* self);
  /* On entry *identifiers_count is the capacity of `identifiers`; on return
   * the number of identifiers written (never more than the capacity). */
  void(CEF_CALLBACK* get_frame_identifiers)(struct _cef_browser_t* self, size_t* identifiers_count,
                                            int64_t* identifiers);
  void(CEF_CALLBACK* get_frame_names)(struct _cef_browser_t* self, cef_string_list_t names);
  int(CEF_CALLBACK* send_process_message)(struct _cef_browser_t* self,
                                          cef_process_id_t target_process,
                                          cef_process_message_t* message);
};

struct _cef_browser_host_t {
  cef_base_t base;
  cef_browser_t*(CEF_CALLBACK* get_browser)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* parent_window_will_close)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* close_browser)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* set_focus)(struct _cef_browser_host_t* self, int enable);
  cef_window_handle_t(CEF_CALLBACK* get_window_handle)(struct _cef_browser_host_t* self);
  cef_window_handle_t(CEF_CALLBACK* get_opener_window_handle)(struct _cef_browser_host_t* self);
  cef_client_t*(CEF_CALLBACK* get_client)(struct _cef_browser_host_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_dev_tools_url)(struct _cef_browser_host_t* self,
                                                         int http_scheme);
  double(CEF_CALLBACK* get_zoom_level)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* set_zoom_level)(struct _cef_browser_host_t* self, double zoom_level);
  void(CEF_CALLBACK* run_file_dialog)(struct _cef_browser_host_t* self, cef_file_dialog_mode_t mode,
                                      const cef_string_t* title,
                                      const cef_string_t* default_file_name,
                                      cef_string_list_t accept_types,
                                      cef_run_file_dialog_callback_t* callback);
  void(CEF_CALLBACK* start_download)(struct _cef_browser_host_t* self, const cef_string_t* url);
  void(CEF_CALLBACK* print)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* find)(struct _cef_browser_host_t* self, int identifier,
                           const cef_string_t* search_text, int forward, int match_case,
                           int find_next);
  void(CEF_CALLBACK* stop_finding)(struct _cef_browser_host_t* self, int clear_selection);
  void(CEF_CALLBACK* set_mouse_cursor_change_disabled)(struct _cef_browser_host_t* self,
                                                       int disabled);
  int(CEF_CALLBACK* is_mouse_cursor_change_disabled)(struct _cef_browser_host_t* self);
  int(CEF_CALLBACK* is_window_rendering_disabled)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* was_resized)(struct _cef_browser_host_t* self);
  void(CEF_CALLBACK* was_hidden)(struct _cef_browser_host_t* self, int hidden);
  void(CEF_CALLBACK* notify_screen_info_changed)(struct _cef_browser_host_t* self);
  /* element_type: a cef_paint_element_type_t (handler records). */
  void(CEF_CALLBACK* invalidate)(struct _cef_browser_host_t* self,
                                 const struct _cef_rect_t* dirty_rect, int element_type);
  void(CEF_CALLBACK* send_key_event)(struct _cef_browser_host_t* self,
                                     const struct _cef_key_event_t* event);
  void(CEF_CALLBACK* send_mouse_click_event)(struct _cef_browser_host_t* self,
                                             const cef_mouse_event_t* event,
                                             cef_mouse_button_type_t type, int mouse_up,
                                             int click_count);
  void(CEF_CALLBACK* send_mouse_move_event)(struct _cef_browser_host_t* self,
                                            const cef_mouse_event_t* event, int mouse_leave);
  void(CEF_CALLBACK* send_mouse_wheel_event)(struct _cef_browser_host_t* self,
                                             const cef_mouse_event_t* event, int delta_x,
                                             int delta_y);
  void(CEF_CALLBACK* send_focus_event)(struct _cef_browser_host_t* self, int set_focus);
  void(CEF_CALLBACK* send_capture_lost_event)(struct _cef_browser_host_t* self);
};

/* ---- Frame ------------------------------------------------------------ */

struct _cef_frame_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* undo)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* redo)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* cut)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* copy)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* paste)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* del)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* select_all)(struct _cef_frame_t* self);
  void(CEF_CALLBACK* view_source)(struct _cef_frame_t* self);
  /* The visitor is called once, later, with the frame's markup or text. */
  void(CEF_CALLBACK* get_source)(struct _cef_frame_t* self, cef_string_visitor_t* visitor);
  void(CEF_CALLBACK* get_text)(struct _cef_frame_t* self, cef_string_visitor_t* visitor);
  void(CEF_CALLBACK* load_request)(struct _cef_frame_t* self, cef_request_t* request);
  void(CEF_CALLBACK* load_url)(struct _cef_frame_t* self, const cef_string_t* url);
  void(CEF_CALLBACK* load_string)(struct _cef_frame_t* self, const cef_string_t* string_val,
                                  const cef_string_t* url);
  void(CEF_CALLBACK* execute_java_script)(struct _cef_frame_t* self, const cef_string_t* code,
                                          const cef_string_t* script_url, int start_line);
  int(CEF_CALLBACK* is_main)(struct _cef_frame_t* self);
  int(CEF_CALLBACK* is_focused)(struct _cef_frame_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_name)(struct _cef_frame_t* self);
  int64_t(CEF_CALLBACK* get_identifier)(struct _cef_frame_t* self);
  struct _cef_frame_t*(CEF_CALLBACK* get_parent)(struct _cef_frame_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_url)(struct _cef_frame_t* self);
  cef_browser_t*(CEF_CALLBACK* get_browser)(struct _cef_frame_t* self);
  cef_v8context_t*(CEF_CALLBACK* get_v8context)(struct _cef_frame_t* self);
  /* Render process only: the visitor is called with the frame's document. */
  void(CEF_CALLBACK* visit_dom)(struct _cef_frame_t* self, cef_domvisitor_t* visitor);
};

/* ---- Request and post data -------------------------------------------- */

typedef enum {
  UR_FLAG_NONE = 0,
  UR_FLAG_SKIP_CACHE = 1 << 0,
  UR_FLAG_ALLOW_CACHED_CREDENTIALS = 1 << 1,
  UR_FLAG_ALLOW_COOKIES = 1 << 2,
  UR_FLAG_REPORT_UPLOAD_PROGRESS = 1 << 3,
  UR_FLAG_REPORT_LOAD_TIMING = 1 << 4,
  UR_FLAG_REPORT_RAW_HEADERS = 1 << 5,
  UR_FLAG_NO_DOWNLOAD_DATA = 1 << 6,
  UR_FLAG_NO_RETRY_ON_5XX = 1 << 7,
} cef_urlrequest_flags_t;

/* Header maps are engine string multimaps: one name may carry several values. */
struct _cef_request_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_read_only)(struct _cef_request_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_url)(struct _cef_request_t* self);
  void(CEF_CALLBACK* set_url)(struct _cef_request_t* self, const cef_string_t* url);
  cef_string_userfree_t(CEF_CALLBACK* get_method)(struct _cef_request_t* self);
  void(CEF_CALLBACK* set_method)(struct _cef_request_t* self, const cef_string_t* method);
  cef_post_data_t*(CEF_CALLBACK* get_post_data)(struct _cef_request_t* self);
  void(CEF_CALLBACK* set_post_data)(struct _cef_request_t* self, cef_post_data_t* post_data);
  void(CEF_CALLBACK* get_header_map)(struct _cef_request_t* self, cef_string_multimap_t header_map);
  void(CEF_CALLBACK* set_header_map)(struct _cef_request_t* self, cef_string_multimap_t header_map);
  void(CEF_CALLBACK* set)(struct _cef_request_t* self, const cef_string_t* url,
                          const cef_string_t* method, cef_post_data_t* post_data,
                          cef_string_multimap_t header_map);
  int(CEF_CALLBACK* get_flags)(struct _cef_request_t* self);
  void(CEF_CALLBACK* set_flags)(struct _cef_request_t* self, int flags);
  cef_string_userfree_t(CEF_CALLBACK* get_first_party_for_cookies)(struct _cef_request_t* self);
  void(CEF_CALLBACK* set_first_party_for_cookies)(struct _cef_request_t* self,
                                                  const cef_string_t* url);
};

typedef enum {
  PDE_TYPE_EMPTY = 0,
  PDE_TYPE_BYTES,
  PDE_TYPE_FILE,
} cef_postdataelement_type_t;

struct _cef_post_data_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_read_only)(struct _cef_post_data_t* self);
  size_t(CEF_CALLBACK* get_element_count)(struct _cef_post_data_t* self);
  /* On entry *elements_count is the capacity of `elements`; on return the
   * number written, each carrying one reference for the caller. */
  void(CEF_CALLBACK* get_elements)(struct _cef_post_data_t* self, size_t* elements_count,
                                   cef_post_data_element_t** elements);
  int(CEF_CALLBACK* remove_element)(struct _cef_post_data_t* self,
                                    cef_post_data_element_t* element);
  int(CEF_CALLBACK* add_element)(struct _cef_post_data_t* self, cef_post_data_element_t* element);
  void(CEF_CALLBACK* remove_elements)(struct _cef_post_data_t* self);
};

struct _cef_post_data_element_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_read_only)(struct _cef_post_data_element_t* self);
  void(CEF_CALLBACK* set_to_empty)(struct _cef_post_data_element_t* self);
  void(CEF_CALLBACK* set_to_file)(struct _cef_post_data_element_t* self,
                                  const cef_string_t* file_name);
  void(CEF_CALLBACK* set_to_bytes)(struct _cef_post_data_element_t* self, size_t size,
                                   const void* bytes);
  cef_postdataelement_type_t(CEF_CALLBACK* get_type)(struct _cef_post_data_element_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_file)(struct _cef_post_data_element_t* self);
  size_t(CEF_CALLBACK* get_bytes_count)(struct _cef_post_data_element_t* self);
  /* Copies at most `size` bytes; answers the number copied. */
  size_t(CEF_CALLBACK* get_bytes)(struct _cef_post_data_element_t* self, size_t size, void* bytes);
};

/* ---- Records handed to browser handlers ------------------------------- */

typedef enum {
  CM_TYPEFLAG_NONE = 0,
  CM_TYPEFLAG_PAGE = 1 << 0,
  CM_TYPEFLAG_FRAME = 1 << 1,
  CM_TYPEFLAG_LINK = 1 << 2,
  CM_TYPEFLAG_MEDIA = 1 << 3,
  CM_TYPEFLAG_SELECTION = 1 << 4,
  CM_TYPEFLAG_EDITABLE = 1 << 5,
} cef_context_menu_type_flags_t;

typedef enum {
  CM_MEDIATYPE_NONE = 0,
  CM_MEDIATYPE_IMAGE,
  CM_MEDIATYPE_VIDEO,
  CM_MEDIATYPE_AUDIO,
  CM_MEDIATYPE_FILE,
  CM_MEDIATYPE_PLUGIN,
} cef_context_menu_media_type_t;

typedef enum {
  CM_MEDIAFLAG_NONE = 0,
  CM_MEDIAFLAG_ERROR = 1 << 0,
  CM_MEDIAFLAG_PAUSED = 1 << 1,
  CM_MEDIAFLAG_MUTED = 1 << 2,
  CM_MEDIAFLAG_LOOP = 1 << 3,
  CM_MEDIAFLAG_CAN_SAVE = 1 << 4,
  CM_MEDIAFLAG_HAS_AUDIO = 1 << 5,
  CM_MEDIAFLAG_HAS_VIDEO = 1 << 6,
  CM_MEDIAFLAG_CONTROL_ROOT_ELEMENT = 1 << 7,
  CM_MEDIAFLAG_CAN_PRINT = 1 << 8,
  CM_MEDIAFLAG_CAN_ROTATE = 1 << 9,
} cef_context_menu_media_state_flags_t;

typedef enum {
  CM_EDITFLAG_NONE = 0,
  CM_EDITFLAG_CAN_UNDO = 1 << 0,
  CM_EDITFLAG_CAN_REDO = 1 << 1,
  CM_EDITFLAG_CAN_CUT = 1 << 2,
  CM_EDITFLAG_CAN_COPY = 1 << 3,
  CM_EDITFLAG_CAN_PASTE = 1 << 4,
  CM_EDITFLAG_CAN_DELETE = 1 << 5,
  CM_EDITFLAG_CAN_SELECT_ALL = 1 << 6,
  CM_EDITFLAG_CAN_TRANSLATE = 1 << 7,
} cef_context_menu_edit_state_flags_t;

/* Flag results are answered as int: a combination of the bits above. */
struct _cef_context_menu_params_t {
  cef_base_t base;
  int(CEF_CALLBACK* get_xcoord)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* get_ycoord)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* get_type_flags)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_link_url)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_unfiltered_link_url)(
      struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_source_url)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* is_image_blocked)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_page_url)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_frame_url)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_frame_charset)(struct _cef_context_menu_params_t* self);
  cef_context_menu_media_type_t(CEF_CALLBACK* get_media_type)(
      struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* get_media_state_flags)(struct _cef_context_menu_params_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_selection_text)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* is_editable)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* is_speech_input_enabled)(struct _cef_context_menu_params_t* self);
  int(CEF_CALLBACK* get_edit_state_flags)(struct _cef_context_menu_params_t* self);
};

/* Times are universal; a time not known yet (the end of a download still in
 * progress) is the all-zero record. */
struct _cef_download_item_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_download_item_t* self);
  int(CEF_CALLBACK* is_in_progress)(struct _cef_download_item_t* self);
  int(CEF_CALLBACK* is_complete)(struct _cef_download_item_t* self);
  int(CEF_CALLBACK* is_canceled)(struct _cef_download_item_t* self);
  int64_t(CEF_CALLBACK* get_current_speed)(struct _cef_download_item_t* self);
  /* -1 while the total size is unknown. */
  int(CEF_CALLBACK* get_percent_complete)(struct _cef_download_item_t* self);
  int64_t(CEF_CALLBACK* get_total_bytes)(struct _cef_download_item_t* self);
  int64_t(CEF_CALLBACK* get_received_bytes)(struct _cef_download_item_t* self);
  cef_time_t(CEF_CALLBACK* get_start_time)(struct _cef_download_item_t* self);
  cef_time_t(CEF_CALLBACK* get_end_time)(struct _cef_download_item_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_full_path)(struct _cef_download_item_t* self);
  uint32_t(CEF_CALLBACK* get_id)(struct _cef_download_item_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_url)(struct _cef_download_item_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_suggested_file_name)(struct _cef_download_item_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_content_disposition)(struct _cef_download_item_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_mime_type)(struct _cef_download_item_t* self);
};

/* An empty download_path lets the engine choose; show_dialog lets the user
 * confirm or change the path first. */
struct _cef_before_download_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_before_download_callback_t* self,
                           const cef_string_t* download_path, int show_dialog);
};

struct _cef_download_item_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cancel)(struct _cef_download_item_callback_t* self);
};

struct _cef_auth_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_auth_callback_t* self, const cef_string_t* username,
                           const cef_string_t* password);
  void(CEF_CALLBACK* cancel)(struct _cef_auth_callback_t* self);
};

struct _cef_jsdialog_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_jsdialog_callback_t* self, int success,
                           const cef_string_t* user_input);
};

struct _cef_quota_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_quota_callback_t* self, int allow);
  void(CEF_CALLBACK* cancel)(struct _cef_quota_callback_t* self);
};

struct _cef_geolocation_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_geolocation_callback_t* self, int allow);
};

struct _cef_file_dialog_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_file_dialog_callback_t* self, cef_string_list_t file_paths);
  void(CEF_CALLBACK* cancel)(struct _cef_file_dialog_callback_t* self);
};

struct _cef_web_plugin_info_t {
  cef_base_t base;
  cef_string_userfree_t(CEF_CALLBACK* get_name)(struct _cef_web_plugin_info_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_path)(struct _cef_web_plugin_info_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_version)(struct _cef_web_plugin_info_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_description)(struct _cef_web_plugin_info_t* self);
};

#ifdef __cplusplus
}
#endif

#endif
