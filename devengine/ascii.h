// ASCII letters and digits, and case folding that touches nothing else:
// schemes, hosts, tag names, charsets and cookie domains compare so, and
// text outside ASCII must come out as it went in.
#ifndef NIMBRA_DEVENGINE_ASCII_H
#define NIMBRA_DEVENGINE_ASCII_H

#include <string>
#include <string_view>

namespace devengine {

constexpr bool IsAsciiLetter(wchar_t ch) {
  return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}
constexpr bool IsAsciiDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }

template <class Char>
std::basic_string<Char> AsciiLowerText(std::basic_string_view<Char> text) {
  std::basic_string<Char> lower(text);
  for (Char& ch : lower) {
    if (ch >= Char('A') && ch <= Char('Z')) ch = static_cast<Char>(ch - Char('A') + Char('a'));
  }
  return lower;
}

inline std::wstring AsciiLower(std::wstring_view text) { return AsciiLowerText(text); }
inline std::string AsciiLower(std::string_view text) { return AsciiLowerText(text); }

}  // namespace devengine

#endif
