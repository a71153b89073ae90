// Scripts whose bytes a text file holds badly (NUL, CR LF, a byte-order mark, no final
// newline) or that are generated at their full size (4096 tokens, the deepest nesting).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "binary/binary.h"

using namespace ulvane_test;

namespace {

struct ScriptCase {
  std::string name;
  std::string script;
  std::string out;
  std::string err;
  int status;
};

void expect_runs(const ScriptCase& c) {
  ProcessResult result = run_script(c.script);
  EXPECT_EQ(escape(result.out), escape(c.out)) << c.name;
  EXPECT_EQ(result.err, c.err) << c.name;
  EXPECT_EQ(result.status, c.status) << c.name;
}

TEST(Generated, AwkwardBytes) {
  const ScriptCase cases[] = {
      {"empty file", "", "", "", 0},
      {"NUL ends the text", std::string("print(1);\0print(2);", 19), "1\n", "", 0},
      {"NUL hides an error", std::string("print(1);\0 & ", 13), "1\n", "", 0},
      {"CR LF line ends", "var x = 1;\r\nprint(x);\r\ny;\r\n", "1\n",
       "[Error at line 2] Unexpected identifier: y\n", 1},
      {"CR inside a literal is kept", "print(\"a\rb\");", "a\rb\n", "", 0},
      {"no final newline", "print(\"end\")", "end\n", "[Error at line 1] Expected ';' after print (got '')\n", 1},
      {"byte-order mark", "\xef\xbb\xbfprint(1);", "",
       "[Error at line 1] Unknown character: '\xef'\n", 1},
      {"byte-order mark hides a directive", "\xef\xbb\xbfsg<nel>\nprint(1);", "",
       "[Error at line 1] Unknown character: '\xef'\n", 1},
      {"directive in a CR LF file", "sg<nel>\r\nprint(1);\r\nprint(2);", "12", "", 0},
      {"directive without a final newline", "sg<nel>", "", "", 0},
      {"comment without a newline, no directive", "# only", "", "", 0},
      {"high byte in a word", "var caf\xc3\xa9 = 1;", "",
       "[Error at line 1] Unknown character: '\xc3'\n", 1},
      {"high bytes in literal and comment", "# \xff\xfe\nprint(\"\xc3\xa9\");", "\xc3\xa9\n", "", 0},
      {"form feed is no blank", "print(1);\n\f", "", "[Error at line 2] Unknown character: '\f'\n", 1},
      {"tabs", "\tprint(\"a\\tb\",\t1);", "a\tb 1\n", "", 0},
  };
  for (const ScriptCase& c : cases) expect_runs(c);
}

// A script is read in the platform's text mode. On Windows that turns CR LF into LF, which
// shows only inside a string literal, and a Ctrl-Z byte ends the file; elsewhere the bytes
// arrive as they are.
TEST(Generated, TextModeReading) {
  const ScriptCase windows[] = {
      {"Ctrl-Z ends the text", "print(1);\x1aprint(2);", "1\n", "", 0},
      {"Ctrl-Z hides an error", "print(1);\n\x1a & ", "1\n", "", 0},
      {"CR LF inside a literal", "print(\"a\r\nb\");", "a\nb\n", "", 0},
  };
  const ScriptCase other[] = {
      {"Ctrl-Z ends the text", "print(1);\x1aprint(2);", "", "[Error at line 1] Unknown character: '\x1a'\n", 1},
      {"Ctrl-Z hides an error", "print(1);\n\x1a & ", "", "[Error at line 2] Unknown character: '\x1a'\n", 1},
      {"CR LF inside a literal", "print(\"a\r\nb\");", "a\r\nb\n", "", 0},
  };
  for (const ScriptCase& c : TEXT_MODE ? windows : other) expect_runs(c);
}

TEST(Generated, TokenTableBoundary) {
  std::string statements;
  // "print(1);" is five tokens: 819 of them and "x" fill 4096 with the end token.
  for (int i = 0; i < 819; ++i) statements += "print(1);\n";
  std::string expected;
  for (int i = 0; i < 819; ++i) expected += "1\n";
  expect_runs({"4095 tokens", statements, expected, "", 0});
  // One more ordinary token leaves no room for the end token; nothing runs.
  expect_runs({"4096 tokens", statements + "print;", "",
               "[Error at line 820] Too many tokens (max 4096)\n", 1});
}

TEST(Generated, LongestTextsPrintWhole) {
  std::string text(1023, 'q');
  std::string name(63, 'n');
  expect_runs({"1023-byte literal", "print(\"" + text + "\");", text + "\n", "", 0});
  expect_runs({"1023-byte string variable", "var s = \"" + text + "\"; print(s);", text + "\n", "", 0});
  expect_runs({"63-byte name", "var " + name + " = 5; print(" + name + ");", "5\n", "", 0});
  // A 64-character name is two tokens: the declaration then misses its "=".
  expect_runs({"64-byte name", "var " + name + "m = 5;", "",
               "[Error at line 1] Expected '=' after variable name (got 'm')\n", 1});
  expect_runs({"1024-byte literal", "\n\"" + text + "qq\";", "",
               "[Error at line 2] Unterminated string literal\n", 1});
}

// Nesting runs as deep as the token table allows, with no limit of its own.
TEST(Generated, DeepestNesting) {
  // "var r = (...(7)...); print(r);" is 2n + 11 tokens with the end token.
  int parens = 2042;
  expect_runs({"2042 parentheses",
               "var r = " + std::string(parens, '(') + "7" + std::string(parens, ')') + "; print(r);",
               "7\n", "", 0});
  // "var r = --...-2; print(r);" is n + 11 tokens.
  expect_runs({"4084 unary minus", "var r = " + std::string(4084, '-') + "2; print(r);", "2\n", "", 0});
  expect_runs({"4085 unary minus", "var r = " + std::string(4085, '-') + "2; print(r);", "-2\n", "", 0});
  expect_runs({"4085 not", "var r = " + std::string(4085, '!') + "0; print(r);", "1\n", "", 0});
  // "if(1){" and "}" are six tokens a level.
  std::string open;
  std::string close;
  int levels = 681;
  for (int i = 0; i < levels; ++i) open += "if(1){";
  for (int i = 0; i < levels; ++i) close += "}";
  expect_runs({"681 nested if", open + "print(1);" + close, "1\n", "", 0});
  std::string loops;
  std::string ends;
  // "while(i<1){" and "}" are eight tokens a level; the rest of the script is 17.
  for (int i = 0; i < 509; ++i) loops += "while(i<1){";
  for (int i = 0; i < 509; ++i) ends += "}";
  expect_runs({"509 nested while", "var i = 0;" + loops + "i=i+1;" + ends + "print(i);", "1\n", "", 0});
}

// A "#!" line is a comment, so a script can be made executable and run directly.
TEST(Generated, ExecutableScriptRunsDirectly) {
  std::string path = make_temp_dir() + "/hello";
  write_file(path, std::string("#!") + ULVANE_BINARY + "\nsg<nel>\nprint(\"hi\", 2);\n");
  ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  ProcessResult result = run_process({path});
  expect_text_mode(result.err);
  EXPECT_EQ(result.out, "hi 2");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

// A failing print leaves its partial output in the buffer; exit writes it after the error
// line when standard output is a file.
TEST(Generated, PartialPrintFollowsTheErrorLineInAFile) {
  std::string path = make_temp_dir() + "/out.txt";
  std::string script_path = make_temp_dir() + "/s.ulv";
  write_file(script_path, "print(\"done\");\nprint(\"half\", z);\n");
  RunOptions options;
  options.stdout_path = path;
  ProcessResult result = run_ulvane({script_path}, options);
  EXPECT_EQ(result.err, "[Error at line 2] Undefined variable: z\n");
  std::string written = read_file(path);
  expect_text_mode(written);
  EXPECT_EQ(written, "done\nhalf");
  // Merged into one stream, the completed print comes first, then the error, then the rest.
  // Windows' C library may write a pipe unbuffered (Wine's does), and the rest before it.
  if (TEXT_MODE) GTEST_SKIP() << "a pipe's buffering is the C library's choice on Windows";
  options.stdout_path.clear();
  options.merge_output = true;
  result = run_ulvane({script_path}, options);
  EXPECT_EQ(result.out, "done\n[Error at line 2] Undefined variable: z\nhalf");
  EXPECT_EQ(result.status, 1);
}

}  // namespace
