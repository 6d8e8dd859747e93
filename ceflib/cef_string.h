// Engine strings and the six conversions through which all text crosses the
// engine boundary, and the three patterns for engine string lists.
//
// Text goes in as views of native strings (the engine copies what it keeps)
// and comes back as native copies; engine-owned copies are released at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cef_capi.h"

// The native text: UTF-16 with a known length.
using ustring = std::wstring;
// The native string list.
using TStringList = std::vector<ustring>;

// A view of s for the duration of one engine call: never a null pointer.
cef_string_t CefStringView(const ustring& s);
// A native copy of the engine's text; null gives the empty text.
ustring CefStringToUstring(const cef_string_t* p);
// An engine-owned copy of s (zeroed record for the empty text, no engine call).
cef_string_t CefStringAllocCopy(const ustring& s);
// Replaces what *p holds by an engine copy of s; null p does nothing.
void CefStringAssign(cef_string_t* p, const ustring& s);
// Copies r and clears it through the engine.
ustring CefStringTakeCleared(cef_string_t& r);
// Copies and frees a user-free result; null gives the empty text.
ustring CefStringTakeUserFree(cef_string_userfree_t u);

// An engine list filled by an entry: allocates it, lets `fill` call the entry,
// appends every value to `dest`, and frees the engine list on every path.
void CefStringListFilled(TStringList& dest, const std::function<void(cef_string_list_t)>& fill);
// A list received by a callback: the engine keeps it; the values are copied.
TStringList CefStringListRead(cef_string_list_t list);
// A native list handed to an entry: `call` receives an engine list of views
// that is freed on every path. A null `items` is taken as the empty list.
void CefStringListHanded(const TStringList* items,
                         const std::function<void(cef_string_list_t)>& call);
