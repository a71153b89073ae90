// Values: the global variable table and the expression evaluator.
#pragma once

#include <array>
#include <cstdint>

#include "lexer/lexer.h"

namespace ulvane {

constexpr int MAX_VARIABLES = 256;
constexpr int MAX_NAME = 64;     // bytes of a name field, terminator included
constexpr int MAX_STRING = 1024;  // bytes of a string field, terminator included

// A variable holds a number and a string side by side; is_string says which print shows.
struct Variable {
  char name[MAX_NAME];
  double number;
  char string[MAX_STRING];
  int32_t is_string;
};

// Appended to by execute_var(), changed by assignment; never shrinks or reorders.
extern std::array<Variable, MAX_VARIABLES> vars;
extern int32_t var_count;

// Index of the first entry named name, or -1.
int find_variable(const char* name);

// Per token, the entry the identifier there names, once it has been found. Sound because
// entries are only appended and the first entry of a name wins; a name not yet found is
// looked up again the next time.
extern std::array<Variable*, MAX_TOKENS> token_entries;

// Per token, where the value of the operand there is read from once it is known: the
// number of a literal, or the number of the entry an identifier names.
extern std::array<const double*, MAX_TOKENS> operand_slots;
Variable* find_token_variable(int32_t token);
[[noreturn]] void undefined_variable(int32_t token);

// find_variable() of the identifier at token index `token`, or null.
inline Variable* token_variable(int32_t token) {
  Variable* entry = token_entries[token];
  return entry ? entry : find_token_variable(token);
}

// As token_variable(), but a name that is no variable is an error.
inline Variable* token_variable_or_fail(int32_t token) {
  Variable* entry = token_variable(token);
  if (!entry) undefined_variable(token);
  return entry;
}

// Declaring appends an entry, failing when the table is full. The check comes after the
// name and "=" have been taken and before the initial value is computed.
void check_variable_capacity();
void declare_number(const char* name, double number);
void declare_string(const char* name, const char* string);

// Each assignment changes one side only; the other keeps what it held.
inline void set_number(Variable* entry, double number) {
  entry->number = number;
  entry->is_string = 0;
}
void set_string(Variable* entry, const char* string);

// A value, and the cursor just after the tokens it was read from.
struct Parsed {
  double value;
  int32_t at;
};

// Evaluates the expression whose first token is at index `at` by the grammar's rules, taking
// its tokens; returns its value and the index after it. current_token is set only when an
// error is raised.
Parsed evaluate_by_rules(int32_t at);

// Per token, what is known of an expression that a statement reads from there: UNKNOWN_LENGTH
// until it has been read once, then its length when it is one number or variable (1), one
// with "!" or "-" before it (2), two around an arithmetic or comparison operator (3), or three
// with two such operators between them (5);
// CONDITION_LENGTH when it is a condition of "&&", "||" and "!" that can raise no error when
// read again; else OTHER_LENGTH. Reading it found every name in it, for good, so the
// operands' slots stay filled. Written by evaluate_by_rules().
constexpr uint8_t UNKNOWN_LENGTH = 0;
constexpr uint8_t CONDITION_LENGTH = 4;
constexpr uint8_t OTHER_LENGTH = 255;
extern std::array<uint8_t, MAX_TOKENS> expression_lengths;

// As evaluate_by_rules(), for an expression marked CONDITION_LENGTH: only the parts that
// decide its truth are computed.
Parsed evaluate_condition(int32_t at);

// As evaluate_by_rules(), for an expression of length 5.
Parsed evaluate_three_operands(int32_t at);

// As evaluate_by_rules(). Most expressions in loops are short ones: those are computed here,
// at the caller, once read before. A division by zero, and every other expression, goes
// through the rules.
[[gnu::always_inline]] inline Parsed evaluate_at(int32_t at) {
  switch (expression_lengths[at]) {
    case 1:
      return {*operand_slots[at], at + 1};
    case 2: {
      // "!" or "-" before an operand; the minus flips the sign, so -0 is -0.0.
      double operand = *operand_slots[at + 1];
      if (token_types[at] == TOKEN_NOT) return {operand == 0.0 ? 1.0 : 0.0, at + 2};
      return {-operand, at + 2};
    }
    case 3: {
      double left = *operand_slots[at];
      double right = *operand_slots[at + 2];
      switch (token_types[at + 1]) {
        case TOKEN_STAR: return {left * right, at + 3};
        case TOKEN_SLASH:
          if (right == 0.0) break;
          return {left / right, at + 3};
        case TOKEN_PLUS: return {left + right, at + 3};
        case TOKEN_MINUS: return {left - right, at + 3};
        case TOKEN_EQ: return {left == right ? 1.0 : 0.0, at + 3};
        case TOKEN_NEQ: return {left != right ? 1.0 : 0.0, at + 3};
        case TOKEN_GT: return {left > right ? 1.0 : 0.0, at + 3};
        default: return {left < right ? 1.0 : 0.0, at + 3};
      }
      break;
    }
    case CONDITION_LENGTH:
      return evaluate_condition(at);
    case 5:
      return evaluate_three_operands(at);
  }
  return evaluate_by_rules(at);
}

// Evaluates the expression at the cursor and moves the cursor past it.
inline double evaluate() {
  Parsed result = evaluate_at(current_token);
  current_token = result.at;
  return result.value;
}

}  // namespace ulvane
