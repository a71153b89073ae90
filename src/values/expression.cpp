// Expression evaluator: parses and computes in the same pass over the token cursor,
// returning a double as soon as each rule is read; no tree is built.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

#define ULVANE_INLINE [[gnu::always_inline]] inline

namespace ulvane {

static BinaryLevel level_at_cursor() {
  return static_cast<BinaryLevel>(token_levels[current_token]);
}

// 1.0 or 0.0, computed without a branch: comparisons in scripts often go either way.
static double truth(bool condition) { return static_cast<double>(static_cast<int>(condition)); }

[[noreturn, gnu::cold]] static void string_in_expression() {
  error("Cannot use string in expression");
}

[[noreturn, gnu::cold]] static void expected_expression() {
  error("Expected expression (got '%s')", peek().text);
}

[[noreturn, gnu::cold]] static void division_by_zero() { error("Division by zero"); }

// primary = number | identifier | "(" expression ")"
// The parenthesised expression is read by parse_unary(), which saves a call.
[[gnu::noinline]] static double parse_primary() {
  switch (token_types[current_token]) {
    case TOKEN_NUMBER:
      operand_slots[current_token] = &token_numbers[current_token];
      take();
      return token_numbers[current_token - 1];
    case TOKEN_IDENTIFIER:
      take();
      // A variable that holds a string still reads as its number.
      return token_variable_or_fail(current_token - 1)->number;
    case TOKEN_STRING:
      take();
      string_in_expression();
    default:
      expected_expression();
  }
}

static double parse_unary();

// An operand of a binary operator: a number, or a variable already found, is read on the
// spot from its slot; everything else goes through the unary rule.
ULVANE_INLINE static double parse_operand() {
  int32_t at = current_token;
  if (const double* slot = operand_slots[at]) {
    current_token = at + 1;
    return *slot;
  }
  return parse_unary();
}

// unary = "!" unary | "-" unary | primary
[[gnu::noinline]] static double parse_unary() {
  switch (token_types[current_token]) {
    case TOKEN_NOT:
      take();
      return truth(parse_operand() == 0.0);
    case TOKEN_MINUS:
      take();
      // A sign flip, so -0 is -0.0.
      return -parse_operand();
    case TOKEN_LPAREN: {
      take();
      double value = evaluate();
      consume(TOKEN_RPAREN, "Expected ')'");
      return value;
    }
    default:
      return parse_primary();
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
static double apply(TokenType op, double left, double right) {
  switch (op) {
    case TOKEN_STAR: return left * right;
    case TOKEN_SLASH:
      // -0.0 compares equal to 0.0; NaN does not.
      if (right == 0.0) division_by_zero();
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

static double parse_tighter(double left, BinaryLevel lowest);

ULVANE_INLINE static double parse_binary(double left, BinaryLevel lowest) {
  for (;;) {
    BinaryLevel level = level_at_cursor();
    if (level < lowest) return left;
    TokenType op = take();
    double right = parse_operand();
    if (level_at_cursor() > level) right = parse_tighter(right, static_cast<BinaryLevel>(level + 1));
    left = apply(op, left, right);
  }
}

// The right operand of an operator, when tighter operators follow it; out of line because
// it recurses.
[[gnu::noinline]] static double parse_tighter(double left, BinaryLevel lowest) {
  return parse_binary(left, lowest);
}

double evaluate() { return parse_binary(parse_operand(), LEVEL_OR); }

}  // namespace ulvane
