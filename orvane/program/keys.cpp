#include "orvane/program/keys.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <deque>

#include "orvane/lib/console.h"
#include "orvane/lib/text.h"
#include "orvane/program/terminal.h"

namespace orvane {

namespace {

// A byte read too far, given back to the next read.
int pushedBack = -1;
// Keys typed while the shell waited for the terminal's answer to a question.
std::deque<Key> keptKeys;
int reportsAwaited = 0;       // questions about the cursor not yet answered
bool terminalAnswers = true;  // false once a question went unanswered
bool pasting = false;         // between the markers of a paste
bool pastedReturn = false;    // the last key of the paste was a carriage return

const int kNoByte = -1;
const int kInterrupted = -2;
const int kLongestSequence = 4096;
const int kReportWaitMs = 500;
// A paste whose end marker does not come within this pause is over all the same.
const int kPasteGiveUpMs = 500;

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

// Gives a byte read too far back to the next read.
void PushBack(int byte) {
  if (byte >= 0) pushedBack = byte;
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

// The parts of a control sequence (after ESC [ or ESC O, or their 8-bit forms): parameter
// bytes (0x30-0x3F), intermediate bytes (0x20-0x2F) and the final byte (0x40-0x7E).
struct Sequence {
  std::string params;
  std::string intermediates;
  int final = -1;  // -1: cut short, by a byte outside the grammar or by a pause
};

Sequence ReadSequence(int fd) {
  Sequence sequence;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = ReadByte(fd, kSequenceWaitMs);
    if (c >= 0x30 && c <= 0x3F && sequence.intermediates.empty()) {
      sequence.params += static_cast<char>(c);
    } else if (c == '$' && sequence.intermediates.empty()) {
      // rxvt ends its shifted keys (ESC [ 2 3 $, ESC [ 7 $) with "$": taken as an intermediate
      // byte, it would make the next key typed the final one.
      sequence.final = c;
      break;
    } else if (c >= 0x20 && c <= 0x3F) {
      sequence.intermediates += static_cast<char>(c);  // a parameter after one is malformed
    } else if (c >= 0x40 && c <= 0x7E) {
      sequence.final = c;
      break;
    } else {
      PushBack(c);  // what follows a sequence cut short is a key of its own
      break;
    }
  }
  return sequence;
}

// Reads `count` bytes that belong to the sequence just read, whatever they are.
void Skip(int fd, int count) {
  for (int i = 0; i < count && ReadByte(fd, kSequenceWaitMs) >= 0; ++i) {
  }
}

// A number of at most four digits from 1 to 9999, as a terminal counts its rows and columns;
// false for anything else (never an exception, whatever the bytes).
bool ParsePosition(const std::string& digits, int& value) {
  if (digits.empty() || digits.size() > 4) return false;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() && value >= 1;
}

// The answer to a question about the cursor: "ROW;COLUMN".
bool ParseReport(const std::string& params, Key& key) {
  size_t semicolon = params.find(';');
  if (semicolon == std::string::npos) return false;
  int row = 0, column = 0;
  if (!ParsePosition(params.substr(0, semicolon), row) ||
      !ParsePosition(params.substr(semicolon + 1), column)) {
    return false;
  }
  key.id = KeyId::kCursorReport;
  key.row = row;
  key.column = column;
  return true;
}

// The rest of a CSI sequence (ESC [ or 0x9B).
Key ReadCsi(int fd) {
  int first = ReadByte(fd, kSequenceWaitMs);
  if (first == '[') {  // the Linux console's F1 to F5: ESC [ [ A to E
    int final = ReadByte(fd, kSequenceWaitMs);
    if (final < 0x40 || final > 0x7E) PushBack(final);
    return Make(KeyId::kUnknown);
  }
  PushBack(first);
  Sequence sequence = ReadSequence(fd);
  if (sequence.final < 0 || !sequence.intermediates.empty()) return Make(KeyId::kUnknown);
  if (sequence.final == 'M' && sequence.params.empty()) {
    Skip(fd, 3);  // a mouse report: button, column and row follow as three bytes
    return Make(KeyId::kUnknown);
  }
  if (sequence.final == '~' && (sequence.params == "200" || sequence.params == "201")) {
    pasting = sequence.params == "200";  // the markers around a paste (bracketed paste mode)
    return Make(KeyId::kPasteEnd);
  }
  Key report;
  if (sequence.final == 'R' && reportsAwaited > 0 && ParseReport(sequence.params, report)) {
    --reportsAwaited;
    return report;
  }
  return Make(CsiKey(sequence.params, sequence.final));
}

// The character a number-pad key sends as ESC O and a final byte in application keypad mode
// (p to y for 0 to 9, then the operators and "."); 0 for any other final byte.
char16_t KeypadCharacter(int final) {
  if (final >= 'p' && final <= 'y') return static_cast<char16_t>('0' + (final - 'p'));
  switch (final) {
    case 'k':
      return u'+';
    case 'm':
      return u'-';
    case 'j':
      return u'*';
    case 'o':
      return u'/';
    case 'n':
      return u'.';
    case 'l':
      return u',';
    case 'X':
      return u'=';
    default:
      return 0;
  }
}

// The rest of an SS3 sequence (ESC O or 0x8F): keys that some terminals send in this form.
Key ReadSs3(int fd) {
  Sequence sequence = ReadSequence(fd);
  if (!sequence.params.empty() || !sequence.intermediates.empty()) {
    return Make(KeyId::kUnknown);  // with modifiers, such as ESC O 5 D
  }
  // ESC O c and ESC O d: Ctrl-Right and Ctrl-Left on some terminals; the rest as in CSI.
  if (sequence.final == 'c') return Make(KeyId::kWordRight);
  if (sequence.final == 'd') return Make(KeyId::kWordLeft);
  // The number pad in application keypad mode: its keys are what they say, typed.
  if (sequence.final == 'M') return Make(KeyId::kEnter);
  if (char16_t typed = KeypadCharacter(sequence.final)) {
    Key key = Make(KeyId::kCharacter, typed);
    key.text = std::u16string(1, typed);
    return key;
  }
  return Make(CsiKey("", sequence.final));
}

// The rest of a string sequence (ESC ], ESC P, ...): up to BEL or the string terminator
// (ESC \, or U+009C in UTF-8).
Key ReadStringSequence(int fd) {
  int previous = 0;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = ReadByte(fd, kSequenceWaitMs);
    if (c < 0 || c == 7 || (previous == 27 && c == '\\') || (previous == 0xC2 && c == 0x9C)) break;
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
      PushBack(next);
      break;
    }
    utf8 += static_cast<char>(next);
  }
  return utf8;
}

