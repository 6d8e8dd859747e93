// Small utilities of the binding: the command line.
#pragma once

#include "cef_forward.h"

class ICefCommandLine : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefCommandLine> Copy() = 0;
  virtual void InitFromArgv(int argc, const char* const* argv) = 0;
  virtual void InitFromString(const ustring& commandLine) = 0;
  virtual void Reset() = 0;
  virtual ustring GetCommandLineString() = 0;
  virtual void GetArgv(TStringList& args) = 0;
  virtual ustring GetProgram() = 0;
  virtual void SetProgram(const ustring& program) = 0;
  virtual bool HasSwitches() = 0;
  virtual bool HasSwitch(const ustring& name) = 0;
  virtual ustring GetSwitchValue(const ustring& name) = 0;
  virtual void GetSwitches(cef_string_map_t switches) = 0;
  virtual void AppendSwitch(const ustring& name) = 0;
  virtual void AppendSwitchWithValue(const ustring& name, const ustring& value) = 0;
  virtual bool HasArguments() = 0;
  virtual void GetArguments(TStringList& arguments) = 0;
  virtual void AppendArgument(const ustring& argument) = 0;
  virtual void PrependWrapper(const ustring& wrapper) = 0;
};

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
