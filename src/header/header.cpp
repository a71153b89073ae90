// Header directive: a leading `sg<options>` line whose option "nel" switches off the
// newline at the end of print statements. The line is removed before lexing.
#include "header/header.h"

#include <cstdlib>
#include <cstring>

#include "driver/driver.h"
#include "exec/exec.h"

namespace ulvane {

// Walks the header: blanks and comment lines, then either the directive marker (whose
// position is returned) or anything else, which means there is no directive. An empty
// line ends the header too.
static const char* find_directive(const char* p) {
  for (;;) {
    char c = *p;
    if (c == ' ' || c == '\t' || c == '\r') {
      ++p;
    } else if (c == '#') {
      const char* end = std::strchr(p, '\n');
      if (!end) return nullptr;
      p = end + 1;
    } else if (std::strncmp(p, "sg<", 3) == 0) {
      return p;
    } else {
      return nullptr;
    }
  }
}

void parse_config(const char* source) {
  print_newline = 1;
  const char* directive = find_directive(source);
  if (!directive) return;
  // "nel" is a plain substring of the options; without a ">" the search runs on past the
  // directive's own line to the end of the text.
  for (const char* p = directive + 3; *p != '\0' && *p != '>'; ++p) {
    if (std::strncmp(p, "nel", 3) == 0) {
      print_newline = 0;
      return;
    }
  }
}

char* strip_config(const char* source) {
  const char* directive = find_directive(source);
  size_t before = directive ? static_cast<size_t>(directive - source) : 0;
  const char* rest = source;
  if (directive) {
    const char* end = std::strchr(directive, '\n');
    rest = end ? end + 1 : directive + std::strlen(directive);
  }
  size_t rest_length = std::strlen(rest);
  char* text = static_cast<char*>(std::malloc(before + rest_length + 1));
  if (!text) error("Out of memory");
  std::memcpy(text, source, before);
  std::memcpy(text + before, rest, rest_length + 1);
  return text;
}

}  // namespace ulvane
