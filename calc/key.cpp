#include "calc/calculator.h"
#include "calc/highlight.h"
#include "calc/trim.h"
#include "host/orvane.h"
#include "platform/system.h"
#include "platform/text.h"

int hostReportsKeyNames = 0;

namespace {

const int kEnterCode = 13;

// "Ans" takes any result the buffer holds.
static_assert(kLongestEnvironmentValue >= kLineCapacity - 1, "the environment holds a result");

bool IsEnter(const KeyInfo* info) {
  int code = info->keyCode;
  // Every printable character's code is above Enter's: one comparison sends them all back.
  if (code < 0 || code > kEnterCode) return false;
  if (code != 0) return code == kEnterCode;
  return hostReportsKeyNames != 0 && info->keyName != nullptr &&
         AsciiEqualNoCase(info->keyName, W("Enter"));
}

// True when the line after its first character holds something other than white space: the
// same question as "is the trimmed expression empty?", asked without copying the line.
bool HasExpression(const WideChar* line) {
  for (const WideChar* c = line + 1; *c != 0; ++c) {
    if (!IsWideSpace(*c)) return true;
  }
  return false;
}

bool ContainsPercent(const WideChar* text) {
  return WideTraits::find(text, WideTraits::length(text), '%') != nullptr;
}

// Evaluates `expression` in `result` and shows "expression = result" with the result
// highlighted; stores the result in "Ans". On any failure the host has said what went wrong,
// and nothing is shown.
void EvaluateAndShow(const WideChar* expression, WideChar* result) {
  WideTraits::copy(result, expression, WideTraits::length(expression) + 1);
  if (ContainsPercent(result)) {
    if (ExpandVariables(result, 1) != 0) return;
    result[kLineCapacity - 1] = 0;  // a host that overran its capacity must not take us with it
  }
  unsigned char savedAttribute = 0;
  int highlight = SelectHighlight(&savedAttribute);
  if (Evaluate(result) != 0) return;
  result[kLineCapacity - 1] = 0;

  Printf(W("%s = "), expression);
  SetColors(highlight & 0xFF);
  QPuts(result);
  SetColors(savedAttribute);
  CrLf();
  SetEnvironmentVariableW(W("Ans"), result);
}

// A calculator line of `length` characters with something to calculate. Only this frame holds
// the two working arrays (64 KiB, probed page by page on Windows), so it is never inlined into
// its caller: a keystroke that calculates nothing must not need that much of the host's stack.
__attribute__((noinline)) void Calculate(KeyInfo* info, const WideChar* line, size_t length) {
  WideChar expression[kLineCapacity] = {};
  WideChar result[kLineCapacity] = {};
  WideTraits::copy(expression, line + 1, length);  // the rest of the line and its terminator
  TrimWhitespace(expression);

  CrLf();
  EvaluateAndShow(expression, result);

  int row = 0, column = 0;
  GetAbsCursorPosition(&row, &column);
  info->homeRow = row;
  info->row = row;
  info->homeColumn = 0;
  info->column = 0;
}

// Enter was pressed: steps in only for a calculator line with an expression, deciding that in
// place on the host's buffer. Returns what `key` returns, 0, so that `key` can jump here instead
// of calling: `key` then needs no frame, and saves no registers before it looks at the key.
__attribute__((noinline)) int OnEnter(KeyInfo* info) {
  WideChar* line = info->line;
  if (line == nullptr) return 0;
  if (line[0] == '=') line[0] = ':';  // stays, even when the line is then ignored
  if (line[0] != ':') return 0;
  size_t length = WideLengthUpTo(line, kLineCapacity);
  if (length >= kLineCapacity || !HasExpression(line)) return 0;
  Calculate(info, line, length);
  return 0;
}

}  // namespace

int key(KeyInfo* info) {
  if (info == nullptr || !IsEnter(info)) return 0;
  return OnEnter(info);
}
