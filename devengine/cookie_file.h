// The cookies of a folder on disk, shared by every process that uses the
// folder. The file format and the locking are described in README.md.
#ifndef NIMBRA_DEVENGINE_COOKIE_FILE_H
#define NIMBRA_DEVENGINE_COOKIE_FILE_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cookie_jar.h"

namespace devengine {

// Runs `change` on the folder's cookies, the expired ones taken out, while
// holding the folder's lock, and saves them when it answers true. Answers
// false when the folder's cookies can be neither read nor written.
bool UpdateCookieFolder(const std::wstring& folder, const std::function<bool(CookieJar&)>& change);

std::string SerializeCookies(const CookieJar& jar);
// Nullopt for any text this engine did not write whole.
std::optional<CookieJar> ParseCookies(std::string_view text, Ticks now);

}  // namespace devengine

#endif
