#include "orvane/program/key_grammar.h"

#include <charconv>
#include <string>

#include "orvane/lib/text.h"

namespace orvane {

namespace {

const int kLongestSequence = 4096;

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

Sequence ReadSequence(TerminalBytes& bytes) {
  Sequence sequence;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = bytes.Read(kSequenceWaitMs);
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
      bytes.PushBack(c);  // what follows a sequence cut short is a key of its own
      break;
    }
  }
  return sequence;
}

// Reads `count` bytes that belong to the sequence just read, whatever they are.
void Skip(TerminalBytes& bytes, int count) {
  for (int i = 0; i < count && bytes.Read(kSequenceWaitMs) >= 0; ++i) {
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
Key ReadSs3(TerminalBytes& bytes) {
  Sequence sequence = ReadSequence(bytes);
  if (!sequence.params.empty() || !sequence.intermediates.empty()) {
    return MakeKey(KeyId::kUnknown);  // with modifiers, such as ESC O 5 D
  }
  // ESC O c and ESC O d: Ctrl-Right and Ctrl-Left on some terminals; the rest as in CSI.
  if (sequence.final == 'c') return MakeKey(KeyId::kWordRight);
  if (sequence.final == 'd') return MakeKey(KeyId::kWordLeft);
  // The number pad in application keypad mode: its keys are what they say, typed.
  if (sequence.final == 'M') return MakeKey(KeyId::kEnter);
  if (char16_t typed = KeypadCharacter(sequence.final)) {
    Key key = MakeKey(KeyId::kCharacter, typed);
    key.text = std::u16string(1, typed);
    return key;
  }
  return MakeKey(CsiKey("", sequence.final));
}

// The rest of a string sequence (ESC ], ESC P, ...): up to BEL or the string terminator
// (ESC \, or U+009C in UTF-8).
Key ReadStringSequence(TerminalBytes& bytes) {
  int previous = 0;
  for (int length = 0; length < kLongestSequence; ++length) {
    int c = bytes.Read(kSequenceWaitMs);
    if (c < 0 || c == 7 || (previous == 27 && c == '\\') || (previous == 0xC2 && c == 0x9C)) break;
    previous = c;
  }
  return MakeKey(KeyId::kUnknown);
}

// Reads the continuation bytes of a UTF-8 character led by `lead`.
std::string ReadUtf8(TerminalBytes& bytes, int lead) {
  std::string utf8(1, static_cast<char>(lead));
  int more = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  for (int i = 0; i < more; ++i) {
    int next = bytes.Read(kSequenceWaitMs);
    if (next < 0) break;
    if ((next & 0xC0) != 0x80) {  // not a continuation: it starts the next key
      bytes.PushBack(next);
      break;
    }
    utf8 += static_cast<char>(next);
  }
  return utf8;
}

}  // namespace

Key KeyGrammar::Read(int timeoutMs) {
  int byte = bytes_.Read(timeoutMs);
  if (byte < 0) {
    Key none;
    none.interrupted = byte == TerminalBytes::kInterrupted;
    return none;
  }
  if (byte == '\r' || byte == '\n') return MakeKey(KeyId::kEnter);
  if (byte == 27) return ReadEscape();
  if (byte == 127) return MakeKey(KeyId::kBackspace, 8);
  if (byte < 0x20) return MakeKey(ControlKey(byte), static_cast<char16_t>(byte));
  if (byte == 0x9B || byte == 0x8F) return ReadC1(byte);  // never the start of UTF-8
  Key key = MakeKey(KeyId::kCharacter);
  key.text = Wide(ReadUtf8(bytes_, byte));
  key.code = key.text[0];
  if (key.code >= 0x80 && key.code <= 0x9F) return ReadC1(key.code);
  return key;
}

Key KeyGrammar::ReadCsi() {
  int first = bytes_.Read(kSequenceWaitMs);
  if (first == '[') {  // the Linux console's F1 to F5: ESC [ [ A to E
    int final = bytes_.Read(kSequenceWaitMs);
    if (final < 0x40 || final > 0x7E) bytes_.PushBack(final);
    return MakeKey(KeyId::kUnknown);
  }
  bytes_.PushBack(first);
  Sequence sequence = ReadSequence(bytes_);
  if (sequence.final < 0 || !sequence.intermediates.empty()) return MakeKey(KeyId::kUnknown);
  if (sequence.final == 'M' && sequence.params.empty()) {
    Skip(bytes_, 3);  // a mouse report: button, column and row follow as three bytes
    return MakeKey(KeyId::kUnknown);
  }
  if (sequence.final == '~' && (sequence.params == "200" || sequence.params == "201")) {
    // The markers around a paste (bracketed paste mode).
    return MakeKey(sequence.params == "200" ? KeyId::kPasteStart : KeyId::kPasteEnd);
  }
  Key report;
  if (sequence.final == 'R' && answersAwaited_ > 0 && ParseReport(sequence.params, report)) {
    --answersAwaited_;
    return report;
  }
  return MakeKey(CsiKey(sequence.params, sequence.final));
}

// A C1 control (0x80 to 0x9F), sent as a byte of its own or encoded in UTF-8: the 8-bit forms
// of CSI, SS3 and the string sequences are read like their ESC forms.
Key KeyGrammar::ReadC1(int control) {
  switch (control) {
    case 0x9B:
      return ReadCsi();
    case 0x8F:
      return ReadSs3(bytes_);
    case 0x90:
    case 0x98:
    case 0x9D:
    case 0x9E:
    case 0x9F:
      return ReadStringSequence(bytes_);
    default:
      return MakeKey(KeyId::kControl, static_cast<char16_t>(control));
  }
}

// After ESC: a sequence, an Alt combination, or Escape alone.
Key KeyGrammar::ReadEscape() {
  int first = bytes_.Read(kSequenceWaitMs);
  if (first < 0) return MakeKey(KeyId::kEscape);
  switch (first) {
    case '[':
      return ReadCsi();
    case 'O':
      return ReadSs3(bytes_);
    case ']':
    case 'P':
    case 'X':
    case '_':
    case '^':
      return ReadStringSequence(bytes_);
    case 'b':
    case 'B':
      return MakeKey(KeyId::kAltB);
    case 'f':
    case 'F':
      return MakeKey(KeyId::kAltF);
    case 8:
    case 127:
      return MakeKey(KeyId::kAltBackspace);
    default:
      break;
  }
  if (first < 0x20) {  // Escape, then a key of its own
    bytes_.PushBack(first);
    return MakeKey(KeyId::kEscape);
  }
  ReadUtf8(bytes_, first);  // Alt with any other character: read whole, and not inserted
  return MakeKey(KeyId::kUnknown);
}

}  // namespace orvane
