#include "platform/text.h"

bool PortableIsWideSpace(WideChar c) {
  if (c <= 0xFF) return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

namespace {

int DigitValue(WideChar c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
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
