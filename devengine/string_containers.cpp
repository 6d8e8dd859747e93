// The string list, map and multimap exports. Each opaque handle points at an
// engine-side C++ container. Maps keep their entries sorted by key; a
// multimap keeps equal keys in the order they were added, a map keeps only
// the first value given for a key.
#include <algorithm>
#include <ranges>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine_strings.h"
#include "exports.h"

namespace devengine {
namespace {

using StringList = std::vector<std::wstring>;

class KeyedStrings {
 public:
  using Entry = std::pair<std::wstring, std::wstring>;
  using Iterator = std::vector<Entry>::const_iterator;

  explicit KeyedStrings(bool unique_keys) : unique_keys_(unique_keys) {}

  const std::vector<Entry>& entries() const { return entries_; }

  std::pair<Iterator, Iterator> Range(std::wstring_view key) const {
    return std::equal_range(entries_.begin(), entries_.end(), key, KeyOrder{});
  }

  bool Add(std::wstring key, std::wstring value) {
    const auto [first, last] = Range(key);
    if (unique_keys_ && first != last) return false;
    entries_.emplace(last, std::move(key), std::move(value));
    return true;
  }

  void Clear() { entries_.clear(); }

 private:
  struct KeyOrder {
    bool operator()(const Entry& entry, std::wstring_view key) const { return entry.first < key; }
    bool operator()(std::wstring_view key, const Entry& entry) const { return key < entry.first; }
  };

  bool unique_keys_;
  std::vector<Entry> entries_;
};

template <class Container>
Container* Unwrap(void* handle) {
  return static_cast<Container*>(handle);
}

// The element at `index`, or null when the index is out of range.
template <class Range>
auto ElementAt(const Range& range, int index) -> decltype(&*std::begin(range)) {
  if (index < 0 || static_cast<std::size_t>(index) >= std::size(range)) return nullptr;
  return &*(std::begin(range) + index);
}

int SizeOf(std::size_t size) { return static_cast<int>(size); }

int CopyOut(const std::wstring* text, cef_string_t* output) {
  if (text == nullptr || output == nullptr) return 0;
  Assign(output, *text);
  return 1;
}

int KeyAt(void* handle, int index, cef_string_t* key) {
  const auto* map = Unwrap<KeyedStrings>(handle);
  if (map == nullptr) return 0;
  const auto* entry = ElementAt(map->entries(), index);
  return CopyOut(entry == nullptr ? nullptr : &entry->first, key);
}

int ValueAt(void* handle, int index, cef_string_t* value) {
  const auto* map = Unwrap<KeyedStrings>(handle);
  if (map == nullptr) return 0;
  const auto* entry = ElementAt(map->entries(), index);
  return CopyOut(entry == nullptr ? nullptr : &entry->second, value);
}

int AddPair(void* handle, const cef_string_t* key, const cef_string_t* value) {
  auto* map = Unwrap<KeyedStrings>(handle);
  if (map == nullptr || key == nullptr || value == nullptr) return 0;
  return map->Add(ToWString(key), ToWString(value)) ? 1 : 0;
}

int PairCount(void* handle) {
  const auto* map = Unwrap<KeyedStrings>(handle);
  return map == nullptr ? 0 : SizeOf(map->entries().size());
}

void ClearPairs(void* handle) {
  if (auto* map = Unwrap<KeyedStrings>(handle)) map->Clear();
}

void FreePairs(void* handle) { DeleteRecord(Unwrap<KeyedStrings>(handle)); }

}  // namespace
}  // namespace devengine

using namespace devengine;

DEVENGINE_EXPORT cef_string_list_t cef_string_list_alloc(void) { return NewRecord<StringList>(); }

DEVENGINE_EXPORT int cef_string_list_size(cef_string_list_t list) {
  const auto* strings = Unwrap<StringList>(list);
  return strings == nullptr ? 0 : SizeOf(strings->size());
}

DEVENGINE_EXPORT int cef_string_list_value(cef_string_list_t list, int index, cef_string_t* value) {
  const auto* strings = Unwrap<StringList>(list);
  return strings == nullptr ? 0 : CopyOut(ElementAt(*strings, index), value);
}

