#include "cef_string.h"

#include "cef_api.h"
#include "winhandle.h"

namespace {

const wchar_t kEmptyText[1] = {0};

// Frees an engine list whatever happens while it is in use.
struct TFreeEngineList : TNullInvalid<cef_string_list_t> {
  void operator()(cef_string_list_t list) const noexcept { CefApi.cef_string_list_free(list); }
};
struct TEngineList : TUniqueHandle<cef_string_list_t, TFreeEngineList> {
  TEngineList() : TUniqueHandle(CefApi.cef_string_list_alloc()) {}
};

void AppendValues(cef_string_list_t list, TStringList& dest) {
  const int count = CefApi.cef_string_list_size(list);
  for (int i = 0; i < count; ++i) {
    cef_string_t value{};
    CefApi.cef_string_list_value(list, i, &value);
    dest.push_back(CefStringTakeCleared(value));
  }
}

}  // namespace

cef_string_t CefStringView(const ustring& s) {
  cef_string_t r{};
  r.str = const_cast<char16*>(s.empty() ? kEmptyText : s.c_str());
  r.length = s.size();
  r.dtor = nullptr;
  return r;
}

ustring CefStringToUstring(const cef_string_t* p) {
  if (!p || !p->str || p->length == 0) return ustring();
  return ustring(p->str, p->length);
}

cef_string_t CefStringAllocCopy(const ustring& s) {
  cef_string_t r{};
  if (!s.empty()) CefApi.cef_string_wide_to_utf16(s.c_str(), s.size(), &r);
  return r;
}

void CefStringAssign(cef_string_t* p, const ustring& s) {
  if (!p) return;
  const cef_string_t view = CefStringView(s);
  CefApi.cef_string_utf16_set(view.str, view.length, p, 1);
}

ustring CefStringTakeCleared(cef_string_t& r) {
  // The clear must happen even if the copy cannot be made.
  const TScopeExit clear([&r] { CefApi.cef_string_utf16_clear(&r); });
  return CefStringToUstring(&r);
}

ustring CefStringTakeUserFree(cef_string_userfree_t u) {
  if (!u) return ustring();
  const TScopeExit release([u] { CefApi.cef_string_userfree_utf16_free(u); });
  return CefStringToUstring(u);
}

void CefStringListFilled(TStringList& dest, const std::function<void(cef_string_list_t)>& fill) {
  TEngineList list;
  fill(list.get());
  AppendValues(list.get(), dest);
}

TStringList CefStringListRead(cef_string_list_t list) {
  TStringList result;
  if (list) AppendValues(list, result);
  return result;
}

void CefStringListHanded(const TStringList* items,
                         const std::function<void(cef_string_list_t)>& call) {
  TEngineList list;
  if (items)
    for (const ustring& item : *items) {
      const cef_string_t view = CefStringView(item);
      CefApi.cef_string_list_append(list.get(), &view);
    }
  call(list.get());
}