// A C1 control (0x80 to 0x9F), sent as a byte of its own or encoded in UTF-8: the 8-bit forms
// of CSI, SS3 and the string sequences are read like their ESC forms.
Key ReadC1(int fd, int control) {
  switch (control) {
    case 0x9B:
      return ReadCsi(fd);
    case 0x8F:
      return ReadSs3(fd);
    case 0x90:
    case 0x98:
    case 0x9D:
    case 0x9E:
    case 0x9F:
      return ReadStringSequence(fd);
    default:
      return Make(KeyId::kControl, static_cast<char16_t>(control));
  }
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
    case 'X':
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
    PushBack(first);
    return Make(KeyId::kEscape);
  }
  ReadUtf8(fd, first);  // Alt with any other character: read whole, and not inserted
  return Make(KeyId::kUnknown);
}

// One key, or the terminal's answer to a question, or a paste marker; waits at most
// `timeoutMs` for its first byte when that is not negative.
Key ReadOneKey(int fd, int timeoutMs) {
  int byte = ReadByte(fd, timeoutMs);
  if (byte < 0) {
    Key none;
    none.interrupted = byte == kInterrupted;
    return none;
  }
  if (byte == '\r' || byte == '\n') return Make(KeyId::kEnter);
  if (byte == 27) return ReadEscape(fd);
  if (byte == 127) return Make(KeyId::kBackspace, 8);
  if (byte < 0x20) return Make(ControlKey(byte), static_cast<char16_t>(byte));
  if (byte == 0x9B || byte == 0x8F) return ReadC1(fd, byte);  // never the start of UTF-8
  Key key = Make(KeyId::kCharacter);
  key.text = Wide(ReadUtf8(fd, byte));
  key.code = key.text[0];
  if (key.code >= 0x80 && key.code <= 0x9F) return ReadC1(fd, key.code);
  return key;
}

