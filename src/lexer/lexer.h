// Lexical analysis: the token table that every later stage reads by index, and the
// cursor over it. The table is filled once by tokenize() and never changes afterwards.
#pragma once

#include <array>
#include <cstdint>

#include "driver/driver.h"

namespace ulvane {

// ORDER TOKEN: the numbers are part of the language's definition.
enum TokenType : int32_t {
  TOKEN_EOF,
  TOKEN_IDENTIFIER,
  TOKEN_STRING,
  TOKEN_NUMBER,
  TOKEN_PRINT,
  TOKEN_VAR,
  TOKEN_IF,
  TOKEN_WHILE,
  TOKEN_FUNCTION,
  TOKEN_RETURN,
  TOKEN_LPAREN,
  TOKEN_RPAREN,
  TOKEN_LBRACE,
  TOKEN_RBRACE,
  TOKEN_COMMA,
  TOKEN_SEMICOLON,
  TOKEN_ASSIGN,
  TOKEN_PLUS,
  TOKEN_MINUS,
  TOKEN_STAR,
  TOKEN_SLASH,
  TOKEN_EQ,
  TOKEN_NEQ,
  TOKEN_GT,
  TOKEN_LT,
  TOKEN_AND,
  TOKEN_OR,
  TOKEN_NOT,
};
static_assert(TOKEN_EOF == 0 && TOKEN_RETURN == 9 && TOKEN_ASSIGN == 16 && TOKEN_NOT == 27);

constexpr int MAX_TOKENS = 4096;
constexpr int MAX_TEXT = 1024;  // bytes of a token's text field, terminator included

struct Token {
  TokenType type;
  char text[MAX_TEXT];
  int32_t line;
};

// Written by tokenize() only; read-only while the script runs.
extern std::array<Token, MAX_TOKENS> tokens;
extern int32_t token_count;

// Compact copies of the facts the hot paths read, kept beside the table so that a
// loop walks a few bytes per token instead of 1 KB records. Written by tokenize().
extern std::array<uint8_t, MAX_TOKENS> token_types;
extern std::array<int32_t, MAX_TOKENS> token_lines;
extern std::array<double, MAX_TOKENS> token_numbers;  // atof of each number literal
extern std::array<uint8_t, MAX_TOKENS> token_levels;  // how tightly a binary operator binds

// Binding of the binary operators, loosest first; every other token has NOT_BINARY.
enum BinaryLevel : uint8_t {
  NOT_BINARY,
  LEVEL_OR,          // ||
  LEVEL_AND,         // &&
  LEVEL_COMPARISON,  // == != > <
  LEVEL_TERM,        // + -
  LEVEL_FACTOR,      // * /
};

constexpr BinaryLevel binding(TokenType type) {
  switch (type) {
    case TOKEN_OR: return LEVEL_OR;
    case TOKEN_AND: return LEVEL_AND;
    case TOKEN_EQ: case TOKEN_NEQ: case TOKEN_GT: case TOKEN_LT: return LEVEL_COMPARISON;
    case TOKEN_PLUS: case TOKEN_MINUS: return LEVEL_TERM;
    case TOKEN_STAR: case TOKEN_SLASH: return LEVEL_FACTOR;
    default: return NOT_BINARY;
  }
}

// Written by the cursor operations, by run(), by execute_if() and execute_while(), by
// body assignments, and by the evaluator when it raises an error or ends.
extern int32_t current_token;

// Errors name the line of the most recently taken token. Taking tokens is the hottest step
// of all, so take() only moves the cursor on: while the cursor has moved only by takes
// since it stood at line_anchor, the line in force is that of the token just before it,
// and current_line is brought up to date only when the cursor moves in any other way.
// Every token but the end token has a positive line (a script text is shorter than 2 GiB),
// and the end token is never taken.
extern int32_t line_anchor;

void tokenize(const char* text);

[[noreturn]] void report_missing(const char* message);

inline int32_t line_in_force() {
  return current_token != line_anchor ? token_lines[current_token - 1] : current_line;
}

// Moves the cursor other than by taking a token: the line in force stays as it was.
inline void move_cursor(int32_t to) {
  current_line = line_in_force();
  current_token = to;
  line_anchor = to;
}

// Moves the cursor back to the start of a loop's condition, whose line becomes the line
// in force even before its first token is taken again.
inline void restart_at(int32_t to) {
  current_line = token_lines[to];
  current_token = to;
  line_anchor = to;
}

// The token at the cursor, as a read-only view.
inline const Token& peek() { return tokens[current_token]; }

// Takes the token at the cursor without touching the line: the first token of a
// statement is taken this way, and the next match brings the line up to date.
inline const Token& advance() {
  move_cursor(current_token + 1);
  return tokens[current_token - 1];
}

// Takes the token at the cursor as match() does once its type is known to fit: its line
// becomes the line in force. Returns the token's type.
inline TokenType take() { return static_cast<TokenType>(token_types[current_token++]); }

// Takes the token at the cursor only if it has the given type.
inline bool match(TokenType type) {
  if (token_types[current_token] != type) return false;
  take();
  return true;
}

inline void consume(TokenType type, const char* message) {
  if (!match(type)) report_missing(message);
}

}  // namespace ulvane
