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

static void execute_if_block(int32_t at, int32_t limit);

// Per "if" token in a loop body, once the statement's head has been read without error, where
// its body is: on later passes the ")" and "{" are where they were, and so is the "}".
struct IfBody {
  int32_t open;   // index of the "{"
  int32_t end;    // index just past the body
  int32_t close;  // index of the closing "}", or -1 when the body is left open
};
static std::array<IfBody, MAX_TOKENS> if_bodies;

// Per statement in a loop body, once it has run without error: what it is, and for an
// assignment of a number or an if the form of the expression it reads, so that on later
// passes a single branch leads to the code that carries it out. Such a statement's tokens
// were all accepted on its first pass and stand where they stood, and so do the ";" or the
// ")" and "{" after its expression. Every other statement goes through the dispatcher.
enum StatementForm : uint8_t {
  STATEMENT_UNREAD,
  ASSIGN_OPERAND,  // ASSIGN_OPERAND to ASSIGN_LESS follow FORM_OPERAND to FORM_LESS
  ASSIGN_NOT,
  ASSIGN_NEGATE,
  ASSIGN_ADD,
  ASSIGN_SUBTRACT,
  ASSIGN_MULTIPLY,
  ASSIGN_DIVIDE,
  ASSIGN_EQUAL,
  ASSIGN_NOT_EQUAL,
  ASSIGN_GREATER,
  ASSIGN_LESS,
  ASSIGN_EXPRESSION,  // a number from any other form of expression
  ASSIGN_STRING,
  IF_OPERAND,  // IF_OPERAND, IF_NOT and IF_EQUAL to IF_LESS: a short condition of that form
  IF_NOT,
  IF_EQUAL,
  IF_NOT_EQUAL,
  IF_GREATER,
  IF_LESS,
  IF_CONDITION,   // a condition of "&&", "||" and "!" that can raise no error
  IF_EXPRESSION,  // any other condition
  STATEMENT_OTHER,
};
static_assert(ASSIGN_LESS - ASSIGN_OPERAND == FORM_LESS - FORM_OPERAND);
static std::array<uint8_t, MAX_TOKENS> statement_forms;

// Per assignment of a number, the variable it sets.
static std::array<Variable*, MAX_TOKENS> assignment_targets;

// The first pass over an assignment in a loop body, the name at index at: carried out by the
// statement's rules, then noted for later passes. Returns the index after the statement.
[[gnu::noinline]] static int32_t first_body_assignment(int32_t at) {
  current_token = at;
  execute_assignment();
  // It ran, so the name is a variable found and the value is one literal or an expression.
  if (token_types[at + 2] == TOKEN_STRING) {
    statement_forms[at] = ASSIGN_STRING;
  } else {
    uint8_t form = expression_forms[at + 2];
    statement_forms[at] = form <= FORM_LESS ? ASSIGN_OPERAND + form - FORM_OPERAND
                                            : ASSIGN_EXPRESSION;
  }
  assignment_targets[at] = token_entries[at];
  return current_token;
}

// The first pass over an if in a loop body: reads its head and notes where its body is and
// what its condition is. Returns the condition's truth. Out of line, so that later passes
// keep their few registers.
[[gnu::noinline]] static bool read_body_if_head(int32_t at) {
  Parsed head = read_if_head(at);
  int32_t fact = block_fact(head.at);
  if_bodies[at] = {head.at, block_end(head.at), fact > 0 ? fact - 2 : -1};
  switch (expression_forms[at + 2]) {
    case FORM_OPERAND: statement_forms[at] = IF_OPERAND; break;
    case FORM_NOT: statement_forms[at] = IF_NOT; break;
    case FORM_EQUAL: statement_forms[at] = IF_EQUAL; break;
    case FORM_NOT_EQUAL: statement_forms[at] = IF_NOT_EQUAL; break;
    case FORM_GREATER: statement_forms[at] = IF_GREATER; break;
    case FORM_LESS: statement_forms[at] = IF_LESS; break;
    case FORM_CONDITION: statement_forms[at] = IF_CONDITION; break;
    default: statement_forms[at] = IF_EXPRESSION; break;
  }
  return head.value != 0.0;
}

// The first pass over a statement in a loop body, the statement at index at. Returns the
// index after it.
[[gnu::noinline]] static int32_t first_body_statement(int32_t at);

// The statement at index at sets a number of short form `form`, read before.
[[gnu::always_inline]] inline static int32_t assign_short(int32_t at, ExpressionForm form) {
  // A division by zero is raised by the rules, where they raise it.
  if (divides_by_zero(form, at + 2)) evaluate_at(at + 2);
  set_number(assignment_targets[at], short_value(form, at + 2));
  return at + 3 + short_length(form);
}

[[gnu::always_inline]] inline static int32_t assign_expression(int32_t at) {
  Parsed value = evaluate_at(at + 2);
  set_number(assignment_targets[at], value.value);
  return value.at + 1;
}

