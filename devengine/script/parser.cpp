#include "script/parser.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "script/lexer.h"
#include "script/value.h"

namespace devengine::script {

namespace {

using NodePtr = std::unique_ptr<Node>;

// Binding strength of the binary operators; 0 for tokens that are none.
int BinaryPrecedence(const Token& token, bool allowIn) {
  if (token.kind == Token::Kind::Keyword) {
    if (token.op == Op::Instanceof || (token.op == Op::In && allowIn)) return 7;
    return 0;
  }
  if (token.kind != Token::Kind::Punctuator) return 0;
  switch (token.op) {
    case Op::OrOr:
      return 1;
    case Op::AndAnd:
      return 2;
    case Op::Pipe:
      return 3;
    case Op::Caret:
      return 4;
    case Op::Amp:
      return 5;
    case Op::Eq:
    case Op::NotEq:
    case Op::StrictEq:
    case Op::StrictNotEq:
      return 6;
    case Op::Less:
    case Op::Greater:
    case Op::LessEq:
    case Op::GreaterEq:
      return 7;
    case Op::Shl:
    case Op::Shr:
    case Op::UShr:
      return 8;
    case Op::Plus:
    case Op::Minus:
      return 9;
    case Op::Star:
    case Op::Slash:
    case Op::Percent:
      return 10;
    default:
      return 0;
  }
}

bool IsAssignment(Op op) { return op >= Op::Assign && op <= Op::UShrAssign; }
bool IsTarget(const Node& node) {
  return node.kind == NodeKind::Identifier || node.kind == NodeKind::Member ||
         node.kind == NodeKind::Index;
}

class Parser {
 public:
  Parser(Script& script, const StackBudget& budget)
      : script_(script), budget_(budget), tokens_(Tokenize(script.source)) {}

  void Run() {
    FunctionInfo& top = script_.top;
    functions_.push_back(&top);
    auto program = std::make_unique<Node>(NodeKind::Program, 0);
    bodies_.push_back(program.get());
    while (Peek().kind != Token::Kind::End) program->kids.push_back(ParseStatement(program.get()));
    program->end = static_cast<std::uint32_t>(script_.source.size());
    top.end = program->end;
    top.body = std::move(program);
  }

 private:
  const Token& Peek(std::size_t ahead = 0) const {
    return tokens_[std::min(at_ + ahead, tokens_.size() - 1)];
  }
  const Token& Next() {
    const Token& token = tokens_[at_];
    if (token.kind != Token::Kind::End) ++at_;
    lastEnd_ = token.end;
    return token;
  }
  bool Accept(Op op) {
    if (!Peek().Is(op)) return false;
    Next();
    return true;
  }
  bool AcceptKeyword(std::wstring_view word) {
    if (!Peek().IsKeyword(word)) return false;
    Next();
    return true;
  }
  [[noreturn]] void Unexpected(const Token& token) const {
    std::wstring message;
    switch (token.kind) {
      case Token::Kind::End:
        message = L"Unexpected end of input";
        break;
      case Token::Kind::Identifier:
        message = L"Unexpected identifier";
        break;
      case Token::Kind::Number:
        message = L"Unexpected number";
        break;
      case Token::Kind::String:
        message = L"Unexpected string";
        break;
      default:
        message = L"Unexpected token " + script_.source.substr(token.pos, token.end - token.pos);
    }
    throw SyntaxError{message, token.pos, std::max(token.end, token.pos + 1)};
  }
  void Expect(Op op) {
    if (!Accept(op)) Unexpected(Peek());
  }
  std::wstring ExpectIdentifier() {
    if (Peek().kind != Token::Kind::Identifier) Unexpected(Peek());
    return Next().text;
  }
  // Statements end with a semicolon, which a line end, a closing brace or
  // the end of the script may stand for.
  void EndStatement() {
    if (Accept(Op::Semicolon)) return;
    const Token& token = Peek();
    if (token.Is(Op::RBrace) || token.kind == Token::Kind::End || token.newlineBefore) return;
    Unexpected(token);
  }
  void CheckDepth() const {
    if (budget_.Exhausted()) {
      throw SyntaxError{L"Script nested too deeply", Peek().pos, Peek().pos + 1};
    }
  }
  NodePtr Make(NodeKind kind, std::uint32_t pos) const { return std::make_unique<Node>(kind, pos); }
  NodePtr Finish(NodePtr node) const {
    node->end = std::max(node->pos, lastEnd_);
    return node;
  }
  FunctionInfo& Function() { return *functions_.back(); }

