// One type for UTF-16 text across the host boundary: wchar_t on Windows, char16_t elsewhere.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>  // std::char_traits only: length and copy, no allocation

#if defined(_WIN32)
typedef wchar_t WideChar;
#define WIDE_LITERAL_(s) L##s
#else
typedef char16_t WideChar;
#define WIDE_LITERAL_(s) u##s
#endif

// W("text") is a wide literal of the platform's WideChar type.
#define W(s) WIDE_LITERAL_(s)

static_assert(sizeof(WideChar) == 2, "text crossing the host boundary is UTF-16");

typedef std::char_traits<WideChar> WideTraits;

// Length of text, counting at most `limit` characters.
inline size_t WideLengthUpTo(const WideChar* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n] != 0) ++n;
  return n;
}

// The two halves of a surrogate pair.
inline bool IsHighSurrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for anything else.
inline int HexDigitValue(uint32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// Folds A-Z onto a-z and leaves every other code unit alone.
inline WideChar AsciiLower(WideChar c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<WideChar>(c - 'A' + 'a') : c;
}

// Where `text` goes on after `prefix`, ASCII letters compared without case; null when `text`
// does not begin with `prefix`.
inline const WideChar* AsciiSkipPrefixNoCase(const WideChar* text, const WideChar* prefix) {
  for (; *prefix != 0; ++text, ++prefix) {
    if (AsciiLower(*text) != AsciiLower(*prefix)) return nullptr;
  }
  return text;
}

// True when `text` begins with `prefix`, ASCII letters compared without case.
inline bool AsciiStartsWithNoCase(const WideChar* text, const WideChar* prefix) {
  return AsciiSkipPrefixNoCase(text, prefix) != nullptr;
}

// Whole-string equality, ASCII letters compared without case. One pass, and no call out: the
// keystroke handler asks this of every key the host reports by name.
inline bool AsciiEqualNoCase(const WideChar* a, const WideChar* b) {
  const WideChar* rest = AsciiSkipPrefixNoCase(a, b);
  return rest != nullptr && *rest == 0;
}
