#include <gtest/gtest.h>

#include "tests/support/text.h"

namespace {

TEST(Utf8Test, RoundTripsEveryKindOfCodeUnit) {
  const WideString texts[] = {WideString(),
                              Wide("plain"),
                              Wide("\u00e9\u4e2d\U0001F600"),
                              WideString{0xD800},
                              WideString{'a', 0xDC00, 'b'},
                              WideString{0xDBFF, 0xD800},
                              WideString{0xFFFF, 0x7F, 0x80, 0x7FF, 0x800}};
  for (const WideString& text : texts) EXPECT_EQ(Wide(Narrow(text)), text);
}

TEST(Utf8Test, InvalidBytesBecomeReplacementCharacters) {
  const std::pair<std::string, WideString> cases[] = {
      {"\xff", {0xFFFD}},
      {"a\xc0\xafz", {'a', 0xFFFD, 0xFFFD, 'z'}},              // overlong
      {"\xe4\xb8", {0xFFFD, 0xFFFD}},                          // cut short
      {"\xf4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // beyond U+10FFFF
      {"\x80x", {0xFFFD, 'x'}}};
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(Wide(bytes), expected);
}

TEST(Utf8Test, WritesOnlyWhenTheWholeTextFits) {
  char out[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(EncodeUtf8(W("\u00e9\u00e9"), out, 4), 4u);
  EXPECT_EQ(out[0], '#');
  EXPECT_EQ(EncodeUtf8(W("\u00e9a"), out, 4), 3u);
  EXPECT_EQ(std::string(out),
            "\xc3\xa9"
            "a");

  WideChar wide[3] = {'#', '#', '#'};
  EXPECT_EQ(DecodeUtf8("abc", wide, 3), 3u);
  EXPECT_EQ(wide[0], '#');
  EXPECT_EQ(DecodeUtf8("ab", wide, 3), 2u);
  EXPECT_EQ(WideString(wide), Wide("ab"));
}

}  // namespace
