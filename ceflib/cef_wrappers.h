// Wrappers of engine records: each holds one engine reference and forwards its
// interface's operations to the record's entries (see cef_convert.h).
#pragma once

#include "cef_convert.h"
#include "cef_interfaces.h"

NIMBRA_WRAPS(TCefBrowserRef, ICefBrowser, cef_browser_t)
NIMBRA_WRAPS(TCefFrameRef, ICefFrame, cef_frame_t)
NIMBRA_WRAPS(TCefRequestRef, ICefRequest, cef_request_t)
NIMBRA_WRAPS(TCefListValueRef, ICefListValue, cef_list_value_t)
NIMBRA_WRAPS(TCefProcessMessageRef, ICefProcessMessage, cef_process_message_t)
NIMBRA_WRAPS(TCefv8ContextRef, ICefv8Context, cef_v8context_t)
NIMBRA_WRAPS(TCefV8ExceptionRef, ICefV8Exception, cef_v8exception_t)
NIMBRA_WRAPS(TCefV8StackTraceRef, ICefV8StackTrace, cef_v8stack_trace_t)
NIMBRA_WRAPS(TCefDomNodeRef, ICefDomNode, cef_domnode_t)
NIMBRA_WRAPS(TCefSchemeRegistrarRef, ICefSchemeRegistrar, cef_scheme_registrar_t)
NIMBRA_WRAPS(TCefCommandLineRef, ICefCommandLine, cef_command_line_t)

// Wrappers whose interfaces have no operations the program calls yet.
#define NIMBRA_PLAIN_WRAPPER(TRef, IIntf, Record)   \
  class TRef : public TCefBaseRefT<Record, IIntf> { \
    NIMBRA_WRAPPER_HEAD(TRef, IIntf, Record)        \
  };

NIMBRA_PLAIN_WRAPPER(TCefBrowserRef, ICefBrowser, cef_browser_t)
NIMBRA_PLAIN_WRAPPER(TCefFrameRef, ICefFrame, cef_frame_t)
NIMBRA_PLAIN_WRAPPER(TCefRequestRef, ICefRequest, cef_request_t)
NIMBRA_PLAIN_WRAPPER(TCefListValueRef, ICefListValue, cef_list_value_t)
NIMBRA_PLAIN_WRAPPER(TCefProcessMessageRef, ICefProcessMessage, cef_process_message_t)
NIMBRA_PLAIN_WRAPPER(TCefv8ContextRef, ICefv8Context, cef_v8context_t)
NIMBRA_PLAIN_WRAPPER(TCefV8ExceptionRef, ICefV8Exception, cef_v8exception_t)
NIMBRA_PLAIN_WRAPPER(TCefV8StackTraceRef, ICefV8StackTrace, cef_v8stack_trace_t)
NIMBRA_PLAIN_WRAPPER(TCefDomNodeRef, ICefDomNode, cef_domnode_t)
NIMBRA_PLAIN_WRAPPER(TCefSchemeRegistrarRef, ICefSchemeRegistrar, cef_scheme_registrar_t)

#undef NIMBRA_PLAIN_WRAPPER

class TCefCommandLineRef : public TCefBaseRefT<cef_command_line_t, ICefCommandLine> {
  NIMBRA_WRAPPER_HEAD(TCefCommandLineRef, ICefCommandLine, cef_command_line_t)
  static TInterfacePtr<ICefCommandLine> New();
  static TInterfacePtr<ICefCommandLine> Global();

  using Rec = cef_command_line_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  TInterfacePtr<ICefCommandLine> Copy() override {
    return Call<TInterfacePtr<ICefCommandLine>>(&Rec::copy);
  }
  void InitFromArgv(int argc, const char* const* argv) override {
    Call(&Rec::init_from_argv, argc, argv);
  }
  void InitFromString(const ustring& commandLine) override {
    Call(&Rec::init_from_string, commandLine);
  }
  void Reset() override { Call(&Rec::reset); }
  ustring GetCommandLineString() override { return Call<ustring>(&Rec::get_command_line_string); }
  void GetArgv(TStringList& args) override;
  ustring GetProgram() override { return Call<ustring>(&Rec::get_program); }
  void SetProgram(const ustring& program) override { Call(&Rec::set_program, program); }
  bool HasSwitches() override { return Call<bool>(&Rec::has_switches); }
  bool HasSwitch(const ustring& name) override { return Call<bool>(&Rec::has_switch, name); }
  ustring GetSwitchValue(const ustring& name) override {
    return Call<ustring>(&Rec::get_switch_value, name);
  }
  void GetSwitches(cef_string_map_t switches) override { Call(&Rec::get_switches, switches); }
  void AppendSwitch(const ustring& name) override { Call(&Rec::append_switch, name); }
  void AppendSwitchWithValue(const ustring& name, const ustring& value) override {
    Call(&Rec::append_switch_with_value, name, value);
  }
  bool HasArguments() override { return Call<bool>(&Rec::has_arguments); }
  void GetArguments(TStringList& arguments) override;
  void AppendArgument(const ustring& argument) override { Call(&Rec::append_argument, argument); }
  void PrependWrapper(const ustring& wrapper) override { Call(&Rec::prepend_wrapper, wrapper); }
};
