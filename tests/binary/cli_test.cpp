// The command line: texts, exit statuses and the file errors, through the real binary.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "binary/binary.h"

using namespace ulvane_test;

namespace {

const std::string BANNER = "Ulvane Vy+4.0.0-Release\n";
const std::string USAGE =
    "Usage: ulvane [options] <script>\n"
    "Options:\n"
    "  -v, --version   Show version information\n"
    "  <script.ulv>    Run an Ulvane script file\n";
const std::string DESCRIPTION = "A simple interpreted programming language\n";

struct CommandCase {
  std::vector<std::string> args;
  std::string out;
  std::string err;
  int status;
};

TEST(CommandLine, TextsAndStatuses) {
  const CommandCase cases[] = {
      {{}, BANNER + USAGE, "", 0},
      {{"-v"}, BANNER + DESCRIPTION, "", 0},
      {{"--version"}, BANNER + DESCRIPTION, "", 0},
      {{"a.ulv", "b.ulv"}, BANNER + USAGE, "", 1},
      {{"-v", "-v"}, BANNER + USAGE, "", 1},
      // Every other argument is a script path, even one that looks like an option.
      {{"-h"}, "", "[Error at line 1] Cannot open file: -h\n", 1},
      {{"--help"}, "", "[Error at line 1] Cannot open file: --help\n", 1},
      {{"-V"}, "", "[Error at line 1] Cannot open file: -V\n", 1},
      {{"/no/such/dir/x.ulv"}, "", "[Error at line 1] Cannot open file: /no/such/dir/x.ulv\n", 1},
      // A path is named as it was given, in Windows form too.
      {{"C:\\no\\such dir\\x.ulv"}, "", "[Error at line 1] Cannot open file: C:\\no\\such dir\\x.ulv\n", 1},
      {{""}, "", "[Error at line 1] Cannot open file: \n", 1},
  };
  for (const CommandCase& c : cases) {
    ProcessResult result = run_ulvane(c.args);
    std::string shown = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(result.out, c.out) << shown;
    EXPECT_EQ(result.err, c.err) << shown;
    EXPECT_EQ(result.status, c.status) << shown;
  }
}

TEST(CommandLine, DirectoryIsUnreadable) {
  std::string dir = make_temp_dir();
  ProcessResult result = run_ulvane({dir});
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "[Error at line 1] Cannot read file: " + dir + "\n");
  EXPECT_EQ(result.status, 1);
}

// A path in Windows form, drive letter and backslashes (Wine's drive Z: is the root of the
// Linux file system), runs the script and is named in the messages as it was given.
TEST(CommandLine, WindowsPathsRunAndAreNamedAsGiven) {
  if (!TEXT_MODE) GTEST_SKIP() << "Windows paths are for the Windows interpreter";
  std::string dir = make_temp_dir();
  write_file(dir + "/s.ulv", "print(\"ran\");\n");
  std::string windows_dir = "Z:" + dir;
  std::replace(windows_dir.begin(), windows_dir.end(), '/', '\\');
  ProcessResult result = run_ulvane({windows_dir + "\\s.ulv"});
  EXPECT_EQ(result.out, "ran\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  result = run_ulvane({windows_dir});
  EXPECT_EQ(result.err, "[Error at line 1] Cannot read file: " + windows_dir + "\n");
  result = run_ulvane({windows_dir + "\\none.ulv"});
  EXPECT_EQ(result.err, "[Error at line 1] Cannot open file: " + windows_dir + "\\none.ulv\n");
}

TEST(CommandLine, FifoIsRefusedWithoutWaitingForAWriter) {
  if (TEXT_MODE) GTEST_SKIP() << "Windows file systems hold no FIFOs";
  std::string path = make_temp_dir() + "/pipe.ulv";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  RunOptions options;
  options.timeout_seconds = 20;
  ProcessResult result = run_ulvane({path}, options);
  EXPECT_EQ(result.err, "[Error at line 1] Cannot read file: " + path + "\n");
  EXPECT_EQ(result.status, 1);
}

// A size that does not fit 32 bits must be refused, never read in part.
TEST(CommandLine, FileLargerThan2GiBIsRefused) {
  std::string dir = make_temp_dir();
  for (long long size : {5LL << 30, (4LL << 30) + 10, 1LL << 31}) {
    std::string path = dir + "/big.ulv";
    write_file(path, "print(1);\n");
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    ProcessResult result = run_ulvane({path});
    EXPECT_EQ(result.out, "") << size;
    EXPECT_EQ(result.err, "[Error at line 1] Cannot read file: " + path + "\n") << size;
    EXPECT_EQ(result.status, 1) << size;
  }
}

// Root reads every file, so as root the binary runs as user nobody, from a copy in an open
// folder: the build tree may sit below a folder that only root may enter.
TEST(CommandLine, UnreadableFileCannotBeOpened) {
  std::string dir = make_temp_dir();
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  std::vector<std::string> command{ULVANE_BINARY};
  if (geteuid() == 0) {
    std::string copy = dir + "/ulvane";
    std::filesystem::copy_file(ULVANE_BINARY, copy);
    ASSERT_EQ(chmod(copy.c_str(), 0755), 0);
    command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", copy};
    std::vector<std::string> version = command;
    version.push_back("-v");
    if (run_process(version).status != 0) GTEST_SKIP() << "user nobody cannot run " << copy;
  }
  std::string path = dir + "/locked.ulv";
  write_file(path, "print(1);\n");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  command.push_back(path);
  ProcessResult result = run_process(command);
  expect_text_mode(result.err);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "[Error at line 1] Cannot open file: " + path + "\n");
  EXPECT_EQ(result.status, 1);
  std::filesystem::remove_all(dir);
}

// Lost output is a failure, not a success.
TEST(CommandLine, OutputToAFullDeviceFails) {
  if (TEXT_MODE) GTEST_SKIP() << "Windows has no full device (under Wine, writes to it succeed)";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-v"}, {}}) {
    RunOptions options;
    options.stdout_path = "/dev/full";
    ProcessResult result = run_ulvane(args, options);
    EXPECT_EQ(result.err, "[Error at line 1] Cannot write output\n");
    EXPECT_EQ(result.status, 1);
  }
  RunOptions options;
  options.stdout_path = "/dev/full";
  ProcessResult result = run_script("print(1);\nprint(2);\n", options);
  EXPECT_EQ(result.err, "[Error at line 1] Cannot write output\n");
  EXPECT_EQ(result.status, 1);
}

}  // namespace
