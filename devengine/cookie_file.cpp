#include "cookie_file.h"

#include <windows.h>

#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

#include "winhandle.h"
#include "utf.h"

namespace devengine {
namespace {

constexpr std::wstring_view kCookieFile = L"Cookies";
constexpr std::wstring_view kLockFile = L"Cookies.lock";
constexpr std::wstring_view kNewFileSuffix = L".nimbra-new";
// "Cookies.1" to "Cookies.9" stand in for a "Cookies" that is not ours.
constexpr int kAlternativeFiles = 9;
// Larger than any file of ours will be; larger ones are not ours.
constexpr LONGLONG kLargestFile = 64LL << 20;

constexpr std::string_view kHeader = "NimbraCookies 1";
constexpr std::string_view kTrailer = "end";
constexpr std::string_view kSession = "-";
constexpr char kFieldSeparator = '\t';
constexpr std::size_t kFieldCount = 9;

// Holds the exclusive lock on the folder's lock file; other processes wait.
// The system lets the lock go should the process end while holding it.
class FolderLock {
 public:
  explicit FolderLock(const std::wstring& folder)
      : file_(CreateFileW((folder + L"\\" + std::wstring(kLockFile)).c_str(),
                          GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    OVERLAPPED whole_file{};
    if (file_ && !LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole_file)) {
      file_.reset();
    }
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() {
    OVERLAPPED whole_file{};
    if (file_) UnlockFileEx(file_.get(), 0, 1, 0, &whole_file);
  }

  explicit operator bool() const { return static_cast<bool>(file_); }

 private:
  TFileHandle file_;
};

enum class FileState { kAbsent, kUnreadable, kRead };

FileState ReadWhole(const std::wstring& path, std::string& contents) {
  const TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::kAbsent
                                                                          : FileState::kUnreadable;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestFile) {
    return FileState::kUnreadable;
  }
  contents.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!contents.empty() && (!ReadFile(file.get(), contents.data(),
                                      static_cast<DWORD>(contents.size()), &read, nullptr) ||
                            read != contents.size())) {
    return FileState::kUnreadable;
  }
  return FileState::kRead;
}

// Written beside the file and moved over it, so that the file is always
// either the old whole or the new whole.
bool Replace(const std::wstring& path, const std::string& contents) {
  const std::wstring fresh = path + std::wstring(kNewFileSuffix);
  bool written = false;
  {
    const TFileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    written = file &&
              WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &count,
                        nullptr) &&
              count == contents.size() && FlushFileBuffers(file.get());
  }
  if (written && MoveFileExW(fresh.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(fresh.c_str());
  return false;
}

struct CookieFile {
  std::wstring path;
  CookieJar jar;
};

// The first of the folder's cookie files that is absent or ours; a file that
// is not is left untouched.
std::optional<CookieFile> FindCookieFile(const std::wstring& folder, Ticks now) {
  for (int alternative = 0; alternative <= kAlternativeFiles; ++alternative) {
    std::wstring path = folder + L"\\" + std::wstring(kCookieFile);
    if (alternative > 0) path += L"." + std::to_wstring(alternative);
    std::string contents;
    switch (ReadWhole(path, contents)) {
      case FileState::kAbsent:
        return CookieFile{std::move(path), {}};
      case FileState::kRead:
        if (std::optional<CookieJar> jar = ParseCookies(contents, now)) {
          return CookieFile{std::move(path), std::move(*jar)};
        }
        break;
      case FileState::kUnreadable:
        break;
    }
  }
  return std::nullopt;
}

// Tabs, line breaks, control characters and the percent sign itself are
// percent-encoded, so a field is one stretch of a line.
std::string EscapeField(std::wstring_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char ch : Utf16ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x20 && byte != 0x7F && ch != '%') {
      escaped += ch;
      continue;
    }
    escaped += '%';
    escaped += kHex[byte >> 4];
    escaped += kHex[byte & 0xF];
  }
  return escaped;
}

std::optional<int> HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return std::nullopt;
}

