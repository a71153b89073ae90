// Expression evaluator: parses and computes in the same pass over the token cursor,
// returning a double as soon as each rule is read; no tree is built.
// Truth: a value is true when it does not compare equal to 0.0 (NaN is true, -0.0 false).
//
// Inside the evaluator the cursor travels in registers: each routine takes the index of
// its first token and returns its value with the index after its last one. Every step is
// a take, so the line in force needs no bookkeeping; current_token is written back when
// the expression ends and before any error is raised.
#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "driver/driver.h"
#include "lexer/lexer.h"
#include "values/values.h"

#define ULVANE_INLINE [[gnu::always_inline]] inline

namespace ulvane {

// Token indices are kept pointer-wide inside the evaluator: they address the tables with
// no widening on every access.
using Index = std::ptrdiff_t;

// A value, and the index just after the tokens it was read from.
struct Read {
  double value;
  Index at;
};

// Truth values are 1.0 or 0.0, computed without a branch, since comparisons in scripts
// often go either way. Comparing two-lane vectors gives a mask of all ones or all zeros
// per lane, and the mask ANDed with the bits of 1.0 is exactly 1.0 or +0.0: one compare
// and one AND where a bool would be converted to a double. Only the first lane is used.
using Lanes = double __attribute__((vector_size(16)));
using Mask = long long __attribute__((vector_size(16)));

static Lanes lanes(double value) { return Lanes{value, 0.0}; }

// The builtin rather than std::bit_cast: the web build's C++ library lacks the latter.
static double truth(Mask mask) {
  return __builtin_bit_cast(Lanes, mask & __builtin_bit_cast(Mask, Lanes{1.0, 1.0}))[0];
}

static double is_true(double value) { return truth(lanes(value) != lanes(0.0)); }
static double is_false(double value) { return truth(lanes(value) == lanes(0.0)); }

[[noreturn, gnu::cold]] static void string_in_expression(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Cannot use string in expression");
}

[[noreturn, gnu::cold]] static void expected_expression(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Expected expression (got '%s')", peek().text);
}

[[noreturn, gnu::cold]] static void missing_parenthesis(Index at) {
  current_token = static_cast<int32_t>(at);
  report_missing("Expected ')'");
}

[[noreturn, gnu::cold]] static void division_by_zero(Index at) {
  current_token = static_cast<int32_t>(at);
  error("Division by zero");
}

static Read parse_group(Index at);

// The length in tokens of a parenthesised expression of form `form` read before, when it is a
// short one, FORM_OPERAND to FORM_FIVE_OPERANDS but FORM_CONDITION; else 0. Its ")" was taken
// on that first reading and stands where it stood.
static int32_t known_length(uint8_t form) {
  // ORDER ExpressionForm
  static constexpr uint8_t lengths[] = {0, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 0, 5, 7, 9, 0, 0, 0, 0};
  static_assert(sizeof lengths == FORM_OTHER + 1 && FORM_CONDITION == 12);
  return lengths[form];
}

// The value of a parenthesised expression whose known_length() is not 0; out of line, so that
// the rules' recursion for nested parentheses keeps its frames small.
[[gnu::noinline]] static double known_value(Index at) {
  return evaluate_at(static_cast<int32_t>(at)).value;
}

// primary = number | identifier | "(" expression ")"
// The parenthesised expression is read by parse_group(), which saves a call.
[[gnu::noinline]] static Read parse_primary(Index at) {
  switch (token_types[at]) {
    case TOKEN_NUMBER:
      operand_slots[at] = &token_numbers[at];
      return {token_numbers[at], at + 1};
    case TOKEN_IDENTIFIER:
      current_token = static_cast<int32_t>(at + 1);
      // A variable that holds a string still reads as its number.
      return {token_variable_or_fail(static_cast<int32_t>(at))->number, at + 1};
    case TOKEN_STRING:
      string_in_expression(at + 1);
    default:
      expected_expression(at);
  }
}

static Read parse_unary(Index at);

// An operand of a binary operator: a number, or a variable already found, is read on the
// spot from its slot, and so is one with a "!" or "-" in front; a parenthesised one, also
// after a "!", is read without the unary rule's call; everything else goes through it.
ULVANE_INLINE static Read parse_operand(Index at) {
  if (const double* slot = operand_slots[at]) return {*slot, at + 1};
  // The end token is neither, so the token after a "!" or "-" is in the table.
  uint8_t type = token_types[at];
  if (type == TOKEN_NOT) {
    if (const double* slot = operand_slots[at + 1]) return {is_false(*slot), at + 2};
    if (token_types[at + 1] == TOKEN_LPAREN) {
      Read inner = parse_group(at + 1);
      return {is_false(inner.value), inner.at};
    }
  } else if (type == TOKEN_MINUS) {
    // A sign flip, so -0 is -0.0.
    if (const double* slot = operand_slots[at + 1]) return {-*slot, at + 2};
  } else if (type == TOKEN_LPAREN) {
    return parse_group(at);
  }
  return parse_unary(at);
}

// unary = "!" unary | "-" unary | primary
[[gnu::noinline]] static Read parse_unary(Index at) {
  switch (token_types[at]) {
    case TOKEN_NOT: {
      Read operand = parse_operand(at + 1);
      return {is_false(operand.value), operand.at};
    }
    case TOKEN_MINUS: {
      Read operand = parse_operand(at + 1);
      // A sign flip, so -0 is -0.0.
      return {-operand.value, operand.at};
    }
    case TOKEN_LPAREN:
      return parse_group(at);
    default:
      return parse_primary(at);
  }
}

// The arithmetic and comparison levels, loosest first, are left-associative loops of one shape:
//   comparison = term { ("==" | "!=" | ">" | "<") term }
//   term       = factor { ("+" | "-") factor }
//   factor     = unary { ("*" | "/") unary }
// so one loop walks them all. Given the first operand already read, it takes every
// operator of `lowest` or a tighter level; the right operand of an operator extends over
// all operators tighter than it, exactly as the nested loops of the rules would read it.
// Tokens are taken, and errors raised, in the same order as those loops.
ULVANE_INLINE static double apply(TokenType op, double left, double right, Index at) {
  switch (op) {
    case TOKEN_STAR: return left * right;
    case TOKEN_SLASH:
      // -0.0 compares equal to 0.0; NaN does not.
      if (right == 0.0) division_by_zero(at);
      return left / right;
    case TOKEN_PLUS: return left + right;
    case TOKEN_MINUS: return left - right;
    case TOKEN_EQ: return truth(lanes(left) == lanes(right));
    case TOKEN_NEQ: return truth(lanes(left) != lanes(right));
    case TOKEN_GT: return truth(lanes(left) > lanes(right));
    default: return truth(lanes(left) < lanes(right));
  }
}

static Read parse_tighter(Read left, BinaryLevel lowest);

// The factors after a first one: the tightest level, whose right operands are all unary, so
// the right operand of a "+" or "-" is read without a recursive call.
ULVANE_INLINE static Read parse_factors(Read left) {
  while (token_levels[left.at] == LEVEL_FACTOR) {
    TokenType op = static_cast<TokenType>(token_types[left.at]);
    Read right = parse_operand(left.at + 1);
    left = {apply(op, left.value, right.value, right.at), right.at};
  }
  return left;
}

ULVANE_INLINE static Read parse_binary(Read left, BinaryLevel lowest) {
  for (;;) {
    BinaryLevel level = static_cast<BinaryLevel>(token_levels[left.at]);
    if (level < lowest) return left;
    TokenType op = static_cast<TokenType>(token_types[left.at]);
    Read right = parse_operand(left.at + 1);
    if (token_levels[right.at] > level) {
      right = level == LEVEL_TERM ? parse_factors(right)
                                  : parse_tighter(right, static_cast<BinaryLevel>(level + 1));
    }
    left = {apply(op, left.value, right.value, right.at), right.at};
  }
}

// The right operand of an operator, when tighter operators follow it; out of line because
// it recurses.
[[gnu::noinline]] static Read parse_tighter(Read left, BinaryLevel lowest) {
  return parse_binary(left, lowest);
}

ULVANE_INLINE static Read parse_comparison(Index at) {
  return parse_binary(parse_operand(at), LEVEL_COMPARISON);
}

// Per "&&" or "||" token, what is known of its right operand: UNREAD until it has been read
// once, then RAISES_ERRORS, or the index just after it when it can raise no error. Where an
// operand ends depends only on the tokens, never on values. One that was read without error
// has had every name in it found, and a name once found stays found; so when it holds no
// division, or only divisions by a nonzero number literal, reading it again cannot fail.
constexpr int32_t UNREAD = 0;
constexpr int32_t RAISES_ERRORS = -1;
static std::array<int32_t, MAX_TOKENS> right_operand_ends;

// Whether the tokens from `from` up to `end`, read once without error, can raise an error when
// read again: only a division can, unless its divisor is a nonzero number literal.
static bool can_raise(Index from, Index end) {
  for (Index at = from; at < end; ++at) {
    bool literal_divisor = token_types[at + 1] == TOKEN_NUMBER && token_numbers[at + 1] != 0.0;
    if (token_types[at] == TOKEN_SLASH && !literal_divisor) return true;
  }
  return false;
}

// Called once per logical operator, when its right operand, up to `end`, has been read.
[[gnu::noinline]] static void note_right_operand(Index op, Index end) {
  right_operand_ends[op] = can_raise(op + 1, end) ? RAISES_ERRORS : static_cast<int32_t>(end);
}

static Read parse_logical(Read left);

// logic_or  = logic_and { "||" logic_and }
// logic_and = comparison { "&&" comparison }
// One "&&" or "||" after its left operand, its right side read; the right side of "||" takes
// every "&&" after it. Of two truths, the product is 1.0 only when both are, the larger is
// 1.0 when either is.
[[gnu::noinline]] static Read parse_logical_right(Read left) {
  Index at = left.at;
  bool is_and = token_types[at] == TOKEN_AND;
  Read right = parse_comparison(at + 1);
  if (!is_and) {
    while (token_types[right.at] == TOKEN_AND) right = parse_logical(right);
  }
  if (right_operand_ends[at] == UNREAD) note_right_operand(at, right.at);
  double value = is_and ? is_true(left.value) * is_true(right.value)
                        : std::max(is_true(left.value), is_true(right.value));
  return {value, right.at};
}

// Both sides of "&&" and "||" are always computed, since the right one may raise an error
// even when the left already decides the result; only a right side known to raise none is
// passed over then, which no script can tell apart. When the left side does not decide, a
// known right side of one token, a number or a variable found before, is read on the spot.
ULVANE_INLINE static Read parse_logical(Read left) {
  int32_t known = right_operand_ends[left.at];
  if (known > 0) {
    if (token_types[left.at] == TOKEN_AND) {
      if (left.value == 0.0) return {0.0, known};
    } else if (left.value != 0.0) {
      return {1.0, known};
    }
    const double* slot = operand_slots[left.at + 1];
    if (known == static_cast<int32_t>(left.at) + 2 && slot) {
      return {is_true(*slot), left.at + 2};
    }
  }
  return parse_logical_right(left);
}

// expression = logic_or
ULVANE_INLINE static Read parse_full(Index at) {
  Read left = parse_comparison(at);
  // Every tighter operator has been taken: what follows is "&&", "||" or the end.
  while (token_levels[left.at] != NOT_BINARY) left = parse_logical(left);
  return left;
}

// "(" expression ")", the "(" at `at`; out of line because it recurses. Once read
// (note_expression() notes the forms of the parenthesised expressions in what a statement
// reads), a short one is read by its recorded form, as an expression that starts a statement
// is: every error the forms can raise, they raise where the rules raise it. A condition of
// "&&" and "||" in parentheses is read by the rules, whose known right operands make the short
// ones quick.
[[gnu::noinline]] static Read parse_group(Index at) {
  if (int32_t length = known_length(expression_forms[at + 1])) {
    return {known_value(at + 1), at + length + 2};
  }
  Read inner = parse_full(at + 1);
  if (token_types[inner.at] != TOKEN_RPAREN) missing_parenthesis(inner.at);
  return {inner.value, inner.at + 1};
}

// Numbers or variables found before, with arithmetic or comparison operators between them. As
// the rules read them, the value is that of applying, again and again, an operator that binds
// more tightly than the one before it and at least as tightly as the one after it to its two
// neighbours. Every divisor is one operand, so a division by zero is raised at the first
// division whose divisor is zero, just after that divisor, whatever order the others are
// applied in. `op` is the index of an operator token.
ULVANE_INLINE static double apply_at(Index op, double left, double right) {
  return apply(static_cast<TokenType>(token_types[op]), left, right, op + 2);
}

ULVANE_INLINE static double three_operands(double first, Index op1, double second, Index op2,
                                           double third) {
  if (token_levels[op2] > token_levels[op1]) {
    return apply_at(op1, first, apply_at(op2, second, third));
  }
  return apply_at(op2, apply_at(op1, first, second), third);
}

// Three and four operands, one routine per choice of operators, in which the order the
// operators are applied in and what each computes are known beforehand; the same order as
// above. `after` is the index just after an operator's right operand, where a division by
// zero is raised. The operator tokens PLUS to LT are contiguous.
constexpr int OPERATOR_KINDS = TOKEN_LT - TOKEN_PLUS + 1;

template <TokenType op1, TokenType op2>
ULVANE_INLINE static double three_known(double first, double second, double third,
                                        Index after1, Index after2) {
  if constexpr (binding(op2) > binding(op1)) {
    return apply(op1, first, apply(op2, second, third, after2), after1);
  } else {
    return apply(op2, apply(op1, first, second, after1), third, after2);
  }
}

template <TokenType op1, TokenType op2, TokenType op3>
ULVANE_INLINE static double four_known(double first, double second, double third, double fourth,
                                       Index after1, Index after2, Index after3) {
  if constexpr (binding(op1) >= binding(op2)) {
    return three_known<op2, op3>(apply(op1, first, second, after1), third, fourth, after2, after3);
  } else if constexpr (binding(op2) >= binding(op3)) {
    return three_known<op1, op3>(first, apply(op2, second, third, after2), fourth, after1, after3);
  } else {
    return three_known<op1, op2>(first, second, apply(op3, third, fourth, after3), after1, after2);
  }
}

// The operator of the given number, counting from 0, of a choice of `count` operators.
constexpr TokenType chosen(int choice, int count, int number) {
  for (int i = number + 1; i < count; ++i) choice /= OPERATOR_KINDS;
  return static_cast<TokenType>(TOKEN_PLUS + choice % OPERATOR_KINDS);
}

template <int choice>
static Parsed three_operands_with(int32_t at) {
  double value = three_known<chosen(choice, 2, 0), chosen(choice, 2, 1)>(
      *operand_slots[at], *operand_slots[at + 2], *operand_slots[at + 4], at + 3, at + 5);
  return {value, at + 5};
}

template <int choice>
static Parsed four_operands_with(int32_t at) {
  double value =
      four_known<chosen(choice, 3, 0), chosen(choice, 3, 1), chosen(choice, 3, 2)>(
          *operand_slots[at], *operand_slots[at + 2], *operand_slots[at + 4],
          *operand_slots[at + 6], at + 3, at + 5, at + 7);
  return {value, at + 7};
}

using Routine = Parsed (*)(int32_t);

template <std::size_t... choices>
constexpr auto three_operand_routines(std::index_sequence<choices...>) {
  return std::array<Routine, sizeof...(choices)>{three_operands_with<choices>...};
}

template <std::size_t... choices>
constexpr auto four_operand_routines(std::index_sequence<choices...>) {
  return std::array<Routine, sizeof...(choices)>{four_operands_with<choices>...};
}

// The number of the choice of the operators at op, op + 2, ... (count of them).
static int choice_at(Index op, int count) {
  int choice = 0;
  for (int i = 0; i < count; ++i) {
    choice = choice * OPERATOR_KINDS + (token_types[op + 2 * i] - TOKEN_PLUS);
  }
  return choice;
}

Parsed evaluate_three_operands(int32_t at) {
  static constexpr auto routines =
      three_operand_routines(std::make_index_sequence<OPERATOR_KINDS * OPERATOR_KINDS>());
  return routines[choice_at(at + 1, 2)](at);
}

Parsed evaluate_four_operands(int32_t at) {
  static constexpr auto routines = four_operand_routines(
      std::make_index_sequence<OPERATOR_KINDS * OPERATOR_KINDS * OPERATOR_KINDS>());
  return routines[choice_at(at + 1, 3)](at);
}

// Compound forms: one to three operands around arithmetic or comparison operators, some of
// them with "!" or "-" before them or parenthesised expressions. Each operand is read as the
// rules read one, raising what the rules raise, and then the operators are applied as above,
// a division by zero raised just after its divisor; an operand that can raise an error comes
// before every division (compound_operands()), so errors come in the rules' order.
template <int choice>
static double three_values_with(double first, double second, double third, Index after1,
                                Index after2) {
  return three_known<chosen(choice, 2, 0), chosen(choice, 2, 1)>(first, second, third, after1,
                                                                 after2);
}

template <std::size_t... choices>
constexpr auto three_value_routines(std::index_sequence<choices...>) {
  return std::array<double (*)(double, double, double, Index, Index), sizeof...(choices)>{
      three_values_with<choices>...};
}

Parsed evaluate_compound_one(int32_t at) {
  Read only = parse_operand(at);
  return {only.value, static_cast<int32_t>(only.at)};
}

Parsed evaluate_compound_two(int32_t at) {
  Read first = parse_operand(at);
  Read second = parse_operand(first.at + 1);
  TokenType op = static_cast<TokenType>(token_types[first.at]);
  return {apply(op, first.value, second.value, second.at), static_cast<int32_t>(second.at)};
}

Parsed evaluate_compound_three(int32_t at) {
  static constexpr auto routines =
      three_value_routines(std::make_index_sequence<OPERATOR_KINDS * OPERATOR_KINDS>());
  Read first = parse_operand(at);
  Index op1 = first.at;
  Read second = parse_operand(op1 + 1);
  Index op2 = second.at;
  Read third = parse_operand(op2 + 1);
  int choice = (token_types[op1] - TOKEN_PLUS) * OPERATOR_KINDS + (token_types[op2] - TOKEN_PLUS);
  double value = routines[choice](first.value, second.value, third.value, second.at, third.at);
  return {value, static_cast<int32_t>(third.at)};
}

ULVANE_INLINE static double four_operands(double first, Index op1, double second, Index op2,
                                          double third, Index op3, double fourth) {
  if (token_levels[op1] >= token_levels[op2]) {
    return three_operands(apply_at(op1, first, second), op2, third, op3, fourth);
  }
  if (token_levels[op2] >= token_levels[op3]) {
    return three_operands(first, op1, apply_at(op2, second, third), op3, fourth);
  }
  return three_operands(first, op1, second, op2, apply_at(op3, third, fourth));
}

Parsed evaluate_five_operands(int32_t at) {
  double first = *operand_slots[at];
  double second = *operand_slots[at + 2];
  double third = *operand_slots[at + 4];
  double fourth = *operand_slots[at + 6];
  double fifth = *operand_slots[at + 8];
  Index op1 = at + 1;
  Index op2 = at + 3;
  Index op3 = at + 5;
  Index op4 = at + 7;
  double value;
  if (token_levels[op1] >= token_levels[op2]) {
    value = four_operands(apply_at(op1, first, second), op2, third, op3, fourth, op4, fifth);
  } else if (token_levels[op2] >= token_levels[op3]) {
    value = four_operands(first, op1, apply_at(op2, second, third), op3, fourth, op4, fifth);
  } else if (token_levels[op3] >= token_levels[op4]) {
    value = four_operands(first, op1, second, op2, apply_at(op3, third, fourth), op4, fifth);
  } else {
    value = four_operands(first, op1, second, op2, third, op3, apply_at(op4, fourth, fifth));
  }
  return {value, at + 9};
}

// Conditions read again. A condition of "&&", "||" and "!" that has been read once without
// error and cannot raise one (can_raise) gives the same truth whichever of its parts are read,
// so on later readings only the parts that decide it are. Its atoms are the comparisons
// between the logical operators; each is computed in turn, and its two exits, one for true and
// one for false, say where reading goes on: at the next atom that can still decide the
// result, or at the result itself. Exits depend only on the tokens and are laid out once, as a
// block's matching "}" is found once.
enum AtomKind : uint8_t {
  ATOM_BY_RULES,  // read by the comparison rule
  ATOM_LESS,      // true when its left value is less than its right one
  ATOM_EQUAL,     // true when its two values are equal
};
constexpr int32_t EXIT_FALSE = -2;
constexpr int32_t EXIT_TRUE = -1;

// Per atom's first token: its kind, and its exits when it is true and when it is false: the
// next atom's first token, or EXIT_TRUE or EXIT_FALSE. An atom of one number or variable, or of
// two around a comparison, is one comparison of two values, read from where the operands'
// values are: "a > b" is "b < a", "a != b" is "a == b" with its exits swapped, and "a" alone is
// "a == 0" with its exits swapped.
static std::array<uint8_t, MAX_TOKENS> atom_kinds;
static std::array<const double*, MAX_TOKENS> atom_lefts;
static std::array<const double*, MAX_TOKENS> atom_rights;
static std::array<int32_t, MAX_TOKENS> true_exits;
static std::array<int32_t, MAX_TOKENS> false_exits;
static constexpr double zero = 0.0;

// Per condition's first token: its first atom, and the index just after the condition.
static std::array<int32_t, MAX_TOKENS> condition_entries;
static std::array<int32_t, MAX_TOKENS> condition_ends;

// Per atom of kind ATOM_BY_RULES, the form of its tokens read as an expression of their own.
static std::array<uint8_t, MAX_TOKENS> atom_forms;

// An atom that is not one comparison of two values: three to five operands around arithmetic
// and comparison operators, and compound forms, are computed as such, any other atom by the
// comparison rule. Out
// of line, so that the loop over the other atoms keeps its few registers.
[[gnu::noinline]] static bool atom_by_rules(Index atom) {
  int32_t at = static_cast<int32_t>(atom);
  switch (atom_forms[atom]) {
    case FORM_THREE_OPERANDS:
      return evaluate_three_operands(at).value != 0.0;
    case FORM_FOUR_OPERANDS:
      return evaluate_four_operands(at).value != 0.0;
    case FORM_FIVE_OPERANDS:
      return evaluate_five_operands(at).value != 0.0;
    case FORM_COMPOUND_ONE:
      return evaluate_compound_one(at).value != 0.0;
    case FORM_COMPOUND_TWO:
      return evaluate_compound_two(at).value != 0.0;
    case FORM_COMPOUND_THREE:
      return evaluate_compound_three(at).value != 0.0;
    default:
      return parse_comparison(atom).value != 0.0;
  }
}

// Which way each atom goes is a branch, not an index computed from its truth: the processor
// predicts the branch and reads the next atom's tokens before the comparison is done.
bool condition_holds(int32_t at) {
  Index atom = condition_entries[at];
  for (;;) {
    bool holds;
    uint8_t kind = atom_kinds[atom];
    if (kind == ATOM_BY_RULES) {
      holds = atom_by_rules(atom);
    } else {
      double left = *atom_lefts[atom];
      double right = *atom_rights[atom];
      holds = kind == ATOM_EQUAL ? left == right : left < right;
    }
    int32_t exit;
    if (holds) {
      exit = true_exits[atom];
    } else {
      exit = false_exits[atom];
    }
    if (exit < 0) return exit == EXIT_TRUE;
    atom = exit;
  }
}

Parsed evaluate_condition(int32_t at) {
  return {condition_holds(at) ? 1.0 : 0.0, condition_ends[at]};
}

// The index of the ")" that closes the "(" at index open.
static Index closing_parenthesis(Index open) {
  int depth = 0;
  for (Index at = open;; ++at) {
    if (token_types[at] == TOKEN_LPAREN) ++depth;
    if (token_types[at] == TOKEN_RPAREN && --depth == 0) return at;
  }
}

// The index just after the unary expression whose first token is at `at`.
static Index unary_end(Index at) {
  while (token_types[at] == TOKEN_NOT || token_types[at] == TOKEN_MINUS) ++at;
  return token_types[at] == TOKEN_LPAREN ? closing_parenthesis(at) + 1 : at + 1;
}

// The index of the last `op` outside parentheses from `from` up to `end`, or from - 1.
static Index last_outside(Index from, Index end, TokenType op) {
  int depth = 0;
  for (Index at = end - 1; at >= from; --at) {
    uint8_t type = token_types[at];
    if (type == TOKEN_RPAREN) ++depth;
    if (type == TOKEN_LPAREN) --depth;
    if (depth == 0 && type == op) return at;
  }
  return from - 1;
}

static ExpressionForm form_of(Index at, Index end);

// Lays out the atom from `from` up to `end`, which goes on at if_true or if_false.
static void lay_out_atom(Index from, Index end, int32_t if_true, int32_t if_false) {
  const double* left = operand_slots[from];
  const double* right = end - from == 3 ? operand_slots[from + 2] : nullptr;
  AtomKind kind = ATOM_BY_RULES;
  if (end - from == 1 && left) {
    kind = ATOM_EQUAL;
    right = &zero;
    std::swap(if_true, if_false);
  } else if (left && right) {
    switch (token_types[from + 1]) {
      case TOKEN_NEQ:
        std::swap(if_true, if_false);
        [[fallthrough]];
      case TOKEN_EQ:
        kind = ATOM_EQUAL;
        break;
      case TOKEN_GT:
        std::swap(left, right);
        [[fallthrough]];
      case TOKEN_LT:
        kind = ATOM_LESS;
        break;
    }
  }
  if (kind == ATOM_BY_RULES) atom_forms[from] = form_of(from, end);
  atom_kinds[from] = kind;
  atom_lefts[from] = left;
  atom_rights[from] = right;
  true_exits[from] = if_true;
  false_exits[from] = if_false;
}

static int32_t lay_out_or(Index from, Index end, int32_t if_true, int32_t if_false);

// Lays out the exits of the comparison-level operand from `from` up to `end`, which goes on at
// if_true or if_false; returns its first atom. A "!" before the whole operand swaps the two,
// and a parenthesised condition is laid out in turn.
static int32_t lay_out_operand(Index from, Index end, int32_t if_true, int32_t if_false) {
  while (token_types[from] == TOKEN_NOT && unary_end(from + 1) == end) {
    std::swap(if_true, if_false);
    ++from;
  }
  if (token_types[from] == TOKEN_LPAREN && closing_parenthesis(from) == end - 1) {
    return lay_out_or(from + 1, end - 1, if_true, if_false);
  }
  lay_out_atom(from, end, if_true, if_false);
  return static_cast<int32_t>(from);
}

// As lay_out_operand(), for the operands of "&&" from `from` up to `end`, the last first, so
// that each knows where the next one starts: a false operand decides, a true one goes on.
static int32_t lay_out_and(Index from, Index end, int32_t if_true, int32_t if_false) {
  int32_t next = if_true;
  for (;;) {
    Index op = last_outside(from, end, TOKEN_AND);
    next = lay_out_operand(op + 1, end, next, if_false);
    if (op < from) return next;
    end = op;
  }
}

// The same for the operands of "||": a true operand decides, a false one goes on.
static int32_t lay_out_or(Index from, Index end, int32_t if_true, int32_t if_false) {
  int32_t next = if_false;
  for (;;) {
    Index op = last_outside(from, end, TOKEN_OR);
    next = lay_out_and(op + 1, end, if_true, next);
    if (op < from) return next;
    end = op;
  }
}

// Whether the value of the expression from `from` up to `end` is a truth, 1.0 or 0.0, as the
// value of a logical operator or of a "!" is.
static bool gives_truth(Index from, Index end) {
  for (;;) {
    if (last_outside(from, end, TOKEN_OR) >= from) return true;
    if (last_outside(from, end, TOKEN_AND) >= from) return true;
    if (token_types[from] == TOKEN_NOT) return unary_end(from + 1) == end;
    if (token_types[from] != TOKEN_LPAREN || closing_parenthesis(from) != end - 1) return false;
    ++from;
    --end;
  }
}

std::array<uint8_t, MAX_TOKENS> expression_forms;

// How many operands the expression from `at` up to `end` has when it is of a compound form: one
// to three operands around arithmetic and comparison operators, each a number, a variable or a
// parenthesised expression, with any "!" and "-" before it; else 0. The operands are all read
// before any operator is applied, so one that can raise an error must come before every
// division: the rules would raise a division by zero before reading it.
static int compound_operands(Index at, Index end) {
  bool after_division = false;
  for (int count = 1; count <= 3; ++count) {
    Index core = at;
    while (token_types[core] == TOKEN_NOT || token_types[core] == TOKEN_MINUS) ++core;
    Index after = unary_end(at);
    bool group = token_types[core] == TOKEN_LPAREN;
    if (group ? after_division && can_raise(core + 1, after - 1) : !operand_slots[core]) return 0;
    if (after == end) return count;
    if (token_levels[after] < LEVEL_COMPARISON) return 0;
    after_division = after_division || token_types[after] == TOKEN_SLASH;
    at = after + 1;
  }
  return 0;
}

// The form of the expression from `at` up to `end`, read once without error.
static ExpressionForm form_of(Index at, Index end) {
  Index length = end - at;
  uint8_t first = token_types[at];
  if (length == 1 && operand_slots[at]) return FORM_OPERAND;
  if (length == 2 && operand_slots[at + 1]) {
    if (first == TOKEN_NOT) return FORM_NOT;
    if (first == TOKEN_MINUS) return FORM_NEGATE;
  }
  // An odd run of operands with arithmetic or comparison operators between them.
  bool flat = length % 2 == 1 && length <= 9;
  for (Index i = at; flat && i < end; i += 2) {
    flat = operand_slots[i] && (i + 1 == end || token_levels[i + 1] >= LEVEL_COMPARISON);
  }
  if (flat && length == 3) {
    return static_cast<ExpressionForm>(FORM_ADD + token_types[at + 1] - TOKEN_PLUS);
  }
  if (flat && length == 5) return FORM_THREE_OPERANDS;
  if (flat && length == 7) return FORM_FOUR_OPERANDS;
  if (flat && length == 9) return FORM_FIVE_OPERANDS;
  if (gives_truth(at, end) && !can_raise(at, end)) return FORM_CONDITION;
  if (int count = compound_operands(at, end)) {
    return static_cast<ExpressionForm>(FORM_COMPOUND_ONE + count - 1);
  }
  return FORM_OTHER;
}

// Called once per expression start, when the expression there, up to `end`, has been read:
// notes its form and that of every parenthesised expression in it, which depend only on the
// tokens and on the names found in reading them. A condition in parentheses is read by the
// rules (parse_group()), so its atoms keep the exits of the condition around it.
[[gnu::noinline]] static void note_expression(Index at, Index end) {
  ExpressionForm form = form_of(at, end);
  if (form == FORM_CONDITION) {
    condition_entries[at] = lay_out_or(at, end, EXIT_TRUE, EXIT_FALSE);
    condition_ends[at] = static_cast<int32_t>(end);
  }
  expression_forms[at] = form;
  for (Index open = at; open < end; ++open) {
    if (token_types[open] == TOKEN_LPAREN && expression_forms[open + 1] == FORM_UNKNOWN) {
      ExpressionForm inner = form_of(open + 1, closing_parenthesis(open));
      expression_forms[open + 1] = inner == FORM_CONDITION ? FORM_OTHER : inner;
    }
  }
}

Parsed evaluate_by_rules(int32_t at) {
  Read result = parse_full(at);
  if (expression_forms[at] == FORM_UNKNOWN) note_expression(at, result.at);
  return {result.value, static_cast<int32_t>(result.at)};
}

}  // namespace ulvane
