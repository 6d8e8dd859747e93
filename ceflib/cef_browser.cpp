// The operations of the browser-side wrappers that are more than one entry
// call: class operations, list and map patterns, record arrays, times and the
// closure variants.
#include "cef_browser.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "cef_api.h"
#include "cef_utils.h"
#include "cef_wrappers.h"
#include "winhandle.h"

namespace {

// An engine multimap for the duration of one call, freed on every path.
struct TFreeEngineMultimap : TNullInvalid<cef_string_multimap_t> {
  void operator()(cef_string_multimap_t map) const noexcept {
    CefApi.cef_string_multimap_free(map);
  }
};
struct TEngineMultimap : TUniqueHandle<cef_string_multimap_t, TFreeEngineMultimap> {
  TEngineMultimap() : TUniqueHandle(CefApi.cef_string_multimap_alloc()) {}
};

// The engine copies what it keeps: views of the native texts are enough.
void AppendPairs(cef_string_multimap_t map, const TCefStringMultimap& pairs) {
  for (const auto& [name, value] : pairs) {
    const cef_string_t nameView = CefStringView(name);
    const cef_string_t valueView = CefStringView(value);
    CefApi.cef_string_multimap_append(map, &nameView, &valueView);
  }
}

void ReadPairs(cef_string_multimap_t map, TCefStringMultimap& dest) {
  const int count = CefApi.cef_string_multimap_size(map);
  for (int i = 0; i < count; ++i) {
    // Each text is taken before the next is filled, so none is left uncleared.
    cef_string_t name{};
    CefApi.cef_string_multimap_key(map, i, &name);
    ustring key = CefStringTakeCleared(name);
    cef_string_t value{};
    CefApi.cef_string_multimap_value(map, i, &value);
    dest.emplace_back(std::move(key), CefStringTakeCleared(value));
  }
}

// Records the engine wrote into an array, each carrying one reference: every
// one is adopted by a wrapper, or released when adopting stops early.
template <class TRef, class Record, class List>
void AdoptRecords(std::vector<Record*>& records, List& dest) {
  const TScopeExit releaseRest([&records] {
    for (Record* r : records)
      if (r && r->base.release) r->base.release(&r->base);
  });
  for (Record*& record : records) {
    if (!record) continue;
    auto wrapper = TRef::UnWrap(record);
    record = nullptr;
    dest.push_back(std::move(wrapper));
  }
}

// The all-zero record is the engine's "no time yet", not a date.
double EngineTimeOrNone(const cef_time_t& time) {
  static const cef_time_t none{};
  return std::memcmp(&time, &none, sizeof time) == 0 ? 0.0 : EngineTimeToDateTime(time);
}

}  // namespace

// ---- Browser and host -------------------------------------------------------------

void TCefBrowserRef::GetFrameIdentifiers(TCefFrameIdentifierList& identifiers) {
  TCefFrameIdentifierList found(GetFrameCount());
  size_t count = found.size();
  Call(&Rec::get_frame_identifiers, &count, found.data());
  found.resize(std::min(count, found.size()));
  identifiers.insert(identifiers.end(), found.begin(), found.end());
}

void TCefBrowserRef::GetFrameNames(TStringList& names) {
  CefStringListFilled(names, [this](cef_string_list_t list) { Call(&Rec::get_frame_names, list); });
}

void TCefBrowserHostRef::RunFileDialog(TCefFileDialogMode mode, const ustring& title,
                                       const ustring& defaultFileName,
                                       const TStringList& acceptTypes,
                                       const TInterfacePtr<ICefRunFileDialogCallback>& callback) {
  CefStringListHanded(&acceptTypes, [&](cef_string_list_t types) {
    Call(&Rec::run_file_dialog, mode, title, defaultFileName, types, callback);
  });
}

void TCefBrowserHostRef::RunFileDialogProc(TCefFileDialogMode mode, const ustring& title,
                                           const ustring& defaultFileName,
                                           const TStringList& acceptTypes,
                                           const TCefRunFileDialogCallbackProc& callback) {
  if (!callback) return;
  RunFileDialog(mode, title, defaultFileName, acceptTypes,
                CefNew<TCefFastRunFileDialogCallback>(callback));
}

// ---- Frame ------------------------------------------------------------------------

void TCefFrameRef::GetSourceProc(const TCefStringVisitorProc& proc) {
  if (proc) GetSource(CefNew<TCefFastStringVisitor>(proc));
}

void TCefFrameRef::GetTextProc(const TCefStringVisitorProc& proc) {
  if (proc) GetText(CefNew<TCefFastStringVisitor>(proc));
}

void TCefFrameRef::VisitDomProc(const TCefDomVisitorProc& proc) {
  if (proc) VisitDom(CefNew<TCefFastDomVisitor>(proc));
}

// ---- Request and post data --------------------------------------------------------

TInterfacePtr<ICefRequest> TCefRequestRef::New() { return UnWrap(CefApi.cef_request_create()); }

void TCefRequestRef::GetHeaderMap(TCefStringMultimap& headerMap) {
  TEngineMultimap map;
  Call(&Rec::get_header_map, map.get());
  ReadPairs(map.get(), headerMap);
}

void TCefRequestRef::SetHeaderMap(const TCefStringMultimap& headerMap) {
  TEngineMultimap map;
  AppendPairs(map.get(), headerMap);
  Call(&Rec::set_header_map, map.get());
}

void TCefRequestRef::Set(const ustring& url, const ustring& method,
                         const TInterfacePtr<ICefPostData>& postData,
                         const TCefStringMultimap& headerMap) {
  TEngineMultimap map;
  AppendPairs(map.get(), headerMap);
  Call(&Rec::set, url, method, postData, map.get());
}

TInterfacePtr<ICefPostData> TCefPostDataRef::New() { return UnWrap(CefApi.cef_post_data_create()); }

void TCefPostDataRef::GetElements(TCefPostDataElementList& elements) {
  std::vector<cef_post_data_element_t*> records(GetElementCount(), nullptr);
  size_t count = records.size();
  Call(&Rec::get_elements, &count, records.data());
  records.resize(std::min(count, records.size()));
  AdoptRecords<TCefPostDataElementRef>(records, elements);
}

TInterfacePtr<ICefPostDataElement> TCefPostDataElementRef::New() {
  return UnWrap(CefApi.cef_post_data_element_create());
}

// ---- Records handed to browser handlers -------------------------------------------

double TCefDownLoadItemRef::GetStartTime() {
  return EngineTimeOrNone(Call<cef_time_t>(&Rec::get_start_time));
}

double TCefDownLoadItemRef::GetEndTime() {
  return EngineTimeOrNone(Call<cef_time_t>(&Rec::get_end_time));
}

void TCefFileDialogCallbackRef::Cont(const TStringList& filePaths) {
  CefStringListHanded(&filePaths, [this](cef_string_list_t paths) {
    Call(&cef_file_dialog_callback_t::cont, paths);
  });
}
