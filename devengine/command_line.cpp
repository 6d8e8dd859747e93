#include "command_line.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "command_line_text.h"
#include "engine_strings.h"
#include "exports.h"
#include "record_ref.h"
#include "utf.h"

namespace devengine {
namespace {

constexpr std::wstring_view kSwitchPrefix = L"--";
constexpr std::wstring_view kEndOfSwitches = L"--";

bool LooksLikeSwitch(std::wstring_view word) {
  return word.size() > kSwitchPrefix.size() && word.starts_with(kSwitchPrefix) &&
         word[kSwitchPrefix.size()] != L'=';
}

std::wstring SwitchWord(std::wstring_view name, std::wstring_view value) {
  std::wstring word = std::wstring(kSwitchPrefix) + std::wstring(name);
  if (!value.empty()) word += L"=" + std::wstring(value);
  return word;
}

void AppendAll(cef_string_list_t list, auto first, auto last) {
  for (; first != last; ++first) {
    const cef_string_t word = Borrow(*first);
    cef_string_list_append(list, &word);
  }
}

}  // namespace

CommandLine::CommandLine(bool read_only) : read_only_(read_only) {
  cef_command_line_t& record = entries();
  record.is_valid = EntryOf<&CommandLine::IsValid>;
  record.is_read_only = EntryOf<&CommandLine::IsReadOnly>;
  record.copy = EntryOf<&CommandLine::Copy>;
  record.init_from_argv = EntryOf<&CommandLine::InitFromArgv>;
  record.init_from_string = EntryOf<&CommandLine::InitFromString>;
  record.reset = EntryOf<&CommandLine::Reset>;
  record.get_argv = EntryOf<&CommandLine::GetArgv>;
  record.get_command_line_string = EntryOf<&CommandLine::GetCommandLineString>;
  record.get_program = EntryOf<&CommandLine::GetProgram>;
  record.set_program = EntryOf<&CommandLine::SetProgram>;
  record.has_switches = EntryOf<&CommandLine::HasSwitches>;
  record.has_switch = EntryOf<&CommandLine::HasSwitch>;
  record.get_switch_value = EntryOf<&CommandLine::GetSwitchValue>;
  record.get_switches = EntryOf<&CommandLine::GetSwitches>;
  record.append_switch = EntryOf<&CommandLine::AppendSwitch>;
  record.append_switch_with_value = EntryOf<&CommandLine::AppendSwitchWithValue>;
  record.has_arguments = EntryOf<&CommandLine::HasArguments>;
  record.get_arguments = EntryOf<&CommandLine::GetArguments>;
  record.append_argument = EntryOf<&CommandLine::AppendArgument>;
  record.prepend_wrapper = EntryOf<&CommandLine::PrependWrapper>;
}

CommandLine& CommandLine::Global() {
  static const RecordRef<cef_command_line_t> global = [] {
    auto* command_line = MakeEngineObject<CommandLine>(true);
    command_line->InitFromWords(SplitCommandLine(GetCommandLineW()));
    return RecordRef<cef_command_line_t>::Adopt(command_line->record());
  }();
  return *static_cast<CommandLine*>(FromRecord(global.get()));
}

void CommandLine::InitFromWords(const std::vector<std::wstring>& words) {
  Clear();
  if (words.empty()) return;
  words_.front() = words.front();
  bool only_arguments = false;
  for (auto word = words.begin() + 1; word != words.end(); ++word) AddWord(*word, only_arguments);
}

bool CommandLine::HasSwitchNamed(std::wstring_view name) const {
  return switches_.find(name) != switches_.end();
}

std::wstring CommandLine::SwitchValueOf(std::wstring_view name) const {
  const auto found = switches_.find(name);
  return found == switches_.end() ? std::wstring() : found->second;
}

int CommandLine::IsValid() const { return 1; }

int CommandLine::IsReadOnly() const { return read_only_ ? 1 : 0; }

cef_command_line_t* CommandLine::Copy() const {
  auto* copy = MakeEngineObject<CommandLine>(false);
  copy->words_ = words_;
  copy->first_argument_ = first_argument_;
  copy->switches_ = switches_;
  return copy->record();
}

void CommandLine::InitFromArgv(int argc, const char* const* argv) {
  if (read_only_) return;
  std::vector<std::wstring> words;
  for (int index = 0; argv != nullptr && index < argc; ++index) {
    if (argv[index] != nullptr) words.push_back(Utf8ToUtf16(argv[index]));
  }
  InitFromWords(words);
}

void CommandLine::InitFromString(const cef_string_t* command_line) {
  if (read_only_ || command_line == nullptr) return;
  InitFromWords(SplitCommandLine(ViewOf(command_line)));
}

void CommandLine::Reset() {
  if (read_only_) return;
  std::wstring program = std::move(words_.front());
  Clear();
  words_.front() = std::move(program);
}

void CommandLine::GetArgv(cef_string_list_t argv) const {
  const std::vector<std::wstring> words = Words();
  AppendAll(argv, words.begin(), words.end());
}

cef_string_userfree_t CommandLine::GetCommandLineString() const {
  const std::vector<std::wstring> words = Words();
  std::wstring text = QuoteProgram(words.front());
  for (auto word = words.begin() + 1; word != words.end(); ++word) {
    text += L" " + QuoteArgument(*word);
  }
  return NewUserFreeString(text);
}

cef_string_userfree_t CommandLine::GetProgram() const { return NewUserFreeString(words_.front()); }

void CommandLine::SetProgram(const cef_string_t* program) {
  if (read_only_ || program == nullptr) return;
  words_.front() = ToWString(program);
}

int CommandLine::HasSwitches() const { return switches_.empty() ? 0 : 1; }

int CommandLine::HasSwitch(const cef_string_t* name) const {
  return HasSwitchNamed(ViewOf(name)) ? 1 : 0;
}

cef_string_userfree_t CommandLine::GetSwitchValue(const cef_string_t* name) const {
  return NewUserFreeString(SwitchValueOf(ViewOf(name)));
}

void CommandLine::GetSwitches(cef_string_map_t switches) const {
  for (const auto& [name, value] : switches_) {
    const cef_string_t key = Borrow(name);
    const cef_string_t text = Borrow(value);
    cef_string_map_append(switches, &key, &text);
  }
}

void CommandLine::AppendSwitch(const cef_string_t* name) { AppendSwitchWithValue(name, nullptr); }

void CommandLine::AppendSwitchWithValue(const cef_string_t* name, const cef_string_t* value) {
  if (read_only_ || ViewOf(name).empty()) return;
  AddSwitch(ToWString(name), ToWString(value));
}

int CommandLine::HasArguments() const { return first_argument_ < words_.size() ? 1 : 0; }

void CommandLine::GetArguments(cef_string_list_t arguments) const {
  AppendAll(arguments, words_.begin() + first_argument_, words_.end());
}

void CommandLine::AppendArgument(const cef_string_t* argument) {
  if (read_only_ || argument == nullptr) return;
  words_.push_back(ToWString(argument));
}

void CommandLine::PrependWrapper(const cef_string_t* wrapper) {
  if (read_only_) return;
  const std::vector<std::wstring> wrapper_words = SplitCommandLine(ViewOf(wrapper));
  words_.insert(words_.begin(), wrapper_words.begin(), wrapper_words.end());
  first_argument_ += wrapper_words.size();
}

void CommandLine::Clear() {
  words_.assign(1, std::wstring());
  first_argument_ = 1;
  switches_.clear();
}

void CommandLine::AddSwitch(std::wstring name, std::wstring value) {
  words_.insert(words_.begin() + first_argument_, SwitchWord(name, value));
  ++first_argument_;
  switches_.insert_or_assign(std::move(name), std::move(value));
}

void CommandLine::AddWord(std::wstring_view word, bool& only_arguments) {
  if (!only_arguments && word == kEndOfSwitches) {
    only_arguments = true;
    return;
  }
  if (!only_arguments && LooksLikeSwitch(word)) {
    const std::wstring_view body = word.substr(kSwitchPrefix.size());
    const std::size_t equals = body.find(L'=');
    if (equals == std::wstring_view::npos) {
      AddSwitch(std::wstring(body), std::wstring());
    } else {
      AddSwitch(std::wstring(body.substr(0, equals)), std::wstring(body.substr(equals + 1)));
    }
    return;
  }
  words_.emplace_back(word);
}

std::vector<std::wstring> CommandLine::Words() const {
  const auto arguments = words_.begin() + first_argument_;
  std::vector<std::wstring> words(words_.begin(), arguments);
  const bool ambiguous = std::any_of(arguments, words_.end(), [](const std::wstring& word) {
    return word.starts_with(kSwitchPrefix);
  });
  if (ambiguous) words.emplace_back(kEndOfSwitches);
  words.insert(words.end(), arguments, words_.end());
  return words;
}

}  // namespace devengine

using devengine::CommandLine;

DEVENGINE_EXPORT cef_command_line_t* cef_command_line_create(void) {
  return devengine::MakeEngineObject<CommandLine>(false)->record();
}

DEVENGINE_EXPORT cef_command_line_t* cef_command_line_get_global(void) {
  CommandLine& global = CommandLine::Global();
  global.AddRef();
  return global.record();
}
