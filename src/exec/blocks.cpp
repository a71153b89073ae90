// Blocks, if and while, worked directly on the token table: a body that must not run is
// passed over by counting braces, and a loop runs again by moving the cursor back to its
// condition and re-reading it.
#include <cstdlib>

#include "driver/driver.h"
#include "exec/exec.h"
#include "exec/exec_internal.h"
#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

// For a "{" at index i, 1 + the index just past its matching "}" (or of the end token
// when it is never closed), once skip_block() has counted it. The table never changes,
// so the count is the same every time.
static std::array<int32_t, MAX_TOKENS> block_ends;

std::array<Variable*, MAX_TOKENS> assignment_targets;

// The index of the matching "}" of the "{" at index open, or of the end token when it is
// never closed. Only brace tokens count; what lies between them is never examined.
[[gnu::noinline]] static int32_t find_block_end(int32_t open) {
  int32_t end = open + 1;
  for (int depth = 1; depth > 0 && token_types[end] != TOKEN_EOF; ++end) {
    if (token_types[end] == TOKEN_LBRACE) ++depth;
    if (token_types[end] == TOKEN_RBRACE) --depth;
  }
  block_ends[open] = end + 1;
  return end;
}

// Called just after a "{": moves past the matching "}", or to the end token.
static void skip_block() {
  int32_t open = current_token - 1;
  int32_t end = block_ends[open] - 1;
  if (end < 0) end = find_block_end(open);
  move_cursor(end);
}

// if "(" expression ")" "{" statements "}"
// Called with the cursor on "if", which has not been taken: the line in force is still that
// of the token before it, and a missing "(" is reported there. Every later token is taken,
// so the line in force is settled only when the cursor moves in another way.
void execute_if() {
  int32_t at = current_token + 1;
  if (token_types[at] != TOKEN_LPAREN) {
    advance();
    report_missing("Expected '(' after 'if'");
  }
  Parsed condition = evaluate_at(at + 1);
  at = condition.at;
  if (token_types[at] != TOKEN_RPAREN) {
    current_token = at;
    report_missing("Expected ')' after condition");
  }
  if (token_types[at + 1] != TOKEN_LBRACE) {
    current_token = at + 1;
    report_missing("Expected '{' after if condition");
  }
  at += 2;
  current_token = at;
  if (condition.value == 0.0) {
    skip_block();
    return;
  }
  // A body left open runs up to the end of the script.
  for (;;) {
    uint8_t type = token_types[at];
    if (type == TOKEN_RBRACE) {
      current_token = at + 1;
      return;
    }
    if (type == TOKEN_EOF) return;
    at = execute_body_statement();
  }
}

// while "(" expression ")" "{" statements "}"
void execute_while() {
  consume(TOKEN_LPAREN, "Expected '(' after 'while'");
  int32_t condition_start = current_token;
  // This first pass only finds where the condition ends, but still raises its errors.
  evaluate();
  consume(TOKEN_RPAREN, "Expected ')' after condition");
  consume(TOKEN_LBRACE, "Expected '{' after while condition");
  int32_t body_start = current_token;
  skip_block();
  int32_t body_end = current_token;
  for (;;) {
#ifdef ULVANE_FUZZ_LOOP_LIMIT
    // Fuzz build only: stop the run as a user stops an endless loop, counted over all
    // loops so that nested ones stay bounded too.
    static long passes = 0;
    if (++passes > ULVANE_FUZZ_LOOP_LIMIT) std::exit(0);
#endif
    restart_at(condition_start);
#ifdef ULVANE_TRACE
    trace_condition(condition_start);
#endif
    double condition = evaluate_at(condition_start).value;
    // The condition ends where it did on the first pass, which found the ")" and "{" after
    // it: they are taken again by stepping over them.
    int32_t at = body_start;
    current_token = at;
    if (condition == 0.0) {
      move_cursor(body_end);
      return;
    }
    // The closing "}" is never taken; in a body left open, body_end is the end token's
    // index, so a statement that would start on the script's last token does not run and
    // the cursor never reaches the end token here.
    while (at < body_end - 1) at = execute_body_statement();
  }
}

}  // namespace ulvane
