// Lexer: turns the whole working text into the token table before any statement runs.
// Owns tokens, token_count and the compact per-token facts beside them.
#include "lexer/lexer.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace ulvane {

std::array<Token, MAX_TOKENS> tokens;
int32_t token_count = 0;
std::array<uint8_t, MAX_TOKENS> token_types;
std::array<int32_t, MAX_TOKENS> token_lines;
std::array<double, MAX_TOKENS> token_numbers;
std::array<uint8_t, MAX_TOKENS> token_levels;

// Longest word or number: one less than a variable name's 64-byte field.
constexpr int MAX_WORD = 63;

struct Keyword {
  std::string_view word;
  TokenType type;
};

// Searched in this order.
constexpr Keyword keywords[] = {
    {"print", TOKEN_PRINT}, {"var", TOKEN_VAR},           {"if", TOKEN_IF},
    {"while", TOKEN_WHILE}, {"function", TOKEN_FUNCTION}, {"return", TOKEN_RETURN},
};

struct Operator {
  std::string_view text;
  TokenType type;
  BinaryLevel level;
};

// Two-character operators are tried before the one-character ones, in this order.
constexpr Operator operators[] = {
    {"==", TOKEN_EQ, LEVEL_COMPARISON},   {"!=", TOKEN_NEQ, LEVEL_COMPARISON},
    {"&&", TOKEN_AND, LEVEL_AND},         {"||", TOKEN_OR, LEVEL_OR},
    {"(", TOKEN_LPAREN, NOT_BINARY},      {")", TOKEN_RPAREN, NOT_BINARY},
    {"{", TOKEN_LBRACE, NOT_BINARY},      {"}", TOKEN_RBRACE, NOT_BINARY},
    {",", TOKEN_COMMA, NOT_BINARY},       {";", TOKEN_SEMICOLON, NOT_BINARY},
    {"=", TOKEN_ASSIGN, NOT_BINARY},      {"+", TOKEN_PLUS, LEVEL_TERM},
    {"-", TOKEN_MINUS, LEVEL_TERM},       {"*", TOKEN_STAR, LEVEL_FACTOR},
    {"/", TOKEN_SLASH, LEVEL_FACTOR},     {">", TOKEN_GT, LEVEL_COMPARISON},
    {"<", TOKEN_LT, LEVEL_COMPARISON},    {"!", TOKEN_NOT, NOT_BINARY},
};

static bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Letters are ASCII letters only: bytes above 0x7F start no word and continue none.
static bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

static bool is_word_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }

// Newlines are counted with wrap-around: a 2 GiB file of newlines must not overflow,
// and match() ignores the non-positive lines that wrapping produces.
static void count_newline() {
  current_line = static_cast<int32_t>(static_cast<uint32_t>(current_line) + 1u);
}

static void add_token(TokenType type, const char* text, size_t length,
                      BinaryLevel level = NOT_BINARY) {
  if (token_count >= MAX_TOKENS) error("Too many tokens (max %d)", MAX_TOKENS);
  Token& token = tokens[token_count];
  if (length > MAX_TEXT - 1) length = MAX_TEXT - 1;
  token.type = type;
  std::memcpy(token.text, text, length);
  token.text[length] = '\0';
  token.line = current_line;
  token_types[token_count] = static_cast<uint8_t>(type);
  token_lines[token_count] = current_line;
  token_numbers[token_count] = type == TOKEN_NUMBER ? std::atof(token.text) : 0.0;
  token_levels[token_count] = level;
  ++token_count;
}

static const char* skip_whitespace_and_comments(const char* p) {
  for (;;) {
    char c = *p;
    if (c == ' ' || c == '\t' || c == '\r') {
      ++p;
    } else if (c == '\n') {
      ++p;
      count_newline();
    } else if (c == '#') {
      // Stop on the newline itself: the next pass counts it.
      const char* end = std::strchr(p, '\n');
      p = end ? end : p + std::strlen(p);
    } else {
      return p;
    }
  }
}

static char decode_escape(char c) {
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    default: return c;  // backslash, quote and every other character stand for themselves
  }
}

// A literal holds at most 1023 decoded bytes; a longer one counts as unterminated. Newlines
// inside it are not counted, so the error names the line on which the literal starts.
static const char* lex_string(const char* p) {
  char buffer[MAX_TEXT];
  size_t length = 0;
  ++p;
  while (*p != '\0' && *p != '"' && length < MAX_TEXT - 1) {
    if (*p == '\\' && p[1] != '\0') {
      ++p;
      buffer[length++] = decode_escape(*p);
    } else {
      buffer[length++] = *p;
    }
    ++p;
  }
  if (*p != '"') error("Unterminated string literal");
  add_token(TOKEN_STRING, buffer, length);
  return p + 1;
}

// Digits with at most one point, split after 63 characters.
static const char* lex_number(const char* p) {
  const char* start = p;
  bool seen_point = false;
  while (p - start < MAX_WORD && (is_digit(*p) || (*p == '.' && !seen_point))) {
    if (*p == '.') seen_point = true;
    ++p;
  }
  add_token(TOKEN_NUMBER, start, static_cast<size_t>(p - start));
  return p;
}

// A word longer than 63 characters splits; the rest is lexed afresh.
static const char* lex_word(const char* p) {
  const char* start = p;
  while (p - start < MAX_WORD && is_word_char(*p)) ++p;
  std::string_view word(start, static_cast<size_t>(p - start));
  TokenType type = TOKEN_IDENTIFIER;
  for (const Keyword& keyword : keywords) {
    if (keyword.word == word) {
      type = keyword.type;
      break;
    }
  }
  add_token(type, start, word.size());
  return p;
}

static const char* lex_operator(const char* p) {
  for (const Operator& op : operators) {
    if (op.text[0] == p[0] && (op.text.size() == 1 || op.text[1] == p[1])) {
      add_token(op.type, p, op.text.size(), op.level);
      return p + op.text.size();
    }
  }
  error("Unknown character: '%c'", *p);
}

void tokenize(const char* text) {
  token_count = 0;
  current_line = 1;
  current_token = 0;
  line_anchor = 0;
  const char* p = text;
  for (;;) {
    p = skip_whitespace_and_comments(p);
    char c = *p;
    if (c == '\0') {
      add_token(TOKEN_EOF, "", 0);
      return;
    }
    if (c == '"') {
      p = lex_string(p);
    } else if (is_digit(c) || (c == '.' && is_digit(p[1]))) {
      p = lex_number(p);
    } else if (is_letter(c) || c == '_') {
      p = lex_word(p);
    } else {
      p = lex_operator(p);
    }
  }
}

}  // namespace ulvane
