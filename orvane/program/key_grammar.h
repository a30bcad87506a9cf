// What a terminal sends for a key: UTF-8 characters, control codes, and escape
// sequences (CSI, SS3 and string sequences, in their ESC and 8-bit forms), each
// read to its end by its grammar whether the shell knows it or not, so that no
// part of one is taken for keys typed.
#pragma once

#include "orvane/program/keys.h"
#include "orvane/program/terminal_bytes.h"

namespace orvane {

// How long the rest of an escape sequence may take to come after its first byte
// (a remote terminal may send it in two parts); Escape alone takes effect after
// this.
const int kSequenceWaitMs = 300;

class KeyGrammar {
 public:
  explicit KeyGrammar(TerminalBytes& bytes) : bytes_(bytes) {}

  // One key, or the terminal's answer to a question, or a paste marker; waits
  // at most `timeoutMs` for its first byte when that is not negative.
  Key Read(int timeoutMs);
  // The rest of a CSI sequence, after ESC [ or its 8-bit form.
  Key ReadCsi();
  // A question about the cursor went to the terminal: the next ESC [ row ;
  // column R is its answer. With no question asked, the same bytes are a key (a
  // modified F3 on some terminals).
  void AwaitCursorAnswer() { ++answersAwaited_; }

 private:
  Key ReadEscape();
  Key ReadC1(int control);

  TerminalBytes& bytes_;
  int answersAwaited_ = 0;  // questions about the cursor not yet answered
};

}  // namespace orvane
