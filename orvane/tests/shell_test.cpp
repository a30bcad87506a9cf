// The orvane program end to end: through pipes, with -c, and at a pseudo-terminal with real
// raw-mode keystrokes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
  std::string out, err;
  int status = -1;  // exit code, or -1 when killed
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for the child at most `seconds`; kills it (and reports -1) when it hangs. Returns the
// exit code, or 128 and the signal that ended it.
int Reap(pid_t pid, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(5000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The shell under test sees no Highlight but what a test gives it: not the developer's
// environment, nor their registry files.
void IsolateSettings() {
  unsetenv("NO_COLOR");
  unsetenv("Highlight");
  setenv("SUMBRA_HKCU_REG", "/nonexistent/HKEY_CURRENT_USER.reg", 1);
  setenv("SUMBRA_HKLM_REG", "/nonexistent/HKEY_LOCAL_MACHINE.reg", 1);
}

std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// Runs orvane with `input` on its standard input (a file) and its output in files.
Outcome RunShell(std::vector<std::string> args, const std::string& input,
                 const std::vector<std::string>& env = {}) {
  char dir[] = "/tmp/orvane-test-XXXXXX";
  if (!mkdtemp(dir)) abort();
  std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out",
              err = std::string(dir) + "/err";
  std::ofstream(in, std::ios::binary) << input;
  args.insert(args.begin(), ORVANE_PROGRAM);
  pid_t pid = fork();
  if (pid == 0) {
    int i = open(in.c_str(), O_RDONLY), o = creat(out.c_str(), 0600), e = creat(err.c_str(), 0600);
    dup2(i, 0), dup2(o, 1), dup2(e, 2);
    IsolateSettings();
    for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
    execv(ORVANE_PROGRAM, Argv(args).data());
    _exit(127);
  }
  Outcome run;
  run.status = Reap(pid, 30);
  run.out = Slurp(out);
  run.err = Slurp(err);
  for (const std::string& f : {in, out, err}) unlink(f.c_str());
  rmdir(dir);
  return run;
}

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
  EXPECT_NE(run.err.find("Unexpected"), std::string::npos) << run.err;  // the U+FFFD line
  EXPECT_NE(run.out.find("2+2 = 4\n"), std::string::npos) << run.out;   // the last line, no \n
  EXPECT_NE(run.err.find("NUL"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("100001 characters"), std::string::npos) << run.err;
  EXPECT_EQ(run.status, 1);
}

TEST(PipeTest, ColoursOnlyWhenAskedAndNeverWithNoColor) {
  EXPECT_EQ(RunShell({}, "=1+1\n").out, "1+1 = 2\n");
  Outcome colored = RunShell({"--color=always"}, "=1+1\n");
  EXPECT_EQ(colored.out, "1+1 = \x1b[0;97;40m2\x1b[0m\n");
  EXPECT_EQ(RunShell({"--color=always"}, "=1+1\n", {"NO_COLOR=1"}).out, "1+1 = 2\n");
  Outcome blue = RunShell({"--color=always"}, "color 1E\n=1+1\n");
  EXPECT_EQ(blue.out, "\x1b[0;93;44m1+1 = \x1b[0;97;44m2\x1b[0;93;44m\n\x1b[0m");
}

TEST(PipeTest, HighlightSettingReachesTheHostsColourParser) {
  Outcome run = RunShell({"--color=always"}, "=1+1\n", {"Highlight=bright red"});
  EXPECT_EQ(run.out, "1+1 = \x1b[0;91;40m2\x1b[0m\n");
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

// A session at a pseudo-terminal.
class Terminal {
 public:
  explicit Terminal(std::vector<std::string> args = {}) {
    args.insert(args.begin(), ORVANE_PROGRAM);
    winsize size{24, 80, 0, 0};
    pid_ = forkpty(&fd_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      IsolateSettings();
      setenv("TERM", "xterm", 1);
      execv(ORVANE_PROGRAM, Argv(args).data());
      _exit(127);
    }
  }
  ~Terminal() {
    if (fd_ >= 0) close(fd_);
    if (pid_ > 0) Reap(pid_, 5);
  }
  void Type(const std::string& keys) {
    for (size_t done = 0; done < keys.size();) {
      ssize_t n = write(fd_, keys.data() + done, keys.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }
  // Reads until the screen output since the last call ends with `tail`; "" after 5 s.
  std::string ReadUntil(const std::string& tail) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < tail.size() || got.compare(got.size() - tail.size(), tail.size(), tail)) {
      pollfd p{fd_, POLLIN, 0};
      if (std::chrono::steady_clock::now() > deadline || poll(&p, 1, 100) < 0) return "";
      char chunk[65536];
      if (p.revents == 0) continue;
      ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n <= 0) return got;
      got.append(chunk, static_cast<size_t>(n));
    }
    return got;
  }
  // Waits for the shell to leave by itself, reading what it still shows.
  int Finish() {
    ReadUntil("\x01never\x01");  // until the terminal closes, or 5 s
    return HangUp();
  }
  // Closes the terminal, whatever the shell is doing.
  int HangUp() {
    close(fd_);
    fd_ = -1;
    int status = Reap(pid_, 5);
    pid_ = -1;
    return status;
  }

 private:
  int fd_ = -1;
  pid_t pid_ = -1;
};

const std::string kPrompt = "orvane> ";

TEST(TerminalTest, CalculatesWithTheResultHighlighted) {
  Terminal t;
  EXPECT_EQ(t.ReadUntil(kPrompt), "Sumbra v1.0.1 loaded.\r\n" + kPrompt);
  t.Type("=6*7");
  EXPECT_EQ(t.ReadUntil("=6*7"), "=6*7");  // each key echoed as typed
  t.Type("\r");
  // No blank line and nothing repeated: the result line, then the next prompt.
  EXPECT_EQ(t.ReadUntil(kPrompt), "\r\n6*7 = \x1b[0;97;40m42\x1b[0m\r\n" + kPrompt);
  t.Type("=%Ans*2\r");
  EXPECT_NE(t.ReadUntil(kPrompt).find("%Ans*2 = \x1b[0;97;40m84\x1b[0m\r\n" + kPrompt),
            std::string::npos);
  t.Type("color 1E\r=1\r");
  std::string screen = t.ReadUntil("1 = \x1b[0;97;44m1\x1b[0;93;44m\r\n" + kPrompt);
  EXPECT_NE(screen.find("\x1b[0;93;44m" + kPrompt + "=1\r\n"), std::string::npos) << screen;
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
  EXPECT_NE(screen.find("unknown command: \xef\xbf\xbd\xef\xbf\xbdx\xef\xbf\xbd("),
            std::string::npos)
      << screen;
  t.Type(std::string(100000, '7'));
  t.Type("\r");
  screen = t.ReadUntil(kPrompt);
  EXPECT_NE(screen.find("unknown command"), std::string::npos);
  EXPECT_EQ(screen.find(std::string(16384, '7')), std::string::npos);  // the line stopped
  t.Type("=1+");  // the terminal goes away in the middle of a line
  EXPECT_EQ(t.HangUp(), 128 + SIGHUP);
}

}  // namespace
