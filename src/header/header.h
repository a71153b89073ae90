// Script header: the optional `sg<...>` directive line, read and removed before lexing.
#pragma once

namespace ulvane {

// Sets print_newline from the directive; leaves source unchanged.
void parse_config(const char* source);

// A malloc'd copy of source without the directive line; the caller frees it.
char* strip_config(const char* source);

}  // namespace ulvane
