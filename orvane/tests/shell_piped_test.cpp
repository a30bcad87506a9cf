// The orvane program end to end with its input from a file or a pipe, or from -c: exactly what
// comes out on each stream, and the exit status.
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
    Piped, PipeCaseTest,
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
                 "=%_x+7.5\necho [%nope]\n",
                 "%_x+7.5 = 7.5\n[]\n",
                 "orvane: line 1: warning: undefined variable _x expands to nothing\n"
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
        PipeCase{"ACharacterCutShortIsNotWaitedOn",
                 {},
                 "echo caf\xE9\n",
                 "caf\xEF\xBF\xBD\n",
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
                 "6*7\nfoo\nx=5\n",
                 "",
                 "orvane: line 1: unknown command: 6*7 (to calculate, type =6*7)\n"
                 "orvane: line 2: unknown command: foo (type help for the list)\n"
                 "orvane: line 3: unknown command: x=5 (to set a variable, type set x=5)\n",
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
        PipeCase{"ShortVersion", {"-V"}, "", "orvane 25.0\n...", "", 0},
        PipeCase{"ShortHelpShowsACalculation",
                 {"-h"},
                 "",
                 "usage: orvane [options]\nA shell with the Sumbra calculator: a line such as "
                 "=6*7 prints 6*7 = 42...",
                 "",
                 0},
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
        PipeCase{
            "BrokenPipe", {"-c", "=6*7"}, "", "", "", 128 + SIGPIPE, {}, Output::kBrokenPipe}));

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

}  // namespace
}  // namespace shell_test
