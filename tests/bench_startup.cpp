// Prints what the whole program costs to start and to leave alone, beside a
// bare C client of the development engine started the same way:
// - start-up: from starting the process, with a local page's address as its
//   argument, until the engine's trace shows that process's load end of the
//   page;
// - idle: the processor time (kernel and user) its browser process and its
//   renderer use over ten seconds once the page has loaded, as a share of
//   one core.
// The bare client is this executable started again with --bare-client; it
// is also the renderer of its browser, so main hands engine sub-processes to
// the engine before anything else. Runs under the caller's DISPLAY.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bare_client.h"
#include "bench_engine.h"
#include "cef_api.h"
#include "sysutils.h"
#include "test_http_server.h"
#include "test_support.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kStartRuns = 7;
constexpr DWORD kIdleMilliseconds = 10000;
// Lets the loading state's last notifications and the first paint pass
// before the idle time is measured.
constexpr DWORD kSettleMilliseconds = 1000;
constexpr DWORD kLoadTimeoutMilliseconds = 60000;
constexpr DWORD kExitTimeoutMilliseconds = 30000;

const char kBareClientSwitch[] = "--bare-client";
const char kStayOpenSwitch[] = "--stay-open";
const char kEngineProcessSwitch[] = "--type=";

// ---- The bare C client's process ------------------------------------------------------

struct TKillThreadTimer : TNullInvalid<UINT_PTR> {
  void operator()(UINT_PTR timer) const noexcept { KillTimer(nullptr, timer); }
};
using TThreadTimer = TUniqueHandle<UINT_PTR, TKillThreadTimer>;

const wchar_t kBareWindowClass[] = L"NimbraBenchBareClient";

LRESULT CALLBACK BareWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (const HWND page = GetWindow(wnd, GW_CHILD))
        MoveWindow(page, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, message, wParam, lParam);
}

// The engine has no message loop of its own here: a 10 ms timer pumps it, as
// the browser control's does.
void CALLBACK PumpEngine(HWND, UINT, UINT_PTR, DWORD) { CefApi.cef_do_message_loop_work(); }

// A top-level window, maximised as the program's main window opens, with one
// browser filling it. Without `stayOpen` it closes once the page has loaded;
// otherwise when it is told to (WM_CLOSE).
int RunBareClient(const cef_main_args_t& mainArgs, const std::wstring& url, bool stayOpen) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring cache = std::wstring(temp) + L"cacheBare";
  cef_settings_t settings{};
  settings.size = sizeof settings;
  settings.cache_path = Borrowed(cache);
  if (!CefApi.cef_initialize(&mainArgs, &settings, nullptr)) {
    std::fprintf(stderr, "the engine refused to start\n");
    return 1;
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = BareWindowProc;
  windowClass.hInstance = mainArgs.instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kBareWindowClass;
  RegisterClassExW(&windowClass);
  TWindowHandle window(CreateWindowExW(0, kBareWindowClass, L"Bare C client", WS_OVERLAPPEDWINDOW,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                       nullptr, nullptr, mainArgs.instance, nullptr));
  if (!window) {
    CefApi.cef_shutdown();
    return 1;
  }
  ShowWindow(window.get(), SW_SHOWMAXIMIZED);
  RECT area{};
  GetClientRect(window.get(), &area);

  InitBareClient();
  cef_browser_t* browser = CreateBareBrowser(window.get(), area.right, area.bottom, url);
  int result = 1;
  if (browser) {
    const TThreadTimer pump(SetTimer(nullptr, 0, 10, PumpEngine));
    bool closing = false;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (BareLoaded && !stayOpen && !closing) {
        closing = true;
        PostMessageW(window.get(), WM_CLOSE, 0, 0);
      }
    }
    Release(browser);
    result = 0;
  }
  // Closing destroyed the window already; otherwise it goes before the engine.
  if (!IsWindow(window.get())) window.release();
  window.reset();
  CefApi.cef_shutdown();
  return result;
}

// ---- Watching processes through the engine's trace ---------------------------------------

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The trace lines of `event` written by process `pid`.
std::vector<std::string> EventsOf(const std::wstring& trace, DWORD pid, const std::string& event) {
  std::vector<std::string> found;
  for (const std::string& line : TraceEvents(ReadLines(trace), event))
    if (line.starts_with(std::to_string(pid) + " ")) found.push_back(line);
  return found;
}

bool LoadEnded(const std::wstring& trace, DWORD pid, const std::string& url) {
  for (const std::string& line : EventsOf(trace, pid, "load_end"))
    if (TraceValue(line, "url") == url) return true;
  return false;
}

