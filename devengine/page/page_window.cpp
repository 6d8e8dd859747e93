#include "page_window.h"

#include <objbase.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "trace.h"
#include "url.h"

namespace devengine::page {
namespace {

constexpr wchar_t kWindowClass[] = L"NimbraDevEnginePage";
constexpr double kZoomStep = 1.2;
constexpr double kSmallestScale = 0.25;
constexpr double kLargestScale = 5.0;
constexpr int kLineScroll = 40;
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kFrameColor = RGB(160, 160, 160);
constexpr COLORREF kPlaceholderText = RGB(96, 96, 96);

// The module this code is linked into, whose instance the window class
// belongs to.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// Selects `object` into `dc` until the answer goes out of scope.
auto Selected(HDC dc, HGDIOBJ object) {
  return TScopeExit([dc, previous = SelectObject(dc, object)] { SelectObject(dc, previous); });
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, kWindowClass, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
}

// The address of the document's BASE element, if it gives one; the page's
// own otherwise.
std::wstring EffectiveBase(const Document& document, const std::wstring& pageUrl) {
  const std::vector<const Node*> bases = document.ElementsByTag(L"BASE");
  for (const Node* base : bases) {
    if (const std::wstring* href = base->Attribute(L"href")) {
      return ResolveUrl(pageUrl, *href).value_or(pageUrl);
    }
  }
  return pageUrl;
}

std::optional<std::wstring> ImageUrl(const Node& image, const std::wstring& base) {
  const std::wstring* source = image.Attribute(L"src");
  if (source == nullptr || source->empty()) return std::nullopt;
  return ResolveUrl(base, *source);
}

}  // namespace

PageWindow::ComApartment::ComApartment()
    : FInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

PageWindow::ComApartment::~ComApartment() {
  if (FInitialised) CoUninitialize();
}

PageWindow::PageWindow(HWND parent, DWORD style, const RECT& bounds, PageEvents events)
    : FEvents(std::move(events)) {
  const HINSTANCE instance = ThisModule();
  RegisterWindowClass(instance, &WindowProc);
  // The vertical scroll bar stays, disabled when the page fits, so that the
  // width to lay out for never changes with the page's height.
  DWORD windowStyle = style | WS_VSCROLL | WS_CLIPCHILDREN;
  if (parent != nullptr) windowStyle = (windowStyle | WS_CHILD) & ~WS_POPUP;
  CreateWindowExW(0, kWindowClass, L"", windowStyle, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr, instance,
                  this);
  Relayout();
}

// The window goes first, while everything its last messages use is alive.
PageWindow::~PageWindow() { FWindow.reset(); }

HWND PageWindow::Handle() const { return FWindow.get(); }

void PageWindow::ShowDocument(std::shared_ptr<const Document> document, const std::wstring& baseUrl,
                              ResourceFetcher fetcher, bool loadImages) {
  FDocument = std::move(document);
  FBaseUrl = FDocument ? EffectiveBase(*FDocument, baseUrl) : baseUrl;
  FShowing = std::make_shared<Showing>(Showing{this});
  FImages.clear();
  FScrollY = 0;
  FHoveredUrl.clear();
  FPressedUrl.clear();
  FLaidOutWidth = -1;
  Relayout();
  if (loadImages && fetcher && FDocument) FetchImages(fetcher);
}

void PageWindow::Clear() { ShowDocument(nullptr, {}, nullptr, false); }

double PageWindow::ZoomLevel() const { return FZoomLevel; }

void PageWindow::SetZoomLevel(double level) {
  if (!std::isfinite(level) || level == FZoomLevel) return;
  FZoomLevel = level;
  FLaidOutWidth = -1;
  Relayout();
}

void PageWindow::FetchImages(const ResourceFetcher& fetcher) {
  std::vector<std::wstring> wanted;
  for (const Node* image : FDocument->ElementsByTag(L"IMG")) {
    const std::optional<std::wstring> url = ImageUrl(*image, FBaseUrl);
    if (url && std::ranges::find(wanted, *url) == wanted.end()) wanted.push_back(*url);
  }
  const std::weak_ptr<Showing> showing = FShowing;
  for (const std::wstring& url : wanted) {
    fetcher(url, [showing, url](std::string bytes) {
      if (const std::shared_ptr<Showing> current = showing.lock()) {
        current->window->ImageArrived(url, bytes);
      }
    });
  }
}

void PageWindow::ImageArrived(const std::wstring& url, const std::string& bytes) {
  std::optional<DecodedImage> image = DecodeImage(bytes);
  if (!image) return;
  FImages.insert_or_assign(url, std::move(*image));
  FLaidOutWidth = -1;
  Relayout();
}

int PageWindow::ClientWidth() const {
  RECT client{};
  if (FWindow) GetClientRect(FWindow.get(), &client);
  return client.right;
}

int PageWindow::ClientHeight() const {
  RECT client{};
  if (FWindow) GetClientRect(FWindow.get(), &client);
  return client.bottom;
}

void PageWindow::Relayout() {
  const int width = ClientWidth();
  if (width != FLaidOutWidth) {
    FLaidOutWidth = width;
    FLayout = {};
    if (FDocument) {
      const double scale =
          std::clamp(std::pow(kZoomStep, FZoomLevel), kSmallestScale, kLargestScale);
      const ImageSizeOf imageSize = [this](const Node& image) -> std::optional<SIZE> {
        const std::optional<std::wstring> url = ImageUrl(image, FBaseUrl);
        const auto found = url ? FImages.find(*url) : FImages.end();
        if (found == FImages.end()) return std::nullopt;
        return found->second.size;
      };
      FLayout = LayOutDocument(*FDocument, width, scale, FFonts, imageSize);
    }
  }
  UpdateScrollBar();
  if (FWindow) InvalidateRect(FWindow.get(), nullptr, FALSE);
}

void PageWindow::UpdateScrollBar() {
  if (!FWindow) return;
  const int page = ClientHeight();
  FScrollY = std::clamp(FScrollY, 0, std::max(0, static_cast<int>(FLayout.extent.cy) - page));
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, static_cast<int>(FLayout.extent.cy) - 1);
  info.nPage = static_cast<UINT>(std::max(page, 0));
  info.nPos = FScrollY;
  SetScrollInfo(FWindow.get(), SB_VERT, &info, TRUE);
}

