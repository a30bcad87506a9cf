// Running the orvane program for the end-to-end tests: through files and pipes, and at a
// pseudo-terminal.
#include "orvane/tests/shell_support.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace shell_test {
namespace {

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
// environment, nor their registry files; and it keeps its history in `home`, not theirs.
void IsolateSettings(const std::string& home) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
  unsetenv("ORVANE_HISTFILE");
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

// Waits up to 5 s for the file at `path` to be there and hold something.
void WaitForContent(const std::string& path) {
  for (int tries = 0; tries < 500; ++tries, usleep(10000)) {
    std::error_code missing;
    uintmax_t size = std::filesystem::file_size(path, missing);
    if (!missing && size > 0) return;
  }
}

// The state letter in /proc: R running, S sleeping, T stopped; 0 when it is gone.
char StateOf(pid_t pid) {
  std::string stat = Slurp("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

}  // namespace

Outcome RunShell(std::vector<std::string> args, const std::string& input,
                 const std::vector<std::string>& env, Output output, long memoryMb, size_t ones,
                 Input from, const std::string& workDir) {
  char dir[] = "/tmp/orvane-test-XXXXXX";
  if (!mkdtemp(dir)) abort();
  std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out",
              err = std::string(dir) + "/err";
  {
    std::ofstream file(in, std::ios::binary);
    file << input.substr(0, ones > 0 ? 1 : input.size());
    for (size_t done = 0; done < ones; done += 1 << 20) {
      file << std::string(std::min<size_t>(ones - done, 1 << 20), '1');
    }
    if (ones > 0) file << input.substr(1);
  }
  args.insert(args.begin(), ORVANE_PROGRAM);
  int pipeEnds[2] = {-1, -1};
  if (output == Output::kBrokenPipe && pipe(pipeEnds) == 0) close(pipeEnds[0]);  // no reader
  int inputEnds[2] = {-1, -1};
  if (from == Input::kHeldOpen && pipe(inputEnds) != 0) abort();
  pid_t pid = fork();
  if (pid == 0) {
    int i = open(in.c_str(), O_RDONLY), o = creat(out.c_str(), 0600), e = creat(err.c_str(), 0600);
    if (from == Input::kDirectory) i = open(dir, O_RDONLY);
    if (from == Input::kHeldOpen) {
      i = inputEnds[0];
      close(inputEnds[1]);  // the input ends when the test closes its end
    }
    if (output == Output::kFullDevice) o = open("/dev/full", O_WRONLY);
    if (output == Output::kBrokenPipe) o = pipeEnds[1];
    dup2(i, 0);
    dup2(o, 1);
    dup2(e, 2);
    if (output == Output::kClosed) close(1);
    signal(SIGPIPE, SIG_DFL);  // as a shell starts a program, whatever the test runner does
    bool sanitized = false;
#if defined(__SANITIZE_ADDRESS__)
    sanitized = true;
#endif
    rlimit memory{static_cast<rlim_t>(memoryMb) << 20, static_cast<rlim_t>(memoryMb) << 20};
    if (memoryMb > 0 && !sanitized) setrlimit(RLIMIT_AS, &memory);
    IsolateSettings(dir);
    for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
    execv(ORVANE_PROGRAM, Argv(args).data());
    _exit(127);
  }
  if (pipeEnds[1] >= 0) close(pipeEnds[1]);
  Outcome run;
  if (from == Input::kHeldOpen) {
    close(inputEnds[0]);
    if (write(inputEnds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
      abort();
    }
    WaitForContent(out);
    run.out = Slurp(out);  // what came out while the shell waited for more
    close(inputEnds[1]);
  }
  run.status = Reap(pid, 30);
  if (from != Input::kHeldOpen) run.out = Slurp(out);
  run.err = Slurp(err);
  std::filesystem::remove_all(dir);
  return run;
}

std::ostream& operator<<(std::ostream& out, const PipeCase& c) {
  return out << c.name;
}

Terminal::Terminal(std::vector<std::string> args, bool asJob) {
  args.insert(args.begin(), ORVANE_PROGRAM);
  winsize size{24, 80, 0, 0};
  char home[] = "/tmp/orvane-terminal-XXXXXX";
  if (!mkdtemp(home)) abort();
  home_ = home;
  pid_ = forkpty(&fd_, nullptr, nullptr, &size);
  if (pid_ == 0) {
    IsolateSettings(home_);
    setenv("TERM", "xterm", 1);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    // Under AddressSanitizer, the shell's own handling of crashes is under test, not the
    // sanitizer's.
    const char* sanitizer = getenv("ASAN_OPTIONS");
    std::string options = std::string(sanitizer ? sanitizer : "") +
                          ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    pid_t job = asJob ? fork() : 0;
    if (job == 0) {
      if (asJob) {
        setpgid(0, 0);
        signal(SIGTTOU, SIG_IGN);
        tcsetpgrp(STDIN_FILENO, getpid());
        signal(SIGTTOU, SIG_DFL);
      }
      execv(ORVANE_PROGRAM, Argv(args).data());
      _exit(127);
    }
    setpgid(job, job);
    int status = 0;
    while (waitpid(job, &status, 0) < 0 && errno == EINTR) {
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  }
}

Terminal::~Terminal() {
  if (fd_ >= 0) close(fd_);
  if (pid_ > 0) Reap(pid_, 5);
  std::filesystem::remove_all(home_);
}

void Terminal::Type(const std::string& keys) {
  for (size_t done = 0; done < keys.size();) {
    pollfd p{fd_, POLLIN | POLLOUT, 0};
    if (poll(&p, 1, 5000) <= 0) break;
    if (p.revents & POLLIN) {
      char chunk[65536];
      ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n > 0) shown_.append(chunk, static_cast<size_t>(n));
    }
    if (p.revents & POLLOUT) {
      ssize_t n = write(fd_, keys.data() + done, std::min<size_t>(keys.size() - done, 4096));
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    } else if (!(p.revents & POLLIN)) {
      break;  // the terminal went away
    }
  }
}

std::string Terminal::ReadUntil(const std::string& tail) {
  std::string got;
  got.swap(shown_);
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

int Terminal::Finish() {
  ReadUntil("\x01never\x01");  // until the terminal closes, or 5 s
  return HangUp();
}

void Terminal::Signal(int signal) {
  kill(-tcgetpgrp(fd_), signal);
}

bool Terminal::WaitForMode(bool cooked) {
  for (int tries = 0; tries < 500; ++tries, usleep(10000)) {
    termios mode;
    if (tcgetattr(fd_, &mode) != 0) return false;
    bool canonical = (mode.c_lflag & ICANON) && (mode.c_lflag & ECHO);
    bool raw = !(mode.c_lflag & ICANON) && !(mode.c_lflag & ECHO);
    if (cooked ? canonical : raw) return true;
  }
  return false;
}

bool Terminal::WaitForStop() {
  pid_t shell = tcgetpgrp(fd_);
  for (int tries = 0; tries < 500; ++tries, usleep(10000)) {
    if (StateOf(shell) == 'T') return true;
  }
  return false;
}

int Terminal::Wait() {
  int status = Reap(pid_, 5);
  pid_ = -1;
  return status;
}

int Terminal::HangUp() {
  close(fd_);
  fd_ = -1;
  int status = Reap(pid_, 5);
  pid_ = -1;
  return status;
}

}  // namespace shell_test
