// Shared between the statement files of the execution subsystem only.
#pragma once

#include "lexer/lexer.h"
#include "values/values.h"
#ifdef ULVANE_TRACE
#include "driver/trace.h"
#endif

namespace ulvane {

void execute_assignment();

// Per token, the entry an assignment starting there writes, once the statement has been
// seen to be name "=" expression ";" with the name found: facts that never change after.
extern std::array<Variable*, MAX_TOKENS> assignment_targets;

// name "=" expression ";" when the name is a variable already found: the common case,
// carried out with the cursor in registers. The statement's first token is taken without
// changing the line in force and every later one by match, so once "=" has been taken the
// line in force is that of the token before the cursor. line_anchor lies at or before the
// statement's first token, so line_in_force() says just that without the cursor's earlier
// moves being settled: nothing but the cursor needs to be written.
inline int32_t execute_body_assignment() {
  int32_t at = current_token;
  Variable* target = assignment_targets[at];
  if (!target) {
    target = token_entries[at];
    if (!target || token_types[at + 1] != TOKEN_ASSIGN || token_types[at + 2] == TOKEN_STRING) {
      execute_assignment();
      return current_token;
    }
    assignment_targets[at] = target;
  }
  Parsed value = evaluate_at(at + 2);
  if (token_types[value.at] != TOKEN_SEMICOLON) {
    current_token = value.at;
    report_missing("Expected ';' after assignment");
  }
  set_number(target, value.value);
  current_token = value.at + 1;
  return value.at + 1;
}

void execute_if();
void execute_while();

// One statement of a block body; returns the cursor after it. Assignments and ifs, the
// statements loops run most, are carried out here without the dispatcher's call.
inline int32_t execute_body_statement() {
#ifdef ULVANE_TRACE
  trace_statement(current_token);
#endif
  uint8_t type = token_types[current_token];
  if (type == TOKEN_IDENTIFIER) return execute_body_assignment();
  if (type == TOKEN_IF) {
    execute_if();
  } else {
    execute_statement();
  }
  return current_token;
}

}  // namespace ulvane
