#include "renderer_thread.h"

#include "heap_records.h"

namespace devengine::renderer {

WorkQueue& RendererWork() { return Immortal<WorkQueue>(); }

}  // namespace devengine::renderer
