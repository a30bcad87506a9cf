#include "platform/posix/reg_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/utf8.h"

namespace {

const int kEnd = -1;

// Delivers the file's characters as UTF-16 code units, from UTF-16LE (with its byte-order mark)
// or UTF-8 (with or without one).
struct UnitReader {
  int fd;
  unsigned char bytes[4096];
  size_t begin, end;
  bool utf16;
  WideChar pending;  // second half of a surrogate pair
  int peeked;        // a unit pushed back, or kEnd-1 when none
};

bool Fill(UnitReader* r, size_t want) {
  if (r->end - r->begin >= want) return true;
  for (size_t i = r->begin; i < r->end; ++i) r->bytes[i - r->begin] = r->bytes[i];
  r->end -= r->begin;
  r->begin = 0;
  while (r->end < want) {
    ssize_t got = read(r->fd, r->bytes + r->end, sizeof r->bytes - r->end);
    if (got <= 0) return false;
    r->end += static_cast<size_t>(got);
  }
  return true;
}

int NextUnit(UnitReader* r) {
  if (r->peeked != kEnd - 1) {
    int unit = r->peeked;
    r->peeked = kEnd - 1;
    return unit;
  }
  if (r->pending != 0) {
    WideChar unit = r->pending;
    r->pending = 0;
    return unit;
  }
  if (r->utf16) {
    if (!Fill(r, 2)) return kEnd;
    int unit = r->bytes[r->begin] | (r->bytes[r->begin + 1] << 8);
    r->begin += 2;
    return unit;
  }
  if (!Fill(r, 4) && r->begin == r->end) return kEnd;
  WideChar units[2];
  int count;
  r->begin += DecodeUtf8Sequence(r->bytes + r->begin, r->end - r->begin, units, &count);
  if (count == 2) r->pending = units[1];
  return units[0];
}

int PeekUnit(UnitReader* r) {
  if (r->peeked == kEnd - 1) r->peeked = NextUnit(r);
  return r->peeked;
}

bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(int c) {
  return c == '\n' || c == '\r' || c == kEnd;
}

bool SameLetter(int c, int want) {
  return c >= 0 && AsciiLower(static_cast<WideChar>(c)) == AsciiLower(static_cast<WideChar>(want));
}

// Consumes the next unit when it is `want` (ASCII letters without case). Never consumes a line
// break unless asked for one.
bool Accept(UnitReader* r, int want) {
  if (!SameLetter(PeekUnit(r), want)) return false;
  NextUnit(r);
  return true;
}

bool AcceptWord(UnitReader* r, const char* word) {
  for (; *word != 0; ++word)
    if (!Accept(r, *word)) return false;
  return true;
}

void SkipBlanks(UnitReader* r) {
  while (IsBlank(PeekUnit(r))) NextUnit(r);
}

void SkipLine(UnitReader* r) {
  while (!IsLineEnd(PeekUnit(r))) NextUnit(r);
}

// Takes the next unit of the current line into `*c`; false at the line's end.
bool TakeInLine(UnitReader* r, int* c) {
  *c = PeekUnit(r);
  if (IsLineEnd(*c)) return false;
  NextUnit(r);
  return true;
}

// Compares the rest of the line with `want`.
bool LineEquals(UnitReader* r, const char* want) {
  bool same = true;
  size_t i = 0;
  for (int c; TakeInLine(r, &c);) {
    same = same && want[i] != 0 && SameLetter(c, want[i]);
    if (same) ++i;
  }
  return same && want[i] == 0;
}

enum SectionMatch { kOtherKey, kWantedKey, kKeyBelow };

// Matches the key of a section line "[path]", after its "[", against the wanted key path.
SectionMatch MatchSection(UnitReader* r, const WideChar* want) {
  size_t i = 0;
  bool same = true, below = false, closed = false;
  for (int c; !closed && TakeInLine(r, &c);) {
    closed = (c == ']');
    if (closed || !same) continue;
    if (want[i] != 0) {
      same = SameLetter(c, want[i++]);
    } else if (!below) {
      below = same = (c == '\\');
    }
  }
  SkipLine(r);
  if (!closed || !same || want[i] != 0) return kOtherKey;
  return below ? kKeyBelow : kWantedKey;
}

// Reads a quoted name after its opening quote and compares it with `want`. False when the line
// ends before the closing quote.
bool ReadQuotedName(UnitReader* r, const WideChar* want, bool* matches) {
  size_t i = 0;
  bool same = true;
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
  BYTE* data;
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
bool ReadStringData(UnitReader* r, Sink* s) {
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
bool ReadDwordData(UnitReader* r, Sink* s) {
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
bool ReadHexData(UnitReader* r, Sink* s) {
  for (;;) {
    SkipBlanks(r);
    int c = PeekUnit(r);
    if (IsLineEnd(c)) return true;
    if (Accept(r, '\\')) {
      SkipBlanks(r);
      if (Accept(r, '\r'))
        Accept(r, '\n');
      else if (!Accept(r, '\n'))
        return PeekUnit(r) == kEnd;
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

// The data after "=": "string", dword:..., hex:..., hex(N):... or "-" for a deleted value.
bool ReadValueData(UnitReader* r, Sink* s, DWORD* type, bool* deleted) {
  *deleted = false;
  if (Accept(r, '"')) return (*type = REG_SZ), ReadStringData(r, s);
  if (Accept(r, '-')) return (*deleted = true);
  if (AcceptWord(r, "dword:")) return (*type = REG_DWORD), ReadDwordData(r, s);
  if (!AcceptWord(r, "hex")) return false;
  *type = REG_BINARY;
  if (Accept(r, '(')) {
    uint32_t n = 0;
    int d, digits = 0;
    for (; digits < 8 && (d = HexValue(PeekUnit(r))) >= 0; NextUnit(r), ++digits) {
      n = n * 16 + static_cast<uint32_t>(d);
    }
    if (digits == 0 || !Accept(r, ')')) return false;
    *type = n;
  }
  return Accept(r, ':') && ReadHexData(r, s);
}

// Parses a value line of the wanted key, after its first character; the last setting of a value
// in the file is the one that counts.
void ReadValueLine(UnitReader* r, int first, const RegFileQuery& q, RegFileAnswer* a) {
  bool matches = (first == '@') && q.valueName[0] == 0;
  if (first == '"' && !ReadQuotedName(r, q.valueName, &matches)) return;
  if (!matches) return;
  SkipBlanks(r);
  if (!Accept(r, '=')) return;
  SkipBlanks(r);
  Sink sink{q.data, q.capacity, 0};
  DWORD type = REG_NONE;
  bool deleted = false;
  if (!ReadValueData(r, &sink, &type, &deleted)) return;
  a->valueFound = !deleted;
  a->type = deleted ? REG_NONE : type;
  a->size = deleted ? 0 : sink.size;
}

}  // namespace

RegFileAnswer ReadRegFile(const char* path, const RegFileQuery& query) {
  RegFileAnswer answer{false, false, REG_NONE, 0};
  if (path == nullptr) return answer;
  // Non-blocking, so that a FIFO or device in place of the file cannot stall the caller.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return answer;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return answer;
  }
  UnitReader reader{};
  UnitReader* r = &reader;
  r->fd = fd;
  r->peeked = kEnd - 1;
  if (Fill(r, 2) && r->bytes[0] == 0xFF && r->bytes[1] == 0xFE) {
    r->utf16 = true;
    r->begin = 2;
  } else if (Fill(r, 3) && r->bytes[0] == 0xEF && r->bytes[1] == 0xBB && r->bytes[2] == 0xBF) {
    r->begin = 3;
  }

  SkipBlanks(r);
  bool header = LineEquals(r, "Windows Registry Editor Version 5.00");
  bool inKey = false;
  while (header && PeekUnit(r) != kEnd) {
    NextUnit(r);  // the line break
    SkipBlanks(r);
    int c = PeekUnit(r);
    if (IsLineEnd(c)) continue;
    NextUnit(r);
    if (c == '[') {
      bool deletion = PeekUnit(r) == '-';
      SectionMatch match = deletion ? (SkipLine(r), kOtherKey) : MatchSection(r, query.keyPath);
      answer.keyExists = answer.keyExists || match != kOtherKey;
      inKey = match == kWantedKey;
      continue;
    }
    if ((c == '"' || c == '@') && inKey && query.valueName != nullptr) {
      ReadValueLine(r, c, query, &answer);
    }
    SkipLine(r);
  }
  close(fd);
  return answer;
}
