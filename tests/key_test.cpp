#include <stdlib.h>

#include <vector>

#include "platform/system.h"
#include "tests/support/host_fixture.h"
#include "tests/support/shown.h"

namespace {

std::string AnsValue() {
  WideChar value[64] = {};
  DWORD n = GetEnvironmentVariableW(W("Ans"), value, 64);
  return n < 64 ? Narrow(value) : "<too long>";
}

void ExpectHostBytesUntouched(const HostKeyRecord& r) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&r);
  for (size_t i = 20; i < 48; ++i) {
    if (i >= 24 && i < 32) continue;  // the line pointer
    EXPECT_EQ(bytes[i], kUntouched) << i;
  }
  for (unsigned char b : r.hostTail) EXPECT_EQ(b, kUntouched);
}

using KeyTest = PluginTest;

TEST_F(KeyTest, TypicalEventCallsTheHostInOrder) {
  RecorderSetAttribute(0x07);
  RecorderSetCursorRow(9);
  RecorderScriptEvaluation("6*7", "42");
  EXPECT_EQ(Press(13, "= 6*7"), 0);

  EXPECT_EQ(Log(),
            "CrLf\nGetAttribute\nEvaluate|6*7\nPrintf|6*7 = \nSetColors|15\nQPuts|42\n"
            "SetColors|7\nCrLf\nGetAbsCursorPosition\n");
  EXPECT_EQ(Line(), ": 6*7");
  EXPECT_EQ(AnsValue(), "42");
  EXPECT_EQ(record.info.homeRow, 9);
  EXPECT_EQ(record.info.row, 9);
  EXPECT_EQ(record.info.homeColumn, 0);
  EXPECT_EQ(record.info.column, 0);
  ExpectHostBytesUntouched(record);
}

TEST_F(KeyTest, NullRecordAndNullLineAreIgnored) {
  EXPECT_EQ(Plugin().key(nullptr), 0);
  record.info.keyCode = 13;
  record.info.line = nullptr;
  before = record;
  EXPECT_EQ(Plugin().key(&record.info), 0);
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(RecordUntouched());
}

// With a key code, the name is never read: an address that cannot be read proves it.
const WideChar* const kBadPointerName = reinterpret_cast<const WideChar*>(uintptr_t{8});

struct Trigger {
  int keyCode;
  const WideChar* keyName;
  const char* hostVersion;  // decides the key-name flag; null: a library never initialised
  bool fires;
};
std::ostream& operator<<(std::ostream& out, const Trigger& t) {
  return out << t.keyCode << " named "
             << (t.keyName && t.keyName != kBadPointerName ? Shown(Narrow(t.keyName)) : "(none)")
             << " on host " << (t.hostVersion ? Shown(t.hostVersion) : "(not initialised)");
}

class TriggerTest : public PluginTest, public ::testing::WithParamInterface<Trigger> {};

