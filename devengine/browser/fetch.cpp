#include "fetch.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "url.h"
#include "utf.h"
#include "winhandle.h"

namespace devengine::browser {
namespace {

int HexValue(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecoded(std::wstring_view text) {
  std::string bytes;
  // Text between escapes is converted as a whole, so that a character made
  // of two UTF-16 units stays one character.
  std::size_t run = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] != L'%' || index + 2 >= text.size()) continue;
    const int high = HexValue(text[index + 1]);
    const int low = HexValue(text[index + 2]);
    if (high < 0 || low < 0) continue;
    bytes += Utf16ToUtf8(text.substr(run, index - run));
    bytes += static_cast<char>(high * 16 + low);
    index += 2;
    run = index + 1;
  }
  return bytes + Utf16ToUtf8(text.substr(run));
}

namespace {

std::optional<std::string> Base64Decoded(std::string_view text) {
  std::string bytes;
  unsigned bits = 0;
  int count = 0;
  for (const char ch : text) {
    int value;
    if (ch >= 'A' && ch <= 'Z') {
      value = ch - 'A';
    } else if (ch >= 'a' && ch <= 'z') {
      value = ch - 'a' + 26;
    } else if (ch >= '0' && ch <= '9') {
      value = ch - '0' + 52;
    } else if (ch == '+' || ch == '-') {
      value = 62;
    } else if (ch == '/' || ch == '_') {
      value = 63;
    } else if (ch == '=' || ch == ' ' || ch == '\r' || ch == '\n' || ch == '\t') {
      continue;
    } else {
      return std::nullopt;
    }
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return bytes;
}

FetchResponse Answer(std::wstring url, std::wstring content_type, std::string body) {
  return {NetError::kNone, 200, std::move(url), std::move(content_type), std::move(body)};
}

// data:[<media type>][;base64],<data>
FetchResponse FetchData(const UrlParts& parts) {
  const std::wstring& path = parts.path;
  const std::wstring whole = parts.query.empty() ? path : path + L"?" + parts.query;
  const std::size_t comma = whole.find(L',');
  if (comma == std::wstring::npos) return FailedFetch(NetError::kInvalidUrl, parts.spec);
  std::wstring media = whole.substr(0, comma);
  bool base64 = false;
  if (media.size() >= 7 && _wcsicmp(media.c_str() + media.size() - 7, L";base64") == 0) {
    base64 = true;
    media.resize(media.size() - 7);
  }
  if (media.empty() || media.front() == L';') media = L"text/plain" + media;
  std::string body = PercentDecoded(std::wstring_view(whole).substr(comma + 1));
  if (base64) {
    std::optional<std::string> decoded = Base64Decoded(body);
    if (!decoded) return FailedFetch(NetError::kInvalidUrl, parts.spec);
    body = std::move(*decoded);
  }
  return Answer(parts.spec, Utf8ToUtf16(PercentDecoded(media)), std::move(body));
}

std::wstring ContentTypeOfFile(std::wstring_view path) {
  struct Kind {
    std::wstring_view extension;
    std::wstring_view type;
  };
  static constexpr Kind kKinds[] = {
      {L".html", L"text/html"}, {L".htm", L"text/html"},      {L".txt", L"text/plain"},
      {L".css", L"text/css"},   {L".js", L"text/javascript"}, {L".png", L"image/png"},
      {L".gif", L"image/gif"},  {L".jpg", L"image/jpeg"},     {L".jpeg", L"image/jpeg"},
      {L".bmp", L"image/bmp"},  {L".ico", L"image/x-icon"},   {L".xml", L"text/xml"},
  };
  const std::size_t dot = path.rfind(L'.');
  const std::wstring_view extension = dot == std::wstring_view::npos ? L"" : path.substr(dot);
  for (const Kind& kind : kKinds) {
    if (extension.size() == kind.extension.size() &&
        _wcsnicmp(extension.data(), kind.extension.data(), extension.size()) == 0)
      return std::wstring(kind.type);
  }
  return L"text/plain";
}

// file:///C:/dir/page.html is C:\dir\page.html; file://server/share/x is
// \\server\share\x.
std::wstring FilePathOf(const UrlParts& parts) {
  std::wstring path = Utf8ToUtf16(PercentDecoded(parts.path));
  std::ranges::replace(path, L'/', L'\\');
  const bool drive = path.size() >= 3 && path[0] == L'\\' && path[2] == L':';
  if (drive) path.erase(0, 1);
  if (!parts.host.empty() && parts.host != L"localhost") path = L"\\\\" + parts.host + path;
  return path;
}

FetchResponse FetchFile(const UrlParts& parts, const FetchControl& control) {
  const std::wstring path = FilePathOf(parts);
  const TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return FailedFetch(
        error == ERROR_ACCESS_DENIED ? NetError::kAccessDenied : NetError::kFileNotFound,
        parts.spec);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return FailedFetch(NetError::kFailed, parts.spec);
  if (static_cast<unsigned long long>(size.QuadPart) > kLargestBody)
    return FailedFetch(NetError::kFileTooBig, parts.spec);
  std::string body(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < body.size()) {
    if (control.cancelled()) return FailedFetch(NetError::kAborted, parts.spec);
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(body.size() - done, 1 << 20));
    if (!ReadFile(file.get(), body.data() + done, chunk, &read, nullptr))
      return FailedFetch(NetError::kFailed, parts.spec);
    if (read == 0) break;
    done += read;
  }
  body.resize(done);
  return Answer(parts.spec, ContentTypeOfFile(path), std::move(body));
}

}  // namespace

bool IsFetchableScheme(std::wstring_view scheme) {
  return scheme == L"http" || scheme == L"https" || scheme == L"file" || scheme == L"data" ||
         scheme == L"about";
}

FetchResponse Fetch(const RequestData& request, const FetchControl& control) {
  const std::optional<UrlParts> parts = ParseUrl(request.url);
  if (!parts) return FailedFetch(NetError::kInvalidUrl, request.url);
  if (control.cancelled()) return FailedFetch(NetError::kAborted, parts->spec);
  const std::wstring& scheme = parts->scheme;
  if (scheme == L"http" || scheme == L"https") {
    RequestData canonical = request;
    canonical.url = parts->spec;
    return FetchHttp(std::move(canonical), control);
  }
  if (scheme == L"file") return FetchFile(*parts, control);
  if (scheme == L"data") return FetchData(*parts);
  if (scheme == L"about" && parts->path == L"blank") return Answer(parts->spec, L"text/html", {});
  return FailedFetch(scheme == L"about" ? NetError::kInvalidUrl : NetError::kUnknownUrlScheme,
                     parts->spec);
}

}  // namespace devengine::browser
