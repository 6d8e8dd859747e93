// A plain flow layout: blocks stacked down the page, inline content broken
// into lines at spaces, items of a line standing on a common baseline.
#include "page_layout.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "element_kinds.h"

namespace devengine::page {

FontCache::FontCache() : dc_(CreateCompatibleDC(nullptr)) {}

FontCache::Entry& FontCache::EntryFor(const FontStyle& font) {
  auto found = fonts_.find(font);
  if (found != fonts_.end()) return found->second;
  Entry entry;
  entry.font.reset(CreateFontW(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic,
                               font.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               font.monospace ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS,
                               font.monospace ? L"Courier New" : L"Arial"));
  Entry& stored = fonts_.emplace(font, std::move(entry)).first->second;
  Select(font);
  TEXTMETRICW metrics{};
  stored.ascent = GetTextMetricsW(dc_.get(), &metrics) ? metrics.tmAscent : font.height;
  return stored;
}

void FontCache::Select(const FontStyle& font) {
  if (selected_ == font) return;
  SelectObject(dc_.get(), EntryFor(font).font.get());
  selected_ = font;
}

HFONT FontCache::Font(const FontStyle& font) { return EntryFor(font).font.get(); }

int FontCache::Ascent(const FontStyle& font) { return EntryFor(font).ascent; }

SIZE FontCache::Measure(const FontStyle& font, std::wstring_view text) {
  Select(font);
  SIZE size{0, font.height};
  GetTextExtentPoint32W(dc_.get(), text.data(), static_cast<int>(text.size()), &size);
  return size;
}

const Node* PageLayout::LinkAt(POINT point) const {
  for (const LinkArea& area : links) {
    if (PtInRect(&area.rect, point)) return area.link;
  }
  return nullptr;
}

namespace {

constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kLinkColor = RGB(0, 0, 238);
constexpr double kBodyMargin = 8;
constexpr double kFontSize = 16;
constexpr double kIndent = 40;
constexpr int kLargestAttributeSize = 10000;
constexpr long kLargestListStart = 1000000000;

// Font size and vertical margin of H1 to H6, in ems.
constexpr double kHeadingSizes[6] = {2.0, 1.5, 1.17, 1.0, 0.83, 0.67};
constexpr double kHeadingMargins[6] = {0.67, 0.83, 1.0, 1.33, 1.67, 2.33};

struct Style {
  FontStyle font;
  COLORREF color = kTextColor;
  const Node* link = nullptr;
  bool preformatted = false;
};

// An item placed on the line being filled; its top is known once the line
// is complete.
struct LineItem {
  bool text;
  bool marker;  // stands left of the line and takes none of its width
  std::size_t index;
  int ascent;
  int height;
  const Node* link;
};

// A length attribute in pixels ("120", "120px"); nullopt for percentages,
// nonsense and sizes no page needs.
std::optional<int> PixelAttribute(const Node& node, std::wstring_view name) {
  const std::wstring* value = node.Attribute(name);
  if (value == nullptr) return std::nullopt;
  wchar_t* end = nullptr;
  const long pixels = std::wcstol(value->c_str(), &end, 10);
  if (end == value->c_str() || *end == L'%' || pixels < 0) return std::nullopt;
  return static_cast<int>(std::min<long>(pixels, kLargestAttributeSize));
}

class LayoutBuilder {
 public:
  LayoutBuilder(int width, double scale, FontCache& fonts, const ImageSizeOf& imageSize)
      : width_(std::max(width, 1)), scale_(scale), fonts_(fonts), image_size_(imageSize) {}

  PageLayout Run(const Document& document) {
    left_ = x_ = Px(kBodyMargin);
    right_ = std::max(left_ + 1, width_ - Px(kBodyMargin));
    y_ = Px(kBodyMargin);
    farthest_ = right_;
    Style style;
    style.font.height = Px(kFontSize);
    if (const Node* body = document.Body()) Children(*body, style, 0);
    EndLine();
    result_.extent = {std::max(width_, farthest_ + Px(kBodyMargin)),
                      y_ + pending_margin_ + Px(kBodyMargin)};
    return std::move(result_);
  }

