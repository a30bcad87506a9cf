#include "orvane/program/keys.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "orvane/lib/text.h"

namespace orvane {

namespace {

// A byte read too far, given back to the next read.
int pushedBack = -1;

const int kNoByte = -1;
const int kInterrupted = -2;

// Reads a byte, waiting at most `timeoutMs` when it is not negative; kNoByte when none came,
// kInterrupted when a signal ended the wait.
int ReadByte(int fd, int timeoutMs) {
  if (pushedBack >= 0) {
    int byte = pushedBack;
    pushedBack = -1;
    return byte;
  }
  pollfd p{fd, POLLIN, 0};
  if (timeoutMs >= 0) {
    if (poll(&p, 1, timeoutMs) <= 0) return kNoByte;
  } else {
    // The wait for a key is where stopping and continuing, held back otherwise, come through.
    sigset_t waiting;
    sigprocmask(SIG_SETMASK, nullptr, &waiting);
    sigdelset(&waiting, SIGTSTP);
    sigdelset(&waiting, SIGCONT);
    if (ppoll(&p, 1, nullptr, &waiting) < 0) return errno == EINTR ? kInterrupted : kNoByte;
  }
  unsigned char byte;
  ssize_t got = read(fd, &byte, 1);
  if (got == 1) return byte;
  return got < 0 && errno == EINTR ? kInterrupted : kNoByte;
}

Key Named(const char16_t* name) {
  Key key;
  key.name = name;
  return key;
}

// After ESC: "[A" and the like, or a lone Escape.
Key ReadEscape(int fd) {
  int first = ReadByte(fd, 50);
  if (first != '[' && first != 'O') {
    pushedBack = first;  // Escape, then a key of its own
    return Named(u"Esc");
  }
  std::string params;
  int c;
  while ((c = ReadByte(fd, 50)) >= 0 && ((c >= '0' && c <= '9') || c == ';')) params += char(c);
  switch (c) {
    case 'A':
      return Named(u"Up");
    case 'B':
      return Named(u"Down");
    case 'C':
      return Named(u"Right");
    case 'D':
      return Named(u"Left");
    case 'H':
      return Named(u"Home");
    case 'F':
      return Named(u"End");
    case '~':
      if (params == "1" || params == "7") return Named(u"Home");
      if (params == "4" || params == "8") return Named(u"End");
      if (params == "3") return Named(u"Del");
      break;
  }
  return Named(u"Unknown");
}

}  // namespace

Key ReadKey(int fd) {
  int byte = ReadByte(fd, -1);
  Key key;
  if (byte == kInterrupted) {
    key.interrupted = true;
    return key;
  }
  if (byte < 0) {
    key.end = true;
    return key;
  }
  if (byte == '\r' || byte == '\n') return Named(u"Enter");
  if (byte == 27) return ReadEscape(fd);
  if (byte == 127) {
    key.code = 8;
    key.name = u"Backspace";
    return key;
  }
  if (byte < 0x20) {  // control codes insert nothing
    key.code = static_cast<char16_t>(byte);
    return key;
  }
  std::string utf8(1, static_cast<char>(byte));
  int more = byte >= 0xF8 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
  for (int i = 0; i < more; ++i) {
    int next = ReadByte(fd, 50);
    if (next < 0) break;
    if ((next & 0xC0) != 0x80) {  // not a continuation: it starts the next key
      pushedBack = next;
      break;
    }
    utf8 += static_cast<char>(next);
  }
  key.text = Wide(utf8);
  key.code = key.text[0];
  return key;
}

}  // namespace orvane
