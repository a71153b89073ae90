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

// Per token, what is known of an expression that a statement reads from there: FORM_UNKNOWN
// until it has been read once, then its form when it is one number or variable, one with "!"
// or "-" before it, two around an arithmetic or comparison operator (one form per operator),
// or three to five with such operators between them; FORM_CONDITION when it is a condition of
// "&&", "||" and "!" that can raise no error when read again; a compound form when it is one to
// three operands around such operators, of which some have "!" or "-" before them or are
// parenthesised expressions; else FORM_OTHER. Reading it
// found every name in it, for good, so the operands' slots stay filled. The operator is part
// of the form, so that a short expression is computed after one branch on its form. Written
// by evaluate_by_rules().
enum ExpressionForm : uint8_t {
  FORM_UNKNOWN,
  FORM_OPERAND,
  FORM_NOT,
  FORM_NEGATE,
  FORM_ADD,  // FORM_ADD to FORM_LESS follow the order of the operator tokens
  FORM_SUBTRACT,
  FORM_MULTIPLY,
  FORM_DIVIDE,
  FORM_EQUAL,
  FORM_NOT_EQUAL,
  FORM_GREATER,
  FORM_LESS,
  FORM_CONDITION,
  FORM_THREE_OPERANDS,
  FORM_FOUR_OPERANDS,
  FORM_FIVE_OPERANDS,
  FORM_COMPOUND_ONE,  // FORM_COMPOUND_ONE to FORM_COMPOUND_THREE: one to three operands
  FORM_COMPOUND_TWO,
  FORM_COMPOUND_THREE,
  FORM_OTHER,
};
static_assert(FORM_LESS - FORM_ADD == TOKEN_LT - TOKEN_PLUS && TOKEN_STAR - TOKEN_PLUS == 2);
extern std::array<uint8_t, MAX_TOKENS> expression_forms;

// As evaluate_by_rules(), for an expression of FORM_CONDITION: only the parts that decide its
// truth are computed.
Parsed evaluate_condition(int32_t at);

// The truth of an expression of FORM_CONDITION, computed as evaluate_condition() does.
bool condition_holds(int32_t at);

// As evaluate_by_rules(), for an expression of FORM_THREE_OPERANDS, FORM_FOUR_OPERANDS or
// FORM_FIVE_OPERANDS.
Parsed evaluate_three_operands(int32_t at);
Parsed evaluate_four_operands(int32_t at);
Parsed evaluate_five_operands(int32_t at);

// As evaluate_by_rules(), for an expression of a compound form.
Parsed evaluate_compound_one(int32_t at);
Parsed evaluate_compound_two(int32_t at);
Parsed evaluate_compound_three(int32_t at);

// The short forms, FORM_OPERAND to FORM_LESS: their length in tokens.
constexpr int32_t short_length(ExpressionForm form) {
  return form == FORM_OPERAND ? 1 : form <= FORM_NEGATE ? 2 : 3;
}

// Whether the expression of short form `form` at index `at` divides by zero: the rules then
// raise the error.
[[gnu::always_inline]] inline bool divides_by_zero(ExpressionForm form, int32_t at) {
  return form == FORM_DIVIDE && *operand_slots[at + 2] == 0.0;
}

// The value of the expression of short form `form` at index `at`, once read before; callers
// pass a constant form and test divides_by_zero() first.
[[gnu::always_inline]] inline double short_value(ExpressionForm form, int32_t at) {
  switch (form) {
    case FORM_OPERAND:
      return *operand_slots[at];
    case FORM_NOT:
      return *operand_slots[at + 1] == 0.0 ? 1.0 : 0.0;
    case FORM_NEGATE:
      // A sign flip, so -0 is -0.0.
      return -*operand_slots[at + 1];
    case FORM_ADD:
      return *operand_slots[at] + *operand_slots[at + 2];
    case FORM_SUBTRACT:
      return *operand_slots[at] - *operand_slots[at + 2];
    case FORM_MULTIPLY:
      return *operand_slots[at] * *operand_slots[at + 2];
    case FORM_DIVIDE:
      return *operand_slots[at] / *operand_slots[at + 2];
    case FORM_EQUAL:
      return *operand_slots[at] == *operand_slots[at + 2] ? 1.0 : 0.0;
    case FORM_NOT_EQUAL:
      return *operand_slots[at] != *operand_slots[at + 2] ? 1.0 : 0.0;
    case FORM_GREATER:
      return *operand_slots[at] > *operand_slots[at + 2] ? 1.0 : 0.0;
    default:
      return *operand_slots[at] < *operand_slots[at + 2] ? 1.0 : 0.0;
  }
}

