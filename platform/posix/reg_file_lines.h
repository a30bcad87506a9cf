// Reading a settings file line by line: blanks, line ends, comments and the exact tags of the
// format, over the code units of a RegUnitReader.
#pragma once

#include "platform/posix/reg_file_units.h"

inline bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}
inline bool IsLineEnd(int c) {
  return c == '\n' || c == '\r' || c == kEndOfText;
}

// Consumes the next unit when it is `want`.
inline bool Accept(RegUnitReader* r, int want) {
  if (PeekUnit(r) != want) return false;
  NextUnit(r);
  return true;
}

// Consumes `word` as far as it matches (with case), and stops at the first unit that does not.
inline bool AcceptWord(RegUnitReader* r, const char* word) {
  for (; *word != 0; ++word)
    if (!Accept(r, *word)) return false;
  return true;
}

inline void SkipBlanks(RegUnitReader* r) {
  while (IsBlank(PeekUnit(r))) NextUnit(r);
}

inline void SkipLine(RegUnitReader* r) {
  while (!IsLineEnd(PeekUnit(r))) NextUnit(r);
}

// Takes the next unit of the current line into `*c`; false at the line's end.
inline bool TakeInLine(RegUnitReader* r, int* c) {
  *c = PeekUnit(r);
  if (IsLineEnd(*c)) return false;
  NextUnit(r);
  return true;
}

// A line break, "\r\n" counting as one.
inline void TakeLineBreak(RegUnitReader* r) {
  if (NextUnit(r) == '\r' && PeekUnit(r) == '\n') NextUnit(r);
}

// True when nothing but blanks and perhaps a ";" comment is left on the line.
inline bool OnlyCommentLeft(RegUnitReader* r) {
  SkipBlanks(r);
  return IsLineEnd(PeekUnit(r)) || PeekUnit(r) == ';';
}
