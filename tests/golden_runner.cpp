// Golden script runner: runs one script through the real binary and compares standard
// output, standard error and the exit status byte for byte with the expectations written
// in the script's own comments:
//   # expect: TEXT          one line of standard output (TEXT and a newline)
//   # expect-raw: "BYTES"   standard output bytes, C-escaped, nothing added
//   # error: LINE           the whole of standard error (LINE and a newline); exit 1
//   # exit: N               the exit status, when it is not implied
// Standard output is every expect and expect-raw value joined in file order.
// With --text-mode the interpreter is a Windows program, whose line feeds go out as CR LF:
// both streams must be in that form, and are compared as the bytes the program wrote.
#include <cstdio>
#include <string>

#include "support/process.h"

using ulvane_test::escape;

namespace {

struct Expectation {
  std::string out;
  std::string err;
  int status = 0;
};

bool take_marker(const std::string& line, const std::string& marker, std::string& value) {
  size_t at = line.find(marker);
  if (at == std::string::npos) return false;
  value = line.substr(at + marker.size());
  if (!value.empty() && value[0] == ' ') value.erase(0, 1);
  return true;
}

bool parse_expectations(const std::string& script, Expectation& expected, std::string& problem) {
  bool status_given = false;
  size_t start = 0;
  int line_number = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(start, end - start);
    start = end + 1;
    ++line_number;
    std::string value;
    if (take_marker(line, "# expect-raw:", value)) {
      std::string bytes;
      if (value.size() < 2 || value.front() != '"' || value.back() != '"' ||
          !ulvane_test::unescape(value.substr(1, value.size() - 2), bytes)) {
        problem = "bad expect-raw on line " + std::to_string(line_number);
        return false;
      }
      expected.out += bytes;
    } else if (take_marker(line, "# expect:", value)) {
      expected.out += value + "\n";
    } else if (take_marker(line, "# error:", value)) {
      if (!expected.err.empty()) {
        problem = "more than one error marker";
        return false;
      }
      expected.err = value + "\n";
      if (!status_given) expected.status = 1;
    } else if (take_marker(line, "# exit:", value)) {
      expected.status = std::stoi(value);
      status_given = true;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool text_mode = argc > 1 && std::string(argv[1]) == "--text-mode";
  if (text_mode) {
    --argc;
    ++argv;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: golden_runner [--text-mode] ULVANE SCRIPT\n");
    return 2;
  }
  std::string script = ulvane_test::read_file(argv[2]);
  Expectation expected;
  std::string problem;
  if (!parse_expectations(script, expected, problem)) {
    std::fprintf(stderr, "%s: %s\n", argv[2], problem.c_str());
    return 2;
  }
  ulvane_test::ProcessResult actual = ulvane_test::run_process({argv[1], argv[2]});
  if (text_mode) {
    for (std::string* stream : {&actual.out, &actual.err}) {
      if (!ulvane_test::from_text_mode(*stream, *stream)) {
        std::printf("a line feed without CR, which text mode never writes: \"%s\"\n",
                    escape(*stream).c_str());
        return 1;
      }
    }
  }
  bool ok = true;
  if (actual.out != expected.out) {
    std::printf("stdout differs\n  expected: \"%s\"\n  actual:   \"%s\"\n",
                escape(expected.out).c_str(), escape(actual.out).c_str());
    ok = false;
  }
  if (actual.err != expected.err) {
    std::printf("stderr differs\n  expected: \"%s\"\n  actual:   \"%s\"\n",
                escape(expected.err).c_str(), escape(actual.err).c_str());
    ok = false;
  }
  if (actual.status != expected.status) {
    std::printf("exit status differs: expected %d, got %d", expected.status, actual.status);
    if (actual.signal) std::printf(" (killed by signal %d)", actual.signal);
    std::printf("\n");
    ok = false;
  }
  return ok ? 0 : 1;
}