void PageWindow::ScrollTo(int position) {
  const int previous = FScrollY;
  FScrollY = position;
  UpdateScrollBar();
  if (FScrollY != previous) InvalidateRect(FWindow.get(), nullptr, FALSE);
}

void PageWindow::Paint(HDC target, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  // Drawn off screen and copied in one step, so the page never flickers.
  const TMemoryDcHandle dc(CreateCompatibleDC(target));
  const TGdiObject<HBITMAP> canvas(CreateCompatibleBitmap(target, width, height));
  if (!dc || !canvas) return;
  const auto selectedCanvas = Selected(dc.get(), canvas.get());
  SetViewportOrgEx(dc.get(), -area.left, -area.top, nullptr);
  const TGdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
  FillRect(dc.get(), &area, background.get());
  SetBkMode(dc.get(), TRANSPARENT);

  RECT visible = area;
  OffsetRect(&visible, 0, FScrollY);
  for (const TextRun& run : FLayout.texts) {
    const RECT rect{run.origin.x, run.origin.y, run.origin.x + run.width,
                    run.origin.y + run.font.height * 2};
    RECT overlap;
    if (!IntersectRect(&overlap, &rect, &visible)) continue;
    const auto font = Selected(dc.get(), FFonts.Font(run.font));
    SetTextColor(dc.get(), run.color);
    TextOutW(dc.get(), run.origin.x, run.origin.y - FScrollY, run.text.c_str(),
             static_cast<int>(run.text.size()));
  }
  for (const BoxItem& box : FLayout.boxes) {
    RECT overlap;
    if (!IntersectRect(&overlap, &box.rect, &visible)) continue;
    RECT rect = box.rect;
    OffsetRect(&rect, 0, -FScrollY);
    DrawBox(dc.get(), box, rect);
  }
  BitBlt(target, area.left, area.top, width, height, dc.get(), area.left, area.top, SRCCOPY);
}

