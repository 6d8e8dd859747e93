/* Records of values, process messages and script values: the list,
 * dictionary and binary containers, process messages, and the script engine's
 * values, contexts, exceptions, stack traces and frames, with the function
 * handler and accessor records the program implements.
 * Included by cef_capi.h; not meant to be included on its own.
 *
 * Ownership, as for every record: a record an entry returns carries one
 * reference for the caller; a record handed to an entry (a value given to a
 * setter, a `this` object, every element of an argument array) carries one
 * reference that the receiver releases whatever it answers. Record
 * out-parameters (`retval`, `exception`) are written on every call, null when
 * there is no record, and the caller releases what it finds there.
 * Indices are zero-based; an index or key that holds no value of the asked
 * type answers 0, null or the empty text. */
#ifndef NIMBRA_CEF_CAPI_VALUES_H
#define NIMBRA_CEF_CAPI_VALUES_H

#ifdef __cplusplus
extern "C" {
#endif

/* What an element of a list or dictionary holds. */
typedef enum {
  VTYPE_INVALID = 0,
  VTYPE_NULL,
  VTYPE_BOOL,
  VTYPE_INT,
  VTYPE_DOUBLE,
  VTYPE_STRING,
  VTYPE_BINARY,
  VTYPE_DICTIONARY,
  VTYPE_LIST,
} cef_value_type_t;

/* Bit sets; the program holds them in one byte. */
typedef enum {
  V8_ACCESS_CONTROL_DEFAULT = 0,
  V8_ACCESS_CONTROL_ALL_CAN_READ = 1 << 0,
  V8_ACCESS_CONTROL_ALL_CAN_WRITE = 1 << 1,
  V8_ACCESS_CONTROL_PROHIBITS_OVERWRITING = 1 << 2,
} cef_v8_accesscontrol_t;

typedef enum {
  V8_PROPERTY_ATTRIBUTE_NONE = 0,
  V8_PROPERTY_ATTRIBUTE_READONLY = 1 << 0,
  V8_PROPERTY_ATTRIBUTE_DONTENUM = 1 << 1,
  V8_PROPERTY_ATTRIBUTE_DONTDELETE = 1 << 2,
} cef_v8_propertyattribute_t;

/* ---- Generic containers ----------------------------------------------- */

/* Bytes; the engine keeps its own copy of what it was created from. */
struct _cef_binary_value_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_binary_value_t* self);
  int(CEF_CALLBACK* is_owned)(struct _cef_binary_value_t* self);
  struct _cef_binary_value_t*(CEF_CALLBACK* copy)(struct _cef_binary_value_t* self);
  size_t(CEF_CALLBACK* get_size)(struct _cef_binary_value_t* self);
  /* Copies at most buffer_size bytes from data_offset on; answers the number
   * copied. */
  size_t(CEF_CALLBACK* get_data)(struct _cef_binary_value_t* self, void* buffer, size_t buffer_size,
                                 size_t data_offset);
};

