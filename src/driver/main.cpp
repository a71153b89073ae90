// Entry point: the command line. One script path runs that script.
#include <cstdio>
#include <cstring>

#include "driver/driver.h"

namespace {

constexpr const char* VERSION = "4.0.0-Release";

void print_banner() { std::printf("Ulvane Vy+%s\n", VERSION); }

void print_usage() {
  std::puts("Usage: ulvane [options] <script>");
  std::puts("Options:");
  std::puts("  -v, --version   Show version information");
  std::puts("  <script.ulv>    Run an Ulvane script file");
}

int run_command_line(int argc, char** argv) {
  if (argc == 1) {
    print_banner();
    print_usage();
    return 0;
  }
  if (argc == 2) {
    if (std::strcmp(argv[1], "-v") == 0 || std::strcmp(argv[1], "--version") == 0) {
      print_banner();
      std::puts("A simple interpreted programming language");
      return 0;
    }
    // Anything else, even a text that starts with "-", is a script path.
    ulvane::run_file(argv[1]);
    return 0;
  }
  print_banner();
  print_usage();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int status = run_command_line(argc, argv);
  ulvane::flush_output();
  return status;
}
