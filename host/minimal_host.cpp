// The smallest host there is: variables come straight from the process environment, every
// expression evaluates to "42", output goes nowhere, and nothing is allocated. It serves twice:
// - as libOrvane.so at link time, giving the plug-in its dependency on the host library by name
//   (the counterpart of the import library made from Orvane.def on Windows). The plug-in
//   carries no search path to it: at run time the host's own library answers;
// - as the host of the allocation-counting test and of the benchmarks, which measure the
//   plug-in alone.
#include "host/minimal_host.h"

#include <stdlib.h>

#include "host/orvane.h"
#include "host/variable_names.h"

namespace {

int printfCalls = 0;

}  // namespace

extern "C" {
// "%name" and "%[name]" become the environment variable's value (ASCII), nothing when it is not
// set; any other "%" stays. The result is cut to fit the smaller buffer the plug-in passes.
int ExpandVariables(WideChar* text, int) {
  WideChar out[kStartupCapacity];
  size_t n = 0;
  for (const WideChar* p = text; *p != 0 && n < kStartupCapacity - 1;) {
    bool bracketed = p[0] == '%' && p[1] == '[';
    const WideChar* name = p + (bracketed ? 2 : 1);
    const WideChar* end = name;
    if (IsNameStart(*end)) {
      while (IsNameCharacter(*end)) ++end;
    }
    if (p[0] != '%' || end == name || end - name > 255 || (bracketed && *end != ']')) {
      out[n++] = *p++;
      continue;
    }
    char ascii[256];
    for (const WideChar* c = name; c != end; ++c) ascii[c - name] = static_cast<char>(*c);
    ascii[end - name] = 0;
    const char* value = getenv(ascii);
    for (; value != nullptr && *value != 0 && n < kStartupCapacity - 1; ++value) out[n++] = *value;
    p = end + (bracketed ? 1 : 0);
  }
  for (size_t i = 0; i < n; ++i) text[i] = out[i];
  text[n] = 0;
  return 0;
}
int Evaluate(WideChar* expression) {
  expression[0] = '4';
  expression[1] = '2';
  expression[2] = 0;
  return 0;
}
int Printf(const WideChar*, ...) {
  ++printfCalls;
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
int MinimalHostPrintfCalls(void) {
  return printfCalls;
}
}
