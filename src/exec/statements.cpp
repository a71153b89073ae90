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

static void print_text(const char* text) { std::fputs(text, stdout); }

// "%g", except that every NaN prints as "nan", whatever its sign bit. to_chars with a
// precision writes exactly printf's digits, without its format parsing and big-number
// arithmetic.
static void print_number(double number) {
  if (std::isnan(number)) {
    print_text("nan");
    return;
  }
  char text[32];
  // A whole number of at most six digits prints as those digits, the commonest case by far;
  // integer conversion does it without the general one. -0 takes the general way.
  if (number > -1e6 && number < 1e6) {
    int32_t whole = static_cast<int32_t>(number);
    if (static_cast<double>(whole) == number && (whole != 0 || !std::signbit(number))) {
      std::to_chars_result result = std::to_chars(text, text + sizeof text, whole);
      std::fwrite(text, 1, static_cast<size_t>(result.ptr - text), stdout);
      return;
    }
  }
#if defined(__cpp_lib_to_chars)
  std::to_chars_result result =
      std::to_chars(text, text + sizeof text, number, std::chars_format::general, 6);
  std::fwrite(text, 1, static_cast<size_t>(result.ptr - text), stdout);
#else
  std::printf("%g", number);
#endif
}

// print "(" [ argument { "," argument } ] ")"; the caller takes the ";".
// Arguments are single tokens: a number literal prints exactly as it was written.
[[gnu::noinline]] static void execute_print() {
  consume(TOKEN_LPAREN, "Expected '(' after print");
  bool first = true;
  bool newline = print_newline != 0;
  while (!match(TOKEN_RPAREN)) {
    if (!first) consume(TOKEN_COMMA, "Expected ',' between arguments");
    const Token& argument = peek();
    if (match(TOKEN_STRING)) {
      // Only a string literal "nel" is the marker; it prints nothing, not even a blank.
      if (std::strcmp(argument.text, "nel") == 0) {
        newline = false;
      } else {
        if (!first) std::putchar(' ');
        print_text(argument.text);
      }
    } else if (match(TOKEN_NUMBER)) {
      if (!first) std::putchar(' ');
      print_text(argument.text);
    } else if (match(TOKEN_IDENTIFIER)) {
      const Variable* variable = token_variable_or_fail(current_token - 1);
      if (!first) std::putchar(' ');
      if (variable->is_string) {
        print_text(variable->string);
      } else {
        print_number(variable->number);
      }
    } else {
      error("Unexpected token in print: '%s'", argument.text);
    }
    first = false;
  }
  if (newline) std::putchar('\n');
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
