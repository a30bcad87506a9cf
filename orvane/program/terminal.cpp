#include "orvane/program/terminal.h"

#include <errno.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvane {

namespace {

int terminalFd = -1;
termios saved, raw;
bool resetColours = false;  // standard output is the terminal too
volatile sig_atomic_t resumed = 0;
volatile sig_atomic_t resized = 0;

// Every signal whose default action ends the process (SIGKILL cannot be caught).
const int kFatalSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,   SIGTRAP,   SIGABRT,
                             SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,  SIGUSR2,   SIGPIPE,
                             SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ,  SIGVTALRM, SIGPROF,
                             SIGIO,   SIGPWR,  SIGSYS,  SIGSTKFLT};

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK;  // no SA_RESTART: a wait for a key ends, to redraw on resuming
  sigaction(signal, &action, nullptr);
}

// Raises `signal` with its default action in force, from within its own handler.
void RaiseDefault(int signal) {
  Handle(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
}

// Raw mode again, but only in the foreground: changing the terminal from the background would
// stop the shell with SIGTTOU.
void ReapplyRaw() {
  if (terminalFd >= 0 && tcgetpgrp(terminalFd) == getpgrp() &&
      tcsetattr(terminalFd, TCSADRAIN, &raw) == 0) {
    resumed = 1;
  }
}

// The terminal's own colours again, from the cursor to the end of the screen.
template <size_t N>
void ResetColours(const char (&reset)[N]) {
  if (resetColours && write(STDOUT_FILENO, reset, N - 1) < 0) {
    // nowhere left to report it
  }
}

void RestoreAndDie(int signal) {
  if (terminalFd >= 0) tcsetattr(terminalFd, TCSAFLUSH, &saved);
  ResetColours("\x1b[0m\r\n\x1b[J");
  RaiseDefault(signal);  // the parent sees the true cause
}

void StopHere(int) {
  int savedErrno = errno;
  if (terminalFd >= 0) tcsetattr(terminalFd, TCSADRAIN, &saved);
  ResetColours("\x1b[0m\x1b[J");
  RaiseDefault(SIGTSTP);  // stopped here until SIGCONT; an orphaned process group ignores it
  Handle(SIGTSTP, StopHere);
  ReapplyRaw();
  errno = savedErrno;
}

void NoteResize(int) {
  resized = 1;
}

void Resume(int) {
  int savedErrno = errno;
  ReapplyRaw();
  errno = savedErrno;
}

// The shell's handlers, or the default actions again. Stopping, continuing and resizing are
// held back while the shell's handlers are in place and come through only while it waits for
// a key (ReadKey lets them in), so that the wait ends and the screen is redrawn whenever they
// happen.
void HandleSignals(bool ours) {
  for (int s : kFatalSignals) Handle(s, ours ? RestoreAndDie : SIG_DFL);
  Handle(SIGTSTP, ours ? StopHere : SIG_DFL);
  Handle(SIGCONT, ours ? Resume : SIG_DFL);
  Handle(SIGWINCH, ours ? NoteResize : SIG_DFL);
  sigset_t jobControl;
  sigemptyset(&jobControl);
  sigaddset(&jobControl, SIGTSTP);
  sigaddset(&jobControl, SIGCONT);
  sigaddset(&jobControl, SIGWINCH);
  sigprocmask(ours ? SIG_BLOCK : SIG_UNBLOCK, &jobControl, nullptr);
}

}  // namespace

RawTerminal::RawTerminal(int fd) {
  if (!isatty(fd) || tcgetattr(fd, &saved) != 0) return;
  raw = saved;
  // Output processing stays on, so "\n" still starts a new line at column 0.
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | IXON | ISTRIP | INLCR | IGNCR);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;

  static char alternateStack[1 << 16];
  stack_t stack = {};
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  sigaltstack(&stack, nullptr);
  resetColours = isatty(STDOUT_FILENO);
  terminalFd = fd;
  HandleSignals(true);
  int set;
  do {
    set = tcsetattr(fd, TCSAFLUSH, &raw);
  } while (set != 0 && errno == EINTR);  // started in the background: it waits for the foreground
  active_ = set == 0;
}

RawTerminal::~RawTerminal() {
  HandleSignals(false);
  if (terminalFd >= 0) tcsetattr(terminalFd, TCSAFLUSH, &saved);
  terminalFd = -1;
}

void RawTerminal::Suspend() {
  kill(0, SIGTSTP);  // taken at the next wait for a key; the handler gives the terminal back
}

bool RawTerminal::TakeResized() {
  bool was = resized != 0;
  resized = 0;
  return was;
}

int RawTerminal::Columns() const {
  winsize size{};
  if (terminalFd >= 0 && ioctl(terminalFd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    return size.ws_col;
  }
  return 80;
}

bool RawTerminal::TakeResumed() {
  bool was = resumed != 0;
  resumed = 0;
  return was;
}

}  // namespace orvane
