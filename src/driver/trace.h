// Trace: the web playground's record of a run, step by step, and the clock by which the
// page's worker hands on output that a busy script has left waiting. Built only with
// ULVANE_TRACE (the web build); the interpreter calls these hooks inside #ifdef ULVANE_TRACE,
// so every other build has neither the calls nor this code.
#pragma once

#include <cstdint>

namespace ulvane {

// Steps until the next one goes through trace_step(): 1 while a run is being recorded, so
// that each step does; otherwise a count between checks for waiting output. Written by
// trace_step() and ulvane_trace_start().
extern int32_t steps_to_check;

// Records a step whose first token is at index `at`, a whole statement or (condition) a
// loop's condition read again; checks for waiting output when nothing is recorded.
void trace_step(int32_t at, bool condition);

// A statement is about to run, its first token at index at.
inline void trace_statement(int32_t at) {
  if (--steps_to_check == 0) trace_step(at, false);
}

// A loop is about to read its condition again, whose first token is at index at.
inline void trace_condition(int32_t at) {
  if (--steps_to_check == 0) trace_step(at, true);
}

}  // namespace ulvane
