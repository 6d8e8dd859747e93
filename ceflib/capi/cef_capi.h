/* The engine's C interface: records, strings and the exported functions of
 * libcef.dll. Shared by the binding (which loads the library at run time) and
 * by the development engine (which implements it).
 *
 * Layout rules: every record starts with cef_base_t; entries follow in the
 * engine's order. On i686 the sizes and offsets are a fixed contract and are
 * proved by static assertions in cef_capi_layout.h; on x86_64 the records take
 * their natural layout and every `size` field is sizeof of its record. */
#ifndef NIMBRA_CEF_CAPI_H
#define NIMBRA_CEF_CAPI_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Record entries use the engine's callback convention; exports are cdecl. */
#define CEF_CALLBACK __stdcall
#define CEF_EXPORT_CC __cdecl

typedef wchar_t char16;

/* ---- Strings ---------------------------------------------------------- */

typedef struct _cef_string_wide_t {
  wchar_t* str;
  size_t length;
  void (*dtor)(wchar_t* str);
} cef_string_wide_t;

typedef struct _cef_string_utf8_t {
  char* str;
  size_t length;
  void (*dtor)(char* str);
} cef_string_utf8_t;

typedef struct _cef_string_utf16_t {
  char16* str;
  size_t length;
  void (*dtor)(char16* str);
} cef_string_utf16_t;

typedef cef_string_utf16_t cef_string_t;

typedef cef_string_wide_t* cef_string_userfree_wide_t;
typedef cef_string_utf8_t* cef_string_userfree_utf8_t;
typedef cef_string_utf16_t* cef_string_userfree_utf16_t;
typedef cef_string_userfree_utf16_t cef_string_userfree_t;

/* Opaque engine containers, handled only through their functions. */
typedef void* cef_string_list_t;
typedef void* cef_string_map_t;
typedef void* cef_string_multimap_t;

/* ---- Record header ---------------------------------------------------- */

typedef struct _cef_base_t {
  size_t size;
  int(CEF_CALLBACK* add_ref)(struct _cef_base_t* self);
  int(CEF_CALLBACK* release)(struct _cef_base_t* self);
  int(CEF_CALLBACK* get_refct)(struct _cef_base_t* self);
} cef_base_t;

/* ---- Enumerations ----------------------------------------------------- */

typedef enum {
  PID_BROWSER = 0,
  PID_RENDERER = 1,
} cef_process_id_t;

typedef enum {
  TID_UI = 0,
  TID_DB = 1,
  TID_FILE = 2,
  TID_FILE_USER_BLOCKING = 3,
  TID_PROCESS_LAUNCHER = 4,
  TID_CACHE = 5,
  TID_IO = 6,
  TID_RENDERER = 7,
} cef_thread_id_t;

typedef int cef_path_key_t;
typedef int cef_navigation_type_t;
typedef int cef_xml_encoding_type_t;

/* ---- Record names --------------------------------------------------- */
/* Every record by name; each group header below declares its records. */

