// Driver: the run sequence and the one fatal error routine every stage reports through.
#pragma once

#include <cstdint>

namespace ulvane {

// The line in force when the cursor last moved other than by taking a token (see
// line_in_force() in lexer.h, which error() uses). Written by tokenize() while lexing and by
// the cursor moves move_cursor() and restart_at().
extern int32_t current_line;

// Prints "[Error at line N] message" on standard error and ends the process with status 1.
[[noreturn, gnu::format(printf, 1, 2)]] void error(const char* format, ...);

// Flushes standard output; a flush that fails means output was lost, which is an error.
void flush_output();

void run(const char* source);
void run_file(const char* path);

}  // namespace ulvane
