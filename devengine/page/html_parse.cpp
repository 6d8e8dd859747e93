// Markup to tree: a tokenizer feeding a tree builder that follows the
// common rules of browsers for implied, unclosed and misnested elements.
// Whatever the markup, the parser ends with a tree; nothing in it throws on
// bad input.
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ascii.h"
#include "element_kinds.h"
#include "html.h"

namespace devengine::page {
namespace {

struct NamedEntity {
  std::wstring_view name;
  wchar_t value;
};

// The entities pages commonly use. The first five are also read without
// their semicolon, as old pages write them.
constexpr NamedEntity kEntities[] = {
    {L"amp", L'&'},     {L"lt", L'<'},       {L"gt", L'>'},      {L"quot", L'"'},
    {L"nbsp", 0xA0},    {L"apos", L'\''},    {L"copy", 0xA9},    {L"reg", 0xAE},
    {L"trade", 0x2122}, {L"hellip", 0x2026}, {L"mdash", 0x2014}, {L"ndash", 0x2013},
    {L"lsquo", 0x2018}, {L"rsquo", 0x2019},  {L"ldquo", 0x201C}, {L"rdquo", 0x201D},
    {L"laquo", 0xAB},   {L"raquo", 0xBB},    {L"middot", 0xB7},  {L"bull", 0x2022},
    {L"deg", 0xB0},     {L"plusmn", 0xB1},   {L"times", 0xD7},   {L"divide", 0xF7},
    {L"euro", 0x20AC},  {L"pound", 0xA3},    {L"yen", 0xA5},     {L"cent", 0xA2},
    {L"sect", 0xA7},    {L"para", 0xB6},     {L"shy", 0xAD},     {L"iexcl", 0xA1},
    {L"iquest", 0xBF},  {L"agrave", 0xE0},   {L"aacute", 0xE1},  {L"acirc", 0xE2},
    {L"auml", 0xE4},    {L"ccedil", 0xE7},   {L"egrave", 0xE8},  {L"eacute", 0xE9},
    {L"ecirc", 0xEA},   {L"euml", 0xEB},     {L"icirc", 0xEE},   {L"iuml", 0xEF},
    {L"ocirc", 0xF4},   {L"ouml", 0xF6},     {L"ugrave", 0xF9},  {L"ucirc", 0xFB},
    {L"uuml", 0xFC},    {L"szlig", 0xDF},    {L"Agrave", 0xC0},  {L"Eacute", 0xC9},
    {L"Egrave", 0xC8},  {L"Ccedil", 0xC7},   {L"Ouml", 0xD6},    {L"Uuml", 0xDC},
    {L"Auml", 0xC4},
};
constexpr std::size_t kEntitiesWithoutSemicolon = 5;

bool IsAsciiAlnum(wchar_t ch) { return IsAsciiLetter(ch) || IsAsciiDigit(ch); }

std::wstring AsciiUpper(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& ch : upper) ch = (ch >= L'a' && ch <= L'z') ? ch - L'a' + L'A' : ch;
  return upper;
}

void AppendCodePoint(std::wstring& out, unsigned long code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x10000) {
    out += static_cast<wchar_t>(code);
    return;
  }
  code -= 0x10000;
  out += static_cast<wchar_t>(0xD800 + (code >> 10));
  out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}

// Reads the character reference at `text[at]` == '&' into `out`; answers
// the length consumed, 0 when it is no reference and the '&' stays as it is.
std::size_t ReadReference(std::wstring_view text, std::size_t at, bool inAttribute,
                          std::wstring& out) {
  std::size_t end = at + 1;
  if (end < text.size() && text[end] == L'#') {
    const bool hex = end + 1 < text.size() && (text[end + 1] == L'x' || text[end + 1] == L'X');
    end += hex ? 2 : 1;
    const std::size_t digits = end;
    unsigned long code = 0;
    for (; end < text.size(); ++end) {
      const wchar_t ch = text[end];
      const wchar_t lower = ch | 0x20;
      unsigned digit = 0;
      if (ch >= L'0' && ch <= L'9') {
        digit = ch - L'0';
      } else if (hex && lower >= L'a' && lower <= L'f') {
        digit = lower - L'a' + 10;
      } else {
        break;
      }
      code = std::min(code * (hex ? 16 : 10) + digit, 0x110000UL);
    }
    if (end == digits) return 0;
    if (end < text.size() && text[end] == L';') ++end;
    AppendCodePoint(out, code);
    return end - at;
  }
  while (end < text.size() && IsAsciiAlnum(text[end])) ++end;
  const std::wstring_view name = text.substr(at + 1, end - at - 1);
  const bool semicolon = end < text.size() && text[end] == L';';
  const auto* entity = std::ranges::find(kEntities, name, &NamedEntity::name);
  if (entity == std::end(kEntities)) return 0;
  if (!semicolon) {
    // In an attribute, "&amp=" or "&ampx" is more likely part of a URL.
    const bool legacy = entity - std::begin(kEntities) < std::ptrdiff_t(kEntitiesWithoutSemicolon);
    if (!legacy || (inAttribute && end < text.size() && text[end] == L'=')) return 0;
  }
  out += entity->value;
  return end - at + (semicolon ? 1 : 0);
}

