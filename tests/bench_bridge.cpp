// Prints the cost of crossing the object bridge with a string argument, in
// both directions, beside a plain C function doing the same copy.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench_engine.h"
#include "cef_api.h"
#include "cef_handlers.h"
#include "cef_wrappers.h"

namespace {

constexpr int kRounds = 200000;
const ustring kText = L"http://127.0.0.1:8080/resources/start.html";

std::wstring Sink;

// What a bare C client of the engine would write for each direction.
void CEF_CALLBACK PlainCallback(void*, int, const cef_string_t* url, void*) {
  Sink.assign(url->str, url->length);
}
__attribute__((noinline)) void PlainEngineCall(const cef_string_t* text) {
  Sink.assign(text->str, text->length);
}

class TSinkHandler : public TCefRenderProcessHandlerOwn {
 public:
  void OnWorkerContextCreated(int, const ustring& url, PContext) override { Sink = url; }
};

template <class Fn>
double NanosecondsPerCall(Fn&& fn) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) fn();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::nano>(elapsed).count() / kRounds;
}

void Report(const char* what, double bridge, double plain) {
  std::printf("%-44s %8.1f ns   plain C %8.1f ns   ratio %5.2f\n", what, bridge, plain,
              bridge / plain);
}

}  // namespace

int main() {
  if (!BindEngineBesideBenchmark()) return 1;

  const TInterfacePtr<ICefRenderProcessHandler> handler = CefNew<TSinkHandler>();
  auto* record = static_cast<cef_render_process_handler_t*>(CefRecordOf(handler));
  const cef_string_t view = CefStringView(kText);
  const double callback =
      NanosecondsPerCall([&] { record->on_worker_context_created(record, 1, &view, nullptr); });
  auto* plainCallback = &PlainCallback;
  const double plainCallbackTime =
      NanosecondsPerCall([&] { plainCallback(record, 1, &view, nullptr); });
  Report("engine -> program callback (string)", callback, plainCallbackTime);
  record->base.release(&record->base);

  const TInterfacePtr<ICefCommandLine> commandLine = TCefCommandLineRef::New();
  const double call = NanosecondsPerCall([&] { commandLine->SetProgram(kText); });
  const double plainCall = NanosecondsPerCall([&] {
    const cef_string_t v = CefStringView(kText);
    PlainEngineCall(&v);
  });
  Report("program -> engine call through a wrapper", call, plainCall);
  return 0;
}
