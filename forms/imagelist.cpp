#include "imagelist.h"

#include <vector>

#include "sysutils.h"

TImageList::TImageList(int width, int height)
    : FWidth(width), FHeight(height), FHandle(ImageList_Create(width, height, ILC_COLOR32, 0, 8)) {
  if (!FHandle) RaiseLastOSError();
}

void TImageList::AddFromResource(const wchar_t* name) {
  // A DIB section keeps the glyphs' alpha channel.
  TGdiHandle bitmap(
      LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) {
    const DWORD code = GetLastError();
    throw EOSError(code ? code : ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  Add(static_cast<HBITMAP>(bitmap.get()));
}

void TImageList::Add(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    throw Exception(L"The glyphs are no bitmap");
  if (info.bmHeight != FHeight || info.bmWidth < FWidth || info.bmWidth % FWidth != 0)
    throw Exception(L"The glyphs' bitmap does not hold whole glyphs of the list's size");
  // The list copies the pixels; the bitmap stays the caller's.
  if (ImageList_Add(FHandle.get(), bitmap, nullptr) < 0) RaiseLastOSError();
}

int TImageList::Count() const { return ImageList_GetImageCount(FHandle.get()); }

TUniqueHandle<HICON, TDestroyIconCloser> TImageList::Icon(int index) const {
  using TIcon = TUniqueHandle<HICON, TDestroyIconCloser>;
  if (index < 0 || index >= Count()) return {};
  TIcon icon(ImageList_GetIcon(FHandle.get(), index, ILD_TRANSPARENT));
  if (!icon) return {};
  // The icon's mask follows the glyph's alpha, so that whoever draws it
  // without its alpha (a disabled button greys the mask's shape) still sees
  // the glyph's outline rather than a square.
  ICONINFO info{};
  if (!GetIconInfo(icon.get(), &info)) return icon;
  TGdiHandle color(info.hbmColor);
  TGdiHandle oldMask(info.hbmMask);
  if (!color) return icon;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = FWidth;
  format.bmiHeader.biHeight = -FHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight));
  const HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, static_cast<HBITMAP>(color.get()), 0,
                              static_cast<UINT>(FHeight), pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines != FHeight) return icon;
  // One bit a pixel, rows padded to 16 bits; a set bit is see-through.
  const int stride = ((FWidth + 15) / 16) * 2;
  std::vector<BYTE> maskBits(static_cast<size_t>(stride) * static_cast<size_t>(FHeight), 0);
  bool anyAlpha = false;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      const DWORD alpha = pixels[static_cast<size_t>(y * FWidth + x)] >> 24;
      anyAlpha |= alpha != 0;
      if (alpha < 128) maskBits[static_cast<size_t>(y * stride + x / 8)] |= 0x80 >> (x % 8);
    }
  if (!anyAlpha) return icon;  // a glyph without alpha keeps the list's own mask
  TGdiHandle mask(CreateBitmap(FWidth, FHeight, 1, 1, maskBits.data()));
  if (!mask) return icon;
  ICONINFO made{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(color.get())};
  TIcon result(CreateIconIndirect(&made));
  return result ? std::move(result) : std::move(icon);
}
