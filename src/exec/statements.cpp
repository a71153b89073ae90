// Statement dispatcher and the statements that do not branch: print, var and assignment.
// Owns print_newline.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/driver.h"
#include "exec/exec.h"
#include "exec/exec_internal.h"
#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

int32_t print_newline = 1;

// The text of one print statement, gathered here and handed to the output in one write
// when the statement ends, rather than one library call per argument and blank. A line
// longer than the buffer goes out in parts, in order; whatever was gathered goes out
// before an error is raised, so a failing print leaves the same output as before it failed.
namespace {
struct PrintLine {
  char text[4096];
  size_t length;
};
}  // namespace

static void write_out(PrintLine& line) {
  std::fwrite(line.text, 1, line.length, stdout);
  line.length = 0;
}

static void append(PrintLine& line, const char* text, size_t length) {
  if (line.length + length > sizeof line.text) {
    write_out(line);
    if (length > sizeof line.text) {
      std::fwrite(text, 1, length, stdout);
      return;
    }
  }
  std::memcpy(line.text + line.length, text, length);
  line.length += length;
}

static void append_text(PrintLine& line, const char* text) { append(line, text, std::strlen(text)); }

// "%g" of a number that is not whole, from 0.0001 up to but not including 1e6 in magnitude,
// when its six significant digits can be told from one multiplication: writes them to text
// and returns their length, or returns 0. The number times 10^k, brought to six digits before
// the point, is rounded to the nearest whole number; the product's own rounding error is far
// below 1e-9 there, so unless its fraction lies within 1e-9 of one half, the rounding goes the
// way the exact decimal rounding goes. Trailing zeros after the point are dropped, as "%g" does.
static size_t short_decimal(double number, char* text) {
  static constexpr double powers[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2,
                                      1e3,  1e4,  1e5,  1e6,  1e7, 1e8, 1e9};
  double magnitude = std::fabs(number);
  if (!(magnitude >= 1e-4 && magnitude < 1e6)) return 0;
  int exponent = 5;  // of the leading digit: 10^exponent <= magnitude, give or take a rounding
  while (exponent > -4 && magnitude < powers[exponent + 4]) --exponent;
  double scaled = magnitude * powers[9 - exponent];
  double whole = std::floor(scaled);
  double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) < 1e-9) return 0;
  if (fraction > 0.5) whole += 1.0;
  if (!(whole >= 1e5 && whole < 1e6)) return 0;
  char digits[6];
  int32_t value = static_cast<int32_t>(whole);
  for (int i = 5; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  size_t length = 0;
  if (number < 0) text[length++] = '-';
  int before_point = exponent + 1;  // digits before the point; none when below 1
  if (before_point <= 0) {
    text[length++] = '0';
    text[length++] = '.';
    for (int i = before_point; i < 0; ++i) text[length++] = '0';
  }
  int last = 5;
  while (last >= before_point && digits[last] == '0') --last;
  for (int i = 0; i <= last; ++i) {
    if (i == before_point && i > 0) text[length++] = '.';
    text[length++] = digits[i];
  }
  return length;
}

// "%g", except that every NaN prints as "nan", whatever its sign bit. to_chars with a
// precision writes exactly printf's digits, without its format parsing and big-number
// arithmetic.
static void append_number(PrintLine& line, double number) {
  if (std::isnan(number)) {
    append_text(line, "nan");
    return;
  }
  char text[32];
  // A whole number of at most six digits prints as those digits, the commonest case by far;
  // integer conversion does it without the general one. -0 takes the general way.
  if (number > -1e6 && number < 1e6) {
    int32_t whole = static_cast<int32_t>(number);
    if (static_cast<double>(whole) == number && (whole != 0 || !std::signbit(number))) {
      std::to_chars_result result = std::to_chars(text, text + sizeof text, whole);
      append(line, text, static_cast<size_t>(result.ptr - text));
      return;
    }
  }
  if (size_t length = short_decimal(number, text)) {
    append(line, text, length);
    return;
  }
#if defined(__cpp_lib_to_chars)
  std::to_chars_result result =
      std::to_chars(text, text + sizeof text, number, std::chars_format::general, 6);
  append(line, text, static_cast<size_t>(result.ptr - text));
#else
  int length = std::snprintf(text, sizeof text, "%g", number);
  append(line, text, static_cast<size_t>(length));
#endif
}

// print "(" [ argument { "," argument } ] ")"; the caller takes the ";".
// Arguments are single tokens: a number literal prints exactly as it was written.
[[gnu::noinline]] static void execute_print() {
  consume(TOKEN_LPAREN, "Expected '(' after print");
  PrintLine line;
  line.length = 0;
  bool first = true;
  bool newline = print_newline != 0;
  while (!match(TOKEN_RPAREN)) {
    if (!first && !match(TOKEN_COMMA)) {
      write_out(line);
      report_missing("Expected ',' between arguments");
    }
    const Token& argument = peek();
    if (match(TOKEN_STRING)) {
      // Only a string literal "nel" is the marker; it prints nothing, not even a blank.
      if (std::strcmp(argument.text, "nel") == 0) {
        newline = false;
      } else {
        if (!first) append(line, " ", 1);
        append_text(line, argument.text);
      }
    } else if (match(TOKEN_NUMBER)) {
      if (!first) append(line, " ", 1);
      append_text(line, argument.text);
    } else if (match(TOKEN_IDENTIFIER)) {
      const Variable* variable = token_variable(current_token - 1);
      if (!variable) {
        write_out(line);
        undefined_variable(current_token - 1);
      }
      if (!first) append(line, " ", 1);
      if (variable->is_string) {
        append_text(line, variable->string);
      } else {
        append_number(line, variable->number);
      }
    } else {
      write_out(line);
      error("Unexpected token in print: '%s'", argument.text);
    }
    first = false;
  }
  if (newline) append(line, "\n", 1);
  write_out(line);
  flush_output();
}

// var name "=" ( string | expression ) ";"
[[gnu::noinline]] static void execute_var() {
  consume(TOKEN_IDENTIFIER, "Expected variable name");
  const char* name = tokens[current_token - 1].text;
  consume(TOKEN_ASSIGN, "Expected '=' after variable name");
  // The table is checked before the value is read, so a full table is reported even
  // when the value is faulty. Every executed var appends, also inside a loop.
  check_variable_capacity();
  if (match(TOKEN_STRING)) {
    declare_string(name, tokens[current_token - 1].text);
  } else {
    declare_number(name, evaluate());
  }
  consume(TOKEN_SEMICOLON, "Expected ';' after variable declaration");
}

// name "=" ( string | expression ) ";"
void execute_assignment() {
  int32_t name_token = current_token;
  advance();
  if (!match(TOKEN_ASSIGN)) error("Unexpected identifier: %s", tokens[name_token].text);
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

void execute_statement() {
  switch (token_types[current_token]) {
    case TOKEN_EOF:
      return;
    case TOKEN_PRINT:
      advance();
      execute_print();
      consume(TOKEN_SEMICOLON, "Expected ';' after print");
      return;
    case TOKEN_VAR:
      advance();
      execute_var();
      return;
    case TOKEN_IF:
      execute_if();
      return;
    case TOKEN_WHILE:
      advance();
      execute_while();
      return;
    case TOKEN_IDENTIFIER:
      execute_assignment();
      return;
    default:
      // Also the reserved words function and return, which start no statement.
      error("Unexpected token: %s", peek().text);
  }
}

}  // namespace ulvane
