// The engine's command line record. Words are kept in order as
// [wrapper words..., program, switches..., arguments...], and the first word
// is the program that runs. Switches are `--name` or `--name=value`; after a
// lone `--` every word is an argument.
#ifndef NIMBRA_DEVENGINE_COMMAND_LINE_H
#define NIMBRA_DEVENGINE_COMMAND_LINE_H

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cef_capi.h"
#include "engine_object.h"

namespace devengine {

class CommandLine final : public EngineObject<cef_command_line_t> {
 public:
  explicit CommandLine(bool read_only);

  // The process's own command line, read-only, parsed on first use.
  static CommandLine& Global();

  void InitFromWords(const std::vector<std::wstring>& words);
  bool HasSwitchNamed(std::wstring_view name) const;
  std::wstring SwitchValueOf(std::wstring_view name) const;

 private:
  int IsValid() const;
  int IsReadOnly() const;
  cef_command_line_t* Copy() const;
  void InitFromArgv(int argc, const char* const* argv);
  void InitFromString(const cef_string_t* command_line);
  void Reset();
  void GetArgv(cef_string_list_t argv) const;
  cef_string_userfree_t GetCommandLineString() const;
  cef_string_userfree_t GetProgram() const;
  void SetProgram(const cef_string_t* program);
  int HasSwitches() const;
  int HasSwitch(const cef_string_t* name) const;
  cef_string_userfree_t GetSwitchValue(const cef_string_t* name) const;
  void GetSwitches(cef_string_map_t switches) const;
  void AppendSwitch(const cef_string_t* name);
  void AppendSwitchWithValue(const cef_string_t* name, const cef_string_t* value);
  int HasArguments() const;
  void GetArguments(cef_string_list_t arguments) const;
  void AppendArgument(const cef_string_t* argument);
  void PrependWrapper(const cef_string_t* wrapper);

  void Clear();
  void AddSwitch(std::wstring name, std::wstring value);
  void AddWord(std::wstring_view word, bool& only_arguments);
  // Every word in order, with a lone `--` before arguments that would
  // otherwise read as switches.
  std::vector<std::wstring> Words() const;

  bool read_only_;
  std::vector<std::wstring> words_{std::wstring()};
  std::size_t first_argument_ = 1;
  std::map<std::wstring, std::wstring, std::less<>> switches_;
};

}  // namespace devengine

#endif
