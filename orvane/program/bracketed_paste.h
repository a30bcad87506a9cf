// Bracketed paste: the terminal puts ESC [ 200 ~ before a paste and ESC [ 201 ~ after it, and
// what comes between is text, not keys.
#pragma once

#include <chrono>

#include "orvane/program/key_grammar.h"
#include "orvane/program/keys.h"
#include "orvane/program/terminal_bytes.h"

namespace orvane {

// How long the parts of one paste may be apart, as a terminal or a remote link sends it.
const int kPastePartGapMs = 10;

class BracketedPaste {
 public:
  BracketedPaste(TerminalBytes& bytes, KeyGrammar& grammar) : bytes_(bytes), grammar_(grammar) {}

  // One key, or the terminal's answer to a question, from a paste or typed; waits at most
  // `timeoutMs` for it when that is not negative. The end of a paste is kPasteEnd; its start
  // is no key.
  Key ReadKey(int timeoutMs);

 private:
  Key ReadPastedKey(int timeoutMs);
  // A byte of the paste; a wait longer than kPastePartGapMs for it is counted.
  int ReadPastedByte(int timeoutMs);

  TerminalBytes& bytes_;
  KeyGrammar& grammar_;
  bool pasting_ = false;                 // between the markers of a paste
  bool pastedReturn_ = false;            // the last key of the paste was a carriage return
  std::chrono::microseconds waited_{0};  // the pauses in this paste, since its start
};

}  // namespace orvane
