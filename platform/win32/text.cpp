// On Windows the C runtime's own wide functions decide.
#include "platform/text.h"

#include <errno.h>
#include <wchar.h>
#include <wctype.h>

bool IsWideSpace(WideChar c) {
  return iswspace(c) != 0;
}

uint32_t WideToU32(const WideChar* text, WideChar** end, int base, bool* outOfRange) {
  static_assert(sizeof(unsigned long) == 4, "unsigned long is 32 bits on Windows");
  errno = 0;
  unsigned long value = wcstoul(text, end, base);
  *outOfRange = (errno == ERANGE);
  return value;
}