  // `block` is the innermost block, which lexical declarations make a scope;
  // null for the body of an if or a loop, which cannot hold them.
  NodePtr ParseStatement(Node* block) {
    CheckDepth();
    const Token& token = Peek();
    const std::uint32_t pos = token.pos;
    if (token.Is(Op::LBrace)) return ParseBlock();
    if (token.Is(Op::Semicolon)) {
      Next();
      return Finish(Make(NodeKind::Empty, pos));
    }
    if (token.kind == Token::Kind::Keyword) {
      if (token.op == Op::Var || token.op == Op::Let || token.op == Op::Const) {
        NodePtr declaration = ParseDeclaration(true);
        EndStatement();
        if (declaration->op != Op::Var) block->lexical = true;
        return Finish(std::move(declaration));
      }
      if (token.text == L"function") {
        NodePtr declaration = ParseFunction(NodeKind::FunctionDecl);
        if (block == bodies_.back()) {
          Function().functions.push_back(declaration.get());
        } else {
          block->lexical = true;
        }
        return declaration;
      }
      if (token.text == L"if") return ParseIf();
      if (token.text == L"for") return ParseFor();
      if (token.text == L"while") {
        Next();
        NodePtr loop = Make(NodeKind::While, pos);
        loop->kids.push_back(ParseCondition());
        loop->kids.push_back(ParseLoopBody());
        return Finish(std::move(loop));
      }
      if (token.text == L"do") {
        Next();
        NodePtr loop = Make(NodeKind::DoWhile, pos);
        loop->kids.push_back(ParseLoopBody());
        if (!AcceptKeyword(L"while")) Unexpected(Peek());
        loop->kids.push_back(ParseCondition());
        Accept(Op::Semicolon);
        return Finish(std::move(loop));
      }
      if (token.text == L"break" || token.text == L"continue") {
        const bool isBreak = token.text == L"break";
        const Token& keyword = Next();
        if (isBreak ? !breakable_ : !loops_) {
          throw SyntaxError{isBreak ? L"Illegal break statement" : L"Illegal continue statement",
                            keyword.pos, keyword.end};
        }
        EndStatement();
        return Finish(Make(isBreak ? NodeKind::Break : NodeKind::Continue, pos));
      }
      if (token.text == L"return") {
        const Token& keyword = Next();
        if (functions_.size() < 2) {
          throw SyntaxError{L"Illegal return statement", keyword.pos, keyword.end};
        }
        NodePtr statement = Make(NodeKind::Return, pos);
        const Token& after = Peek();
        if (!after.newlineBefore && !after.Is(Op::Semicolon) && !after.Is(Op::RBrace) &&
            after.kind != Token::Kind::End) {
          statement->kids.push_back(ParseExpression());
        }
        EndStatement();
        return Finish(std::move(statement));
      }
      if (token.text == L"throw") {
        Next();
        if (Peek().newlineBefore) {
          throw SyntaxError{L"Illegal newline after throw", Peek().pos, Peek().pos + 1};
        }
        NodePtr statement = Make(NodeKind::Throw, pos);
        statement->kids.push_back(ParseExpression());
        EndStatement();
        return Finish(std::move(statement));
      }
      if (token.text == L"try") return ParseTry();
    }
    NodePtr statement = Make(NodeKind::ExprStmt, pos);
    statement->kids.push_back(ParseExpression());
    EndStatement();
    return Finish(std::move(statement));
  }

