// Variable store: one global table, scanned in declaration order; the first entry of a
// name wins, so a second declaration of a name appends an entry that is never read.
#include <cstring>

#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

std::array<Variable, MAX_VARIABLES> vars;
int32_t var_count = 0;

std::array<Variable*, MAX_TOKENS> token_entries;
std::array<const double*, MAX_TOKENS> operand_slots;

static void copy_text(char* field, size_t size, const char* text) {
  size_t length = std::strlen(text);
  if (length > size - 1) length = size - 1;
  std::memcpy(field, text, length);
  field[length] = '\0';
}

int find_variable(const char* name) {
  for (int i = 0; i < var_count; ++i) {
    if (std::strcmp(vars[i].name, name) == 0) return i;
  }
  return -1;
}

Variable* find_token_variable(int32_t token) {
  int index = find_variable(tokens[token].text);
  if (index < 0) return nullptr;
  token_entries[token] = &vars[index];
  operand_slots[token] = &vars[index].number;
  return &vars[index];
}

void undefined_variable(int32_t token) { error("Undefined variable: %s", tokens[token].text); }

void check_variable_capacity() {
  if (var_count >= MAX_VARIABLES) error("Too many variables (max %d)", MAX_VARIABLES);
}

// The entry becomes visible only now, after its value has been computed: the initial
// value never sees the variable being declared.
void declare_number(const char* name, double number) {
  Variable& entry = vars[var_count];
  copy_text(entry.name, sizeof entry.name, name);
  entry.number = number;
  entry.string[0] = '\0';
  entry.is_string = 0;
  ++var_count;
}

void declare_string(const char* name, const char* string) {
  Variable& entry = vars[var_count];
  copy_text(entry.name, sizeof entry.name, name);
  entry.number = 0.0;
  copy_text(entry.string, sizeof entry.string, string);
  entry.is_string = 1;
  ++var_count;
}

void set_string(Variable* entry, const char* string) {
  copy_text(entry->string, sizeof entry->string, string);
  entry->is_string = 1;
}

}  // namespace ulvane
