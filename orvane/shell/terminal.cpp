#include "orvane/shell/terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <initializer_list>

namespace orvane {

namespace {

int savedFd = -1;
termios saved;

void Restore() {
  if (savedFd >= 0) tcsetattr(savedFd, TCSAFLUSH, &saved);
}

void RestoreAndDie(int signal) {
  Restore();
  static const char reset[] = "\x1b[0m\r\n";
  if (write(STDOUT_FILENO, reset, sizeof reset - 1) < 0) {
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

RawTerminal::RawTerminal(int fd) {
  if (!isatty(fd) || tcgetattr(fd, &saved) != 0) return;
  termios raw = saved;
  // Output processing stays on, so "\n" still starts a new line at column 0.
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | IXON | ISTRIP | INLCR | IGNCR);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSAFLUSH, &raw) != 0) return;
  savedFd = fd;
  active_ = true;
  for (int s : {SIGTERM, SIGHUP, SIGQUIT}) signal(s, RestoreAndDie);
}

RawTerminal::~RawTerminal() {
  if (!active_) return;
  Restore();
  savedFd = -1;
}

}  // namespace orvane
