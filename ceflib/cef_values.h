// Process messages, list/dictionary/binary values and script values.
#pragma once

#include "cef_forward.h"

class ICefProcessMessage : public virtual ICefBase {};
class ICefListValue : public virtual ICefBase {};
class ICefv8Context : public virtual ICefBase {};
class ICefV8Exception : public virtual ICefBase {};
class ICefV8StackTrace : public virtual ICefBase {};

class TCefProcessMessageRef : public TCefBaseRefT<cef_process_message_t, ICefProcessMessage> {
  NIMBRA_WRAPPER_HEAD(TCefProcessMessageRef, ICefProcessMessage, cef_process_message_t)
};
class TCefListValueRef : public TCefBaseRefT<cef_list_value_t, ICefListValue> {
  NIMBRA_WRAPPER_HEAD(TCefListValueRef, ICefListValue, cef_list_value_t)
};
class TCefv8ContextRef : public TCefBaseRefT<cef_v8context_t, ICefv8Context> {
  NIMBRA_WRAPPER_HEAD(TCefv8ContextRef, ICefv8Context, cef_v8context_t)
};
class TCefV8ExceptionRef : public TCefBaseRefT<cef_v8exception_t, ICefV8Exception> {
  NIMBRA_WRAPPER_HEAD(TCefV8ExceptionRef, ICefV8Exception, cef_v8exception_t)
};
class TCefV8StackTraceRef : public TCefBaseRefT<cef_v8stack_trace_t, ICefV8StackTrace> {
  NIMBRA_WRAPPER_HEAD(TCefV8StackTraceRef, ICefV8StackTrace, cef_v8stack_trace_t)
};
