// What the end-to-end tests of the orvane program share: running it with its input and output
// in files, and a session at a pseudo-terminal, each with settings and a home of its own.
#pragma once

#include <gtest/gtest.h>
#include <stddef.h>
#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

namespace shell_test {

struct Outcome {
  std::string out, err;
  int status = -1;  // exit code, or -1 when killed
};

// Where the shell's standard output goes.
enum class Output { kFile, kFullDevice, kClosed, kBrokenPipe };
// Where its standard input comes from: a file; a directory, which cannot be read; or a pipe
// that stays open until the shell has written something, which is all the output there is.
enum class Input { kFile, kDirectory, kHeldOpen };

// Runs orvane with `input` on its standard input (a file) and its output in files, and with at
// most `memoryMb` of address space when that is given (not under AddressSanitizer, which
// reserves much more). `ones` characters "1" are written after the first character of
// `input`, so that a long line need not be held in the test's own memory. It runs in `workDir`
// when that is given.
Outcome RunShell(std::vector<std::string> args, const std::string& input,
                 const std::vector<std::string>& env = {}, Output output = Output::kFile,
                 long memoryMb = 0, size_t ones = 0, Input from = Input::kFile,
                 const std::string& workDir = "");

// One case of piped or -c input: exactly what comes out on each stream, and the exit status.
// Each feature's file has a table of them, and GivesExactlyThisOutput (with the piped input
// tests) runs every row.
struct PipeCase {
  const char* name;
  std::vector<std::string> args;
  std::string input, out, err;
  int status;
  std::vector<std::string> env = {};
  Output output = Output::kFile;
  long memoryMb = 0;  // the address space it may use; 0: no limit
  size_t ones = 0;    // "1" characters after the first character of the input
  Input from = Input::kFile;
  std::string workDir = "";  // where it runs; "": where the test runs
};
// A row prints as its name, which ctest's list takes for the test's.
std::ostream& operator<<(std::ostream& out, const PipeCase& c);

class PipeCaseTest : public ::testing::TestWithParam<PipeCase> {};

// A session at a pseudo-terminal.
class Terminal {
 public:
  // As a job, the shell runs in a process group of its own under a parent in the same session,
  // as a shell with job control starts it; then it can be stopped.
  explicit Terminal(std::vector<std::string> args = {}, bool asJob = false);
  ~Terminal();

  // Types the keys, taking what the shell shows meanwhile (for the next ReadUntil), so that
  // neither side waits for the other however much is typed.
  void Type(const std::string& keys);
  // Reads until the screen output since the last call ends with `tail`; "" after 5 s.
  std::string ReadUntil(const std::string& tail);
  // Waits for the shell to leave by itself, reading what it still shows.
  int Finish();
  // Signals the shell: the terminal's foreground process group, which is the shell's.
  void Signal(int signal);
  // Waits up to 5 s for the terminal to be cooked (canonical, echoing) or raw (neither).
  bool WaitForMode(bool cooked);
  // Waits up to 5 s for the shell to stop (a SIGCONT sent before it stops would be lost).
  bool WaitForStop();
  // Waits for the shell to end by itself, the terminal left open.
  int Wait();
  // Closes the terminal, whatever the shell is doing.
  int HangUp();

 private:
  int fd_ = -1;
  pid_t pid_ = -1;
  std::string home_;
  std::string shown_;  // what the shell showed while keys were typed
};

inline const std::string kPrompt = "orvane> ";

}  // namespace shell_test
