// The keys typed at the terminal in raw mode. One reader holds all that reading needs from one
// key to the next: a byte read too far, a paste under way, keys typed while the terminal was
// asked where its cursor is.
#pragma once

#include <deque>

#include "orvane/program/keys.h"

namespace orvane {

// The bytes a terminal sends, read one at a time, with room to give back one read too far.
class TerminalBytes {
 public:
  static constexpr int kNoByte = -1;       // none came in time, or the input ended
  static constexpr int kInterrupted = -2;  // a signal ended the wait

  explicit TerminalBytes(int fd) : fd_(fd) {}

  // Reads a byte, waiting at most `timeoutMs` when it is not negative; kNoByte when none came,
  // kInterrupted when a signal ended the wait.
  int Read(int timeoutMs);
  // Gives a byte read too far back to the next read.
  void PushBack(int byte) {
    if (byte >= 0) pushedBack_ = byte;
  }
  // Whether a byte is waiting to be read, or comes within `timeoutMs`.
  bool Waiting(int timeoutMs) const;

 private:
  int fd_;
  int pushedBack_ = kNoByte;  // a byte read too far, given back to the next read
};

// How long the rest of an escape sequence may take to come after its first byte (a remote
// terminal may send it in two parts); Escape alone takes effect after this.
const int kSequenceWaitMs = 300;

// What a terminal sends for a key: UTF-8 characters, control codes, and escape sequences (CSI,
// SS3 and string sequences, in their ESC and 8-bit forms), each read to its end by its grammar
// whether the shell knows it or not, so that no part of one is taken for keys typed.
class KeyGrammar {
 public:
  explicit KeyGrammar(TerminalBytes& bytes) : bytes_(bytes) {}

  // One key, or the terminal's answer to a question, or a paste marker; waits at most
  // `timeoutMs` for its first byte when that is not negative.
  Key Read(int timeoutMs);
  // The rest of a CSI sequence, after ESC [ or its 8-bit form.
  Key ReadCsi();
  // A question about the cursor went to the terminal: the next ESC [ row ; column R is its
  // answer. With no question asked, the same bytes are a key (a modified F3 on some terminals).
  void AwaitCursorAnswer() { ++answersAwaited_; }

 private:
  Key ReadEscape();
  Key ReadC1(int control);

  TerminalBytes& bytes_;
  int answersAwaited_ = 0;  // questions about the cursor not yet answered
};

// Bracketed paste: the terminal puts ESC [ 200 ~ before a paste and ESC [ 201 ~ after it, and
// what comes between is text, not keys.
class BracketedPaste {
 public:
  BracketedPaste(TerminalBytes& bytes, KeyGrammar& grammar) : bytes_(bytes), grammar_(grammar) {}

  // One key, or the terminal's answer to a question, from a paste or typed; waits at most
  // `timeoutMs` for it when that is not negative. The end of a paste is kPasteEnd; its start
  // is no key.
  Key ReadKey(int timeoutMs);

 private:
  Key ReadPastedKey(int timeoutMs);

  TerminalBytes& bytes_;
  KeyGrammar& grammar_;
  bool pasting_ = false;       // between the markers of a paste
  bool pastedReturn_ = false;  // the last key of the paste was a carriage return
};

// Asking the terminal where its cursor is: the answer comes among the keys typed meanwhile,
// which are kept for later, and may not come at all.
class CursorHandshake {
 public:
  CursorHandshake(KeyGrammar& grammar, BracketedPaste& keys) : grammar_(grammar), keys_(keys) {}

  // Asks the terminal where its cursor is and waits a moment for the answer. False when no
  // answer came (and from then on without asking, for a terminal that does not answer).
  bool Ask(int* row, int* column);
  // The keys typed while the shell waited for an answer, first to last.
  bool HasKeptKey() const { return !kept_.empty(); }
  Key TakeKeptKey();

 private:
  KeyGrammar& grammar_;
  BracketedPaste& keys_;
  std::deque<Key> kept_;
  bool terminalAnswers_ = true;  // false once a question went unanswered
};

// All of the above for one terminal: what the shell reads keys with.
class KeyReader {
 public:
  explicit KeyReader(int fd)
      : bytes_(fd), grammar_(bytes_), paste_(bytes_, grammar_), handshake_(grammar_, paste_) {}
  // Its parts refer to each other.
  KeyReader(const KeyReader&) = delete;
  KeyReader& operator=(const KeyReader&) = delete;

  // Reads one keystroke: UTF-8 characters, control codes, and escape sequences, which are read
  // to their end by their grammar whether the shell knows them or not (the 8-bit forms, the
  // Linux console's function keys and mouse reports included).
  Key ReadKey();
  // Whether a key is waiting to be read, or comes within `timeoutMs`, so that the screen can
  // wait until all of them are taken.
  bool KeyWaiting(int timeoutMs) const;
  // Asks the terminal where its cursor is and waits a moment for the answer; keys typed
  // meanwhile are kept for ReadKey. False when no answer came (and from then on without asking,
  // for a terminal that does not answer).
  bool AskCursorPosition(int* row, int* column) { return handshake_.Ask(row, column); }

 private:
  TerminalBytes bytes_;
  KeyGrammar grammar_;
  BracketedPaste paste_;
  CursorHandshake handshake_;
};

}  // namespace orvane
