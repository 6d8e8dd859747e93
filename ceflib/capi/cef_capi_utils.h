/* Records of the small utilities: URL parts, times, cookies and their
 * manager, menu models, tasks and task runners, the document tree, and the
 * visitor and callback records the program implements for them.
 * Included by cef_capi.h; not meant to be included on its own. */
#ifndef NIMBRA_CEF_CAPI_UTILS_H
#define NIMBRA_CEF_CAPI_UTILS_H

#ifdef __cplusplus
extern "C" {
#endif

struct _cef_urlparts_t {
  cef_string_t spec;
  cef_string_t scheme;
  cef_string_t username;
  cef_string_t password;
  cef_string_t host;
  cef_string_t port;
  cef_string_t path;
  cef_string_t query;
};

/* Universal time. */
struct _cef_time_t {
  int year;
  int month;       /* 1-12 */
  int day_of_week; /* 0 = Sunday */
  int day_of_month;
  int hour;
  int minute;
  int second;
  int millisecond;
};

typedef struct _cef_cookie_t {
  cef_string_t name;
  cef_string_t value;
  cef_string_t domain;
  cef_string_t path;
  unsigned char secure;
  unsigned char httponly; /* script-hidden */
  cef_time_t creation;
  cef_time_t last_access;
  unsigned char has_expires;
  cef_time_t expires;
} cef_cookie_t;

typedef struct _cef_cookie_visitor_t {
  cef_base_t base;
  int(CEF_CALLBACK* visit)(struct _cef_cookie_visitor_t* self, const cef_cookie_t* cookie,
                           int count, int total, int* delete_cookie);
} cef_cookie_visitor_t;

struct _cef_cookie_manager_t {
  cef_base_t base;
  void(CEF_CALLBACK* set_supported_schemes)(struct _cef_cookie_manager_t* self,
                                            cef_string_list_t schemes);
  int(CEF_CALLBACK* visit_all_cookies)(struct _cef_cookie_manager_t* self,
                                       cef_cookie_visitor_t* visitor);
  int(CEF_CALLBACK* visit_url_cookies)(struct _cef_cookie_manager_t* self, const cef_string_t* url,
                                       int include_http_only, cef_cookie_visitor_t* visitor);
  int(CEF_CALLBACK* set_cookie)(struct _cef_cookie_manager_t* self, const cef_string_t* url,
                                const cef_cookie_t* cookie);
  int(CEF_CALLBACK* delete_cookies)(struct _cef_cookie_manager_t* self, const cef_string_t* url,
                                    const cef_string_t* cookie_name);
  int(CEF_CALLBACK* set_storage_path)(struct _cef_cookie_manager_t* self, const cef_string_t* path);
};

typedef enum {
  MENUITEMTYPE_NONE = 0,
  MENUITEMTYPE_COMMAND,
  MENUITEMTYPE_CHECK,
  MENUITEMTYPE_RADIO,
  MENUITEMTYPE_SEPARATOR,
  MENUITEMTYPE_SUBMENU,
} cef_menu_item_type_t;

struct _cef_menu_model_t {
  cef_base_t base;
  int(CEF_CALLBACK* clear)(struct _cef_menu_model_t* self);
  int(CEF_CALLBACK* get_count)(struct _cef_menu_model_t* self);
  int(CEF_CALLBACK* add_separator)(struct _cef_menu_model_t* self);
  int(CEF_CALLBACK* add_item)(struct _cef_menu_model_t* self, int command_id,
                              const cef_string_t* label);
  int(CEF_CALLBACK* add_check_item)(struct _cef_menu_model_t* self, int command_id,
                                    const cef_string_t* label);
  int(CEF_CALLBACK* add_radio_item)(struct _cef_menu_model_t* self, int command_id,
                                    const cef_string_t* label, int group_id);
  struct _cef_menu_model_t*(CEF_CALLBACK* add_sub_menu)(struct _cef_menu_model_t* self,
                                                        int command_id, const cef_string_t* label);
  int(CEF_CALLBACK* insert_separator_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* insert_item_at)(struct _cef_menu_model_t* self, int index, int command_id,
                                    const cef_string_t* label);
  int(CEF_CALLBACK* insert_check_item_at)(struct _cef_menu_model_t* self, int index, int command_id,
                                          const cef_string_t* label);
  int(CEF_CALLBACK* insert_radio_item_at)(struct _cef_menu_model_t* self, int index, int command_id,
                                          const cef_string_t* label, int group_id);
  struct _cef_menu_model_t*(CEF_CALLBACK* insert_sub_menu_at)(struct _cef_menu_model_t* self,
                                                              int index, int command_id,
                                                              const cef_string_t* label);
  int(CEF_CALLBACK* remove)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* remove_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* get_index_of)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* get_command_id_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_command_id_at)(struct _cef_menu_model_t* self, int index, int command_id);
  cef_string_userfree_t(CEF_CALLBACK* get_label)(struct _cef_menu_model_t* self, int command_id);
  cef_string_userfree_t(CEF_CALLBACK* get_label_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_label)(struct _cef_menu_model_t* self, int command_id,
                               const cef_string_t* label);
  int(CEF_CALLBACK* set_label_at)(struct _cef_menu_model_t* self, int index,
                                  const cef_string_t* label);
  cef_menu_item_type_t(CEF_CALLBACK* get_type)(struct _cef_menu_model_t* self, int command_id);
  cef_menu_item_type_t(CEF_CALLBACK* get_type_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* get_group_id)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* get_group_id_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_group_id)(struct _cef_menu_model_t* self, int command_id, int group_id);
  int(CEF_CALLBACK* set_group_id_at)(struct _cef_menu_model_t* self, int index, int group_id);
  struct _cef_menu_model_t*(CEF_CALLBACK* get_sub_menu)(struct _cef_menu_model_t* self,
                                                        int command_id);
  struct _cef_menu_model_t*(CEF_CALLBACK* get_sub_menu_at)(struct _cef_menu_model_t* self,
                                                           int index);
  int(CEF_CALLBACK* is_visible)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* is_visible_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_visible)(struct _cef_menu_model_t* self, int command_id, int visible);
  int(CEF_CALLBACK* set_visible_at)(struct _cef_menu_model_t* self, int index, int visible);
  int(CEF_CALLBACK* is_enabled)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* is_enabled_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_enabled)(struct _cef_menu_model_t* self, int command_id, int enabled);
  int(CEF_CALLBACK* set_enabled_at)(struct _cef_menu_model_t* self, int index, int enabled);
  int(CEF_CALLBACK* is_checked)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* is_checked_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_checked)(struct _cef_menu_model_t* self, int command_id, int checked);
  int(CEF_CALLBACK* set_checked_at)(struct _cef_menu_model_t* self, int index, int checked);
  int(CEF_CALLBACK* has_accelerator)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* has_accelerator_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* set_accelerator)(struct _cef_menu_model_t* self, int command_id, int key_code,
                                     int shift_pressed, int ctrl_pressed, int alt_pressed);
  int(CEF_CALLBACK* set_accelerator_at)(struct _cef_menu_model_t* self, int index, int key_code,
                                        int shift_pressed, int ctrl_pressed, int alt_pressed);
  int(CEF_CALLBACK* remove_accelerator)(struct _cef_menu_model_t* self, int command_id);
  int(CEF_CALLBACK* remove_accelerator_at)(struct _cef_menu_model_t* self, int index);
  int(CEF_CALLBACK* get_accelerator)(struct _cef_menu_model_t* self, int command_id, int* key_code,
                                     int* shift_pressed, int* ctrl_pressed, int* alt_pressed);
  int(CEF_CALLBACK* get_accelerator_at)(struct _cef_menu_model_t* self, int index, int* key_code,
                                        int* shift_pressed, int* ctrl_pressed, int* alt_pressed);
};

