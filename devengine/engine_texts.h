// The texts the engine itself shows a user (its own dialogs, its error page,
// its inspector pages), in the language the program asks for with the
// settings' `locale`, read from the settings' locales folder.
//
// A locale file is `<folder>\<locale>.txt`: UTF-8 text (a leading byte-order
// mark is allowed), one `key=value` per line; blank lines and lines starting
// with `#` are comments. For a locale such as "fr-CA" the file of its
// language ("fr.txt") is read first and the locale's own file over it; what
// neither gives keeps the built-in English text. A line that is not a known
// key with a non-empty, well-formed value free of control characters is
// passed over, and so is a file that cannot be read or is larger than
// kLargestLocaleFile: a bad file never stops the engine.
//
// cef_initialize chooses the texts once (UseLocale), before any browser
// exists; they are read from any thread after that.
#ifndef NIMBRA_DEVENGINE_ENGINE_TEXTS_H
#define NIMBRA_DEVENGINE_ENGINE_TEXTS_H

#include <array>
#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace devengine {

enum class EngineText : std::size_t {
  kPageSaysTitle,
  kLeaveTitle,
  kOk,
  kCancel,
  kLeave,
  kStay,
  kErrorHeading,
  kErrorDetail,  // {code}, {reason}
  kErrorFailed,
  kErrorAborted,
  kErrorFileNotFound,
  kErrorTimedOut,
  kErrorTooBig,
  kErrorAccessDenied,
  kErrorBlocked,
  kErrorConnectionRefused,
  kErrorConnectionFailed,
  kErrorNameNotResolved,
  kErrorInvalidAddress,
  kErrorUnknownScheme,
  kErrorTooManyRedirects,
  kErrorEmptyResponse,
  kInspectorTitle,
  kInspectorPageTitle,  // {title}
  kInspectorBrowsers,
  kInspectorBrowser,    // {id}
  kInspectorAddress,    // {address}
  kInspectorTitleLine,  // {title}
  kInspectorSource,
  kInspectorNoSuchPage,
  kCount
};

inline constexpr std::size_t kEngineTextCount = static_cast<std::size_t>(EngineText::kCount);
inline constexpr std::size_t kLargestLocaleFile = 256 * 1024;

struct EngineTextEntry {
  std::string_view key;
  std::wstring_view english;
};

// Indexed by EngineText.
const std::array<EngineTextEntry, kEngineTextCount>& EngineTextTable();

// The built-in English text.
std::wstring_view EnglishText(EngineText id);

class LocaleTexts {
 public:
  // What one file gave: how many texts it set, and the numbers (from 1) of
  // the lines it passed over.
  struct Merged {
    int taken = 0;
    std::vector<int> passedOver;
  };

  // The built-in English texts.
  LocaleTexts();

  // The texts of `locale` from `folder`, as described at the top.
  static LocaleTexts Load(const std::filesystem::path& folder, std::wstring_view locale);

  // Sets the texts the bytes of one locale file give.
  Merged Merge(std::string_view bytes);

  const std::wstring& Get(EngineText id) const { return texts_[static_cast<std::size_t>(id)]; }

 private:
  std::array<std::wstring, kEngineTextCount> texts_;
};

// Chooses the texts every later LocalText answers from. An empty folder
// means the `locales` folder beside the engine's own library, an empty
// locale "en-US".
void UseLocale(std::wstring_view folder, std::wstring_view locale);

// The text in the chosen language; built-in English before UseLocale.
std::wstring LocalText(EngineText id);

// `pattern` with each `{name}` of `values` replaced by its value, once: a
// value that holds a `{name}` itself is left as it is.
std::wstring FillIn(std::wstring_view pattern,
                    std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values);

}  // namespace devengine

#endif
