// An image list of equal-sized glyphs with alpha (comctl32).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "winhandle.h"

struct TDestroyIconCloser : TNullInvalid<HICON> {
  void operator()(HICON h) const noexcept { DestroyIcon(h); }
};
struct TImageListDestroy : TNullInvalid<HIMAGELIST> {
  void operator()(HIMAGELIST h) const noexcept { ImageList_Destroy(h); }
};

class TImageList {
 public:
  TImageList(int width, int height);
  // Appends the glyphs of a 32-bit bitmap resource that holds them side by
  // side; raises EOSError when it cannot be loaded.
  void AddFromResource(const wchar_t* name);
  // Appends the glyphs of a 32-bit bitmap that holds them side by side; the
  // bitmap stays the caller's.
  void Add(HBITMAP bitmap);
  int Count() const;
  int Width() const noexcept { return FWidth; }
  int Height() const noexcept { return FHeight; }
  HIMAGELIST Handle() const noexcept { return FHandle.get(); }
  // A new icon of the glyph at `index` (null when out of range).
  TUniqueHandle<HICON, TDestroyIconCloser> Icon(int index) const;

 private:
  int FWidth;
  int FHeight;
  TUniqueHandle<HIMAGELIST, TImageListDestroy> FHandle;
};