struct _cef_task_t {
  cef_base_t base;
  void(CEF_CALLBACK* execute)(struct _cef_task_t* self);
};

struct _cef_task_runner_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_same)(struct _cef_task_runner_t* self, struct _cef_task_runner_t* that);
  int(CEF_CALLBACK* belongs_to_current_thread)(struct _cef_task_runner_t* self);
  int(CEF_CALLBACK* belongs_to_thread)(struct _cef_task_runner_t* self, cef_thread_id_t thread_id);
  int(CEF_CALLBACK* post_task)(struct _cef_task_runner_t* self, cef_task_t* task);
  int(CEF_CALLBACK* post_delayed_task)(struct _cef_task_runner_t* self, cef_task_t* task,
                                       int64_t delay_ms);
};

typedef struct _cef_string_visitor_t {
  cef_base_t base;
  void(CEF_CALLBACK* visit)(struct _cef_string_visitor_t* self, const cef_string_t* string);
} cef_string_visitor_t;

typedef struct _cef_domvisitor_t {
  cef_base_t base;
  void(CEF_CALLBACK* visit)(struct _cef_domvisitor_t* self, cef_domdocument_t* document);
} cef_domvisitor_t;

struct _cef_domevent_listener_t {
  cef_base_t base;
  void(CEF_CALLBACK* handle_event)(struct _cef_domevent_listener_t* self, cef_domevent_t* event);
};