// The renderers the browser process `pid` has started.
std::vector<DWORD> RenderersOf(const std::wstring& trace, DWORD pid) {
  std::vector<DWORD> renderers;
  for (const std::string& line : EventsOf(trace, pid, "renderer_host"))
    if (line.find(" renderer_host started ") != std::string::npos)
      if (const auto renderer = TraceValue(line, "pid")) renderers.push_back(std::stoul(*renderer));
  return renderers;
}

// Polls often enough that the poll's own delay is small beside a start.
std::optional<TClock::time_point> AwaitLoadEnd(TChildProcess& child, const std::wstring& trace,
                                               const std::string& url) {
  const auto giveUp = TClock::now() + std::chrono::milliseconds(kLoadTimeoutMilliseconds);
  while (TClock::now() < giveUp) {
    const bool ended = !child.Running();
    if (LoadEnded(trace, child.Id(), url)) return TClock::now();
    if (ended) return std::nullopt;
    Sleep(5);
  }
  return std::nullopt;
}

// The process's main window: a visible top-level window that no other owns.
HWND MainWindowOf(DWORD pid) {
  for (HWND wnd : WindowsOfProcess(pid))
    if (!GetWindow(wnd, GW_OWNER)) return wnd;
  return nullptr;
}

// ---- The two programs under measure ----------------------------------------------------

struct TSubject {
  const char* Name;
  std::wstring Executable;
  // The bare client closes itself after its load unless told to stay open.
  bool ClosesAfterLoad;

  std::wstring Arguments(const std::wstring& url, bool stayOpen) const {
    if (!ClosesAfterLoad) return url;
    std::wstring arguments = Utf8ToWide(kBareClientSwitch) + L" " + url;
    if (stayOpen) arguments += L" " + Utf8ToWide(kStayOpenSwitch);
    return arguments;
  }
};

// One start of a subject, in a folder of its own that is its TEMP (and so
// holds its cache) and receives the engine's trace.
class TRun {
 public:
  TRun(const TSubject& subject, const TTempFolder& folder, const std::wstring& url, int number,
       bool stayOpen)
      : FSubject(subject),
        FClosesItself(subject.ClosesAfterLoad && !stayOpen),
        FTrace(folder.File(L"trace-" + std::to_wstring(number) + L".txt")),
        FStart(TClock::now()),
        FChild(
            subject.Executable, subject.Arguments(url, stayOpen),
            {{L"TEMP", folder.Path()}, {L"TMP", folder.Path()}, {L"NIMBRA_ENGINE_TRACE", FTrace}},
            folder.Path()) {}

  // Milliseconds from the start to the load end of `url`; nullopt when it never came.
  std::optional<double> AwaitLoadEnd(const std::wstring& url) {
    const auto loadEnd = ::AwaitLoadEnd(FChild, FTrace, WideToUtf8(url));
    if (!loadEnd) return std::nullopt;
    return std::chrono::duration<double, std::milli>(*loadEnd - FStart).count();
  }

  DWORD Id() const { return FChild.Id(); }
  HANDLE Handle() const { return FChild.Handle(); }
  std::vector<DWORD> Renderers() const { return RenderersOf(FTrace, FChild.Id()); }

  // Closes the program as a user does (the bare client closes itself after
  // its load) and waits for it and its renderers to end, so that the next run
  // has the machine to itself. Answers false when it did not end; the run's
  // child is then ended when the run goes.
  bool Close() {
    const std::vector<DWORD> renderers = Renderers();
    if (!FClosesItself && FChild.Running()) {
      WaitUntil([&] { return MainWindowOf(FChild.Id()) != nullptr || !FChild.Running(); });
      if (const HWND window = MainWindowOf(FChild.Id())) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const bool ended = FChild.Wait(kExitTimeoutMilliseconds).has_value();
    for (DWORD renderer : renderers) {
      const TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, renderer));
      if (process) WaitForSingleObject(process.get(), kExitTimeoutMilliseconds);
    }
    if (!ended) std::fprintf(stderr, "%s did not end after its window was closed\n", FSubject.Name);
    return ended;
  }

 private:
  const TSubject& FSubject;
  bool FClosesItself;
  std::wstring FTrace;
  TClock::time_point FStart;
  TChildProcess FChild;
};

// ---- Start-up figures --------------------------------------------------------------------

struct TSpread {
  double Median, Min, Max;
};

TSpread SpreadOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.front(), values.back()};
}

// ---- Processor time ----------------------------------------------------------------------

// Kernel plus user time, in 100-nanosecond units.
using TTicks = ULONGLONG;