typedef struct _cef_browser_t cef_browser_t;
typedef struct _cef_browser_host_t cef_browser_host_t;
typedef struct _cef_frame_t cef_frame_t;
typedef struct _cef_request_t cef_request_t;
typedef struct _cef_post_data_t cef_post_data_t;
typedef struct _cef_post_data_element_t cef_post_data_element_t;
typedef struct _cef_response_t cef_response_t;
typedef struct _cef_context_menu_params_t cef_context_menu_params_t;
typedef struct _cef_download_item_t cef_download_item_t;
typedef struct _cef_before_download_callback_t cef_before_download_callback_t;
typedef struct _cef_download_item_callback_t cef_download_item_callback_t;
typedef struct _cef_auth_callback_t cef_auth_callback_t;
typedef struct _cef_jsdialog_callback_t cef_jsdialog_callback_t;
typedef struct _cef_quota_callback_t cef_quota_callback_t;
typedef struct _cef_geolocation_callback_t cef_geolocation_callback_t;
typedef struct _cef_file_dialog_callback_t cef_file_dialog_callback_t;
typedef struct _cef_web_plugin_info_t cef_web_plugin_info_t;
typedef struct _cef_list_value_t cef_list_value_t;
typedef struct _cef_dictionary_value_t cef_dictionary_value_t;
typedef struct _cef_binary_value_t cef_binary_value_t;
typedef struct _cef_process_message_t cef_process_message_t;
typedef struct _cef_v8context_t cef_v8context_t;
typedef struct _cef_v8exception_t cef_v8exception_t;
typedef struct _cef_v8stack_trace_t cef_v8stack_trace_t;
typedef struct _cef_v8stack_frame_t cef_v8stack_frame_t;
typedef struct _cef_v8value_t cef_v8value_t;
typedef struct _cef_v8handler_t cef_v8handler_t;
typedef struct _cef_v8accessor_t cef_v8accessor_t;
typedef struct _cef_domnode_t cef_domnode_t;
typedef struct _cef_client_t cef_client_t;
typedef struct _cef_window_info_t cef_window_info_t;
typedef struct _cef_browser_settings_t cef_browser_settings_t;
typedef struct _cef_resource_bundle_handler_t cef_resource_bundle_handler_t;
typedef struct _cef_scheme_handler_factory_t cef_scheme_handler_factory_t;
typedef struct _cef_task_t cef_task_t;
typedef struct _cef_task_runner_t cef_task_runner_t;
typedef struct _cef_urlparts_t cef_urlparts_t;
typedef struct _cef_time_t cef_time_t;
typedef struct _cef_urlrequest_t cef_urlrequest_t;
typedef struct _cef_urlrequest_client_t cef_urlrequest_client_t;
typedef struct _cef_stream_reader_t cef_stream_reader_t;
typedef struct _cef_stream_writer_t cef_stream_writer_t;
typedef struct _cef_read_handler_t cef_read_handler_t;
typedef struct _cef_write_handler_t cef_write_handler_t;
typedef struct _cef_xml_reader_t cef_xml_reader_t;
typedef struct _cef_zip_reader_t cef_zip_reader_t;
typedef struct _cef_cookie_manager_t cef_cookie_manager_t;
typedef struct _cef_web_plugin_info_visitor_t cef_web_plugin_info_visitor_t;
typedef struct _cef_web_plugin_unstable_callback_t cef_web_plugin_unstable_callback_t;
typedef struct _cef_get_geolocation_callback_t cef_get_geolocation_callback_t;
typedef struct _cef_trace_client_t cef_trace_client_t;
typedef struct _cef_life_span_handler_t cef_life_span_handler_t;
typedef struct _cef_load_handler_t cef_load_handler_t;
typedef struct _cef_display_handler_t cef_display_handler_t;
typedef struct _cef_focus_handler_t cef_focus_handler_t;
typedef struct _cef_keyboard_handler_t cef_keyboard_handler_t;
typedef struct _cef_jsdialog_handler_t cef_jsdialog_handler_t;
typedef struct _cef_context_menu_handler_t cef_context_menu_handler_t;
typedef struct _cef_request_handler_t cef_request_handler_t;
typedef struct _cef_download_handler_t cef_download_handler_t;
typedef struct _cef_geolocation_handler_t cef_geolocation_handler_t;
typedef struct _cef_dialog_handler_t cef_dialog_handler_t;
typedef struct _cef_render_handler_t cef_render_handler_t;
typedef struct _cef_menu_model_t cef_menu_model_t;
typedef struct _cef_domdocument_t cef_domdocument_t;
typedef struct _cef_domevent_t cef_domevent_t;
typedef struct _cef_domevent_listener_t cef_domevent_listener_t;

#include "cef_capi_utils.h"
#include "cef_capi_values.h"
#include "cef_capi_browser.h"
#include "cef_capi_handlers.h"
#include "cef_capi_control.h"

/* ---- Process start-up records ----------------------------------------- */

typedef struct _cef_main_args_t {
  HINSTANCE instance;
} cef_main_args_t;

typedef struct _cef_settings_t {
  size_t size;
  unsigned char single_process;
  cef_string_t browser_subprocess_path;
  unsigned char multi_threaded_message_loop;
  unsigned char command_line_args_disabled;
  cef_string_t cache_path;
  cef_string_t user_agent;
  cef_string_t product_version;
  cef_string_t locale;
  cef_string_t log_file;
  int log_severity;
  unsigned char release_dcheck_enabled;
  cef_string_t javascript_flags;
  cef_string_t resources_dir_path;
  cef_string_t locales_dir_path;
  unsigned char pack_loading_disabled;
  int remote_debugging_port;
  int uncaught_exception_stack_size;
  int context_safety_implementation;
} cef_settings_t;

