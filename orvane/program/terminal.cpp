#include "orvane/program/terminal.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvane {

namespace {

// What raw mode turns off: line editing, echo, signal keys, and changes to what is typed.
const tcflag_t kRawOffLocal = ICANON | ECHO | ISIG | IEXTEN;
const tcflag_t kRawOffInput = ICRNL | IXON | ISTRIP | INLCR | IGNCR;

int terminalFd = -1;
termios saved, raw;
bool resetColours = false;             // standard output is the terminal too
volatile sig_atomic_t rawInForce = 0;  // the terminal is in raw mode, and the shell set it
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

// The terminal's foreground process group: the shell's, another's, or -1 when there is no
// terminal any more.
pid_t ForegroundGroup() {
  return terminalFd >= 0 ? tcgetpgrp(terminalFd) : -1;
}

bool InForeground() {
  return ForegroundGroup() == getpgrp();
}

// With raw mode, the terminal marks a paste, so that its text is not taken as keys; it stops
// with raw mode, for whoever has the terminal next.
const char kPasteMarksOn[] = "\x1b[?2004h";
const char kPasteMarksOff[] = "\x1b[?2004l";

// Writes to the terminal, from a signal handler too.
void Tell(const char* text, size_t length) {
  if (resetColours && length > 0 && write(STDOUT_FILENO, text, length) < 0) {
    // nowhere left to report it
  }
}

// Raw mode, with pastes marked.
bool SetRaw() {
  if (tcsetattr(terminalFd, TCSADRAIN, &raw) != 0) return false;
  Tell(kPasteMarksOn, sizeof kPasteMarksOn - 1);
  return true;
}

// Raw mode again, but only in the foreground: changing the terminal from the background would
// stop the shell with SIGTTOU.
void ReapplyRaw() {
  if (InForeground() && SetRaw()) {
    rawInForce = 1;
    resumed = 1;
  }
}

// Gives the terminal back as it was and writes `reset` (the terminal's own colours again), but
// only when the shell is in the foreground: from the background the terminal is another
// program's, and changing it would stop the shell (SIGTTOU, ignored here all the same). Like
// every change of mode here, it waits for output to drain and keeps what was typed ahead, which
// belongs to whoever reads the terminal next.
void GiveBack(const char* reset, size_t length) {
  if (!InForeground()) return;
  struct sigaction ignore = {}, previous;
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTTOU, &ignore, &previous);
  if (rawInForce) {
    Tell(kPasteMarksOff, sizeof kPasteMarksOff - 1);
    tcsetattr(terminalFd, TCSADRAIN, &saved);
  }
  rawInForce = 0;
  Tell(reset, length);
  sigaction(SIGTTOU, &previous, nullptr);
}

const char kResetToEnd[] = "\x1b[0m\x1b[J";          // the colours, below the cursor too
const char kResetOnNewLine[] = "\x1b[0m\r\n\x1b[J";  // the same on a line of its own

void RestoreAndDie(int signal) {
  GiveBack(kResetOnNewLine, sizeof kResetOnNewLine - 1);
  RaiseDefault(signal);  // the parent sees the true cause
}

// A plug-in that calls exit() leaves no object to restore the terminal: this does.
void RestoreAtExit() {
  GiveBack(kResetOnNewLine, sizeof kResetOnNewLine - 1);
  terminalFd = -1;
}

void StopHere(int) {
  int savedErrno = errno;
  GiveBack(kResetToEnd, sizeof kResetToEnd - 1);
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
// held back while the shell's handlers are in place and come through only while it waits (see
// WaitingSignalMask), so that the wait ends and the screen is redrawn whenever they happen.
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
  raw.c_iflag &= ~kRawOffInput;
  raw.c_lflag &= ~kRawOffLocal;
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
  static bool restoresAtExit = false;
  if (!restoresAtExit) restoresAtExit = atexit(RestoreAtExit) == 0;
  bool set;
  do {
    set = SetRaw();
  } while (!set && errno == EINTR);  // started in the background: it waits for the foreground
  rawInForce = set;
}

RawTerminal::~RawTerminal() {
  HandleSignals(false);
  GiveBack("", 0);
  terminalFd = -1;
}

sigset_t WaitingSignalMask() {
  sigset_t waiting;
  sigprocmask(SIG_SETMASK, nullptr, &waiting);
  sigdelset(&waiting, SIGTSTP);
  sigdelset(&waiting, SIGCONT);
  sigdelset(&waiting, SIGWINCH);
  return waiting;
}

void RawTerminal::Claim() {
  // In the background (after bg, say), nothing tells the shell that it is in the foreground
  // again (fg sends no signal to a running job): it looks ten times a second.
  for (pid_t group = ForegroundGroup(); group > 0 && group != getpgrp();
       group = ForegroundGroup()) {
    timespec pause = {0, 100 * 1000 * 1000};
    sigset_t waiting = WaitingSignalMask();
    ppoll(nullptr, 0, &pause, &waiting);
  }
  termios now;
  bool isRaw = tcgetattr(terminalFd, &now) == 0 && (now.c_lflag & kRawOffLocal) == 0 &&
               (now.c_iflag & kRawOffInput) == 0 && now.c_cc[VMIN] == raw.c_cc[VMIN] &&
               now.c_cc[VTIME] == raw.c_cc[VTIME];
  if (!isRaw) ReapplyRaw();  // changed behind the shell's back, by whoever had the terminal
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