typedef struct _cef_run_file_dialog_callback_t {
  cef_base_t base;
  void(CEF_CALLBACK* cont)(struct _cef_run_file_dialog_callback_t* self,
                           cef_browser_host_t* browser_host, cef_string_list_t file_paths);
} cef_run_file_dialog_callback_t;

typedef int cef_dom_document_type_t;
typedef int cef_dom_node_type_t;
typedef int cef_dom_event_category_t;
typedef int cef_dom_event_phase_t;

struct _cef_domdocument_t {
  cef_base_t base;
  cef_dom_document_type_t(CEF_CALLBACK* get_type)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_document)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_body)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_head)(struct _cef_domdocument_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_title)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_element_by_id)(struct _cef_domdocument_t* self,
                                                  const cef_string_t* id);
  cef_domnode_t*(CEF_CALLBACK* get_focused_node)(struct _cef_domdocument_t* self);
  int(CEF_CALLBACK* has_selection)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_selection_start_node)(struct _cef_domdocument_t* self);
  int(CEF_CALLBACK* get_selection_start_offset)(struct _cef_domdocument_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_selection_end_node)(struct _cef_domdocument_t* self);
  int(CEF_CALLBACK* get_selection_end_offset)(struct _cef_domdocument_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_selection_as_markup)(struct _cef_domdocument_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_selection_as_text)(struct _cef_domdocument_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_base_url)(struct _cef_domdocument_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_complete_url)(struct _cef_domdocument_t* self,
                                                        const cef_string_t* partial_url);
};

struct _cef_domnode_t {
  cef_base_t base;
  cef_dom_node_type_t(CEF_CALLBACK* get_type)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* is_text)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* is_element)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* is_editable)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* is_form_control_element)(struct _cef_domnode_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_form_control_element_type)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* is_same)(struct _cef_domnode_t* self, struct _cef_domnode_t* that);
  cef_string_userfree_t(CEF_CALLBACK* get_name)(struct _cef_domnode_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_value)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* set_value)(struct _cef_domnode_t* self, const cef_string_t* value);
  cef_string_userfree_t(CEF_CALLBACK* get_as_markup)(struct _cef_domnode_t* self);
  cef_domdocument_t*(CEF_CALLBACK* get_document)(struct _cef_domnode_t* self);
  struct _cef_domnode_t*(CEF_CALLBACK* get_parent)(struct _cef_domnode_t* self);
  struct _cef_domnode_t*(CEF_CALLBACK* get_previous_sibling)(struct _cef_domnode_t* self);
  struct _cef_domnode_t*(CEF_CALLBACK* get_next_sibling)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* has_children)(struct _cef_domnode_t* self);
  struct _cef_domnode_t*(CEF_CALLBACK* get_first_child)(struct _cef_domnode_t* self);
  struct _cef_domnode_t*(CEF_CALLBACK* get_last_child)(struct _cef_domnode_t* self);
  void(CEF_CALLBACK* add_event_listener)(struct _cef_domnode_t* self,
                                         const cef_string_t* event_type,
                                         cef_domevent_listener_t* listener, int use_capture);
  cef_string_userfree_t(CEF_CALLBACK* get_element_tag_name)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* has_element_attributes)(struct _cef_domnode_t* self);
  int(CEF_CALLBACK* has_element_attribute)(struct _cef_domnode_t* self,
                                           const cef_string_t* attr_name);
  cef_string_userfree_t(CEF_CALLBACK* get_element_attribute)(struct _cef_domnode_t* self,
                                                             const cef_string_t* attr_name);
  void(CEF_CALLBACK* get_element_attributes)(struct _cef_domnode_t* self,
                                             cef_string_map_t attr_map);
  int(CEF_CALLBACK* set_element_attribute)(struct _cef_domnode_t* self,
                                           const cef_string_t* attr_name,
                                           const cef_string_t* value);
  cef_string_userfree_t(CEF_CALLBACK* get_element_inner_text)(struct _cef_domnode_t* self);
};

struct _cef_domevent_t {
  cef_base_t base;
  cef_string_userfree_t(CEF_CALLBACK* get_type)(struct _cef_domevent_t* self);
  cef_dom_event_category_t(CEF_CALLBACK* get_category)(struct _cef_domevent_t* self);
  cef_dom_event_phase_t(CEF_CALLBACK* get_phase)(struct _cef_domevent_t* self);
  int(CEF_CALLBACK* can_bubble)(struct _cef_domevent_t* self);
  int(CEF_CALLBACK* can_cancel)(struct _cef_domevent_t* self);
  cef_domdocument_t*(CEF_CALLBACK* get_document)(struct _cef_domevent_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_target)(struct _cef_domevent_t* self);
  cef_domnode_t*(CEF_CALLBACK* get_current_target)(struct _cef_domevent_t* self);
};

#ifdef __cplusplus
}
#endif

#endif
