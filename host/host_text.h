// Text work that every stand-in for the host does alike: the stand-in host (orvane/lib) and the
// recording host of the tests share these.
#pragma once

#include <stdarg.h>
#include <stddef.h>

#include <functional>

#include "platform/utf8_string.h"

// Looks a variable up: true, with its value, when it is defined.
using VariableLookup = std::function<bool(const WideString& name, WideString& value)>;

// Replaces "%name" and "%[name]" in `text` with what `lookup` gives, or with nothing for a
// variable it does not know. A name follows the rule of variable_names.h; "%[name]" takes any text
// up to "]". A "%" that starts no reference stays as it is ("10%3", "100%"). Returns false, and
// leaves `text` alone, when the result would reach `limit` characters.
//
// A calculation reads three more rules, when `calculation` is given: a "%" right after a name
// also ends the reference, as on Windows ("%x%+1"), unless an operand of a remainder follows it
// ("%x%3", "%x%%y"); a "%" right after an operand is a remainder as well as the start of a
// reference ("10%x" is 10 mod x, not 10 followed by x's digits); and a name for which
// `keepsText` says so is no reference at all ("10%pi" stays, the remainder by the calculator's
// pi, while no variable pi is defined).
struct CalculationReferences {
  std::function<bool(const WideString& name)> keepsText;
};
bool ExpandReferences(WideString& text, size_t limit, const VariableLookup& lookup,
                      const CalculationReferences* calculation = nullptr);

// printf-style formatting into `out`, whose room a caller can keep from call to call: %s a wide
// string (null: nothing), %u an unsigned 32-bit int, %d an int, %x, %c, %%; any other conversion
// stays as it stands.
void FormatWideInto(const WideChar* format, va_list args, WideString& out);
