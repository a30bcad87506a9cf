#include "platform/posix/reg_file_data.h"

#include "platform/posix/reg_file_lines.h"

namespace {

typedef RegUnitReader Reader;

void Put(RegDataSink* s, unsigned byte) {
  if (s->data != nullptr && s->size < s->capacity) s->data[s->size] = static_cast<BYTE>(byte);
  if (s->size < UINT32_MAX) ++s->size;
}

void PutUnit(RegDataSink* s, unsigned unit) {
  Put(s, unit & 0xFF);
  Put(s, (unit >> 8) & 0xFF);
}

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// "text", after the opening quote: UTF-16LE with a terminator.
bool ReadStringData(Reader* r, RegDataSink* s) {
  for (;;) {
    int c = TakeQuotedUnit(r);
    if (c == kBrokenText) return false;
    if (c == kClosingQuote) break;
    PutUnit(s, static_cast<unsigned>(c));
  }
  PutUnit(s, 0);
  return OnlyCommentLeft(r);
}

// dword:0000002a, up to eight hex digits after any blanks, stored little-endian.
bool ReadDwordData(Reader* r, RegDataSink* s) {
  SkipBlanks(r);
  uint32_t value = 0;
  int digits = 0;
  for (int d; (d = HexDigitValue(PeekUnit(r))) >= 0; NextUnit(r), ++digits) {
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  if (digits == 0 || digits > 8 || !OnlyCommentLeft(r)) return false;
  for (int i = 0; i < 4; ++i) Put(s, (value >> (8 * i)) & 0xFF);
  return true;
}

// The N of hex(N): hex digits, as many as there are, closed by ")".
bool ReadHexType(Reader* r, DWORD* type) {
  uint32_t n = 0;
  int digits = 0;
  for (int d; (d = HexDigitValue(PeekUnit(r))) >= 0; NextUnit(r), ++digits) {
    if (n > 0x0FFFFFFF) return false;
    n = (n << 4) | static_cast<uint32_t>(d);
  }
  *type = n;
  return digits > 0 && Accept(r, ')');
}

// The next line of a continued list that holds anything: blank and comment lines are passed
// over. False at the end of the file.
bool NextListLine(Reader* r) {
  for (;;) {
    if (PeekUnit(r) == kEndOfText) return false;
    TakeLineBreak(r);
    SkipBlanks(r);
    if (PeekUnit(r) == ';') SkipLine(r);
    if (!IsLineEnd(PeekUnit(r))) return true;
  }
}

// 41,00,42,00: bytes of one or more hex digits (up to ff) with a comma after each but the last,
// blanks before each; a backslash after a comma continues the list on the next line.
bool ReadHexList(Reader* r, RegDataSink* s, bool widen) {
  BYTE last = 0;
  DWORD count = 0;
  for (;;) {
    SkipBlanks(r);
    if (HexDigitValue(PeekUnit(r)) < 0) {
      if (!Accept(r, '\\')) break;  // the list ends, after its last comma
      if (!OnlyCommentLeft(r)) return false;
      SkipLine(r);
      if (!NextListLine(r)) break;
      if (HexDigitValue(PeekUnit(r)) < 0) return false;
      continue;
    }
    unsigned byte = 0;
    for (int d; (d = HexDigitValue(PeekUnit(r))) >= 0; NextUnit(r)) {
      byte = byte * 16 + static_cast<unsigned>(d);
      if (byte > 0xFF) return false;
    }
    if (widen) {
      PutUnit(s, FromWindows1252(static_cast<unsigned char>(byte)));
    } else {
      Put(s, byte);
    }
    last = static_cast<BYTE>(byte);
    ++count;
    if (!Accept(r, ',')) break;  // a byte without a comma ends the list
  }
  if (!OnlyCommentLeft(r)) return false;
  // Text widened from 8 bits always ends with a terminator.
  if (widen && (count == 0 || last != 0)) PutUnit(s, 0);
  return true;
}

}  // namespace

int TakeQuotedUnit(Reader* r) {
  int c;
  if (!TakeInLine(r, &c) || c == 0) return kBrokenText;
  if (c == '"') return kClosingQuote;
  if (c != '\\') return c;
  if (!TakeInLine(r, &c) || c == 0 || c == '0') return kBrokenText;
  return c == 'n' ? '\n' : c == 'r' ? '\r' : c;
}

RegValueData ReadValueData(Reader* r, bool eightBit, RegDataSink* s) {
  RegValueData v{false, false, REG_NONE};
  if (Accept(r, '"')) {
    v.type = REG_SZ;
    v.valid = ReadStringData(r, s);
  } else if (Accept(r, '-')) {
    v.valid = v.deleted = OnlyCommentLeft(r);
  } else if (AcceptWord(r, "dword:")) {
    v.type = REG_DWORD;
    v.valid = ReadDwordData(r, s);
  } else if (AcceptWord(r, "hex")) {
    v.type = REG_BINARY;
    bool typed = Accept(r, '(') ? ReadHexType(r, &v.type) : true;
    v.valid = typed && Accept(r, ':') && ReadHexList(r, s, eightBit && IsTextType(v.type));
  }
  SkipLine(r);
  return v;
}
