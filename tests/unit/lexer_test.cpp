// How text splits into tokens: kinds, texts and lines in the token table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "lexer/lexer.h"

using namespace ulvane;

namespace {

struct Lexed {
  TokenType type;
  std::string text;
  int line;
  bool operator==(const Lexed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Lexed& token) {
  return out << "{" << token.type << ", \"" << token.text << "\", " << token.line << "}";
}

std::vector<Lexed> lex(const std::string& text) {
  tokenize(text.c_str());
  std::vector<Lexed> result;
  for (int i = 0; i < token_count; ++i) {
    result.push_back({tokens[i].type, tokens[i].text, tokens[i].line});
    // The compact copies must agree with the records they mirror.
    EXPECT_EQ(token_types[i], tokens[i].type);
    EXPECT_EQ(token_lines[i], tokens[i].line);
  }
  return result;
}

std::vector<TokenType> kinds(const std::string& text) {
  std::vector<TokenType> result;
  for (const Lexed& token : lex(text)) result.push_back(token.type);
  return result;
}

TEST(Lexer, EmptyOrBlankTextIsOnlyTheEndToken) {
  for (const char* text : {"", "   \t\r\n", "# only a comment", "# a\n\n# b\n"}) {
    std::vector<Lexed> result = lex(text);
    ASSERT_EQ(result.size(), 1u) << text;
    EXPECT_EQ(result[0].type, TOKEN_EOF);
    EXPECT_EQ(result[0].text, "");
  }
}

TEST(Lexer, EveryOperatorAndKeyword) {
  EXPECT_EQ(kinds("( ) { } , ; = + - * / == != > < && || !"),
            (std::vector<TokenType>{TOKEN_LPAREN, TOKEN_RPAREN, TOKEN_LBRACE, TOKEN_RBRACE,
                                    TOKEN_COMMA, TOKEN_SEMICOLON, TOKEN_ASSIGN, TOKEN_PLUS,
                                    TOKEN_MINUS, TOKEN_STAR, TOKEN_SLASH, TOKEN_EQ, TOKEN_NEQ,
                                    TOKEN_GT, TOKEN_LT, TOKEN_AND, TOKEN_OR, TOKEN_NOT,
                                    TOKEN_EOF}));
  EXPECT_EQ(kinds("print var if while function return Print _x"),
            (std::vector<TokenType>{TOKEN_PRINT, TOKEN_VAR, TOKEN_IF, TOKEN_WHILE,
                                    TOKEN_FUNCTION, TOKEN_RETURN, TOKEN_IDENTIFIER,
                                    TOKEN_IDENTIFIER, TOKEN_EOF}));
}

TEST(Lexer, OperatorsNeedNoBlanks) {
  EXPECT_EQ(lex("x&&y<=!=1"),
            (std::vector<Lexed>{{TOKEN_IDENTIFIER, "x", 1}, {TOKEN_AND, "&&", 1},
                                {TOKEN_IDENTIFIER, "y", 1}, {TOKEN_LT, "<", 1},
                                {TOKEN_ASSIGN, "=", 1}, {TOKEN_NEQ, "!=", 1},
                                {TOKEN_NUMBER, "1", 1}, {TOKEN_EOF, "", 1}}));
  // "===" is "==" then "="; "!==" is "!=" then "=".
  EXPECT_EQ(kinds("=== !=="), (std::vector<TokenType>{TOKEN_EQ, TOKEN_ASSIGN, TOKEN_NEQ,
                                                       TOKEN_ASSIGN, TOKEN_EOF}));
}

TEST(Lexer, NumbersKeepTheirTextAndSplitOnASecondPoint) {
  EXPECT_EQ(lex("1.2.3 5. .5 007 12abc"),
            (std::vector<Lexed>{{TOKEN_NUMBER, "1.2", 1}, {TOKEN_NUMBER, ".3", 1},
                                {TOKEN_NUMBER, "5.", 1}, {TOKEN_NUMBER, ".5", 1},
                                {TOKEN_NUMBER, "007", 1}, {TOKEN_NUMBER, "12", 1},
                                {TOKEN_IDENTIFIER, "abc", 1}, {TOKEN_EOF, "", 1}}));
  lex("1.50 .25");
  EXPECT_EQ(token_numbers[0], 1.5);
  EXPECT_EQ(token_numbers[1], 0.25);
}

TEST(Lexer, WordsAndNumbersSplitAfter63Characters) {
  std::string word63(63, 'a');
  std::string digits63(63, '7');
  EXPECT_EQ(lex(word63), (std::vector<Lexed>{{TOKEN_IDENTIFIER, word63, 1}, {TOKEN_EOF, "", 1}}));
  EXPECT_EQ(lex(word63 + "b9"), (std::vector<Lexed>{{TOKEN_IDENTIFIER, word63, 1},
                                                   {TOKEN_IDENTIFIER, "b9", 1},
                                                   {TOKEN_EOF, "", 1}}));
  // The rest of a long word is lexed afresh: here it starts with a digit.
  EXPECT_EQ(lex(word63 + "12x"), (std::vector<Lexed>{{TOKEN_IDENTIFIER, word63, 1},
                                                    {TOKEN_NUMBER, "12", 1},
                                                    {TOKEN_IDENTIFIER, "x", 1},
                                                    {TOKEN_EOF, "", 1}}));
  EXPECT_EQ(lex(digits63 + "8"), (std::vector<Lexed>{{TOKEN_NUMBER, digits63, 1},
                                                    {TOKEN_NUMBER, "8", 1},
                                                    {TOKEN_EOF, "", 1}}));
  // A keyword is a whole word: a longer word holding one is an identifier.
  EXPECT_EQ(kinds("printx whilee"),
            (std::vector<TokenType>{TOKEN_IDENTIFIER, TOKEN_IDENTIFIER, TOKEN_EOF}));
}

TEST(Lexer, StringEscapes) {
  EXPECT_EQ(lex(R"("a\qb" "a\"b" "tab\tend" "\n\r\\" "# not a comment")"),
            (std::vector<Lexed>{{TOKEN_STRING, "aqb", 1}, {TOKEN_STRING, "a\"b", 1},
                                {TOKEN_STRING, "tab\tend", 1}, {TOKEN_STRING, "\n\r\\", 1},
                                {TOKEN_STRING, "# not a comment", 1}, {TOKEN_EOF, "", 1}}));
  EXPECT_EQ(lex("\"\""), (std::vector<Lexed>{{TOKEN_STRING, "", 1}, {TOKEN_EOF, "", 1}}));
}

TEST(Lexer, LiteralOf1023BytesIsTheLongest) {
  std::string body(1023, 'z');
  std::vector<Lexed> result = lex("\"" + body + "\"");
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].text, body);
  // Escapes count as the one byte they decode to.
  std::string escaped;
  for (int i = 0; i < 1023; ++i) escaped += "\\n";
  result = lex("\"" + escaped + "\"");
  EXPECT_EQ(result[0].text, std::string(1023, '\n'));
}