 private:
  int Px(double length) const { return static_cast<int>(std::lround(length * scale_)); }

  void Children(const Node& node, const Style& style, std::size_t depth) {
    if (depth > kMaxTreeDepth) return;
    for (const auto& child : node.children) {
      if (child->kind == Node::Kind::Text) Text(child->text, style);
      if (child->kind == Node::Kind::Element) Element(*child, style, depth + 1);
    }
  }

  void Element(const Node& node, Style style, std::size_t depth) {
    const std::wstring& name = node.name;
    if (IsHiddenElement(name)) return;
    if (name == L"BR") return LineBreak(style);
    if (name == L"IMG") return Image(node, style);
    if (name == L"IFRAME") {
      return PlaceBox(BoxItem::Kind::Frame, Px(PixelAttribute(node, L"width").value_or(300)),
                      Px(PixelAttribute(node, L"height").value_or(150)), node, {}, style);
    }
    if (name == L"HR") return Rule(node, style);
    Restyle(node, style);
    const bool block = IsBlockElement(name);
    const bool cell = name == L"TD" || name == L"TH";
    const int margin = Margin(node, style);
    if (block) StartBlock(margin);
    if (cell) pending_space_ = true;
    const int savedLeft = left_;
    const int savedRight = right_;
    if (name == L"UL" || name == L"OL" || name == L"DD" || name == L"MENU" || name == L"DIR") {
      left_ = x_ = std::min(left_ + Px(kIndent), right_ - 1);
    } else if (name == L"BLOCKQUOTE") {
      left_ = x_ = std::min(left_ + Px(kIndent), right_ - 1);
      right_ = std::max(left_ + 1, right_ - Px(kIndent));
    }
    if (name == L"LI") Marker(node, style);
    Children(node, style, depth);
    if (cell) pending_space_ = true;
    if (block) StartBlock(margin);
    left_ = savedLeft;
    right_ = savedRight;
    if (line_.empty()) x_ = left_;
  }

  void Restyle(const Node& node, Style& style) const {
    const std::wstring& name = node.name;
    if (IsHeading(name)) {
      style.font.height = Px(kFontSize * kHeadingSizes[name[1] - L'1']);
      style.font.bold = true;
    } else if (name == L"B" || name == L"STRONG" || name == L"TH") {
      style.font.bold = true;
    } else if (name == L"I" || name == L"EM" || name == L"CITE" || name == L"VAR" ||
               name == L"DFN" || name == L"ADDRESS") {
      style.font.italic = true;
    } else if (name == L"U" || name == L"INS") {
      style.font.underline = true;
    } else if (name == L"CODE" || name == L"TT" || name == L"KBD" || name == L"SAMP") {
      style.font.monospace = true;
    } else if (name == L"SMALL") {
      style.font.height = std::max(1, style.font.height * 5 / 6);
    } else if (name == L"BIG") {
      style.font.height = style.font.height * 6 / 5;
    } else if (name == L"A" && node.Attribute(L"href") != nullptr) {
      style.color = kLinkColor;
      style.font.underline = true;
      style.link = &node;
    }
    if (IsPreformattedElement(name)) {
      style.font.monospace = true;
      style.preformatted = true;
    }
  }

  int Margin(const Node& node, const Style& style) const {
    const std::wstring& name = node.name;
    if (IsHeading(name))
      return static_cast<int>(style.font.height * kHeadingMargins[name[1] - L'1']);
    const bool nestedList =
        (name == L"UL" || name == L"OL") && node.parent != nullptr &&
        (node.parent->name == L"LI" || node.parent->name == L"UL" || node.parent->name == L"OL");
    if (nestedList) return 0;
    const bool spaced = name == L"P" || name == L"UL" || name == L"OL" || name == L"DL" ||
                        name == L"PRE" || name == L"BLOCKQUOTE" || name == L"FIGURE" ||
                        name == L"XMP" || name == L"LISTING" || name == L"MENU";
    return spaced ? style.font.height : 0;
  }

