// The string exports: set, clear, compare, convert and user-free records.
#include <string>
#include <string_view>

#include "engine_strings.h"
#include "exports.h"
#include "utf.h"

namespace devengine {

std::string ToUtf8(const cef_string_t* string) { return Utf16ToUtf8(ViewOf(string)); }

cef_string_userfree_t NewUserFreeString(std::wstring_view text) {
  cef_string_userfree_t string = cef_string_userfree_utf16_alloc();
  Assign(string, text);
  return string;
}

namespace {

// Wide and UTF-16 are the same encoding on Windows.
std::wstring SameText(std::wstring_view text, bool* well_formed) {
  *well_formed = true;
  return std::wstring(text);
}

// Fills `output` with the converted text even when the input was ill-formed;
// the answer tells whether it was well-formed.
template <class Input, class Record, class Converter>
int ConvertInto(const Input* source, std::size_t length, Record* output, Converter convert) {
  if (output == nullptr || (source == nullptr && length != 0)) return 0;
  bool well_formed = true;
  const auto text = convert(source == nullptr ? std::basic_string_view<Input>()
                                              : std::basic_string_view<Input>(source, length),
                            &well_formed);
  SetString(text.data(), text.size(), output, true);
  return well_formed ? 1 : 0;
}

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT int cef_string_wide_set(const wchar_t* src, size_t src_len,
                                         cef_string_wide_t* output, int copy) {
  return SetString(src, src_len, output, copy != 0);
}
DEVENGINE_EXPORT int cef_string_utf8_set(const char* src, size_t src_len, cef_string_utf8_t* output,
                                         int copy) {
  return SetString(src, src_len, output, copy != 0);
}
DEVENGINE_EXPORT int cef_string_utf16_set(const char16* src, size_t src_len,
                                          cef_string_utf16_t* output, int copy) {
  return SetString(src, src_len, output, copy != 0);
}

DEVENGINE_EXPORT void cef_string_wide_clear(cef_string_wide_t* str) { ClearString(str); }
DEVENGINE_EXPORT void cef_string_utf8_clear(cef_string_utf8_t* str) { ClearString(str); }
DEVENGINE_EXPORT void cef_string_utf16_clear(cef_string_utf16_t* str) { ClearString(str); }

DEVENGINE_EXPORT int cef_string_wide_cmp(const cef_string_wide_t* str1,
                                         const cef_string_wide_t* str2) {
  return CompareStrings(str1, str2);
}
DEVENGINE_EXPORT int cef_string_utf8_cmp(const cef_string_utf8_t* str1,
                                         const cef_string_utf8_t* str2) {
  return CompareStrings(str1, str2);
}
DEVENGINE_EXPORT int cef_string_utf16_cmp(const cef_string_utf16_t* str1,
                                          const cef_string_utf16_t* str2) {
  return CompareStrings(str1, str2);
}

DEVENGINE_EXPORT int cef_string_wide_to_utf8(const wchar_t* src, size_t src_len,
                                             cef_string_utf8_t* output) {
  return ConvertInto(src, src_len, output, &Utf16ToUtf8);
}
DEVENGINE_EXPORT int cef_string_utf8_to_wide(const char* src, size_t src_len,
                                             cef_string_wide_t* output) {
  return ConvertInto(src, src_len, output, &Utf8ToUtf16);
}
DEVENGINE_EXPORT int cef_string_wide_to_utf16(const wchar_t* src, size_t src_len,
                                              cef_string_utf16_t* output) {
  return ConvertInto(src, src_len, output, &SameText);
}
DEVENGINE_EXPORT int cef_string_utf16_to_wide(const char16* src, size_t src_len,
                                              cef_string_wide_t* output) {
  return ConvertInto(src, src_len, output, &SameText);
}
DEVENGINE_EXPORT int cef_string_utf8_to_utf16(const char* src, size_t src_len,
                                              cef_string_utf16_t* output) {
  return ConvertInto(src, src_len, output, &Utf8ToUtf16);
}
DEVENGINE_EXPORT int cef_string_utf16_to_utf8(const char16* src, size_t src_len,
                                              cef_string_utf8_t* output) {
  return ConvertInto(src, src_len, output, &Utf16ToUtf8);
}
DEVENGINE_EXPORT int cef_string_ascii_to_wide(const char* src, size_t src_len,
                                              cef_string_wide_t* output) {
  return ConvertInto(src, src_len, output, &AsciiToUtf16);
}
DEVENGINE_EXPORT int cef_string_ascii_to_utf16(const char* src, size_t src_len,
                                               cef_string_utf16_t* output) {
  return ConvertInto(src, src_len, output, &AsciiToUtf16);
}

DEVENGINE_EXPORT cef_string_userfree_wide_t cef_string_userfree_wide_alloc(void) {
  return NewUserFreeRecord<cef_string_wide_t>();
}
DEVENGINE_EXPORT cef_string_userfree_utf8_t cef_string_userfree_utf8_alloc(void) {
  return NewUserFreeRecord<cef_string_utf8_t>();
}
DEVENGINE_EXPORT cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc(void) {
  return NewUserFreeRecord<cef_string_utf16_t>();
}

DEVENGINE_EXPORT void cef_string_userfree_wide_free(cef_string_userfree_wide_t str) {
  FreeUserFreeRecord(str);
}
DEVENGINE_EXPORT void cef_string_userfree_utf8_free(cef_string_userfree_utf8_t str) {
  FreeUserFreeRecord(str);
}
DEVENGINE_EXPORT void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str) {
  FreeUserFreeRecord(str);
}
