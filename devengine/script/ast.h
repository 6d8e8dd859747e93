// The tree a script parses into. A Script owns its source text and its whole
// tree; every function made from it holds the Script, so the tree lives as
// long as any of its functions.
#ifndef NIMBRA_DEVENGINE_SCRIPT_AST_H
#define NIMBRA_DEVENGINE_SCRIPT_AST_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace devengine::script {

enum class NodeKind : std::uint8_t {
  // Statements
  Program,       // kids: statements
  Block,         // kids: statements; `lexical` when it declares let/const/functions
  VarDecl,       // kids: Declarator...; `op` Var, Let or Const
  Declarator,    // text: name; kids: [initialiser]
  FunctionDecl,  // function
  ExprStmt,      // kids: expression
  If,            // kids: test, then, [else]
  For,           // kids: init|Empty, test|Empty, update|Empty, body
  ForIn,         // kids: VarDecl or target, object, body
  While,         // kids: test, body
  DoWhile,       // kids: body, test
  Break,
  Continue,
  Return,  // kids: [value]
  Throw,   // kids: value
  Try,     // kids: block, catch block|Empty, finally block|Empty; text: catch name
  Empty,
  // Expressions
  Number,      // number
  String,      // text
  Identifier,  // text
  This,
  Literal,       // op: True, False, Null
  ArrayLit,      // kids: elements
  ObjectLit,     // kids: Property
  Property,      // text: key; kids: value
  FunctionExpr,  // function
  Member,        // kids: object; text: name
  Index,         // kids: object, key
  Call,          // kids: callee, arguments...
  New,           // kids: callee, arguments...
  Unary,         // op; kids: operand
  Update,        // op: PlusPlus|MinusMinus; prefix; kids: target
  Binary,        // op; kids: left, right
  Logical,       // op: AndAnd|OrOr; kids: left, right
  Conditional,   // kids: test, then, else
  Assign,        // op: Assign or the compound operator; kids: target, value
  Sequence,      // kids: expressions
};

// Punctuators, operators and keywords, shared by the lexer and the tree.
enum class Op : std::uint8_t {
  None,
  // Punctuation
  LParen,
  RParen,
  LBrace,
  RBrace,
  LBracket,
  RBracket,
  Semicolon,
  Comma,
  Dot,
  Question,
  Colon,
  // Operators
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  PlusPlus,
  MinusMinus,
  Not,
  Tilde,
  Amp,
  Pipe,
  Caret,
  Shl,
  Shr,
  UShr,
  AndAnd,
  OrOr,
  Less,
  Greater,
  LessEq,
  GreaterEq,
  Eq,
  NotEq,
  StrictEq,
  StrictNotEq,
  Assign,
  PlusAssign,
  MinusAssign,
  StarAssign,
  SlashAssign,
  PercentAssign,
  AmpAssign,
  PipeAssign,
  CaretAssign,
  ShlAssign,
  ShrAssign,
  UShrAssign,
  // Keywords that are operators or values
  Typeof,
  Void,
  Delete,
  In,
  Instanceof,
  True,
  False,
  Null,
  // Declarations
  Var,
  Let,
  Const,
};

struct FunctionInfo;

struct Node {
  NodeKind kind;
  Op op = Op::None;
  bool prefix = false;
  bool lexical = false;
  std::uint32_t pos = 0;  // offset of its first character in the source
  std::uint32_t end = 0;  // offset just past it
  double number = 0;
  std::wstring text;
  std::vector<std::unique_ptr<Node>> kids;
  std::unique_ptr<FunctionInfo> function;

  Node(NodeKind kind, std::uint32_t pos) : kind(kind), pos(pos), end(pos) {}
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  // Takes the subtree apart without recursion, however deep it is.
  ~Node();
  const Node& operator[](std::size_t i) const { return *kids[i]; }
};

struct FunctionInfo {
  std::wstring name;  // empty for an anonymous expression
  std::vector<std::wstring> parameters;
  std::vector<std::wstring> varNames;  // hoisted to the function's scope
  std::vector<const Node*> functions;  // declarations hoisted to the function's scope
  std::unique_ptr<Node> body;          // a Block (the Program for a script's top level)
  bool usesArguments = false;
  std::uint32_t start = 0, end = 0;  // its source text
};

struct Script {
  std::wstring source;
  std::wstring name;
  int startLine = 1;
  std::vector<std::uint32_t> lineStarts;  // offsets where each line begins
  FunctionInfo top;                       // the top level, as a function without parameters

  struct Location {
    int line;    // counted from startLine
    int column;  // 0-based
  };
  Location LocationOf(std::uint32_t pos) const;
  std::wstring LineText(int line) const;
};

}  // namespace devengine::script

#endif
