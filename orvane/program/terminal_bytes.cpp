#include "orvane/program/terminal_bytes.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "orvane/program/terminal.h"

namespace orvane {

int TerminalBytes::Read(int timeoutMs) {
  if (pushedBack_ >= 0) {
    int byte = pushedBack_;
    pushedBack_ = kNoByte;
    return byte;
  }
  pollfd p{fd_, POLLIN, 0};
  if (timeoutMs >= 0) {
    if (poll(&p, 1, timeoutMs) <= 0) return kNoByte;
  } else {
    sigset_t waiting = WaitingSignalMask();
    if (ppoll(&p, 1, nullptr, &waiting) < 0) return errno == EINTR ? kInterrupted : kNoByte;
  }
  unsigned char byte;
  ssize_t got = read(fd_, &byte, 1);
  if (got == 1) return byte;
  return got < 0 && errno == EINTR ? kInterrupted : kNoByte;
}

bool TerminalBytes::Waiting(int timeoutMs) const {
  if (pushedBack_ >= 0) return true;
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, timeoutMs) > 0;
}

}  // namespace orvane