  NodePtr ParseBlock() {
    NodePtr block = Make(NodeKind::Block, Peek().pos);
    ParseBlockInto(*block);
    return block;
  }
  void ParseBlockInto(Node& block) {
    Expect(Op::LBrace);
    while (!Peek().Is(Op::RBrace)) {
      if (Peek().kind == Token::Kind::End) Unexpected(Peek());
      block.kids.push_back(ParseStatement(&block));
    }
    Next();
    block.end = lastEnd_;
  }

  NodePtr ParseCondition() {
    Expect(Op::LParen);
    NodePtr condition = ParseExpression();
    Expect(Op::RParen);
    return condition;
  }

  // A statement that is a loop's or an if's body: a declaration there would
  // have no block of its own, so it gets one.
  NodePtr ParseSubStatement() {
    const Token& token = Peek();
    if (token.kind == Token::Kind::Keyword &&
        (token.op == Op::Let || token.op == Op::Const || token.text == L"function")) {
      NodePtr block = Make(NodeKind::Block, token.pos);
      block->kids.push_back(ParseStatement(block.get()));
      return Finish(std::move(block));
    }
    return ParseStatement(nullptr);
  }

  NodePtr ParseLoopBody() {
    ++loops_;
    ++breakable_;
    NodePtr body = ParseSubStatement();
    --loops_;
    --breakable_;
    return body;
  }

  NodePtr ParseIf() {
    NodePtr statement = Make(NodeKind::If, Next().pos);
    statement->kids.push_back(ParseCondition());
    statement->kids.push_back(ParseSubStatement());
    if (AcceptKeyword(L"else")) statement->kids.push_back(ParseSubStatement());
    return Finish(std::move(statement));
  }

  NodePtr ParseDeclaration(bool allowIn) {
    const Token& keyword = Next();
    NodePtr declaration = Make(NodeKind::VarDecl, keyword.pos);
    declaration->op = keyword.op;
    do {
      NodePtr declarator = Make(NodeKind::Declarator, Peek().pos);
      declarator->text = ExpectIdentifier();
      if (Accept(Op::Assign)) {
        declarator->kids.push_back(ParseAssignment(allowIn));
      } else if (keyword.op == Op::Const && !Peek().IsKeyword(L"in")) {
        throw SyntaxError{L"Missing initializer in const declaration", declarator->pos, lastEnd_};
      }
      if (keyword.op == Op::Var) Function().varNames.push_back(declarator->text);
      declaration->kids.push_back(Finish(std::move(declarator)));
    } while (Accept(Op::Comma));
    return Finish(std::move(declaration));
  }

  NodePtr ParseFor() {
    const std::uint32_t pos = Next().pos;
    Expect(Op::LParen);
    NodePtr init;
    const Token& first = Peek();
    if (first.Is(Op::Semicolon)) {
      init = Make(NodeKind::Empty, first.pos);
    } else if (first.kind == Token::Kind::Keyword &&
               (first.op == Op::Var || first.op == Op::Let || first.op == Op::Const)) {
      init = ParseDeclaration(false);
    } else {
      init = ParseExpression(false);
    }
    if (AcceptKeyword(L"in")) {
      const bool single =
          init->kind == NodeKind::VarDecl && init->kids.size() == 1 && init->kids[0]->kids.empty();
      if (!single && !IsTarget(*init)) {
        throw SyntaxError{L"Invalid left-hand side in for-in loop", init->pos, init->end};
      }
      NodePtr loop = Make(NodeKind::ForIn, pos);
      loop->kids.push_back(std::move(init));
      loop->kids.push_back(ParseExpression());
      Expect(Op::RParen);
      loop->kids.push_back(ParseLoopBody());
      return Finish(std::move(loop));
    }
    NodePtr loop = Make(NodeKind::For, pos);
    loop->kids.push_back(std::move(init));
    Expect(Op::Semicolon);
    loop->kids.push_back(Peek().Is(Op::Semicolon) ? Make(NodeKind::Empty, Peek().pos)
                                                  : ParseExpression());
    Expect(Op::Semicolon);
    loop->kids.push_back(Peek().Is(Op::RParen) ? Make(NodeKind::Empty, Peek().pos)
                                               : ParseExpression());
    Expect(Op::RParen);
    loop->kids.push_back(ParseLoopBody());
    return Finish(std::move(loop));
  }