  void StartBlock(int margin) {
    EndLine();
    pending_margin_ = std::max(pending_margin_, margin);
  }

  void LineBreak(const Style& style) {
    if (!line_.empty()) return EndLine();
    y_ += pending_margin_ + fonts_.Measure(style.font, L" ").cy;
    pending_margin_ = 0;
  }

  void Marker(const Node& item, const Style& style) {
    std::wstring marker = L"\x2022";
    if (item.parent != nullptr && item.parent->name == L"OL") {
      int number = 1;
      if (const std::wstring* start = item.parent->Attribute(L"start")) {
        // Far from the ends of int, so that counting on cannot overflow.
        number = static_cast<int>(std::clamp(std::wcstol(start->c_str(), nullptr, 10),
                                             -kLargestListStart, kLargestListStart));
      }
      for (const auto& sibling : item.parent->children) {
        if (sibling.get() == &item) break;
        if (sibling->kind == Node::Kind::Element && sibling->name == L"LI") ++number;
      }
      marker = std::to_wstring(number) + L".";
    }
    Style plain = style;
    plain.link = nullptr;
    const SIZE size = fonts_.Measure(plain.font, marker);
    const int x = std::max(0, left_ - static_cast<int>(size.cx) - Px(6));
    AddText(std::move(marker), x, size, plain, true);
  }

  void Text(std::wstring_view text, const Style& style) {
    if (style.preformatted) {
      std::size_t start = 0;
      for (;;) {
        const std::size_t end = text.find(L'\n', start);
        std::wstring line(text.substr(start, end - start));
        for (std::size_t tab; (tab = line.find(L'\t')) != std::wstring::npos;) {
          line.replace(tab, 1, 8 - tab % 8, L' ');
        }
        if (!line.empty()) PlaceWord(line, style, false);
        if (end == std::wstring_view::npos) break;
        LineBreak(style);
        start = end + 1;
      }
      return;
    }
    std::size_t at = 0;
    while (at < text.size()) {
      if (IsMarkupSpace(text[at])) {
        pending_space_ = true;
        ++at;
        continue;
      }
      std::size_t end = at;
      while (end < text.size() && !IsMarkupSpace(text[end])) ++end;
      PlaceWord(text.substr(at, end - at), style, true);
      at = end;
    }
  }

  // Space before the next item, dropped at the start of a line.
  int TakeSpace(const Style& style) {
    const bool space = pending_space_ && line_has_content_;
    pending_space_ = false;
    return space ? fonts_.Measure(style.font, L" ").cx : 0;
  }

  // Starts a new line when `width` more does not fit on this one.
  int MakeRoom(int width, const Style& style, bool wrap) {
    const int space = pending_space_ && line_has_content_ ? fonts_.Measure(style.font, L" ").cx : 0;
    if (wrap && line_has_content_ && x_ + space + width > right_) EndLine();
    return TakeSpace(style);
  }

  void PlaceWord(std::wstring_view word, const Style& style, bool wrap) {
    const SIZE size = fonts_.Measure(style.font, word);
    const int space = MakeRoom(size.cx, style, wrap);
    if (line_has_content_ && line_.back().text) {
      TextRun& last = result_.texts[line_.back().index];
      const bool joins = last.font == style.font && last.color == style.color &&
                         line_.back().link == style.link && last.origin.x + last.width == x_;
      if (joins) {
        last.text.append(space > 0 ? L" " : L"").append(word);
        last.width += space + size.cx;
        x_ += space + size.cx;
        return;
      }
    }
    x_ += space;
    AddText(std::wstring(word), x_, size, style);
    x_ += size.cx;
  }

  void AddText(std::wstring text, int x, SIZE size, const Style& style, bool marker = false) {
    result_.texts.push_back({{x, 0}, size.cx, style.font, style.color, std::move(text)});
    line_.push_back(
        {true, marker, result_.texts.size() - 1, fonts_.Ascent(style.font), size.cy, style.link});
    line_has_content_ = line_has_content_ || !marker;
  }