std::wstring DecodeReferences(std::wstring_view text, bool inAttribute) {
  std::wstring decoded;
  decoded.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == L'&') {
      if (const std::size_t used = ReadReference(text, at, inAttribute, decoded)) {
        at += used;
        continue;
      }
    }
    decoded += text[at++];
  }
  return decoded;
}

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

bool In(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
  return std::ranges::find(names, name) != names.end();
}

// Builds the tree from tokens. `open_` is the stack of open elements,
// HTML at its bottom; before the body's content starts, HEAD is above it.
class TreeBuilder {
 public:
  explicit TreeBuilder(Document& document) {
    document.root = std::make_unique<Node>(Node::Kind::Document, L"#document");
    html_ = Append(*document.root, std::make_unique<Node>(Node::Kind::Element, L"HTML"));
    head_ = Append(*html_, std::make_unique<Node>(Node::Kind::Element, L"HEAD"));
    body_ = Append(*html_, std::make_unique<Node>(Node::Kind::Element, L"BODY"));
    open_ = {html_, head_};
  }

  void StartTag(const std::wstring& name, Attributes attributes) {
    if (name == L"HTML" || name == L"BODY") {
      MergeAttributes(name == L"HTML" ? *html_ : *body_, std::move(attributes));
      if (name == L"BODY") EnterBody();
      return;
    }
    if (name == L"HEAD") return;
    if (!in_body_ && !IsHeadContent(name)) EnterBody();
    if (in_body_) CloseImpliedBy(name);
    auto element = std::make_unique<Node>(Node::Kind::Element, name);
    element->attributes = std::move(attributes);
    Node* inserted = Append(*open_.back(), std::move(element));
    // Its children would lie deeper than the limit: they go beside it instead.
    if (!IsVoidElement(name) && open_.size() + 2 <= kMaxTreeDepth) open_.push_back(inserted);
    // A line break right after these start tags is not part of the content.
    skip_newline_ = In(name, {L"PRE", L"LISTING", L"TEXTAREA"});
  }

  void EndTag(const std::wstring& name) {
    skip_newline_ = false;
    if (name == L"HEAD") {
      if (!in_body_) open_ = {html_, head_};
      return;
    }
    if (name == L"HTML" || name == L"BODY") return;
    if (name == L"BR" || (name == L"P" && in_body_ && !Find(L"P"))) {
      // "</br>" and a "</p>" with no paragraph open make the element, as browsers do.
      StartTag(name, {});
      if (name == L"P") Close(L"P");
      return;
    }
    Close(name);
  }

  void Text(std::wstring text) {
    if (skip_newline_ && !text.empty() && text.front() == L'\n') text.erase(0, 1);
    skip_newline_ = false;
    if (text.empty()) return;
    if (!in_body_ && open_.back() == head_) {
      if (std::ranges::all_of(text, IsMarkupSpace)) return;
      EnterBody();
    }
    Node& parent = *open_.back();
    if (!parent.children.empty() && parent.children.back()->kind == Node::Kind::Text) {
      parent.children.back()->text += text;
      return;
    }
    auto node = std::make_unique<Node>(Node::Kind::Text, L"#text");
    node->text = std::move(text);
    Append(parent, std::move(node));
  }

  void Comment(std::wstring text) {
    auto node = std::make_unique<Node>(Node::Kind::Comment, L"#comment");
    node->text = std::move(text);
    Append(*open_.back(), std::move(node));
  }

 private:
  static Node* Append(Node& parent, std::unique_ptr<Node> child) {
    child->parent = &parent;
    parent.children.push_back(std::move(child));
    return parent.children.back().get();
  }

  static bool IsHeadContent(std::wstring_view name) {
    return In(name, {L"TITLE", L"META", L"LINK", L"BASE", L"STYLE", L"SCRIPT", L"NOSCRIPT"});
  }

  void EnterBody() {
    if (in_body_) return;
    in_body_ = true;
    open_ = {html_, body_};
  }

  static void MergeAttributes(Node& element, Attributes attributes) {
    for (auto& attribute : attributes) {
      if (!element.Attribute(attribute.first)) element.attributes.push_back(std::move(attribute));
    }
  }

