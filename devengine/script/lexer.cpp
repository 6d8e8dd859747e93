#include "script/lexer.h"

#include <cwctype>
#include <utility>

#include "script/value.h"

namespace devengine::script {

namespace {

// The one-letter escapes of a string literal and the character each stands for.
constexpr std::pair<wchar_t, wchar_t> kSimpleEscapes[] = {
    {L'n', L'\n'}, {L't', L'\t'}, {L'r', L'\r'}, {L'b', L'\b'},
    {L'f', L'\f'}, {L'v', L'\v'}, {L'0', L'\0'},
};

const wchar_t* SimpleEscape(wchar_t letter) {
  for (const auto& [escape, character] : kSimpleEscapes)
    if (escape == letter) return &character;
  return nullptr;
}

// Longest first, so that the first match is the longest one.
constexpr std::pair<std::wstring_view, Op> kPunctuators[] = {
    {L">>>=", Op::UShrAssign},
    {L"===", Op::StrictEq},
    {L"!==", Op::StrictNotEq},
    {L">>>", Op::UShr},
    {L"<<=", Op::ShlAssign},
    {L">>=", Op::ShrAssign},
    {L"==", Op::Eq},
    {L"!=", Op::NotEq},
    {L"<=", Op::LessEq},
    {L">=", Op::GreaterEq},
    {L"&&", Op::AndAnd},
    {L"||", Op::OrOr},
    {L"++", Op::PlusPlus},
    {L"--", Op::MinusMinus},
    {L"+=", Op::PlusAssign},
    {L"-=", Op::MinusAssign},
    {L"*=", Op::StarAssign},
    {L"/=", Op::SlashAssign},
    {L"%=", Op::PercentAssign},
    {L"&=", Op::AmpAssign},
    {L"|=", Op::PipeAssign},
    {L"^=", Op::CaretAssign},
    {L"<<", Op::Shl},
    {L">>", Op::Shr},
    {L"(", Op::LParen},
    {L")", Op::RParen},
    {L"{", Op::LBrace},
    {L"}", Op::RBrace},
    {L"[", Op::LBracket},
    {L"]", Op::RBracket},
    {L";", Op::Semicolon},
    {L",", Op::Comma},
    {L".", Op::Dot},
    {L"?", Op::Question},
    {L":", Op::Colon},
    {L"+", Op::Plus},
    {L"-", Op::Minus},
    {L"*", Op::Star},
    {L"/", Op::Slash},
    {L"%", Op::Percent},
    {L"!", Op::Not},
    {L"~", Op::Tilde},
    {L"&", Op::Amp},
    {L"|", Op::Pipe},
    {L"^", Op::Caret},
    {L"<", Op::Less},
    {L">", Op::Greater},
    {L"=", Op::Assign},
};

// Keywords; those that act as operators or values carry their Op.
constexpr std::pair<std::wstring_view, Op> kKeywords[] = {
    {L"var", Op::Var},      {L"let", Op::Let},
    {L"const", Op::Const},  {L"typeof", Op::Typeof},
    {L"void", Op::Void},    {L"delete", Op::Delete},
    {L"in", Op::In},        {L"instanceof", Op::Instanceof},
    {L"true", Op::True},    {L"false", Op::False},
    {L"null", Op::Null},    {L"function", Op::None},
    {L"return", Op::None},  {L"if", Op::None},
    {L"else", Op::None},    {L"for", Op::None},
    {L"while", Op::None},   {L"do", Op::None},
    {L"break", Op::None},   {L"continue", Op::None},
    {L"throw", Op::None},   {L"try", Op::None},
    {L"catch", Op::None},   {L"finally", Op::None},
    {L"new", Op::None},     {L"this", Op::None},
    {L"switch", Op::None},  {L"case", Op::None},
    {L"default", Op::None}, {L"class", Op::None},
};

bool IsLineEnd(wchar_t c) { return c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029; }
bool IsIdentifierStart(wchar_t c) {
  return c == L'$' || c == L'_' || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
         (c > 0x7F && std::iswalpha(c));
}
bool IsIdentifierPart(wchar_t c) { return IsIdentifierStart(c) || (c >= L'0' && c <= L'9'); }
int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

class Lexer {
 public:
  explicit Lexer(std::wstring_view source) : source_(source) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    for (;;) {
      const bool newline = SkipSpaceAndComments();
      Token token;
      token.pos = Offset();
      token.newlineBefore = newline;
      if (at_ >= source_.size()) {
        token.end = token.pos;
        tokens.push_back(std::move(token));
        return tokens;
      }
      Scan(token);
      token.end = Offset();
      tokens.push_back(std::move(token));
    }
  }

