#include "platform/text.h"

bool PortableIsWideSpace(WideChar c) {
  if (c <= 0xFF) return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

namespace {

// The first code unit of each run of ten decimal digits beyond ASCII that the Windows runtime
// reads as digits (Arabic-Indic, Devanagari, ..., fullwidth).
const WideChar kDigitZeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6,
                                0x0B66, 0x0C66, 0x0CE6, 0x0D66, 0x0E50, 0x0ED0,
                                0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};

int DigitValue(WideChar c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  for (WideChar zero : kDigitZeros) {
    if (c >= zero && c <= zero + 9) return c - zero;
  }
  return 99;
}

}  // namespace

uint32_t PortableWideToU32(const WideChar* text, WideChar** end, int base, bool* outOfRange) {
  const WideChar* p = text;
  *outOfRange = false;
  while (PortableIsWideSpace(*p)) ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = (*p++ == '-');
  if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (base == 0) base = (*p == '0') ? 8 : 10;

  uint64_t value = 0;
  const WideChar* digits = p;
  for (int d; (d = DigitValue(*p)) < base; ++p) {
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (value > UINT32_MAX) {
      *outOfRange = true;
      value = UINT32_MAX + uint64_t{1};  // stays above the limit without wrapping
    }
  }
  *end = const_cast<WideChar*>(p == digits ? text : p);
  if (*outOfRange) return UINT32_MAX;
  uint32_t result = static_cast<uint32_t>(value);
  return negative ? 0u - result : result;
}
