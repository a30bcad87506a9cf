// The orvane program end to end: through pipes, with -c, and at a pseudo-terminal with real
// raw-mode keystrokes.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "orvane/tests/shell_support.h"

namespace shell_test {
namespace {

// An expected text that ends in "..." need only begin the actual one.
std::string AsExpected(const std::string& actual, const std::string& expected) {
  size_t size = expected.size();
  bool prefix = size >= 3 && expected.compare(size - 3, 3, "...") == 0;
  return prefix && actual.compare(0, size - 3, expected, 0, size - 3) == 0 ? expected : actual;
}

TEST_P(PipeCaseTest, GivesExactlyThisOutput) {
  const PipeCase& c = GetParam();
  Outcome run = RunShell(c.args, c.input, c.env, c.output, c.memoryMb, c.ones, c.from, c.workDir);
  EXPECT_EQ(AsExpected(run.out, c.out), c.out);
  EXPECT_EQ(AsExpected(run.err, c.err), c.err);
  EXPECT_EQ(run.status, c.status);
}

const std::string kLongNumber(400, '1');
std::string Repeated(const std::string& text, size_t times) {
  std::string all;
  for (size_t i = 0; i < times; ++i) all += text;
  return all;
}
const std::string kUsage = "usage: orvane [options]\n...";

INSTANTIATE_TEST_SUITE_P(
    Cases, PipeCaseTest,
    ::testing::Values(
        // Variables: a name starts with a letter or "_", and its case does not matter.
        PipeCase{
            "PercentDigitIsRemainder", {}, "=10%3\n=7.5%2\n", "10%3 = 1\n7.5%2 = 1.5\n", "", 0},
        PipeCase{"NamesIgnoreCase",
                 {},
                 "=6*7\n=%ans+1\nset X=1\nset x=2\necho %X %[_PIPE] %Ans\n",
                 "6*7 = 42\n%ans+1 = 43\n2 1 43\n",
                 "",
                 0},
        PipeCase{"UndefinedVariableWarns",
                 {},
                 "=7.5%_pi\necho [%nope]\n",
                 "7.5%_pi = 7.5\n[]\n",
                 "orvane: line 1: warning: undefined variable _pi expands to nothing\n"
                 "orvane: line 2: warning: undefined variable nope expands to nothing\n",
                 0},
        PipeCase{"UndefinedVariableNamedWhenTheCalculationFails",
                 {},
                 "=%nosuch\n",
                 "",
                 "orvane: line 1: nothing to calculate (undefined variable nosuch)\n",
                 1},
        PipeCase{"ShellVariablesShowButCannotBeSet",
                 {},
                 "set _4VER\nset _pipe=5\nset _Transient=\necho %_pipe\nset\n",
                 "_4ver=25.0\n1\n_4ver=25.0\n_pipe=1\n_transient=0\n...",
                 "orvane: line 2: set: _pipe belongs to the shell and cannot be changed\n"
                 "orvane: line 3: set: _Transient belongs to the shell and cannot be changed\n",
                 1},
        PipeCase{"LoadMessageExpansionIsSilent",
                 {},
                 "=1\n",
                 "1 = 1\n",
                 "",
                 0,
                 {"noloadmsg=" + std::string(1100, 'x')}},
        // Line ends: LF, CRLF or a lone CR; a byte-order mark is skipped.
        PipeCase{"CarriageReturnEndsALine",
                 {},
                 "=1+1\r\r\n=2\r=3\n=4\r\n=1/0\n",
                 "1+1 = 2\n2 = 2\n3 = 3\n4 = 4\n",
                 "orvane: line 6: division by zero\n",
                 1},
        PipeCase{
            "CommandTextRunsLineByLine", {"-c", "=1\r=2\n=3"}, "", "1 = 1\n2 = 2\n3 = 3\n", "", 0},
        PipeCase{"ByteOrderMarkIsSkipped", {}, "\xEF\xBB\xBF=1+1\n", "1+1 = 2\n", "", 0},
        // Output is UTF-8: a pair as one character, a lone surrogate as U+FFFD.
        PipeCase{"OutputIsUtf8",
                 {},
                 "echo a\xF0\x9F\x98\x80"
                 "b %X.\n",
                 "a\xF0\x9F\x98\x80"
                 "b \xEF\xBF\xBD.\n",
                 "",
                 0,
                 {"X=\xED\xA0\xBD"}},
        // Input is strict UTF-8: one U+FFFD for each longest part that could start a character; a
        // surrogate encoded on its own is not UTF-8.
        PipeCase{"InputIsStrictUtf8",
                 {},
                 "echo \xED\xA0\xBD\xED\xB8\x80|\xE2\x82x|\xC0\xAF|\xF4\x90\x80\x80|\xE2\x82",
                 Repeated("\xEF\xBF\xBD", 6) + "|\xEF\xBF\xBDx|" + Repeated("\xEF\xBF\xBD", 2) +
                     "|" + Repeated("\xEF\xBF\xBD", 4) + "|\xEF\xBF\xBD\n",
                 "",
                 0},
        PipeCase{"SeveralCommandsRunInTurn",
                 {"-c", "=1", "-c", "=1/0\n=2\n", "-c", "exit 4", "-c", "=5"},
                 "",
                 "1 = 1\n2 = 2\n",
                 "orvane: line 2: division by zero\n",
                 4},
        // Results go out before the shell waits for more input, so that it can be a coprocess.
        PipeCase{"ResultsGoOutBeforeTheShellWaits",
                 {},
                 "=6*7\n",
                 "6*7 = 42\n",
                 "",
                 0,
                 {},
                 Output::kFile,
                 0,
                 0,
                 Input::kHeldOpen},
        PipeCase{"ReadErrorInTheMessageStyle",
                 {},
                 "",
                 "",
                 "orvane: read error: is a directory\n",
                 1,
                 {},
                 Output::kFile,
                 0,
                 0,
                 Input::kDirectory},
        // A message that quotes the line shows its control characters as ^X; echo prints them.
        PipeCase{"ControlCharactersInMessagesShowAsCaretLetters",
                 {},
                 "=1+\x1b[2J2\nfrob\x1b]0;title\x07\necho \x1b[1mX\n",
                 "\x1b[1mX\n",
                 "orvane: line 1: unexpected \"^[\" at position 3\n"
                 "orvane: line 2: unknown command: frob^[]0;title^G (type help for the list)\n",
                 1},
        PipeCase{"LongNumber", {}, "=" + kLongNumber + "*0\n", kLongNumber + "*0 = 0\n", "", 0},
        // Exit statuses and failed lines.
        PipeCase{"ExitTakesZeroTo255",
                 {},
                 "exit foo\nexit 256\n=1\nexit 0255\n=2\n",
                 "1 = 1\n",
                 "orvane: line 1: exit: foo is not a number from 0 to 255\n"
                 "orvane: line 2: exit: 256 is not a number from 0 to 255\n",
                 255},
        PipeCase{"ExitWithAnArgumentThatExpandsToNothingIsRefused",
                 {},
                 "exit %nosuch\n=1\n",
                 "1 = 1\n",
                 "orvane: line 1: warning: undefined variable nosuch expands to nothing\n"
                 "orvane: line 1: exit: %nosuch is not a number from 0 to 255 (it expands to "
                 "nothing)\n",
                 1},
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
                 {"Highlight=pink"}},
        // Messages: the line number, the problem in the user's words, and where.
        PipeCase{"MessagesSayWhatAndWhere",
                 {},
                 "=1\n=+\n=foo(2)\n=1,2\n=1 2\n=(1\n=1/0\n",
                 "1 = 1\n",
                 "orvane: line 2: a value is missing at position 2\n"
                 "orvane: line 3: unknown function \"foo\" at position 1\n"
                 "orvane: line 4: unexpected \",\" at position 2\n"
                 "orvane: line 5: an operator is missing before \"2\" at position 3\n"
                 "orvane: line 6: missing \")\" at position 3\n"
                 "orvane: line 7: division by zero\n",
                 1},
        PipeCase{"PositionsCountCharacters",
                 {},
                 "=\xC3\xA9\xF0\x9F\x98\x80+foo\n",
                 "",
                 "orvane: line 1: unexpected \"\xC3\xA9\" at position 1\n",
                 1},
        PipeCase{"MissingEqualsGetsAHint",
                 {},
                 "6*7\nfoo\n",
                 "",
                 "orvane: line 1: unknown command: 6*7 (to calculate, type =6*7)\n"
                 "orvane: line 2: unknown command: foo (type help for the list)\n",
                 1},
        PipeCase{"CalculationAfterBlanksSaysWhy",
                 {},
                 " =1+1\n\t:2\n",
                 "",
                 "orvane: line 1: a calculation starts at the beginning of the line: remove the "
                 "blanks before \"=\"\n"
                 "orvane: line 2: a calculation starts at the beginning of the line: remove the "
                 "blanks before \":\"\n",
                 1},
        PipeCase{"LabelLineGoesToTheCalculator",
                 {},
                 ":\n:hello\n",
                 "",
                 "orvane: line 2: unknown name \"hello\" at position 1\n",
                 1},
        // A long line is dropped as it is read: 20 million characters take no more memory than
        // a short line.
        PipeCase{"LongLineIsSkippedAndTheNextRuns",
                 {},
                 "=\n=2\n",
                 "2 = 2\n",
                 "orvane: line 1: the line is 20000001 UTF-16 code units long, more than the 16383 "
                 "that fit on the command line: skipped\n",
                 1,
                 {},
                 Output::kFile,
                 64,
                 20000000},
        // The longest line that fits is kept whole; one more character and it is skipped.
        PipeCase{"LongestLineIsKeptWhole",
                 {},
                 "echo " + std::string(16378, 'x') + "\necho " + std::string(16379, 'y') + "\n",
                 std::string(16378, 'x') + "\n",
                 "orvane: line 2: the line is 16384 UTF-16 code units long, more than the 16383 "
                 "that fit on the command line: skipped\n",
                 1},
        // The limit is in UTF-16 code units, and the message counts them: an emoji takes two.
        PipeCase{"LongLineCountsCodeUnits",
                 {},
                 "=" + Repeated("\xF0\x9F\x98\x80", 8192) + "\n=1\n",
                 "1 = 1\n",
                 "orvane: line 1: the line is 16385 UTF-16 code units long, more than the 16383 "
                 "that fit on the command line: skipped\n",
                 1},
        // Options.
        PipeCase{"HelpGoesToStandardOutput", {"--color=never", "--help"}, "", kUsage, "", 0},
        PipeCase{"VersionsOfBoth", {"--version"}, "", "orvane 25.0\nSumbra 1.0.1 (...", "", 0},
        PipeCase{"PluginThatCannotBeLoaded",
                 {"--plugin", "/nonexistent.so"},
                 "",
                 "",
                 "orvane: /nonexistent.so: cannot open shared object file: no such file or "
                 "directory\n",
                 2},
        PipeCase{"BadOptionIsNamed",
                 {"--bogus"},
                 "",
                 "",
                 "orvane: unknown option \"--bogus\"\n" + kUsage,
                 2},
        PipeCase{"OptionWithoutItsValue",
                 {"--color=never", "-c"},
                 "",
                 "",
                 "orvane: option -c needs the text to run\n" + kUsage,
                 2},
        // Write errors: one message and status 1; a broken pipe ends the shell quietly.
        PipeCase{"FullDevice",
                 {"-c", "=6*7"},
                 "",
                 "",
                 "orvane: write error: no space left on device\n",
                 1,
                 {},
                 Output::kFullDevice},
        PipeCase{"FullDeviceStopsTheShell",
                 {},
                 "echo " + std::string(10000, 'x') + "\n=1/0\n",
                 "",
                 "orvane: write error: no space left on device\n",
                 1,
                 {},
                 Output::kFullDevice},
        PipeCase{"ClosedOutput",
                 {"-c", "=6*7"},
                 "",
                 "",
                 "orvane: write error: bad file descriptor\n",
                 1,
                 {},
                 Output::kClosed},
        PipeCase{"BrokenPipe", {"-c", "=6*7"}, "", "", "", 128 + SIGPIPE, {}, Output::kBrokenPipe}),
    [](const ::testing::TestParamInfo<PipeCase>& info) { return std::string(info.param.name); });

TEST(PipeTest, PrintsExactlyTheResults) {
  Outcome run = RunShell({}, "=6*7\n=%Ans+1\n");
  EXPECT_EQ(run.out, "6*7 = 42\n%Ans+1 = 43\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
}

TEST(PipeTest, RunsCommandsAndVariables) {
  Outcome run = RunShell({}, "set x=5\n=%x+1\necho %Ans and %[x]\n: 2^10\n=10 % 3\n\n");
  EXPECT_EQ(run.out, "%x+1 = 6\n6 and 5\n2^10 = 1024\n10 % 3 = 1\n");
  EXPECT_EQ(run.status, 0);
}

TEST(PipeTest, FailedLinesSayWhyAndSetTheExitStatus) {
  Outcome run = RunShell({}, "=6*7\n=1/0\n=3*(\nfrobnicate\necho %Ans\n");
  EXPECT_EQ(run.out, "6*7 = 42\n42\n");
  EXPECT_NE(run.err.find("division by zero"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("position"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("unknown command: frobnicate"), std::string::npos) << run.err;
  EXPECT_EQ(run.status, 1);
}

TEST(PipeTest, BadInputGetsAMessageNeverACrash) {
  std::string longLine = "=" + std::string(100000, '1') + "\n";
  Outcome run = RunShell({}, std::string("=1\0+2\n", 6) + "=\xff\xfe\n" + longLine + "=2+2");
  EXPECT_NE(run.err.find("unexpected \"\xef\xbf\xbd\""), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("2+2 = 4\n"), std::string::npos) << run.out;  // the last line, no \n
  EXPECT_NE(run.err.find("NUL"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("100001 UTF-16 code units"), std::string::npos) << run.err;
  EXPECT_EQ(run.status, 1);
}

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

TEST(CommandTest, RunsOneLineAsATransientShell) {
  Outcome run = RunShell({"-c", "=2+3"}, "");
  EXPECT_EQ(run.out, "2+3 = 5\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(RunShell({"-c", "=2+"}, "").status, 1);
  EXPECT_EQ(RunShell({"-c", "exit 7"}, "").status, 7);
  EXPECT_EQ(RunShell({"--legacy-keys", "-c", "=2*4"}, "").out, "2*4 = 8\n");
  EXPECT_EQ(RunShell({"--bogus"}, "").status, 2);
  EXPECT_EQ(RunShell({"--plugin", "/nonexistent.so"}, "").status, 2);
}

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
                      SignalCase{"CtrlZWithoutJobControl", 0, "\x1a", After::kCarriesOn}),
    [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shell_test
