#include "orvane/lib/exact_sum.h"

#include <math.h>

#include <algorithm>

namespace orvane {

namespace {

const int kWordBits = 64;

// Adds (or, for a negative sign, subtracts) `value` shifted left by `shift` bits.
void AddShifted(uint64_t* words, int count, uint64_t value, int shift, bool negative) {
  int word = shift / kWordBits, bit = shift % kWordBits;
  uint64_t parts[2] = {value << bit, bit == 0 ? 0 : value >> (kWordBits - bit)};
  uint64_t carry = 0;  // a carry when adding, a borrow when subtracting
  for (int i = word; i < count && (i - word < 2 || carry != 0); ++i) {
    uint64_t part = i - word < 2 ? parts[i - word] : 0, before = words[i];
    if (negative) {
      words[i] = before - part - carry;
      carry = (before < part || before - part < carry) ? 1 : 0;
    } else {
      uint64_t partial = before + part;
      words[i] = partial + carry;
      carry = (partial < before || words[i] < partial) ? 1 : 0;
    }
  }
}

bool Bit(const uint64_t* words, int index) {
  return index >= 0 && ((words[index / kWordBits] >> (index % kWordBits)) & 1) != 0;
}

}  // namespace

void ExactSum::Add(double x) {
  if (x == 0) return;
  int exponent = 0;
  // x = mantissa * 2^(exponent - 53) exactly, with a whole mantissa of at most 53 bits.
  auto mantissa = static_cast<uint64_t>(ldexp(frexp(fabs(x), &exponent), 53));
  AddShifted(words_, kWords, mantissa, exponent - 53 + kFractionBits, x < 0);
}

double ExactSum::Rounded(uint64_t divisor) const {
  uint64_t magnitude[kWords];
  std::copy(words_, words_ + kWords, magnitude);
  bool negative = (magnitude[kWords - 1] >> (kWordBits - 1)) != 0;
  if (negative) {  // two's complement: invert and add one
    for (uint64_t& word : magnitude) word = ~word;
    AddShifted(magnitude, kWords, 1, 0, false);
  }
  unsigned __int128 remainder = 0;  // long division, from the top word down
  for (int i = kWords - 1; i >= 0; --i) {
    unsigned __int128 part = (remainder << kWordBits) | magnitude[i];
    magnitude[i] = static_cast<uint64_t>(part / divisor);
    remainder = part % divisor;
  }
  int top = kWords * kWordBits - 1;
  while (top >= 0 && !Bit(magnitude, top)) --top;
  if (top < 0) return 0;
  // The bits a double keeps: 53 from the top, none below the smallest subnormal.
  int lowest = std::max(top - 52, kFractionBits - 1074);
  uint64_t kept = 0;
  for (int i = top; i >= lowest; --i) kept = (kept << 1) | (Bit(magnitude, i) ? 1 : 0);
  bool beyondHalf = remainder != 0;
  for (int i = lowest - 2; i >= 0 && !beyondHalf; --i) beyondHalf = Bit(magnitude, i);
  if (Bit(magnitude, lowest - 1) && (beyondHalf || (kept & 1) != 0)) ++kept;  // ties to even
  double rounded = ldexp(static_cast<double>(kept), lowest - kFractionBits);
  return negative ? -rounded : rounded;
}

bool ExactSum::IsZero() const {
  return std::all_of(words_, words_ + kWords, [](uint64_t word) { return word == 0; });
}

}  // namespace orvane
