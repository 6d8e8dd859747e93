// Command-line text on Windows: splitting it into words the way the system
// does for a program's arguments, and quoting words so they split back.
#ifndef NIMBRA_DEVENGINE_COMMAND_LINE_TEXT_H
#define NIMBRA_DEVENGINE_COMMAND_LINE_TEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace devengine {

// The first word is the program: quotes delimit it and backslashes are
// plain. The rest follow the argument rules: 2n backslashes before a quote
// give n and the quote opens or closes a quoted part, 2n+1 give n and a
// literal quote, and "" inside a quoted part is a literal quote.
std::vector<std::wstring> SplitCommandLine(std::wstring_view text);

std::wstring QuoteProgram(std::wstring_view program);
std::wstring QuoteArgument(std::wstring_view argument);

}  // namespace devengine

#endif
