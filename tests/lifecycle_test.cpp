#include <string.h>

#include "tests/support/host_fixture.h"
#include "tests/support/shown.h"

namespace {

using LifecycleTest = PluginTest;

TEST_F(LifecycleTest, DescriptorIsFilledTheSameOnEveryCall) {
  PluginInfo* first = Plugin().GetPluginInfo();
  memset(first, 0x5A, offsetof(PluginInfo, build) + sizeof first->build);  // a host wrote over it
  PluginInfo* second = Plugin().GetPluginInfo();
  ASSERT_EQ(first, second);
  EXPECT_EQ(Narrow(first->name), "Sumbra");
  EXPECT_EQ(Narrow(first->author), "Tarrow");
  EXPECT_NE(Narrow(first->email).find('@'), std::string::npos);
  std::string page = Narrow(first->webPage);
  EXPECT_EQ(page.rfind("https://", 0), 0u);
  EXPECT_EQ(page.substr(page.find('/', 8)), "/plugins/sumbra.html");
  EXPECT_EQ(Narrow(first->description), "Do math at the command line.");
  EXPECT_EQ(Narrow(first->functions), "*key");
  EXPECT_EQ(first->major, 1);
  EXPECT_EQ(first->minor, 0);
  EXPECT_EQ(first->build, 1);
  // The storage set aside runs to 80 bytes; what follows `build` stays zero.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(first);
  for (int i = 60; i < 80; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST_F(LifecycleTest, ShutdownDoesNothing) {
  EXPECT_EQ(Plugin().ShutdownPlugin(), 0);
  EXPECT_EQ(Log(), "");
}

struct VersionCase {
  const char* version;
  bool namesKeys;
};
std::ostream& operator<<(std::ostream& out, const VersionCase& c) {
  return out << Shown(c.version);
}

class HostVersionTest : public PluginTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(HostVersionTest, DecidesWhetherEnterComesByName) {
  InitializeAsVersion(GetParam().version);
  RecorderScriptEvaluation("1", "1");
  Press(0, "=1", W("Enter"));
  EXPECT_EQ(!Log().empty(), GetParam().namesKeys) << GetParam().version;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, HostVersionTest,
    ::testing::Values(VersionCase{"24", true}, VersionCase{"31.01", true}, VersionCase{"98", true},
                      VersionCase{" 25", true}, VersionCase{"+25", true},
                      VersionCase{"\t\u300025x", true}, VersionCase{"23", false},
                      VersionCase{"99", false}, VersionCase{"-30", false}, VersionCase{"", false},
                      VersionCase{"v25", false}, VersionCase{"- 25", false},
                      VersionCase{"0x19", false},        // base 10: reads 0
                      VersionCase{"4294967320", false},  // beyond 32 bits: 4294967295
                      VersionCase{"-4294967272", true},  // minus wraps modulo 2^32 to 24
                      VersionCase{"%_4ver", false}));    // expansion left the reference

TEST_F(LifecycleTest, FailedVersionExpansionLeavesTheFlagClear) {
  InitializeAsVersion("25");
  RecorderFailExpansion(1);
  Plugin().InitializePlugin();
  RecorderReset();
  RecorderScriptEvaluation("1", "1");
  Press(0, "=1", W("Enter"));
  EXPECT_EQ(Log(), "");
}

struct LoadMessageCase {
  const char* transient;
  const char* pipe;
  const char* noloadmsg;  // null: not defined
  bool shown;
};
std::ostream& operator<<(std::ostream& out, const LoadMessageCase& c) {
  return out << c.transient << "," << c.pipe << "," << (c.noloadmsg ? c.noloadmsg : "(undefined)");
}

class LoadMessageTest : public PluginTest, public ::testing::WithParamInterface<LoadMessageCase> {};

TEST_P(LoadMessageTest, AppearsOnlyWhenTheHostIsInteractive) {
  const LoadMessageCase& c = GetParam();
  RecorderScriptVariable("_4ver", "25.0");
  RecorderScriptVariable("_transient", c.transient);
  RecorderScriptVariable("_pipe", c.pipe);
  if (c.noloadmsg) RecorderScriptVariable("noloadmsg", c.noloadmsg);
  EXPECT_EQ(Plugin().InitializePlugin(), 0);
  std::string expected =
      "ExpandVariables|%_4ver|1\nExpandVariables|%[_transient]%[_pipe]%[noloadmsg]|1\n";
  if (c.shown) expected += "Printf|Sumbra v1.0.1 loaded.\r\n\n";
  EXPECT_EQ(Log(), expected);
}

INSTANTIATE_TEST_SUITE_P(Variables, LoadMessageTest,
                         ::testing::Values(LoadMessageCase{"0", "0", nullptr, true},
                                           LoadMessageCase{"0", "0", "", true},
                                           LoadMessageCase{"1", "0", nullptr, false},
                                           LoadMessageCase{"0", "1", nullptr, false},
                                           LoadMessageCase{"0", "0", "yes", false},
                                           LoadMessageCase{"0", "", nullptr, false},
                                           LoadMessageCase{"00", "", nullptr, true},
                                           LoadMessageCase{"", "", nullptr, false}));

}  // namespace
