// The engine's handling of string records: setting, clearing and comparing
// them for each character width, and bridging them to C++ strings.
#ifndef NIMBRA_DEVENGINE_ENGINE_STRINGS_H
#define NIMBRA_DEVENGINE_ENGINE_STRINGS_H

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "cef_capi.h"
#include "heap_records.h"

namespace devengine {

template <class Record>
using CharOf = std::remove_pointer_t<decltype(Record::str)>;

// The dtor of every text the engine allocates.
template <class Char>
void FreeEngineText(Char* text) {
  DeleteTextBuffer(text);
}

template <class Record>
void ClearString(Record* string) {
  if (string == nullptr) return;
  if (string->str != nullptr && string->dtor != nullptr) string->dtor(string->str);
  string->str = nullptr;
  string->length = 0;
  string->dtor = nullptr;
}

// With `copy` the record gets an engine-owned copy; without, it points at
// `source` and nobody frees it.
template <class Record>
int SetString(const CharOf<Record>* source, std::size_t length, Record* output, bool copy) {
  using Char = CharOf<Record>;
  if (output == nullptr || (source == nullptr && length != 0)) return 0;
  if (!copy) {
    // A record that already holds `source` keeps its dtor: clearing it would
    // free the very text it is to point at.
    if (output->str != source) {
      ClearString(output);
      output->str = const_cast<Char*>(source);
    }
    output->length = length;
    return 1;
  }
  Char* text = NewTextBuffer<Char>(length);
  std::copy_n(source, length, text);
  ClearString(output);
  output->str = text;
  output->length = length;
  output->dtor = &FreeEngineText<Char>;
  return 1;
}

template <class Record>
std::basic_string_view<CharOf<Record>> ViewOf(const Record* string) {
  if (string == nullptr || string->str == nullptr) return {};
  return {string->str, string->length};
}

// Code-unit order; either record missing answers 0.
template <class Record>
int CompareStrings(const Record* first, const Record* second) {
  if (first == nullptr || second == nullptr) return 0;
  const int order = ViewOf(first).compare(ViewOf(second));
  return (order > 0) - (order < 0);
}

template <class Record>
Record* NewUserFreeRecord() {
  return NewRecord<Record>();
}

template <class Record>
void FreeUserFreeRecord(Record* string) {
  if (string == nullptr) return;
  ClearString(string);
  DeleteRecord(string);
}

inline std::wstring ToWString(const cef_string_t* string) { return std::wstring(ViewOf(string)); }

std::string ToUtf8(const cef_string_t* string);

// Gives `output` an engine-owned copy of `text`, clearing what it held.
inline void Assign(cef_string_t* output, std::wstring_view text) {
  SetString(text.data(), text.size(), output, true);
}

// A record that only points at `text`, for handing text to the program
// for the length of one call.
inline cef_string_t Borrow(std::wstring_view text) {
  return {const_cast<wchar_t*>(text.data()), text.size(), nullptr};
}

// A user-free string the program releases with cef_string_userfree_utf16_free.
cef_string_userfree_t NewUserFreeString(std::wstring_view text);

}  // namespace devengine

#endif
