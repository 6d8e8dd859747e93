// The browser process's engine: initialize, the UI work it runs, the message
// loop and shutdown.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <system_error>
#include <type_traits>

#include "browser/browser_list.h"
#include "cookie_manager.h"
#include "engine_settings.h"
#include "engine_strings.h"
#include "engine_texts.h"
#include "engine_threads.h"
#include "exports.h"
#include "heap_records.h"
#include "record_ref.h"
#include "test_hooks.h"
#include "trace.h"

namespace devengine {
namespace {

// Grows when the development engine's behaviour changes.
constexpr int kRevision = 2;

enum class Stage { kNotStarted, kRunning, kShutDown };

struct Engine {
  std::atomic<Stage> stage{Stage::kNotStarted};
  std::atomic<bool> quit_requested{false};
  std::optional<OwnedSettings> settings;
  RecordRef<cef_app_t> app;
  RecordRef<cef_resource_bundle_handler_t> resource_bundle;
  RecordRef<cef_browser_process_handler_t> browser_process;
  RecordRef<cef_render_process_handler_t> render_process;
};

Engine& TheEngine() { return Immortal<Engine>(); }

// The handler an app entry answers with; its one reference is the engine's.
template <class Getter>
auto AskApp(cef_app_t* app, Getter cef_app_t::*entry) {
  using Handler = std::remove_pointer_t<std::invoke_result_t<Getter, cef_app_t*>>;
  if (app == nullptr || app->*entry == nullptr) return RecordRef<Handler>();
  return RecordRef<Handler>::Adopt((app->*entry)(app));
}

void CreateCacheDirectory(const cef_string_t& cache_path) {
  const std::filesystem::path path(ViewOf(&cache_path));
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

void ReportContextInitialized() {
  cef_browser_process_handler_t* handler = TheEngine().browser_process.get();
  if (handler == nullptr || handler->on_context_initialized == nullptr) return;
  handler->on_context_initialized(handler);
  TraceLine("context_initialized").Write();
}

bool IsRunning() { return TheEngine().stage == Stage::kRunning; }

// Waits for posted work, window messages or a quit request; answers false
// once the loop is to end.
bool WaitAndDispatch(Engine& engine) {
  const HANDLE wake = UiWork().wake_event();
  MsgWaitForMultipleObjectsEx(1, &wake, UiWork().MillisecondsUntilDue(), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return !engine.quit_requested;
}

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT int cef_initialize(const cef_main_args_t*, const cef_settings_t* settings,
                                    cef_app_t* application) {
  // The app comes with a reference for the engine: kept until shut-down, or
  // given back at once when initialising is refused.
  RecordRef<cef_app_t> app = RecordRef<cef_app_t>::Adopt(application);
  Engine& engine = TheEngine();
  Stage not_started = Stage::kNotStarted;
  if (settings == nullptr || settings->size < sizeof(cef_settings_t) || InitializeRefusedByTest() ||
      !engine.stage.compare_exchange_strong(not_started, Stage::kRunning)) {
    TraceLine("initialize")
        .Word("refused")
        .Add("size", static_cast<long long>(settings == nullptr ? 0 : settings->size))
        .Write();
    return 0;
  }
  TraceSettings(*settings);
  engine.settings.emplace(*settings);
  BindUiThread(GetCurrentThreadId());
  engine.app = std::move(app);
  engine.resource_bundle = AskApp(application, &cef_app_t::get_resource_bundle_handler);
  engine.browser_process = AskApp(application, &cef_app_t::get_browser_process_handler);
  engine.render_process = AskApp(application, &cef_app_t::get_render_process_handler);
  TraceLine("handler")
      .AddSetOrNull("resource_bundle", static_cast<bool>(engine.resource_bundle))
      .AddSetOrNull("browser_process", static_cast<bool>(engine.browser_process))
      .AddSetOrNull("render_process", static_cast<bool>(engine.render_process))
      .Write();
  UseLocale(ViewOf(&engine.settings->get().locales_dir_path),
            ViewOf(&engine.settings->get().locale));
  CreateCacheDirectory(engine.settings->get().cache_path);
  SetGlobalCookieStorage(ViewOf(&engine.settings->get().cache_path));
  browser::StartBrowsing(engine.settings->get());
  if (engine.browser_process) PostWork(TID_UI, &ReportContextInitialized);
  return 1;
}

DEVENGINE_EXPORT void cef_shutdown(void) {
  Engine& engine = TheEngine();
  Stage running = Stage::kRunning;
  if (!engine.stage.compare_exchange_strong(running, Stage::kShutDown)) return;
  browser::StopBrowsing();
  StopEngineThreads();
  int released = 0;
  released += engine.resource_bundle.Reset();
  released += engine.browser_process.Reset();
  released += engine.render_process.Reset();
  released += engine.app.Reset();
  engine.settings.reset();
  TraceLine("shutdown").Add("released", released).Write();
}

DEVENGINE_EXPORT void cef_do_message_loop_work(void) {
  if (IsRunning()) UiWork().RunPending();
}

DEVENGINE_EXPORT void cef_run_message_loop(void) {
  Engine& engine = TheEngine();
  engine.quit_requested = false;
  while (IsRunning()) {
    UiWork().RunPending();
    if (engine.quit_requested || !WaitAndDispatch(engine)) break;
  }
}

DEVENGINE_EXPORT void cef_quit_message_loop(void) {
  Engine& engine = TheEngine();
  engine.quit_requested = true;
  UiWork().Wake();
}

DEVENGINE_EXPORT int cef_build_revision(void) { return kRevision; }
