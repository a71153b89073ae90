// Runs the real ulvane binary (or any program) and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace ulvane_test {

struct ProcessResult {
  std::string out;   // standard output (or both streams, when merged)
  std::string err;   // standard error
  int status = -1;   // exit status, or -1 when ended by a signal
  int signal = 0;    // the signal that ended it, if any
  long max_rss_kb = 0;  // peak resident memory of the process, in KiB
};

struct RunOptions {
  bool merge_output = false;   // both streams into one pipe, in the order written
  std::string stdout_path;     // send standard output to this file instead of a pipe
  int timeout_seconds = 120;   // a hung run is killed and reported, never waited on forever
};

ProcessResult run_process(const std::vector<std::string>& argv, const RunOptions& options = {});

// A fresh directory under $TMPDIR (or /tmp), removed with its contents when the program ends.
std::string make_temp_dir();
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);

// What a program writes in text mode on Windows, where every line feed goes out as CR LF,
// back as the bytes it wrote: the CR before each line feed is dropped. False when a line feed
// came without its CR, which text mode never writes.
bool from_text_mode(const std::string& written, std::string& bytes);

// C-style escapes for showing bytes in a failure message, and their reverse.
std::string escape(const std::string& bytes);
bool unescape(const std::string& text, std::string& bytes);

}  // namespace ulvane_test
