// The process's own command line as the main window reads it.
#pragma once

#include <string>

// The first argument of `commandLine` after the program's name: blanks
// separate arguments, double quotes group one and are dropped. Empty when
// there is none.
std::wstring FirstCommandLineArgument(const std::wstring& commandLine);