TTicks TicksOf(const FILETIME& time) {
  return (static_cast<TTicks>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A thread's entry in the system's process list, as the system documents it.
struct TSystemThread {
  LARGE_INTEGER KernelTime;
  LARGE_INTEGER UserTime;
  LARGE_INTEGER CreateTime;
  ULONG WaitTime;
  PVOID StartAddress;
  CLIENT_ID ClientId;
  LONG Priority;
  LONG BasePriority;
  ULONG ContextSwitches;
  ULONG ThreadState;
  ULONG WaitReason;
};
static_assert(sizeof(TSystemThread) == sizeof(SYSTEM_THREAD_INFORMATION));

using TThreadTimes = std::map<DWORD, TTicks>;

// The times of every live thread, by process and thread id.
std::map<DWORD, TThreadTimes> ThreadTimesOfAllProcesses() {
  constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  std::vector<ULONGLONG> buffer(1 << 16);
  for (;;) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
    ULONG needed = 0;
    const NTSTATUS status =
        NtQuerySystemInformation(SystemProcessInformation, buffer.data(), size, &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(needed, 2 * size) / sizeof(ULONGLONG) + 1);
      continue;
    }
    if (status < 0) return {};
    break;
  }
  std::map<DWORD, TThreadTimes> all;
  for (const auto* entry = reinterpret_cast<const BYTE*>(buffer.data());;) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(entry);
    const auto* threads = reinterpret_cast<const TSystemThread*>(process + 1);
    TThreadTimes& times =
        all[static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->UniqueProcessId))];
    for (ULONG i = 0; i < process->NumberOfThreads; ++i)
      times[static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(threads[i].ClientId.UniqueThread))] =
          threads[i].KernelTime.QuadPart + threads[i].UserTime.QuadPart;
    if (process->NextEntryOffset == 0) break;
    entry += process->NextEntryOffset;
  }
  return all;
}

// What the system says a process has used so far, by two accounts.
struct TProcessorSample {
  std::optional<TTicks> Process;
  TThreadTimes Threads;
};

TProcessorSample SampleOf(HANDLE process, const std::map<DWORD, TThreadTimes>& threads) {
  TProcessorSample sample;
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user))
    sample.Process = TicksOf(kernel) + TicksOf(user);
  if (const auto found = threads.find(GetProcessId(process)); found != threads.end())
    sample.Threads = found->second;
  return sample;
}

struct TIdleFigure {
  std::string Process;
  double PercentOfCore;
  bool FromThreads;
};

// Over a stretch of time a process uses at least what its live threads use.
// A system that answers less (Wine answers next to nothing for another
// process) is read from the threads instead; a thread that ends meanwhile
// then drops out.
TIdleFigure FigureOf(const std::string& name, const TProcessorSample& before,
                     const TProcessorSample& after, double wallTicks) {
  TTicks threadsUsed = 0;
  for (const auto& [thread, time] : after.Threads) {
    const auto earlier = before.Threads.find(thread);
    threadsUsed +=
        earlier != before.Threads.end() && earlier->second <= time ? time - earlier->second : time;
  }
  const TTicks processUsed = before.Process && after.Process && *after.Process >= *before.Process
                                 ? *after.Process - *before.Process
                                 : 0;
  const TTicks used = std::max(processUsed, threadsUsed);
  return {name, 100.0 * static_cast<double>(used) / wallTicks, threadsUsed > processUsed};
}

// Starts `subject` on `url`, waits for its load end and lets it sit; answers
// the share of one core each of its processes used meanwhile.
std::optional<std::vector<TIdleFigure>> MeasureIdle(const TSubject& subject,
                                                    const TTempFolder& folder,
                                                    const std::wstring& url) {
  TRun run(subject, folder, url, 0, true);
  if (!run.AwaitLoadEnd(url)) {
    std::fprintf(stderr, "%s reported no load end of %ls\n", subject.Name, url.c_str());
    return std::nullopt;
  }
  Sleep(kSettleMilliseconds);

  std::vector<std::string> names{"browser process"};
  std::vector<HANDLE> processes{run.Handle()};
  std::vector<TKernelHandle> renderers;
  for (DWORD renderer : run.Renderers()) {
    renderers.emplace_back(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, renderer));
    if (!renderers.back()) {
      std::fprintf(stderr, "renderer %lu of %s cannot be opened\n", renderer, subject.Name);
      continue;
    }
    names.push_back("renderer (pid " + std::to_string(renderer) + ")");
    processes.push_back(renderers.back().get());
  }

  const auto sampleAll = [&] {
    const auto threads = ThreadTimesOfAllProcesses();
    std::vector<TProcessorSample> samples;
    for (HANDLE process : processes) samples.push_back(SampleOf(process, threads));
    return samples;
  };
  const auto start = TClock::now();
  const std::vector<TProcessorSample> before = sampleAll();
  Sleep(kIdleMilliseconds);
  const std::vector<TProcessorSample> after = sampleAll();
  const double wallTicks =
      std::chrono::duration<double, std::ratio<1, 10000000>>(TClock::now() - start).count();

  std::vector<TIdleFigure> figures;
  for (size_t i = 0; i < processes.size(); ++i)
    figures.push_back(FigureOf(names[i], before[i], after[i], wallTicks));
  run.Close();
  return figures;
}

