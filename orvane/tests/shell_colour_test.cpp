// The colours of orvane's output: only when asked for, the console's colours that color sets,
// and the Highlight the result is shown in.
#include <gtest/gtest.h>

#include <string>

#include "orvane/tests/shell_support.h"

namespace shell_test {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Colours, PipeCaseTest,
    ::testing::Values(
        PipeCase{"RefusedColourFails",
                 {},
                 "color 1\n",
                 "",
                 "orvane: line 1: color: give two hexadecimal digits, background then foreground "
                 "(like 1E)\n",
                 1},
        PipeCase{"ColourWithEqualColoursIsRefused",
                 {"--color=always"},
                 "color 11\necho x\n",
                 "x\n",
                 "orvane: line 1: color: 11 has the same background and foreground\n",
                 1},
        // A Highlight the host cannot read: the result in the current colours, and one
        // warning for each text, the first time.
        PipeCase{"UnreadableColourDescriptionIsNamedOnce",
                 {},
                 "=1\n=2\nset Highlight=purple\n=3\nset Highlight=pink\n=4\n",
                 "1 = 1\n2 = 2\n3 = 3\n4 = 4\n",
                 "orvane: line 1: warning: \"pink\" is not a colour description (such as "
                 "\"bright red on blue\")\n"
                 "orvane: line 4: warning: \"purple\" is not a colour description (such as "
                 "\"bright red on blue\")\n",
                 0,
                 {"Highlight=pink"}}));

TEST(PipeTest, ColoursOnlyWhenAskedAndNeverWithNoColor) {
  EXPECT_EQ(RunShell({}, "=1+1\n").out, "1+1 = 2\n");
  Outcome colored = RunShell({"--color=always"}, "=1+1\n");
  EXPECT_EQ(colored.out, "1+1 = \x1b[0;1m2\x1b[0m\n");  // bold, on the terminal's background
  EXPECT_EQ(RunShell({"--color=always"}, "=1+1\n", {"NO_COLOR=1"}).out, "1+1 = 2\n");
  Outcome blue = RunShell({"--color=always"}, "color 1E\n=1+1\n");
  EXPECT_EQ(blue.out, "\x1b[0;93;44m1+1 = \x1b[0;1;44m2\x1b[0;93;44m\n\x1b[0m");
}

TEST(PipeTest, HighlightSettingReachesTheHostsColourParser) {
  Outcome run = RunShell({"--color=always"}, "=1+1\n", {"Highlight=bright red"});
  EXPECT_EQ(run.out, "1+1 = \x1b[0;91m2\x1b[0m\n");
}

}  // namespace
}  // namespace shell_test
