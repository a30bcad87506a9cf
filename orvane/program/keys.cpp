#include "orvane/program/keys.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "orvane/lib/text.h"
#include "orvane/program/terminal.h"

namespace orvane {

namespace {

// A byte read too far, given back to the next read.
int pushedBack = -1;

const int kNoByte = -1;
const int kInterrupted = -2;
const int kSequenceWaitMs = 50;  // the bytes of one escape sequence come together
const int kLongestSequence = 4096;

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
    sigset_t waiting = WaitingSignalMask();
    if (ppoll(&p, 1, nullptr, &waiting) < 0) return errno == EINTR ? kInterrupted : kNoByte;
  }
  unsigned char byte;
  ssize_t got = read(fd, &byte, 1);
  if (got == 1) return byte;
  return got < 0 && errno == EINTR ? kInterrupted : kNoByte;
}

Key Make(KeyId id, char16_t code = 0) {
  Key key;
  key.id = id;
  key.code = code;
  return key;
}

// The control codes, by their code.
KeyId ControlKey(int byte) {
  switch (byte) {
    case 1:
      return KeyId::kCtrlA;
    case 2:
      return KeyId::kCtrlB;
    case 3:
      return KeyId::kCtrlC;
    case 4:
      return KeyId::kCtrlD;
    case 5:
      return KeyId::kCtrlE;
    case 6:
      return KeyId::kCtrlF;
    case 7:
      return KeyId::kCtrlG;
    case 8:
      return KeyId::kBackspace;
    case 9:
      return KeyId::kTab;
    case 11:
      return KeyId::kCtrlK;
    case 12:
      return KeyId::kCtrlL;
    case 18:
      return KeyId::kCtrlR;
    case 21:
      return KeyId::kCtrlU;
    case 23:
      return KeyId::kCtrlW;
    case 25:
      return KeyId::kCtrlY;
    case 26:
      return KeyId::kCtrlZ;
    default:
      return KeyId::kControl;
  }
}

// The key a CSI sequence stands for: its parameters, then its final byte.
KeyId CsiKey(const std::string& params, int final) {
  bool plain = params.empty() || params == "1";
  // A modifier of 3 (Alt), 5 (Ctrl) or 7 (both) on Left and Right moves by word.
  bool word = params == "1;3" || params == "1;5" || params == "1;7" || params == "5";
  switch (final) {
    case 'A':
      return plain ? KeyId::kUp : KeyId::kUnknown;
    case 'B':
      return plain ? KeyId::kDown : KeyId::kUnknown;
    case 'C':
      return plain ? KeyId::kRight : word ? KeyId::kWordRight : KeyId::kUnknown;
    case 'D':
      return plain ? KeyId::kLeft : word ? KeyId::kWordLeft : KeyId::kUnknown;
    case 'H':
      return plain ? KeyId::kHome : KeyId::kUnknown;
    case 'F':
      return plain ? KeyId::kEnd : KeyId::kUnknown;
    case '~':
      if (params == "1" || params == "7") return KeyId::kHome;
      if (params == "4" || params == "8") return KeyId::kEnd;
      if (params == "3") return KeyId::kDelete;
      return KeyId::kUnknown;
    default:
      return KeyId::kUnknown;
  }
}

// The rest of "ESC [": parameter and intermediate bytes, then a final byte. A sequence cut
// short is a key the shell does not know; what follows it is a key of its own.
Key ReadCsi(int fd) {
  std::string params;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = ReadByte(fd, kSequenceWaitMs);
    if (c >= 0x20 && c <= 0x3F) {
      params += static_cast<char>(c);
    } else if (c >= 0x40 && c <= 0x7E) {
      return Make(CsiKey(params, c));
    } else {
      if (c >= 0) pushedBack = c;
      break;
    }
  }
  return Make(KeyId::kUnknown);
}

