#include "command_line.h"

std::wstring FirstCommandLineArgument(const std::wstring& commandLine) {
  // The program's own name is the first word of the line.
  size_t p = 0;
  int word = 0;
  while (p < commandLine.size()) {
    while (p < commandLine.size() && commandLine[p] == L' ') ++p;
    if (p >= commandLine.size()) break;
    std::wstring argument;
    bool quoted = false;
    for (; p < commandLine.size() && (quoted || commandLine[p] != L' '); ++p) {
      if (commandLine[p] == L'"')
        quoted = !quoted;
      else
        argument += commandLine[p];
    }
    if (word++ == 1) return argument;
  }
  return std::wstring();
}
