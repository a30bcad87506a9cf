// The C runtime's wide functions as the plug-in relies on them, and the portable versions that
// stand in for them where the runtime has none.
#include "platform/text.h"

#include <gtest/gtest.h>

#include "tests/support/shown.h"
#include "tests/support/text.h"

namespace {

struct Conversion {
  const char* text;
  int base;
  uint32_t value;
  size_t consumed;  // where the conversion stopped
  bool outOfRange;
};
std::ostream& operator<<(std::ostream& out, const Conversion& c) {
  return out << Shown(c.text) << " base " << c.base;
}

class ConversionTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(ConversionTest, MatchesTheRuntime) {
  const Conversion& c = GetParam();
  WideString text = Wide(c.text);
  for (auto convert : {&WideToU32, &PortableWideToU32}) {
    WideChar* end = nullptr;
    bool outOfRange = false;
    uint32_t value = convert(text.c_str(), &end, c.base, &outOfRange);
    // What an overflow returns differs between runtimes (Wine's gives 1 for a negative one);
    // callers look only at the range error then. The portable version always gives 4294967295.
    if (!outOfRange || convert == &PortableWideToU32) {
      EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(static_cast<size_t>(end - text.c_str()), c.consumed) << c.text;
    EXPECT_EQ(outOfRange, c.outOfRange) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ConversionTest,
    ::testing::Values(
        Conversion{"", 16, 0, 0, false}, Conversion{"4E", 16, 0x4E, 2, false},
        Conversion{"0x4E", 16, 0x4E, 4, false}, Conversion{"0X4e", 16, 0x4E, 4, false},
        Conversion{"  \t+ff", 16, 0xFF, 6, false}, Conversion{"-1", 16, 0xFFFFFFFF, 2, false},
        Conversion{"-0x10", 16, 0xFFFFFFF0, 5, false}, Conversion{"4Z", 16, 4, 1, false},
        Conversion{"Z", 16, 0, 0, false}, Conversion{"-", 16, 0, 0, false},
        Conversion{" ", 16, 0, 0, false}, Conversion{"ffffffff", 16, 0xFFFFFFFF, 8, false},
        Conversion{"100000000", 16, 0xFFFFFFFF, 9, true},
        Conversion{"-100000000", 16, 0xFFFFFFFF, 10, true},
        Conversion{"0000000000000000001", 16, 1, 19, false},
        Conversion{"\u30000x1", 16, 1, 4, false}, Conversion{"25.0", 10, 25, 2, false},
        Conversion{"4294967295", 10, 0xFFFFFFFF, 10, false},
        Conversion{"4294967296", 10, 0xFFFFFFFF, 10, true},
        Conversion{"99999999999999999999999", 10, 0xFFFFFFFF, 23, true},
        Conversion{"-4294967295", 10, 1, 11, false}, Conversion{"0x19", 10, 0, 1, false},
        Conversion{"\u00a019", 10, 19, 3, false}, Conversion{"1a", 10, 1, 1, false},
        Conversion{"\uff14\u0662", 10, 42, 2, false}, Conversion{"\uff14E", 16, 0x4E, 2, false},
        Conversion{"\uff21", 16, 0, 0, false}));

TEST(WideSpaceTest, ExactlyTheRuntimesSpaces) {
  const uint32_t spaces[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0xA0,   0x1680,
                             0x2000, 0x2005, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  const uint32_t others[] = {0x00,   0x08,   0x0E,   0x1C,   0x1F,   0x21,   0x85,   0x9F,  0xFF,
                             0x180E, 0x200B, 0x2027, 0x202A, 0x2060, 0xFEFF, 0xFFFF, 0xD800};
  for (uint32_t c : spaces) EXPECT_TRUE(IsWideSpace(static_cast<WideChar>(c))) << std::hex << c;
  for (uint32_t c : others) EXPECT_FALSE(IsWideSpace(static_cast<WideChar>(c))) << std::hex << c;
}

}  // namespace
