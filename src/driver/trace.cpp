// Trace: records a run for the playground's Step mode. A step is one statement started or
// one loop condition read again; it holds the tokens and line of what runs, the variables
// whose printed value changed by the time the next step starts, and how many bytes of
// standard output had been written by then. Changes are found by comparing the variable
// table with a copy of it at every step, so assignments need no hook of their own. Owns
// steps_to_check.
#include "driver/trace.h"

#ifndef __EMSCRIPTEN__
#error "The trace hands its record to the page's worker: it is built for WebAssembly only"
#endif

#include <emscripten.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lexer/lexer.h"
#include "values/values.h"

namespace ulvane {

// Steps beyond these are run but not recorded. Texts are the printed values of changes.
constexpr int32_t MAX_STEPS = 100000;
constexpr int32_t MAX_CHANGES = MAX_STEPS + MAX_VARIABLES;
constexpr int32_t MAX_TEXT_BYTES = 8 << 20;
// Steps between two checks for output that waits in the worker, when nothing is recorded.
constexpr int32_t CHECK_INTERVAL = 1024;

int32_t steps_to_check = CHECK_INTERVAL;

// The record, one array per field so that the worker copies each out in one piece.
static std::array<int32_t, MAX_STEPS> step_first;   // first token of what runs
static std::array<int32_t, MAX_STEPS> step_last;    // its last token
static std::array<int32_t, MAX_STEPS> step_line;    // the line of its first token
static std::array<double, MAX_STEPS> step_output;   // bytes of standard output at its end
static std::array<int32_t, MAX_STEPS + 1> step_changes;  // its first change; ends at the next
static std::array<int32_t, MAX_CHANGES> change_variable;  // index into vars
static std::array<int32_t, MAX_CHANGES> change_string;    // 1: the value shown is a string
// The values as print shows them, in the order of the changes, each ended by a NUL.
static std::array<char, MAX_TEXT_BYTES> texts;
static int32_t step_count = 0;
static int32_t change_count = 0;
static int32_t text_bytes = 0;
static bool recording = false;
static bool capped = false;

// What each variable showed when the last step ended, to find what the next one changed.
struct Shown {
  int32_t is_string;
  double number;
  char string[MAX_STRING];
};
static std::array<Shown, MAX_VARIABLES> shown;
static int32_t shown_count = 0;

// The numbers the worker reads the record by; their order is the worker's too.
enum RecordField { FIELD_STEPS, FIELD_CAPPED, FIELD_TOKENS, FIELD_FIRST, FIELD_LAST, FIELD_LINE,
                   FIELD_OUTPUT, FIELD_CHANGES, FIELD_CHANGE_COUNT, FIELD_VARIABLE, FIELD_STRING,
                   FIELD_TEXTS, FIELD_TEXT_BYTES, FIELD_NAMES, FIELD_NAMES_BYTES, FIELD_COUNT };

// Bytes the worker has taken from standard output so far.
EM_JS(double, output_written, (), { return Module['outputBytes'] || 0; });

// Lets the worker pass on output that has waited long enough.
EM_JS(void, check_waiting_output, (), {
  if (Module['checkOutput']) Module['checkOutput']();
});

// Copies the record out of memory and hands it to the worker's onRecord.
EM_JS(void, hand_over, (const int32_t* field), {
  const at = (i) => HEAP32[(field >> 2) + i];
  const ints = (pointer, count) => HEAP32.slice(pointer >> 2, (pointer >> 2) + count);
  const steps = at(0);
  const changes = at(8);
  if (!Module['onRecord']) return;
  Module['onRecord']({
    steps, capped: at(1) !== 0, tokens: at(2),
    first: ints(at(3), steps), last: ints(at(4), steps), line: ints(at(5), steps),
    output: HEAPF64.slice(at(6) >> 3, (at(6) >> 3) + steps),
    changes: ints(at(7), steps + 1),
    variable: ints(at(9), changes), string: ints(at(10), changes),
    texts: HEAPU8.slice(at(11), at(11) + at(12)),
    names: HEAPU8.slice(at(13), at(13) + at(14)),
  });
});

// The last token of the statement starting at `at`: its ";", or for if and while the ")"
// before the "{" of the body. Stops short of a brace or another statement's keyword, so a
// faulty statement does not take in those after it; a stray brace is a statement of its own.
static int32_t statement_end(int32_t at) {
  int depth = 0;
  for (int32_t i = at;; ++i) {
    uint8_t type = token_types[i];
    if (type == TOKEN_EOF) return i - 1;
    if (i > at && (type == TOKEN_LBRACE || type == TOKEN_RBRACE || type == TOKEN_PRINT ||
                   type == TOKEN_VAR || type == TOKEN_IF || type == TOKEN_WHILE)) {
      return i - 1;
    }
    if (type == TOKEN_LPAREN) ++depth;
    if (type == TOKEN_RPAREN) --depth;
    if (type == TOKEN_SEMICOLON && depth <= 0) return i;
  }
}

// The last token of a loop condition starting at `at`: the one before its closing ")".
static int32_t condition_end(int32_t at) {
  int depth = 0;
  for (int32_t i = at;; ++i) {
    uint8_t type = token_types[i];
    if (type == TOKEN_EOF) return i - 1;
    if (type == TOKEN_LPAREN) ++depth;
    if (type == TOKEN_RPAREN && depth-- == 0) return i - 1;
  }
}

static bool differs(const Variable& entry, const Shown& seen) {
  if (entry.is_string != seen.is_string) return true;
  if (entry.is_string) return std::strcmp(entry.string, seen.string) != 0;
  // Bit for bit, so that 0 and -0, which print differently, differ here too.
  return std::memcmp(&entry.number, &seen.number, sizeof entry.number) != 0;
}

// Appends a change of entry i to the value it holds now; false when the record is full.
static bool add_change(int32_t i) {
  const Variable& entry = vars[i];
  char number[32];
  const char* value = entry.string;
  if (!entry.is_string) {
    // What print shows: "%g", and every NaN as "nan".
    if (std::isnan(entry.number)) {
      std::strcpy(number, "nan");
    } else {
      std::snprintf(number, sizeof number, "%g", entry.number);
    }
    value = number;
  }
  int32_t length = static_cast<int32_t>(std::strlen(value)) + 1;
  if (change_count == MAX_CHANGES || text_bytes + length > MAX_TEXT_BYTES) return false;
  std::memcpy(texts.data() + text_bytes, value, static_cast<size_t>(length));
  change_variable[change_count] = i;
  change_string[change_count] = entry.is_string;
  ++change_count;
  text_bytes += length;
  Shown& seen = shown[i];
  seen.is_string = entry.is_string;
  seen.number = entry.number;
  // The string is compared only while it is what print shows.
  if (entry.is_string) std::strcpy(seen.string, entry.string);
  return true;
}

// Closes the step in progress with what it changed and the output written by now; false
// when its changes no longer fit.
static bool end_step() {
  if (step_count == 0) return true;
  for (int32_t i = 0; i < var_count; ++i) {
    if ((i >= shown_count || differs(vars[i], shown[i])) && !add_change(i)) return false;
  }
  shown_count = var_count;
  step_output[step_count - 1] = output_written();
  step_changes[step_count] = change_count;
  return true;
}

static void hand_over_record() {
  recording = false;
  steps_to_check = CHECK_INTERVAL;
  // Names go out in declaration order, each ended by a newline, which no name holds.
  static std::array<char, MAX_VARIABLES * MAX_NAME> names;
  int32_t names_bytes = 0;
  for (int32_t i = 0; i < shown_count; ++i) {
    size_t length = std::strlen(vars[i].name);
    std::memcpy(names.data() + names_bytes, vars[i].name, length);
    names_bytes += static_cast<int32_t>(length);
    names[static_cast<size_t>(names_bytes++)] = '\n';
  }
  auto address = [](const void* p) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(p)); };
  std::array<int32_t, FIELD_COUNT> field;
  field[FIELD_STEPS] = step_count;
  field[FIELD_CAPPED] = capped;
  field[FIELD_TOKENS] = token_count;
  field[FIELD_FIRST] = address(step_first.data());
  field[FIELD_LAST] = address(step_last.data());
  field[FIELD_LINE] = address(step_line.data());
  field[FIELD_OUTPUT] = address(step_output.data());
  field[FIELD_CHANGES] = address(step_changes.data());
  field[FIELD_CHANGE_COUNT] = change_count;
  field[FIELD_VARIABLE] = address(change_variable.data());
  field[FIELD_STRING] = address(change_string.data());
  field[FIELD_TEXTS] = address(texts.data());
  field[FIELD_TEXT_BYTES] = text_bytes;
  field[FIELD_NAMES] = address(names.data());
  field[FIELD_NAMES_BYTES] = names_bytes;
  hand_over(field.data());
}

