// Arithmetic through muParser: + - * / % ^ (and ** for power), parentheses, signs, decimal and
// 0x hexadecimal literals of any length, and the functions and constants of
// calculator_functions.h. Every operator is this file's own, so that each step is checked.
#include "orvane/lib/evaluator.h"

#include <math.h>
#include <muParser.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "orvane/lib/calculator_functions.h"
#include "orvane/lib/evaluator_errors.h"
#include "orvane/lib/evaluator_values.h"
#include "platform/wide_char.h"

namespace orvane {

namespace {

// By 0, or by a number too close to 0 for a double, which the quotient cannot be divided by.
[[noreturn]] void DivisionByZero(double divisor) {
  Fail(IsTooClose(divisor) ? kTooClose : "division by zero");
}

// A literal too large for a double is an operand of nothing but a product with an exact 0.
void RejectTooLarge(double a, double b) {
  if (isinf(a) || isinf(b)) TooLarge();
}
// A step whose own result overflows is an error.
double Finite(double result) {
  if (isinf(result)) TooLarge();
  return result;
}

// A sum or difference of 0 is exact unless an operand was too close to 0.
double SumOrDifference(double a, double b, double result) {
  RejectTooLarge(a, b);
  Finite(result);
  return result == 0 ? ZeroResult(!IsTooClose(a) && !IsTooClose(b)) : result;
}
double Add(double a, double b) {
  return SumOrDifference(a, b, a + b);
}
double Subtract(double a, double b) {
  return SumOrDifference(a, b, a - b);
}
// A product of 0 is exact when a factor is an exact 0; otherwise it underflowed, or a factor
// was too close to 0.
double Multiply(double a, double b) {
  if (isinf(a) || isinf(b)) {
    double other = isinf(a) ? b : a;
    if (IsExactZero(other)) return 0;
    if (IsTooClose(other)) Fail("a number too large times one too close to 0 cannot be calculated");
    TooLarge();
  }
  double product = Finite(a * b);
  return product == 0 ? ZeroResult(IsExactZero(a) || IsExactZero(b)) : product;
}
double Divide(double a, double b) {
  RejectTooLarge(a, b);
  if (b == 0) DivisionByZero(b);
  double quotient = Finite(a / b);
  return quotient == 0 ? ZeroResult(IsExactZero(a)) : quotient;
}
double Remainder(double a, double b) {
  RejectTooLarge(a, b);
  if (b == 0) DivisionByZero(b);
  double remainder = fmod(a, b);  // always exact
  return remainder == 0 ? ZeroResult(!IsTooClose(a)) : remainder;
}
double Power(double a, double b) {
  RejectTooLarge(a, b);
  if (a == 0 && b < 0) DivisionByZero(a);
  double power = pow(a, b);
  if (isnan(power)) Fail("(" + NumberText(a) + ")^" + NumberText(b) + " is not a number");
  Finite(power);
  return power == 0 ? ZeroResult(IsExactZero(a)) : power;
}
// A sign keeps a zero as it is: -0 stands for a number too close to 0, not for a negative 0.
double Negate(double x) {
  return x == 0 ? x : -x;
}
double Plus(double x) {
  return x;
}

// The value of a literal that reads as 0: exact when its digits are all zeros, else too close
// to 0 for a double.
double ZeroLiteral(const std::string& digits) {
  bool exact = digits.find_first_of("123456789") >= digits.find_first_of("eE");
  return ZeroResult(exact);
}

// Reads "0x" followed by hexadecimal digits, as many as there are, as the double nearest to
// their value (the C library rounds it once); one beyond the range of a double is infinite.
int ReadHexLiteral(const char* text, int* position, double* value) {
  if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  int i = 2;
  while (HexDigitValue(static_cast<unsigned char>(text[i])) >= 0) ++i;
  if (i == 2) return 0;
  *value = strtod(std::string(text, static_cast<size_t>(i)).c_str(), nullptr);
  *position += i;
  return 1;
}

// Reads a decimal number (digits, a point, an exponent) of any length with strtod; one beyond
// the range of a double is infinite. muParser's own reader builds a stringstream for every
// number and gives up on long ones; this one is tried first.
int ReadDecimal(const char* text, int* position, double* value) {
  const char* p = text;
  auto digits = [&p] {
    const char* start = p;
    while (*p >= '0' && *p <= '9') ++p;
    return p > start;
  };
  bool whole = digits();
  bool fraction = false;
  if (*p == '.') {
    ++p;
    fraction = digits();
  }
  if (!whole && !fraction) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* mark = p++;
    if (*p == '+' || *p == '-') ++p;
    if (!digits()) p = mark;  // "2e" is 2 followed by something else
  }
  if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || *p == '_' || *p == '.') {
    return 0;  // "0x1F", "1.2.3", "2abc": leave them to the other readers
  }
  std::string number(text, static_cast<size_t>(p - text));
  *value = strtod(number.c_str(), nullptr);
  if (*value == 0) *value = ZeroLiteral(number);
  *position += static_cast<int>(number.size());
  return 1;
}