 private:
  std::uint32_t Offset() const { return static_cast<std::uint32_t>(at_); }
  wchar_t Peek(std::size_t ahead = 0) const {
    return at_ + ahead < source_.size() ? source_[at_ + ahead] : L'\0';
  }
  [[noreturn]] void Fail(std::wstring message, std::size_t pos) const {
    throw SyntaxError{std::move(message), static_cast<std::uint32_t>(pos),
                      static_cast<std::uint32_t>(pos + 1)};
  }

  // Answers whether a line ended in what it skipped.
  bool SkipSpaceAndComments() {
    bool newline = false;
    while (at_ < source_.size()) {
      const wchar_t c = source_[at_];
      if (IsLineEnd(c)) {
        newline = true;
        ++at_;
      } else if (c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0xA0 || c == 0xFEFF) {
        ++at_;
      } else if (c == L'/' && Peek(1) == L'/') {
        while (at_ < source_.size() && !IsLineEnd(source_[at_])) ++at_;
      } else if (c == L'/' && Peek(1) == L'*') {
        const std::size_t close = source_.find(L"*/", at_ + 2);
        if (close == std::wstring_view::npos) Fail(L"Invalid or unexpected token", at_);
        for (std::size_t i = at_; i < close; ++i) newline = newline || IsLineEnd(source_[i]);
        at_ = close + 2;
      } else {
        break;
      }
    }
    return newline;
  }

  void Scan(Token& token) {
    const wchar_t c = Peek();
    if (IsIdentifierStart(c)) return ScanWord(token);
    if ((c >= L'0' && c <= L'9') || (c == L'.' && Peek(1) >= L'0' && Peek(1) <= L'9')) {
      return ScanNumber(token);
    }
    if (c == L'"' || c == L'\'') return ScanString(token);
    for (const auto& [text, op] : kPunctuators) {
      if (source_.substr(at_, text.size()) == text) {
        token.kind = Token::Kind::Punctuator;
        token.op = op;
        at_ += text.size();
        return;
      }
    }
    Fail(L"Invalid or unexpected token", at_);
  }

  void ScanWord(Token& token) {
    const std::size_t start = at_;
    while (at_ < source_.size() && IsIdentifierPart(source_[at_])) ++at_;
    token.text = std::wstring(source_.substr(start, at_ - start));
    token.kind = Token::Kind::Identifier;
    for (const auto& [word, op] : kKeywords) {
      if (token.text == word) {
        token.kind = Token::Kind::Keyword;
        token.op = op;
      }
    }
  }

  void ScanNumber(Token& token) {
    const std::size_t start = at_;
    token.kind = Token::Kind::Number;
    if (Peek() == L'0' && (Peek(1) == L'x' || Peek(1) == L'X')) {
      at_ += 2;
      if (HexDigit(Peek()) < 0) Fail(L"Invalid or unexpected token", start);
      while (HexDigit(Peek()) >= 0) token.number = token.number * 16 + HexDigit(source_[at_++]);
    } else {
      const auto digits = [this] {
        while (Peek() >= L'0' && Peek() <= L'9') ++at_;
      };
      digits();
      if (Peek() == L'.') {
        ++at_;
        digits();
      }
      if (Peek() == L'e' || Peek() == L'E') {
        const std::size_t mark = at_++;
        if (Peek() == L'+' || Peek() == L'-') ++at_;
        if (Peek() < L'0' || Peek() > L'9') Fail(L"Invalid or unexpected token", mark);
        digits();
      }
      token.number = StringToNumber(source_.substr(start, at_ - start));
    }
    if (IsIdentifierStart(Peek())) Fail(L"Invalid or unexpected token", at_);
  }

  void ScanString(Token& token) {
    const std::size_t start = at_;
    const wchar_t quote = source_[at_++];
    token.kind = Token::Kind::String;
    for (;;) {
      if (at_ >= source_.size() || IsLineEnd(Peek())) Fail(L"Invalid or unexpected token", start);
      const wchar_t c = source_[at_++];
      if (c == quote) return;
      if (c != L'\\') {
        token.text += c;
        continue;
      }
      if (at_ >= source_.size()) Fail(L"Invalid or unexpected token", start);
      const wchar_t escaped = source_[at_++];
      if (const wchar_t* simple = SimpleEscape(escaped)) {
        token.text += *simple;
        continue;
      }
      switch (escaped) {
        case L'x':
          token.text += HexEscape(2);
          break;
        case L'u':
          token.text += HexEscape(4);
          break;
        case L'\r':
          if (Peek() == L'\n') ++at_;
          break;
        case L'\n':
        case 0x2028:
        case 0x2029:
          break;
        default:
          token.text += escaped;
      }
    }
  }

  wchar_t HexEscape(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
      const int digit = HexDigit(Peek());
      if (digit < 0) Fail(L"Invalid hexadecimal escape sequence", at_);
      value = value * 16 + digit;
      ++at_;
    }
    return static_cast<wchar_t>(value);
  }

  std::wstring_view source_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::wstring_view source) { return Lexer(source).Run(); }

}  // namespace devengine::script
