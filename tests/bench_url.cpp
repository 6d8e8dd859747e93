// Prints the cost of ParseUrlParts on a typical resource address, as the shell
// calls it for every request: time per call, and native allocations per call
// counted by a replaced global operator new. The engine's own allocations
// happen inside libcef.dll and are not counted.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "bench_engine.h"
#include "cef_api.h"
#include "cef_string.h"
#include "cef_utils.h"

namespace {

long long Allocations = 0;

void* CountedAllocation(std::size_t size) {
  ++Allocations;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

constexpr int kRounds = 100000;
const ustring kAddress = L"http://127.0.0.1:8080/resources/images/logo-large.png?v=20130517";

}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

int main() {
  if (!BindEngineBesideBenchmark()) return 1;
  {
    TUrlParts probe;
    if (!ParseUrlParts(kAddress, probe)) {
      std::fprintf(stderr, "the engine cannot parse the address\n");
      return 1;
    }
  }

  // A fresh record per call, as each request gets.
  volatile std::size_t sink = 0;
  const long long allocationsBefore = Allocations;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    TUrlParts parts;
    ParseUrlParts(kAddress, parts);
    sink = sink + parts.path.size();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const double allocationsPerCall = static_cast<double>(Allocations - allocationsBefore) / kRounds;

  std::printf("ParseUrlParts  %8.1f ns per call   %5.2f native allocations per call (expected 7)\n",
              std::chrono::duration<double, std::nano>(elapsed).count() / kRounds,
              allocationsPerCall);
  std::printf("(one per text copy; parts short enough for the string's inline buffer need none)\n");

  // The engine's share: the same parse and eight releases with no copies.
  const cef_string_t view = CefStringView(kAddress);
  const auto engineStart = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    cef_urlparts_t record{};
    CefApi.cef_parse_url(&view, &record);
    for (cef_string_t* part : {&record.spec, &record.scheme, &record.username, &record.password,
                               &record.host, &record.port, &record.path, &record.query})
      CefApi.cef_string_utf16_clear(part);
  }
  const auto engineElapsed = std::chrono::steady_clock::now() - engineStart;
  std::printf("engine alone   %8.1f ns per call\n",
              std::chrono::duration<double, std::nano>(engineElapsed).count() / kRounds);
  return 0;
}