struct _cef_list_value_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_list_value_t* self);
  int(CEF_CALLBACK* is_owned)(struct _cef_list_value_t* self);
  int(CEF_CALLBACK* is_read_only)(struct _cef_list_value_t* self);
  struct _cef_list_value_t*(CEF_CALLBACK* copy)(struct _cef_list_value_t* self);
  int(CEF_CALLBACK* set_size)(struct _cef_list_value_t* self, size_t size);
  size_t(CEF_CALLBACK* get_size)(struct _cef_list_value_t* self);
  int(CEF_CALLBACK* clear)(struct _cef_list_value_t* self);
  int(CEF_CALLBACK* remove)(struct _cef_list_value_t* self, int index);
  cef_value_type_t(CEF_CALLBACK* get_type)(struct _cef_list_value_t* self, int index);
  int(CEF_CALLBACK* get_bool)(struct _cef_list_value_t* self, int index);
  int(CEF_CALLBACK* get_int)(struct _cef_list_value_t* self, int index);
  double(CEF_CALLBACK* get_double)(struct _cef_list_value_t* self, int index);
  cef_string_userfree_t(CEF_CALLBACK* get_string)(struct _cef_list_value_t* self, int index);
  cef_binary_value_t*(CEF_CALLBACK* get_binary)(struct _cef_list_value_t* self, int index);
  cef_dictionary_value_t*(CEF_CALLBACK* get_dictionary)(struct _cef_list_value_t* self, int index);
  struct _cef_list_value_t*(CEF_CALLBACK* get_list)(struct _cef_list_value_t* self, int index);
  int(CEF_CALLBACK* set_null)(struct _cef_list_value_t* self, int index);
  int(CEF_CALLBACK* set_bool)(struct _cef_list_value_t* self, int index, int value);
  int(CEF_CALLBACK* set_int)(struct _cef_list_value_t* self, int index, int value);
  int(CEF_CALLBACK* set_double)(struct _cef_list_value_t* self, int index, double value);
  int(CEF_CALLBACK* set_string)(struct _cef_list_value_t* self, int index,
                                const cef_string_t* value);
  int(CEF_CALLBACK* set_binary)(struct _cef_list_value_t* self, int index,
                                cef_binary_value_t* value);
  int(CEF_CALLBACK* set_dictionary)(struct _cef_list_value_t* self, int index,
                                    cef_dictionary_value_t* value);
  int(CEF_CALLBACK* set_list)(struct _cef_list_value_t* self, int index,
                              struct _cef_list_value_t* value);
};

struct _cef_dictionary_value_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_dictionary_value_t* self);
  int(CEF_CALLBACK* is_owned)(struct _cef_dictionary_value_t* self);
  int(CEF_CALLBACK* is_read_only)(struct _cef_dictionary_value_t* self);
  struct _cef_dictionary_value_t*(CEF_CALLBACK* copy)(struct _cef_dictionary_value_t* self,
                                                      int exclude_empty_children);
  size_t(CEF_CALLBACK* get_size)(struct _cef_dictionary_value_t* self);
  int(CEF_CALLBACK* clear)(struct _cef_dictionary_value_t* self);
  int(CEF_CALLBACK* has_key)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  /* Appends every key to `keys`, which belongs to the caller. */
  int(CEF_CALLBACK* get_keys)(struct _cef_dictionary_value_t* self, cef_string_list_t keys);
  int(CEF_CALLBACK* remove)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  cef_value_type_t(CEF_CALLBACK* get_type)(struct _cef_dictionary_value_t* self,
                                           const cef_string_t* key);
  int(CEF_CALLBACK* get_bool)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  int(CEF_CALLBACK* get_int)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  double(CEF_CALLBACK* get_double)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  cef_string_userfree_t(CEF_CALLBACK* get_string)(struct _cef_dictionary_value_t* self,
                                                  const cef_string_t* key);
  cef_binary_value_t*(CEF_CALLBACK* get_binary)(struct _cef_dictionary_value_t* self,
                                                const cef_string_t* key);
  struct _cef_dictionary_value_t*(CEF_CALLBACK* get_dictionary)(
      struct _cef_dictionary_value_t* self, const cef_string_t* key);
  cef_list_value_t*(CEF_CALLBACK* get_list)(struct _cef_dictionary_value_t* self,
                                            const cef_string_t* key);
  int(CEF_CALLBACK* set_null)(struct _cef_dictionary_value_t* self, const cef_string_t* key);
  int(CEF_CALLBACK* set_bool)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                              int value);
  int(CEF_CALLBACK* set_int)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                             int value);
  int(CEF_CALLBACK* set_double)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                                double value);
  int(CEF_CALLBACK* set_string)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                                const cef_string_t* value);
  int(CEF_CALLBACK* set_binary)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                                cef_binary_value_t* value);
  int(CEF_CALLBACK* set_dictionary)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                                    struct _cef_dictionary_value_t* value);
  int(CEF_CALLBACK* set_list)(struct _cef_dictionary_value_t* self, const cef_string_t* key,
                              cef_list_value_t* value);
};

/* A named message between the browser and a renderer process. */
struct _cef_process_message_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_process_message_t* self);
  int(CEF_CALLBACK* is_read_only)(struct _cef_process_message_t* self);
  struct _cef_process_message_t*(CEF_CALLBACK* copy)(struct _cef_process_message_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_name)(struct _cef_process_message_t* self);
  cef_list_value_t*(CEF_CALLBACK* get_argument_list)(struct _cef_process_message_t* self);
};

