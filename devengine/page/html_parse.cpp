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

// Builds the tree from tokens. `FOpen` is the stack of open elements,
// HTML at its bottom; before the body's content starts, HEAD is above it.
class TreeBuilder {
 public:
  explicit TreeBuilder(Document& document) {
    document.root = std::make_unique<Node>(Node::Kind::Document, L"#document");
    FHtml = Append(*document.root, std::make_unique<Node>(Node::Kind::Element, L"HTML"));
    FHead = Append(*FHtml, std::make_unique<Node>(Node::Kind::Element, L"HEAD"));
    FBody = Append(*FHtml, std::make_unique<Node>(Node::Kind::Element, L"BODY"));
    FOpen = {FHtml, FHead};
  }

  void StartTag(const std::wstring& name, Attributes attributes) {
    if (name == L"HTML" || name == L"BODY") {
      MergeAttributes(name == L"HTML" ? *FHtml : *FBody, std::move(attributes));
      if (name == L"BODY") EnterBody();
      return;
    }
    if (name == L"HEAD") return;
    if (!FInBody && !IsHeadContent(name)) EnterBody();
    if (FInBody) CloseImpliedBy(name);
    auto element = std::make_unique<Node>(Node::Kind::Element, name);
    element->attributes = std::move(attributes);
    Node* inserted = Append(*FOpen.back(), std::move(element));
    // Its children would lie deeper than the limit: they go beside it instead.
    if (!IsVoidElement(name) && FOpen.size() + 2 <= kMaxTreeDepth) FOpen.push_back(inserted);
    // A line break right after these start tags is not part of the content.
    FSkipNewline = In(name, {L"PRE", L"LISTING", L"TEXTAREA"});
  }

  void EndTag(const std::wstring& name) {
    FSkipNewline = false;
    if (name == L"HEAD") {
      if (!FInBody) FOpen = {FHtml, FHead};
      return;
    }
    if (name == L"HTML" || name == L"BODY") return;
    if (name == L"BR" || (name == L"P" && FInBody && !Find(L"P"))) {
      // "</br>" and a "</p>" with no paragraph open make the element, as browsers do.
      StartTag(name, {});
      if (name == L"P") Close(L"P");
      return;
    }
    Close(name);
  }

  void Text(std::wstring text) {
    if (FSkipNewline && !text.empty() && text.front() == L'\n') text.erase(0, 1);
    FSkipNewline = false;
    if (text.empty()) return;
    if (!FInBody && FOpen.back() == FHead) {
      if (std::ranges::all_of(text, IsMarkupSpace)) return;
      EnterBody();
    }
    Node& parent = *FOpen.back();
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
    Append(*FOpen.back(), std::move(node));
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
    if (FInBody) return;
    FInBody = true;
    FOpen = {FHtml, FBody};
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
    for (std::size_t at = FOpen.size(); at-- > kFirstInner;) {
      if (FOpen[at]->name == name) return at;
      if (In(FOpen[at]->name, {L"TABLE", L"TD", L"TH", L"BUTTON"}) ||
          In(FOpen[at]->name, barriers)) {
        return 0;
      }
    }
    return 0;
  }

  void PopTo(std::size_t at) {
    if (at >= kFirstInner) FOpen.resize(at);
  }