// The truth of the expression of short form `form` at index `at`, a number or variable, one
// with "!" before it, or a comparison, branched on as it is computed.
[[gnu::always_inline]] inline bool short_truth(ExpressionForm form, int32_t at) {
  switch (form) {
    case FORM_OPERAND:
      return *operand_slots[at] != 0.0;
    case FORM_NOT:
      return *operand_slots[at + 1] == 0.0;
    case FORM_EQUAL:
      return *operand_slots[at] == *operand_slots[at + 2];
    case FORM_NOT_EQUAL:
      return *operand_slots[at] != *operand_slots[at + 2];
    case FORM_GREATER:
      return *operand_slots[at] > *operand_slots[at + 2];
    default:
      return *operand_slots[at] < *operand_slots[at + 2];
  }
}

[[gnu::always_inline]] inline Parsed short_form(ExpressionForm form, int32_t at) {
  return {short_value(form, at), at + short_length(form)};
}

// As evaluate_by_rules(). Most expressions in loops are short ones: those are computed here,
// at the caller, once read before. A division by zero, and every other expression, goes
// through the rules.
[[gnu::always_inline]] inline Parsed evaluate_at(int32_t at) {
  switch (expression_forms[at]) {
    case FORM_OPERAND:
      return short_form(FORM_OPERAND, at);
    case FORM_NOT:
      return short_form(FORM_NOT, at);
    case FORM_NEGATE:
      return short_form(FORM_NEGATE, at);
    case FORM_ADD:
      return short_form(FORM_ADD, at);
    case FORM_SUBTRACT:
      return short_form(FORM_SUBTRACT, at);
    case FORM_MULTIPLY:
      return short_form(FORM_MULTIPLY, at);
    case FORM_DIVIDE:
      if (divides_by_zero(FORM_DIVIDE, at)) break;
      return short_form(FORM_DIVIDE, at);
    case FORM_EQUAL:
      return short_form(FORM_EQUAL, at);
    case FORM_NOT_EQUAL:
      return short_form(FORM_NOT_EQUAL, at);
    case FORM_GREATER:
      return short_form(FORM_GREATER, at);
    case FORM_LESS:
      return short_form(FORM_LESS, at);
    case FORM_CONDITION:
      return evaluate_condition(at);
    case FORM_THREE_OPERANDS:
      return evaluate_three_operands(at);
    case FORM_FOUR_OPERANDS:
      return evaluate_four_operands(at);
    case FORM_FIVE_OPERANDS:
      return evaluate_five_operands(at);
    case FORM_COMPOUND_ONE:
      return evaluate_compound_one(at);
    case FORM_COMPOUND_TWO:
      return evaluate_compound_two(at);
    case FORM_COMPOUND_THREE:
      return evaluate_compound_three(at);
  }
  return evaluate_by_rules(at);
}

// The truth of the expression at index `at`, where a while that has been read before tests it.
[[gnu::always_inline]] inline bool holds_at(int32_t at) {
  switch (expression_forms[at]) {
    case FORM_OPERAND:
      return short_truth(FORM_OPERAND, at);
    case FORM_NOT:
      return short_truth(FORM_NOT, at);
    case FORM_EQUAL:
      return short_truth(FORM_EQUAL, at);
    case FORM_NOT_EQUAL:
      return short_truth(FORM_NOT_EQUAL, at);
    case FORM_GREATER:
      return short_truth(FORM_GREATER, at);
    case FORM_LESS:
      return short_truth(FORM_LESS, at);
    case FORM_CONDITION:
      return condition_holds(at);
    default:
      return evaluate_at(at).value != 0.0;
  }
}

// Evaluates the expression at the cursor and moves the cursor past it.
inline double evaluate() {
  Parsed result = evaluate_at(current_token);
  current_token = result.at;
  return result.value;
}

}  // namespace ulvane
