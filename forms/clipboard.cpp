#include "clipboard.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "application.h"
#include "sysutils.h"

namespace {

// The clipboard open for this thread, closed on every path. Another program
// may hold it for a moment, so opening is retried briefly.
class TOpenClipboard {
 public:
  explicit TOpenClipboard(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (OpenClipboard(owner)) {
        FOpen = true;
        return;
      }
      Sleep(10);
    }
  }
  ~TOpenClipboard() {
    if (FOpen) CloseClipboard();
  }
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;
  bool IsOpen() const noexcept { return FOpen; }

 private:
  bool FOpen = false;
};

// A global memory block's contents, unlocked on every path.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL memory) : FMemory(memory), FData(GlobalLock(memory)) {}
  ~TGlobalLock() {
    if (FData) GlobalUnlock(FMemory);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  void* Data() const noexcept { return FData; }

 private:
  HGLOBAL FMemory;
  void* FData;
};

// Setting data needs an owner window: the application's.
HWND ClipboardOwner() {
  const HWND owner = Application.Handle();
  if (!owner) throw Exception(L"The clipboard needs the application's window (Initialize)");
  return owner;
}

TGlobalHandle CopyToGlobal(const void* data, size_t size) {
  TGlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) RaiseLastOSError();
  TGlobalLock lock(memory.get());
  if (!lock.Data()) RaiseLastOSError();
  std::memcpy(lock.Data(), data, size);
  return memory;
}

// Hands `memory` to the clipboard, which owns it once that succeeded.
void PutOnClipboard(UINT format, TGlobalHandle memory) {
  if (!SetClipboardData(format, memory.get())) RaiseLastOSError();
  memory.release();
}

// The bitmap as a packed device-independent bitmap of 32 bits a pixel.
std::vector<unsigned char> PackedDib(HBITMAP bitmap, int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  std::vector<unsigned char> packed(sizeof header + header.biSizeImage);
  std::memcpy(packed.data(), &header, sizeof header);
  const HDC screen = GetDC(nullptr);
  const int lines =
      GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), packed.data() + sizeof header,
                reinterpret_cast<BITMAPINFO*>(packed.data()), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines != height) throw Exception(L"The picture's pixels cannot be read");
  return packed;
}

}  // namespace

void TClipboard::SetAsText(const std::wstring& text) {
  const HWND owner = ClipboardOwner();
  TGlobalHandle memory = CopyToGlobal(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  TOpenClipboard clipboard(owner);
  if (!clipboard.IsOpen()) RaiseLastOSError();
  if (!EmptyClipboard()) RaiseLastOSError();
  PutOnClipboard(CF_UNICODETEXT, std::move(memory));
}

std::wstring TClipboard::AsText() const {
  TOpenClipboard clipboard(Application.Handle());
  if (!clipboard.IsOpen()) return std::wstring();
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::wstring();
  TGlobalLock lock(data);
  if (!lock.Data()) return std::wstring();
  // The block may be larger than its text, and nothing promises its NUL.
  const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(lock.Data());
  return std::wstring(text, wcsnlen(text, capacity));
}

void TClipboard::Assign(const TPicture& picture) {
  const HWND owner = ClipboardOwner();
  TGlobalHandle dib;
  TGdiHandle copy;
  if (!picture.Empty()) {
    const std::vector<unsigned char> packed =
        PackedDib(picture.Bitmap(), picture.Width(), picture.Height());
    dib = CopyToGlobal(packed.data(), packed.size());
    copy.reset(CopyImage(picture.Bitmap(), IMAGE_BITMAP, 0, 0, 0));
    if (!copy) RaiseLastOSError();
  }
  TOpenClipboard clipboard(owner);
  if (!clipboard.IsOpen()) RaiseLastOSError();
  if (!EmptyClipboard()) RaiseLastOSError();
  if (picture.Empty()) return;
  PutOnClipboard(CF_DIB, std::move(dib));
  if (!SetClipboardData(CF_BITMAP, copy.get())) RaiseLastOSError();
  copy.release();  // the clipboard's now
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format); }

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}
