// The colour of the result, seen where the host sees it: the SetColors call before the result.
#include <vector>

#include "platform/system.h"
#include "tests/support/host_fixture.h"
#include "tests/support/platform_calls.h"
#include "tests/support/shown.h"

namespace {

class HighlightTest : public PluginTest {
 protected:
  // Runs one calculation with the console showing `attribute`; returns the highlight used.
  int HighlightFor(int attribute) {
    RecorderReset();
    RecorderSetAttribute(attribute);
    RecorderScriptEvaluation("1", "1");
    for (const auto& [text, fg, bg] : colors) RecorderScriptColors(text.c_str(), fg, bg);
    Press(13, "=1");
    std::string log = Log();
    size_t at = log.find("SetColors|");
    EXPECT_NE(at, std::string::npos) << log;
    if (at == std::string::npos) return -1;
    // The colours are restored afterwards.
    EXPECT_NE(log.find("SetColors|" + std::to_string(attribute & 0xFF) + "\nCrLf"),
              std::string::npos)
        << log;
    return atoi(log.c_str() + at + 10);
  }

  std::vector<std::tuple<std::string, int, int>> colors;
};

// The default tables as their documentation describes them, one colour name at a time.
int DescribedDefault(int bg) {
  const int brightWhite = 15, black = 0, green = 2;
  int fg = (bg <= 6 || bg == 8 || bg == 9 || bg == 12) ? brightWhite : (bg == 15 ? green : black);
  return bg << 4 | fg;
}
int DescribedAlternate(int bg) {
  const int yellow = 14, brightCyan = 11, brightBlue = 9, black = 0, brightRed = 12;
  int fg = (bg == 0 || bg == 3 || bg == 13)    ? yellow
           : (bg == 7 || bg == 10 || bg == 11) ? brightBlue
           : (bg == 12 || bg == 15)            ? black
           : (bg == 14)                        ? brightRed
                                               : brightCyan;
  return bg << 4 | fg;
}

TEST_F(HighlightTest, EveryAttributeWithoutSetting) {
  for (int attr = 0; attr <= 0xFF; ++attr) {
    int fg = attr & 15, bg = attr >> 4;
    int expected;
    if (fg == bg) {
      expected = 0x07;
    } else if (bg >= 8 || fg >= 8 || fg == 0) {
      expected = attr == DescribedDefault(bg) ? DescribedAlternate(bg) : DescribedDefault(bg);
    } else {
      expected = attr | 0x08;
    }
    ASSERT_EQ(HighlightFor(attr), expected) << std::hex << attr;
  }
}

TEST_F(HighlightTest, DocumentedExamplesWithoutSetting) {
  const int cases[][2] = {{0x07, 0x0F}, {0x0F, 0x0E}, {0x70, 0x79}, {0x1E, 0x1F},
                          {0x17, 0x1F}, {0x00, 0x07}, {0x44, 0x07}};
  for (const auto& c : cases) EXPECT_EQ(HighlightFor(c[0]), c[1]) << std::hex << c[0];
}

TEST_F(HighlightTest, OnlyTheLowByteOfTheHostsAttributeIsShownAndRestored) {
  // The whole int takes part in the comparison with the default table entry.
  EXPECT_EQ(HighlightFor(0x10F), 0x0F);
  EXPECT_EQ(HighlightFor(0xFF17), 0x1F);
}

struct SettingCase {
  const char* text;
  int current;
  int expected;
};
std::ostream& operator<<(std::ostream& out, const SettingCase& c) {
  return out << Shown(c.text) << " on " << c.current;
}

class SettingTextTest : public HighlightTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(SettingTextTest, FromTheEnvironment) {
  const SettingCase& c = GetParam();
  colors = {{"bright red", 12, 64},
            {"red on blue", 4, 1},
            {"no colours", -1, -1},
            {"blue background", -1, 1},
            {"grey on grey", 7, 7},
            {"odd", -1, 64},
            {"big", 20, 64},
            {" inv", 2, -1},
            {"weird bg", 3, -5},
            {"huge bg", 2, 0x10000001},
            {"bright white", 15, 64},
            {"sixteen", 16, 64},
            {"fg only", 12, kRecorderUnwritten},
            {"bg only", kRecorderUnwritten, 1},
            {"nothing", kRecorderUnwritten, kRecorderUnwritten}};
  SetHighlightVariable(c.text);
  EXPECT_EQ(HighlightFor(c.current), c.expected) << c.text << " on " << std::hex << c.current;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingTextTest,
    ::testing::Values(
        SettingCase{"inv", 0x1E, 0x61}, SettingCase{"InVeRsE", 0x1E, 0x61},
        SettingCase{"inv", 0x9F, 0x79},  // the new background loses its bright bit
        SettingCase{"in", 0x1E, 0x1E},   // goes to ParseColors, which gives nothing
        SettingCase{"0x4E", 0x07, 0x4E}, SettingCase{"0X4e", 0x1F, 0x4E},
        SettingCase{"0x4E", 0x4E, 0x4E}, SettingCase{"0x", 0x1E, 0x1E},
        SettingCase{"0x4Z", 0x1E, 0x1E}, SettingCase{"0x0x4E", 0x07, 0x4E},
        SettingCase{"0x 4E", 0x07, 0x4E}, SettingCase{"0x+4E", 0x07, 0x4E},
        SettingCase{"0x-1", 0x07, 0x07},          // F = B = 15
        SettingCase{"0x-B2", 0x07, 0x4E},         // -0xB2 is ...FF4E
        SettingCase{"0x1004E", 0x07, 0x4E},       // only the low byte names colours
        SettingCase{"0xFFFFFFFF", 0x07, 0x07},    // fits 32 bits: F = B
        SettingCase{"0x100000000", 0x07, 0x07},   // range error
        SettingCase{"0x-100000000", 0x07, 0x07},  // range error (msvcrt's value is 1)
        SettingCase{"0x4E ", 0x07, 0x07},         // stops before the end
        SettingCase{"0x11", 0x1E, 0x1E},          // invisible
        SettingCase{"0x1E", 0x1E, 0x1E},          // exactly the current colours
        SettingCase{"bright red", 0x1E, 0x1C},    // background 64: foreground only
        SettingCase{"bright red", 0xC1, 0xC1},    // same as the background
        SettingCase{"bright red", 0x1C, 0x1C},    // same as the foreground
        SettingCase{"red on blue", 0x07, 0x14}, SettingCase{"red on blue", 0x14, 0x14},
        SettingCase{"grey on grey", 0x1E, 0x1E}, SettingCase{"no colours", 0x1E, 0x1E},
        SettingCase{"blue background", 0x1E, 0x1E}, SettingCase{"odd", 0x1E, 0x1E},
        SettingCase{"big", 0x1E, 0x14},  // not 15 or less: background stays 64, low byte shown
        SettingCase{"bright white", 0x1E, 0x1F},  // 15 is the last foreground-only value
        SettingCase{"sixteen", 0x2E, 0x10},       // 16 keeps the background 64: 0x410
        // F and B start as "not given": ParseColors that writes one, or neither.
        SettingCase{"fg only", 0x1E, 0x1C}, SettingCase{"bg only", 0x1E, 0x1E},
        SettingCase{"nothing", 0x1E, 0x1E},
        SettingCase{" inv", 0x1E, 0x12},  // used as found: ParseColors reads it
        SettingCase{"weird bg", 0x1E, 0x1E},
        SettingCase{"huge bg", 0x07, 0x12},  // any int from the host: only the low byte counts
        SettingCase{"0x4E", 0x44, 0x07}));   // fg = bg: no setting is read

TEST_F(HighlightTest, LocationsAreTriedInOrder) {
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x05");
  EXPECT_EQ(HighlightFor(0x07), 0x05);
  SetRegistryHighlightText(Hive::kUser, kSharedKey, "0x04");
  EXPECT_EQ(HighlightFor(0x07), 0x04);
  SetRegistryHighlightText(Hive::kMachine, kOwnKey, "0x03");
  EXPECT_EQ(HighlightFor(0x07), 0x03);
  SetRegistryHighlightText(Hive::kUser, kOwnKey, "0x02");
  EXPECT_EQ(HighlightFor(0x07), 0x02);
  SetHighlightVariable("0x01");
  EXPECT_EQ(HighlightFor(0x07), 0x01);
}

TEST_F(HighlightTest, LocationsThatDoNotCountDeferToTheNext) {
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x05");
  SetHighlightVariable("");
  SetRegistryHighlightText(Hive::kUser, kOwnKey, "");
  SetRegistryHighlight(Hive::kMachine, kOwnKey, REG_EXPAND_SZ, {'0', 0, 'x', 0, '2', 0, 0, 0});
  SetRegistryHighlight(Hive::kUser, kSharedKey, REG_DWORD, {0x1E, 0, 0, 0});
  EXPECT_EQ(HighlightFor(0x07), 0x05);
}

TEST_F(HighlightTest, OversizeSettingsDoNotCount) {
  WatchPlatformCalls();  // under Wine, a too-small buffer then gets the part of the value that fits
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x05");
  std::string longest = "0x" + std::string(1020, '0') + "3";  // 1023 characters
  SetHighlightVariable((longest + "0").c_str());
  SetRegistryHighlightText(Hive::kUser, kOwnKey, longest + "0");  // 2050 bytes
  std::vector<uint8_t> unterminated;
  for (char ch : longest + "4") unterminated.insert(unterminated.end(), {uint8_t(ch), 0});
  SetRegistryHighlight(Hive::kMachine, kOwnKey, REG_SZ, unterminated);  // exactly 2048 bytes
  EXPECT_EQ(HighlightFor(0x07), 0x05);

  SetRegistryHighlightText(Hive::kUser, kSharedKey, longest);  // 1023 and terminator fit
  EXPECT_EQ(HighlightFor(0x07), 0x03);
  SetHighlightVariable(longest.c_str());
  SetRegistryHighlightText(Hive::kUser, kSharedKey, "0x04");
  EXPECT_EQ(HighlightFor(0x07), 0x03);
}

TEST_F(HighlightTest, AShortUnterminatedValueTakesNothingFromAnEarlierLocation) {
  // The first location writes a longer text into the buffer but does not count.
  SetRegistryHighlight(Hive::kUser, kOwnKey, REG_EXPAND_SZ,
                       {'0', 0, 'x', 0, '4', 0, 'E', 0, '4', 0, 'E', 0, 0, 0});
  SetRegistryHighlight(Hive::kMachine, kOwnKey, REG_SZ, {'0', 0, 'x', 0, '1', 0});
  EXPECT_EQ(HighlightFor(0x07), 0x01);
}

// Seen from outside the library: with foreground equal to background, neither the environment
// nor any registry location is read, though the last location holds a setting.
TEST_F(HighlightTest, NoSettingIsReadWhenForegroundEqualsBackground) {
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x4E");
  const struct {
    int current, highlight;
    bool read;
  } cases[] = {{0x33, 0x07, false}, {0x00, 0x07, false}, {0xFF, 0x07, false}, {0x07, 0x4E, true}};
  for (const auto& c : cases) {
    WatchPlatformCalls();
    EXPECT_EQ(HighlightFor(c.current), c.highlight) << std::hex << c.current;
    EXPECT_EQ(SettingReads() > 0, c.read) << std::hex << c.current;
  }
}

// A location whose value does not count: every key opened is closed, before the next location
// is opened. The first three locations hold such a value, the last one a setting.
class UncountedValueTest : public HighlightTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(UncountedValueTest, ClosesEveryKeyItOpened) {
  const std::string kind = GetParam();
  const std::pair<Hive, const char*> uncounted[] = {
      {Hive::kUser, kOwnKey}, {Hive::kMachine, kOwnKey}, {Hive::kUser, kSharedKey}};
  for (const auto& [hive, key] : uncounted) {
    if (kind == "wrong type") SetRegistryHighlight(hive, key, REG_EXPAND_SZ, {'2', 0, 0, 0});
    if (kind == "no value") SetRegistryKeyWithoutHighlight(hive, key);
    if (kind == "too long") SetRegistryHighlightText(hive, key, "0x" + std::string(1100, '2'));
    if (kind == "empty") SetRegistryHighlightText(hive, key, "");
  }
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x05");
  // Natively only the effect shows: the stand-in has a handful of keys to give out, and keys
  // left open would use them up within a few calculations.
  for (int i = 0; i < 10; ++i) {
    WatchPlatformCalls();
    ASSERT_EQ(HighlightFor(0x07), 0x05) << kind << ", calculation " << i;
  }
  if (kRegistryCallsSeen) {
    std::string calls;
    for (const char* n : {"1", "2", "3", "4"}) {
      for (const char* call : {"RegOpenKeyExW ", "RegQueryValueExW ", "RegCloseKey "}) {
        calls += call + std::string(n) + "\n";
      }
    }
    EXPECT_EQ(RegistryCalls(), calls) << kind;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UncountedValueTest,
                         ::testing::Values("wrong type", "no value", "too long", "empty"));

}  // namespace
