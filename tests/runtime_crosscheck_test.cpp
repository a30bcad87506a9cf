// Windows only: the portable wide functions against the C runtime's own, over every code unit
// and a generated corpus of conversions.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/text.h"

namespace {

TEST(WideSpaceTest, PortableVersionAgreesOnEveryCodeUnit) {
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    WideChar unit = static_cast<WideChar>(c);
    ASSERT_EQ(PortableIsWideSpace(unit), IsWideSpace(unit)) << std::hex << c;
  }
}

TEST(WideConversionTest, PortableVersionReadsTheSameDigits) {
  for (uint32_t c = 1; c <= 0xFFFF; ++c) {
    const WideChar text[] = {static_cast<WideChar>(c), '7', 0};
    for (int base : {10, 16}) {
      WideChar *end1 = nullptr, *end2 = nullptr;
      bool range1 = false, range2 = false;
      uint32_t v1 = WideToU32(text, &end1, base, &range1);
      uint32_t v2 = PortableWideToU32(text, &end2, base, &range2);
      ASSERT_EQ(v1, v2) << std::hex << c << " base " << std::dec << base;
      ASSERT_EQ(end1, end2) << std::hex << c << " base " << std::dec << base;
    }
  }
}

TEST(WideConversionTest, PortableVersionAgreesOnGeneratedInputs) {
  // Every combination of a few prefixes, bodies and tails, in bases 10 and 16.
  const char* prefixes[] = {"", " ", "\t\u3000", "+", "-", "0x", "0X", "-0x", "+0x", "0x0x", "x"};
  const char* bodies[] = {"",
                          "0",
                          "7",
                          "19",
                          "fF",
                          "g",
                          "4294967295",
                          "4294967296",
                          "FFFFFFFF",
                          "100000000",
                          "\uff11",
                          "\u0661",
                          "0000000000000000000000000042"};
  const char* tails[] = {"", " ", "z", ".5", "\u00a0"};
  for (const char* p : prefixes)
    for (const char* b : bodies)
      for (const char* t : tails)
        for (int base : {10, 16}) {
          WideString text = Wide(std::string(p) + b + t);
          WideChar *end1 = nullptr, *end2 = nullptr;
          bool range1 = false, range2 = false;
          uint32_t v1 = WideToU32(text.c_str(), &end1, base, &range1);
          uint32_t v2 = PortableWideToU32(text.c_str(), &end2, base, &range2);
          std::string label = std::string(p) + b + t + " base " + std::to_string(base);
          if (!range1) {
            ASSERT_EQ(v1, v2) << label;  // overflow values differ, see text_test
          }
          ASSERT_EQ(end1, end2) << label;
          ASSERT_EQ(range1, range2) << label;
        }
}

}  // namespace