typedef struct _cef_command_line_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_command_line_t* self);
  int(CEF_CALLBACK* is_read_only)(struct _cef_command_line_t* self);
  struct _cef_command_line_t*(CEF_CALLBACK* copy)(struct _cef_command_line_t* self);
  void(CEF_CALLBACK* init_from_argv)(struct _cef_command_line_t* self, int argc,
                                     const char* const* argv);
  void(CEF_CALLBACK* init_from_string)(struct _cef_command_line_t* self,
                                       const cef_string_t* command_line);
  void(CEF_CALLBACK* reset)(struct _cef_command_line_t* self);
  void(CEF_CALLBACK* get_argv)(struct _cef_command_line_t* self, cef_string_list_t argv);
  cef_string_userfree_t(CEF_CALLBACK* get_command_line_string)(struct _cef_command_line_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_program)(struct _cef_command_line_t* self);
  void(CEF_CALLBACK* set_program)(struct _cef_command_line_t* self, const cef_string_t* program);
  int(CEF_CALLBACK* has_switches)(struct _cef_command_line_t* self);
  int(CEF_CALLBACK* has_switch)(struct _cef_command_line_t* self, const cef_string_t* name);
  cef_string_userfree_t(CEF_CALLBACK* get_switch_value)(struct _cef_command_line_t* self,
                                                        const cef_string_t* name);
  void(CEF_CALLBACK* get_switches)(struct _cef_command_line_t* self, cef_string_map_t switches);
  void(CEF_CALLBACK* append_switch)(struct _cef_command_line_t* self, const cef_string_t* name);
  void(CEF_CALLBACK* append_switch_with_value)(struct _cef_command_line_t* self,
                                               const cef_string_t* name, const cef_string_t* value);
  int(CEF_CALLBACK* has_arguments)(struct _cef_command_line_t* self);
  void(CEF_CALLBACK* get_arguments)(struct _cef_command_line_t* self, cef_string_list_t arguments);
  void(CEF_CALLBACK* append_argument)(struct _cef_command_line_t* self,
                                      const cef_string_t* argument);
  void(CEF_CALLBACK* prepend_wrapper)(struct _cef_command_line_t* self,
                                      const cef_string_t* wrapper);
} cef_command_line_t;

typedef struct _cef_scheme_registrar_t {
  cef_base_t base;
  int(CEF_CALLBACK* add_custom_scheme)(struct _cef_scheme_registrar_t* self,
                                       const cef_string_t* scheme_name, int is_standard,
                                       int is_local, int is_display_isolated);
} cef_scheme_registrar_t;

typedef struct _cef_browser_process_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_context_initialized)(struct _cef_browser_process_handler_t* self);
  void(CEF_CALLBACK* on_before_child_process_launch)(struct _cef_browser_process_handler_t* self,
                                                     cef_command_line_t* command_line);
  void(CEF_CALLBACK* on_render_process_thread_created)(struct _cef_browser_process_handler_t* self,
                                                       cef_list_value_t* extra_info);
} cef_browser_process_handler_t;

