#include "platform/posix/reg_file.h"

#include "platform/posix/reg_file_units.h"

namespace {

typedef RegUnitReader Reader;

bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(int c) {
  return c == '\n' || c == '\r' || c == kEndOfText;
}

bool SameLetter(int c, int want) {
  return c >= 0 && AsciiLower(static_cast<WideChar>(c)) == AsciiLower(static_cast<WideChar>(want));
}

// Consumes the next unit when it is `want` (ASCII letters without case).
bool Accept(Reader* r, int want) {
  if (!SameLetter(PeekUnit(r), want)) return false;
  NextUnit(r);
  return true;
}

// Consumes `word` as far as it matches, and stops at the first unit that does not.
bool AcceptWord(Reader* r, const char* word) {
  for (; *word != 0; ++word)
    if (!Accept(r, *word)) return false;
  return true;
}

void SkipBlanks(Reader* r) {
  while (IsBlank(PeekUnit(r))) NextUnit(r);
}

void SkipLine(Reader* r) {
  while (!IsLineEnd(PeekUnit(r))) NextUnit(r);
}

// Takes the next unit of the current line into `*c`; false at the line's end.
bool TakeInLine(Reader* r, int* c) {
  *c = PeekUnit(r);
  if (IsLineEnd(*c)) return false;
  NextUnit(r);
  return true;
}

// A line break, "\r\n" counting as one.
void TakeLineBreak(Reader* r) {
  if (NextUnit(r) == '\r' && PeekUnit(r) == '\n') NextUnit(r);
}

// Skips to the end of the line and over every line that a trailing backslash continues.
void SkipContinuedLines(Reader* r) {
  for (;;) {
    bool continued = false;
    for (int c; TakeInLine(r, &c);)
      if (!IsBlank(c)) continued = (c == '\\');
    if (!continued || PeekUnit(r) == kEndOfText) return;
    TakeLineBreak(r);
  }
}

enum Header { kNoHeader, kVersion5, kRegedit4 };

// The first line: one of the two headers and nothing else. Reading stops at the first unit that
// does not match, so a file of some other kind is rejected at once.
Header ReadHeader(Reader* r) {
  SkipBlanks(r);
  Header header = SameLetter(PeekUnit(r), 'R') ? kRegedit4 : kVersion5;
  if (!AcceptWord(r, header == kRegedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00")) {
    return kNoHeader;
  }
  return IsLineEnd(PeekUnit(r)) ? header : kNoHeader;
}

enum Section { kBrokenSection, kOtherKey, kWantedKey, kKeyBelow, kKeyAbove };

// How the key of a section line "[path]", after its "[" (and "-"), stands to the wanted key.
Section ReadSection(Reader* r, const WideChar* want) {
  size_t i = 0;
  bool same = true, below = false, closed = false;
  for (int c; !closed && TakeInLine(r, &c);) {
    closed = (c == ']');
    if (closed || !same || below) continue;
    if (want[i] != 0) {
      same = SameLetter(c, want[i++]);
    } else {
      below = same = (c == '\\');
    }
  }
  SkipLine(r);
  if (!closed) return kBrokenSection;
  if (!same) return kOtherKey;
  if (below) return kKeyBelow;
  if (want[i] == 0) return kWantedKey;
  return want[i] == '\\' ? kKeyAbove : kOtherKey;
}

// Reads a quoted name after its opening quote and compares it with `want` (which may be null).
// False when the line ends before the closing quote.
bool ReadQuotedName(Reader* r, const WideChar* want, bool* matches) {
  size_t i = 0;
  bool same = want != nullptr;
  for (int c; TakeInLine(r, &c);) {
    if (c == '"') {
      *matches = same && want[i] == 0;
      return true;
    }
    if (c == '\\' && !TakeInLine(r, &c)) return false;
    same = same && want[i] != 0 && SameLetter(c, want[i]);
    if (same) ++i;
  }
  return false;
}

struct Sink {
  BYTE* data;  // null: only count
  DWORD capacity;
  DWORD size;
};

void Put(Sink* s, unsigned byte) {
  if (s->data != nullptr && s->size < s->capacity) s->data[s->size] = static_cast<BYTE>(byte);
  if (s->size < UINT32_MAX) ++s->size;
}

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "text with \" and \\ escapes", after the opening quote: UTF-16LE with a terminator.
bool ReadStringData(Reader* r, Sink* s) {
  for (int c; TakeInLine(r, &c);) {
    if (c == '"') {
      Put(s, 0);
      Put(s, 0);
      return true;
    }
    if (c == '\\' && (PeekUnit(r) == '\\' || PeekUnit(r) == '"')) c = NextUnit(r);
    Put(s, static_cast<unsigned>(c) & 0xFF);
    Put(s, (static_cast<unsigned>(c) >> 8) & 0xFF);
  }
  return false;
}

// The hex digits of dword:0000002a, stored little-endian.
bool ReadDwordData(Reader* r, Sink* s) {
  uint32_t value = 0;
  int digits = 0;
  for (int d; (d = HexValue(PeekUnit(r))) >= 0; NextUnit(r), ++digits) {
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  if (digits == 0 || digits > 8) return false;
  for (int i = 0; i < 4; ++i) Put(s, (value >> (8 * i)) & 0xFF);
  return true;
}

// 41,00,42,00 with a backslash continuing the list on the next line.
bool ReadHexData(Reader* r, Sink* s) {
  for (;;) {
    SkipBlanks(r);
    int c = PeekUnit(r);
    if (IsLineEnd(c)) return true;
    if (Accept(r, '\\')) {
      SkipBlanks(r);
      if (PeekUnit(r) == kEndOfText) return true;
      if (!IsLineEnd(PeekUnit(r))) return false;
      TakeLineBreak(r);
      continue;
    }
    NextUnit(r);
    int high = HexValue(c), low = HexValue(PeekUnit(r));
    if (high < 0 || low < 0) return false;
    NextUnit(r);
    Put(s, static_cast<unsigned>(high * 16 + low));
    SkipBlanks(r);
    Accept(r, ',');
  }
}

struct ValueData {
  bool valid;
  bool deleted;  // "-"
  DWORD type;
};

// The data after "=": "string", dword:..., hex:..., hex(N):... or "-" for a deleted value. Reads
// to the end of the line, and over the lines a hex list continues on even when it is broken.
ValueData ReadValueData(Reader* r, Sink* s) {
  ValueData v{false, false, REG_NONE};
  if (Accept(r, '"')) {
    v.type = REG_SZ;
    v.valid = ReadStringData(r, s);
  } else if (Accept(r, '-')) {
    v.valid = v.deleted = true;
  } else if (AcceptWord(r, "dword:")) {
    v.type = REG_DWORD;
    v.valid = ReadDwordData(r, s);
  } else if (AcceptWord(r, "hex")) {
    v.type = REG_BINARY;
    bool typed = true;
    if (Accept(r, '(')) {
      uint32_t n = 0;
      int d, digits = 0;
      for (; digits < 8 && (d = HexValue(PeekUnit(r))) >= 0; NextUnit(r), ++digits) {
        n = n * 16 + static_cast<uint32_t>(d);
      }
      typed = digits > 0 && Accept(r, ')');
      v.type = n;
    }
    v.valid = typed && Accept(r, ':') && ReadHexData(r, s);
    SkipContinuedLines(r);
    return v;
  }
  SkipLine(r);
  return v;
}

// The value that counts so far: where its data starts, so that only it is ever written out.
struct Found {
  bool present;
  DWORD type;
  DWORD size;
  Reader data;
};

// A value line, after its first character ('"' or '@'). Every value line is read to its end, so
// that the lines a hex list continues on are never taken for lines of their own; one that is
// broken anywhere changes nothing.
void ReadValueLine(Reader* r, int first, const RegFileQuery& q, bool inKey, Found* found) {
  bool matches = first == '@' && q.valueName != nullptr && q.valueName[0] == 0;
  if (first == '"' && !ReadQuotedName(r, q.valueName, &matches)) return SkipLine(r);
  SkipBlanks(r);
  if (!Accept(r, '=')) return SkipLine(r);
  SkipBlanks(r);
  if (!matches || !inKey) {
    // Only where the line ends matters: a hex list, even a broken one, runs on while its lines
    // end with a backslash.
    return AcceptWord(r, "hex") ? SkipContinuedLines(r) : SkipLine(r);
  }
  Reader start = *r;
  Sink count{nullptr, 0, 0};
  ValueData v = ReadValueData(r, &count);
  if (v.valid) *found = Found{!v.deleted, v.type, count.size, start};
}

}  // namespace

RegFileAnswer ParseRegFile(const unsigned char* bytes, size_t size, const RegFileQuery& query) {
  RegFileAnswer answer{false, false, REG_NONE, 0};
  Reader reader = StartUnits(bytes, size);
  Reader* r = &reader;
  Header header = ReadHeader(r);
  if (header == kNoHeader) return answer;
  if (header == kRegedit4) SwitchToEightBit(r);

  bool inKey = false;
  Found found{false, REG_NONE, 0, reader};
  while (PeekUnit(r) != kEndOfText) {
    TakeLineBreak(r);
    SkipBlanks(r);
    int c = PeekUnit(r);
    if (IsLineEnd(c)) continue;
    NextUnit(r);
    if (c == '[') {
      bool deletion = Accept(r, '-');
      Section s = ReadSection(r, query.keyPath);
      // Values under a section line that cannot be read belong to no key.
      inKey = s == kWantedKey && !deletion;
      if (deletion && (s == kWantedKey || s == kKeyAbove)) {
        answer.keyExists = false;
        found.present = false;
      } else if (!deletion && (s == kWantedKey || s == kKeyBelow)) {
        answer.keyExists = true;
      }
    } else if (c == '"' || c == '@') {
      ReadValueLine(r, c, query, inKey, &found);
    } else {
      SkipLine(r);
    }
  }
  if (!found.present) return answer;
  Sink sink{query.data, query.capacity, 0};
  ReadValueData(&found.data, &sink);
  answer.valueFound = true;
  answer.type = found.type;
  answer.size = found.size;
  return answer;
}
