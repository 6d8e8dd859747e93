// A bare C client of the engine, written as a C program writes one: static
// records sharing one reference count, no binding. Benchmarks measure the
// browser control and the whole program against it. One client per process;
// its records live as long as the process.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "cef_api.h"

inline LONG BareReferences = 0;
inline std::chrono::steady_clock::time_point BareLoadEnd;
inline bool BareLoaded = false;

inline int CEF_CALLBACK BareAddRef(cef_base_t*) { return InterlockedIncrement(&BareReferences); }
inline int CEF_CALLBACK BareRelease(cef_base_t*) { return InterlockedDecrement(&BareReferences); }
inline int CEF_CALLBACK BareRefCount(cef_base_t*) { return BareReferences; }

// A C string record borrowing `text`, as a C program writes it.
inline cef_string_t Borrowed(const std::wstring& text) {
  return {const_cast<char16*>(text.c_str()), text.size(), nullptr};
}

template <class Record>
void Release(Record* record) {
  if (record) record->base.release(&record->base);
}
template <class Record>
Record* Retained(Record* record) {
  record->base.add_ref(&record->base);
  return record;
}

template <class Record>
void InitBareRecord(Record& record) {
  record.base.size = sizeof record;
  record.base.add_ref = BareAddRef;
  record.base.release = BareRelease;
  record.base.get_refct = BareRefCount;
}

// Notes when and that the main frame's load ended.
inline void CEF_CALLBACK BareLoadEndEntry(cef_load_handler_t*, cef_browser_t* browser,
                                          cef_frame_t* frame, int) {
  if (frame && frame->is_main(frame)) {
    BareLoadEnd = std::chrono::steady_clock::now();
    BareLoaded = true;
  }
  Release(frame);
  Release(browser);
}

inline cef_load_handler_t BareLoadHandler;
inline cef_client_t BareClient;

inline cef_load_handler_t* CEF_CALLBACK BareGetLoadHandler(cef_client_t*) {
  return Retained(&BareLoadHandler);
}

// The client with its load handler; a benchmark may give it more handlers.
inline void InitBareClient() {
  InitBareRecord(BareLoadHandler);
  BareLoadHandler.on_load_end = BareLoadEndEntry;
  InitBareRecord(BareClient);
  BareClient.get_load_handler = BareGetLoadHandler;
}

// A browser of the bare client in a child window of `parent`, loading `url`
// at once unless it is empty; null when the engine makes none.
inline cef_browser_t* CreateBareBrowser(HWND parent, int width, int height,
                                        const std::wstring& url) {
  cef_window_info_t window{};
  window.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP;
  window.width = width;
  window.height = height;
  window.parent_window = parent;
  cef_browser_settings_t settings{};
  settings.size = sizeof settings;
  const cef_string_t address = Borrowed(url);
  return CefApi.cef_browser_host_create_browser_sync(&window, Retained(&BareClient), &address,
                                                     &settings);
}
