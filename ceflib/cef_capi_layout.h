/* Proof of the engine's 32-bit record layouts. The i686 build fails when a
 * declaration in cef_capi.h drifts from the contract with the engine. */
#ifndef NIMBRA_CEF_CAPI_LAYOUT_H
#define NIMBRA_CEF_CAPI_LAYOUT_H

#ifdef __cplusplus
#define CEF_LAYOUT_ASSERT static_assert
#else
#define CEF_LAYOUT_ASSERT _Static_assert
#endif

#define CEF_ASSERT_OFFSET(rec, field, off) \
  CEF_LAYOUT_ASSERT(offsetof(rec, field) == (off), #rec "." #field " lies at " #off)
#define CEF_ASSERT_SIZE(rec, n) CEF_LAYOUT_ASSERT(sizeof(rec) == (n), #rec " is " #n " bytes")
/* A record of a header and n entries. */
#define CEF_ASSERT_ENTRIES(rec, n) CEF_ASSERT_SIZE(rec, 16 + 4 * (n))

CEF_LAYOUT_ASSERT(CEF_EXPORT_COUNT == 119, "the engine has 119 exports");

#if defined(__i386__)
CEF_ASSERT_SIZE(cef_base_t, 16);
CEF_ASSERT_OFFSET(cef_base_t, add_ref, 4);
CEF_ASSERT_OFFSET(cef_base_t, release, 8);
CEF_ASSERT_OFFSET(cef_base_t, get_refct, 12);

CEF_ASSERT_SIZE(cef_string_utf16_t, 12);
CEF_ASSERT_OFFSET(cef_string_utf16_t, length, 4);
CEF_ASSERT_OFFSET(cef_string_utf16_t, dtor, 8);

CEF_ASSERT_SIZE(cef_settings_t, 144);
CEF_ASSERT_OFFSET(cef_settings_t, single_process, 4);
CEF_ASSERT_OFFSET(cef_settings_t, browser_subprocess_path, 8);
CEF_ASSERT_OFFSET(cef_settings_t, multi_threaded_message_loop, 20);
CEF_ASSERT_OFFSET(cef_settings_t, command_line_args_disabled, 21);
CEF_ASSERT_OFFSET(cef_settings_t, cache_path, 24);
CEF_ASSERT_OFFSET(cef_settings_t, user_agent, 36);
CEF_ASSERT_OFFSET(cef_settings_t, product_version, 48);
CEF_ASSERT_OFFSET(cef_settings_t, locale, 60);
CEF_ASSERT_OFFSET(cef_settings_t, log_file, 72);
CEF_ASSERT_OFFSET(cef_settings_t, log_severity, 84);
CEF_ASSERT_OFFSET(cef_settings_t, release_dcheck_enabled, 88);
CEF_ASSERT_OFFSET(cef_settings_t, javascript_flags, 92);
CEF_ASSERT_OFFSET(cef_settings_t, resources_dir_path, 104);
CEF_ASSERT_OFFSET(cef_settings_t, locales_dir_path, 116);
CEF_ASSERT_OFFSET(cef_settings_t, pack_loading_disabled, 128);
CEF_ASSERT_OFFSET(cef_settings_t, remote_debugging_port, 132);
CEF_ASSERT_OFFSET(cef_settings_t, uncaught_exception_stack_size, 136);
CEF_ASSERT_OFFSET(cef_settings_t, context_safety_implementation, 140);

CEF_ASSERT_SIZE(cef_main_args_t, 4);
CEF_ASSERT_ENTRIES(cef_app_t, 5);                     /* 36 bytes */
CEF_ASSERT_ENTRIES(cef_browser_process_handler_t, 3); /* 28 bytes */
CEF_ASSERT_ENTRIES(cef_render_process_handler_t, 13);
CEF_ASSERT_ENTRIES(cef_command_line_t, 20);
CEF_ASSERT_ENTRIES(cef_scheme_registrar_t, 1);

CEF_ASSERT_SIZE(cef_urlparts_t, 96);
CEF_ASSERT_OFFSET(cef_urlparts_t, query, 84);
CEF_ASSERT_SIZE(cef_time_t, 32);
CEF_ASSERT_OFFSET(cef_time_t, millisecond, 28);
CEF_ASSERT_SIZE(cef_cookie_t, 152);
CEF_ASSERT_OFFSET(cef_cookie_t, value, 12);
CEF_ASSERT_OFFSET(cef_cookie_t, domain, 24);
CEF_ASSERT_OFFSET(cef_cookie_t, path, 36);
CEF_ASSERT_OFFSET(cef_cookie_t, secure, 48);
CEF_ASSERT_OFFSET(cef_cookie_t, httponly, 49);
CEF_ASSERT_OFFSET(cef_cookie_t, creation, 52);
CEF_ASSERT_OFFSET(cef_cookie_t, last_access, 84);
CEF_ASSERT_OFFSET(cef_cookie_t, has_expires, 116);
CEF_ASSERT_OFFSET(cef_cookie_t, expires, 120);
CEF_ASSERT_ENTRIES(cef_cookie_manager_t, 6);
CEF_ASSERT_ENTRIES(cef_cookie_visitor_t, 1);
CEF_ASSERT_ENTRIES(cef_menu_model_t, 49);
CEF_ASSERT_ENTRIES(cef_task_t, 1);
CEF_ASSERT_ENTRIES(cef_task_runner_t, 5);
CEF_ASSERT_ENTRIES(cef_string_visitor_t, 1);
CEF_ASSERT_ENTRIES(cef_domvisitor_t, 1);
CEF_ASSERT_ENTRIES(cef_domevent_listener_t, 1);
CEF_ASSERT_ENTRIES(cef_run_file_dialog_callback_t, 1);
CEF_ASSERT_ENTRIES(cef_domdocument_t, 16);
CEF_ASSERT_ENTRIES(cef_domnode_t, 26);
CEF_ASSERT_ENTRIES(cef_domevent_t, 8);

/* Values, process messages and script values. */
CEF_ASSERT_ENTRIES(cef_binary_value_t, 5);
CEF_ASSERT_ENTRIES(cef_list_value_t, 24);
CEF_ASSERT_ENTRIES(cef_dictionary_value_t, 25);
CEF_ASSERT_ENTRIES(cef_process_message_t, 5);
CEF_ASSERT_ENTRIES(cef_v8context_t, 9);
CEF_ASSERT_ENTRIES(cef_v8exception_t, 8);
CEF_ASSERT_ENTRIES(cef_v8stack_trace_t, 3);
CEF_ASSERT_ENTRIES(cef_v8stack_frame_t, 8);
CEF_ASSERT_ENTRIES(cef_v8handler_t, 1);
CEF_ASSERT_ENTRIES(cef_v8accessor_t, 2);
CEF_ASSERT_ENTRIES(cef_v8value_t, 44);
CEF_ASSERT_OFFSET(cef_v8value_t, get_date_value, 16 + 4 * 17);
CEF_ASSERT_OFFSET(cef_v8value_t, execute_function_with_context, 16 + 4 * 43);

/* Browsers, hosts, frames, requests and the records handed to browser handlers. */
CEF_ASSERT_ENTRIES(cef_browser_t, 21);
CEF_ASSERT_ENTRIES(cef_browser_host_t, 28);
CEF_ASSERT_ENTRIES(cef_frame_t, 24);
CEF_ASSERT_ENTRIES(cef_request_t, 14);
CEF_ASSERT_ENTRIES(cef_post_data_t, 6);
CEF_ASSERT_ENTRIES(cef_post_data_element_t, 8);
CEF_ASSERT_ENTRIES(cef_context_menu_params_t, 16);
CEF_ASSERT_ENTRIES(cef_download_item_t, 16);
CEF_ASSERT_ENTRIES(cef_before_download_callback_t, 1);
CEF_ASSERT_ENTRIES(cef_download_item_callback_t, 1);
CEF_ASSERT_ENTRIES(cef_auth_callback_t, 2);
CEF_ASSERT_ENTRIES(cef_jsdialog_callback_t, 1);
CEF_ASSERT_ENTRIES(cef_quota_callback_t, 2);
CEF_ASSERT_ENTRIES(cef_geolocation_callback_t, 1);
CEF_ASSERT_ENTRIES(cef_file_dialog_callback_t, 2);
CEF_ASSERT_ENTRIES(cef_web_plugin_info_t, 4);
CEF_ASSERT_SIZE(cef_mouse_event_t, 12);
CEF_ASSERT_SIZE(cef_file_dialog_mode_t, 4);

/* A browser's client and its per-kind handlers. */
CEF_ASSERT_ENTRIES(cef_client_t, 13);
CEF_ASSERT_OFFSET(cef_client_t, get_load_handler, 16 + 4 * 9);
CEF_ASSERT_OFFSET(cef_client_t, get_render_handler, 16 + 4 * 10);
CEF_ASSERT_ENTRIES(cef_life_span_handler_t, 5);
CEF_ASSERT_OFFSET(cef_life_span_handler_t, run_modal, 16 + 4 * 2);
CEF_ASSERT_OFFSET(cef_life_span_handler_t, on_before_close, 16 + 4 * 4);
CEF_ASSERT_ENTRIES(cef_load_handler_t, 5);
CEF_ASSERT_ENTRIES(cef_display_handler_t, 6);
CEF_ASSERT_ENTRIES(cef_focus_handler_t, 3);
CEF_ASSERT_ENTRIES(cef_keyboard_handler_t, 2);
CEF_ASSERT_ENTRIES(cef_jsdialog_handler_t, 3);
CEF_ASSERT_ENTRIES(cef_context_menu_handler_t, 3);
CEF_ASSERT_ENTRIES(cef_request_handler_t, 8);
CEF_ASSERT_ENTRIES(cef_download_handler_t, 2);
CEF_ASSERT_ENTRIES(cef_geolocation_handler_t, 2);
CEF_ASSERT_ENTRIES(cef_dialog_handler_t, 1);
CEF_ASSERT_ENTRIES(cef_render_handler_t, 7);
CEF_ASSERT_SIZE(cef_rect_t, 16);
CEF_ASSERT_SIZE(cef_key_event_t, 28);
CEF_ASSERT_OFFSET(cef_key_event_t, character, 20);
CEF_ASSERT_OFFSET(cef_key_event_t, focus_on_editable_field, 24);
CEF_ASSERT_SIZE(cef_popup_features_t, 68);
#endif

#endif
