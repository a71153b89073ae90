// Token cursor: the one position in the token table that parsing and execution move.
// Owns current_token; peek, advance, match and consume are inline in lexer.h.
#include "lexer/lexer.h"

namespace ulvane {

int32_t current_token = 0;
int32_t line_anchor = 0;

// The failing half of consume(), kept out of line so the hot path stays small.
void report_missing(const char* message) {
  error("%s (got '%s')", message, tokens[current_token].text);
}

}  // namespace ulvane
