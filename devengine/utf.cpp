#include "utf.h"

#include <array>

namespace devengine {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The lead byte of a multi-byte UTF-8 sequence tells how many continuation
// bytes follow and the smallest code point that needs that many.
struct LeadByte {
  unsigned char mask;
  unsigned char pattern;
  int continuations;
  char32_t smallest;
};
constexpr std::array<LeadByte, 3> kLeadBytes{{
    {0xE0, 0xC0, 1, 0x80},
    {0xF0, 0xE0, 2, 0x800},
    {0xF8, 0xF0, 3, 0x10000},
}};

const LeadByte* FindLead(unsigned char byte) {
  for (const LeadByte& lead : kLeadBytes) {
    if ((byte & lead.mask) == lead.pattern) return &lead;
  }
  return nullptr;
}

void AppendUtf16(std::wstring& out, char32_t code_point) {
  if (code_point < 0x10000) {
    out.push_back(static_cast<wchar_t>(code_point));
    return;
  }
  code_point -= 0x10000;
  out.push_back(static_cast<wchar_t>(0xD800 + (code_point >> 10)));
  out.push_back(static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

void Report(bool* well_formed, bool value) {
  if (well_formed != nullptr) *well_formed = value;
}

}  // namespace

std::wstring Utf8ToUtf16(std::string_view text, bool* well_formed) {
  std::wstring out;
  out.reserve(text.size());
  bool clean = true;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      out.push_back(byte);
      ++at;
      continue;
    }
    const LeadByte* lead = FindLead(byte);
    if (lead == nullptr) {
      out.push_back(kReplacement);
      clean = false;
      ++at;
      continue;
    }
    char32_t code_point = byte & static_cast<unsigned char>(~lead->mask);
    std::size_t used = 1;
    for (; used <= static_cast<std::size_t>(lead->continuations) && at + used < text.size();
         ++used) {
      const auto next = static_cast<unsigned char>(text[at + used]);
      if ((next & 0xC0) != 0x80) break;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    at += used;
    const bool complete = used == static_cast<std::size_t>(lead->continuations) + 1;
    if (!complete || code_point < lead->smallest || code_point > kLastCodePoint ||
        IsSurrogate(code_point)) {
      out.push_back(kReplacement);
      clean = false;
      continue;
    }
    AppendUtf16(out, code_point);
  }
  Report(well_formed, clean);
  return out;
}

std::string Utf16ToUtf8(std::wstring_view text, bool* well_formed) {
  std::string out;
  out.reserve(text.size());
  bool clean = true;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char32_t unit = static_cast<char16_t>(text[at]);
    if (!IsSurrogate(unit)) {
      AppendUtf8(out, unit);
      continue;
    }
    const char32_t next = at + 1 < text.size() ? static_cast<char16_t>(text[at + 1]) : 0;
    if (IsHighSurrogate(unit) && IsLowSurrogate(next)) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
      ++at;
      continue;
    }
    AppendUtf8(out, kReplacement);
    clean = false;
  }
  Report(well_formed, clean);
  return out;
}

std::wstring AsciiToUtf16(std::string_view text, bool* well_formed) {
  std::wstring out;
  out.reserve(text.size());
  bool clean = true;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    clean = clean && byte < 0x80;
    out.push_back(byte < 0x80 ? byte : kReplacement);
  }
  Report(well_formed, clean);
  return out;
}

}  // namespace devengine
