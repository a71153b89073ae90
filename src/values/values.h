// Values: the global variable table and the expression evaluator.
#pragma once

#include <array>
#include <cstdint>

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

// find_variable() of the identifier at token index `token`, remembered once found.
int token_variable(int32_t token);

// Appends an entry, failing when the table is full. Called after the name and "="
// have been taken and before the initial value is computed.
void check_variable_capacity();
void declare_number(const char* name, double number);
void declare_string(const char* name, const char* string);

void set_number(int index, double number);
void set_string(int index, const char* string);

double evaluate();

}  // namespace ulvane