typedef struct _cef_render_process_handler_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_render_thread_created)(struct _cef_render_process_handler_t* self,
                                               cef_list_value_t* extra_info);
  void(CEF_CALLBACK* on_web_kit_initialized)(struct _cef_render_process_handler_t* self);
  void(CEF_CALLBACK* on_browser_created)(struct _cef_render_process_handler_t* self,
                                         cef_browser_t* browser);
  void(CEF_CALLBACK* on_browser_destroyed)(struct _cef_render_process_handler_t* self,
                                           cef_browser_t* browser);
  int(CEF_CALLBACK* on_before_navigation)(struct _cef_render_process_handler_t* self,
                                          cef_browser_t* browser, cef_frame_t* frame,
                                          cef_request_t* request,
                                          cef_navigation_type_t navigation_type, int is_redirect);
  void(CEF_CALLBACK* on_context_created)(struct _cef_render_process_handler_t* self,
                                         cef_browser_t* browser, cef_frame_t* frame,
                                         cef_v8context_t* context);
  void(CEF_CALLBACK* on_context_released)(struct _cef_render_process_handler_t* self,
                                          cef_browser_t* browser, cef_frame_t* frame,
                                          cef_v8context_t* context);
  void(CEF_CALLBACK* on_uncaught_exception)(struct _cef_render_process_handler_t* self,
                                            cef_browser_t* browser, cef_frame_t* frame,
                                            cef_v8context_t* context, cef_v8exception_t* exception,
                                            cef_v8stack_trace_t* stack_trace);
  void(CEF_CALLBACK* on_worker_context_created)(struct _cef_render_process_handler_t* self,
                                                int worker_id, const cef_string_t* url,
                                                cef_v8context_t* context);
  void(CEF_CALLBACK* on_worker_context_released)(struct _cef_render_process_handler_t* self,
                                                 int worker_id, const cef_string_t* url,
                                                 cef_v8context_t* context);
  void(CEF_CALLBACK* on_worker_uncaught_exception)(struct _cef_render_process_handler_t* self,
                                                   int worker_id, const cef_string_t* url,
                                                   cef_v8context_t* context,
                                                   cef_v8exception_t* exception,
                                                   cef_v8stack_trace_t* stack_trace);
  void(CEF_CALLBACK* on_focused_node_changed)(struct _cef_render_process_handler_t* self,
                                              cef_browser_t* browser, cef_frame_t* frame,
                                              cef_domnode_t* node);
  int(CEF_CALLBACK* on_process_message_received)(struct _cef_render_process_handler_t* self,
                                                 cef_browser_t* browser,
                                                 cef_process_id_t source_process,
                                                 cef_process_message_t* message);
} cef_render_process_handler_t;

typedef struct _cef_app_t {
  cef_base_t base;
  void(CEF_CALLBACK* on_before_command_line_processing)(struct _cef_app_t* self,
                                                        const cef_string_t* process_type,
                                                        cef_command_line_t* command_line);
  void(CEF_CALLBACK* on_register_custom_schemes)(struct _cef_app_t* self,
                                                 cef_scheme_registrar_t* registrar);
  cef_resource_bundle_handler_t*(CEF_CALLBACK* get_resource_bundle_handler)(
      struct _cef_app_t* self);
  cef_browser_process_handler_t*(CEF_CALLBACK* get_browser_process_handler)(
      struct _cef_app_t* self);
  cef_render_process_handler_t*(CEF_CALLBACK* get_render_process_handler)(struct _cef_app_t* self);
} cef_app_t;

/* ---- The exports ------------------------------------------------------ */
/* One row per export: X(result type, name, (parameter list)). The binding
 * resolves every row by name; the development engine defines every row. */

#define CEF_EXPORTS_STRINGS(X)                                                                     \
  X(int, cef_string_wide_set,                                                                      \
    (const wchar_t* src, size_t src_len, cef_string_wide_t* output, int copy))                     \
  X(int, cef_string_utf8_set,                                                                      \
    (const char* src, size_t src_len, cef_string_utf8_t* output, int copy))                        \
  X(int, cef_string_utf16_set,                                                                     \
    (const char16* src, size_t src_len, cef_string_utf16_t* output, int copy))                     \
  X(void, cef_string_wide_clear, (cef_string_wide_t * str))                                        \
  X(void, cef_string_utf8_clear, (cef_string_utf8_t * str))                                        \
  X(void, cef_string_utf16_clear, (cef_string_utf16_t * str))                                      \
  X(int, cef_string_wide_cmp, (const cef_string_wide_t* str1, const cef_string_wide_t* str2))      \
  X(int, cef_string_utf8_cmp, (const cef_string_utf8_t* str1, const cef_string_utf8_t* str2))      \
  X(int, cef_string_utf16_cmp, (const cef_string_utf16_t* str1, const cef_string_utf16_t* str2))   \
  X(int, cef_string_wide_to_utf8, (const wchar_t* src, size_t src_len, cef_string_utf8_t* output)) \
  X(int, cef_string_utf8_to_wide, (const char* src, size_t src_len, cef_string_wide_t* output))    \
  X(int, cef_string_wide_to_utf16,                                                                 \
    (const wchar_t* src, size_t src_len, cef_string_utf16_t* output))                              \
  X(int, cef_string_utf16_to_wide, (const char16* src, size_t src_len, cef_string_wide_t* output)) \
  X(int, cef_string_utf8_to_utf16, (const char* src, size_t src_len, cef_string_utf16_t* output))  \
  X(int, cef_string_utf16_to_utf8, (const char16* src, size_t src_len, cef_string_utf8_t* output)) \
  X(int, cef_string_ascii_to_wide, (const char* src, size_t src_len, cef_string_wide_t* output))   \
  X(int, cef_string_ascii_to_utf16, (const char* src, size_t src_len, cef_string_utf16_t* output)) \
  X(cef_string_userfree_wide_t, cef_string_userfree_wide_alloc, (void))                            \
  X(cef_string_userfree_utf8_t, cef_string_userfree_utf8_alloc, (void))                            \
  X(cef_string_userfree_utf16_t, cef_string_userfree_utf16_alloc, (void))                          \
  X(void, cef_string_userfree_wide_free, (cef_string_userfree_wide_t str))                         \
  X(void, cef_string_userfree_utf8_free, (cef_string_userfree_utf8_t str))                         \
  X(void, cef_string_userfree_utf16_free, (cef_string_userfree_utf16_t str))

