// How the page library treats each kind of element: one table shared by the
// parser, the text extraction and the layout.
#ifndef NIMBRA_DEVENGINE_PAGE_ELEMENT_KINDS_H
#define NIMBRA_DEVENGINE_PAGE_ELEMENT_KINDS_H

#include <string_view>

namespace devengine::page {

// Has no content and no end tag.
bool IsVoidElement(std::wstring_view name);
// Starts on a line of its own and ends one.
bool IsBlockElement(std::wstring_view name);
// Its content is never shown.
bool IsHiddenElement(std::wstring_view name);
// Its content is text up to its own end tag; entities are decoded in it
// when `decoded` is set.
bool IsRawTextElement(std::wstring_view name, bool* decoded = nullptr);
// Whitespace in it is kept as written.
bool IsPreformattedElement(std::wstring_view name);
bool IsHeading(std::wstring_view name);

}  // namespace devengine::page

#endif
