// One small RAII template for every kind of Win32 handle, each with its own
// closer, and one scope-exit helper for what is not a handle. A handle is
// never leaked on an early return.
//
// Header-only and free of the rest of the run-time library, so that the
// development engine, a DLL of its own, uses the same owners as the program.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <type_traits>
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
// GDI objects keep their own type (HFONT, HBITMAP, HBRUSH …) and share one
// closer.
template <class H = HGDIOBJ>
struct TDeleteGdiObject : TNullInvalid<H> {
  void operator()(H h) const noexcept { DeleteObject(h); }
};
using TDeleteObject = TDeleteGdiObject<HGDIOBJ>;
// A device context made by CreateDC or CreateCompatibleDC (one borrowed by
// GetDC goes back through ReleaseDC, with its window: see TScopeExit).
struct TDeleteDC : TNullInvalid<HDC> {
  void operator()(HDC h) const noexcept { DeleteDC(h); }
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
struct TInternetCloseHandle : TNullInvalid<HINTERNET> {
  void operator()(HINTERNET h) const noexcept { InternetCloseHandle(h); }
};
struct TCloseSocket {
  static SOCKET Invalid() noexcept { return INVALID_SOCKET; }
  void operator()(SOCKET s) const noexcept { closesocket(s); }
};

// A deferred positioning of windows: ending it moves them all at once.
struct TEndDeferWindowPos : TNullInvalid<HDWP> {
  void operator()(HDWP h) const noexcept { EndDeferWindowPos(h); }
};

using TKernelHandle = TUniqueHandle<HANDLE, TCloseHandle>;
using TFileHandle = TUniqueHandle<HANDLE, TCloseFile>;
using TLibraryHandle = TUniqueHandle<HMODULE, TFreeLibrary>;
using TWindowHandle = TUniqueHandle<HWND, TDestroyWindow>;
template <class H>
using TGdiObject = TUniqueHandle<H, TDeleteGdiObject<H>>;
using TGdiHandle = TGdiObject<HGDIOBJ>;
using TMemoryDcHandle = TUniqueHandle<HDC, TDeleteDC>;
using TMenuHandle = TUniqueHandle<HMENU, TDestroyMenu>;
using TRegKeyHandle = TUniqueHandle<HKEY, TRegCloseKey>;
using TGlobalHandle = TUniqueHandle<HGLOBAL, TGlobalFree>;
using TInternetHandle = TUniqueHandle<HINTERNET, TInternetCloseHandle>;
using TSocketHandle = TUniqueHandle<SOCKET, TCloseSocket>;
using TDeferWindowPosHandle = TUniqueHandle<HDWP, TEndDeferWindowPos>;

// Runs an action when the scope ends, on every path, unless dismissed: for
// undoing what no handle stands for (a selected GDI object, a borrowed device
// context, a busy flag).
template <class Action>
class TScopeExit {
 public:
  explicit TScopeExit(Action action) noexcept(std::is_nothrow_move_constructible_v<Action>)
      : FAction(std::move(action)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit() {
    if (FArmed) FAction();
  }

  void Dismiss() noexcept { FArmed = false; }

 private:
  Action FAction;
  bool FArmed = true;
};