  void PlaceBox(BoxItem::Kind kind, int width, int height, const Node& node, std::wstring label,
                const Style& style) {
    x_ += MakeRoom(width, style, true);
    result_.boxes.push_back({kind, {x_, 0, x_ + width, height}, &node, std::move(label)});
    line_.push_back({false, false, result_.boxes.size() - 1, height, height, style.link});
    line_has_content_ = true;
    x_ += width;
  }

  void Image(const Node& node, const Style& style) {
    const std::optional<int> width = PixelAttribute(node, L"width");
    const std::optional<int> height = PixelAttribute(node, L"height");
    if (const std::optional<SIZE> natural = image_size_(node);
        natural && natural->cx > 0 && natural->cy > 0) {
      // A size given one way keeps the picture's proportions.
      const int w = width.value_or(height ? *height * natural->cx / natural->cy : natural->cx);
      const int h = height.value_or(width ? *width * natural->cy / natural->cx : natural->cy);
      return PlaceBox(BoxItem::Kind::Image, Px(w), Px(h), node, {}, style);
    }
    std::wstring alt = node.Attribute(L"alt") ? *node.Attribute(L"alt") : std::wstring();
    SIZE fit{Px(24), Px(24)};
    if (!alt.empty()) {
      const SIZE text = fonts_.Measure(style.font, alt);
      fit = {text.cx + Px(8), text.cy + Px(8)};
    }
    PlaceBox(BoxItem::Kind::Placeholder, width ? Px(*width) : fit.cx, height ? Px(*height) : fit.cy,
             node, std::move(alt), style);
  }

  void Rule(const Node& node, const Style& style) {
    StartBlock(Px(kFontSize / 2));
    PlaceBox(BoxItem::Kind::Rule, right_ - left_, Px(2), node, {}, style);
    StartBlock(Px(kFontSize / 2));
  }

  // Puts the items of the line on their common baseline and starts the
  // next line below them.
  void EndLine() {
    pending_space_ = false;
    if (line_.empty()) return;
    y_ += pending_margin_;
    pending_margin_ = 0;
    int ascent = 0;
    int descent = 0;
    for (const LineItem& item : line_) {
      ascent = std::max(ascent, item.ascent);
      descent = std::max(descent, item.height - item.ascent);
    }
    for (const LineItem& item : line_) {
      const int top = y_ + ascent - item.ascent;
      RECT area{};
      if (item.text) {
        TextRun& run = result_.texts[item.index];
        run.origin.y = top;
        area = {run.origin.x, top, run.origin.x + run.width, top + item.height};
      } else {
        RECT& rect = result_.boxes[item.index].rect;
        OffsetRect(&rect, 0, top);
        area = rect;
      }
      farthest_ = std::max(farthest_, static_cast<int>(area.right));
      if (item.link != nullptr) AddLinkArea(area, item.link);
    }
    y_ += ascent + descent;
    x_ = left_;
    line_.clear();
    line_has_content_ = false;
  }

  // Neighbouring pieces of one link on one line make one area, so that the
  // pointer does not leave the link between its words.
  void AddLinkArea(const RECT& area, const Node* link) {
    if (!result_.links.empty()) {
      LinkArea& last = result_.links.back();
      if (last.link == link && last.rect.top < area.bottom && area.top < last.rect.bottom) {
        UnionRect(&last.rect, &last.rect, &area);
        return;
      }
    }
    result_.links.push_back({area, link});
  }

  const int width_;
  const double scale_;
  FontCache& fonts_;
  const ImageSizeOf& image_size_;
  PageLayout result_;
  std::vector<LineItem> line_;
  int left_ = 0;
  int right_ = 0;
  int x_ = 0;
  int y_ = 0;
  int farthest_ = 0;
  int pending_margin_ = 0;
  bool pending_space_ = false;
  bool line_has_content_ = false;
};

}  // namespace

PageLayout LayOutDocument(const Document& document, int width, double scale, FontCache& fonts,
                          const ImageSizeOf& imageSize) {
  return LayoutBuilder(width, scale, fonts, imageSize).Run(document);
}

}  // namespace devengine::page
