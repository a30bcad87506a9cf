// Linux's C runtime has no UTF-16 character functions: the portable versions serve.
#include "platform/text.h"

bool IsWideSpace(WideChar c) {
  return PortableIsWideSpace(c);
}

uint32_t WideToU32(const WideChar* text, WideChar** end, int base, bool* outOfRange) {
  return PortableWideToU32(text, end, base, outOfRange);
}
