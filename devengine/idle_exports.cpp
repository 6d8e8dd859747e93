// Every export nothing in the program uses yet answers zero, null or nothing.
// They are made from the export table; the exports written by hand elsewhere
// are named below so the table passes over them. The string and container
// groups are all written by hand and are not expanded here.
#include <type_traits>

#include "exports.h"

namespace {

template <class Result>
Result Nothing() {
  if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace

#define DEVENGINE_ELSEWHERE ~, 1

#define DEVENGINE_ELSEWHERE_cef_execute_process DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_initialize DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_shutdown DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_do_message_loop_work DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_run_message_loop DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_quit_message_loop DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_build_revision DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_currently_on DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_command_line_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_command_line_get_global DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_post_task DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_post_delayed_task DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_task_runner_get_for_current_thread DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_task_runner_get_for_thread DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_parse_url DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_create_url DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_cookie_manager_get_global_manager DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_cookie_manager_create_manager DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_browser_host_create_browser DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_browser_host_create_browser_sync DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_request_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_process_message_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_binary_value_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_dictionary_value_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_list_value_create DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_register_extension DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8context_get_current_context DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8context_get_entered_context DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8context_in_context DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_undefined DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_null DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_bool DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_int DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_uint DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_double DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_date DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_string DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_object DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_array DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8value_create_function DEVENGINE_ELSEWHERE
#define DEVENGINE_ELSEWHERE_cef_v8stack_trace_get_current DEVENGINE_ELSEWHERE

// A library built to lack one export, for proving that the program refuses
// such a library.
#ifdef DEVENGINE_LEAVE_OUT_END_TRACING
#define DEVENGINE_ELSEWHERE_cef_end_tracing_async DEVENGINE_ELSEWHERE
#endif

// Expands to 1 when DEVENGINE_ELSEWHERE_<name> is defined as above, else 0:
// only the defined form brings the extra comma that shifts the 1 into place.
#define DEVENGINE_SECOND(first, second, ...) second
#define DEVENGINE_PROBE(...) DEVENGINE_SECOND(__VA_ARGS__, 0, ~)
#define DEVENGINE_IS_ELSEWHERE(name) DEVENGINE_PROBE(DEVENGINE_ELSEWHERE_##name)

#define DEVENGINE_JOIN_(a, b) a##b
#define DEVENGINE_JOIN(a, b) DEVENGINE_JOIN_(a, b)

#define DEVENGINE_IDLE_WHEN_ELSEWHERE_0(ret, name, params) \
  DEVENGINE_EXPORT ret CEF_EXPORT_CC name params { return Nothing<ret>(); }
#define DEVENGINE_IDLE_WHEN_ELSEWHERE_1(ret, name, params)
#define DEVENGINE_IDLE_EXPORT(ret, name, params) \
  DEVENGINE_JOIN(DEVENGINE_IDLE_WHEN_ELSEWHERE_, DEVENGINE_IS_ELSEWHERE(name))(ret, name, params)

// Idle exports ignore what they are given.
#pragma GCC diagnostic ignored "-Wunused-parameter"

CEF_EXPORTS_PROCESS(DEVENGINE_IDLE_EXPORT)
CEF_EXPORTS_SCRIPT(DEVENGINE_IDLE_EXPORT)
CEF_EXPORTS_THREADS(DEVENGINE_IDLE_EXPORT)
CEF_EXPORTS_OBJECTS(DEVENGINE_IDLE_EXPORT)
CEF_EXPORTS_PLUGINS(DEVENGINE_IDLE_EXPORT)
