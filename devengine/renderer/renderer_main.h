// A renderer sub-process: serves one browser of the browser process that
// started it, over the pipe named on its command line.
#ifndef NIMBRA_DEVENGINE_RENDERER_RENDERER_MAIN_H
#define NIMBRA_DEVENGINE_RENDERER_RENDERER_MAIN_H

#include <string>

#include "cef_capi.h"

namespace devengine::renderer {

// Connects to `channel`, tells `handler` (which may be null) of the render
// thread, of the page engine and of browser `browser_id`, then shows the
// documents the browser process sends and answers its requests, calling the
// handler on this thread. Returns when the browser process destroys the
// browser or goes away.
void RunRenderer(cef_render_process_handler_t* handler, const std::wstring& channel,
                 int browser_id);

}  // namespace devengine::renderer

#endif
