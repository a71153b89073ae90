// Helpers for tests that run the built ulvane binary on files they write.
#pragma once

#include <string>
#include <vector>

#include "support/process.h"

namespace ulvane_test {

inline ProcessResult run_ulvane(const std::vector<std::string>& args, const RunOptions& options = {}) {
  std::vector<std::string> argv{ULVANE_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, options);
}

// Writes bytes to a fresh file and runs them as a script.
inline ProcessResult run_script(const std::string& bytes, const RunOptions& options = {}) {
  std::string path = make_temp_dir() + "/script.ulv";
  write_file(path, bytes);
  return run_ulvane({path}, options);
}

}  // namespace ulvane_test
