// Arithmetic through muParser: + - * / % ^ (and ** for power), parentheses, unary minus,
// 0x hexadecimal literals, and muParser's functions (sin, sqrt, min, ...) and constants
// (_pi, _e).
#include <math.h>
#include <muParser.h>
#include <stdio.h>

#include "orvane/lib/host.h"

namespace orvane {

namespace {

double Add(double a, double b) {
  return a + b;
}
double Subtract(double a, double b) {
  return a - b;
}
double Multiply(double a, double b) {
  return a * b;
}
double Power(double a, double b) {
  return pow(a, b);
}
double Divide(double a, double b) {
  if (b == 0) throw mu::ParserError("division by zero");
  return a / b;
}
double Remainder(double a, double b) {
  if (b == 0) throw mu::ParserError("division by zero");
  return fmod(a, b);
}

// Reads "0x" followed by hexadecimal digits as a value.
int ReadHexLiteral(const char* text, int* position, double* value) {
  if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  double v = 0;
  int i = 2;
  for (;; ++i) {
    char c = text[i];
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0) break;
    v = v * 16 + digit;
  }
  if (i == 2) return 0;
  *position += i;
  *value = v;
  return 1;
}

// Reads a decimal number (digits, a point, an exponent) with strtod. muParser's own reader
// builds a stringstream for every number; this one is tried first and is many times faster.
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
  char number[400];
  size_t length = static_cast<size_t>(p - text);
  if (length >= sizeof number) return 0;
  memcpy(number, text, length);
  number[length] = 0;
  *value = strtod(number, nullptr);
  *position += static_cast<int>(length);
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
  parser.AddValIdent(ReadHexLiteral);
  parser.AddValIdent(ReadDecimal);  // the last added is tried first
  // This muParser's own constants stop at 12 decimals.
  parser.DefineConst("_pi", 3.14159265358979323846);
  parser.DefineConst("_e", 2.71828182845904523536);
  return parser;
}

}  // namespace

std::string FormatNumber(double value) {
  char text[64];
  if (value == 0) return "0";                                        // no "-0"
  if (value == trunc(value) && fabs(value) <= 9007199254740992.0) {  // 2^53
    snprintf(text, sizeof text, "%.0f", value);
  } else {
    snprintf(text, sizeof text, "%.15g", value);
  }
  return text;
}

bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error) {
  try {
    static mu::Parser parser = MakeParser();
    parser.SetExpr(expression);
    double value = parser.Eval();
    if (isnan(value)) {
      error = "the result is not a number";
    } else if (isinf(value)) {
      error = "the result is too large";
    } else {
      result = FormatNumber(value);
      return true;
    }
  } catch (const mu::Parser::exception_type& e) {
    error = e.GetMsg();
  } catch (...) {
    error = "the expression could not be evaluated";
  }
  return false;
}

}  // namespace orvane
