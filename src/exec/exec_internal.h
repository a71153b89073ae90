// Shared between the statement files of the execution subsystem only.
#pragma once

#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

[[noreturn]] void unexpected_identifier(int32_t name_token);

// name "=" ( string | expression ) ";"
inline void execute_assignment() {
  int32_t name_token = current_token;
  advance();
  if (!match(TOKEN_ASSIGN)) unexpected_identifier(name_token);
  // The target is looked up before the right-hand side is read, so an undefined target
  // is reported even when the right-hand side is faulty.
  Variable* target = token_variable_or_fail(name_token);
  if (match(TOKEN_STRING)) {
    set_string(target, tokens[current_token - 1].text);
  } else {
    set_number(target, evaluate());
  }
  consume(TOKEN_SEMICOLON, "Expected ';' after assignment");
}

void execute_if();
void execute_while();

// One statement of a block body. Assignments, the statements loops run most, are carried
// out here without the dispatcher's call.
inline void execute_body_statement() {
  if (token_types[current_token] == TOKEN_IDENTIFIER) {
    execute_assignment();
  } else {
    execute_statement();
  }
}

}  // namespace ulvane
