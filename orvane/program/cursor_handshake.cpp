#include "orvane/program/cursor_handshake.h"

#include <chrono>

#include "orvane/lib/console.h"

namespace orvane {

namespace {

// How long the terminal's answer may take; one that does not answer costs this once.
const int kAnswerWaitMs = 500;

}  // namespace

bool CursorHandshake::Ask(int* row, int* column) {
  if (!terminalAnswers_) return false;
  WriteOutput("\x1b[6n");
  grammar_.AwaitCursorAnswer();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerWaitMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    Key key = left > 0 ? keys_.ReadKey(static_cast<int>(left)) : Key();
    if (key.id == KeyId::kCursorReport) {
      *row = key.row;
      *column = key.column;
      return true;
    }
    if (key.id != KeyId::kNone) {
      kept_.push_back(key);
    } else if (!key.interrupted) {
      terminalAnswers_ = false;
      return false;
    }
  }
}

Key CursorHandshake::TakeKeptKey() {
  Key key = kept_.front();
  kept_.pop_front();
  return key;
}

}  // namespace orvane
