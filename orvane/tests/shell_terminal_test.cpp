// The orvane program at a pseudo-terminal with real raw-mode keystrokes, and the terminal it
// leaves behind when a signal ends or stops it.
#include <gtest/gtest.h>
#include <signal.h>

#include <ostream>
#include <string>
#include <vector>

#include "orvane/tests/shell_support.h"

namespace shell_test {
namespace {

TEST(TerminalTest, CalculatesWithTheResultHighlighted) {
  Terminal t;
  // Raw mode comes with pastes marked (and goes with them, see SignalTest).
  EXPECT_EQ(t.ReadUntil(kPrompt), "Sumbra v1.0.1 loaded.\r\n\x1b[?2004h" + kPrompt);
  t.Type("=6*7");
  EXPECT_EQ(t.ReadUntil("=6*7"), "=6*7");  // each key echoed as typed
  t.Type("\r");
  // No blank line and nothing repeated: the result line, then the next prompt.
  EXPECT_EQ(t.ReadUntil(kPrompt), "\r\n6*7 = \x1b[0;1m42\x1b[0m\r\n" + kPrompt);
  t.Type("=%Ans*2\r");
  EXPECT_NE(t.ReadUntil(kPrompt).find("%Ans*2 = \x1b[0;1m84\x1b[0m\r\n" + kPrompt),
            std::string::npos);
  t.Type("color 1E\r=1\r");
  // On a painted screen, each new line is erased in the console's colours.
  std::string screen = t.ReadUntil("1 = \x1b[0;1;44m1\x1b[0;93;44m\r\n\x1b[K" + kPrompt);
  EXPECT_NE(screen.find(kPrompt + "=1\r\n\x1b[K1 = "), std::string::npos) << screen;
  t.Type("exit\r");
  EXPECT_EQ(t.Finish(), 0);
}

TEST(TerminalTest, EditsTheLineAndRecallsHistory) {
  Terminal t;
  t.ReadUntil(kPrompt);
  t.Type("=1+3\x1b[D\x1b[D2\x1b[F\r");  // Left, Left, 2, End: =12+3
  EXPECT_NE(t.ReadUntil(kPrompt).find("12+3 = "), std::string::npos);
  t.Type(
      "\x1b[A\x7f"
      "4\r");  // Up, Backspace, 4: =12+4
  EXPECT_NE(t.ReadUntil(kPrompt).find("12+4 = "), std::string::npos);
  t.Type("=1+\x03");  // Ctrl-C gives the line up
  EXPECT_NE(t.ReadUntil("^C\r\n" + kPrompt), "");
  t.Type("\x04");  // Ctrl-D on an empty line leaves
  EXPECT_EQ(t.Finish(), 0);
}

TEST(TerminalTest, SurvivesHostileInput) {
  Terminal t({"--legacy-keys"});
  t.ReadUntil(kPrompt);
  t.Type(std::string("\xff\xfe\x00\x1b[99~\x1bx\xc3(\r", 13));
  std::string screen = t.ReadUntil(kPrompt);
  // Escape sequences and Alt-x insert nothing; bytes that are not UTF-8 become U+FFFD.
  EXPECT_NE(screen.find("unknown command: \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd("),
            std::string::npos)
      << screen;
  // A quarter more keys than the line holds: the line stops at the host's limit.
  t.Type(std::string(20480, '7'));
  t.Type("\r");
  screen = t.ReadUntil(kPrompt);
  EXPECT_NE(screen.find("unknown command"), std::string::npos);
  EXPECT_EQ(screen.find(std::string(16384, '7')), std::string::npos);  // the line stopped
  t.Type("=1+");  // the terminal goes away in the middle of a line
  EXPECT_EQ(t.HangUp(), 128 + SIGHUP);
}

TEST(TerminalTest, PointsAtTheError) {
  Terminal t;
  t.ReadUntil(kPrompt);
  t.Type("=3*(\r");
  EXPECT_EQ(t.ReadUntil(kPrompt), "=3*(\r\n" + std::string(12, ' ') +
                                      "^\r\norvane: a value is missing at position 4\r\n" +
                                      kPrompt);
  t.Type("set x=3*(\r=%x+1\r");  // the expanded text above the caret
  EXPECT_NE(t.ReadUntil("position 6\r\n" + kPrompt)
                .find("=%x+1\r\n" + std::string(9, ' ') + "3*(+1\r\n" + std::string(14, ' ') +
                      "^\r\norvane: missing \")\" at position 6\r\n"),
            std::string::npos);
  t.Type("exit\r");
  EXPECT_EQ(t.Finish(), 1);
}

// A signal that ends the shell leaves the terminal cooked, and the shell dies by that signal
// (or, for a plug-in that calls exit(), leaves with its status).
// Stopping (SIGTSTP, or Ctrl-Z as a key) leaves it cooked; continuing makes it raw again, with
// the prompt and the line redrawn. Without job control, Ctrl-Z stops nothing and the shell
// carries on.
enum class After { kDies, kStops, kCarriesOn };
struct SignalCase {
  const char* name;
  int signal;        // sent to the shell, or the one it is to die by when `keys` are typed
  const char* keys;  // typed instead of sending the signal, or nullptr
  After after;
  std::vector<std::string> args = {};
  int status = -1;  // with kDies: the exit status, when it is not 128 and the signal
};
std::ostream& operator<<(std::ostream& out, const SignalCase& c) {
  return out << c.name;
}

class SignalTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalTest, TheTerminalComesBack) {
  const SignalCase& c = GetParam();
  Terminal t(c.args, c.after == After::kStops);
  t.ReadUntil(kPrompt);
  t.Type("=1+");
  t.ReadUntil("=1+");
  ASSERT_TRUE(t.WaitForMode(false));
  if (c.keys) {
    t.Type(c.keys);
  } else {
    t.Signal(c.signal);
  }
  if (c.after == After::kDies) {
    EXPECT_NE(t.ReadUntil("\x1b[0m\r\n\x1b[J").find("\x1b[?2004l"), std::string::npos)
        << "pastes are still marked";
    EXPECT_EQ(t.Wait(), c.status >= 0 ? c.status : 128 + c.signal);
    EXPECT_TRUE(t.WaitForMode(true)) << "the terminal was left raw";
    return;
  }
  if (c.after == After::kStops) {
    ASSERT_TRUE(t.WaitForStop());
    // No program can catch SIGSTOP: the terminal stays as it was.
    if (c.signal != SIGSTOP) {
      EXPECT_TRUE(t.WaitForMode(true)) << "the terminal was left raw";
      EXPECT_NE(t.ReadUntil("\x1b[0m\x1b[J").find("\x1b[?2004l"), std::string::npos);
    }
    t.Signal(SIGCONT);
  }
  std::string back = t.ReadUntil("\r\x1b[J" + kPrompt + "=1+");
  EXPECT_NE(back, "");
  if (c.after == After::kStops) {
    EXPECT_NE(back.find("\x1b[?2004h"), std::string::npos);
  }
  EXPECT_TRUE(t.WaitForMode(false));
  t.Type("2\r");
  EXPECT_NE(t.ReadUntil(kPrompt).find("1+2 = "), std::string::npos);
  t.Type("exit\r");
  EXPECT_EQ(t.Finish(), 0);
}

const std::vector<std::string> kCrashingPlugin = {"--plugin", CRASHING_PLUGIN};

INSTANTIATE_TEST_SUITE_P(
    Signals, SignalTest,
    ::testing::Values(SignalCase{"Interrupt", SIGINT, nullptr, After::kDies},
                      SignalCase{"Terminate", SIGTERM, nullptr, After::kDies},
                      SignalCase{"HangUp", SIGHUP, nullptr, After::kDies},
                      SignalCase{"Quit", SIGQUIT, nullptr, After::kDies},
                      SignalCase{"BrokenPipe", SIGPIPE, nullptr, After::kDies},
                      SignalCase{"Abort", SIGABRT, nullptr, After::kDies},
                      SignalCase{"SegmentationFault", SIGSEGV, nullptr, After::kDies},
                      SignalCase{"BusError", SIGBUS, nullptr, After::kDies},
                      SignalCase{"FloatingPointError", SIGFPE, nullptr, After::kDies},
                      SignalCase{"IllegalInstruction", SIGILL, nullptr, After::kDies},
                      // A plug-in that crashes, even by overflowing the stack.
                      SignalCase{"CrashInThePlugin", SIGSEGV, "s", After::kDies, kCrashingPlugin},
                      SignalCase{"StackOverflowInThePlugin", SIGSEGV, "o", After::kDies,
                                 kCrashingPlugin},
                      SignalCase{"ExitInThePlugin", 0, "x", After::kDies, kCrashingPlugin, 3},
                      SignalCase{"StopSignal", SIGTSTP, nullptr, After::kStops},
                      SignalCase{"UncatchableStop", SIGSTOP, nullptr, After::kStops},
                      SignalCase{"CtrlZ", SIGTSTP, "\x1a", After::kStops},
                      SignalCase{"CtrlZWithoutJobControl", 0, "\x1a", After::kCarriesOn}));

}  // namespace
}  // namespace shell_test
