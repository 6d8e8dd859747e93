// Pictures decoded through the system's imaging component (PNG, JPEG, GIF,
// BMP) into bitmaps the page window draws. Used on the page window's
// thread, where COM is initialised.
#ifndef NIMBRA_DEVENGINE_PAGE_WIC_IMAGE_H
#define NIMBRA_DEVENGINE_PAGE_WIC_IMAGE_H

#include <windows.h>

#include <optional>
#include <string_view>

#include "winhandle.h"

namespace devengine::page {

// A top-down 32-bit bitmap with premultiplied alpha, ready for AlphaBlend.
struct DecodedImage {
  TGdiObject<HBITMAP> bitmap;
  SIZE size{};
};

// Pictures larger than this many pixels are refused rather than allocated.
constexpr long long kLargestImagePixels = 32LL * 1024 * 1024;

// The first frame of the picture in `bytes`; nullopt when it is none the
// system can read, or too large.
std::optional<DecodedImage> DecodeImage(std::string_view bytes);

}  // namespace devengine::page

#endif
