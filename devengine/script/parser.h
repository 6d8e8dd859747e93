// Parses a script's source into its tree.
#ifndef NIMBRA_DEVENGINE_SCRIPT_PARSER_H
#define NIMBRA_DEVENGINE_SCRIPT_PARSER_H

#include "script/ast.h"
#include "script/stack_budget.h"

namespace devengine::script {

// Fills `script.lineStarts` and `script.top` from `script.source`. Throws
// SyntaxError (lexer.h), also when the nesting exhausts `budget`.
void Parse(Script& script, const StackBudget& budget);

}  // namespace devengine::script

#endif
