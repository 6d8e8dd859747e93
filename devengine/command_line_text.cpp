#include "command_line_text.h"

namespace devengine {
namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

bool NeedsQuotes(std::wstring_view word) {
  return word.empty() || word.find_first_of(L" \t\n\v\"") != std::wstring_view::npos;
}

std::size_t SkipBlanks(std::wstring_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

std::size_t ReadProgram(std::wstring_view text, std::size_t at, std::wstring& program) {
  if (text[at] == L'"') {
    const std::size_t close = text.find(L'"', at + 1);
    const std::size_t end = close == std::wstring_view::npos ? text.size() : close;
    program.assign(text.substr(at + 1, end - at - 1));
    return end == text.size() ? end : end + 1;
  }
  const std::size_t start = at;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  program.assign(text.substr(start, at - start));
  return at;
}

std::size_t ReadArgument(std::wstring_view text, std::size_t at, std::wstring& argument) {
  bool quoted = false;
  while (at < text.size()) {
    const wchar_t ch = text[at];
    if (ch == L'\\') {
      std::size_t backslashes = 0;
      while (at < text.size() && text[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at < text.size() && text[at] == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          argument.push_back(L'"');
          ++at;
        }
      } else {
        argument.append(backslashes, L'\\');
      }
      continue;
    }
    if (ch == L'"') {
      if (quoted && at + 1 < text.size() && text[at + 1] == L'"') {
        argument.push_back(L'"');
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
      continue;
    }
    if (!quoted && IsBlank(ch)) break;
    argument.push_back(ch);
    ++at;
  }
  return at;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view text) {
  std::vector<std::wstring> words;
  std::size_t at = SkipBlanks(text, 0);
  if (at == text.size()) return words;
  at = ReadProgram(text, at, words.emplace_back());
  while ((at = SkipBlanks(text, at)) < text.size())
    at = ReadArgument(text, at, words.emplace_back());
  return words;
}

std::wstring QuoteProgram(std::wstring_view program) {
  if (!NeedsQuotes(program)) return std::wstring(program);
  return L"\"" + std::wstring(program) + L"\"";
}

std::wstring QuoteArgument(std::wstring_view argument) {
  if (!NeedsQuotes(argument)) return std::wstring(argument);
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t ch : argument) {
    if (ch == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only when a quote follows them.
    quoted.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(ch);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace devengine
