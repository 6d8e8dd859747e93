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
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

PageWindow::ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}

PageWindow::PageWindow(HWND parent, DWORD style, const RECT& bounds, PageEvents events)
    : events_(std::move(events)) {
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
PageWindow::~PageWindow() { window_.reset(); }

HWND PageWindow::Handle() const { return window_.get(); }

void PageWindow::ShowDocument(std::shared_ptr<const Document> document, const std::wstring& baseUrl,
                              ResourceFetcher fetcher, bool loadImages) {
  document_ = std::move(document);
  base_url_ = document_ ? EffectiveBase(*document_, baseUrl) : baseUrl;
  showing_ = std::make_shared<Showing>(Showing{this});
  images_.clear();
  scroll_y_ = 0;
  hovered_url_.clear();
  pressed_url_.clear();
  laid_out_width_ = -1;
  Relayout();
  if (loadImages && fetcher && document_) FetchImages(fetcher);
}

void PageWindow::Clear() { ShowDocument(nullptr, {}, nullptr, false); }

double PageWindow::ZoomLevel() const { return zoom_level_; }

void PageWindow::SetZoomLevel(double level) {
  if (!std::isfinite(level) || level == zoom_level_) return;
  zoom_level_ = level;
  laid_out_width_ = -1;
  Relayout();
}

void PageWindow::FetchImages(const ResourceFetcher& fetcher) {
  std::vector<std::wstring> wanted;
  for (const Node* image : document_->ElementsByTag(L"IMG")) {
    const std::optional<std::wstring> url = ImageUrl(*image, base_url_);
    if (url && std::ranges::find(wanted, *url) == wanted.end()) wanted.push_back(*url);
  }
  const std::weak_ptr<Showing> showing = showing_;
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
  images_.insert_or_assign(url, std::move(*image));
  laid_out_width_ = -1;
  Relayout();
}

int PageWindow::ClientWidth() const {
  RECT client{};
  if (window_) GetClientRect(window_.get(), &client);
  return client.right;
}

int PageWindow::ClientHeight() const {
  RECT client{};
  if (window_) GetClientRect(window_.get(), &client);
  return client.bottom;
}

void PageWindow::Relayout() {
  const int width = ClientWidth();
  if (width != laid_out_width_) {
    laid_out_width_ = width;
    layout_ = {};
    if (document_) {
      const double scale =
          std::clamp(std::pow(kZoomStep, zoom_level_), kSmallestScale, kLargestScale);
      const ImageSizeOf imageSize = [this](const Node& image) -> std::optional<SIZE> {
        const std::optional<std::wstring> url = ImageUrl(image, base_url_);
        const auto found = url ? images_.find(*url) : images_.end();
        if (found == images_.end()) return std::nullopt;
        return found->second.size;
      };
      layout_ = LayOutDocument(*document_, width, scale, fonts_, imageSize);
    }
  }
  UpdateScrollBar();
  if (window_) InvalidateRect(window_.get(), nullptr, FALSE);
}

void PageWindow::UpdateScrollBar() {
  if (!window_) return;
  const int page = ClientHeight();
  scroll_y_ = std::clamp(scroll_y_, 0, std::max(0, static_cast<int>(layout_.extent.cy) - page));
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, static_cast<int>(layout_.extent.cy) - 1);
  info.nPage = static_cast<UINT>(std::max(page, 0));
  info.nPos = scroll_y_;
  SetScrollInfo(window_.get(), SB_VERT, &info, TRUE);
}