  NodePtr ParseTry() {
    NodePtr statement = Make(NodeKind::Try, Next().pos);
    statement->kids.push_back(ParseBlock());
    if (AcceptKeyword(L"catch")) {
      if (Accept(Op::LParen)) {
        statement->text = ExpectIdentifier();
        Expect(Op::RParen);
      }
      statement->kids.push_back(ParseBlock());
    } else {
      statement->kids.push_back(Make(NodeKind::Empty, Peek().pos));
    }
    if (AcceptKeyword(L"finally")) {
      statement->kids.push_back(ParseBlock());
    } else if (statement->kids[1]->kind == NodeKind::Empty) {
      throw SyntaxError{L"Missing catch or finally after try", Peek().pos, Peek().pos + 1};
    } else {
      statement->kids.push_back(Make(NodeKind::Empty, Peek().pos));
    }
    return Finish(std::move(statement));
  }

  NodePtr ParseFunction(NodeKind kind) {
    const Token& keyword = Next();
    NodePtr node = Make(kind, keyword.pos);
    auto info = std::make_unique<FunctionInfo>();
    info->start = keyword.pos;
    if (Peek().kind == Token::Kind::Identifier) {
      info->name = Next().text;
    } else if (kind == NodeKind::FunctionDecl) {
      Unexpected(Peek());
    }
    node->text = info->name;
    Expect(Op::LParen);
    if (!Peek().Is(Op::RParen)) {
      do {
        info->parameters.push_back(ExpectIdentifier());
      } while (Accept(Op::Comma));
    }
    Expect(Op::RParen);
    // Loops and switches outside do not reach into the function.
    const int loops = std::exchange(loops_, 0), breakable = std::exchange(breakable_, 0);
    functions_.push_back(info.get());
    info->body = Make(NodeKind::Block, Peek().pos);
    bodies_.push_back(info->body.get());
    ParseBlockInto(*info->body);
    bodies_.pop_back();
    functions_.pop_back();
    loops_ = loops;
    breakable_ = breakable;
    info->end = lastEnd_;
    node->function = std::move(info);
    return Finish(std::move(node));
  }

  NodePtr ParseExpression(bool allowIn = true) {
    NodePtr first = ParseAssignment(allowIn);
    if (!Peek().Is(Op::Comma)) return first;
    NodePtr sequence = Make(NodeKind::Sequence, first->pos);
    sequence->kids.push_back(std::move(first));
    while (Accept(Op::Comma)) sequence->kids.push_back(ParseAssignment(allowIn));
    return Finish(std::move(sequence));
  }

  NodePtr ParseAssignment(bool allowIn = true) {
    CheckDepth();
    NodePtr target = ParseConditional(allowIn);
    const Token& token = Peek();
    if (token.kind != Token::Kind::Punctuator || !IsAssignment(token.op)) return target;
    if (!IsTarget(*target)) {
      throw SyntaxError{L"Invalid left-hand side in assignment", target->pos, target->end};
    }
    NodePtr assignment = Make(NodeKind::Assign, target->pos);
    assignment->op = Next().op;
    assignment->kids.push_back(std::move(target));
    assignment->kids.push_back(ParseAssignment(allowIn));
    return Finish(std::move(assignment));
  }

  NodePtr ParseConditional(bool allowIn) {
    NodePtr test = ParseBinary(1, allowIn);
    if (!Accept(Op::Question)) return test;
    NodePtr conditional = Make(NodeKind::Conditional, test->pos);
    conditional->kids.push_back(std::move(test));
    conditional->kids.push_back(ParseAssignment());
    Expect(Op::Colon);
    conditional->kids.push_back(ParseAssignment(allowIn));
    return Finish(std::move(conditional));
  }

