// The renderer's main thread runs one work queue: the messages from the
// browser process and the calls the engine owes the program (a string
// visitor's answer, for one) wait there, so the program is only ever called
// on that thread.
#ifndef NIMBRA_DEVENGINE_RENDERER_RENDERER_THREAD_H
#define NIMBRA_DEVENGINE_RENDERER_RENDERER_THREAD_H

#include "work_queue.h"

namespace devengine::renderer {

WorkQueue& RendererWork();

}  // namespace devengine::renderer

#endif
