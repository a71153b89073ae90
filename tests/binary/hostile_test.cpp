// Large and hostile script files, generated in a scratch folder: each run ends with status 0
// or with one error line and status 1, holding little more than two copies of the script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "binary/binary.h"

using namespace ulvane_test;

namespace {

constexpr long MIB = 1024 * 1024;

// Removes the huge files even when an expectation fails.
struct ScratchDir {
  std::string path = make_temp_dir();
  ~ScratchDir() { std::filesystem::remove_all(path); }
};

// The loaded text and its copy without the directive line, an eighth more for a sanitizer's
// shadow memory, and 64 MiB for the fixed tables and the runtime. A third copy of a large
// script does not fit.
long memory_bound_kb(long file_bytes) { return (2 * file_bytes + file_bytes / 8 + 64 * MIB) / 1024; }

// head, then `unit` repeated `count` times, then tail: written in pieces, never held whole.
void write_repeated(const std::string& path, const std::string& head, const std::string& unit,
                    long count, const std::string& tail) {
  std::ofstream file(path, std::ios::binary);
  file << head;
  std::string block;
  for (int i = 0; i < 4096; ++i) block += unit;
  long left = count;
  for (; left >= 4096; left -= 4096) file << block;
  for (; left > 0; --left) file << unit;
  file << tail;
  ASSERT_TRUE(file.good()) << path;
}

struct LargeCase {
  std::string name;
  std::string head;
  std::string unit;
  long count;
  std::string tail;
  std::string out;
  std::string err;
  int status;
};

TEST(Hostile, LargeFilesEndCleanlyInBoundedMemory) {
  const LargeCase cases[] = {
      {"100 MiB of comment lines", "", "# " + std::string(97, 'c') + "\n", MIB, "print(1);\n", "1\n", "", 0},
      {"50 MiB comment line", "#", "x", 50 * MIB, "\nx", "",
       "[Error at line 2] Unexpected identifier: x\n", 1},
      // A literal ends at 1023 bytes, long before its closing quote.
      {"10 MiB string literal", "print(\"", "s", 10 * MIB, "\");\n", "",
       "[Error at line 1] Unterminated string literal\n", 1},
      {"10 MiB string literal never closed", "var s = \"", "s", 10 * MIB, "", "",
       "[Error at line 1] Unterminated string literal\n", 1},
      // Every 63 digits make a token: the table fills long before the line ends.
      {"10 MiB line of digits", "", "7", 10 * MIB, "", "", "[Error at line 1] Too many tokens (max 4096)\n", 1},
      {"16 Mi newlines", "", "\n", 16 * MIB, "x", "", "[Error at line 16777217] Unexpected identifier: x\n", 1},
      {"10 MiB of NUL", "", std::string(1, '\0'), 10 * MIB, "", "", "", 0},
      {"NUL hides 10 MiB of junk", "print(2);", std::string("\0\xff", 2), 5 * MIB, "", "2\n", "", 0},
      {"10 MiB of high bytes", "", "\x80\xff", 5 * MIB, "", "", "[Error at line 1] Unknown character: '\x80'\n", 1},
  };
  ScratchDir scratch;
  for (const LargeCase& c : cases) {
    std::string path = scratch.path + "/large.ulv";
    write_repeated(path, c.head, c.unit, c.count, c.tail);
    long size = static_cast<long>(std::filesystem::file_size(path));
    ProcessResult result = run_ulvane({path});
    EXPECT_EQ(result.out, c.out) << c.name;
    EXPECT_EQ(escape(result.err), escape(c.err)) << c.name;
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_GT(result.max_rss_kb, 0) << c.name;
    EXPECT_LE(result.max_rss_kb, memory_bound_kb(size)) << c.name << ": " << size << " bytes";
    std::filesystem::remove(path);
  }
}

// Whole files of NUL and high bytes after a valid statement: the whole text is lexed before
// anything runs, so the first junk byte alone decides between a silent end of text and an
// error that prevents the print.
TEST(Hostile, NulAndHighBytesAfterAStatement) {
  std::mt19937 random(8);
  std::uniform_int_distribution<int> pick(0x7F, 0xFF);  // 0x7F stands for NUL
  ScratchDir scratch;
  std::string path = scratch.path + "/junk.ulv";
  for (int round = 0; round < 24; ++round) {
    std::string junk(64 * 1024, '\0');
    for (char& byte : junk) {
      int value = pick(random);
      byte = static_cast<char>(value == 0x7F ? 0 : value);
    }
    if (round % 2 == 0) junk[0] = '\0';
    write_file(path, "print(1);\n" + junk);
    ProcessResult result = run_ulvane({path});
    if (junk[0] == '\0') {
      EXPECT_EQ(result.out, "1\n") << round;
      EXPECT_EQ(result.err, "") << round;
      EXPECT_EQ(result.status, 0) << round;
    } else {
      EXPECT_EQ(result.out, "") << round;
      EXPECT_EQ(escape(result.err), escape("[Error at line 2] Unknown character: '" + junk.substr(0, 1) + "'\n"))
          << round;
      EXPECT_EQ(result.status, 1) << round;
    }
  }
}

// "[Error at line N] " and a message ending in a newline, with no second report inside.
bool is_one_error_report(const std::string& err) {
  const std::string opening = "[Error at line ";
  if (err.size() <= opening.size() || err.compare(0, opening.size(), opening) != 0) return false;
  if (err.back() != '\n') return false;
  size_t at = opening.size();
  if (at < err.size() && err[at] == '-') ++at;
  size_t digits = at;
  while (at < err.size() && err[at] >= '0' && err[at] <= '9') ++at;
  if (at == digits || err.compare(at, 2, "] ") != 0) return false;
  return err.find(opening, 1) == std::string::npos;
}

// Random bytes of every value, some runs seeded with words of the language: whatever the
// text, the run ends with status 0 and nothing on standard error, or with exactly one error.
// A message that quotes a string literal holds the literal's newlines, so the one error is
// recognised by its opening, which the generated texts cannot contain.
TEST(Hostile, AnyBytesEndOneOfTwoWays) {
  const std::string words[] = {"print(", "var x = ", "x = ", "if (", "while (", ")", "{", "}",
                               ";", "\"", "1", "x", "-", "!", "(", ",", "\n", "#", "sg<nel>\n"};
  std::mt19937 random(88);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> word(0, static_cast<int>(std::size(words)) - 1);
  ScratchDir scratch;
  std::string path = scratch.path + "/any.ulv";
  for (int round = 0; round < 200; ++round) {
    std::string text;
    while (text.size() < 300) {
      if (round % 4 == 0 || byte(random) < 16) {
        text += static_cast<char>(byte(random));
      } else {
        text += words[word(random)];
      }
    }
    write_file(path, text);
    RunOptions options;
    options.timeout_seconds = 30;
    ProcessResult result = run_ulvane({path}, options);
    bool clean_end = result.status == 0 && result.err.empty();
    bool one_error = result.status == 1 && is_one_error_report(result.err);
    EXPECT_TRUE(clean_end || one_error) << escape(text) << "\nstatus " << result.status
                                        << ", signal " << result.signal << ", stderr " << escape(result.err);
  }
}

}  // namespace