  NodePtr ParseBinary(int minimum, bool allowIn) {
    NodePtr left = ParseUnary();
    for (;;) {
      const int precedence = BinaryPrecedence(Peek(), allowIn);
      if (precedence < minimum || precedence == 0) return left;
      CheckDepth();
      const Op op = Next().op;
      NodePtr node = Make(op == Op::AndAnd || op == Op::OrOr ? NodeKind::Logical : NodeKind::Binary,
                          left->pos);
      node->op = op;
      node->kids.push_back(std::move(left));
      node->kids.push_back(ParseBinary(precedence + 1, allowIn));
      left = Finish(std::move(node));
    }
  }

  NodePtr ParseUnary() {
    CheckDepth();
    const Token& token = Peek();
    const bool keywordOperator =
        token.kind == Token::Kind::Keyword &&
        (token.op == Op::Typeof || token.op == Op::Void || token.op == Op::Delete);
    const bool punctuatorOperator =
        token.kind == Token::Kind::Punctuator && (token.op == Op::Not || token.op == Op::Minus ||
                                                  token.op == Op::Plus || token.op == Op::Tilde);
    if (keywordOperator || punctuatorOperator) {
      NodePtr node = Make(NodeKind::Unary, token.pos);
      node->op = Next().op;
      node->kids.push_back(ParseUnary());
      return Finish(std::move(node));
    }
    if (token.Is(Op::PlusPlus) || token.Is(Op::MinusMinus)) {
      NodePtr node = Make(NodeKind::Update, token.pos);
      node->op = Next().op;
      node->prefix = true;
      node->kids.push_back(ParseUnary());
      if (!IsTarget(*node->kids[0])) {
        throw SyntaxError{L"Invalid left-hand side expression in prefix operation", node->pos,
                          lastEnd_};
      }
      return Finish(std::move(node));
    }
    NodePtr operand = ParseCallOrMember(ParsePrimaryOrNew(), true);
    const Token& after = Peek();
    if ((after.Is(Op::PlusPlus) || after.Is(Op::MinusMinus)) && !after.newlineBefore) {
      if (!IsTarget(*operand)) {
        throw SyntaxError{L"Invalid left-hand side expression in postfix operation", operand->pos,
                          operand->end};
      }
      NodePtr node = Make(NodeKind::Update, operand->pos);
      node->op = Next().op;
      node->kids.push_back(std::move(operand));
      return Finish(std::move(node));
    }
    return operand;
  }

  NodePtr ParsePrimaryOrNew() {
    if (!Peek().IsKeyword(L"new")) return ParsePrimary();
    CheckDepth();
    NodePtr node = Make(NodeKind::New, Next().pos);
    node->kids.push_back(ParseCallOrMember(ParsePrimaryOrNew(), false));
    if (Peek().Is(Op::LParen)) ParseArguments(*node);
    return Finish(std::move(node));
  }

  void ParseArguments(Node& call) {
    Expect(Op::LParen);
    if (!Peek().Is(Op::RParen)) {
      do {
        call.kids.push_back(ParseAssignment());
      } while (Accept(Op::Comma));
    }
    Expect(Op::RParen);
  }

  NodePtr ParseCallOrMember(NodePtr expression, bool allowCalls) {
    for (;;) {
      const Token& token = Peek();
      if (token.Is(Op::Dot)) {
        Next();
        const Token& name = Next();
        if (name.kind != Token::Kind::Identifier && name.kind != Token::Kind::Keyword) {
          Unexpected(name);
        }
        NodePtr member = Make(NodeKind::Member, expression->pos);
        member->text = name.text;
        member->kids.push_back(std::move(expression));
        expression = Finish(std::move(member));
      } else if (token.Is(Op::LBracket)) {
        Next();
        NodePtr index = Make(NodeKind::Index, expression->pos);
        index->kids.push_back(std::move(expression));
        index->kids.push_back(ParseExpression());
        Expect(Op::RBracket);
        expression = Finish(std::move(index));
      } else if (token.Is(Op::LParen) && allowCalls) {
        CheckDepth();
        NodePtr call = Make(NodeKind::Call, expression->pos);
        call->kids.push_back(std::move(expression));
        ParseArguments(*call);
        expression = Finish(std::move(call));
      } else {
        return expression;
      }
    }
  }

