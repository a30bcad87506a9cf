// Turns the bytes of a settings file into UTF-16 code units: UTF-16LE after its byte-order
// mark, UTF-8 with or without one, or Windows-1252 for the older 8-bit export format.
#pragma once

#include <stddef.h>

#include "platform/wide_char.h"

const int kEndOfText = -1;

enum RegFileEncoding { kRegUtf16Le, kRegUtf8Marked, kRegUtf8, kRegWindows1252 };

// A cursor over bytes held in memory. A plain record: copying it saves the position.
struct RegUnitReader {
  const unsigned char* next;
  const unsigned char* end;
  RegFileEncoding encoding;
  WideChar pending;  // the second half of a surrogate pair
  int peeked;        // a unit looked at but not yet taken
};

// Starts at the first byte after a byte-order mark. Without a mark the bytes are read as UTF-8
// until SwitchToEightBit says otherwise.
RegUnitReader StartUnits(const unsigned char* bytes, size_t size);

// From the next unit on, reads the bytes as Windows-1252, unless the file began with a mark.
void SwitchToEightBit(RegUnitReader* r);

// The UTF-16 unit for a byte of Windows-1252 text.
WideChar FromWindows1252(unsigned char byte);

// The next unit, or kEndOfText. A byte that starts no valid UTF-8 sequence is U+FFFD; an odd
// last byte of UTF-16 is not read.
int NextUnit(RegUnitReader* r);
int PeekUnit(RegUnitReader* r);
