// Shared between the statement files of the execution subsystem only.
#pragma once

#include "lexer/lexer.h"
#include "values/values.h"
#ifdef ULVANE_TRACE
#include "driver/trace.h"
#endif

namespace ulvane {

void execute_assignment();

void execute_if();
void execute_while();

}  // namespace ulvane
