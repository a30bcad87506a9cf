// The data of a value line in a settings file, after its "=": a quoted string, dword:, hex: or
// hex(N): with its continuation lines, or "-" for a deleted value.
#pragma once

#include "platform/posix/reg_file_units.h"
#include "platform/posix/system.h"

// Where the data go: bytes up to the capacity, and the count of all of them.
struct RegDataSink {
  BYTE* data;  // null: only count
  DWORD capacity;
  DWORD size;
};

struct RegValueData {
  bool valid;    // the line sets or deletes the value; otherwise it changes nothing
  bool deleted;  // "-"
  DWORD type;
};

const int kClosingQuote = -2;
const int kBrokenText = -3;

// The next character of a quoted text after its opening quote, with \\ \" \n \r undone and any
// other escaped character kept without its backslash: kClosingQuote at the end, kBrokenText when
// the line ends first or the text holds a NUL or a \0.
int TakeQuotedUnit(RegUnitReader* r);

// Reads the data and the rest of its line, and every line a hex list continues on (a blank or
// comment line among them too); a broken list ends with the line on which it broke. Text in the
// older 8-bit format (`eightBit`) given as hex(1), hex(2) or hex(7) is Windows-1252, widened.
RegValueData ReadValueData(RegUnitReader* r, bool eightBit, RegDataSink* s);
