// One small RAII template for every kind of Win32 handle, each with its own
// closer. A handle is never leaked on an early return.
#pragma once

#include <windows.h>

#include <utility>

// Closer: a callable that closes a handle; its static Invalid() names the
// value that means "no handle".
template <class H, class Closer>
class TUniqueHandle {
  static H Invalid() noexcept { return Closer::Invalid(); }

 public:
  TUniqueHandle() noexcept = default;
  explicit TUniqueHandle(H h) noexcept : FHandle(h) {}
  TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  ~TUniqueHandle() { reset(); }

  H get() const noexcept { return FHandle; }
  H release() noexcept { return std::exchange(FHandle, Invalid()); }
  void reset(H h = Invalid()) noexcept {
    if (FHandle != Invalid()) Closer{}(FHandle);
    FHandle = h;
  }
  explicit operator bool() const noexcept { return FHandle != Invalid(); }

 private:
  H FHandle = Invalid();
};

// Most handles use null for "none".
template <class H>
struct TNullInvalid {
  static H Invalid() noexcept { return H{}; }
};

struct TCloseHandle : TNullInvalid<HANDLE> {
  void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
struct TCloseFile {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
struct TFreeLibrary : TNullInvalid<HMODULE> {
  void operator()(HMODULE h) const noexcept { FreeLibrary(h); }
};
struct TDestroyWindow : TNullInvalid<HWND> {
  void operator()(HWND h) const noexcept { DestroyWindow(h); }
};
struct TDeleteObject : TNullInvalid<HGDIOBJ> {
  void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
struct TDestroyMenu : TNullInvalid<HMENU> {
  void operator()(HMENU h) const noexcept { DestroyMenu(h); }
};
struct TRegCloseKey : TNullInvalid<HKEY> {
  void operator()(HKEY h) const noexcept { RegCloseKey(h); }
};
struct TGlobalFree : TNullInvalid<HGLOBAL> {
  void operator()(HGLOBAL h) const noexcept { GlobalFree(h); }
};

// A deferred positioning of windows: ending it moves them all at once.
struct TEndDeferWindowPos : TNullInvalid<HDWP> {
  void operator()(HDWP h) const noexcept { EndDeferWindowPos(h); }
};

using TKernelHandle = TUniqueHandle<HANDLE, TCloseHandle>;
using TFileHandle = TUniqueHandle<HANDLE, TCloseFile>;
using TLibraryHandle = TUniqueHandle<HMODULE, TFreeLibrary>;
using TWindowHandle = TUniqueHandle<HWND, TDestroyWindow>;
using TGdiHandle = TUniqueHandle<HGDIOBJ, TDeleteObject>;
using TMenuHandle = TUniqueHandle<HMENU, TDestroyMenu>;
using TRegKeyHandle = TUniqueHandle<HKEY, TRegCloseKey>;
using TGlobalHandle = TUniqueHandle<HGLOBAL, TGlobalFree>;
using TDeferWindowPosHandle = TUniqueHandle<HDWP, TEndDeferWindowPos>;
