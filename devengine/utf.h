// UTF-8 and UTF-16 conversion. Ill-formed input (stray bytes, overlong forms,
// lone surrogates) becomes U+FFFD and is reported through `well_formed`.
#ifndef NIMBRA_DEVENGINE_UTF_H
#define NIMBRA_DEVENGINE_UTF_H

#include <string>
#include <string_view>

namespace devengine {

std::wstring Utf8ToUtf16(std::string_view text, bool* well_formed = nullptr);
std::string Utf16ToUtf8(std::wstring_view text, bool* well_formed = nullptr);
// Bytes above 0x7F are not ASCII and become U+FFFD.
std::wstring AsciiToUtf16(std::string_view text, bool* well_formed = nullptr);

}  // namespace devengine

#endif