// A key of a paste: its text is text, not keys. Each line of it ends as Enter does (a carriage
// return and line feed together as one), a tab is a character of the line, and other control
// characters and escape sequences are left out.
Key ReadPastedKey(int fd, int timeoutMs) {
  int wait = timeoutMs >= 0 && timeoutMs < kPasteGiveUpMs ? timeoutMs : kPasteGiveUpMs;
  for (;;) {
    int byte = ReadByte(fd, wait);
    bool afterReturn = pastedReturn;
    pastedReturn = byte == '\r';
    if (byte == kNoByte && wait == kPasteGiveUpMs) {
      pasting = false;  // no end marker came: what follows is typed
      return Make(KeyId::kPasteEnd);
    }
    if (byte < 0) {
      Key none;
      none.interrupted = byte == kInterrupted;
      return none;
    }
    if (byte == '\r' || (byte == '\n' && !afterReturn)) return Make(KeyId::kEnter);
    if (byte == '\t') {
      Key tab = Make(KeyId::kCharacter, u'\t');
      tab.text = u"\t";
      return tab;
    }
    Key key;
    if (byte == 27) {
      // The end marker, or a sequence within the paste; an Escape alone is left out, and
      // what follows it is text.
      int next = ReadByte(fd, kSequenceWaitMs);
      if (next == '[') {
        key = ReadCsi(fd);
      } else {
        PushBack(next);
      }
    } else if (byte >= 0x20) {
      PushBack(byte);
      key = ReadOneKey(fd, 0);
    }
    if (key.id == KeyId::kCharacter || key.id == KeyId::kPasteEnd ||
        key.id == KeyId::kCursorReport) {
      return key;
    }
  }
}

// One key, or the terminal's answer to a question, from a paste or typed.
Key ReadKeyWithin(int fd, int timeoutMs) {
  for (;;) {
    Key key = pasting ? ReadPastedKey(fd, timeoutMs) : ReadOneKey(fd, timeoutMs);
    if (key.id != KeyId::kPasteEnd || !pasting) return key;  // the start is no key
  }
}

}  // namespace

Key ReadKey(int fd) {
  if (!keptKeys.empty()) {
    Key key = keptKeys.front();
    keptKeys.pop_front();
    return key;
  }
  Key key;
  do {
    key = ReadKeyWithin(fd, -1);
  } while (key.id == KeyId::kCursorReport);  // an answer that came too late
  return key;
}

bool KeyWaiting(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return !keptKeys.empty() || pushedBack >= 0 || poll(&p, 1, timeoutMs) > 0;
}

bool AskCursorPosition(int fd, int* row, int* column) {
  if (!terminalAnswers) return false;
  WriteOutput("\x1b[6n");
  ++reportsAwaited;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReportWaitMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    Key key = left > 0 ? ReadKeyWithin(fd, static_cast<int>(left)) : Key();
    if (key.id == KeyId::kCursorReport) {
      *row = key.row;
      *column = key.column;
      return true;
    }
    if (key.id != KeyId::kNone) {
      keptKeys.push_back(key);
    } else if (!key.interrupted) {
      terminalAnswers = false;
      return false;
    }
  }
}

}  // namespace orvane