mu::Parser MakeParser() {
  mu::Parser parser;
  // The built-in operators are replaced, so that every step is checked: division by zero is an
  // error of its own and not an infinity, and no step overflows in silence.
  parser.EnableBuiltInOprt(false);
  parser.DefineOprt("+", Add, mu::prADD_SUB);
  parser.DefineOprt("-", Subtract, mu::prADD_SUB);
  parser.DefineOprt("*", Multiply, mu::prMUL_DIV);
  parser.DefineOprt("/", Divide, mu::prMUL_DIV);
  parser.DefineOprt("%", Remainder, mu::prMUL_DIV);
  parser.DefineOprt("^", Power, mu::prPOW, mu::oaRIGHT);
  parser.DefineOprt("**", Power, mu::prPOW, mu::oaRIGHT);
  parser.ClearInfixOprt();
  parser.DefineInfixOprt("-", Negate);
  parser.DefineInfixOprt("+", Plus);
  DefineFunctionsAndConstants(parser);
  parser.AddValIdent(ReadHexLiteral);
  parser.AddValIdent(ReadDecimal);  // the last added is tried first
  return parser;
}

mu::Parser& Parser() {
  static mu::Parser parser = MakeParser();
  return parser;
}

// Signs in a row before a value are arithmetic: "--5" is 5 and "3---5" is -2. muParser takes
// one sign before a value, so each run of them becomes blanks and the one sign they amount to,
// in place, so that every other character keeps its position.
void CombineSigns(std::string& text) {
  bool afterValue = false;  // the last character that is not blank ends a value
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c != '+' && c != '-') {
      if (c != ' ' && c != '\t') {
        afterValue = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                     c == '_' || c == '.' || c == ')';
      }
      ++i;
      continue;
    }
    // The run, blanks between its signs allowed; after a value, its first sign is an operator.
    bool operatorFirst = afterValue, negative = false;
    size_t end = i, first = i, last = i, unary = 0;
    for (; end < text.size() &&
           (text[end] == '+' || text[end] == '-' || text[end] == ' ' || text[end] == '\t');
         ++end) {
      if (text[end] == ' ' || text[end] == '\t') continue;
      if (operatorFirst) {
        operatorFirst = false;
        continue;
      }
      if (unary++ == 0) first = end;
      negative ^= text[end] == '-';
      last = end;
    }
    if (unary >= 2) {
      for (size_t k = first; k < last; ++k) {
        if (text[k] == '+' || text[k] == '-') text[k] = ' ';
      }
      text[last] = negative ? '-' : '+';
    }
    afterValue = false;
    i = end;
  }
}

// Whether two signs follow each other, blanks between them allowed: only then may a run of
// them need combining.
bool HasSignsInRow(const std::string& text) {
  char previous = 0;  // the last character that is not blank
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    if ((c == '+' || c == '-') && (previous == '+' || previous == '-')) return true;
    previous = c;
  }
  return false;
}

