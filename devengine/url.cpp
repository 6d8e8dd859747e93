#include "url.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "ascii.h"
#include "utf.h"

namespace devengine {
namespace {

struct SpecialScheme {
  std::wstring_view name;
  std::wstring_view default_port;
  bool needs_host;
};

constexpr SpecialScheme kSpecialSchemes[] = {
    {L"http", L"80", true}, {L"https", L"443", true}, {L"ftp", L"21", true},
    {L"ws", L"80", true},   {L"wss", L"443", true},   {L"file", L"", false},
};

const SpecialScheme* SpecialSchemeNamed(std::wstring_view scheme) {
  const auto found = std::ranges::find(kSpecialSchemes, scheme, &SpecialScheme::name);
  return found == std::end(kSpecialSchemes) ? nullptr : &*found;
}

// Where a part's text may not hold a character as it is. Every part refuses
// control and non-ASCII characters; the parts of a URL with an authority
// also spaces, quotes and angle brackets; `delimiters` are those that would
// end the part early.
struct PartRule {
  bool opaque;
  std::string_view delimiters;
};

constexpr PartRule kUsername{false, "@:/?#"};
constexpr PartRule kPassword{false, "@/?#"};
constexpr PartRule kPath{false, "?#"};
constexpr PartRule kQuery{false, "#"};
constexpr PartRule kFragment{false, ""};
constexpr PartRule kOpaquePath{true, "#"};

bool NeedsEscape(unsigned char byte, const PartRule& rule) {
  if (byte < 0x20 || byte >= 0x7F) return true;
  if (rule.delimiters.find(static_cast<char>(byte)) != std::string_view::npos) return true;
  if (rule.opaque) return false;
  return std::string_view(" \"<>`").find(static_cast<char>(byte)) != std::string_view::npos;
}

// Percent signs are left alone: the text may already be escaped.
std::wstring Escape(std::wstring_view text, const PartRule& rule) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::wstring escaped;
  for (const char ch : Utf16ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(ch);
    if (!NeedsEscape(byte, rule)) {
      escaped += static_cast<wchar_t>(byte);
      continue;
    }
    escaped += L'%';
    escaped += static_cast<wchar_t>(kHex[byte >> 4]);
    escaped += static_cast<wchar_t>(kHex[byte & 0xF]);
  }
  return escaped;
}

// A one-letter scheme is a drive letter, and "C:\dir" is no URL.
bool IsScheme(std::wstring_view scheme) {
  if (scheme.size() < 2 || !IsAsciiLetter(scheme.front())) return false;
  return std::ranges::all_of(scheme, [](wchar_t ch) {
    return IsAsciiLetter(ch) || IsAsciiDigit(ch) || ch == L'+' || ch == L'-' || ch == L'.';
  });
}

// Without blanks and controls at either end, and without tabs and line
// breaks anywhere, as when a URL is pasted.
std::wstring Cleaned(std::wstring_view text) {
  while (!text.empty() && text.front() <= L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
  std::wstring cleaned;
  std::ranges::copy_if(text, std::back_inserter(cleaned),
                       [](wchar_t ch) { return ch != L'\t' && ch != L'\n' && ch != L'\r'; });
  return cleaned;
}

// A name, or an IPv6 address in brackets.
bool IsHost(std::wstring_view host) {
  if (host.empty()) return false;
  if (host.front() == L'[') {
    return host.size() > 2 && host.back() == L']' &&
           std::ranges::all_of(host.substr(1, host.size() - 2), [](wchar_t ch) {
             return IsAsciiDigit(ch) || (ch >= L'a' && ch <= L'f') || ch == L':' || ch == L'.';
           });
  }
  return std::ranges::none_of(host, [](wchar_t ch) {
    return ch <= L' ' || ch == 0x7F ||
           std::wstring_view(L"\"#%/:<>?@[\\]^`{|}").find(ch) != std::wstring_view::npos;
  });
}

// Digits only, without leading zeros, and left out when it is the scheme's
// default. Nullopt for anything that is no port.
std::optional<std::wstring> CanonicalPort(std::wstring_view port, const SpecialScheme* special) {
  if (!std::ranges::all_of(port, IsAsciiDigit)) return std::nullopt;
  while (port.size() > 1 && port.front() == L'0') port.remove_prefix(1);
  if (port.size() > 5 || (port.size() == 5 && port > L"65535")) return std::nullopt;
  if (special != nullptr && port == special->default_port) return std::wstring();
  return std::wstring(port);
}

// Resolves "." and ".." in a path that begins with "/".
std::wstring WithoutDotSegments(std::wstring_view path) {
  std::vector<std::wstring_view> kept;
  bool ends_in_folder = false;
  std::size_t start = 1;
  for (;;) {
    const std::size_t end = path.find(L'/', start);
    const std::wstring_view segment = path.substr(start, end - start);
    const bool last = end == std::wstring_view::npos;
    ends_in_folder = segment == L"." || segment == L"..";
    if (segment == L".." && !kept.empty()) kept.pop_back();
    if (!ends_in_folder) kept.push_back(segment);
    if (last) break;
    start = end + 1;
  }
  std::wstring resolved;
  for (const std::wstring_view segment : kept) {
    resolved += L'/';
    resolved += segment;
  }
  if (resolved.empty() || ends_in_folder) resolved += L'/';
  return resolved;
}

std::wstring UserInfo(const UrlParts& parts) {
  if (parts.username.empty() && parts.password.empty()) return {};
  std::wstring info = parts.username;
  if (!parts.password.empty()) info += L":" + parts.password;
  return info + L"@";
}

// Fills the parts after the "//" of `body`; false when they make no URL.
bool ParseAuthorityAndPath(std::wstring_view body, const SpecialScheme* special, UrlParts& parts,
                           std::wstring& spec) {
  const std::size_t authority_end = body.find_first_of(L"/?");
  const std::wstring_view authority = body.substr(0, authority_end);
  const std::wstring_view rest =
      authority_end == std::wstring_view::npos ? std::wstring_view() : body.substr(authority_end);

  std::wstring_view host_and_port = authority;
  if (const std::size_t at = authority.rfind(L'@'); at != std::wstring_view::npos) {
    const std::wstring_view user_info = authority.substr(0, at);
    const std::size_t colon = user_info.find(L':');
    parts.username = Escape(user_info.substr(0, colon), kUsername);
    if (colon != std::wstring_view::npos) {
      parts.password = Escape(user_info.substr(colon + 1), kPassword);
    }
    host_and_port = authority.substr(at + 1);
  }

  std::size_t port_colon = host_and_port.rfind(L':');
  if (!host_and_port.empty() && host_and_port.front() == L'[') {
    const std::size_t close = host_and_port.find(L']');
    if (close == std::wstring_view::npos) return false;
    port_colon = close + 1 < host_and_port.size() ? close + 1 : std::wstring_view::npos;
    if (port_colon != std::wstring_view::npos && host_and_port[port_colon] != L':') return false;
  }
  parts.host = AsciiLower(host_and_port.substr(0, port_colon));
  const std::wstring_view port_text = port_colon == std::wstring_view::npos
                                          ? std::wstring_view()
                                          : host_and_port.substr(port_colon + 1);
  if (parts.host.empty() ? special != nullptr && special->needs_host : !IsHost(parts.host)) {
    return false;
  }
  const std::optional<std::wstring> port = CanonicalPort(port_text, special);
  if (!port) return false;
  parts.port = *port;

  const std::size_t question = rest.find(L'?');
  std::wstring path(rest.substr(0, question));
  if (path.empty() && special != nullptr) path = L"/";
  if (!path.empty()) path = WithoutDotSegments(path);
  parts.path = Escape(path, kPath);
  spec += L"//" + UserInfo(parts) + parts.host;
  if (!parts.port.empty()) spec += L":" + parts.port;
  spec += parts.path;
  if (question != std::wstring_view::npos) {
    parts.query = Escape(rest.substr(question + 1), kQuery);
    spec += L"?" + parts.query;
  }
  return true;
}

}  // namespace

std::optional<UrlParts> ParseUrl(std::wstring_view input) {
  const std::wstring text = Cleaned(input);
  const std::size_t colon = text.find(L':');
  if (colon == std::wstring::npos || !IsScheme(std::wstring_view(text).substr(0, colon))) {
    return std::nullopt;
  }
  UrlParts parts;
  parts.scheme = AsciiLower(std::wstring_view(text).substr(0, colon));
  const SpecialScheme* special = SpecialSchemeNamed(parts.scheme);

  const std::size_t hash = text.find(L'#', colon);
  std::wstring body = text.substr(colon + 1, hash == std::wstring::npos ? hash : hash - colon - 1);
  // Browsers read a backslash in these schemes as the slash it was meant to be.
  if (special != nullptr) std::ranges::replace(body, L'\\', L'/');

  std::wstring spec = parts.scheme + L":";
  if (body.starts_with(L"//")) {
    if (!ParseAuthorityAndPath(std::wstring_view(body).substr(2), special, parts, spec)) {
      return std::nullopt;
    }
  } else {
    if (special != nullptr) return std::nullopt;
    parts.path = Escape(body, kOpaquePath);
    spec += parts.path;
  }
  if (hash != std::wstring::npos) {
    spec += L"#" + Escape(std::wstring_view(text).substr(hash + 1), kFragment);
  }
  parts.spec = std::move(spec);
  return parts;
}

std::optional<std::wstring> BuildUrl(const UrlParts& parts) {
  if (!parts.spec.empty()) {
    std::optional<UrlParts> parsed = ParseUrl(parts.spec);
    if (!parsed) return std::nullopt;
    return std::move(parsed->spec);
  }
  // Parts that would read back as other parts make no URL.
  if (!IsScheme(parts.scheme) || !std::ranges::all_of(parts.port, IsAsciiDigit) ||
      (!parts.host.empty() && !IsHost(AsciiLower(parts.host)))) {
    return std::nullopt;
  }
  std::wstring text = parts.scheme + L":";
  const bool has_authority = SpecialSchemeNamed(AsciiLower(parts.scheme)) != nullptr ||
                             !parts.host.empty() || !UserInfo(parts).empty() || !parts.port.empty();
  if (has_authority) {
    UrlParts escaped;
    escaped.username = Escape(parts.username, kUsername);
    escaped.password = Escape(parts.password, kPassword);
    text += L"//" + UserInfo(escaped) + parts.host;
    if (!parts.port.empty()) text += L":" + parts.port;
    if (!parts.path.empty() && parts.path.front() != L'/') text += L'/';
    text += Escape(parts.path, kPath);
    if (!parts.query.empty()) text += L"?" + Escape(parts.query, kQuery);
  } else {
    text += Escape(parts.query.empty() ? parts.path : parts.path + L"?" + parts.query, kOpaquePath);
  }
  std::optional<UrlParts> parsed = ParseUrl(text);
  if (!parsed) return std::nullopt;
  return std::move(parsed->spec);
}

namespace {

// A scheme is there when a valid one ends before any "/", "?" or "#".
bool HasScheme(std::wstring_view reference) {
  const std::size_t colon = reference.find(L':');
  return colon != std::wstring_view::npos && colon < reference.find_first_of(L"/?#") &&
         IsScheme(reference.substr(0, colon));
}

// The folder of `path`, "/" when it has none (RFC 3986, 5.2.3).
std::wstring_view FolderOf(std::wstring_view path) {
  const std::size_t slash = path.rfind(L'/');
  return slash == std::wstring_view::npos ? std::wstring_view(L"/") : path.substr(0, slash + 1);
}

}  // namespace

std::optional<std::wstring> ResolveUrl(std::wstring_view base, std::wstring_view reference) {
  std::wstring text = Cleaned(reference);
  if (HasScheme(text)) {
    std::optional<UrlParts> absolute = ParseUrl(text);
    if (!absolute) return std::nullopt;
    return std::move(absolute->spec);
  }
  const std::optional<UrlParts> parsed_base = ParseUrl(base);
  if (!parsed_base) return std::nullopt;
  const std::wstring_view spec = parsed_base->spec;
  const std::wstring_view without_fragment = spec.substr(0, spec.find(L'#'));
  const std::size_t scheme_end = parsed_base->scheme.size() + 1;
  const bool has_authority = spec.substr(scheme_end).starts_with(L"//");

  std::wstring resolved;
  if (text.empty() || text.front() == L'#') {
    resolved = std::wstring(without_fragment) + text;
  } else if (!has_authority) {
    return std::nullopt;
  } else {
    if (SpecialSchemeNamed(parsed_base->scheme) != nullptr) std::ranges::replace(text, L'\\', L'/');
    const std::size_t authority_end = spec.find_first_of(L"/?#", scheme_end + 2);
    const std::wstring_view origin = spec.substr(0, authority_end);
    if (text.starts_with(L"//")) {
      resolved = std::wstring(spec.substr(0, scheme_end)) + text;
    } else if (text.front() == L'/') {
      resolved = std::wstring(origin) + text;
    } else if (text.front() == L'?') {
      resolved = std::wstring(origin) + parsed_base->path + text;
    } else {
      resolved = std::wstring(origin) + std::wstring(FolderOf(parsed_base->path)) + text;
    }
  }
  std::optional<UrlParts> parsed = ParseUrl(resolved);
  if (!parsed) return std::nullopt;
  return std::move(parsed->spec);
}

}  // namespace devengine
