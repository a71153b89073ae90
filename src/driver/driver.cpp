// The run sequence (load, header directive, lex, execute) and the fatal error routine.
// Owns current_line.
#include "driver/driver.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "exec/exec.h"
#include "header/header.h"
#include "lexer/lexer.h"
#ifdef ULVANE_TRACE
#include "driver/trace.h"
#endif

namespace ulvane {

int32_t current_line = 1;

void error(const char* format, ...) {
  // The whole line goes out in one write, so it cannot interleave with other output.
  std::string line = "[Error at line " + std::to_string(line_in_force()) + "] ";
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length > 0) {
    size_t start = line.size();
    line.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(line.data() + start, static_cast<size_t>(length) + 1, format, args);
    line.pop_back();
  }
  va_end(args);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  // Output that a failing print statement left in the buffer is written by exit().
  std::exit(1);
}

void flush_output() {
  if (std::fflush(stdout) != 0) error("Cannot write output");
}

void run(const char* source) {
  parse_config(source);
  char* text = strip_config(source);
  tokenize(text);
  move_cursor(0);
  while (token_types[current_token] != TOKEN_EOF) {
#ifdef ULVANE_TRACE
    trace_statement(current_token);
#endif
    execute_statement();
  }
  std::free(text);
}

[[noreturn]] static void refuse(FILE* file, const char* path) {
  if (file) std::fclose(file);
  error("Cannot read file: %s", path);
}

// The size must fit a signed 32-bit count; a larger file is refused rather than read in
// part. Where long has 32 bits (Windows), ftell's position wraps past 4 GiB, so there the
// size the file system reports decides too.
static bool size_fits(const char* path, long size) {
  if (size < 0 || size > INT32_MAX) return false;
  if constexpr (sizeof(long) > sizeof(int32_t)) return true;
  std::error_code unknown;
  std::uintmax_t stored = std::filesystem::file_size(path, unknown);
  return unknown || stored <= INT32_MAX;
}

void run_file(const char* path) {
  // A FIFO cannot be sized, and opening one would wait for a writer; a directory holds no
  // script text, and only some systems let it be opened. Both are refused before opening.
  struct stat info;
  if (stat(path, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISDIR(info.st_mode))) {
    refuse(nullptr, path);
  }
  FILE* file = std::fopen(path, "r");
  if (!file) error("Cannot open file: %s", path);
  long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  if (!size_fits(path, size)) refuse(file, path);
  std::rewind(file);
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
  if (!buffer) {
    std::fclose(file);
    error("Out of memory");
  }
  size_t got = std::fread(buffer, 1, static_cast<size_t>(size), file);
  // Fewer bytes than the size is normal in text mode; a read error is not.
  if (std::ferror(file)) refuse(file, path);
  std::fclose(file);
  buffer[got] = '\0';
  run(buffer);
  std::free(buffer);
}

}  // namespace ulvane
