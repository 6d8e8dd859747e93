// cef_execute_process: tells the browser process from a sub-process by the
// `--type` switch, and runs a sub-process to its end.
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "command_line.h"
#include "engine_strings.h"
#include "exports.h"
#include "record_ref.h"
#include "renderer/protocol.h"
#include "renderer/renderer_main.h"
#include "trace.h"
#include "utf.h"

namespace devengine {
namespace {

constexpr std::wstring_view kTypeSwitch = L"type";
constexpr std::wstring_view kRendererType = L"renderer";
constexpr int kBrowserProcess = -1;
constexpr int kSubprocessEnded = 0;

void LetAppAdjust(cef_app_t* app, std::wstring_view process_type, CommandLine& command_line) {
  if (app == nullptr || app->on_before_command_line_processing == nullptr) return;
  const cef_string_t type = Borrow(process_type);
  // A record handed to a callback carries a reference for the receiver; the
  // engine keeps its own on the global command line.
  command_line.AddRef();
  app->on_before_command_line_processing(app, &type, command_line.record());
}

RecordRef<cef_render_process_handler_t> AskRenderProcessHandler(cef_app_t* app) {
  if (app == nullptr || app->get_render_process_handler == nullptr) return {};
  return RecordRef<cef_render_process_handler_t>::Adopt(app->get_render_process_handler(app));
}

std::optional<int> BrowserIdOf(std::wstring_view text) {
  std::string digits;
  for (const wchar_t ch : text) {
    if (ch > 0x7F) return std::nullopt;
    digits += static_cast<char>(ch);
  }
  int id = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return id;
}

// Every reference taken here is given back when this returns. A renderer
// serves the browser named on its command line over the channel named
// there; without both it has nobody to serve and ends as soon as it starts,
// as does a sub-process of a type the engine does not know.
void RunSubprocess(std::wstring_view type, const RecordRef<cef_app_t>& app,
                   CommandLine& command_line) {
  LetAppAdjust(app.get(), type, command_line);
  if (type == kRendererType) {
    const RecordRef<cef_render_process_handler_t> handler = AskRenderProcessHandler(app.get());
    const std::wstring channel = command_line.SwitchValueOf(renderer::kChannelSwitch);
    const std::optional<int> browser_id =
        BrowserIdOf(command_line.SwitchValueOf(renderer::kBrowserIdSwitch));
    if (!channel.empty() && browser_id) renderer::RunRenderer(handler.get(), channel, *browser_id);
  }
  TraceLine("subprocess").Add("type", Utf16ToUtf8(type)).Word("ended").Write();
}

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT int cef_execute_process(const cef_main_args_t*, cef_app_t* application) {
  // The caller hands the app over with a reference for the engine; it is given
  // back when this returns.
  const RecordRef<cef_app_t> app = RecordRef<cef_app_t>::Adopt(application);
  CommandLine& command_line = CommandLine::Global();
  const std::wstring type = command_line.SwitchValueOf(kTypeSwitch);
  if (type.empty()) {
    LetAppAdjust(app.get(), L"", command_line);
    TraceLine("execute_process").Add("type", "browser").Add("result", kBrowserProcess).Write();
    return kBrowserProcess;
  }
  RunSubprocess(type, app, command_line);
  TraceLine("execute_process")
      .Add("type", Utf16ToUtf8(type))
      .Add("result", kSubprocessEnded)
      .Write();
  return kSubprocessEnded;
}