/* ---- Script values ---------------------------------------------------- */

struct _cef_v8context_t {
  cef_base_t base;
  cef_task_runner_t*(CEF_CALLBACK* get_task_runner)(struct _cef_v8context_t* self);
  int(CEF_CALLBACK* is_valid)(struct _cef_v8context_t* self);
  cef_browser_t*(CEF_CALLBACK* get_browser)(struct _cef_v8context_t* self);
  cef_frame_t*(CEF_CALLBACK* get_frame)(struct _cef_v8context_t* self);
  cef_v8value_t*(CEF_CALLBACK* get_global)(struct _cef_v8context_t* self);
  int(CEF_CALLBACK* enter)(struct _cef_v8context_t* self);
  int(CEF_CALLBACK* exit)(struct _cef_v8context_t* self);
  int(CEF_CALLBACK* is_same)(struct _cef_v8context_t* self, struct _cef_v8context_t* that);
  /* Runs `code`; `retval` receives its value, `exception` what it threw. */
  int(CEF_CALLBACK* eval)(struct _cef_v8context_t* self, const cef_string_t* code,
                          cef_v8value_t** retval, cef_v8exception_t** exception);
};

struct _cef_v8exception_t {
  cef_base_t base;
  cef_string_userfree_t(CEF_CALLBACK* get_message)(struct _cef_v8exception_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_source_line)(struct _cef_v8exception_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_script_resource_name)(struct _cef_v8exception_t* self);
  int(CEF_CALLBACK* get_line_number)(struct _cef_v8exception_t* self);
  int(CEF_CALLBACK* get_start_position)(struct _cef_v8exception_t* self);
  int(CEF_CALLBACK* get_end_position)(struct _cef_v8exception_t* self);
  int(CEF_CALLBACK* get_start_column)(struct _cef_v8exception_t* self);
  int(CEF_CALLBACK* get_end_column)(struct _cef_v8exception_t* self);
};

struct _cef_v8stack_trace_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_v8stack_trace_t* self);
  int(CEF_CALLBACK* get_frame_count)(struct _cef_v8stack_trace_t* self);
  cef_v8stack_frame_t*(CEF_CALLBACK* get_frame)(struct _cef_v8stack_trace_t* self, int index);
};

struct _cef_v8stack_frame_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_v8stack_frame_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_script_name)(struct _cef_v8stack_frame_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_script_name_or_source_url)(
      struct _cef_v8stack_frame_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_function_name)(struct _cef_v8stack_frame_t* self);
  int(CEF_CALLBACK* get_line_number)(struct _cef_v8stack_frame_t* self);
  int(CEF_CALLBACK* get_column)(struct _cef_v8stack_frame_t* self);
  int(CEF_CALLBACK* is_eval)(struct _cef_v8stack_frame_t* self);
  int(CEF_CALLBACK* is_constructor)(struct _cef_v8stack_frame_t* self);
};

/* A native function, implemented by the program or by the engine. Called
 * with the function's name, its `this` object and `arguments_count` argument
 * records (the array is null when the count is 0). Answers non-zero when it
 * handled the call; `retval` receives the result value and `exception` the
 * text of a script exception to throw (empty for none). */
struct _cef_v8handler_t {
  cef_base_t base;
  int(CEF_CALLBACK* execute)(struct _cef_v8handler_t* self, const cef_string_t* name,
                             cef_v8value_t* object, size_t arguments_count,
                             cef_v8value_t* const* arguments, cef_v8value_t** retval,
                             cef_string_t* exception);
};

/* Reads and writes the accessor properties of an object (implemented by the
 * program). `exception` is read-only to the program. */
struct _cef_v8accessor_t {
  cef_base_t base;
  int(CEF_CALLBACK* get)(struct _cef_v8accessor_t* self, const cef_string_t* name,
                         cef_v8value_t* object, cef_v8value_t** retval, cef_string_t* exception);
  int(CEF_CALLBACK* set)(struct _cef_v8accessor_t* self, const cef_string_t* name,
                         cef_v8value_t* object, cef_v8value_t* value, cef_string_t* exception);
};