// Ends the record when the full step could not be closed: the record stops at the step
// before it, whose changes are complete.
static void stop_recording() {
  capped = true;
  if (step_count > 0) {
    --step_count;
    change_count = step_changes[step_count];
  }
  hand_over_record();
}

void trace_step(int32_t at, bool condition) {
  if (!recording) {
    steps_to_check = CHECK_INTERVAL;
    check_waiting_output();
    return;
  }
  steps_to_check = 1;
  if (!end_step()) {
    stop_recording();
    return;
  }
  if (step_count == MAX_STEPS) {
    capped = true;
    hand_over_record();
    return;
  }
  step_first[step_count] = at;
  step_last[step_count] = condition ? condition_end(at) : statement_end(at);
  step_line[step_count] = token_lines[at];
  ++step_count;
  // The worker is still told of waiting output now and then while a run is recorded.
  if (step_count % CHECK_INTERVAL == 0) check_waiting_output();
}

// The run has ended, by its end, by an error or by running out of room: the last step is
// closed with what it printed, even part of a print statement that failed.
static void finish_record() {
  if (!recording) return;
  std::fflush(stdout);
  if (!end_step()) {
    stop_recording();
    return;
  }
  hand_over_record();
}

// Called by the worker before main: the run that follows is recorded.
extern "C" EMSCRIPTEN_KEEPALIVE void ulvane_record_run() {
  recording = true;
  steps_to_check = 1;
  step_changes[0] = 0;
  std::atexit(finish_record);
}

}  // namespace ulvane
