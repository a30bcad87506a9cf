// Lossless conversion between UTF-16 and UTF-8 (WTF-8: lone surrogates are kept as their own
// three-byte forms), with caller-owned buffers and no allocation.
#pragma once

#include "platform/wide_char.h"

// Encodes the NUL-terminated `text` into `out` (capacity `capacity` bytes, terminator included).
// Returns the number of bytes the whole text needs without its terminator; `out` is written only
// when that is less than `capacity`.
size_t EncodeUtf8(const WideChar* text, char* out, size_t capacity);

// Writes the UTF-8 form of one code point (a surrogate as its own three bytes) into `out`;
// returns its length.
size_t EncodeCodePoint(uint32_t codePoint, char out[4]);

// Decodes the NUL-terminated UTF-8 `text` into `out` (capacity in characters, terminator
// included). Each byte that starts no valid sequence becomes U+FFFD. Returns the number of
// characters the whole text needs without its terminator; `out` is written only when that is
// less than `capacity`.
size_t DecodeUtf8(const char* text, WideChar* out, size_t capacity);

// Decodes one sequence at `bytes` (with `available` bytes left) into one or two code units.
// Returns the bytes consumed (at least 1) and the number of units through `*unitCount`.
size_t DecodeUtf8Sequence(const unsigned char* bytes, size_t available, WideChar units[2],
                          int* unitCount);
