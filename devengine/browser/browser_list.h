// The engine's open browsers, their identifiers, and what the browsing part
// of the engine starts with cef_initialize and ends with cef_shutdown.
#ifndef NIMBRA_DEVENGINE_BROWSER_BROWSER_LIST_H
#define NIMBRA_DEVENGINE_BROWSER_BROWSER_LIST_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cef_capi.h"

namespace devengine::browser {

class Browser;

// Unique in the process, from 1.
int NextBrowserId();
std::int64_t NextFrameId();

void AddBrowser(std::shared_ptr<Browser> browser);
void RemoveBrowser(int id);
std::shared_ptr<Browser> FindBrowser(int id);
std::vector<std::shared_ptr<Browser>> OpenBrowsers();

// Starts the inspector server when the settings give a remote-debugging
// port, and notes the renderer executable.
void StartBrowsing(const cef_settings_t& settings);
// Lets go of every open browser, stops the inspector server and waits for
// the network jobs; before the engine's threads stop.
void StopBrowsing();

// 0 when no inspector server runs.
int InspectorPort();
// Empty for this executable.
std::wstring RendererExecutable();

}  // namespace devengine::browser

#endif
