// The development engine's document tree: markup parsed into nodes, the
// text a page shows, and the decoding of fetched bytes into markup.
//
// ParseHtml makes a Document; whoever holds the shared pointer owns it (the
// browser core, the renderer, the page window). This library only reads it
// afterwards, so it may be read from any thread while nobody changes it.
#ifndef NIMBRA_DEVENGINE_PAGE_HTML_H
#define NIMBRA_DEVENGINE_PAGE_HTML_H

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace devengine::page {

// Elements nest no deeper than this: deeper ones become siblings at this
// depth, so that every walk of a tree stays within a small stack.
constexpr std::size_t kMaxTreeDepth = 256;

// What markup counts as whitespace: it separates attributes, and runs of it
// collapse to one space where text is shown.
constexpr bool IsMarkupSpace(wchar_t ch) {
  return ch == L' ' || ch == L'\t' || ch == L'\n' || ch == L'\r' || ch == L'\f';
}

struct Node {
  enum class Kind { Document, Element, Text, Comment };
  Kind kind = Kind::Element;
  std::wstring name;  // elements: upper-case tag name ("BODY"); "#document", "#text", "#comment"
  std::wstring text;  // text and comment nodes
  std::vector<std::pair<std::wstring, std::wstring>> attributes;  // lower-case names, source order
  std::vector<std::unique_ptr<Node>> children;
  Node* parent = nullptr;

  Node() = default;
  Node(Kind kind, std::wstring name) : kind(kind), name(std::move(name)) {}
  // Takes the subtree apart without recursion, however deep it is.
  ~Node();

  const std::wstring* Attribute(std::wstring_view name) const;  // null when absent
};

struct Document {
  std::unique_ptr<Node> root;  // the "#document" node; HTML, HEAD, BODY always exist
  std::wstring source;         // the markup it was parsed from

  Node* Html() const;
  Node* Head() const;
  Node* Body() const;
  std::wstring Title() const;  // TITLE's text, whitespace collapsed; empty when none
  std::vector<const Node*> ElementsByTag(std::wstring_view upperName) const;
};

// Tolerant: never fails, never throws on bad markup.
std::shared_ptr<Document> ParseHtml(std::wstring markup);

// The text the node shows: whitespace collapsed outside PRE, block elements
// on lines of their own, BR a line break; SCRIPT, STYLE and HEAD show none.
std::wstring InnerText(const Node& node);

// The bytes of a page as text. The charset comes from a byte-order mark,
// then `contentType` ("text/html; charset=..."), then a META in the first
// kilobyte; UTF-8 otherwise, and Windows-1252 (Latin-1) when the bytes are
// no UTF-8.
std::wstring DecodeMarkup(const std::string& bytes, std::wstring_view contentType);

// `text` escaped so that markup shows it as it is.
std::wstring MarkupFromText(std::wstring_view text);

// `text` appended to `markup` with each character it holds of `escaped`
// (any of & < > " ') written as a character reference, the rest as it is.
void AppendEscapedMarkup(std::wstring& markup, std::wstring_view text, std::wstring_view escaped);

}  // namespace devengine::page

#endif
