// A test executable that starts itself to see what arguments a new process
// receives: started with NIMBRA_ARGV_PROBE naming a file, it writes its
// arguments there, as the system's parser splits its command line, and
// ends. The parent names the file in its own environment before the start,
// which the child inherits.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// In the child: when the probe variable is set, writes the arguments and
// answers true; main then returns at once.
bool RunArgvProbe();

// In the parent: sets the probe variable to `path` for the processes this
// process starts while the object lives.
class TArgvProbeScope {
 public:
  explicit TArgvProbeScope(const std::wstring& path);
  ~TArgvProbeScope();
  TArgvProbeScope(const TArgvProbeScope&) = delete;
  TArgvProbeScope& operator=(const TArgvProbeScope&) = delete;
};

// The arguments a child wrote to `path` (program name first), once the file
// is complete; nullopt when none came in time.
std::optional<std::vector<std::wstring>> ReadArgvProbe(const std::wstring& path,
                                                       DWORD milliseconds = 10000);
