#include "cef_api.h"

TCefEntryPoints CefApi;

int ResolveEntryPoints(HMODULE library, TCefEntryPoints& table) {
  int missing = 0;
#define NIMBRA_RESOLVE_ENTRY(ret, name, params)                                                  \
  table.name =                                                                                   \
      reinterpret_cast<name##_fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, #name))); \
  if (!table.name) ++missing;
  CEF_EXPORTS(NIMBRA_RESOLVE_ENTRY)
#undef NIMBRA_RESOLVE_ENTRY

  table.cef_string_set = table.cef_string_utf16_set;
  table.cef_string_clear = table.cef_string_utf16_clear;
  table.cef_string_cmp = table.cef_string_utf16_cmp;
  table.cef_string_from_wide = table.cef_string_wide_to_utf16;
  table.cef_string_to_wide = table.cef_string_utf16_to_wide;
  table.cef_string_from_utf8 = table.cef_string_utf8_to_utf16;
  table.cef_string_to_utf8 = table.cef_string_utf16_to_utf8;
  table.cef_string_from_ascii = table.cef_string_ascii_to_utf16;
  table.cef_string_userfree_alloc = table.cef_string_userfree_utf16_alloc;
  table.cef_string_userfree_free = table.cef_string_userfree_utf16_free;
  return missing;
}
