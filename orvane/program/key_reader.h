// The keys typed at the terminal in raw mode. One reader holds all that reading needs from one
// key to the next: a byte read too far, a paste under way, keys typed while the terminal was
// asked where its cursor is.
#pragma once

#include "orvane/program/bracketed_paste.h"
#include "orvane/program/cursor_handshake.h"
#include "orvane/program/key_grammar.h"
#include "orvane/program/keys.h"
#include "orvane/program/terminal_bytes.h"

namespace orvane {

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
