// Prints what browsing through the browser control costs beside a bare C
// client of the development engine, on the same local page:
// - the time from a load to its load end, through a TChromium's Load and
//   OnLoadEnd, and through a hand-made client record calling load_url;
// - one before-resource-load round trip as the engine makes it (ask the
//   client for its request handler, call it with a browser, a frame and a
//   request, let go of the handler) into a TChromium's client with an
//   assigned event, and into a bare C handler record doing the same work.
// Runs under the caller's DISPLAY; the executable is also its browsers'
// renderer. Both browsers are pumped by the same loop, so the control's
// 10 ms timer does not weigh on its figures.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "application.h"
#include "bare_client.h"
#include "cef_api.h"
#include "cef_loader.h"
#include "cef_wrappers.h"
#include "chromium.h"
#include "test_http_server.h"
#include "test_support.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kLoads = 40;
constexpr int kRoundTrips = 20000;
const std::wstring kAlias = L"http://nimbra.invalid/alias";
const std::wstring kAliasTarget = L"http://127.0.0.1/";

// ---- The bare C client's request handler ------------------------------------------

// The same work as the control's event below: read the address, rewrite an alias.
int CEF_CALLBACK BareBeforeResourceLoad(cef_request_handler_t*, cef_browser_t* browser,
                                        cef_frame_t* frame, cef_request_t* request) {
  cef_string_userfree_t url = request->get_url(request);
  if (url && std::wstring(url->str, url->length) == kAlias) {
    const cef_string_t target = Borrowed(kAliasTarget);
    request->set_url(request, &target);
  }
  CefApi.cef_string_userfree_utf16_free(url);
  Release(request);
  Release(frame);
  Release(browser);
  return 0;
}

cef_request_handler_t BareRequestHandler;

cef_request_handler_t* CEF_CALLBACK BareGetRequestHandler(cef_client_t*) {
  return Retained(&BareRequestHandler);
}

void InitBareRequestHandler() {
  InitBareRecord(BareRequestHandler);
  BareRequestHandler.on_before_resource_load = BareBeforeResourceLoad;
  BareClient.get_request_handler = BareGetRequestHandler;
}

// ---- Measuring ------------------------------------------------------------------------

// One turn of the loop both browsers are pumped by.
void PumpOnce() {
  Application.ProcessMessages();
  CefApi.cef_do_message_loop_work();
}

bool PumpUntil(const std::function<bool()>& done) {
  const auto giveUp = TClock::now() + std::chrono::seconds(15);
  while (!done()) {
    if (TClock::now() > giveUp) return false;
    PumpOnce();
  }
  return true;
}

