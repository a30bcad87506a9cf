// Arithmetic through muParser: + - * / % ^ (and ** for power), parentheses, unary minus,
// 0x hexadecimal literals, and muParser's functions (sin, sqrt, min, ...) and constants
// (_pi, _e).
#include "orvane/lib/evaluator.h"

#include <fenv.h>
#include <math.h>
#include <muParser.h>
#include <stdint.h>

#include <charconv>
#include <vector>

#include "orvane/lib/evaluator_errors.h"
#include "platform/wide_char.h"

namespace orvane {

namespace {

[[noreturn]] void DivisionByZero() {
  throw mu::ParserError("division by zero");
}

const char* const kTooLarge = "a number is too large (above about 1.8e308)";

[[noreturn]] void TooLarge() {
  throw mu::ParserError(kTooLarge);
}

// What the expression being evaluated met beyond the range of a double: a literal too large
// reads as an infinity; a literal too close to 0, and a product, quotient or power too close
// to 0, as 0. (The floating-point flags tell the same of functions such as exp, where the
// machine keeps them.)
bool literalTooLarge = false;
bool tooSmall = false;

// A product, quotient or power that came out as 0 though nothing in it was 0 is too close to 0.
double NotingUnderflow(bool nothingZero, double result) {
  if (result == 0 && nothingZero) tooSmall = true;
  return result;
}

// An infinity stands only for a literal too large for a double: any operation on one is an
// error, and so is an operation on finite numbers whose result overflows. The one exception is
// an exact zero times such a literal, which is zero.
double Checked(double a, double b, double result) {
  if (isinf(a) || isinf(b) || isinf(result)) TooLarge();
  return result;
}

double Add(double a, double b) {
  return Checked(a, b, a + b);
}
double Subtract(double a, double b) {
  return Checked(a, b, a - b);
}
double Multiply(double a, double b) {
  if ((a == 0 && isinf(b)) || (b == 0 && isinf(a))) {
    // Without a literal too large, the infinity came from a function.
    if (!literalTooLarge || fetestexcept(FE_OVERFLOW)) TooLarge();
    // A zero that stands for a number too close to 0 for a double is not an exact zero.
    if (tooSmall || fetestexcept(FE_UNDERFLOW)) {
      throw mu::ParserError("a number too large times one too close to 0 cannot be calculated");
    }
    return 0;
  }
  return NotingUnderflow(a != 0 && b != 0, Checked(a, b, a * b));
}
double Power(double a, double b) {
  if (a == 0 && b < 0) DivisionByZero();
  return NotingUnderflow(a != 0, Checked(a, b, pow(a, b)));
}
double Divide(double a, double b) {
  if (b == 0) DivisionByZero();
  return NotingUnderflow(a != 0, Checked(a, b, a / b));
}
double Remainder(double a, double b) {
  if (b == 0) DivisionByZero();
  return Checked(a, b, fmod(a, b));
}

// The logarithms of 0 would be infinite: an error, not a number too large.
double CheckedLogArgument(double x) {
  if (x == 0) throw mu::ParserError("the logarithm of 0 is undefined");
  return x;
}
double Ln(double x) {
  return log(CheckedLogArgument(x));
}
double Log2(double x) {
  return log2(CheckedLogArgument(x));
}
double Log10(double x) {
  return log10(CheckedLogArgument(x));
}

// Reads "0x" followed by hexadecimal digits as a value.
int ReadHexLiteral(const char* text, int* position, double* value) {
  if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  double v = 0;
  int i = 2;
  for (;; ++i) {
    int digit = HexDigitValue(static_cast<unsigned char>(text[i]));
    if (digit < 0) break;
    v = v * 16 + digit;
  }
  if (i == 2) return 0;
  *position += i;
  *value = v;
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
  // What the literal does to the range is noted here, not in the range flags, which then tell
  // of the calculation alone. (Testing and clearing them costs less than saving and restoring.)
  const int kRange = FE_OVERFLOW | FE_UNDERFLOW;
  int raisedBefore = fetestexcept(kRange);
  *value = strtod(number.c_str(), nullptr);
  if (int raisedHere = fetestexcept(kRange) & ~raisedBefore) feclearexcept(raisedHere);
  if (isinf(*value)) literalTooLarge = true;
  if (*value == 0 && number.find_first_of("123456789") < number.find_first_of("eE")) {
    tooSmall = true;
  }
  *position += static_cast<int>(number.size());
  return 1;
}

mu::Parser MakeParser() {
  mu::Parser parser;
  // The built-in binary operators are replaced, so that division by zero is an error of its own
  // and not an infinity.
  parser.EnableBuiltInOprt(false);
  parser.DefineOprt("+", Add, mu::prADD_SUB);
  parser.DefineOprt("-", Subtract, mu::prADD_SUB);
  parser.DefineOprt("*", Multiply, mu::prMUL_DIV);
  parser.DefineOprt("/", Divide, mu::prMUL_DIV);
  parser.DefineOprt("%", Remainder, mu::prMUL_DIV);
  parser.DefineOprt("^", Power, mu::prPOW, mu::oaRIGHT);
  parser.DefineOprt("**", Power, mu::prPOW, mu::oaRIGHT);
  parser.DefineFun("ln", Ln);
  parser.DefineFun("log", Ln);
  parser.DefineFun("log2", Log2);
  parser.DefineFun("log10", Log10);
  parser.AddValIdent(ReadHexLiteral);
  parser.AddValIdent(ReadDecimal);  // the last added is tried first
  // This muParser's own constants stop at 12 decimals.
  parser.DefineConst("_pi", 3.14159265358979323846);
  parser.DefineConst("_e", 2.71828182845904523536);
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

// Evaluates with the floating-point flags and the literals' notes cleared first, so that both
// tell of this expression alone.
double Calculate(mu::Parser& parser, const std::string& expression) {
  literalTooLarge = false;
  tooSmall = false;
  feclearexcept(FE_ALL_EXCEPT);
  if (HasSignsInRow(expression)) {
    static std::string combined;  // kept, so that its room is allocated once
    combined = expression;
    CombineSigns(combined);
    parser.SetExpr(combined);
  } else {
    parser.SetExpr(expression);  // most expressions: as they are
  }
  return parser.Eval();
}

// Formats a finite number into `out`: integers exactly while a double holds them exactly,
// anything else with up to 15 significant digits and no trailing zeros; never "-0". `out` keeps
// its room, so a caller's kept string allocates nothing.
void FormatNumber(double value, std::string& out) {
  char text[32];  // room for any of them, such as "-1.23456789012345e-308"
  char* last = text + sizeof text;
  // Integers to 2^53 as integers, a negative zero among them: never "-0".
  bool exactInteger = value == trunc(value) && fabs(value) <= 9007199254740992.0;
  // Anything else as printf's "%.15g": up to 15 significant digits, no trailing zeros.
  std::to_chars_result written =
      exactInteger ? std::to_chars(text, last, static_cast<int64_t>(value))
                   : std::to_chars(text, last, value, std::chars_format::general, 15);
  out.assign(text, written.ptr);
}

}  // namespace

bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error,
                        size_t* position) {
  size_t at = 0;
  try {
    mu::Parser& parser = Parser();
    double value = Calculate(parser, expression);
    bool overflowed = literalTooLarge || fetestexcept(FE_OVERFLOW);
    if (parser.GetNumResults() > 1) {
      error = StrayCommaMessage(expression, &at);  // muParser reads "1,2" as a list of results
    } else if (isinf(value) || (isnan(value) && overflowed)) {
      error = kTooLarge;
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

std::vector<std::string> CalculatorNames() {
  std::vector<std::string> names;
  for (const auto& function : Parser().GetFunDef()) names.push_back(function.first + "(");
  for (const auto& constant : Parser().GetConst()) names.push_back(constant.first);
  return names;
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
