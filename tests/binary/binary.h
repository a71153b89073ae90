// Helpers for tests that run the built ulvane binary on files they write.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"

namespace ulvane_test {

// A Windows interpreter writes text mode, each line feed as CR LF. Its streams are compared
// as the bytes it wrote, and a line feed without its CR fails the test.
#ifdef ULVANE_TEXT_MODE
constexpr bool TEXT_MODE = true;
#else
constexpr bool TEXT_MODE = false;
#endif

inline void expect_text_mode(std::string& stream) {
  if (TEXT_MODE && !from_text_mode(stream, stream)) {
    ADD_FAILURE() << "a line feed without CR, which text mode never writes: \"" << escape(stream) << "\"";
  }
}

inline ProcessResult run_ulvane(const std::vector<std::string>& args, const RunOptions& options = {}) {
  std::vector<std::string> argv{ULVANE_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessResult result = run_process(argv, options);
  expect_text_mode(result.out);
  expect_text_mode(result.err);
  return result;
}

// Writes bytes to a fresh file and runs them as a script.
inline ProcessResult run_script(const std::string& bytes, const RunOptions& options = {}) {
  std::string path = make_temp_dir() + "/script.ulv";
  write_file(path, bytes);
  return run_ulvane({path}, options);
}

}  // namespace ulvane_test
