// How the evaluator's values stand for numbers a double cannot hold, shared by its operators
// and its functions:
// - a literal too large for a double is an infinity; every step that would make one of its own
//   is an error at once, so no other infinity exists;
// - a number too close to 0 for a double (a literal such as 1e-400, or a result that
//   underflows) is -0, and every exact zero is +0. The sign of a zero never shows otherwise: no
//   result prints as "-0".
// Zero times a literal too large is 0 only for an exact zero.
#pragma once

#include <math.h>
#include <muParser.h>

#include <string>

namespace orvane {

inline bool IsTooClose(double x) {
  return x == 0 && signbit(x);
}
inline bool IsExactZero(double x) {
  return x == 0 && !signbit(x);
}
// A result of 0: +0 when it is exactly 0, else -0.
inline double ZeroResult(bool exact) {
  return exact ? 0.0 : -0.0;
}

inline const char* const kTooLarge = "a number is too large (above about 1.8e308)";
inline const char* const kTooClose = "a number is too close to 0 (below about 4.9e-324)";

[[noreturn]] inline void Fail(const std::string& message) {
  throw mu::ParserError(message.c_str());  // this form says the error is ours (ecGENERIC)
}
[[noreturn]] inline void TooLarge() {
  Fail(kTooLarge);
}

// A number as a message quotes it: the shortest text that reads back as it ("0" for a zero).
std::string NumberText(double x);

}  // namespace orvane
