// Expression evaluator: parses and computes in the same recursive-descent pass over the
// token cursor, one routine per precedence level, each returning a double at once.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

#define ULVANE_INLINE [[gnu::always_inline]] inline

namespace ulvane {

// Which binary level an operator belongs to, from the loosest to the tightest; 0 for any
// other token. One lookup tells every level whether its loop goes on.
enum Level : uint8_t { NOT_BINARY, LEVEL_OR, LEVEL_AND, LEVEL_COMPARISON, LEVEL_TERM, LEVEL_FACTOR };

static constexpr std::array<uint8_t, 28> binary_levels = [] {
  std::array<uint8_t, 28> levels{};
  levels[TOKEN_OR] = LEVEL_OR;
  levels[TOKEN_AND] = LEVEL_AND;
  levels[TOKEN_EQ] = levels[TOKEN_NEQ] = levels[TOKEN_GT] = levels[TOKEN_LT] = LEVEL_COMPARISON;
  levels[TOKEN_PLUS] = levels[TOKEN_MINUS] = LEVEL_TERM;
  levels[TOKEN_STAR] = levels[TOKEN_SLASH] = LEVEL_FACTOR;
  return levels;
}();

static Level level_at_cursor() {
  return static_cast<Level>(binary_levels[token_types[current_token]]);
}

static double truth(bool condition) { return condition ? 1.0 : 0.0; }

[[noreturn, gnu::cold]] static void string_in_expression() {
  error("Cannot use string in expression");
}

[[noreturn, gnu::cold]] static void expected_expression() {
  error("Expected expression (got '%s')", peek().text);
}

[[noreturn, gnu::cold]] static void division_by_zero() { error("Division by zero"); }

// primary = number | identifier | "(" expression ")"
[[gnu::noinline]] static double parse_primary() {
  switch (token_types[current_token]) {
    case TOKEN_NUMBER:
      take();
      return token_numbers[current_token - 1];
    case TOKEN_IDENTIFIER:
      take();
      // A variable that holds a string still reads as its number.
      return token_variable_or_fail(current_token - 1)->number;
    case TOKEN_STRING:
      take();
      string_in_expression();
    case TOKEN_LPAREN: {
      take();
      double value = evaluate();
      consume(TOKEN_RPAREN, "Expected ')'");
      return value;
    }
    default:
      expected_expression();
  }
}

static double parse_unary();

// An operand of a binary operator: a number, or a variable already found, is read on the
// spot; everything else goes through the unary rule.
ULVANE_INLINE static double parse_operand() {
  int32_t at = current_token;
  uint8_t type = token_types[at];
  if (type == TOKEN_IDENTIFIER) {
    if (const Variable* entry = token_entries[at]) {
      current_token = at + 1;
      return entry->number;
    }
  } else if (type == TOKEN_NUMBER) {
    current_token = at + 1;
    return token_numbers[at];
  }
  return parse_unary();
}

// unary = "!" unary | "-" unary | primary
[[gnu::noinline]] static double parse_unary() {
  if (match(TOKEN_NOT)) return truth(parse_operand() == 0.0);
  // A sign flip, so -0 is -0.0.
  if (match(TOKEN_MINUS)) return -parse_operand();
  return parse_primary();
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
    case TOKEN_AND: return truth(left != 0.0 && right != 0.0);
    default: return truth(left != 0.0 || right != 0.0);
  }
}

static double parse_tighter(double left, Level lowest);

ULVANE_INLINE static double parse_binary(double left, Level lowest) {
  for (;;) {
    Level level = level_at_cursor();
    if (level < lowest) return left;
    TokenType op = take();
    double right = parse_operand();
    if (level_at_cursor() > level) right = parse_tighter(right, static_cast<Level>(level + 1));
    left = apply(op, left, right);
  }
}

// The right operand of an operator, when tighter operators follow it; out of line because
// it recurses.
[[gnu::noinline]] static double parse_tighter(double left, Level lowest) {
  return parse_binary(left, lowest);
}

double evaluate() { return parse_binary(parse_operand(), LEVEL_OR); }

}  // namespace ulvane
