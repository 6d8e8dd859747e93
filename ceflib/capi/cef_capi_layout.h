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

/* Browser creation: window information and per-browser settings. */
CEF_ASSERT_SIZE(cef_state_t, 4);
CEF_ASSERT_SIZE(cef_window_info_t, 56);
CEF_ASSERT_OFFSET(cef_window_info_t, ex_style, 0);
CEF_ASSERT_OFFSET(cef_window_info_t, window_name, 4);
CEF_ASSERT_OFFSET(cef_window_info_t, style, 16);
CEF_ASSERT_OFFSET(cef_window_info_t, x, 20);
CEF_ASSERT_OFFSET(cef_window_info_t, y, 24);
CEF_ASSERT_OFFSET(cef_window_info_t, width, 28);
CEF_ASSERT_OFFSET(cef_window_info_t, height, 32);
CEF_ASSERT_OFFSET(cef_window_info_t, parent_window, 36);
CEF_ASSERT_OFFSET(cef_window_info_t, menu, 40);
CEF_ASSERT_OFFSET(cef_window_info_t, window_rendering_disabled, 44);
CEF_ASSERT_OFFSET(cef_window_info_t, transparent_painting, 48);
CEF_ASSERT_OFFSET(cef_window_info_t, window, 52);
CEF_ASSERT_SIZE(cef_browser_settings_t, 212);
CEF_ASSERT_OFFSET(cef_browser_settings_t, size, 0);
CEF_ASSERT_OFFSET(cef_browser_settings_t, standard_font_family, 4);
CEF_ASSERT_OFFSET(cef_browser_settings_t, fixed_font_family, 16);
CEF_ASSERT_OFFSET(cef_browser_settings_t, serif_font_family, 28);
CEF_ASSERT_OFFSET(cef_browser_settings_t, sans_serif_font_family, 40);
CEF_ASSERT_OFFSET(cef_browser_settings_t, cursive_font_family, 52);
CEF_ASSERT_OFFSET(cef_browser_settings_t, fantasy_font_family, 64);
CEF_ASSERT_OFFSET(cef_browser_settings_t, default_font_size, 76);
CEF_ASSERT_OFFSET(cef_browser_settings_t, default_fixed_font_size, 80);
CEF_ASSERT_OFFSET(cef_browser_settings_t, minimum_font_size, 84);
CEF_ASSERT_OFFSET(cef_browser_settings_t, minimum_logical_font_size, 88);
CEF_ASSERT_OFFSET(cef_browser_settings_t, default_encoding, 92);
CEF_ASSERT_OFFSET(cef_browser_settings_t, user_style_sheet_location, 104);
CEF_ASSERT_OFFSET(cef_browser_settings_t, remote_fonts, 116);
CEF_ASSERT_OFFSET(cef_browser_settings_t, javascript, 120);
CEF_ASSERT_OFFSET(cef_browser_settings_t, javascript_open_windows, 124);
CEF_ASSERT_OFFSET(cef_browser_settings_t, javascript_close_windows, 128);
CEF_ASSERT_OFFSET(cef_browser_settings_t, javascript_access_clipboard, 132);
CEF_ASSERT_OFFSET(cef_browser_settings_t, javascript_dom_paste, 136);
CEF_ASSERT_OFFSET(cef_browser_settings_t, caret_browsing, 140);
CEF_ASSERT_OFFSET(cef_browser_settings_t, java, 144);
CEF_ASSERT_OFFSET(cef_browser_settings_t, plugins, 148);
CEF_ASSERT_OFFSET(cef_browser_settings_t, universal_access_from_file_urls, 152);
CEF_ASSERT_OFFSET(cef_browser_settings_t, file_access_from_file_urls, 156);
CEF_ASSERT_OFFSET(cef_browser_settings_t, web_security, 160);
CEF_ASSERT_OFFSET(cef_browser_settings_t, image_loading, 164);
CEF_ASSERT_OFFSET(cef_browser_settings_t, image_shrink_standalone_to_fit, 168);
CEF_ASSERT_OFFSET(cef_browser_settings_t, text_area_resize, 172);
CEF_ASSERT_OFFSET(cef_browser_settings_t, page_cache, 176);
CEF_ASSERT_OFFSET(cef_browser_settings_t, tab_to_links, 180);
CEF_ASSERT_OFFSET(cef_browser_settings_t, author_and_user_styles, 184);
CEF_ASSERT_OFFSET(cef_browser_settings_t, local_storage, 188);
CEF_ASSERT_OFFSET(cef_browser_settings_t, databases, 192);
CEF_ASSERT_OFFSET(cef_browser_settings_t, application_cache, 196);
CEF_ASSERT_OFFSET(cef_browser_settings_t, webgl, 200);
CEF_ASSERT_OFFSET(cef_browser_settings_t, accelerated_compositing, 204);
CEF_ASSERT_OFFSET(cef_browser_settings_t, developer_tools, 208);
#endif

#endif
