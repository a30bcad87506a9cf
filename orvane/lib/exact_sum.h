// Sums of doubles held exactly, and rounded once: sum() and avg() neither overflow on the way
// to an answer that fits a double nor lose small terms to the cancellation of large ones.
#pragma once

#include <stdint.h>

namespace orvane {

class ExactSum {
 public:
  // Adds a finite double.
  void Add(double x);
  // The sum divided by `divisor`, rounded once to the nearest double (ties to even); infinite
  // when it is too large for one.
  double Rounded(uint64_t divisor = 1) const;
  // Whether the sum is exactly 0 (a sum that is not may still round to 0).
  bool IsZero() const;

 private:
  // A fixed-point number in two's complement, least significant word first. Bit 0 weighs
  // 2^-kFractionBits: 64 bits below the smallest double, so that a quotient still rounds
  // correctly below it. The top reaches 2^1166, room for 2^142 of the largest doubles.
  static constexpr int kFractionBits = 1074 + 64;
  static constexpr int kWords = 36;
  uint64_t words_[kWords] = {};
};

}  // namespace orvane
