// Wrappers of engine records: each holds one engine reference and forwards its
// interface's operations to the record's entries.
#pragma once

#include "cef_interfaces.h"

// A wrapper class with nothing but UnWrap: its interface has no operations yet.
#define NIMBRA_PLAIN_WRAPPER(TRef, IIntf)                                                   \
  class TRef : public TCefBaseRef, public IIntf {                                           \
   public:                                                                                  \
    explicit TRef(void* data) : TCefBaseRef(data) {}                                        \
    static TInterfacePtr<IIntf> UnWrap(void* data) { return CefUnWrap<TRef, IIntf>(data); } \
  };

NIMBRA_PLAIN_WRAPPER(TCefBrowserRef, ICefBrowser)
NIMBRA_PLAIN_WRAPPER(TCefFrameRef, ICefFrame)
NIMBRA_PLAIN_WRAPPER(TCefRequestRef, ICefRequest)
NIMBRA_PLAIN_WRAPPER(TCefListValueRef, ICefListValue)
NIMBRA_PLAIN_WRAPPER(TCefProcessMessageRef, ICefProcessMessage)
NIMBRA_PLAIN_WRAPPER(TCefv8ContextRef, ICefv8Context)
NIMBRA_PLAIN_WRAPPER(TCefV8ExceptionRef, ICefV8Exception)
NIMBRA_PLAIN_WRAPPER(TCefV8StackTraceRef, ICefV8StackTrace)
NIMBRA_PLAIN_WRAPPER(TCefDomNodeRef, ICefDomNode)
NIMBRA_PLAIN_WRAPPER(TCefSchemeRegistrarRef, ICefSchemeRegistrar)

#undef NIMBRA_PLAIN_WRAPPER

class TCefCommandLineRef : public TCefBaseRef, public ICefCommandLine {
 public:
  explicit TCefCommandLineRef(void* data) : TCefBaseRef(data) {}
  static TInterfacePtr<ICefCommandLine> UnWrap(void* data) {
    return CefUnWrap<TCefCommandLineRef, ICefCommandLine>(data);
  }
  static TInterfacePtr<ICefCommandLine> New();
  static TInterfacePtr<ICefCommandLine> Global();

  bool IsValid() override;
  bool IsReadOnly() override;
  TInterfacePtr<ICefCommandLine> Copy() override;
  void InitFromArgv(int argc, const char* const* argv) override;
  void InitFromString(const ustring& commandLine) override;
  void Reset() override;
  ustring GetCommandLineString() override;
  void GetArgv(TStringList& args) override;
  ustring GetProgram() override;
  void SetProgram(const ustring& program) override;
  bool HasSwitches() override;
  bool HasSwitch(const ustring& name) override;
  ustring GetSwitchValue(const ustring& name) override;
  void GetSwitches(cef_string_map_t switches) override;
  void AppendSwitch(const ustring& name) override;
  void AppendSwitchWithValue(const ustring& name, const ustring& value) override;
  bool HasArguments() override;
  void GetArguments(TStringList& arguments) override;
  void AppendArgument(const ustring& argument) override;
  void PrependWrapper(const ustring& wrapper) override;

 private:
  cef_command_line_t* R() const { return Record<cef_command_line_t>(); }
};