// The rest of "ESC O": one final byte.
Key ReadSs3(int fd) {
  switch (ReadByte(fd, kSequenceWaitMs)) {
    case 'A':
      return Make(KeyId::kUp);
    case 'B':
      return Make(KeyId::kDown);
    case 'C':
      return Make(KeyId::kRight);
    case 'D':
      return Make(KeyId::kLeft);
    case 'H':
      return Make(KeyId::kHome);
    case 'F':
      return Make(KeyId::kEnd);
    case 'c':
      return Make(KeyId::kWordRight);
    case 'd':
      return Make(KeyId::kWordLeft);
    default:
      return Make(KeyId::kUnknown);
  }
}

// The rest of a string sequence (ESC ], ESC P, ...): up to BEL or ESC \.
Key ReadStringSequence(int fd) {
  int previous = 0;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = ReadByte(fd, kSequenceWaitMs);
    if (c < 0 || c == 7 || (previous == 27 && c == '\\')) break;
    previous = c;
  }
  return Make(KeyId::kUnknown);
}

// Reads the continuation bytes of a UTF-8 character led by `lead`.
std::string ReadUtf8(int fd, int lead) {
  std::string utf8(1, static_cast<char>(lead));
  int more = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  for (int i = 0; i < more; ++i) {
    int next = ReadByte(fd, kSequenceWaitMs);
    if (next < 0) break;
    if ((next & 0xC0) != 0x80) {  // not a continuation: it starts the next key
      pushedBack = next;
      break;
    }
    utf8 += static_cast<char>(next);
  }
  return utf8;
}

// After ESC: a sequence, an Alt combination, or Escape alone.
Key ReadEscape(int fd) {
  int first = ReadByte(fd, kSequenceWaitMs);
  if (first < 0) return Make(KeyId::kEscape);
  switch (first) {
    case '[':
      return ReadCsi(fd);
    case 'O':
      return ReadSs3(fd);
    case ']':
    case 'P':
    case '_':
    case '^':
      return ReadStringSequence(fd);
    case 'b':
    case 'B':
      return Make(KeyId::kAltB);
    case 'f':
    case 'F':
      return Make(KeyId::kAltF);
    case 8:
    case 127:
      return Make(KeyId::kAltBackspace);
    default:
      break;
  }
  if (first < 0x20) {  // Escape, then a key of its own
    pushedBack = first;
    return Make(KeyId::kEscape);
  }
  ReadUtf8(fd, first);  // Alt with any other character: read whole, and not inserted
  return Make(KeyId::kUnknown);
}

}  // namespace

Key ReadKey(int fd) {
  int byte = ReadByte(fd, -1);
  if (byte < 0) {
    Key none;
    none.interrupted = byte == kInterrupted;
    return none;
  }
  if (byte == '\r' || byte == '\n') return Make(KeyId::kEnter);
  if (byte == 27) return ReadEscape(fd);
  if (byte == 127) return Make(KeyId::kBackspace, 8);
  if (byte < 0x20) return Make(ControlKey(byte), static_cast<char16_t>(byte));
  Key key = Make(KeyId::kCharacter);
  key.text = Wide(ReadUtf8(fd, byte));
  key.code = key.text[0];
  return key;
}

const char16_t* KeyName(KeyId id) {
  switch (id) {
    case KeyId::kEnter:
      return u"Enter";
    case KeyId::kBackspace:
      return u"Backspace";
    case KeyId::kDelete:
      return u"Del";
    case KeyId::kEscape:
      return u"Esc";
    case KeyId::kLeft:
      return u"Left";
    case KeyId::kRight:
      return u"Right";
    case KeyId::kUp:
      return u"Up";
    case KeyId::kDown:
      return u"Down";
    case KeyId::kHome:
      return u"Home";
    case KeyId::kEnd:
      return u"End";
    case KeyId::kWordLeft:
      return u"Ctrl-Left";
    case KeyId::kWordRight:
      return u"Ctrl-Right";
    case KeyId::kAltB:
      return u"Alt-B";
    case KeyId::kAltF:
      return u"Alt-F";
    case KeyId::kAltBackspace:
      return u"Alt-Backspace";
    case KeyId::kUnknown:
      return u"Unknown";
    default:
      return nullptr;  // characters and control codes
  }
}

}  // namespace orvane