#define CEF_EXPORTS_CONTAINERS(X)                                                                \
  X(cef_string_map_t, cef_string_map_alloc, (void))                                              \
  X(int, cef_string_map_size, (cef_string_map_t map))                                            \
  X(int, cef_string_map_find,                                                                    \
    (cef_string_map_t map, const cef_string_t* key, cef_string_t* value))                        \
  X(int, cef_string_map_key, (cef_string_map_t map, int index, cef_string_t* key))               \
  X(int, cef_string_map_value, (cef_string_map_t map, int index, cef_string_t* value))           \
  X(int, cef_string_map_append,                                                                  \
    (cef_string_map_t map, const cef_string_t* key, const cef_string_t* value))                  \
  X(void, cef_string_map_clear, (cef_string_map_t map))                                          \
  X(void, cef_string_map_free, (cef_string_map_t map))                                           \
  X(cef_string_multimap_t, cef_string_multimap_alloc, (void))                                    \
  X(int, cef_string_multimap_size, (cef_string_multimap_t map))                                  \
  X(int, cef_string_multimap_find_count, (cef_string_multimap_t map, const cef_string_t* key))   \
  X(int, cef_string_multimap_enumerate,                                                          \
    (cef_string_multimap_t map, const cef_string_t* key, int value_index, cef_string_t* value))  \
  X(int, cef_string_multimap_key, (cef_string_multimap_t map, int index, cef_string_t* key))     \
  X(int, cef_string_multimap_value, (cef_string_multimap_t map, int index, cef_string_t* value)) \
  X(int, cef_string_multimap_append,                                                             \
    (cef_string_multimap_t map, const cef_string_t* key, const cef_string_t* value))             \
  X(void, cef_string_multimap_clear, (cef_string_multimap_t map))                                \
  X(void, cef_string_multimap_free, (cef_string_multimap_t map))                                 \
  X(cef_string_list_t, cef_string_list_alloc, (void))                                            \
  X(int, cef_string_list_size, (cef_string_list_t list))                                         \
  X(int, cef_string_list_value, (cef_string_list_t list, int index, cef_string_t* value))        \
  X(void, cef_string_list_append, (cef_string_list_t list, const cef_string_t* value))           \
  X(void, cef_string_list_clear, (cef_string_list_t list))                                       \
  X(void, cef_string_list_free, (cef_string_list_t list))                                        \
  X(cef_string_list_t, cef_string_list_copy, (cef_string_list_t list))

