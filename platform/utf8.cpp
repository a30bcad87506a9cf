#include "platform/utf8.h"

namespace {

// Writes the UTF-8 form of code point `cp` at `out + n` when it fits; returns its length.
size_t PutCodePoint(uint32_t cp, char* out, size_t n, size_t capacity) {
  unsigned char b[4];
  size_t len;
  if (cp < 0x80) {
    b[0] = static_cast<unsigned char>(cp);
    len = 1;
  } else if (cp < 0x800) {
    b[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
    b[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    len = 2;
  } else if (cp < 0x10000) {
    b[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
    b[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    b[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    len = 3;
  } else {
    b[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    b[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    b[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    b[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    len = 4;
  }
  for (size_t i = 0; i < len && n + i < capacity; ++i) out[n + i] = static_cast<char>(b[i]);
  return len;
}

// Encodes, writing only the bytes that fall within `capacity`; returns the full length.
size_t EncodeBounded(const WideChar* text, char* out, size_t capacity) {
  size_t n = 0;
  for (const WideChar* p = text; *p != 0; ++p) {
    uint32_t cp = *p;
    if (IsHighSurrogate(cp) && IsLowSurrogate(p[1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint32_t>(p[1]) - 0xDC00);
      ++p;
    }
    n += PutCodePoint(cp, out, n, capacity);
  }
  return n;
}

}  // namespace

size_t EncodeCodePoint(uint32_t codePoint, char out[4]) {
  return PutCodePoint(codePoint, out, 0, 4);
}

size_t EncodeUtf8(const WideChar* text, char* out, size_t capacity) {
  size_t n = EncodeBounded(text, nullptr, 0);
  if (n < capacity) {
    EncodeBounded(text, out, capacity);
    out[n] = 0;
  }
  return n;
}

size_t DecodeUtf8Sequence(const unsigned char* b, size_t available, WideChar units[2],
                          int* unitCount) {
  *unitCount = 1;
  units[0] = 0xFFFD;
  unsigned lead = b[0];
  size_t len;
  uint32_t cp, min;
  if (lead < 0x80) {
    units[0] = static_cast<WideChar>(lead);
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return 1;
  }
  if (available < len) return 1;
  for (size_t i = 1; i < len; ++i) {
    if ((b[i] & 0xC0) != 0x80) return 1;
    cp = (cp << 6) | (b[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return 1;
  if (cp >= 0x10000) {
    units[0] = static_cast<WideChar>(0xD800 + ((cp - 0x10000) >> 10));
    units[1] = static_cast<WideChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    *unitCount = 2;
  } else {
    units[0] = static_cast<WideChar>(cp);  // surrogates included: that is what keeps WTF-8
  }
  return len;
}

size_t DecodeUtf8(const char* text, WideChar* out, size_t capacity) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  size_t remaining = 0;
  while (p[remaining] != 0) ++remaining;
  size_t n = 0;
  // Two passes: count, then write only when the whole text fits.
  for (int pass = 0; pass < 2; ++pass) {
    const unsigned char* q = p;
    size_t left = remaining;
    n = 0;
    while (left > 0) {
      WideChar units[2];
      int count;
      size_t used = DecodeUtf8Sequence(q, left, units, &count);
      if (pass == 1)
        for (int i = 0; i < count; ++i) out[n + static_cast<size_t>(i)] = units[i];
      n += static_cast<size_t>(count);
      q += used;
      left -= used;
    }
    if (n >= capacity) return n;
    if (pass == 1) out[n] = 0;
  }
  return n;
}
