// The environment stand-in keeps Windows' return conventions over the real process environment.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

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

// Every spelling of `name` in the environment, ASCII case folded.
std::vector<std::string> Spellings(const char* name) {
  std::vector<std::string> found;
  for (char** item = environ; *item != nullptr; ++item) {
    size_t length = strcspn(*item, "=");
    if (length == strlen(name) && strncasecmp(*item, name, length) == 0) {
      found.emplace_back(*item, length);
    }
  }
  return found;
}

TEST(EnvironmentTest, NamesIgnoreCase) {
  struct Step {
    const char* name;
    const WideChar* value;  // nullptr: remove
  };
  const Step steps[] = {
      {"Sumbra_Case", W("1")},  {"SUMBRA_CASE", W("2")},  // replaces Sumbra_Case
      {"Ans", W("3")},          {"ANS", W("4")},          // the plug-in's own slot
      {"sumbra_case", nullptr},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(SetEnvironmentVariableW(Wide(step.name).c_str(), step.value));
    std::vector<std::string> expected;
    if (step.value) expected.push_back(step.name);
    EXPECT_EQ(Spellings(step.name), expected);
    WideChar buffer[8];
    std::string lower = step.name;
    for (char& c : lower) c = static_cast<char>(tolower(c));
    DWORD n = GetEnvironmentVariableW(Wide(lower).c_str(), buffer, 8);
    EXPECT_EQ(WideString(buffer, n), step.value ? step.value : W(""));
  }
  setenv("SUMBRA_TWICE", "exact", 1);  // an inherited environment may hold both spellings
  setenv("sumbra_twice", "other", 1);
  WideChar buffer[8];
  EXPECT_EQ(GetEnvironmentVariableW(W("SUMBRA_TWICE"), buffer, 8), 5u);
  EXPECT_EQ(WideString(buffer), W("exact"));
}

}  // namespace
