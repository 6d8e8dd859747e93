// A node written back as markup: what a node record's get_as_markup gives.
#ifndef NIMBRA_DEVENGINE_RENDERER_DOM_MARKUP_H
#define NIMBRA_DEVENGINE_RENDERER_DOM_MARKUP_H

#include <string>

#include "page/html.h"

namespace devengine::renderer {

// Elements with lower-case tag names and their attributes in source order;
// text escaped, but not in SCRIPT and STYLE; no end tag for void elements.
// A document gives the markup of its children.
std::wstring MarkupOf(const page::Node& node);

}  // namespace devengine::renderer

#endif