void PageWindow::DrawBox(HDC dc, const BoxItem& box, const RECT& rect) {
  const TGdiObject<HBRUSH> frame(CreateSolidBrush(kFrameColor));
  if (box.kind == BoxItem::Kind::Rule) {
    FillRect(dc, &rect, frame.get());
    return;
  }
  if (box.kind == BoxItem::Kind::Image) {
    const std::optional<std::wstring> url = ImageUrl(*box.element, FBaseUrl);
    const auto found = url ? FImages.find(*url) : FImages.end();
    if (found == FImages.end()) return;
    const TMemoryDcHandle source(CreateCompatibleDC(dc));
    const auto picture = Selected(source.get(), found->second.bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetStretchBltMode(dc, HALFTONE);
    AlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               source.get(), 0, 0, found->second.size.cx, found->second.size.cy, blend);
    return;
  }
  FrameRect(dc, &rect, frame.get());
  if (box.label.empty()) return;
  RECT inner = rect;
  InflateRect(&inner, -4, -4);
  SetTextColor(dc, kPlaceholderText);
  const auto font = Selected(dc, FFonts.Font(FontStyle{}));
  DrawTextW(dc, box.label.c_str(), static_cast<int>(box.label.size()), &inner,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// The absolute address of the link under a point of the window, "" when
// none is there or its address is no URL.
std::wstring PageWindow::LinkUrlAt(POINT clientPoint) const {
  const Node* link = FLayout.LinkAt({clientPoint.x, clientPoint.y + FScrollY});
  if (link == nullptr) return {};
  return ResolveUrl(FBaseUrl, *link->Attribute(L"href")).value_or(std::wstring());
}

void PageWindow::PointerMoved(POINT clientPoint) {
  if (!FTrackingLeave) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, FWindow.get(), 0};
    FTrackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  std::wstring url = LinkUrlAt(clientPoint);
  if (url == FHoveredUrl) return;
  FHoveredUrl = std::move(url);
  if (FEvents.hoverLink) FEvents.hoverLink(FHoveredUrl);
}

void PageWindow::PointerLeft() {
  FTrackingLeave = false;
  FPressedUrl.clear();
  if (FHoveredUrl.empty()) return;
  FHoveredUrl.clear();
  if (FEvents.hoverLink) FEvents.hoverLink(FHoveredUrl);
}

void PageWindow::KeyPressed(WPARAM key) {
  const int page = std::max(kLineScroll, ClientHeight() - kLineScroll);
  switch (key) {
    case VK_UP:
      ScrollTo(FScrollY - kLineScroll);
      break;
    case VK_DOWN:
      ScrollTo(FScrollY + kLineScroll);
      break;
    case VK_PRIOR:
      ScrollTo(FScrollY - page);
      break;
    case VK_NEXT:
    case VK_SPACE:
      ScrollTo(FScrollY + page);
      break;
    case VK_HOME:
      ScrollTo(0);
      break;
    case VK_END:
      ScrollTo(FLayout.extent.cy);
      break;
    default:
      break;
  }
}

void PageWindow::TakeFocus() {
  if (GetFocus() != FWindow.get()) SetFocus(FWindow.get());
}

LRESULT CALLBACK PageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<PageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FWindow.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FWindow.release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // No exception may unwind into the system's frames: a message that fails
  // is reported as every engine failure is, and gets the default handling.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportCaughtFailure("page window");
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT PageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(FWindow.get(), &paint);
      const TScopeExit endPaint([&] { EndPaint(FWindow.get(), &paint); });
      Paint(dc, paint.rcPaint);
      return 0;
    }
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_ALL;
      GetScrollInfo(FWindow.get(), SB_VERT, &info);
      const int page = static_cast<int>(info.nPage);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          ScrollTo(FScrollY - kLineScroll);
          break;
        case SB_LINEDOWN:
          ScrollTo(FScrollY + kLineScroll);
          break;
        case SB_PAGEUP:
          ScrollTo(FScrollY - page);
          break;
        case SB_PAGEDOWN:
          ScrollTo(FScrollY + page);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollTo(info.nTrackPos);
          break;
        case SB_TOP:
          ScrollTo(0);
          break;
        case SB_BOTTOM:
          ScrollTo(info.nMax);
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(FScrollY - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * kLineScroll / WHEEL_DELTA);
      return 0;
    case WM_KEYDOWN:
      KeyPressed(wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_MOUSEMOVE:
      PointerMoved({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      PointerLeft();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, FHoveredUrl.empty() ? IDC_ARROW : IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      TakeFocus();
      FPressedUrl = LinkUrlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const std::wstring url = std::exchange(FPressedUrl, std::wstring());
      const Node* link = FLayout.LinkAt({point.x, point.y + FScrollY});
      if (url.empty() || link == nullptr || LinkUrlAt(point) != url) return 0;
      const std::wstring* target = link->Attribute(L"target");
      if (FEvents.clickLink) FEvents.clickLink(url, target ? *target : std::wstring());
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      TakeFocus();
      return 0;
    case WM_SETFOCUS:
      // The browser control posts this to hand the focus on; a posted one
      // does not move it, so the window takes it, and reports the real one.
      if (GetFocus() != FWindow.get() && !FTakingFocus) {
        FTakingFocus = true;
        SetFocus(FWindow.get());
        FTakingFocus = false;
      } else if (FEvents.gotFocus) {
        FEvents.gotFocus();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(FWindow.get(), message, wParam, lParam);
}

}  // namespace devengine::page
