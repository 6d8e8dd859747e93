#include "engine_settings.h"

#include <string>
#include <string_view>

#include "engine_strings.h"
#include "trace.h"

namespace devengine {
namespace {

template <auto member>
long long ReadNumber(const cef_settings_t& settings) {
  return settings.*member;
}

struct NumberField {
  std::string_view name;
  long long (*read)(const cef_settings_t&);
};

constexpr NumberField kNumberFields[] = {
    {"single_process", &ReadNumber<&cef_settings_t::single_process>},
    {"multi_threaded_message_loop", &ReadNumber<&cef_settings_t::multi_threaded_message_loop>},
    {"command_line_args_disabled", &ReadNumber<&cef_settings_t::command_line_args_disabled>},
    {"log_severity", &ReadNumber<&cef_settings_t::log_severity>},
    {"release_dcheck_enabled", &ReadNumber<&cef_settings_t::release_dcheck_enabled>},
    {"pack_loading_disabled", &ReadNumber<&cef_settings_t::pack_loading_disabled>},
    {"remote_debugging_port", &ReadNumber<&cef_settings_t::remote_debugging_port>},
    {"uncaught_exception_stack_size", &ReadNumber<&cef_settings_t::uncaught_exception_stack_size>},
    {"context_safety_implementation", &ReadNumber<&cef_settings_t::context_safety_implementation>},
};

struct TextField {
  std::string_view name;
  cef_string_t cef_settings_t::*member;
};

constexpr TextField kTextFields[] = {
    {"browser_subprocess_path", &cef_settings_t::browser_subprocess_path},
    {"cache_path", &cef_settings_t::cache_path},
    {"user_agent", &cef_settings_t::user_agent},
    {"product_version", &cef_settings_t::product_version},
    {"locale", &cef_settings_t::locale},
    {"log_file", &cef_settings_t::log_file},
    {"javascript_flags", &cef_settings_t::javascript_flags},
    {"resources_dir_path", &cef_settings_t::resources_dir_path},
    {"locales_dir_path", &cef_settings_t::locales_dir_path},
};

std::string KeyOf(std::string_view field, std::string_view part) {
  return std::string(field) + "." + std::string(part);
}

}  // namespace

OwnedSettings::OwnedSettings(const cef_settings_t& from) : settings_(from) {
  settings_.size = sizeof(cef_settings_t);
  for (const TextField& field : kTextFields) {
    cef_string_t& text = settings_.*field.member;
    text = {};
    if ((from.*field.member).str != nullptr) Assign(&text, ViewOf(&(from.*field.member)));
  }
}

OwnedSettings::~OwnedSettings() {
  for (const TextField& field : kTextFields) ClearString(&(settings_.*field.member));
}

void TraceSettings(const cef_settings_t& settings) {
  TraceLine line("initialize");
  line.Add("size", static_cast<long long>(settings.size));
  for (const NumberField& field : kNumberFields) line.Add(field.name, field.read(settings));
  for (const TextField& field : kTextFields) {
    const cef_string_t& text = settings.*field.member;
    line.AddSetOrNull(KeyOf(field.name, "str"), text.str != nullptr)
        .Add(KeyOf(field.name, "length"), static_cast<long long>(text.length))
        .AddSetOrNull(KeyOf(field.name, "dtor"), text.dtor != nullptr);
  }
  for (const TextField& field : kTextFields) {
    line.AddQuoted(field.name, ToUtf8(&(settings.*field.member)));
  }
  line.Write();
}

}  // namespace devengine
