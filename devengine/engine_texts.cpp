#include "engine_texts.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

#include "ascii.h"
#include "heap_records.h"
#include "winhandle.h"
#include "utf.h"

namespace devengine {
namespace {

using enum EngineText;

// clang-format off
constexpr std::array<EngineTextEntry, kEngineTextCount> kTable = {{
    {"dialog.page_says", L"The page says"},
    {"dialog.leave_title", L"Leave this page?"},
    {"dialog.ok", L"OK"},
    {"dialog.cancel", L"Cancel"},
    {"dialog.leave", L"Leave"},
    {"dialog.stay", L"Stay"},
    {"error.heading", L"This page cannot be shown"},
    {"error.detail", L"Error {code}: {reason}"},
    {"error.failed", L"failed"},
    {"error.aborted", L"aborted"},
    {"error.file_not_found", L"file not found"},
    {"error.timed_out", L"timed out"},
    {"error.too_big", L"too big"},
    {"error.access_denied", L"access denied"},
    {"error.blocked", L"blocked"},
    {"error.connection_refused", L"connection refused"},
    {"error.connection_failed", L"connection failed"},
    {"error.name_not_resolved", L"name not resolved"},
    {"error.invalid_address", L"invalid address"},
    {"error.unknown_scheme", L"unknown address scheme"},
    {"error.too_many_redirects", L"too many redirects"},
    {"error.empty_response", L"empty response"},
    {"inspector.title", L"Inspector"},
    {"inspector.page_title", L"Inspector: {title}"},
    {"inspector.browsers", L"Browsers"},
    {"inspector.browser", L"Browser {id}"},
    {"inspector.address", L"Address: {address}"},
    {"inspector.title_line", L"Title: {title}"},
    {"inspector.source", L"Source"},
    {"inspector.no_such_page", L"No such page"},
}};
// clang-format on

constexpr std::size_t kLongestLocaleName = 32;

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::size_t> IndexOfKey(std::string_view key) {
  const auto found = std::ranges::find(kTable, key, &EngineTextEntry::key);
  if (found == kTable.end()) return std::nullopt;
  return static_cast<std::size_t>(found - kTable.begin());
}

// A value that could upset a dialog or a page: none is allowed.
bool HasControlCharacter(std::wstring_view text) {
  return std::ranges::any_of(text, [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

// Letters, digits, '-' and '_' only, so a locale never names a file
// outside the folder.
bool IsLocaleName(std::wstring_view name) {
  return !name.empty() && name.size() <= kLongestLocaleName &&
         std::ranges::all_of(name, [](wchar_t c) {
           return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'-' || c == L'_';
         });
}

// The whole file, or nothing when it cannot be read or is too large.
std::optional<std::string> ReadLocaleFile(const std::filesystem::path& path) {
  const TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kLargestLocaleFile)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return std::nullopt;
  return bytes;
}

std::filesystem::path EngineFolder() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&EngineFolder), &module))
    return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

struct ChosenTexts {
  std::mutex mutex;
  std::shared_ptr<const LocaleTexts> texts = std::make_shared<const LocaleTexts>();
};

ChosenTexts& Chosen() { return Immortal<ChosenTexts>(); }

}  // namespace

const std::array<EngineTextEntry, kEngineTextCount>& EngineTextTable() { return kTable; }

std::wstring_view EnglishText(EngineText id) {
  return kTable[static_cast<std::size_t>(id)].english;
}

LocaleTexts::LocaleTexts() {
  for (std::size_t index = 0; index < kEngineTextCount; ++index)
    texts_[index] = std::wstring(kTable[index].english);
}

LocaleTexts LocaleTexts::Load(const std::filesystem::path& folder, std::wstring_view locale) {
  LocaleTexts texts;
  if (folder.empty() || !IsLocaleName(locale)) return texts;
  std::vector<std::wstring_view> names;
  const std::size_t language_end = locale.find_first_of(L"-_");
  if (language_end != std::wstring_view::npos && language_end > 0)
    names.push_back(locale.substr(0, language_end));
  names.push_back(locale);
  for (const std::wstring_view name : names) {
    if (const std::optional<std::string> bytes =
            ReadLocaleFile(folder / (std::wstring(name) + L".txt")))
      texts.Merge(*bytes);
  }
  return texts;
}

LocaleTexts::Merged LocaleTexts::Merge(std::string_view bytes) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  Merged merged;
  for (int number = 1; !bytes.empty(); ++number) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = Trimmed(line);
    if (line.empty() || line.starts_with('#')) continue;
    const std::size_t equals = line.find('=');
    const std::optional<std::size_t> index = equals == std::string_view::npos
                                                 ? std::nullopt
                                                 : IndexOfKey(Trimmed(line.substr(0, equals)));
    bool well_formed = false;
    const std::wstring value =
        index ? Utf8ToUtf16(Trimmed(line.substr(equals + 1)), &well_formed) : std::wstring();
    if (!index || !well_formed || value.empty() || HasControlCharacter(value)) {
      merged.passedOver.push_back(number);
      continue;
    }
    texts_[*index] = value;
    ++merged.taken;
  }
  return merged;
}

void UseLocale(std::wstring_view folder, std::wstring_view locale) {
  const std::filesystem::path from =
      folder.empty() ? EngineFolder() / L"locales" : std::filesystem::path(folder);
  auto texts = std::make_shared<const LocaleTexts>(
      LocaleTexts::Load(from, locale.empty() ? std::wstring_view(L"en-US") : locale));
  ChosenTexts& chosen = Chosen();
  const std::lock_guard lock(chosen.mutex);
  chosen.texts = std::move(texts);
}

std::wstring LocalText(EngineText id) {
  ChosenTexts& chosen = Chosen();
  std::shared_ptr<const LocaleTexts> texts;
  {
    const std::lock_guard lock(chosen.mutex);
    texts = chosen.texts;
  }
  return texts->Get(id);
}

std::wstring FillIn(std::wstring_view pattern,
                    std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values) {
  std::wstring filled;
  while (!pattern.empty()) {
    const std::size_t open = pattern.find(L'{');
    filled += pattern.substr(0, open);
    if (open == std::wstring_view::npos) break;
    pattern.remove_prefix(open);
    const auto value = std::ranges::find_if(values, [&](const auto& entry) {
      return pattern.size() > entry.first.size() + 1 &&
             pattern.substr(1, entry.first.size()) == entry.first &&
             pattern[entry.first.size() + 1] == L'}';
    });
    if (value == values.end()) {
      filled += L'{';
      pattern.remove_prefix(1);
      continue;
    }
    filled += value->second;
    pattern.remove_prefix(value->first.size() + 2);
  }
  return filled;
}

}  // namespace devengine