#define CEF_EXPORTS_PROCESS(X)                                                             \
  X(int, cef_execute_process, (const cef_main_args_t* args, cef_app_t* application))       \
  X(int, cef_initialize,                                                                   \
    (const cef_main_args_t* args, const cef_settings_t* settings, cef_app_t* application)) \
  X(void, cef_shutdown, (void))                                                            \
  X(void, cef_do_message_loop_work, (void))                                                \
  X(void, cef_run_message_loop, (void))                                                    \
  X(void, cef_quit_message_loop, (void))                                                   \
  X(int, cef_get_path, (cef_path_key_t key, cef_string_t * path))                          \
  X(int, cef_launch_process, (cef_command_line_t * command_line))                          \
  X(int, cef_build_revision, (void))                                                       \
  X(int, cef_browser_host_create_browser,                                                  \
    (const cef_window_info_t* window_info, cef_client_t* client, const cef_string_t* url,  \
     const cef_browser_settings_t* settings))                                              \
  X(cef_browser_t*, cef_browser_host_create_browser_sync,                                  \
    (const cef_window_info_t* window_info, cef_client_t* client, const cef_string_t* url,  \
     const cef_browser_settings_t* settings))

#define CEF_EXPORTS_SCRIPT(X)                                                 \
  X(int, cef_register_extension,                                              \
    (const cef_string_t* extension_name, const cef_string_t* javascript_code, \
     cef_v8handler_t* handler))                                               \
  X(cef_v8context_t*, cef_v8context_get_current_context, (void))              \
  X(cef_v8context_t*, cef_v8context_get_entered_context, (void))              \
  X(int, cef_v8context_in_context, (void))                                    \
  X(cef_v8value_t*, cef_v8value_create_undefined, (void))                     \
  X(cef_v8value_t*, cef_v8value_create_null, (void))                          \
  X(cef_v8value_t*, cef_v8value_create_bool, (int value))                     \
  X(cef_v8value_t*, cef_v8value_create_int, (int32_t value))                  \
  X(cef_v8value_t*, cef_v8value_create_uint, (uint32_t value))                \
  X(cef_v8value_t*, cef_v8value_create_double, (double value))                \
  X(cef_v8value_t*, cef_v8value_create_date, (const cef_time_t* date))        \
  X(cef_v8value_t*, cef_v8value_create_string, (const cef_string_t* value))   \
  X(cef_v8value_t*, cef_v8value_create_object, (cef_v8accessor_t * accessor)) \
  X(cef_v8value_t*, cef_v8value_create_array, (int length))                   \
  X(cef_v8value_t*, cef_v8value_create_function,                              \
    (const cef_string_t* name, cef_v8handler_t* handler))                     \
  X(cef_v8stack_trace_t*, cef_v8stack_trace_get_current, (int frame_limit))

#define CEF_EXPORTS_THREADS(X)                                                                    \
  X(int, cef_register_scheme_handler_factory,                                                     \
    (const cef_string_t* scheme_name, const cef_string_t* domain_name,                            \
     cef_scheme_handler_factory_t* factory))                                                      \
  X(int, cef_clear_scheme_handler_factories, (void))                                              \
  X(int, cef_add_cross_origin_whitelist_entry,                                                    \
    (const cef_string_t* source_origin, const cef_string_t* target_protocol,                      \
     const cef_string_t* target_domain, int allow_target_subdomains))                             \
  X(int, cef_remove_cross_origin_whitelist_entry,                                                 \
    (const cef_string_t* source_origin, const cef_string_t* target_protocol,                      \
     const cef_string_t* target_domain, int allow_target_subdomains))                             \
  X(int, cef_clear_cross_origin_whitelist, (void))                                                \
  X(int, cef_currently_on, (cef_thread_id_t thread_id))                                           \
  X(int, cef_post_task, (cef_thread_id_t thread_id, cef_task_t * task))                           \
  X(int, cef_post_delayed_task, (cef_thread_id_t thread_id, cef_task_t * task, int64_t delay_ms)) \
  X(cef_task_runner_t*, cef_task_runner_get_for_current_thread, (void))                           \
  X(cef_task_runner_t*, cef_task_runner_get_for_thread, (cef_thread_id_t thread_id))