  // The open element named `name`, searched from the top, not past an
  // element that shuts it off from the outside (a table cell, for a
  // paragraph outside the table).
  std::size_t Find(std::wstring_view name,
                   std::initializer_list<std::wstring_view> barriers = {}) const {
    for (std::size_t at = open_.size(); at-- > kFirstInner;) {
      if (open_[at]->name == name) return at;
      if (In(open_[at]->name, {L"TABLE", L"TD", L"TH", L"BUTTON"}) ||
          In(open_[at]->name, barriers)) {
        return 0;
      }
    }
    return 0;
  }

  void PopTo(std::size_t at) {
    if (at >= kFirstInner) open_.resize(at);
  }

  // An end tag closes its element and those opened inside it; one that
  // matches no open element is dropped.
  void Close(std::wstring_view name) {
    for (std::size_t at = open_.size(); at-- > (in_body_ ? kFirstInner : 1);) {
      if (open_[at]->name == name) {
        open_.resize(at);
        return;
      }
    }
  }

  // Start tags that end an element still open, as a new paragraph ends
  // the previous one.
  void CloseImpliedBy(const std::wstring& name) {
    if (IsBlockElement(name)) PopTo(Find(L"P"));
    if (name == L"LI") PopTo(Find(L"LI", {L"UL", L"OL"}));
    if (name == L"DD" || name == L"DT") {
      PopTo(std::max(Find(L"DD", {L"DL"}), Find(L"DT", {L"DL"})));
    }
    if (IsHeading(name) && IsHeading(open_.back()->name)) open_.pop_back();
    if (name == L"OPTION" && open_.back()->name == L"OPTION") open_.pop_back();
    if (name == L"A") PopTo(Find(L"A"));
    if (name == L"TD" || name == L"TH") PopTo(std::max(Find(L"TD", {L"TR"}), Find(L"TH", {L"TR"})));
    if (name == L"TR") PopTo(FindFromTable(L"TR"));
  }

  std::size_t FindFromTable(std::wstring_view name) const {
    for (std::size_t at = open_.size(); at-- > kFirstInner;) {
      if (open_[at]->name == name) return at;
      if (open_[at]->name == L"TABLE") return 0;
    }
    return 0;
  }

  // In the body, the open elements above HTML and BODY.
  static constexpr std::size_t kFirstInner = 2;

  Node* html_ = nullptr;
  Node* head_ = nullptr;
  Node* body_ = nullptr;
  std::vector<Node*> open_;
  bool in_body_ = false;
  bool skip_newline_ = false;
};

// Splits markup into tags, text and comments and hands them to the builder.
class Tokenizer {
 public:
  Tokenizer(std::wstring_view markup, TreeBuilder& builder) : text_(markup), builder_(builder) {}

  void Run() {
    while (at_ < text_.size()) {
      if (text_[at_] != L'<') {
        const std::size_t end = std::min(text_.find(L'<', at_), text_.size());
        builder_.Text(DecodeReferences(text_.substr(at_, end - at_), false));
        at_ = end;
      } else if (!ReadMarkup()) {
        builder_.Text(L"<");
        ++at_;
      }
    }
  }

 private:
  wchar_t At(std::size_t offset) const {
    return at_ + offset < text_.size() ? text_[at_ + offset] : L'\0';
  }
  bool StartsWith(std::wstring_view prefix, bool ignoreCase = false) const {
    if (text_.size() - at_ < prefix.size()) return false;
    const std::wstring_view here = text_.substr(at_, prefix.size());
    return ignoreCase ? AsciiLower(here) == prefix : here == prefix;
  }
  std::wstring_view UpTo(std::wstring_view end, std::size_t from) {
    const std::size_t found = text_.find(end, from);
    const std::wstring_view content = text_.substr(from, found - std::min(found, from));
    at_ = found == std::wstring_view::npos ? text_.size() : found + end.size();
    return content;
  }