  // An end tag closes its element and those opened inside it; one that
  // matches no open element is dropped.
  void Close(std::wstring_view name) {
    for (std::size_t at = FOpen.size(); at-- > (FInBody ? kFirstInner : 1);) {
      if (FOpen[at]->name == name) {
        FOpen.resize(at);
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
    if (IsHeading(name) && IsHeading(FOpen.back()->name)) FOpen.pop_back();
    if (name == L"OPTION" && FOpen.back()->name == L"OPTION") FOpen.pop_back();
    if (name == L"A") PopTo(Find(L"A"));
    if (name == L"TD" || name == L"TH") PopTo(std::max(Find(L"TD", {L"TR"}), Find(L"TH", {L"TR"})));
    if (name == L"TR") PopTo(FindFromTable(L"TR"));
  }

  std::size_t FindFromTable(std::wstring_view name) const {
    for (std::size_t at = FOpen.size(); at-- > kFirstInner;) {
      if (FOpen[at]->name == name) return at;
      if (FOpen[at]->name == L"TABLE") return 0;
    }
    return 0;
  }

  // In the body, the open elements above HTML and BODY.
  static constexpr std::size_t kFirstInner = 2;

  Node* FHtml = nullptr;
  Node* FHead = nullptr;
  Node* FBody = nullptr;
  std::vector<Node*> FOpen;
  bool FInBody = false;
  bool FSkipNewline = false;
};

// Splits markup into tags, text and comments and hands them to the builder.
class Tokenizer {
 public:
  Tokenizer(std::wstring_view markup, TreeBuilder& builder) : FText(markup), FBuilder(builder) {}

  void Run() {
    while (FAt < FText.size()) {
      if (FText[FAt] != L'<') {
        const std::size_t end = std::min(FText.find(L'<', FAt), FText.size());
        FBuilder.Text(DecodeReferences(FText.substr(FAt, end - FAt), false));
        FAt = end;
      } else if (!ReadMarkup()) {
        FBuilder.Text(L"<");
        ++FAt;
      }
    }
  }

 private:
  wchar_t At(std::size_t offset) const {
    return FAt + offset < FText.size() ? FText[FAt + offset] : L'\0';
  }
  bool StartsWith(std::wstring_view prefix, bool ignoreCase = false) const {
    if (FText.size() - FAt < prefix.size()) return false;
    const std::wstring_view here = FText.substr(FAt, prefix.size());
    return ignoreCase ? AsciiLower(here) == prefix : here == prefix;
  }
  std::wstring_view UpTo(std::wstring_view end, std::size_t from) {
    const std::size_t found = FText.find(end, from);
    const std::wstring_view content = FText.substr(from, found - std::min(found, from));
    FAt = found == std::wstring_view::npos ? FText.size() : found + end.size();
    return content;
  }

  // Reads the construct at a '<'; false when it is a plain '<' of text.
  bool ReadMarkup() {
    if (StartsWith(L"<!--")) {
      // "<!-->" and "<!--->" are empty comments.
      const std::size_t from = FAt + 4;
      const std::size_t dashes = At(4) == L'>' ? 0 : (StartsWith(L"<!--->") ? 1 : 2);
      if (dashes < 2) {
        FAt += 5 + dashes;
        FBuilder.Comment({});
      } else {
        FBuilder.Comment(std::wstring(UpTo(L"-->", from)));
      }
      return true;
    }
    if (At(1) == L'!' || At(1) == L'?' || (At(1) == L'/' && !IsAsciiLetter(At(2)))) {
      const bool doctype = StartsWith(L"<!doctype", true);
      const std::size_t from = FAt + (At(1) == L'/' ? 2 : 1);
      if (At(1) == L'/' && At(2) == L'>') {
        FAt += 3;
        return true;
      }
      std::wstring content(UpTo(L">", from));
      if (!doctype) FBuilder.Comment(std::move(content));
      return true;
    }
    const bool end = At(1) == L'/';
    if (!IsAsciiLetter(At(end ? 2 : 1))) return false;
    FAt += end ? 2 : 1;
    const std::wstring name = AsciiUpper(ReadName(L""));
    Attributes attributes;
    if (!ReadAttributes(attributes)) {
      FAt = FText.size();  // a tag cut off by the end of the markup is dropped
      return true;
    }
    if (end) {
      FBuilder.EndTag(name);
      return true;
    }
    FBuilder.StartTag(name, std::move(attributes));
    bool decoded = false;
    if (IsRawTextElement(name, &decoded)) ReadRawText(name, decoded);
    return true;
  }

  std::wstring_view ReadName(std::wstring_view alsoEnds) {
    const std::size_t from = FAt;
    while (FAt < FText.size() && !IsMarkupSpace(FText[FAt]) && FText[FAt] != L'/' &&
           FText[FAt] != L'>' && alsoEnds.find(FText[FAt]) == std::wstring_view::npos) {
      ++FAt;
    }
    return FText.substr(from, FAt - from);
  }

  void SkipSpace() {
    while (FAt < FText.size() && IsMarkupSpace(FText[FAt])) ++FAt;
  }

  // Reads up to and including the tag's '>'; false when the markup ends
  // first. A name given twice keeps its first value.
  bool ReadAttributes(Attributes& attributes) {
    for (;;) {
      while (FAt < FText.size() && (IsMarkupSpace(FText[FAt]) || FText[FAt] == L'/')) ++FAt;
      if (FAt >= FText.size()) return false;
      if (FText[FAt] == L'>') {
        ++FAt;
        return true;
      }
      std::wstring name = AsciiLower(ReadName(L"="));
      if (name.empty()) name = FText[FAt++];  // a stray '=' starts a name
      SkipSpace();
      std::wstring value;
      if (At(0) == L'=') {
        ++FAt;
        SkipSpace();
        const wchar_t quote = At(0);
        if (quote == L'"' || quote == L'\'') {
          const std::size_t close = FText.find(quote, FAt + 1);
          if (close == std::wstring_view::npos) return false;
          value = DecodeReferences(FText.substr(FAt + 1, close - FAt - 1), true);
          FAt = close + 1;
        } else {
          const std::size_t from = FAt;
          while (FAt < FText.size() && !IsMarkupSpace(FText[FAt]) && FText[FAt] != L'>') ++FAt;
          value = DecodeReferences(FText.substr(from, FAt - from), true);
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
    std::size_t end = FAt;
    for (;; ++end) {
      end = FText.find(L"</", end);
      if (end == std::wstring_view::npos) break;
      const std::size_t after = end + closing.size();
      if (AsciiLower(FText.substr(end, closing.size())) == closing &&
          (after >= FText.size() || IsMarkupSpace(FText[after]) || FText[after] == L'/' ||
           FText[after] == L'>')) {
        break;
      }
    }
    end = std::min(end, FText.size());
    const std::wstring_view content = FText.substr(FAt, end - FAt);
    FBuilder.Text(decoded ? DecodeReferences(content, false) : std::wstring(content));
    FAt = end;
  }

  std::wstring_view FText;
  std::size_t FAt = 0;
  TreeBuilder& FBuilder;
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
