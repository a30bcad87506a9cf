// The smallest host there is: every service succeeds at once, every expression evaluates to
// "42", output goes nowhere, and nothing is allocated. It serves twice:
// - as libOrvane.so at link time, giving the plug-in its dependency on the host library by name
//   (the counterpart of the import library made from Orvane.def on Windows). The plug-in
//   carries no search path to it: at run time the host's own library answers;
// - as the host of the allocation-counting test and of the benchmarks, which measure the
//   plug-in alone.
#include "host/orvane.h"

extern "C" {
int ExpandVariables(WideChar*, int) {
  return 0;
}
int Evaluate(WideChar* expression) {
  expression[0] = '4';
  expression[1] = '2';
  expression[2] = 0;
  return 0;
}
int Printf(const WideChar*, ...) {
  return 0;
}
int QPuts(const WideChar*) {
  return 0;
}
int CrLf(void) {
  return 0;
}
int GetAttribute(int* attribute, int*) {
  *attribute = 0x07;
  return 0;
}
int SetColors(int) {
  return 0;
}
int ParseColors(const WideChar*, int*, int*) {
  return 0;
}
int GetAbsCursorPosition(int* row, int* column) {
  *row = 1;
  *column = 0;
  return 0;
}
}
