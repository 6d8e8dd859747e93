// A document laid out for drawing: a plain flow of blocks and lines, in
// pixels of the document (0,0 is its top left corner, before scrolling).
//
// The page window owns its FontCache and the PageLayout it last made, and
// uses both on its own thread; a layout points into the document it was
// made from, which the window keeps alive with it.
#ifndef NIMBRA_DEVENGINE_PAGE_PAGE_LAYOUT_H
#define NIMBRA_DEVENGINE_PAGE_PAGE_LAYOUT_H

#include <windows.h>

#include <compare>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html.h"
#include "winhandle.h"

namespace devengine::page {

struct FontStyle {
  int height = 16;  // pixels, character height
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool monospace = false;
  auto operator<=>(const FontStyle&) const = default;
};

// Makes each font once and measures text with it on a screen-compatible
// memory device context of its own.
class FontCache {
 public:
  FontCache();
  HFONT Font(const FontStyle& font);
  SIZE Measure(const FontStyle& font, std::wstring_view text);
  int Ascent(const FontStyle& font);

 private:
  struct Entry {
    TGdiObject<HFONT> font;
    int ascent = 0;
  };
  Entry& EntryFor(const FontStyle& font);
  void Select(const FontStyle& font);

  std::map<FontStyle, Entry> fonts_;
  // Declared after the fonts so that it goes first, and no font is deleted
  // while selected into it.
  TMemoryDcHandle dc_;
  std::optional<FontStyle> selected_;
};

struct TextRun {
  POINT origin{};  // top left
  int width = 0;
  FontStyle font;
  COLORREF color = 0;
  std::wstring text;
};

struct BoxItem {
  enum class Kind { Image, Placeholder, Frame, Rule };
  Kind kind = Kind::Placeholder;
  RECT rect{};
  const Node* element = nullptr;
  std::wstring label;  // what a placeholder shows: the image's alt text
};

struct LinkArea {
  RECT rect{};
  const Node* link = nullptr;  // the A element
};

struct PageLayout {
  std::vector<TextRun> texts;
  std::vector<BoxItem> boxes;
  std::vector<LinkArea> links;
  SIZE extent{};  // the whole document's width and height

  // The link under a point of the document, null when there is none.
  const Node* LinkAt(POINT point) const;
};

// The natural size in pixels of an element's decoded picture, if it has one.
using ImageSizeOf = std::function<std::optional<SIZE>(const Node& image)>;

// Lays `document` out `width` pixels wide with every length scaled by `scale`.
PageLayout LayOutDocument(const Document& document, int width, double scale, FontCache& fonts,
                          const ImageSizeOf& imageSize);

}  // namespace devengine::page

#endif