double Milliseconds(TClock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
double Mean(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

void ReportLoads(const char* what, const std::vector<double>& control,
                 const std::vector<double>& bare) {
  std::printf("%-34s control %7.2f ms   bare C %7.2f ms   ratio %5.2f\n", what, Median(control),
              Median(bare), Median(control) / Median(bare));
  std::printf("%-34s control %7.2f ms   bare C %7.2f ms   ratio %5.2f\n", "  (mean)", Mean(control),
              Mean(bare), Mean(control) / Mean(bare));
}

// Calls the request handler of `client` as the engine does, `kRoundTrips` times.
double NanosecondsPerRoundTrip(cef_client_t* client, cef_browser_t* browser, cef_frame_t* frame,
                               cef_request_t* request) {
  const auto start = TClock::now();
  for (int i = 0; i < kRoundTrips; ++i) {
    cef_request_handler_t* handler = client->get_request_handler(client);
    handler->on_before_resource_load(handler, Retained(browser), Retained(frame),
                                     Retained(request));
    Release(handler);
  }
  return std::chrono::duration<double, std::nano>(TClock::now() - start).count() / kRoundTrips;
}

class TBenchForm : public TForm {
 public:
  TBenchForm() { CreateForm(L"Nimbra browse benchmark", 640, 480); }
  using TWinControl::Loaded;
};

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

int Run() {
  const std::string body = " " + std::string(40, 'x');
  std::string page = "<html><head><title>Bench</title></head><body><h1>A page</h1>";
  for (int i = 0; i < 50; ++i)
    page.append("<p>Paragraph ").append(std::to_string(i)).append(body).append("</p>");
  page += "</body></html>";
  const TTestHttpServer server({{"/page", {.Body = page}}});
  const std::wstring url = server.Url("/page");

  // The control, in a plain form, timed from its events.
  TBenchForm form;
  auto control = std::make_unique<TChromium>(&form);
  control->SetAlign(TAlign::alClient);
  TClock::time_point controlLoadEnd;
  bool controlLoaded = false;
  control->SetOnLoadEnd([&](TCustomChromium&, PBrowser, PFrame frame, int) {
    if (frame && frame->IsMain()) {
      controlLoadEnd = TClock::now();
      controlLoaded = true;
    }
  });
  control->SetOnBeforeResourceLoad(
      [](TCustomChromium&, PBrowser, PFrame, const TInterfacePtr<ICefRequest>& request, bool&) {
        if (request->GetUrl() == kAlias) request->SetUrl(kAliasTarget);
      });
  form.Show();
  form.Loaded();
  if (!control->Browser()) {
    std::fprintf(stderr, "the control made no browser\n");
    return 1;
  }

  // The bare client's browser, in a window of its own.
  InitBareClient();
  InitBareRequestHandler();
  const HWND parent =
      CreateWindowExW(0, L"STATIC", L"bare C client", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 660, 0, 640,
                      480, nullptr, nullptr, nullptr, nullptr);
  cef_browser_t* bare = CreateBareBrowser(parent, 624, 440, L"");
  if (!bare) {
    std::fprintf(stderr, "the engine made no browser for the bare client\n");
    return 1;
  }

  const auto loadControl = [&] {
    controlLoaded = false;
    const auto start = TClock::now();
    control->Load(url);
    if (!PumpUntil([&] { return controlLoaded; })) return -1.0;
    PumpUntil([&] { return !control->Browser()->IsLoading(); });
    return Milliseconds(controlLoadEnd - start);
  };
  const auto loadBare = [&] {
    BareLoaded = false;
    const cef_string_t address = Borrowed(url);
    const auto start = TClock::now();
    cef_frame_t* frame = bare->get_main_frame(bare);
    frame->load_url(frame, &address);
    Release(frame);
    if (!PumpUntil([] { return BareLoaded; })) return -1.0;
    PumpUntil([&] { return bare->is_loading(bare) == 0; });
    return Milliseconds(BareLoadEnd - start);
  };

  // One load each first, so that neither pays for a cold start.
  loadControl();
  loadBare();
  std::vector<double> controlTimes, bareTimes;
  for (int i = 0; i < kLoads; ++i) {
    controlTimes.push_back(loadControl());
    bareTimes.push_back(loadBare());
    if (controlTimes.back() < 0 || bareTimes.back() < 0) {
      std::fprintf(stderr, "a load did not end\n");
      return 1;
    }
  }
  std::printf("%d loads of %zu bytes from %ls, median and mean:\n", kLoads, page.size(),
              url.c_str());
  ReportLoads("Load -> OnLoadEnd", controlTimes, bareTimes);

  // The round trip, with the control's own browser and main frame as arguments.
  auto* host = static_cast<cef_browser_host_t*>(CefRecordOf(control->Browser()->GetHost()));
  cef_client_t* controlClient = host->get_client(host);
  Release(host);
  auto* browser = static_cast<cef_browser_t*>(CefRecordOf(control->Browser()));
  cef_frame_t* frame = browser->get_main_frame(browser);
  cef_request_t* request = CefApi.cef_request_create();
  const cef_string_t address = Borrowed(url);
  request->set_url(request, &address);

  NanosecondsPerRoundTrip(controlClient, browser, frame, request);
  NanosecondsPerRoundTrip(&BareClient, browser, frame, request);
  const double binding = NanosecondsPerRoundTrip(controlClient, browser, frame, request);
  const double plain = NanosecondsPerRoundTrip(&BareClient, browser, frame, request);
  std::printf("%-34s control %7.0f ns   bare C %7.0f ns   ratio %5.2f\n",
              "before-resource-load round trip", binding, plain, binding / plain);

  Release(request);
  Release(frame);
  Release(browser);
  Release(controlClient);
  control.reset();
  DestroyWindow(parent);
  Release(bare);
  return 0;
}

}  // namespace

int main() {
  CeflibInitialization();
  EngineSettings.LibraryFileName = BinFolder() + L"\\libcef.dll";
  EngineSettings.BrowserSubprocessPath = OwnPath();
  int result = 0;
  try {
    // In the renderers this runs their whole life and answers false.
    if (LoadEngine()) result = Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    result = 1;
  }
  CeflibFinalization();
  return result;
}