#define CEF_EXPORTS_OBJECTS(X)                                                                   \
  X(int, cef_parse_url, (const cef_string_t* url, cef_urlparts_t* parts))                        \
  X(int, cef_create_url, (const cef_urlparts_t* parts, cef_string_t* url))                       \
  X(cef_request_t*, cef_request_create, (void))                                                  \
  X(cef_post_data_t*, cef_post_data_create, (void))                                              \
  X(cef_post_data_element_t*, cef_post_data_element_create, (void))                              \
  X(cef_response_t*, cef_response_create, (void))                                                \
  X(cef_urlrequest_t*, cef_urlrequest_create,                                                    \
    (cef_request_t * request, cef_urlrequest_client_t * client))                                 \
  X(cef_xml_reader_t*, cef_xml_reader_create,                                                    \
    (cef_stream_reader_t * stream, cef_xml_encoding_type_t encoding_type,                        \
     const cef_string_t* uri))                                                                   \
  X(cef_zip_reader_t*, cef_zip_reader_create, (cef_stream_reader_t * stream))                    \
  X(cef_process_message_t*, cef_process_message_create, (const cef_string_t* name))              \
  X(cef_stream_reader_t*, cef_stream_reader_create_for_file, (const cef_string_t* file_name))    \
  X(cef_stream_reader_t*, cef_stream_reader_create_for_data, (void* data, size_t size))          \
  X(cef_stream_reader_t*, cef_stream_reader_create_for_handler, (cef_read_handler_t * handler))  \
  X(cef_stream_writer_t*, cef_stream_writer_create_for_file, (const cef_string_t* file_name))    \
  X(cef_stream_writer_t*, cef_stream_writer_create_for_handler, (cef_write_handler_t * handler)) \
  X(cef_binary_value_t*, cef_binary_value_create, (const void* data, size_t data_size))          \
  X(cef_dictionary_value_t*, cef_dictionary_value_create, (void))                                \
  X(cef_list_value_t*, cef_list_value_create, (void))                                            \
  X(cef_command_line_t*, cef_command_line_create, (void))                                        \
  X(cef_command_line_t*, cef_command_line_get_global, (void))                                    \
  X(cef_cookie_manager_t*, cef_cookie_manager_get_global_manager, (void))                        \
  X(cef_cookie_manager_t*, cef_cookie_manager_create_manager, (const cef_string_t* path))

#define CEF_EXPORTS_PLUGINS(X)                                                             \
  X(void, cef_visit_web_plugin_info, (cef_web_plugin_info_visitor_t * visitor))            \
  X(void, cef_refresh_web_plugins, (void))                                                 \
  X(void, cef_add_web_plugin_path, (const cef_string_t* path))                             \
  X(void, cef_add_web_plugin_directory, (const cef_string_t* dir))                         \
  X(void, cef_remove_web_plugin_path, (const cef_string_t* path))                          \
  X(void, cef_unregister_internal_web_plugin, (const cef_string_t* path))                  \
  X(void, cef_force_web_plugin_shutdown, (const cef_string_t* path))                       \
  X(void, cef_register_web_plugin_crash, (const cef_string_t* path))                       \
  X(void, cef_is_web_plugin_unstable,                                                      \
    (const cef_string_t* path, cef_web_plugin_unstable_callback_t* callback))              \
  X(int, cef_get_geolocation, (cef_get_geolocation_callback_t * callback))                 \
  X(int, cef_begin_tracing, (cef_trace_client_t * client, const cef_string_t* categories)) \
  X(int, cef_get_trace_buffer_percent_full_async, (void))                                  \
  X(int, cef_end_tracing_async, (void))

/* Every export, in one list. */
#define CEF_EXPORTS(X)      \
  CEF_EXPORTS_STRINGS(X)    \
  CEF_EXPORTS_CONTAINERS(X) \
  CEF_EXPORTS_PROCESS(X)    \
  CEF_EXPORTS_SCRIPT(X)     \
  CEF_EXPORTS_THREADS(X)    \
  CEF_EXPORTS_OBJECTS(X)    \
  CEF_EXPORTS_PLUGINS(X)

/* Function pointer types, one per export: cef_xxx_fn. */
#define CEF_DECLARE_EXPORT_TYPE(ret, name, params) typedef ret(CEF_EXPORT_CC* name##_fn) params;
CEF_EXPORTS(CEF_DECLARE_EXPORT_TYPE)
#undef CEF_DECLARE_EXPORT_TYPE

#define CEF_COUNT_EXPORT(ret, name, params) +1
enum { CEF_EXPORT_COUNT = 0 CEF_EXPORTS(CEF_COUNT_EXPORT) };
#undef CEF_COUNT_EXPORT

#ifdef __cplusplus
}
#endif

#include "cef_capi_layout.h"

#endif
