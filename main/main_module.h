// Module state of the main window's module: the folders every process
// computes at start-up, and the engine settings the shell writes.
#pragma once

#include <string>

extern std::wstring TempFolder;   // TEMP with a trailing "\"
extern std::wstring CacheFolder;  // TempFolder + "cacheNimbra"

// The folder that holds the executable, without a trailing separator.
std::wstring ExecutableFolder();

// Computes the folders, writes the engine settings and creates the render- and
// browser-process handlers. Runs in every process, before the engine loads.
void MainInitialization();
void MainFinalization();
