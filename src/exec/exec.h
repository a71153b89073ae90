// Execution: the statement dispatcher and every statement form.
#pragma once

#include <cstdint>

namespace ulvane {

// 1: every print statement ends with a newline; 0: none does. Written by parse_config() only.
extern int32_t print_newline;

// Carries out the statement at the cursor and leaves the cursor after it.
void execute_statement();

}  // namespace ulvane
