#include "element_kinds.h"

#include <algorithm>
#include <initializer_list>

namespace devengine::page {
namespace {

bool In(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
  return std::ranges::find(names, name) != names.end();
}

}  // namespace

bool IsVoidElement(std::wstring_view name) {
  return In(name, {L"AREA", L"BASE", L"BR", L"COL", L"EMBED", L"HR", L"IMG", L"INPUT", L"LINK",
                   L"META", L"PARAM", L"SOURCE", L"TRACK", L"WBR"});
}

bool IsBlockElement(std::wstring_view name) {
  return IsHeading(name) ||
         In(name, {L"HTML",     L"BODY",       L"ADDRESS", L"ARTICLE", L"ASIDE", L"BLOCKQUOTE",
                   L"CENTER",   L"DD",         L"DETAILS", L"DIV",     L"DL",    L"DT",
                   L"FIELDSET", L"FIGCAPTION", L"FIGURE",  L"FOOTER",  L"FORM",  L"HEADER",
                   L"HR",       L"LI",         L"MAIN",    L"MENU",    L"NAV",   L"OL",
                   L"P",        L"PRE",        L"SECTION", L"SUMMARY", L"TABLE", L"TR",
                   L"UL",       L"CAPTION",    L"LISTING", L"XMP"});
}

bool IsHiddenElement(std::wstring_view name) {
  return In(name, {L"HEAD", L"SCRIPT", L"STYLE", L"TITLE", L"META", L"LINK", L"BASE", L"NOSCRIPT",
                   L"TEMPLATE"});
}

bool IsRawTextElement(std::wstring_view name, bool* decoded) {
  const bool escapable = In(name, {L"TITLE", L"TEXTAREA"});
  if (decoded != nullptr) *decoded = escapable;
  return escapable || In(name, {L"SCRIPT", L"STYLE", L"XMP", L"NOEMBED", L"NOFRAMES"});
}

bool IsPreformattedElement(std::wstring_view name) {
  return In(name, {L"PRE", L"LISTING", L"XMP", L"TEXTAREA"});
}

bool IsHeading(std::wstring_view name) {
  return name.size() == 2 && name[0] == L'H' && name[1] >= L'1' && name[1] <= L'6';
}

}  // namespace devengine::page
