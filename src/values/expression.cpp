// Expression evaluator: parses and computes in the same pass over the token cursor,
// returning a double as soon as each rule is read; no tree is built.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
//
// Inside the evaluator the cursor travels in registers: each routine takes the index of
// its first token and returns its value with the index after its last one. Every step is
// a take, so the line in force needs no bookkeeping; current_token is written back when
// the expression ends and before any error is raised.
#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

#define ULVANE_INLINE [[gnu::always_inline]] inline

namespace ulvane {

// 1.0 or 0.0, computed without a branch: comparisons in scripts often go either way.
static double truth(bool condition) { return static_cast<double>(static_cast<int>(condition)); }

[[noreturn, gnu::cold]] static void string_in_expression(int32_t at) {
  current_token = at;
  error("Cannot use string in expression");
}

[[noreturn, gnu::cold]] static void expected_expression(int32_t at) {
  current_token = at;
  error("Expected expression (got '%s')", peek().text);
}

[[noreturn, gnu::cold]] static void missing_parenthesis(int32_t at) {
  current_token = at;
  report_missing("Expected ')'");
}

[[noreturn, gnu::cold]] static void division_by_zero(int32_t at) {
  current_token = at;
  error("Division by zero");
}

static Parsed parse_expression(int32_t at);

// primary = number | identifier | "(" expression ")"
// The parenthesised expression is read by parse_unary(), which saves a call.
[[gnu::noinline]] static Parsed parse_primary(int32_t at) {
  switch (token_types[at]) {
    case TOKEN_NUMBER:
      operand_slots[at] = &token_numbers[at];
      return {token_numbers[at], at + 1};
    case TOKEN_IDENTIFIER:
      current_token = at + 1;
      // A variable that holds a string still reads as its number.
      return {token_variable_or_fail(at)->number, at + 1};
    case TOKEN_STRING:
      string_in_expression(at + 1);
    default:
      expected_expression(at);
  }
}

static Parsed parse_unary(int32_t at);

// An operand of a binary operator: a number, or a variable already found, is read on the
// spot from its slot; everything else goes through the unary rule.
ULVANE_INLINE static Parsed parse_operand(int32_t at) {
  if (const double* slot = operand_slots[at]) return {*slot, at + 1};
  return parse_unary(at);
}

// unary = "!" unary | "-" unary | primary
[[gnu::noinline]] static Parsed parse_unary(int32_t at) {
  switch (token_types[at]) {
    case TOKEN_NOT: {
      Parsed operand = parse_operand(at + 1);
      return {truth(operand.value == 0.0), operand.at};
    }
    case TOKEN_MINUS: {
      Parsed operand = parse_operand(at + 1);
      // A sign flip, so -0 is -0.0.
      return {-operand.value, operand.at};
    }
    case TOKEN_LPAREN: {
      Parsed inner = parse_expression(at + 1);
      if (token_types[inner.at] != TOKEN_RPAREN) missing_parenthesis(inner.at);
      return {inner.value, inner.at + 1};
    }
    default:
      return parse_primary(at);
  }
}

// The binary levels, loosest first; every one is a left-associative loop of the same shape:
//   logic_or   = logic_and { "||" logic_and }
//   logic_and  = comparison { "&&" comparison }
//   comparison = term { ("==" | "!=" | ">" | "<") term }
//   term       = factor { ("+" | "-") factor }
//   factor     = unary { ("*" | "/") unary }
// so one loop walks them all. Given the first operand already read, it takes every
// operator of `lowest` or a tighter level; the right operand of an operator extends over
// all operators tighter than it, exactly as the nested loops of the rules would read it.
// Tokens are taken, and errors raised, in the same order as those loops.
ULVANE_INLINE static double apply(TokenType op, double left, double right, int32_t at) {
  switch (op) {
    case TOKEN_STAR: return left * right;
    case TOKEN_SLASH:
      // -0.0 compares equal to 0.0; NaN does not.
      if (right == 0.0) division_by_zero(at);
      return left / right;
    case TOKEN_PLUS: return left + right;
    case TOKEN_MINUS: return left - right;
    case TOKEN_EQ: return truth(left == right);
    case TOKEN_NEQ: return truth(left != right);
    case TOKEN_GT: return truth(left > right);
    case TOKEN_LT: return truth(left < right);
    // Both sides of && and || have always been computed: an error on the right is
    // raised even when the left already decides the result.
    case TOKEN_AND: return truth((left != 0.0) & (right != 0.0));
    default: return truth((left != 0.0) | (right != 0.0));
  }
}

static Parsed parse_tighter(Parsed left, BinaryLevel lowest);

ULVANE_INLINE static Parsed parse_binary(Parsed left, BinaryLevel lowest) {
  for (;;) {
    BinaryLevel level = static_cast<BinaryLevel>(token_levels[left.at]);
    if (level < lowest) return left;
    TokenType op = static_cast<TokenType>(token_types[left.at]);
    Parsed right = parse_operand(left.at + 1);
    if (token_levels[right.at] > level) {
      right = parse_tighter(right, static_cast<BinaryLevel>(level + 1));
    }
    left = {apply(op, left.value, right.value, right.at), right.at};
  }
}

// The right operand of an operator, when tighter operators follow it; out of line because
// it recurses.
[[gnu::noinline]] static Parsed parse_tighter(Parsed left, BinaryLevel lowest) {
  return parse_binary(left, lowest);
}

// expression = logic_or
ULVANE_INLINE static Parsed parse_full(int32_t at) {
  return parse_binary(parse_operand(at), LEVEL_OR);
}

// A parenthesised expression; out of line because it recurses.
[[gnu::noinline]] static Parsed parse_expression(int32_t at) { return parse_full(at); }

Parsed evaluate_at(int32_t at) { return parse_full(at); }

}  // namespace ulvane
