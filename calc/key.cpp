#include "calc/calculator.h"
#include "calc/highlight.h"
#include "calc/trim.h"
#include "host/orvane.h"
#include "platform/system.h"

int hostReportsKeyNames = 0;

namespace {

// The command line and the expression, in characters, terminator included.
const size_t kLineCapacity = 16384;
const int kEnterCode = 13;

bool IsEnter(const KeyInfo* info) {
  if (info->keyCode != 0) return info->keyCode == kEnterCode;
  return hostReportsKeyNames != 0 && info->keyName != nullptr &&
         AsciiEqualNoCase(info->keyName, W("Enter"));
}

bool ContainsPercent(const WideChar* text) {
  return WideTraits::find(text, WideTraits::length(text), '%') != nullptr;
}

// Evaluates `expression` and shows "expression = result" with the result highlighted; stores
// the result in "Ans". On any failure the host has said what went wrong, and nothing is shown.
void Calculate(const WideChar* expression) {
  WideChar result[kLineCapacity] = {};
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

}  // namespace

int key(KeyInfo* info) {
  if (info == nullptr || !IsEnter(info)) return 0;
  WideChar* line = info->line;
  if (line == nullptr) return 0;
  if (line[0] == '=') line[0] = ':';  // stays, even when the line is then ignored
  if (line[0] != ':') return 0;
  size_t length = WideLengthUpTo(line, kLineCapacity);
  if (length >= kLineCapacity) return 0;

  WideChar expression[kLineCapacity] = {};
  WideTraits::copy(expression, line + 1, length);  // the rest of the line and its terminator
  TrimWhitespace(expression);
  if (expression[0] == 0) return 0;

  CrLf();
  Calculate(expression);

  int row = 0, column = 0;
  GetAbsCursorPosition(&row, &column);
  info->homeRow = row;
  info->row = row;
  info->homeColumn = 0;
  info->column = 0;
  return 0;
}
