#include "dom_markup.h"

#include "ascii.h"
#include "page/element_kinds.h"

namespace devengine::renderer {
namespace {

using page::Node;

bool KeepsTextRaw(const Node* element) {
  bool decoded = false;
  return element != nullptr && element->kind == Node::Kind::Element &&
         page::IsRawTextElement(element->name, &decoded) && !decoded;
}

// The tree is no deeper than the parser allows, so recursion is bounded.
void AppendMarkup(std::wstring& markup, const Node& node) {
  switch (node.kind) {
    case Node::Kind::Text:
      if (KeepsTextRaw(node.parent)) {
        markup += node.text;
      } else {
        page::AppendEscapedMarkup(markup, node.text, L"&<>");
      }
      return;
    case Node::Kind::Comment:
      markup += L"<!--" + node.text + L"-->";
      return;
    case Node::Kind::Document:
      for (const auto& child : node.children) AppendMarkup(markup, *child);
      return;
    case Node::Kind::Element:
      break;
  }
  const std::wstring tag = AsciiLower(node.name);
  markup += L"<" + tag;
  for (const auto& [name, value] : node.attributes) {
    markup += L" " + name + L"=\"";
    page::AppendEscapedMarkup(markup, value, L"&\"");
    markup += L"\"";
  }
  markup += L">";
  if (page::IsVoidElement(node.name)) return;
  for (const auto& child : node.children) AppendMarkup(markup, *child);
  markup += L"</" + tag + L">";
}

}  // namespace

std::wstring MarkupOf(const Node& node) {
  std::wstring markup;
  AppendMarkup(markup, node);
  return markup;
}

}  // namespace devengine::renderer
