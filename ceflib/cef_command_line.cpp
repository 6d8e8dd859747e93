#include "cef_api.h"
#include "cef_wrappers.h"

TInterfacePtr<ICefCommandLine> TCefCommandLineRef::New() {
  return UnWrap(CefApi.cef_command_line_create());
}
TInterfacePtr<ICefCommandLine> TCefCommandLineRef::Global() {
  return UnWrap(CefApi.cef_command_line_get_global());
}

void TCefCommandLineRef::GetArgv(TStringList& args) {
  CefStringListFilled(args, [this](cef_string_list_t list) { Call(&Rec::get_argv, list); });
}
void TCefCommandLineRef::GetArguments(TStringList& arguments) {
  CefStringListFilled(arguments,
                      [this](cef_string_list_t list) { Call(&Rec::get_arguments, list); });
}