DEVENGINE_EXPORT void cef_string_list_append(cef_string_list_t list, const cef_string_t* value) {
  auto* strings = Unwrap<StringList>(list);
  if (strings != nullptr && value != nullptr) strings->push_back(ToWString(value));
}

DEVENGINE_EXPORT void cef_string_list_clear(cef_string_list_t list) {
  if (auto* strings = Unwrap<StringList>(list)) strings->clear();
}

DEVENGINE_EXPORT void cef_string_list_free(cef_string_list_t list) {
  DeleteRecord(Unwrap<StringList>(list));
}

DEVENGINE_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list) {
  const auto* strings = Unwrap<StringList>(list);
  return strings == nullptr ? nullptr : NewRecord<StringList>(*strings);
}

DEVENGINE_EXPORT cef_string_map_t cef_string_map_alloc(void) {
  return NewRecord<KeyedStrings>(true);
}

DEVENGINE_EXPORT int cef_string_map_size(cef_string_map_t map) { return PairCount(map); }

DEVENGINE_EXPORT int cef_string_map_find(cef_string_map_t map, const cef_string_t* key,
                                         cef_string_t* value) {
  const auto* pairs = Unwrap<KeyedStrings>(map);
  if (pairs == nullptr || key == nullptr) return 0;
  const auto [first, last] = pairs->Range(ViewOf(key));
  return CopyOut(first == last ? nullptr : &first->second, value);
}

DEVENGINE_EXPORT int cef_string_map_key(cef_string_map_t map, int index, cef_string_t* key) {
  return KeyAt(map, index, key);
}

DEVENGINE_EXPORT int cef_string_map_value(cef_string_map_t map, int index, cef_string_t* value) {
  return ValueAt(map, index, value);
}

DEVENGINE_EXPORT int cef_string_map_append(cef_string_map_t map, const cef_string_t* key,
                                           const cef_string_t* value) {
  return AddPair(map, key, value);
}

DEVENGINE_EXPORT void cef_string_map_clear(cef_string_map_t map) { ClearPairs(map); }

DEVENGINE_EXPORT void cef_string_map_free(cef_string_map_t map) { FreePairs(map); }

DEVENGINE_EXPORT cef_string_multimap_t cef_string_multimap_alloc(void) {
  return NewRecord<KeyedStrings>(false);
}

DEVENGINE_EXPORT int cef_string_multimap_size(cef_string_multimap_t map) { return PairCount(map); }

DEVENGINE_EXPORT int cef_string_multimap_find_count(cef_string_multimap_t map,
                                                    const cef_string_t* key) {
  const auto* pairs = Unwrap<KeyedStrings>(map);
  if (pairs == nullptr || key == nullptr) return 0;
  const auto [first, last] = pairs->Range(ViewOf(key));
  return SizeOf(static_cast<std::size_t>(last - first));
}

DEVENGINE_EXPORT int cef_string_multimap_enumerate(cef_string_multimap_t map,
                                                   const cef_string_t* key, int value_index,
                                                   cef_string_t* value) {
  const auto* pairs = Unwrap<KeyedStrings>(map);
  if (pairs == nullptr || key == nullptr) return 0;
  const auto [first, last] = pairs->Range(ViewOf(key));
  const auto* entry = ElementAt(std::ranges::subrange(first, last), value_index);
  return CopyOut(entry == nullptr ? nullptr : &entry->second, value);
}

DEVENGINE_EXPORT int cef_string_multimap_key(cef_string_multimap_t map, int index,
                                             cef_string_t* key) {
  return KeyAt(map, index, key);
}

DEVENGINE_EXPORT int cef_string_multimap_value(cef_string_multimap_t map, int index,
                                               cef_string_t* value) {
  return ValueAt(map, index, value);
}

DEVENGINE_EXPORT int cef_string_multimap_append(cef_string_multimap_t map, const cef_string_t* key,
                                                const cef_string_t* value) {
  return AddPair(map, key, value);
}

DEVENGINE_EXPORT void cef_string_multimap_clear(cef_string_multimap_t map) { ClearPairs(map); }

DEVENGINE_EXPORT void cef_string_multimap_free(cef_string_multimap_t map) { FreePairs(map); }
