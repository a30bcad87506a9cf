#include "orvane/lib/calculator_functions.h"

#include <math.h>

#include <algorithm>
#include <vector>

#include "orvane/lib/evaluator_values.h"
#include "orvane/lib/exact_sum.h"

namespace orvane {

namespace {

// What a result of 0 or an infinite one says, beyond what the arguments say.
enum class Edge : unsigned char {
  kNone,       // 0 is an answer (rint(0.3), acos(1)); infinity is a number too large
  kUnderflow,  // 0 only from a first argument of 0: from any other, a number too close to 0
  kPole,       // infinity at a pole (ln(0), atanh(1)): the call is undefined
};

struct Function {
  const char* name;
  int arity;                                      // 1 or 2; 0 for any number (at least one)
  double (*compute)(const double* x, int count);  // -0 only for a result too close to 0
  Edge edge = Edge::kNone;
};

double Sign(const double* x, int) {
  return x[0] > 0 ? 1 : x[0] < 0 ? -1 : 0;
}
ExactSum SumOf(const double* x, int count) {
  ExactSum sum;
  for (int i = 0; i < count; ++i) sum.Add(x[i]);
  return sum;
}
// The exact sum divided by `divisor` and rounded once; -0 when it is not 0 but rounds to 0.
double RoundedSum(const double* x, int count, uint64_t divisor) {
  ExactSum sum = SumOf(x, count);
  double rounded = sum.Rounded(divisor);
  return rounded == 0 ? ZeroResult(sum.IsZero()) : rounded;
}
double Sum(const double* x, int count) {
  return RoundedSum(x, count, 1);
}
double Average(const double* x, int count) {
  return RoundedSum(x, count, static_cast<uint64_t>(count));
}
double Min(const double* x, int count) {
  return *std::min_element(x, x + count);
}
double Max(const double* x, int count) {
  return *std::max_element(x, x + count);
}

// The C library's own functions, which are accurate over their whole domains (asinh(1e-20) is
// 1e-20, acosh(1e200) is 461.21...), and rint rounds halves to even; sum and avg are exact
// before their one rounding. What a result of 0 or infinity means is each row's own, not the
// floating-point flags', which not every machine (nor Valgrind) keeps.
const Function kFunctions[] = {
    {"sin", 1, [](const double* x, int) { return sin(x[0]); }},
    {"cos", 1, [](const double* x, int) { return cos(x[0]); }},
    {"tan", 1, [](const double* x, int) { return tan(x[0]); }},
    {"asin", 1, [](const double* x, int) { return asin(x[0]); }},
    {"acos", 1, [](const double* x, int) { return acos(x[0]); }},
    {"atan", 1, [](const double* x, int) { return atan(x[0]); }},
    {"atan2", 2, [](const double* x, int) { return atan2(x[0], x[1]); }, Edge::kUnderflow},
    {"sinh", 1, [](const double* x, int) { return sinh(x[0]); }},
    {"cosh", 1, [](const double* x, int) { return cosh(x[0]); }},
    {"tanh", 1, [](const double* x, int) { return tanh(x[0]); }},
    {"asinh", 1, [](const double* x, int) { return asinh(x[0]); }},
    {"acosh", 1, [](const double* x, int) { return acosh(x[0]); }},
    {"atanh", 1, [](const double* x, int) { return atanh(x[0]); }, Edge::kPole},
    {"exp", 1, [](const double* x, int) { return exp(x[0]); }, Edge::kUnderflow},
    {"ln", 1, [](const double* x, int) { return log(x[0]); }, Edge::kPole},
    {"log", 1, [](const double* x, int) { return log(x[0]); }, Edge::kPole},  // natural, as ln
    {"log2", 1, [](const double* x, int) { return log2(x[0]); }, Edge::kPole},
    {"log10", 1, [](const double* x, int) { return log10(x[0]); }, Edge::kPole},
    {"sqrt", 1, [](const double* x, int) { return sqrt(x[0]); }},
    {"abs", 1, [](const double* x, int) { return fabs(x[0]); }},
    {"sign", 1, Sign},
    {"rint", 1, [](const double* x, int) { return rint(x[0]) + 0.0; }},  // rint(-0.3) is +0
    {"sum", 0, Sum},
    {"avg", 0, Average},
    {"min", 0, Min},
    {"max", 0, Max},
};

struct Constant {
  const char* name;
  double value;
};
const Constant kConstants[] = {
    {"_pi", M_PI},
    {"pi", M_PI},
    {"_e", M_E},
    {"e", M_E},
};

// "name(arguments)", as a message quotes a call.
std::string CallText(const Function& f, const double* x, int count) {
  std::string text = std::string(f.name) + "(";
  for (int i = 0; i < count; ++i) text += (i > 0 ? "," : "") + NumberText(x[i]);
  return text + ")";
}

// The call with a number too close to 0 among its arguments: made with 0 in its place, since
// -0 only marks it. Its sign was not kept, so an answer that turns on it (atan2 of one and a
// negative number) cannot be given.
double ComputeNearZero(const Function& f, const double* given, int count) {
  std::vector<double> x(given, given + count);
  for (double& value : x) value = IsTooClose(value) ? 0 : value;
  double result = f.compute(x.data(), count);
  for (int i = 0; i < count; ++i) {
    if (!IsTooClose(given[i])) continue;
    x[i] = -0.0;
    double other = f.compute(x.data(), count);
    x[i] = 0;
    if (other != result && !(isnan(other) && isnan(result))) Fail(kTooClose);
  }
  return result;
}

// Every exact zero is +0, so the arguments go as they are unless one is too close to 0.
double Call(const Function& f, const double* x, int count) {
  bool tooClose = false;
  for (int i = 0; i < count; ++i) {
    if (isinf(x[i])) TooLarge();
    tooClose = tooClose || IsTooClose(x[i]);
  }
  double result = tooClose ? ComputeNearZero(f, x, count) : f.compute(x, count);
  if (isnan(result)) Fail(CallText(f, x, count) + " is not a number");
  if (isinf(result)) {
    if (tooClose) Fail(kTooClose);  // ln(1e-400): finite, but not from 0
    if (f.edge == Edge::kPole) Fail(CallText(f, x, count) + " is undefined");
    TooLarge();
  }
  if (result == 0) {
    bool underflow = IsTooClose(result) || (f.edge == Edge::kUnderflow && x[0] != 0);
    return ZeroResult(!tooClose && !underflow);
  }
  return result;
}

double CallOne(void* row, double x) {
  return Call(*static_cast<const Function*>(row), &x, 1);
}
double CallTwo(void* row, double x, double y) {
  const double both[2] = {x, y};
  return Call(*static_cast<const Function*>(row), both, 2);
}
double CallList(void* row, const double* x, int count) {
  return Call(*static_cast<const Function*>(row), x, count);
}

}  // namespace

void DefineFunctionsAndConstants(mu::Parser& parser) {
  parser.ClearFun();
  parser.ClearConst();
  // No call is made while the expression is read (muParser would fold calls of constants): a
  // call runs when the calculation reaches it, so that the branch of "?:" not taken raises no
  // error, and the first error met is the one reported.
  const bool kFold = false;
  for (const Function& f : kFunctions) {
    void* row = const_cast<Function*>(&f);
    if (f.arity == 1) {
      parser.DefineFunUserData(f.name, CallOne, row, kFold);
    } else if (f.arity == 2) {
      parser.DefineFunUserData(f.name, CallTwo, row, kFold);
    } else {
      parser.DefineFunUserData(f.name, CallList, row, kFold);
    }
  }
  for (const Constant& c : kConstants) parser.DefineConst(c.name, c.value);
}

std::vector<std::string> FunctionAndConstantNames() {
  std::vector<std::string> names;
  for (const Function& f : kFunctions) names.push_back(std::string(f.name) + "(");
  for (const Constant& c : kConstants) names.push_back(c.name);
  return names;
}

bool IsFunctionName(const std::string& name) {
  return std::any_of(std::begin(kFunctions), std::end(kFunctions),
                     [&name](const Function& f) { return name == f.name; });
}

bool IsCalculatorName(const std::string& name) {
  return IsFunctionName(name) || std::any_of(std::begin(kConstants), std::end(kConstants),
                                             [&name](const Constant& c) { return name == c.name; });
}

}  // namespace orvane
