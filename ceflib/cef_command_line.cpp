#include "cef_api.h"
#include "cef_wrappers.h"

TInterfacePtr<ICefCommandLine> TCefCommandLineRef::New() {
  return UnWrap(CefApi.cef_command_line_create());
}
TInterfacePtr<ICefCommandLine> TCefCommandLineRef::Global() {
  return UnWrap(CefApi.cef_command_line_get_global());
}

bool TCefCommandLineRef::IsValid() { return R()->is_valid(R()) != 0; }
bool TCefCommandLineRef::IsReadOnly() { return R()->is_read_only(R()) != 0; }
TInterfacePtr<ICefCommandLine> TCefCommandLineRef::Copy() { return UnWrap(R()->copy(R())); }
void TCefCommandLineRef::InitFromArgv(int argc, const char* const* argv) {
  R()->init_from_argv(R(), argc, argv);
}
void TCefCommandLineRef::InitFromString(const ustring& commandLine) {
  const cef_string_t s = CefStringView(commandLine);
  R()->init_from_string(R(), &s);
}
void TCefCommandLineRef::Reset() { R()->reset(R()); }
ustring TCefCommandLineRef::GetCommandLineString() {
  return CefStringTakeUserFree(R()->get_command_line_string(R()));
}
void TCefCommandLineRef::GetArgv(TStringList& args) {
  CefStringListFilled(args, [this](cef_string_list_t list) { R()->get_argv(R(), list); });
}
ustring TCefCommandLineRef::GetProgram() { return CefStringTakeUserFree(R()->get_program(R())); }
void TCefCommandLineRef::SetProgram(const ustring& program) {
  const cef_string_t s = CefStringView(program);
  R()->set_program(R(), &s);
}
bool TCefCommandLineRef::HasSwitches() { return R()->has_switches(R()) != 0; }
bool TCefCommandLineRef::HasSwitch(const ustring& name) {
  const cef_string_t s = CefStringView(name);
  return R()->has_switch(R(), &s) != 0;
}
ustring TCefCommandLineRef::GetSwitchValue(const ustring& name) {
  const cef_string_t s = CefStringView(name);
  return CefStringTakeUserFree(R()->get_switch_value(R(), &s));
}
void TCefCommandLineRef::GetSwitches(cef_string_map_t switches) {
  R()->get_switches(R(), switches);
}
void TCefCommandLineRef::AppendSwitch(const ustring& name) {
  const cef_string_t s = CefStringView(name);
  R()->append_switch(R(), &s);
}
void TCefCommandLineRef::AppendSwitchWithValue(const ustring& name, const ustring& value) {
  const cef_string_t n = CefStringView(name);
  const cef_string_t v = CefStringView(value);
  R()->append_switch_with_value(R(), &n, &v);
}
bool TCefCommandLineRef::HasArguments() { return R()->has_arguments(R()) != 0; }
void TCefCommandLineRef::GetArguments(TStringList& arguments) {
  CefStringListFilled(arguments, [this](cef_string_list_t list) { R()->get_arguments(R(), list); });
}
void TCefCommandLineRef::AppendArgument(const ustring& argument) {
  const cef_string_t s = CefStringView(argument);
  R()->append_argument(R(), &s);
}
void TCefCommandLineRef::PrependWrapper(const ustring& wrapper) {
  const cef_string_t s = CefStringView(wrapper);
  R()->prepend_wrapper(R(), &s);
}
