// Standard output that cannot be written: a full device or a closed descriptor is an error
// reported once, and a reader that leaves early ends the run by SIGPIPE, as for any tool.
#include <gtest/gtest.h>

#include "binary/binary.h"

using namespace ulvane_test;

namespace {

struct LostOutputCase {
  std::string name;
  std::string script;
  std::string err;
};

// Whatever was pending when the error came, the flush at exit fails again without a word:
// standard error holds the one line and nothing else.
TEST(Output, LostOutputIsOneErrorLine) {
  if (TEXT_MODE) GTEST_SKIP() << "Windows has no full device (under Wine, writes to it succeed)";
  std::string many_prints;
  for (int i = 0; i < 500; ++i) many_prints += "print(\"" + std::string(100, 'p') + "\", " + std::to_string(i) + ");\n";
  const LostOutputCase cases[] = {
      {"print-heavy script", many_prints, "[Error at line 1] Cannot write output\n"},
      {"endless printing loop", "var i = 0;\nwhile (1) {\n  print(i);\n  i = i + 1;\n}\n",
       "[Error at line 3] Cannot write output\n"},
      {"no newline, one flush per print", "sg<nel>\nprint(\"a\");\nprint(\"b\");\n",
       "[Error at line 1] Cannot write output\n"},
      // The first argument waits in the buffer when the second fails.
      {"error with output pending", "print(\"half\", z);\n", "[Error at line 1] Undefined variable: z\n"},
      {"error after a print that did not fit a buffer", "print(\"" + std::string(1000, 'q') + "\", \"" +
           std::string(1000, 'q') + "\", \"" + std::string(1000, 'q') + "\", \"" + std::string(1000, 'q') +
           "\", \"" + std::string(1000, 'q') + "\", z);\n",
       "[Error at line 1] Undefined variable: z\n"},
  };
  for (const LostOutputCase& c : cases) {
    RunOptions options;
    options.stdout_path = "/dev/full";
    ProcessResult result = run_script(c.script, options);
    EXPECT_EQ(result.err, c.err) << c.name;
    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_EQ(result.signal, 0) << c.name;
  }
}

// Runs a shell command line with SIGPIPE at its default, whatever the test runner set, and
// with the script path and the binary as $1 and $0.
ProcessResult run_shell(const std::string& command, const std::string& script) {
  std::string path = make_temp_dir() + "/script.ulv";
  write_file(path, script);
  RunOptions options;
  options.timeout_seconds = 60;
  ProcessResult result = run_process(
      {"/usr/bin/env", "--default-signal=PIPE", "/bin/sh", "-c", command, ULVANE_BINARY, path}, options);
  expect_text_mode(result.out);
  expect_text_mode(result.err);
  return result;
}

TEST(Output, ClosedStandardOutputIsAnError) {
  // A Windows program starts with handles, not descriptors: under Wine a closed descriptor 1
  // is taken by whatever it opens first.
  if (TEXT_MODE) GTEST_SKIP() << "a closed descriptor is not a state a Windows program starts in";
  ProcessResult result = run_shell("\"$0\" \"$1\" >&-", "print(1);\nprint(2);\n");
  EXPECT_EQ(result.err, "[Error at line 1] Cannot write output\n");
  EXPECT_EQ(result.status, 1);
  result = run_shell("\"$0\" -v >&-", "");
  EXPECT_EQ(result.err, "[Error at line 1] Cannot write output\n");
  EXPECT_EQ(result.status, 1);
}

// `ulvane x.ulv | head -1`: the endless loop ends when head leaves, killed by SIGPIPE
// (status 141 in the shell) with no error line.
TEST(Output, ReaderLeavingEarlyEndsTheRunBySigpipe) {
  // Windows has no SIGPIPE: there the write fails, which ends the run with "Cannot write
  // output". Under Wine it succeeds instead, and the loop would never end.
  if (TEXT_MODE) GTEST_SKIP() << "Windows has no SIGPIPE";
  ProcessResult result = run_shell("{ \"$0\" \"$1\"; echo \"status $?\" >&2; } | head -n 1",
                                   "var i = 0;\nwhile (1) {\n  print(\"line\", i);\n  i = i + 1;\n}\n");
  EXPECT_EQ(result.out, "line 0\n");
  EXPECT_EQ(result.err, "status 141\n");
  EXPECT_EQ(result.status, 0);
}

}  // namespace
