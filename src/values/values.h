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

// Evaluates the expression whose first token is at index `at`, taking its tokens; returns
// its value and the index after it. current_token is set only when an error is raised.
Parsed evaluate_at(int32_t at);

// Evaluates the expression at the cursor and moves the cursor past it.
inline double evaluate() {
  Parsed result = evaluate_at(current_token);
  current_token = result.at;
  return result.value;
}

}  // namespace ulvane
