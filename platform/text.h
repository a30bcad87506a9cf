// The C runtime's wide character tests and conversions, with the Windows runtime's behaviour on
// every platform.
#pragma once

#include "platform/wide_char.h"

// The wide-character space test in the default locale.
bool IsWideSpace(WideChar c);

// The wide string-to-unsigned-long conversion with a 32-bit result: leading white space, a sign
// (minus negates modulo 2^32), a "0x" prefix in base 16, digits up to the first one that does
// not belong. `*end` receives where it stopped (the start of `text` when nothing was read) and
// `*outOfRange` whether the value overflowed 32 bits, in which case the result is 4294967295.
uint32_t WideToU32(const WideChar* text, WideChar** end, int base, bool* outOfRange);

// Portable versions of the two above, used where the C runtime has no wide versions of its own;
// kept callable everywhere so that they can be checked against the Windows runtime.
bool PortableIsWideSpace(WideChar c);
uint32_t PortableWideToU32(const WideChar* text, WideChar** end, int base, bool* outOfRange);
