// The engine's entry-point table: one pointer per export, filled by the loader
// when the engine library is loaded, plus the generic string operations, which
// are bound to the UTF-16 variants (the engine's native string width).
#pragma once

#include "cef_capi.h"

struct TCefEntryPoints {
#define NIMBRA_ENTRY_FIELD(ret, name, params) name##_fn name = nullptr;
  CEF_EXPORTS(NIMBRA_ENTRY_FIELD)
#undef NIMBRA_ENTRY_FIELD

  cef_string_utf16_set_fn cef_string_set = nullptr;
  cef_string_utf16_clear_fn cef_string_clear = nullptr;
  cef_string_utf16_cmp_fn cef_string_cmp = nullptr;
  cef_string_wide_to_utf16_fn cef_string_from_wide = nullptr;
  cef_string_utf16_to_wide_fn cef_string_to_wide = nullptr;
  cef_string_utf8_to_utf16_fn cef_string_from_utf8 = nullptr;
  cef_string_utf16_to_utf8_fn cef_string_to_utf8 = nullptr;
  cef_string_ascii_to_utf16_fn cef_string_from_ascii = nullptr;
  cef_string_userfree_utf16_alloc_fn cef_string_userfree_alloc = nullptr;
  cef_string_userfree_utf16_free_fn cef_string_userfree_free = nullptr;
};

// The table in use; empty while no engine is loaded.
extern TCefEntryPoints CefApi;

// Looks up every export of `library` by name into `table`, then binds the
// generic string operations. Answers the number of exports not found.
int ResolveEntryPoints(HMODULE library, TCefEntryPoints& table);