void PageWindow::ScrollTo(int position) {
  const int previous = scroll_y_;
  scroll_y_ = position;
  UpdateScrollBar();
  if (scroll_y_ != previous) InvalidateRect(window_.get(), nullptr, FALSE);
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
  OffsetRect(&visible, 0, scroll_y_);
  for (const TextRun& run : layout_.texts) {
    const RECT rect{run.origin.x, run.origin.y, run.origin.x + run.width,
                    run.origin.y + run.font.height * 2};
    RECT overlap;
    if (!IntersectRect(&overlap, &rect, &visible)) continue;
    const auto font = Selected(dc.get(), fonts_.Font(run.font));
    SetTextColor(dc.get(), run.color);
    TextOutW(dc.get(), run.origin.x, run.origin.y - scroll_y_, run.text.c_str(),
             static_cast<int>(run.text.size()));
  }
  for (const BoxItem& box : layout_.boxes) {
    RECT overlap;
    if (!IntersectRect(&overlap, &box.rect, &visible)) continue;
    RECT rect = box.rect;
    OffsetRect(&rect, 0, -scroll_y_);
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
    const std::optional<std::wstring> url = ImageUrl(*box.element, base_url_);
    const auto found = url ? images_.find(*url) : images_.end();
    if (found == images_.end()) return;
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
  const auto font = Selected(dc, fonts_.Font(FontStyle{}));
  DrawTextW(dc, box.label.c_str(), static_cast<int>(box.label.size()), &inner,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// The absolute address of the link under a point of the window, "" when
// none is there or its address is no URL.
std::wstring PageWindow::LinkUrlAt(POINT clientPoint) const {
  const Node* link = layout_.LinkAt({clientPoint.x, clientPoint.y + scroll_y_});
  if (link == nullptr) return {};
  return ResolveUrl(base_url_, *link->Attribute(L"href")).value_or(std::wstring());
}

void PageWindow::PointerMoved(POINT clientPoint) {
  if (!tracking_leave_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_.get(), 0};
    tracking_leave_ = TrackMouseEvent(&track) != FALSE;
  }
  std::wstring url = LinkUrlAt(clientPoint);
  if (url == hovered_url_) return;
  hovered_url_ = std::move(url);
  if (events_.hoverLink) events_.hoverLink(hovered_url_);
}

void PageWindow::PointerLeft() {
  tracking_leave_ = false;
  pressed_url_.clear();
  if (hovered_url_.empty()) return;
  hovered_url_.clear();
  if (events_.hoverLink) events_.hoverLink(hovered_url_);
}

void PageWindow::KeyPressed(WPARAM key) {
  const int page = std::max(kLineScroll, ClientHeight() - kLineScroll);
  switch (key) {
    case VK_UP:
      ScrollTo(scroll_y_ - kLineScroll);
      break;
    case VK_DOWN:
      ScrollTo(scroll_y_ + kLineScroll);
      break;
    case VK_PRIOR:
      ScrollTo(scroll_y_ - page);
      break;
    case VK_NEXT:
    case VK_SPACE:
      ScrollTo(scroll_y_ + page);
      break;
    case VK_HOME:
      ScrollTo(0);
      break;
    case VK_END:
      ScrollTo(layout_.extent.cy);
      break;
    default:
      break;
  }
}

void PageWindow::TakeFocus() {
  if (GetFocus() != window_.get()) SetFocus(window_.get());
}

LRESULT CALLBACK PageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<PageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_.release();
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
      const HDC dc = BeginPaint(window_.get(), &paint);
      const TScopeExit endPaint([&] { EndPaint(window_.get(), &paint); });
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
      GetScrollInfo(window_.get(), SB_VERT, &info);
      const int page = static_cast<int>(info.nPage);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          ScrollTo(scroll_y_ - kLineScroll);
          break;
        case SB_LINEDOWN:
          ScrollTo(scroll_y_ + kLineScroll);
          break;
        case SB_PAGEUP:
          ScrollTo(scroll_y_ - page);
          break;
        case SB_PAGEDOWN:
          ScrollTo(scroll_y_ + page);
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
      ScrollTo(scroll_y_ - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * kLineScroll / WHEEL_DELTA);
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
        SetCursor(LoadCursorW(nullptr, hovered_url_.empty() ? IDC_ARROW : IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      TakeFocus();
      pressed_url_ = LinkUrlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP: {
      const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const std::wstring url = std::exchange(pressed_url_, std::wstring());
      const Node* link = layout_.LinkAt({point.x, point.y + scroll_y_});
      if (url.empty() || link == nullptr || LinkUrlAt(point) != url) return 0;
      const std::wstring* target = link->Attribute(L"target");
      if (events_.clickLink) events_.clickLink(url, target ? *target : std::wstring());
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      TakeFocus();
      return 0;
    case WM_SETFOCUS:
      // The browser control posts this to hand the focus on; a posted one
      // does not move it, so the window takes it, and reports the real one.
      if (GetFocus() != window_.get() && !taking_focus_) {
        taking_focus_ = true;
        SetFocus(window_.get());
        taking_focus_ = false;
      } else if (events_.gotFocus) {
        events_.gotFocus();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_.get(), message, wParam, lParam);
}

}  // namespace devengine::page
