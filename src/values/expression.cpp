// Expression evaluator: parses and computes in the same pass over the token cursor,
// returning a double as soon as each rule is read; no tree is built.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
//
// Inside the evaluator the cursor travels in registers: each routine takes the index of
// its first token and returns its value with the index after its last one. Every step is
// a take, so the line in force needs no bookkeeping; current_token is written back when
// the expression ends and before any error is raised.
#include <algorithm>
#include <cstddef>

#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

#define ULVANE_INLINE [[gnu::always_inline]] inline

namespace ulvane {

// Token indices are kept pointer-wide inside the evaluator: they address the tables with
// no widening on every access.
using Index = std::ptrdiff_t;

// A value, and the index just after the tokens it was read from.
struct Read {
  double value;
  Index at;
};

// Truth values are 1.0 or 0.0, computed without a branch, since comparisons in scripts
// often go either way. Comparing two-lane vectors gives a mask of all ones or all zeros
// per lane, and the mask ANDed with the bits of 1.0 is exactly 1.0 or +0.0: one compare
// and one AND where a bool would be converted to a double. Only the first lane is used.
using Lanes = double __attribute__((vector_size(16)));
using Mask = long long __attribute__((vector_size(16)));

static Lanes lanes(double value) { return Lanes{value, 0.0}; }

// The builtin rather than std::bit_cast: the web build's C++ library lacks the latter.
static double truth(Mask mask) {
  return __builtin_bit_cast(Lanes, mask & __builtin_bit_cast(Mask, Lanes{1.0, 1.0}))[0];
}

static double is_true(double value) { return truth(lanes(value) != lanes(0.0)); }
static double is_false(double value) { return truth(lanes(value) == lanes(0.0)); }

[[noreturn, gnu::cold]] static void string_in_expression(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Cannot use string in expression");
}

[[noreturn, gnu::cold]] static void expected_expression(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Expected expression (got '%s')", peek().text);
}

[[noreturn, gnu::cold]] static void missing_parenthesis(Index at) {
  current_token = static_cast<int32_t>(at);
  report_missing("Expected ')'");
}

[[noreturn, gnu::cold]] static void division_by_zero(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Division by zero");
}

static Read parse_expression(Index at);

// primary = number | identifier | "(" expression ")"
// The parenthesised expression is read by parse_unary(), which saves a call.
[[gnu::noinline]] static Read parse_primary(Index at) {
  switch (token_types[at]) {
    case TOKEN_NUMBER:
      operand_slots[at] = &token_numbers[at];
      return {token_numbers[at], at + 1};
    case TOKEN_IDENTIFIER:
      current_token = static_cast<int32_t>(at + 1);
      // A variable that holds a string still reads as its number.
      return {token_variable_or_fail(static_cast<int32_t>(at))->number, at + 1};
    case TOKEN_STRING:
      string_in_expression(at + 1);
    default:
      expected_expression(at);
  }
}

static Read parse_unary(Index at);

// An operand of a binary operator: a number, or a variable already found, is read on the
// spot from its slot, and so is one with a "!" or "-" in front; everything else goes
// through the unary rule.
ULVANE_INLINE static Read parse_operand(Index at) {
  if (const double* slot = operand_slots[at]) return {*slot, at + 1};
  // The end token is neither, so the token after a "!" or "-" is in the table.
  uint8_t type = token_types[at];
  if (type == TOKEN_NOT) {
    if (const double* slot = operand_slots[at + 1]) return {is_false(*slot), at + 2};
  } else if (type == TOKEN_MINUS) {
    // A sign flip, so -0 is -0.0.
    if (const double* slot = operand_slots[at + 1]) return {-*slot, at + 2};
  }
  return parse_unary(at);
}

// unary = "!" unary | "-" unary | primary
[[gnu::noinline]] static Read parse_unary(Index at) {
  switch (token_types[at]) {
    case TOKEN_NOT: {
      Read operand = parse_operand(at + 1);
      return {is_false(operand.value), operand.at};
    }
    case TOKEN_MINUS: {
      Read operand = parse_operand(at + 1);
      // A sign flip, so -0 is -0.0.
      return {-operand.value, operand.at};
    }
    case TOKEN_LPAREN: {
      Read inner = parse_expression(at + 1);
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
ULVANE_INLINE static double apply(TokenType op, double left, double right, Index at) {
  switch (op) {
    case TOKEN_STAR: return left * right;
    case TOKEN_SLASH:
      // -0.0 compares equal to 0.0; NaN does not.
      if (right == 0.0) division_by_zero(at);
      return left / right;
    case TOKEN_PLUS: return left + right;
    case TOKEN_MINUS: return left - right;
    case TOKEN_EQ: return truth(lanes(left) == lanes(right));
    case TOKEN_NEQ: return truth(lanes(left) != lanes(right));
    case TOKEN_GT: return truth(lanes(left) > lanes(right));
    case TOKEN_LT: return truth(lanes(left) < lanes(right));
    // Both sides of && and || have always been computed: an error on the right is
    // raised even when the left already decides the result. Of two truths, the product is
    // 1.0 only when both are, the larger is 1.0 when either is.
    case TOKEN_AND: return is_true(left) * is_true(right);
    default: return std::max(is_true(left), is_true(right));
  }
}

static Read parse_tighter(Read left, BinaryLevel lowest);

ULVANE_INLINE static Read parse_binary(Read left, BinaryLevel lowest) {
  for (;;) {
    BinaryLevel level = static_cast<BinaryLevel>(token_levels[left.at]);
    if (level < lowest) return left;
    TokenType op = static_cast<TokenType>(token_types[left.at]);
    Read right = parse_operand(left.at + 1);
    if (token_levels[right.at] > level) {
      right = parse_tighter(right, static_cast<BinaryLevel>(level + 1));
    }
    left = {apply(op, left.value, right.value, right.at), right.at};
  }
}

// The right operand of an operator, when tighter operators follow it; out of line because
// it recurses.
[[gnu::noinline]] static Read parse_tighter(Read left, BinaryLevel lowest) {
  return parse_binary(left, lowest);
}

// expression = logic_or
ULVANE_INLINE static Read parse_full(Index at) {
  return parse_binary(parse_operand(at), LEVEL_OR);
}

// A parenthesised expression; out of line because it recurses.
[[gnu::noinline]] static Read parse_expression(Index at) { return parse_full(at); }

Parsed evaluate_at(int32_t at) {
  Read result = parse_full(at);
  return {result.value, static_cast<int32_t>(result.at)};
}

}  // namespace ulvane