struct _cef_v8value_t {
  cef_base_t base;
  int(CEF_CALLBACK* is_valid)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_undefined)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_null)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_bool)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_int)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_uint)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_double)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_date)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_string)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_object)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_array)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_function)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_same)(struct _cef_v8value_t* self, struct _cef_v8value_t* that);
  int(CEF_CALLBACK* get_bool_value)(struct _cef_v8value_t* self);
  int32_t(CEF_CALLBACK* get_int_value)(struct _cef_v8value_t* self);
  uint32_t(CEF_CALLBACK* get_uint_value)(struct _cef_v8value_t* self);
  double(CEF_CALLBACK* get_double_value)(struct _cef_v8value_t* self);
  /* Universal time. */
  cef_time_t(CEF_CALLBACK* get_date_value)(struct _cef_v8value_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_string_value)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* is_user_created)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* has_exception)(struct _cef_v8value_t* self);
  cef_v8exception_t*(CEF_CALLBACK* get_exception)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* clear_exception)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* will_rethrow_exceptions)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* set_rethrow_exceptions)(struct _cef_v8value_t* self, int rethrow);
  int(CEF_CALLBACK* has_value_bykey)(struct _cef_v8value_t* self, const cef_string_t* key);
  int(CEF_CALLBACK* has_value_byindex)(struct _cef_v8value_t* self, int index);
  int(CEF_CALLBACK* delete_value_bykey)(struct _cef_v8value_t* self, const cef_string_t* key);
  int(CEF_CALLBACK* delete_value_byindex)(struct _cef_v8value_t* self, int index);
  struct _cef_v8value_t*(CEF_CALLBACK* get_value_bykey)(struct _cef_v8value_t* self,
                                                        const cef_string_t* key);
  struct _cef_v8value_t*(CEF_CALLBACK* get_value_byindex)(struct _cef_v8value_t* self, int index);
  int(CEF_CALLBACK* set_value_bykey)(struct _cef_v8value_t* self, const cef_string_t* key,
                                     struct _cef_v8value_t* value,
                                     cef_v8_propertyattribute_t attribute);
  int(CEF_CALLBACK* set_value_byindex)(struct _cef_v8value_t* self, int index,
                                       struct _cef_v8value_t* value);
  /* Declares an accessor property, answered by the object's accessor. */
  int(CEF_CALLBACK* set_value_byaccessor)(struct _cef_v8value_t* self, const cef_string_t* key,
                                          cef_v8_accesscontrol_t settings,
                                          cef_v8_propertyattribute_t attribute);
  /* Appends the object's keys to `keys`, which belongs to the caller. */
  int(CEF_CALLBACK* get_keys)(struct _cef_v8value_t* self, cef_string_list_t keys);
  int(CEF_CALLBACK* set_user_data)(struct _cef_v8value_t* self, struct _cef_v8value_t* user_data);
  struct _cef_v8value_t*(CEF_CALLBACK* get_user_data)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* get_externally_allocated_memory)(struct _cef_v8value_t* self);
  int(CEF_CALLBACK* adjust_externally_allocated_memory)(struct _cef_v8value_t* self,
                                                        int change_in_bytes);
  int(CEF_CALLBACK* get_array_length)(struct _cef_v8value_t* self);
  cef_string_userfree_t(CEF_CALLBACK* get_function_name)(struct _cef_v8value_t* self);
  cef_v8handler_t*(CEF_CALLBACK* get_function_handler)(struct _cef_v8value_t* self);
  /* `arguments` is null when `arguments_count` is 0. */
  struct _cef_v8value_t*(CEF_CALLBACK* execute_function)(struct _cef_v8value_t* self,
                                                         struct _cef_v8value_t* object,
                                                         size_t arguments_count,
                                                         struct _cef_v8value_t* const* arguments);
  struct _cef_v8value_t*(CEF_CALLBACK* execute_function_with_context)(
      struct _cef_v8value_t* self, cef_v8context_t* context, struct _cef_v8value_t* object,
      size_t arguments_count, struct _cef_v8value_t* const* arguments);
};

#ifdef __cplusplus
}
#endif

#endif
