// The records through which a program sees a browser: the browser, its host
// and its frames. Each is made afresh whenever one is handed out, holds the
// browser (browser.h) and forwards to it; the program compares them with
// is_same, never by address. Each new record's one reference is the caller's.
#ifndef NIMBRA_DEVENGINE_BROWSER_BROWSER_RECORDS_H
#define NIMBRA_DEVENGINE_BROWSER_BROWSER_RECORDS_H

#include <cstdint>
#include <memory>

#include "cef_capi.h"

namespace devengine::browser {

class Browser;

cef_browser_t* NewBrowserRecord(std::shared_ptr<Browser> browser);
cef_browser_host_t* NewHostRecord(std::shared_ptr<Browser> browser);
cef_frame_t* NewFrameRecord(std::shared_ptr<Browser> browser, std::int64_t frame);

}  // namespace devengine::browser

#endif
