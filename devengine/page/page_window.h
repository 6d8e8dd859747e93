// The engine window of one browser: shows a laid-out document, scrolls it,
// zooms it, and tells its owner about the links under the pointer.
//
// The browser core creates one per browser and owns it; everything about
// it, the events included, happens on the thread that created it (the
// engine's user-interface thread). The window may be destroyed from
// outside (its parent going away) before the object is: the object then
// stays harmless and Handle() answers null.
#ifndef NIMBRA_DEVENGINE_PAGE_PAGE_WINDOW_H
#define NIMBRA_DEVENGINE_PAGE_PAGE_WINDOW_H

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "html.h"
#include "page_layout.h"
#include "winhandle.h"
#include "wic_image.h"

namespace devengine::page {

struct PageEvents {
  std::function<void(const std::wstring& absoluteUrl)> hoverLink;  // "" when the pointer leaves
  std::function<void(const std::wstring& absoluteUrl, const std::wstring& target)> clickLink;
  std::function<void()> gotFocus;
};

// Fetches a sub-resource (image); the engine calls `deliver` later on the UI
// thread with the bytes (empty on failure).
using ResourceFetcher = std::function<void(const std::wstring& absoluteUrl,
                                           std::function<void(std::string bytes)> deliver)>;

class PageWindow {
 public:
  // A child window of `parent` with `style` at `bounds`; a top-level window
  // when parent is null.
  PageWindow(HWND parent, DWORD style, const RECT& bounds, PageEvents events);
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;
  ~PageWindow();  // destroys the window if it still exists

  HWND Handle() const;
  void ShowDocument(std::shared_ptr<const Document> document, const std::wstring& baseUrl,
                    ResourceFetcher fetcher, bool loadImages);
  void Clear();  // blank page
  double ZoomLevel() const;
  // 0 is the normal size; each level scales by 1.2^level. Any finite level
  // is kept; the scale drawn with stays between a quarter and five times.
  void SetZoomLevel(double level);

 private:
  // Keeps COM initialised (apartment-threaded) on the window's thread for
  // the imaging component, undone only when this call did it.
  class ComApartment {
   public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

   private:
    bool initialised_;
  };

  // What one ShowDocument started; image deliveries for an older one find
  // it expired and are dropped.
  struct Showing {
    PageWindow* window;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void FetchImages(const ResourceFetcher& fetcher);
  void ImageArrived(const std::wstring& url, const std::string& bytes);
  void Relayout();
  void UpdateScrollBar();
  void ScrollTo(int position);
  int ClientWidth() const;
  int ClientHeight() const;
  void Paint(HDC target, const RECT& area);
  void DrawBox(HDC dc, const BoxItem& box, const RECT& rect);
  std::wstring LinkUrlAt(POINT clientPoint) const;
  void PointerMoved(POINT clientPoint);
  void PointerLeft();
  void KeyPressed(WPARAM key);
  void TakeFocus();

  ComApartment com_;
  PageEvents events_;
  TWindowHandle window_;
  std::shared_ptr<const Document> document_;
  std::wstring base_url_;
  std::shared_ptr<Showing> showing_;
  std::map<std::wstring, DecodedImage> images_;  // by absolute URL
  FontCache fonts_;
  PageLayout layout_;
  int laid_out_width_ = -1;
  int scroll_y_ = 0;
  double zoom_level_ = 0;
  std::wstring hovered_url_;
  std::wstring pressed_url_;
  bool tracking_leave_ = false;
  bool taking_focus_ = false;
};

}  // namespace devengine::page

#endif