std::optional<std::wstring> UnescapeField(std::string_view field) {
  std::string bytes;
  for (std::size_t at = 0; at < field.size(); ++at) {
    if (field[at] != '%') {
      bytes += field[at];
      continue;
    }
    if (at + 2 >= field.size()) return std::nullopt;
    const std::optional<int> high = HexDigit(field[at + 1]);
    const std::optional<int> low = HexDigit(field[at + 2]);
    if (!high || !low) return std::nullopt;
    bytes += static_cast<char>(*high * 16 + *low);
    at += 2;
  }
  bool well_formed = true;
  std::wstring text = Utf8ToUtf16(bytes, &well_formed);
  if (!well_formed) return std::nullopt;
  return text;
}

std::optional<Ticks> NumberField(std::string_view field) {
  Ticks value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size() || value < 0) return std::nullopt;
  return value;
}

std::optional<bool> FlagField(std::string_view field) {
  if (field == "1") return true;
  if (field == "0") return false;
  return std::nullopt;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t end = text.find(separator);
    pieces.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return pieces;
    text.remove_prefix(end + 1);
  }
}

std::optional<Cookie> ParseLine(std::string_view line) {
  const std::vector<std::string_view> fields = Split(line, kFieldSeparator);
  if (fields.size() != kFieldCount) return std::nullopt;
  std::optional<std::wstring> texts[4];
  for (std::size_t field = 0; field < 4; ++field) {
    texts[field] = UnescapeField(fields[field]);
    if (!texts[field]) return std::nullopt;
  }
  const std::optional<bool> secure = FlagField(fields[4]);
  const std::optional<bool> httponly = FlagField(fields[5]);
  const std::optional<Ticks> creation = NumberField(fields[6]);
  const std::optional<Ticks> last_access = NumberField(fields[7]);
  const bool session = fields[8] == kSession;
  const std::optional<Ticks> expires = session ? std::nullopt : NumberField(fields[8]);
  if (!secure || !httponly || !creation || !last_access || (!session && !expires)) {
    return std::nullopt;
  }
  return Cookie{std::move(*texts[2]),
                std::move(*texts[3]),
                std::move(*texts[0]),
                std::move(*texts[1]),
                *secure,
                *httponly,
                *creation,
                *last_access,
                expires};
}

}  // namespace

std::string SerializeCookies(const CookieJar& jar) {
  std::string text = std::string(kHeader) + "\n";
  for (const Cookie& cookie : jar.cookies()) {
    const std::string fields[kFieldCount] = {
        EscapeField(cookie.domain),
        EscapeField(cookie.path),
        EscapeField(cookie.name),
        EscapeField(cookie.value),
        cookie.secure ? "1" : "0",
        cookie.httponly ? "1" : "0",
        std::to_string(cookie.creation),
        std::to_string(cookie.last_access),
        cookie.expires ? std::to_string(*cookie.expires) : std::string(kSession),
    };
    for (std::size_t field = 0; field < kFieldCount; ++field) {
      if (field > 0) text += kFieldSeparator;
      text += fields[field];
    }
    text += '\n';
  }
  return text + std::string(kTrailer) + "\n";
}

std::optional<CookieJar> ParseCookies(std::string_view text, Ticks now) {
  const std::vector<std::string_view> lines = Split(text, '\n');
  // Header, cookies, trailer and the empty piece after the last line break.
  if (lines.size() < 3 || lines.front() != kHeader || lines[lines.size() - 2] != kTrailer ||
      !lines.back().empty()) {
    return std::nullopt;
  }
  CookieJar jar;
  for (std::size_t line = 1; line + 2 < lines.size(); ++line) {
    std::optional<Cookie> cookie = ParseLine(lines[line]);
    if (!cookie) return std::nullopt;
    jar.Set(std::move(*cookie), now);
  }
  return jar;
}

bool UpdateCookieFolder(const std::wstring& folder, const std::function<bool(CookieJar&)>& change) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(folder), ignored);
  const FolderLock lock(folder);
  if (!lock) return false;
  const Ticks now = NowTicks();
  std::optional<CookieFile> file = FindCookieFile(folder, now);
  if (!file) return false;
  // Expired cookies read from the file were left out of the jar; the file
  // loses them at the next change, not at every read.
  if (!change(file->jar)) return true;
  return Replace(file->path, SerializeCookies(file->jar));
}

}  // namespace devengine