  // Reads the construct at a '<'; false when it is a plain '<' of text.
  bool ReadMarkup() {
    if (StartsWith(L"<!--")) {
      // "<!-->" and "<!--->" are empty comments.
      const std::size_t from = at_ + 4;
      const std::size_t dashes = At(4) == L'>' ? 0 : (StartsWith(L"<!--->") ? 1 : 2);
      if (dashes < 2) {
        at_ += 5 + dashes;
        builder_.Comment({});
      } else {
        builder_.Comment(std::wstring(UpTo(L"-->", from)));
      }
      return true;
    }
    if (At(1) == L'!' || At(1) == L'?' || (At(1) == L'/' && !IsAsciiLetter(At(2)))) {
      const bool doctype = StartsWith(L"<!doctype", true);
      const std::size_t from = at_ + (At(1) == L'/' ? 2 : 1);
      if (At(1) == L'/' && At(2) == L'>') {
        at_ += 3;
        return true;
      }
      std::wstring content(UpTo(L">", from));
      if (!doctype) builder_.Comment(std::move(content));
      return true;
    }
    const bool end = At(1) == L'/';
    if (!IsAsciiLetter(At(end ? 2 : 1))) return false;
    at_ += end ? 2 : 1;
    const std::wstring name = AsciiUpper(ReadName(L""));
    Attributes attributes;
    if (!ReadAttributes(attributes)) {
      at_ = text_.size();  // a tag cut off by the end of the markup is dropped
      return true;
    }
    if (end) {
      builder_.EndTag(name);
      return true;
    }
    builder_.StartTag(name, std::move(attributes));
    bool decoded = false;
    if (IsRawTextElement(name, &decoded)) ReadRawText(name, decoded);
    return true;
  }

  std::wstring_view ReadName(std::wstring_view alsoEnds) {
    const std::size_t from = at_;
    while (at_ < text_.size() && !IsMarkupSpace(text_[at_]) && text_[at_] != L'/' &&
           text_[at_] != L'>' && alsoEnds.find(text_[at_]) == std::wstring_view::npos) {
      ++at_;
    }
    return text_.substr(from, at_ - from);
  }

  void SkipSpace() {
    while (at_ < text_.size() && IsMarkupSpace(text_[at_])) ++at_;
  }

  // Reads up to and including the tag's '>'; false when the markup ends
  // first. A name given twice keeps its first value.
  bool ReadAttributes(Attributes& attributes) {
    for (;;) {
      while (at_ < text_.size() && (IsMarkupSpace(text_[at_]) || text_[at_] == L'/')) ++at_;
      if (at_ >= text_.size()) return false;
      if (text_[at_] == L'>') {
        ++at_;
        return true;
      }
      std::wstring name = AsciiLower(ReadName(L"="));
      if (name.empty()) name = text_[at_++];  // a stray '=' starts a name
      SkipSpace();
      std::wstring value;
      if (At(0) == L'=') {
        ++at_;
        SkipSpace();
        const wchar_t quote = At(0);
        if (quote == L'"' || quote == L'\'') {
          const std::size_t close = text_.find(quote, at_ + 1);
          if (close == std::wstring_view::npos) return false;
          value = DecodeReferences(text_.substr(at_ + 1, close - at_ - 1), true);
          at_ = close + 1;
        } else {
          const std::size_t from = at_;
          while (at_ < text_.size() && !IsMarkupSpace(text_[at_]) && text_[at_] != L'>') ++at_;
          value = DecodeReferences(text_.substr(from, at_ - from), true);
        }
      }
      const bool known =
          std::ranges::find(attributes, name, &Attributes::value_type::first) != attributes.end();
      if (!known) attributes.emplace_back(std::move(name), std::move(value));
    }
  }

  // The content of SCRIPT, STYLE, TITLE and the like: text up to the end
  // tag of the same name, which the builder then sees.
  void ReadRawText(const std::wstring& name, bool decoded) {
    const std::wstring closing = L"</" + AsciiLower(name);
    std::size_t end = at_;
    for (;; ++end) {
      end = text_.find(L"</", end);
      if (end == std::wstring_view::npos) break;
      const std::size_t after = end + closing.size();
      if (AsciiLower(text_.substr(end, closing.size())) == closing &&
          (after >= text_.size() || IsMarkupSpace(text_[after]) || text_[after] == L'/' ||
           text_[after] == L'>')) {
        break;
      }
    }
    end = std::min(end, text_.size());
    const std::wstring_view content = text_.substr(at_, end - at_);
    builder_.Text(decoded ? DecodeReferences(content, false) : std::wstring(content));
    at_ = end;
  }

  std::wstring_view text_;
  std::size_t at_ = 0;
  TreeBuilder& builder_;
};

// Line breaks as "\n" alone, as browsers read them.
std::wstring WithUnixLineBreaks(std::wstring_view text) {
  std::wstring normal;
  normal.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != L'\r') {
      normal += text[at] == L'\0' ? L'\xFFFD' : text[at];
    } else if (at + 1 >= text.size() || text[at + 1] != L'\n') {
      normal += L'\n';
    }
  }
  return normal;
}

}  // namespace

std::shared_ptr<Document> ParseHtml(std::wstring markup) {
  auto document = std::make_shared<Document>();
  document->source = std::move(markup);
  const std::wstring normal = WithUnixLineBreaks(document->source);
  TreeBuilder builder(*document);
  Tokenizer(normal, builder).Run();
  return document;
}

}  // namespace devengine::page
