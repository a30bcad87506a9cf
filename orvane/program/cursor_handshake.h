// Asking the terminal where its cursor is: the answer comes among the keys typed meanwhile,
// which are kept for later, and may not come at all.
#pragma once

#include <deque>

#include "orvane/program/bracketed_paste.h"
#include "orvane/program/key_grammar.h"
#include "orvane/program/keys.h"

namespace orvane {

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

}  // namespace orvane