TEST_P(TriggerTest, OnlyEnterFires) {
  const Trigger& t = GetParam();
  if (t.hostVersion != nullptr) {
    InitializeAsVersion(t.hostVersion);
  } else {
    pressTo = &FreshPlugin();
  }
  RecorderScriptEvaluation("1", "1");
  EXPECT_EQ(Press(t.keyCode, "=1", t.keyName), 0);
  EXPECT_EQ(Line(), t.fires ? ":1" : "=1");
  EXPECT_EQ(Log().empty(), !t.fires) << Log();
  if (!t.fires) {
    EXPECT_TRUE(RecordUntouched());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TriggerTest,
    ::testing::Values(Trigger{13, nullptr, "10", true}, Trigger{13, nullptr, "25", true},
                      Trigger{13, W("Escape"), "25", true}, Trigger{13, kBadPointerName, "", true},
                      Trigger{10, nullptr, "25", false}, Trigger{0x0D0D, nullptr, "25", false},
                      Trigger{'=', nullptr, "25", false}, Trigger{0, W("Enter"), "25", true},
                      Trigger{0, W("eNTER"), "98", true}, Trigger{0, W("Enter"), "23", false},
                      Trigger{0, W("Enter"), "", false}, Trigger{0, nullptr, "25", false},
                      Trigger{0, W("Enter "), "25", false}, Trigger{0, W("Ente"), "25", false},
                      Trigger{0, W("Return"), "25", false},
                      Trigger{0, W("\u0130nter"), "25", false},
                      // Just loaded, the flag is clear: only key code 13 fires.
                      Trigger{0, W("Enter"), nullptr, false}, Trigger{13, nullptr, nullptr, true}));

struct LineCase {
  const char* line;
  const char* after;    // the host's buffer afterwards
  const char* printed;  // the Printf call, or "" for nothing at all
};
std::ostream& operator<<(std::ostream& out, const LineCase& c) {
  return out << Shown(c.line);
}

class LineTest : public PluginTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, RewritesAndTrims) {
  const LineCase& c = GetParam();
  for (const char* e : {"6*7", "=6*7", "\u200b6*7", "6*7\uffff"}) RecorderScriptEvaluation(e, "42");
  EXPECT_EQ(Press(13, c.line), 0);
  EXPECT_EQ(Line(), c.after);
  std::string log = Log();
  if (c.printed[0] == 0) {
    EXPECT_EQ(log, "");
    EXPECT_TRUE(RecordUntouched());  // ignored: KeyInfo keeps its values
  } else {
    EXPECT_NE(log.find(std::string("Printf|") + c.printed + "\n"), std::string::npos) << log;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineTest,
    ::testing::Values(LineCase{"=", ":", ""}, LineCase{"=   \t ", ":   \t ", ""},
                      LineCase{":6*7", ":6*7", "6*7 = "}, LineCase{"=6*7", ":6*7", "6*7 = "},
                      LineCase{"=\t 6*7 \t\r\n", ":\t 6*7 \t\r\n", "6*7 = "},
                      LineCase{" =6*7", " =6*7", ""}, LineCase{"6*7", "6*7", ""},
                      LineCase{"", "", ""}, LineCase{"==6*7", ":=6*7", "=6*7 = "},
                      // Spaces beyond ASCII: no-break, ideographic, line separator, en quad.
                      LineCase{"=\u00a0\u30006*7\u2028\u2000", ":\u00a0\u30006*7\u2028\u2000",
                               "6*7 = "},
                      // Not spaces: zero-width space, U+FFFF.
                      LineCase{"=\u200b6*7", ":\u200b6*7", "\u200b6*7 = "},
                      LineCase{"=6*7\uffff", ":6*7\uffff", "6*7\uffff = "}));

TEST_F(KeyTest, LongestLineIsHandledAndOneMoreIsIgnored) {
  std::string expression(16382, '1');
  RecorderScriptEvaluation(expression.c_str(), "ok");
  EXPECT_EQ(Press(13, "=" + expression + "1"), 0);
  EXPECT_EQ(Line()[0], ':');
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(RecordUntouched());

  EXPECT_EQ(Press(13, "=" + expression), 0);
  EXPECT_NE(Log().find("QPuts|ok"), std::string::npos);
}

TEST_F(KeyTest, FailedExpansionPrintsNothingAndKeepsAns) {
  SetEnvironmentVariableW(W("Ans"), W("5"));
  RecorderSetCursorRow(3);
  RecorderFailExpansion(1);
  EXPECT_EQ(Press(13, "=%Ans+1"), 0);
  EXPECT_EQ(Log(), "CrLf\nExpandVariables|%Ans+1|1\nGetAbsCursorPosition\n");
  EXPECT_EQ(AnsValue(), "5");
  EXPECT_EQ(record.info.homeRow, 3);
  EXPECT_EQ(record.info.column, 0);
}

TEST_F(KeyTest, FailedEvaluationPrintsNothingAndKeepsAns) {
  SetEnvironmentVariableW(W("Ans"), W("5"));
  RecorderSetCursorRow(4);
  EXPECT_EQ(Press(13, "=1/0"), 0);
  EXPECT_EQ(Log(), "CrLf\nGetAttribute\nEvaluate|1/0\nGetAbsCursorPosition\n");
  EXPECT_EQ(AnsValue(), "5");
  EXPECT_EQ(record.info.row, 4);
  EXPECT_EQ(record.info.homeColumn, 0);
}

TEST_F(KeyTest, AnsFeedsTheNextExpressionThroughTheEnvironment) {
  RecorderScriptEvaluation("6*7", "42");
  RecorderScriptEvaluation("42+1", "43");
  Press(13, "=6*7");
  RecorderReset();
  RecorderScriptEvaluation("42+1", "43");
  Press(13, "=%Ans+1");
  EXPECT_EQ(Log(),
            "CrLf\nExpandVariables|%Ans+1|1\nGetAttribute\nEvaluate|42+1\nPrintf|%Ans+1 = \n"
            "SetColors|15\nQPuts|43\nSetColors|7\nCrLf\nGetAbsCursorPosition\n");
  EXPECT_EQ(AnsValue(), "43");
}

TEST_F(KeyTest, AResultThatFillsTheBufferIsCutBeforeItsLastUnit) {
  // The host leaves no terminator: what is shown and kept ends within the buffer.
  RecorderScriptEvaluation("x", std::string(20000, '7').c_str());
  Press(13, "=x");
  std::string shown = std::string("QPuts|") + std::string(16383, '7') + "\n";
  EXPECT_NE(Log().find(shown), std::string::npos);
  std::vector<WideChar> ans(16384);
  EXPECT_EQ(GetEnvironmentVariableW(W("Ans"), ans.data(), 16384), 16383u);
}

TEST_F(KeyTest, AnExpansionThatFillsTheBufferIsCutBeforeItsLastUnit) {
  // The host leaves no terminator: what is evaluated ends within the buffer.
  RecorderScriptVariable("x", std::string(20000, '7').c_str());
  RecorderScriptEvaluation(std::string(16383, '7').c_str(), "1");
  Press(13, "=%x");
  EXPECT_NE(Log().find("Evaluate|" + std::string(16383, '7') + "\n"), std::string::npos);
  EXPECT_EQ(AnsValue(), "1");
}

TEST_F(KeyTest, ResultsBeyondAsciiReachAnsIntact) {
  // A lone surrogate included: the environment keeps what the host computed.
  WideString result = Wide("\u00e9\u4e2d") + WideChar(0xD800) + Wide("\U0001F600");
  RecorderScriptEvaluation("x", Narrow(result).c_str());
  Press(13, "=x");
  WideChar value[16] = {};
  EXPECT_EQ(GetEnvironmentVariableW(W("Ans"), value, 16), result.size());
  EXPECT_EQ(WideString(value), result);
}

}  // namespace