std::string StartupPage() {
  const std::string body = " " + std::string(40, 'x');
  std::string page = "<html><head><title>Bench</title></head><body><h1>A page</h1>";
  for (int i = 0; i < 50; ++i)
    page.append("<p>Paragraph ").append(std::to_string(i)).append(body).append("</p>");
  return page + "</body></html>";
}

int RunBenchmark() {
  const std::string page = StartupPage();
  const TTestHttpServer server({{"/page", {.Body = page}}});
  const std::wstring url = server.Url("/page");

  const TSubject subjects[] = {{"nimbra.exe", BinFolder() + L"\\nimbra.exe", false},
                               {"bare C client", OwnPath(), true}};
  // Each keeps its cache between its starts, as a user's program does.
  const TTempFolder folders[2];
  std::vector<double> times[2];

  // One start each first, which makes the cache folders and brings the files
  // into memory; then the two alternate, so that drift in the machine's load
  // falls on both.
  for (int number = 0; number <= kStartRuns; ++number) {
    for (int s = 0; s < 2; ++s) {
      TRun run(subjects[s], folders[s], url, number + 1, false);
      const std::optional<double> elapsed = run.AwaitLoadEnd(url);
      const bool closed = run.Close();
      if (!elapsed || !closed) {
        if (!elapsed)
          std::fprintf(stderr, "%s reported no load end of %ls\n", subjects[s].Name, url.c_str());
        return 1;
      }
      if (number > 0) times[s].push_back(*elapsed);
    }
  }

  std::printf("Start-up: from starting the process to the first load end of %ls (%zu bytes)\n",
              url.c_str(), page.size());
  std::printf("%d runs each after one unmeasured start:\n", kStartRuns);
  std::printf("  %-16s %10s %10s %10s\n", "", "median", "min", "max");
  TSpread spreads[2];
  for (int s = 0; s < 2; ++s) {
    spreads[s] = SpreadOf(times[s]);
    std::printf("  %-16s %7.1f ms %7.1f ms %7.1f ms\n", subjects[s].Name, spreads[s].Median,
                spreads[s].Min, spreads[s].Max);
  }
  std::printf("  ratio of the medians (nimbra.exe / bare C client): %.2f\n\n",
              spreads[0].Median / spreads[1].Median);

  std::printf(
      "Idle: processor time (kernel + user) over %lu s, starting %lu ms after the load end,\n"
      "as a share of one core:\n",
      kIdleMilliseconds / 1000, kSettleMilliseconds);
  bool fromThreads = false;
  for (int s = 0; s < 2; ++s) {
    const auto figures = MeasureIdle(subjects[s], folders[s], url);
    if (!figures) return 1;
    for (const TIdleFigure& figure : *figures) {
      std::printf("  %-16s %-24s %6.2f %%%s\n", subjects[s].Name, figure.Process.c_str(),
                  figure.PercentOfCore, figure.FromThreads ? " *" : "");
      fromThreads = fromThreads || figure.FromThreads;
    }
  }
  if (fromThreads)
    std::printf(
        "* The system answers less processor time for these processes than their own threads\n"
        "  used (Wine does so for any process but the caller), so these figures sum the threads'\n"
        "  times from the system's process list; a thread that ends within the %lu s drops out.\n",
        kIdleMilliseconds / 1000);
  return 0;
}

bool HasSwitch(const std::vector<std::string>& arguments, const std::string& prefix) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [&](const std::string& argument) { return argument.starts_with(prefix); });
}

// The word after the bare-client switch.
std::wstring BareClientUrl(const std::vector<std::string>& arguments) {
  const auto found = std::find(arguments.begin(), arguments.end(), kBareClientSwitch);
  return found != arguments.end() && found + 1 != arguments.end() ? Utf8ToWide(*(found + 1))
                                                                  : std::wstring();
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!HasSwitch(arguments, kEngineProcessSwitch) && !HasSwitch(arguments, kBareClientSwitch)) {
    try {
      return RunBenchmark();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
  }

  // An engine process: the bare client's browser process or its renderer.
  if (!BindEngineBesideBenchmark()) return 1;
  const cef_main_args_t mainArgs{GetModuleHandleW(nullptr)};
  const int subprocessResult = CefApi.cef_execute_process(&mainArgs, nullptr);
  if (subprocessResult >= 0) return subprocessResult;
  const std::wstring url = BareClientUrl(arguments);
  if (url.empty()) {
    std::fprintf(stderr, "usage: bench_startup %s <address> [%s]\n", kBareClientSwitch,
                 kStayOpenSwitch);
    return 1;
  }
  return RunBareClient(mainArgs, url, HasSwitch(arguments, kStayOpenSwitch));
}
