// Expression evaluator: parses and computes in the same recursive-descent pass over the
// token cursor, one routine per precedence level, each returning a double at once.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

static double parse_logic_or();

static double truth(bool condition) { return condition ? 1.0 : 0.0; }

// primary = number | identifier | "(" expression ")"
static double parse_primary() {
  if (match(TOKEN_NUMBER)) return token_numbers[current_token - 1];
  if (match(TOKEN_STRING)) error("Cannot use string in expression");
  if (match(TOKEN_IDENTIFIER)) {
    int index = token_variable(current_token - 1);
    if (index < 0) error("Undefined variable: %s", tokens[current_token - 1].text);
    // A variable that holds a string still reads as its number.
    return vars[index].number;
  }
  if (match(TOKEN_LPAREN)) {
    double value = parse_logic_or();
    consume(TOKEN_RPAREN, "Expected ')'");
    return value;
  }
  error("Expected expression (got '%s')", peek().text);
}

// unary = "!" unary | "-" unary | primary
static double parse_unary() {
  if (match(TOKEN_NOT)) return truth(parse_unary() == 0.0);
  // A sign flip, so -0 is -0.0.
  if (match(TOKEN_MINUS)) return -parse_unary();
  return parse_primary();
}

// factor = unary { ("*" | "/") unary }
static double parse_factor() {
  double left = parse_unary();
  while (match(TOKEN_STAR) || match(TOKEN_SLASH)) {
    TokenType op = tokens[current_token - 1].type;
    double right = parse_unary();
    if (op == TOKEN_STAR) {
      left = left * right;
    } else {
      // -0.0 compares equal to 0.0; NaN does not.
      if (right == 0.0) error("Division by zero");
      left = left / right;
    }
  }
  return left;
}

// term = factor { ("+" | "-") factor }
static double parse_term() {
  double left = parse_factor();
  while (match(TOKEN_PLUS) || match(TOKEN_MINUS)) {
    TokenType op = tokens[current_token - 1].type;
    double right = parse_factor();
    left = op == TOKEN_PLUS ? left + right : left - right;
  }
  return left;
}

// comparison = term { ("==" | "!=" | ">" | "<") term }
static double parse_comparison() {
  double left = parse_term();
  for (;;) {
    if (match(TOKEN_EQ)) {
      left = truth(left == parse_term());
    } else if (match(TOKEN_NEQ)) {
      left = truth(left != parse_term());
    } else if (match(TOKEN_GT)) {
      left = truth(left > parse_term());
    } else if (match(TOKEN_LT)) {
      left = truth(left < parse_term());
    } else {
      return left;
    }
  }
}

// logic_and = comparison { "&&" comparison }
// Both sides are always computed: an error on the right is raised even when the left
// already decides the result.
static double parse_logic_and() {
  double left = parse_comparison();
  while (match(TOKEN_AND)) {
    double right = parse_comparison();
    left = truth(left != 0.0 && right != 0.0);
  }
  return left;
}

// logic_or = logic_and { "||" logic_and }
// No short-circuit here either.
static double parse_logic_or() {
  double left = parse_logic_and();
  while (match(TOKEN_OR)) {
    double right = parse_logic_and();
    left = truth(left != 0.0 || right != 0.0);
  }
  return left;
}

double evaluate() { return parse_logic_or(); }

}  // namespace ulvane
