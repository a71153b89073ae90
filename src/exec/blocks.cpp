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

// Called just after a "{": moves past the matching "}", or to the end token. Only brace
// tokens count; what lies between them is never examined.
static void skip_block() {
  int32_t open = current_token - 1;
  if (int32_t known = block_ends[open]) {
    current_token = known - 1;
    return;
  }
  int depth = 1;
  while (depth > 0 && token_types[current_token] != TOKEN_EOF) {
    uint8_t type = token_types[current_token++];
    if (type == TOKEN_LBRACE) ++depth;
    if (type == TOKEN_RBRACE) --depth;
  }
  block_ends[open] = current_token + 1;
}

// if "(" expression ")" "{" statements "}"
void execute_if() {
  consume(TOKEN_LPAREN, "Expected '(' after 'if'");
  double condition = evaluate();
  consume(TOKEN_RPAREN, "Expected ')' after condition");
  consume(TOKEN_LBRACE, "Expected '{' after if condition");
  if (condition == 0.0) {
    skip_block();
    return;
  }
  // A body left open runs up to the end of the script.
  while (!match(TOKEN_RBRACE) && token_types[current_token] != TOKEN_EOF) execute_statement();
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
    current_token = condition_start;
    // Unlike match(), this sets the line even when it is not positive.
    current_line = token_lines[condition_start];
    double condition = evaluate();
    consume(TOKEN_RPAREN, "Expected ')' after condition");
    consume(TOKEN_LBRACE, "Expected '{' after while condition");
    if (condition == 0.0) {
      current_token = body_end;
      return;
    }
    // The closing "}" is never taken; in a body left open, a statement that would start
    // on the script's last token does not run.
    current_token = body_start;
    while (current_token < body_end - 1 && token_types[current_token] != TOKEN_EOF) {
      execute_statement();
    }
  }
}

}  // namespace ulvane