// The if at index at, read before, whose condition has the truth `holds`. A closed body that
// runs is run by a nested body loop.
[[gnu::always_inline]] inline static int32_t finish_if(int32_t at, bool holds) {
  const IfBody& body = if_bodies[at];
  if (!holds) return pass_over(body.open, body.end);
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
// here with the cursor in registers once they have run once; every other statement by the
// dispatcher.
[[gnu::always_inline]] inline static void execute_body(int32_t at, int32_t limit) {
  while (at < limit) {
#ifdef ULVANE_TRACE
    trace_statement(at);
#endif
    switch (statement_forms[at]) {
      case STATEMENT_UNREAD:
        at = first_body_statement(at);
        break;
      case ASSIGN_OPERAND:
        at = assign_short(at, FORM_OPERAND);
        break;
      case ASSIGN_NOT:
        at = assign_short(at, FORM_NOT);
        break;
      case ASSIGN_NEGATE:
        at = assign_short(at, FORM_NEGATE);
        break;
      case ASSIGN_ADD:
        at = assign_short(at, FORM_ADD);
        break;
      case ASSIGN_SUBTRACT:
        at = assign_short(at, FORM_SUBTRACT);
        break;
      case ASSIGN_MULTIPLY:
        at = assign_short(at, FORM_MULTIPLY);
        break;
      case ASSIGN_DIVIDE:
        at = assign_short(at, FORM_DIVIDE);
        break;
      case ASSIGN_EQUAL:
        at = assign_short(at, FORM_EQUAL);
        break;
      case ASSIGN_NOT_EQUAL:
        at = assign_short(at, FORM_NOT_EQUAL);
        break;
      case ASSIGN_GREATER:
        at = assign_short(at, FORM_GREATER);
        break;
      case ASSIGN_LESS:
        at = assign_short(at, FORM_LESS);
        break;
      case ASSIGN_EXPRESSION:
        at = assign_expression(at);
        break;
      case ASSIGN_STRING:
        // A string literal: nothing to compute and nothing that can fail.
        set_string(assignment_targets[at], tokens[at + 2].text);
        at += 4;
        break;
      case IF_OPERAND:
        at = finish_if(at, short_truth(FORM_OPERAND, at + 2));
        break;
      case IF_NOT:
        at = finish_if(at, short_truth(FORM_NOT, at + 2));
        break;
      case IF_EQUAL:
        at = finish_if(at, short_truth(FORM_EQUAL, at + 2));
        break;
      case IF_NOT_EQUAL:
        at = finish_if(at, short_truth(FORM_NOT_EQUAL, at + 2));
        break;
      case IF_GREATER:
        at = finish_if(at, short_truth(FORM_GREATER, at + 2));
        break;
      case IF_LESS:
        at = finish_if(at, short_truth(FORM_LESS, at + 2));
        break;
      case IF_CONDITION:
        at = finish_if(at, condition_holds(at + 2));
        break;
      case IF_EXPRESSION:
        at = finish_if(at, evaluate_at(at + 2).value != 0.0);
        break;
      default:
        current_token = at;
        execute_statement();
        at = current_token;
        break;
    }
  }
}

// The statements of a closed if body that runs inside a loop body, up to its "}" at limit.
[[gnu::noinline]] static void execute_if_block(int32_t at, int32_t limit) {
  execute_body(at, limit);
}

static int32_t first_body_statement(int32_t at) {
  switch (token_types[at]) {
    case TOKEN_IDENTIFIER:
      return first_body_assignment(at);
    case TOKEN_IF:
      return finish_if(at, read_body_if_head(at));
    default:
      statement_forms[at] = STATEMENT_OTHER;
      current_token = at;
      execute_statement();
      return current_token;
  }
}

// A loop's passes are run in runs of at most this many, each by one call of run_passes(). A
// WebAssembly engine first runs a routine as quickly compiled code and, once it has run hot,
// compiles it again with its optimizing compiler; the better code is used from the routine's
// next call on, so a loop whose routine never returned would run to its end in the first.
constexpr int PASSES_PER_RUN = 1024;

// Runs passes of the loop whose condition starts at index condition_start and whose body runs
// from body_start up to body_end, the index just past its "}": returns false once the
// condition is false, true after PASSES_PER_RUN passes.
[[gnu::noinline]] static bool run_passes(int32_t condition_start, int32_t body_start,
                                         int32_t body_end) {
  for (int pass = 0; pass < PASSES_PER_RUN; ++pass) {
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
    if (!holds_at(condition_start)) return false;
    // The closing "}" is never taken; in a body left open, body_end is the end token's
    // index, so a statement that would start on the script's last token does not run and
    // the cursor never reaches the end token here.
    execute_body(body_start, body_end - 1);
  }
  return true;
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
  int32_t body_end = block_end(body_start - 1);
  while (run_passes(condition_start, body_start, body_end)) {
  }
  current_token = skip_block(body_start - 1);
}

}  // namespace ulvane
