// Every statement and expression message, each from a one-line script (or a few lines where
// the line number is the point), through the real binary.
#include <gtest/gtest.h>

#include "binary/binary.h"

using namespace ulvane_test;

namespace {

struct ErrorCase {
  std::string script;
  std::string out;
  std::string err;
};

void expect_errors(const std::vector<ErrorCase>& cases) {
  for (const ErrorCase& c : cases) {
    ProcessResult result = run_script(c.script);
    EXPECT_EQ(result.out, c.out) << c.script;
    EXPECT_EQ(result.err, c.err) << c.script;
    EXPECT_EQ(result.status, 1) << c.script;
  }
}

TEST(Errors, Statements) {
  expect_errors({
      {";", "", "[Error at line 1] Unexpected token: ;\n"},
      {"return;", "", "[Error at line 1] Unexpected token: return\n"},
      {"function f() {}", "", "[Error at line 1] Unexpected token: function\n"},
      {"}", "", "[Error at line 1] Unexpected token: }\n"},
      {"{ }", "", "[Error at line 1] Unexpected token: {\n"},
      {"5;", "", "[Error at line 1] Unexpected token: 5\n"},
      {"\"s\";", "", "[Error at line 1] Unexpected token: s\n"},
      {"var x = 1; x == 1;", "", "[Error at line 1] Unexpected identifier: x\n"},
      {"x;", "", "[Error at line 1] Unexpected identifier: x\n"},
      {"x 5\n", "", "[Error at line 2] Unexpected identifier: x\n"},
      {"y = 1;", "", "[Error at line 1] Undefined variable: y\n"},
      {"print 1;", "", "[Error at line 1] Expected '(' after print (got '1')\n"},
      {"print(1+2);", "1", "[Error at line 1] Expected ',' between arguments (got '+')\n"},
      {"print(\"a\" \"b\");", "a", "[Error at line 1] Expected ',' between arguments (got 'b')\n"},
      {"print(\"a\",);", "a", "[Error at line 1] Unexpected token in print: ')'\n"},
      {"print(,\"a\");", "", "[Error at line 1] Unexpected token in print: ','\n"},
      {"print(-1);", "", "[Error at line 1] Unexpected token in print: '-'\n"},
      {"print(return);", "", "[Error at line 1] Unexpected token in print: 'return'\n"},
      {"print(q);", "", "[Error at line 1] Undefined variable: q\n"},
      {"print(1)", "1\n", "[Error at line 1] Expected ';' after print (got '')\n"},
      {"print(1) print(2);", "1\n", "[Error at line 1] Expected ';' after print (got 'print')\n"},
      {"print(1", "1", "[Error at line 1] Expected ',' between arguments (got '')\n"},
      {"var 5 = 1;", "", "[Error at line 1] Expected variable name (got '5')\n"},
      {"var print = 1;", "", "[Error at line 1] Expected variable name (got 'print')\n"},
      {"var x 1;", "", "[Error at line 1] Expected '=' after variable name (got '1')\n"},
      {"var x = 1", "", "[Error at line 1] Expected ';' after variable declaration (got '')\n"},
      {"var x = \"a\" + 1;", "", "[Error at line 1] Expected ';' after variable declaration (got '+')\n"},
      {"var x = 1; x = 2 3;", "", "[Error at line 1] Expected ';' after assignment (got '3')\n"},
      {"var x = x;", "", "[Error at line 1] Undefined variable: x\n"},
  });
}

TEST(Errors, Expressions) {
  expect_errors({
      {"var r = 1 + \"a\";", "", "[Error at line 1] Cannot use string in expression\n"},
      {"var r = (\"a\");", "", "[Error at line 1] Cannot use string in expression\n"},
      {"if (\"a\") { }", "", "[Error at line 1] Cannot use string in expression\n"},
      {"var r = (1 + 2;", "", "[Error at line 1] Expected ')' (got ';')\n"},
      {"var r = 1 <= 2;", "", "[Error at line 1] Expected expression (got '=')\n"},
      {"var r = +1;", "", "[Error at line 1] Expected expression (got '+')\n"},
      {"var r = ;", "", "[Error at line 1] Expected expression (got ';')\n"},
      {"var r = 1 +", "", "[Error at line 1] Expected expression (got '')\n"},
      {"var r = function;", "", "[Error at line 1] Expected expression (got 'function')\n"},
      {"var r = 1 / 0;", "", "[Error at line 1] Division by zero\n"},
      {"var r = 1 / -0;", "", "[Error at line 1] Division by zero\n"},
      {"var r = 1 / (2 - 2);", "", "[Error at line 1] Division by zero\n"},
      {"var r = 0 && 1/0;", "", "[Error at line 1] Division by zero\n"},
      {"var r = 1 || nope;", "", "[Error at line 1] Undefined variable: nope\n"},
      {"var r = a + b;", "", "[Error at line 1] Undefined variable: a\n"},
  });
}

TEST(Errors, Blocks) {
  expect_errors({
      {"if 1 { }", "", "[Error at line 1] Expected '(' after 'if' (got '1')\n"},
      {"while 1 { }", "", "[Error at line 1] Expected '(' after 'while' (got '1')\n"},
      {"if (1 { }", "", "[Error at line 1] Expected ')' after condition (got '{')\n"},
      {"while (0 { }", "", "[Error at line 1] Expected ')' after condition (got '{')\n"},
      {"if (1) print(1);", "", "[Error at line 1] Expected '{' after if condition (got 'print')\n"},
      {"while (0) print(1);", "", "[Error at line 1] Expected '{' after while condition (got 'print')\n"},
      {"while (1/0) { }", "", "[Error at line 1] Division by zero\n"},
      {"if () { }", "", "[Error at line 1] Expected expression (got ')')\n"},
      // The body of a false condition is never read, but the condition always is.
      {"while (0 + q) { }", "", "[Error at line 1] Undefined variable: q\n"},
  });
}

// Errors raised on a later pass of a loop, once the statement's expression, if head or
// skipped block has been read before and is read the quicker way; the line is that of the
// last token taken.
TEST(Errors, LaterPasses) {
  expect_errors({
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = i /\n    d;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nwhile (i < 5) {\n  var r = i /\n    d;\n  d = d - 1;\n"
       "  i = i + 1;\n}\n",
       "", "[Error at line 5] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nwhile (i < 5) {\n  if (i /\n    d) { print(i); }\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "1\n", "[Error at line 5] Division by zero\n"},
      {"var d = 2;\nwhile (1 /\n  d) {\n  d = d - 1;\n}\n", "",
       "[Error at line 3] Division by zero\n"},
      // Three operands: the line is the divisor's, whichever operator divides.
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = i / d\n    + 1;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 5] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = 1 + i\n    / d;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      // Four and five operands: the first division whose divisor is zero, wherever it stands.
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = 1 + i / 2 /\n    d;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = i - 1 /\n    d < 2;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = i / d\n    / d * 2;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 5] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = 1 + i * 2 - 3 /\n    d;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      {"var d = 3;\nwhile (d > -5) {\n  if (6 / (d - 1\n  ) > 2) { print(d); }\n"
       "  d = d - 1;\n}\n",
       "3\n2\n", "[Error at line 4] Division by zero\n"},
      // Parenthesised operands: one that divides is read where the rules read it, before a
      // division after it is applied and after a division before it.
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = (1 /\n    d) + i /\n      d;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = i /\n    d + (1 /\n      d);\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      // Inside parentheses, read by the form found on the first pass.
      {"var i = 0;\nvar d = 2;\nvar r = 0;\nwhile (i < 5) {\n  r = 2 * (i + 1 /\n    d\n) + 1;\n"
       "  d = d - 1;\n  i = i + 1;\n}\n",
       "", "[Error at line 6] Division by zero\n"},
      // After an if in a loop body, as after one outside: the line of its "{" when the
      // body was skipped, of its closing "}" when it ran.
      {"var i = 0;\nwhile (i < 1) {\n  if (i == 1)\n  {\n    print(\"never\");\n  }\n"
       "  oops;\n}\n",
       "", "[Error at line 4] Unexpected identifier: oops\n"},
      {"var i = 0;\nwhile (i < 1) {\n  if (i == 0) {\n    i = 1;\n\n  }\n  oops;\n}\n", "",
       "[Error at line 6] Unexpected identifier: oops\n"},
  });
}

}  // namespace
