// Module state of the main window's module: the folders every process
// computes at start-up, the engine settings the shell writes, and what the
// main window keeps for the whole process (download folder, the addresses
// under the last right-click, the page-resource lists).
#pragma once

#include <memory>
#include <string>
#include <vector>

extern std::wstring TempFolder;   // TEMP with a trailing "\"
extern std::wstring CacheFolder;  // TempFolder + "cacheNimbra"

extern std::wstring DownloadFolder;   // documents folder or the executable's, with "\"
extern std::wstring ContextImageUrl;  // the image under the last right-click
extern std::wstring ContextLinkUrl;   // the link under the last right-click

// Parallel lists: a page resource's address and the file it is saved under.
// Created with the main window, replaced by new empty ones as an address is
// typed, freed when the window closes.
using TTextList = std::vector<std::wstring>;
extern std::unique_ptr<TTextList> PageResourceUrls;
extern std::unique_ptr<TTextList> PageResourceFiles;

// The folder that holds the executable, without a trailing separator.
std::wstring ExecutableFolder();

// Computes the folders, writes the engine settings and creates the render- and
// browser-process handlers. Runs in every process, before the engine loads.
void MainInitialization();
void MainFinalization();
