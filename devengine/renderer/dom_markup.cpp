#include "dom_markup.h"

#include "page/element_kinds.h"

namespace devengine::renderer {
namespace {

using page::Node;

void AppendEscaped(std::wstring& markup, std::wstring_view text, bool in_attribute) {
  for (const wchar_t ch : text) {
    switch (ch) {
      case L'&':
        markup += L"&amp;";
        break;
      case L'<':
        markup += in_attribute ? L"<" : L"&lt;";
        break;
      case L'>':
        markup += in_attribute ? L">" : L"&gt;";
        break;
      case L'"':
        markup += in_attribute ? L"&quot;" : L"\"";
        break;
      default:
        markup += ch;
    }
  }
}

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
        AppendEscaped(markup, node.text, false);
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
  const std::wstring tag = AsciiLowerCase(node.name);
  markup += L"<" + tag;
  for (const auto& [name, value] : node.attributes) {
    markup += L" " + name + L"=\"";
    AppendEscaped(markup, value, true);
    markup += L"\"";
  }
  markup += L">";
  if (page::IsVoidElement(node.name)) return;
  for (const auto& child : node.children) AppendMarkup(markup, *child);
  markup += L"</" + tag + L">";
}

}  // namespace

std::wstring AsciiLowerCase(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& ch : lower) {
    if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
  }
  return lower;
}

std::wstring MarkupOf(const Node& node) {
  std::wstring markup;
  AppendMarkup(markup, node);
  return markup;
}

}  // namespace devengine::renderer
