#include "wic_image.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <climits>

namespace devengine::page {

using Microsoft::WRL::ComPtr;

std::optional<DecodedImage> DecodeImage(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > UINT_MAX) return std::nullopt;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> converted;
  // WIC reads the bytes in place and does not write to them.
  auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  const bool read =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size()))) &&
      SUCCEEDED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                 WICDecodeMetadataCacheOnDemand, &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) &&
      SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &converted));
  UINT width = 0;
  UINT height = 0;
  if (!read || FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0 ||
      static_cast<long long>(width) * height > kLargestImagePixels) {
    return std::nullopt;
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC writes rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  DecodedImage image;
  image.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!image.bitmap || bits == nullptr) return std::nullopt;
  const UINT stride = width * 4;
  if (FAILED(converted->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    return std::nullopt;
  }
  GdiFlush();
  image.size = {static_cast<LONG>(width), static_cast<LONG>(height)};
  return image;
}

}  // namespace devengine::page