  NodePtr ParsePrimary() {
    const Token& token = Peek();
    const std::uint32_t pos = token.pos;
    switch (token.kind) {
      case Token::Kind::Number: {
        NodePtr node = Make(NodeKind::Number, pos);
        node->number = Next().number;
        return Finish(std::move(node));
      }
      case Token::Kind::String: {
        NodePtr node = Make(NodeKind::String, pos);
        node->text = Next().text;
        return Finish(std::move(node));
      }
      case Token::Kind::Identifier: {
        NodePtr node = Make(NodeKind::Identifier, pos);
        node->text = Next().text;
        if (node->text == L"arguments") Function().usesArguments = true;
        return Finish(std::move(node));
      }
      case Token::Kind::Keyword:
        if (token.op == Op::True || token.op == Op::False || token.op == Op::Null) {
          NodePtr node = Make(NodeKind::Literal, pos);
          node->op = Next().op;
          return Finish(std::move(node));
        }
        if (token.text == L"this") {
          Next();
          return Finish(Make(NodeKind::This, pos));
        }
        if (token.text == L"function") return ParseFunction(NodeKind::FunctionExpr);
        break;
      case Token::Kind::Punctuator:
        if (token.Is(Op::LParen)) {
          Next();
          NodePtr inner = ParseExpression();
          Expect(Op::RParen);
          return inner;
        }
        if (token.Is(Op::LBracket)) return ParseArray();
        if (token.Is(Op::LBrace)) return ParseObject();
        break;
      case Token::Kind::End:
        break;
    }
    Unexpected(token);
  }

  NodePtr ParseArray() {
    NodePtr array = Make(NodeKind::ArrayLit, Next().pos);
    while (!Accept(Op::RBracket)) {
      if (Peek().Is(Op::Comma)) {
        array->kids.push_back(Make(NodeKind::Empty, Next().pos));
        continue;
      }
      array->kids.push_back(ParseAssignment());
      if (!Peek().Is(Op::RBracket)) Expect(Op::Comma);
    }
    return Finish(std::move(array));
  }

  NodePtr ParseObject() {
    NodePtr object = Make(NodeKind::ObjectLit, Next().pos);
    while (!Accept(Op::RBrace)) {
      const Token& key = Next();
      NodePtr property = Make(NodeKind::Property, key.pos);
      switch (key.kind) {
        case Token::Kind::Identifier:
        case Token::Kind::Keyword:
        case Token::Kind::String:
          property->text = key.text;
          break;
        case Token::Kind::Number:
          property->text = NumberToString(key.number);
          break;
        default:
          Unexpected(key);
      }
      if (key.kind == Token::Kind::Identifier && (Peek().Is(Op::Comma) || Peek().Is(Op::RBrace))) {
        NodePtr shorthand = Make(NodeKind::Identifier, key.pos);
        shorthand->text = key.text;
        property->kids.push_back(Finish(std::move(shorthand)));
      } else {
        Expect(Op::Colon);
        property->kids.push_back(ParseAssignment());
      }
      object->kids.push_back(Finish(std::move(property)));
      if (!Peek().Is(Op::RBrace)) Expect(Op::Comma);
    }
    return Finish(std::move(object));
  }

  Script& script_;
  const StackBudget& budget_;
  std::vector<Token> tokens_;
  std::size_t at_ = 0;
  std::uint32_t lastEnd_ = 0;
  std::vector<FunctionInfo*> functions_;
  std::vector<Node*> bodies_;  // the body of each function in functions_
  int loops_ = 0;
  int breakable_ = 0;
};

}  // namespace

void Parse(Script& script, const StackBudget& budget) {
  script.lineStarts = {0};
  const std::wstring& source = script.source;
  for (std::size_t i = 0; i < source.size(); ++i) {
    const wchar_t c = source[i];
    const bool crlf = c == L'\r' && i + 1 < source.size() && source[i + 1] == L'\n';
    if ((c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029) && !crlf) {
      script.lineStarts.push_back(static_cast<std::uint32_t>(i + 1));
    }
  }
  Parser(script, budget).Run();
}

}  // namespace devengine::script
