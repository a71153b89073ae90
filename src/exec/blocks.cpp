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

// For a "{" at index i, once its block has been counted: 1 + the index just past the block's
// matching "}", or, when the block is never closed, -(1 + the end token's index); 0 before.
// The table never changes, so the count is the same every time.
static std::array<int32_t, MAX_TOKENS> block_ends;

static std::array<Variable*, MAX_TOKENS> assignment_targets;

// Only brace tokens count; what lies between them is never examined.
[[gnu::noinline]] static int32_t count_block(int32_t open) {
  int32_t at = open + 1;
  int depth = 1;
  for (; token_types[at] != TOKEN_EOF; ++at) {
    if (token_types[at] == TOKEN_LBRACE) ++depth;
    if (token_types[at] == TOKEN_RBRACE && --depth == 0) break;
  }
  block_ends[open] = depth == 0 ? at + 2 : -(at + 1);
  return block_ends[open];
}

// What block_ends holds for the "{" at index open, counting the block the first time.
static int32_t block_fact(int32_t open) {
  int32_t fact = block_ends[open];
  return fact != 0 ? fact : count_block(open);
}

// The index just past the block whose "{" is at index open: after its "}", or the end token.
static int32_t block_end(int32_t open) {
  int32_t fact = block_fact(open);
  return (fact > 0 ? fact : -fact) - 1;
}

// Passes over the block whose "{" at index open has just been taken, which stays the last
// token taken, to `end`, the index just past the block. Returns end.
static int32_t pass_over(int32_t open, int32_t end) {
  current_line = token_lines[open];
  line_anchor = end;
  return end;
}

static int32_t skip_block(int32_t open) { return pass_over(open, block_end(open)); }

// "if" "(" expression ")" "{", the "if" at index at: the condition's value and the index of
// the "{". The "if" has not been taken: a missing "(" is reported at the line in force before
// it. Every later token is taken, so the line in force needs settling only when the cursor
// moves in another way.
static Parsed read_if_head(int32_t at) {
  if (token_types[at + 1] != TOKEN_LPAREN) {
    current_token = at;
    advance();
    report_missing("Expected '(' after 'if'");
  }
  Parsed condition = evaluate_at(at + 2);
  int32_t close = condition.at;
  if (token_types[close] != TOKEN_RPAREN) {
    current_token = close;
    report_missing("Expected ')' after condition");
  }
  if (token_types[close + 1] != TOKEN_LBRACE) {
    current_token = close + 1;
    report_missing("Expected '{' after if condition");
  }
  return {condition.value, close + 1};
}

// The statements of an if body that runs, from the cursor on, through the "}" that closes
// it. A body left open runs up to the end of the script.
static void execute_if_body() {
  for (;;) {
    uint8_t type = token_types[current_token];
    if (type == TOKEN_RBRACE) {
      ++current_token;
      return;
    }
    if (type == TOKEN_EOF) return;
#ifdef ULVANE_TRACE
    trace_statement(current_token);
#endif
    execute_statement();
  }
}

// if "(" expression ")" "{" statements "}", called with the cursor on "if".
void execute_if() {
  Parsed head = read_if_head(current_token);
  if (head.value == 0.0) {
    current_token = skip_block(head.at);
    return;
  }
  current_token = head.at + 1;
  execute_if_body();
}

// name "=" ( string | expression ) ";" in a loop body, the name at index at, when the name is
// a variable already found: the common case, carried out with the cursor in registers.
// Returns the index after the statement.
[[gnu::always_inline]] inline static int32_t execute_body_assignment(int32_t at) {
  Variable* target = assignment_targets[at];
  if (!target) {
    target = token_entries[at];
    bool assigns = target && token_types[at + 1] == TOKEN_ASSIGN;
    if (assigns && token_types[at + 2] == TOKEN_STRING && token_types[at + 3] == TOKEN_SEMICOLON) {
      // A string literal: nothing to compute and nothing that can fail.
      set_string(target, tokens[at + 2].text);
      return at + 4;
    }
    if (!assigns || token_types[at + 2] == TOKEN_STRING) {
      current_token = at;
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
  return value.at + 1;
}

static void execute_if_block(int32_t at, int32_t limit);

// Per "if" token in a loop body, once the statement's head has been read without error, where
// its body is: on later passes the ")" and "{" are where they were, and so is the "}".
struct IfBody {
  int32_t open;   // index of the "{"; 0 before the head has been read
  int32_t end;    // index just past the body
  int32_t close;  // index of the closing "}", or -1 when the body is left open
};
static std::array<IfBody, MAX_TOKENS> if_bodies;

// The first pass over an if in a loop body: reads its head and notes where its body is.
// Returns the condition's value. Out of line, so that later passes keep their few registers.
[[gnu::noinline]] static double read_body_if_head(int32_t at) {
  Parsed head = read_if_head(at);
  int32_t fact = block_fact(head.at);
  if_bodies[at] = {head.at, block_end(head.at), fact > 0 ? fact - 2 : -1};
  return head.value;
}

// if "(" expression ")" "{" statements "}" in a loop body, the "if" at index at; returns the
// index after the statement. A closed body that runs is run by a nested body loop.
static int32_t execute_body_if(int32_t at) {
  double condition =
      if_bodies[at].open ? evaluate_at(at + 2).value : read_body_if_head(at);
  const IfBody& body = if_bodies[at];
  if (condition == 0.0) return pass_over(body.open, body.end);
  if (body.close >= 0) {
    execute_if_block(body.open + 1, body.close);
    return body.end;
  }
  // A body left open runs up to the end of the script, past the loop body's limit.
  current_token = body.open + 1;
  execute_if_body();
  return current_token;
}

// The statements of a loop body, from index at up to limit, the index of the body's closing
// "}" (of the script's last token when the body is left open): a statement that would start
// at limit does not run. Assignments and ifs, the statements loops run most, are carried out
// here with the cursor in registers; every other statement by the dispatcher.
[[gnu::always_inline]] inline static void execute_body(int32_t at, int32_t limit) {
  while (at < limit) {
    uint8_t type = token_types[at];
#ifdef ULVANE_TRACE
    trace_statement(at);
#endif
    if (type == TOKEN_IDENTIFIER) {
      at = execute_body_assignment(at);
    } else if (type == TOKEN_IF) {
      at = execute_body_if(at);
    } else {
      current_token = at;
      execute_statement();
      at = current_token;
    }
  }
}

// The statements of a closed if body that runs inside a loop body, up to its "}" at limit.
[[gnu::noinline]] static void execute_if_block(int32_t at, int32_t limit) { execute_body(at, limit); }

// while "(" expression ")" "{" statements "}"
void execute_while() {
  consume(TOKEN_LPAREN, "Expected '(' after 'while'");
  int32_t condition_start = current_token;
  // This first pass only finds where the condition ends, but still raises its errors.
  evaluate();
  consume(TOKEN_RPAREN, "Expected ')' after condition");
  consume(TOKEN_LBRACE, "Expected '{' after while condition");
  int32_t body_start = current_token;
  int32_t body_end = block_end(body_start - 1);
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
    // The condition ends where it did on the first pass, which found the ")" and "{" after
    // it: they are taken again by stepping over them.
    if (evaluate_at(condition_start).value == 0.0) {
      current_token = skip_block(body_start - 1);
      return;
    }
    // The closing "}" is never taken; in a body left open, body_end is the end token's
    // index, so a statement that would start on the script's last token does not run and
    // the cursor never reaches the end token here.
    execute_body(body_start, body_end - 1);
  }
}

}  // namespace ulvane