// A blank between a function's name and its parenthesis is fine ("sin (1)"), but muParser
// takes a name followed by a blank as a name alone: the parenthesis moves up to the name and
// the blanks go after it, so that every other character keeps its position.
void AttachParentheses(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsIdentifierStart(text[i]) || (i > 0 && IsIdentifierCharacter(text[i - 1]))) continue;
    size_t end = i;
    while (end < text.size() && IsIdentifierCharacter(text[end])) ++end;
    size_t open = text.find_first_not_of(" \t", end);
    if (open != std::string::npos && open > end && text[open] == '(' &&
        IsFunctionName(text.substr(i, end - i))) {
      std::rotate(text.begin() + static_cast<long>(end), text.begin() + static_cast<long>(open),
                  text.begin() + static_cast<long>(open) + 1);
    }
    i = end;
  }
}

// Evaluates, with the text rewritten in place only when it needs it.
double Calculate(mu::Parser& parser, const std::string& expression) {
  bool signs = HasSignsInRow(expression);
  bool spaced =
      expression.find(" (") != std::string::npos || expression.find("\t(") != std::string::npos;
  if (signs || spaced) {
    static std::string prepared;  // kept, so that its room is allocated once
    prepared = expression;
    if (signs) CombineSigns(prepared);
    if (spaced) AttachParentheses(prepared);
    parser.SetExpr(prepared);
  } else {
    parser.SetExpr(expression);  // most expressions: as they are
  }
  return parser.Eval();
}

// Formats a finite number into `out`; never "-0". A whole number below 2^53 is shown in full:
// no other whole number rounds to its double. Anything else takes the shorter of two texts:
// printf's "%.15g" (up to 15 significant digits, no trailing zeros), or the shortest text that
// reads back as the same double (1e-320, where 15 digits show 9.99988867182683e-321). A whole
// number from 2^53 on stays in scientific form, which shows that it is rounded. `out` keeps its
// room, so a caller's kept string allocates nothing.
void FormatNumber(double value, std::string& out) {
  char text[32], shortest[32];  // room for any of them, such as "-1.2345678901234567e-308"
  bool whole = value == trunc(value);
  if (whole && fabs(value) < 9007199254740992.0) {
    out.assign(text, std::to_chars(text, text + sizeof text, static_cast<int64_t>(value)).ptr);
    return;
  }
  char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
  char* shortestEnd =
      std::to_chars(shortest, shortest + sizeof shortest, value,
                    whole ? std::chars_format::scientific : std::chars_format::general)
          .ptr;
  // A fraction never shows as a whole number: 1e14+0.5 is 100000000000000.5, not 100000000000000.
  bool looksWhole = std::find_if(text, end, [](char c) { return c == '.' || c == 'e'; }) == end;
  if (shortestEnd - shortest < end - text || (!whole && looksWhole)) {
    out.assign(shortest, shortestEnd);
  } else {
    out.assign(text, end);
  }
}

}  // namespace

bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error,
                        size_t* position) {
  size_t at = 0;
  try {
    mu::Parser& parser = Parser();
    double value = Calculate(parser, expression);
    if (parser.GetNumResults() > 1) {
      error = StrayCommaMessage(expression, &at);  // muParser reads "1,2" as a list of results
    } else if (isinf(value)) {
      error = kTooLarge;  // a literal too large, alone
    } else if (isnan(value)) {
      error = "the result is not a number";
    } else {
      FormatNumber(value, result);
      return true;
    }
  } catch (const mu::Parser::exception_type& e) {
    // Errors of its own (ecGENERIC) are this file's, already in the user's words.
    error = e.GetCode() == mu::ecGENERIC ? e.GetMsg()
                                         : DescribeParserError(e, Parser(), expression, &at);
  } catch (...) {
    error = "the expression could not be evaluated";
  }
  if (position) *position = at;
  return false;
}

std::string NumberText(double x) {
  char text[32];
  if (x == 0) return "0";
  return std::string(text, std::to_chars(text, text + sizeof text, x).ptr);
}

bool ReadsAsArithmetic(const std::string& text) {
  try {
    mu::Parser& parser = Parser();
    Calculate(parser, text);
    return parser.GetNumResults() == 1;
  } catch (const mu::Parser::exception_type& e) {
    return e.GetCode() == mu::ecGENERIC;  // it parsed, and then divided by zero or the like
  } catch (...) {
    return false;
  }
}

}  // namespace orvane