TEST(Lexer, LinesCountNewlinesOutsideLiteralsOnly) {
  EXPECT_EQ(lex("a\n\nb # c\n\"x\ny\" d\r\ne"),
            (std::vector<Lexed>{{TOKEN_IDENTIFIER, "a", 1}, {TOKEN_IDENTIFIER, "b", 3},
                                {TOKEN_STRING, "x\ny", 4}, {TOKEN_IDENTIFIER, "d", 4},
                                {TOKEN_IDENTIFIER, "e", 5}, {TOKEN_EOF, "", 5}}));
  // After lexing, the line counter stands one past a final newline.
  lex("a\nb\n");
  EXPECT_EQ(current_line, 3);
}

TEST(Lexer, CarriageReturnIsBlankButKeptInLiterals) {
  EXPECT_EQ(lex("a\rb \"c\rd\""),
            (std::vector<Lexed>{{TOKEN_IDENTIFIER, "a", 1}, {TOKEN_IDENTIFIER, "b", 1},
                                {TOKEN_STRING, "c\rd", 1}, {TOKEN_EOF, "", 1}}));
}

TEST(Lexer, TheTableHolds4096TokensWithTheEndToken) {
  std::string text;
  for (int i = 0; i < 4095; ++i) text += "x ";
  EXPECT_EQ(lex(text).size(), 4096u);
  EXPECT_EXIT(lex(text + "x"), testing::ExitedWithCode(1),
              "^\\[Error at line 1\\] Too many tokens \\(max 4096\\)\n$");
}

// Each lexical error ends the run with the line the lexer stands on.
TEST(LexerErrors, MessagesAndLines) {
  EXPECT_EXIT(lex("a\nb &\n"), testing::ExitedWithCode(1),
              "^\\[Error at line 2\\] Unknown character: '&'\n$");
  EXPECT_EXIT(lex("x | y"), testing::ExitedWithCode(1), "Unknown character: '\\|'");
  EXPECT_EXIT(lex("\n. 5"), testing::ExitedWithCode(1),
              "^\\[Error at line 2\\] Unknown character: '\\.'\n$");
  EXPECT_EXIT(lex("a\x0c"), testing::ExitedWithCode(1), "Unknown character: '\x0c'");
  // The line of an unterminated literal is the line it starts on.
  EXPECT_EXIT(lex("\n\n\"abc\ndef\n"), testing::ExitedWithCode(1),
              "^\\[Error at line 3\\] Unterminated string literal\n$");
  // A backslash at the very end is no escape; the literal is unterminated.
  EXPECT_EXIT(lex("\"abc\\"), testing::ExitedWithCode(1), "Unterminated string literal");
  EXPECT_EXIT(lex("\"" + std::string(1024, 'z') + "\""), testing::ExitedWithCode(1),
              "Unterminated string literal");
}

TEST(LexerErrors, BytesAboveAsciiStartNoWord) {
  EXPECT_EXIT(lex("x\xc3\xa9"), testing::ExitedWithCode(1), "Unknown character: '\xc3'");
  EXPECT_EXIT(lex("\xff"), testing::ExitedWithCode(1), "Unknown character: '\xff'");
  // Inside literals and comments they are ordinary bytes.
  EXPECT_EQ(lex("\"\xc3\xa9\" # \xff\n"),
            (std::vector<Lexed>{{TOKEN_STRING, "\xc3\xa9", 1}, {TOKEN_EOF, "", 2}}));
}

}  // namespace
