#include "fuzz/fuzz_host.h"

#include <stdarg.h>

#include "host/orvane.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void Store(WideChar* buffer, const std::basic_string<WideChar>& text, size_t capacity) {
  size_t n = text.size() < capacity ? text.size() : capacity - 1;
  WideTraits::copy(buffer, text.data(), n);
  buffer[n] = 0;
}

}  // namespace

FuzzScript& Script() {
  static FuzzScript script;
  return script;
}

extern "C" {

int ExpandVariables(WideChar* text, int flags) {
  Check(text != nullptr && flags == 1);
  Check(WideLengthUpTo(text, Script().expansionCapacity) < Script().expansionCapacity);
  if (!Script().expansionKeepsText) Store(text, Script().expansion, Script().expansionCapacity);
  return Script().expansionStatus;
}

int Evaluate(WideChar* expression) {
  Check(expression != nullptr && WideLengthUpTo(expression, kLineCapacity) < kLineCapacity);
  // It may be empty: "%x" with x undefined expands to nothing, and the host says so.
  if (Script().evaluationStatus == 0) Store(expression, Script().evaluation, kLineCapacity);
  return Script().evaluationStatus;
}

int Printf(const WideChar* format, ...) {
  va_list args;
  va_start(args, format);
  const WideChar* first = va_arg(args, const WideChar*);
  Check(first != nullptr && WideLengthUpTo(first, kLineCapacity) < kLineCapacity);
  va_end(args);
  return 0;
}

int QPuts(const WideChar* text) {
  Check(text != nullptr && WideLengthUpTo(text, kLineCapacity) < kLineCapacity);
  return 0;
}

int CrLf(void) {
  return 0;
}

int GetAttribute(int* attribute, int*) {
  *attribute = Script().attribute;
  return 0;
}

int SetColors(int attribute) {
  Check(attribute >= 0 && attribute <= 255);
  return 0;
}

int ParseColors(const WideChar* description, int* foreground, int* background) {
  Check(description != nullptr && description[0] != 0);
  Check(*foreground == -1 && *background == -1);
  if (Script().parseColorsAnswers) {
    *foreground = Script().foreground;
    *background = Script().background;
  }
  return 0;
}

int GetAbsCursorPosition(int* row, int* column) {
  *row = Script().row;
  *column = 12345;
  return 0;
}

}  // extern "C"
