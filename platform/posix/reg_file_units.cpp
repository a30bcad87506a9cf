#include "platform/posix/reg_file_units.h"

#include "platform/utf8.h"

namespace {

const int kNoUnit = -2;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes it leaves undefined keep
// their own value, as Windows' conversion does.
const WideChar kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(const unsigned char* bytes, size_t size, const char* mark, size_t length) {
  if (size < length) return false;
  for (size_t i = 0; i < length; ++i)
    if (bytes[i] != static_cast<unsigned char>(mark[i])) return false;
  return true;
}

int Decode(RegUnitReader* r) {
  if (r->pending != 0) {
    WideChar unit = r->pending;
    r->pending = 0;
    return unit;
  }
  size_t left = static_cast<size_t>(r->end - r->next);
  if (r->encoding == kRegUtf16Le) {
    if (left < 2) return kEndOfText;
    int unit = r->next[0] | (r->next[1] << 8);
    r->next += 2;
    return unit;
  }
  if (left == 0) return kEndOfText;
  if (r->encoding == kRegWindows1252) return FromWindows1252(*r->next++);
  if (*r->next < 0x80) return *r->next++;
  WideChar units[2];
  int count;
  r->next += DecodeUtf8Sequence(r->next, left, units, &count);
  if (count == 2) r->pending = units[1];
  return units[0];
}

}  // namespace

WideChar FromWindows1252(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) ? kWindows1252High[byte - 0x80] : byte;
}

RegUnitReader StartUnits(const unsigned char* bytes, size_t size) {
  RegUnitReader r{bytes, bytes + size, kRegUtf8, 0, kNoUnit};
  if (StartsWith(bytes, size, "\xFF\xFE", 2)) {
    r.encoding = kRegUtf16Le;
    r.next += 2;
  } else if (StartsWith(bytes, size, "\xEF\xBB\xBF", 3)) {
    r.encoding = kRegUtf8Marked;
    r.next += 3;
  }
  return r;
}

void SwitchToEightBit(RegUnitReader* r) {
  if (r->encoding == kRegUtf8) r->encoding = kRegWindows1252;
}

int NextUnit(RegUnitReader* r) {
  int unit = PeekUnit(r);
  r->peeked = kNoUnit;
  return unit;
}

int PeekUnit(RegUnitReader* r) {
  if (r->peeked == kNoUnit) r->peeked = Decode(r);
  return r->peeked;
}
