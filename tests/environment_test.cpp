// The environment stand-in keeps Windows' return conventions over the real process environment.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/system.h"
#include "tests/support/text.h"

namespace {

TEST(EnvironmentTest, FollowsTheWindowsConventions) {
  unsetenv("SUMBRA_TEST_VAR");
  WideChar buffer[8] = {'#'};
  EXPECT_EQ(GetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), buffer, 8), 0u);

  ASSERT_TRUE(SetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), W("\u00e9t\u00e9")));
  EXPECT_STREQ(getenv("SUMBRA_TEST_VAR"), "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(GetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), buffer, 8), 3u);
  EXPECT_EQ(WideString(buffer), Wide("\u00e9t\u00e9"));
  EXPECT_EQ(GetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), buffer, 3), 4u);  // size needed

  ASSERT_TRUE(SetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), W("")));
  EXPECT_EQ(GetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), buffer, 8), 0u);
  ASSERT_TRUE(SetEnvironmentVariableW(W("SUMBRA_TEST_VAR"), nullptr));
  EXPECT_EQ(getenv("SUMBRA_TEST_VAR"), nullptr);
}

TEST(EnvironmentTest, RejectsNamesWindowsRejects) {
  EXPECT_FALSE(SetEnvironmentVariableW(W(""), W("x")));
  EXPECT_FALSE(SetEnvironmentVariableW(W("A=B"), W("x")));
  EXPECT_FALSE(SetEnvironmentVariableW(nullptr, W("x")));
}

TEST(EnvironmentTest, RepeatedAndAlternatingSetsKeepTheLatestValue) {
  WideString big(16383, 'y');
  for (const WideChar* name : {W("Ans"), W("SUMBRA_OTHER"), W("Ans")}) {
    ASSERT_TRUE(SetEnvironmentVariableW(name, W("1")));
    ASSERT_TRUE(SetEnvironmentVariableW(name, big.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(name, W("2")));
  }
  setenv("Ans", "from the host", 1);  // the host may set it too
  ASSERT_TRUE(SetEnvironmentVariableW(W("Ans"), W("3")));
  EXPECT_STREQ(getenv("Ans"), "3");
  EXPECT_STREQ(getenv("SUMBRA_OTHER"), "2");
}

}  // namespace
