// Reading a parsed tree: lookups, the title and the text a page shows.
#include <algorithm>
#include <string>
#include <vector>

#include "element_kinds.h"
#include "html.h"

namespace devengine::page {
namespace {

struct CharacterReference {
  wchar_t ch;
  std::wstring_view reference;
};

constexpr CharacterReference kCharacterReferences[] = {
    {L'&', L"&amp;"}, {L'<', L"&lt;"}, {L'>', L"&gt;"}, {L'"', L"&quot;"}, {L'\'', L"&#39;"},
};

// Gathers text the way a page lays it out: runs of whitespace become one
// space, and line breaks asked for between blocks are written only when
// text follows them, never at either end.
class TextGatherer {
 public:
  void Append(std::wstring_view text, bool preformatted) {
    for (const wchar_t ch : text) {
      if (!preformatted && IsMarkupSpace(ch)) {
        pending_space_ = true;
        continue;
      }
      if (out_.empty()) {
        required_breaks_ = 0;
      } else if (required_breaks_ > 0) {
        out_.append(std::max(0, required_breaks_ - TrailingBreaks()), L'\n');
      } else if (pending_space_ && out_.back() != L'\n') {
        out_ += L' ';
      }
      required_breaks_ = 0;
      pending_space_ = false;
      out_ += ch;
    }
  }
  void LineBreak() {
    out_ += L'\n';
    pending_space_ = false;
  }
  void RequireBreaks(int count) {
    required_breaks_ = std::max(required_breaks_, count);
    pending_space_ = false;
  }
  std::wstring Take() { return std::move(out_); }

 private:
  int TrailingBreaks() const {
    const auto last = out_.find_last_not_of(L'\n');
    return static_cast<int>(out_.size() - (last == std::wstring::npos ? 0 : last + 1));
  }

  std::wstring out_;
  int required_breaks_ = 0;
  bool pending_space_ = false;
};

void GatherChildren(const Node& node, bool preformatted, std::size_t depth, TextGatherer& out);

void Gather(const Node& node, bool preformatted, std::size_t depth, TextGatherer& out) {
  if (node.kind == Node::Kind::Text) {
    out.Append(node.text, preformatted);
    return;
  }
  if (node.kind != Node::Kind::Element || IsHiddenElement(node.name)) return;
  if (node.name == L"BR") {
    out.LineBreak();
    return;
  }
  // A paragraph stands apart by a blank line, any other block by a line break.
  const int breaks = node.name == L"P" ? 2 : IsBlockElement(node.name) ? 1 : 0;
  if (breaks > 0) out.RequireBreaks(breaks);
  GatherChildren(node, preformatted || IsPreformattedElement(node.name), depth, out);
  if (breaks > 0) out.RequireBreaks(breaks);
}

void GatherChildren(const Node& node, bool preformatted, std::size_t depth, TextGatherer& out) {
  if (depth > kMaxTreeDepth) return;
  for (const auto& child : node.children) Gather(*child, preformatted, depth + 1, out);
}

}  // namespace

Node::~Node() {
  std::vector<std::unique_ptr<Node>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<Node> node = std::move(pending.back());
    pending.pop_back();
    std::ranges::move(node->children, std::back_inserter(pending));
    node->children.clear();
  }
}

const std::wstring* Node::Attribute(std::wstring_view attributeName) const {
  const auto found =
      std::ranges::find(attributes, attributeName,
                        [](const auto& attribute) -> std::wstring_view { return attribute.first; });
  return found == attributes.end() ? nullptr : &found->second;
}

namespace {

Node* ChildElement(const Node* parent, std::wstring_view name) {
  if (parent == nullptr) return nullptr;
  for (const auto& child : parent->children) {
    if (child->kind == Node::Kind::Element && child->name == name) return child.get();
  }
  return nullptr;
}

}  // namespace

Node* Document::Html() const { return ChildElement(root.get(), L"HTML"); }
Node* Document::Head() const { return ChildElement(Html(), L"HEAD"); }
Node* Document::Body() const { return ChildElement(Html(), L"BODY"); }

std::wstring Document::Title() const {
  const std::vector<const Node*> titles = ElementsByTag(L"TITLE");
  if (titles.empty()) return {};
  TextGatherer text;
  for (const auto& child : titles.front()->children) {
    if (child->kind == Node::Kind::Text) text.Append(child->text, false);
  }
  return text.Take();
}

std::vector<const Node*> Document::ElementsByTag(std::wstring_view upperName) const {
  std::vector<const Node*> found;
  if (!root) return found;
  // Depth first in document order, without recursion.
  std::vector<const Node*> pending{root.get()};
  while (!pending.empty()) {
    const Node* node = pending.back();
    pending.pop_back();
    if (node->kind == Node::Kind::Element && node->name == upperName) found.push_back(node);
    for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
      pending.push_back(child->get());
    }
  }
  return found;
}

std::wstring InnerText(const Node& node) {
  if (node.kind == Node::Kind::Text) return node.text;
  TextGatherer text;
  GatherChildren(node, IsPreformattedElement(node.name), 0, text);
  return text.Take();
}

void AppendEscapedMarkup(std::wstring& markup, std::wstring_view text, std::wstring_view escaped) {
  for (const wchar_t ch : text) {
    const auto found = std::ranges::find(kCharacterReferences, ch, &CharacterReference::ch);
    if (found != std::end(kCharacterReferences) && escaped.find(ch) != std::wstring_view::npos) {
      markup += found->reference;
    } else {
      markup += ch;
    }
  }
}

std::wstring MarkupFromText(std::wstring_view text) {
  std::wstring markup;
  markup.reserve(text.size());
  AppendEscapedMarkup(markup, text, L"&<>\"'");
  return markup;
}

}  // namespace devengine::page
