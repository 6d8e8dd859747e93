// The engine's event trace. When NIMBRA_ENGINE_TRACE names a file, each event
// becomes one UTF-8 line `<pid> <event> <key>=<value> ...` appended to it.
#ifndef NIMBRA_DEVENGINE_TRACE_H
#define NIMBRA_DEVENGINE_TRACE_H

#include <string>
#include <string_view>

namespace devengine {

class TraceLine {
 public:
  explicit TraceLine(std::string_view event);

  TraceLine& Word(std::string_view word);
  TraceLine& Add(std::string_view key, std::string_view value);
  TraceLine& Add(std::string_view key, long long value);
  TraceLine& AddSetOrNull(std::string_view key, bool set);
  // key="text", with quotes and line breaks escaped so the line stays whole.
  TraceLine& AddQuoted(std::string_view key, std::string_view text);

  void Write() const;

 private:
  std::string text_;
};

// Called inside a catch block: writes a `failure` line naming `where` and
// what was thrown, to the trace and to the debugger. It never throws, so the
// engine's guards may call it on their way back to the program.
void ReportCaughtFailure(std::string_view where) noexcept;

}  // namespace devengine

#endif
