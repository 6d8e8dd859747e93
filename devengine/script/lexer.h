// Splits script source into tokens. Knows no regular-expression or template
// literals; `/` is always division.
#ifndef NIMBRA_DEVENGINE_SCRIPT_LEXER_H
#define NIMBRA_DEVENGINE_SCRIPT_LEXER_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/ast.h"

namespace devengine::script {

struct Token {
  enum class Kind : std::uint8_t { End, Identifier, Keyword, Number, String, Punctuator };
  Kind kind = Kind::End;
  Op op = Op::None;   // punctuators, and keywords that are operators or values
  std::wstring text;  // identifier or keyword name, string contents
  double number = 0;
  std::uint32_t pos = 0, end = 0;
  bool newlineBefore = false;  // a line ends between this token and the one before

  bool Is(Op wanted) const { return kind == Kind::Punctuator && op == wanted; }
  bool IsKeyword(std::wstring_view word) const { return kind == Kind::Keyword && text == word; }
};

// Thrown by the lexer and the parser; the interpreter reports it as a
// script SyntaxError at `pos`.
struct SyntaxError {
  std::wstring message;
  std::uint32_t pos, end;
};

// The tokens of `source`, ending with one of kind End. Throws SyntaxError.
std::vector<Token> Tokenize(std::wstring_view source);

}  // namespace devengine::script

#endif
