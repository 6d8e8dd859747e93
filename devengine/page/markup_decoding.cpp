// Fetched bytes to markup text, by the charset the page declares.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "ascii.h"
#include "html.h"
#include "utf.h"

namespace devengine::page {
namespace {

enum class Charset { Utf8, Utf16Le, Utf16Be, Windows1252, CodePage };

struct CharsetName {
  std::string_view name;
  Charset charset;
  UINT codePage;
};

// Latin-1 and ASCII are read as Windows-1252, as browsers read them; other
// charsets go through the system's code pages.
constexpr CharsetName kCharsets[] = {
    {"utf-8", Charset::Utf8, CP_UTF8},
    {"utf8", Charset::Utf8, CP_UTF8},
    {"unicode-1-1-utf-8", Charset::Utf8, CP_UTF8},
    {"utf-16", Charset::Utf16Le, 0},
    {"utf-16le", Charset::Utf16Le, 0},
    {"utf-16be", Charset::Utf16Be, 0},
    {"iso-8859-1", Charset::Windows1252, 1252},
    {"latin1", Charset::Windows1252, 1252},
    {"l1", Charset::Windows1252, 1252},
    {"us-ascii", Charset::Windows1252, 1252},
    {"ascii", Charset::Windows1252, 1252},
    {"windows-1252", Charset::Windows1252, 1252},
    {"cp1252", Charset::Windows1252, 1252},
    {"windows-1250", Charset::CodePage, 1250},
    {"windows-1251", Charset::CodePage, 1251},
    {"windows-1253", Charset::CodePage, 1253},
    {"windows-1254", Charset::CodePage, 1254},
    {"windows-1255", Charset::CodePage, 1255},
    {"windows-1256", Charset::CodePage, 1256},
    {"windows-1257", Charset::CodePage, 1257},
    {"windows-1258", Charset::CodePage, 1258},
    {"iso-8859-2", Charset::CodePage, 28592},
    {"iso-8859-5", Charset::CodePage, 28595},
    {"iso-8859-7", Charset::CodePage, 28597},
    {"iso-8859-15", Charset::CodePage, 28605},
    {"koi8-r", Charset::CodePage, 20866},
    {"shift_jis", Charset::CodePage, 932},
    {"euc-jp", Charset::CodePage, 20932},
    {"gb2312", Charset::CodePage, 936},
    {"gbk", Charset::CodePage, 936},
    {"big5", Charset::CodePage, 950},
    {"euc-kr", Charset::CodePage, 949},
};

// What Windows-1252 puts at 0x80 to 0x9F; the rest of its bytes are Latin-1.
constexpr wchar_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const CharsetName* CharsetNamed(std::string_view name) {
  const std::string lower = AsciiLower(name);
  const auto found = std::ranges::find(kCharsets, lower, &CharsetName::name);
  return found == std::end(kCharsets) ? nullptr : &*found;
}

// The charset named after "charset=" in `text`, quoted or not.
const CharsetName* CharsetAfterLabel(std::string_view text) {
  const std::string lower = AsciiLower(text);
  std::size_t at = lower.find("charset");
  while (at != std::string::npos) {
    std::size_t value = lower.find_first_not_of(" \t", at + 7);
    if (value != std::string::npos && lower[value] == '=') {
      value = lower.find_first_not_of(" \t\"'", value + 1);
      if (value == std::string::npos) return nullptr;
      const std::size_t end = lower.find_first_of(" \t\"';>/", value);
      return CharsetNamed(std::string_view(lower).substr(value, end - value));
    }
    at = lower.find("charset", at + 7);
  }
  return nullptr;
}

// A META of the first kilobyte that names a charset, in either of its
// forms: <meta charset="..."> and <meta http-equiv content="...; charset=...">.
const CharsetName* CharsetOfMeta(std::string_view bytes) {
  const std::string head = AsciiLower(bytes.substr(0, 1024));
  for (std::size_t at = head.find("<meta"); at != std::string::npos;
       at = head.find("<meta", at + 5)) {
    const std::size_t end = head.find('>', at);
    if (const CharsetName* charset =
            CharsetAfterLabel(std::string_view(head).substr(at, end - at))) {
      return charset;
    }
  }
  return nullptr;
}

std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto first = static_cast<unsigned char>(bytes[2 * at]);
    const auto second = static_cast<unsigned char>(bytes[2 * at + 1]);
    text[at] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  if (bytes.size() % 2 != 0) text += L'\xFFFD';
  return text;
}

std::wstring FromWindows1252(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  std::ranges::transform(bytes, text.begin(), [](char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<wchar_t>(byte);
  });
  return text;
}

std::optional<std::wstring> FromCodePage(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
  return text;
}

// UTF-8 unless it is not, then Windows-1252, which reads any bytes.
std::wstring FromUtf8OrLatin1(std::string_view bytes) {
  bool wellFormed = true;
  std::wstring text = Utf8ToUtf16(bytes, &wellFormed);
  return wellFormed ? text : FromWindows1252(bytes);
}

}  // namespace

std::wstring DecodeMarkup(const std::string& bytes, std::wstring_view contentType) {
  const std::string_view data(bytes);
  if (data.starts_with("\xEF\xBB\xBF")) return Utf8ToUtf16(data.substr(3));
  if (data.starts_with("\xFF\xFE")) return FromUtf16(data.substr(2), false);
  if (data.starts_with("\xFE\xFF")) return FromUtf16(data.substr(2), true);

  std::string header;
  for (const wchar_t ch : contentType) header += ch < 0x80 ? static_cast<char>(ch) : '?';
  const CharsetName* charset = CharsetAfterLabel(header);
  if (charset == nullptr) {
    charset = CharsetOfMeta(data);
    // A META that could be read as ASCII was not written in UTF-16, whatever it says.
    const bool utf16 = charset != nullptr && (charset->charset == Charset::Utf16Le ||
                                              charset->charset == Charset::Utf16Be);
    if (utf16) charset = nullptr;
  }
  if (charset == nullptr || charset->charset == Charset::Utf8) return FromUtf8OrLatin1(data);
  switch (charset->charset) {
    case Charset::Utf16Le:
      return FromUtf16(data, false);
    case Charset::Utf16Be:
      return FromUtf16(data, true);
    case Charset::Windows1252:
      return FromWindows1252(data);
    default:
      break;
  }
  if (std::optional<std::wstring> text = FromCodePage(data, charset->codePage)) return *text;
  return FromUtf8OrLatin1(data);
}

}  // namespace devengine::page
