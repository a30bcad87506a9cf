#include "orvane/program/key_reader.h"

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

Key KeyReader::ReadKey() {
  if (handshake_.HasKeptKey()) return handshake_.TakeKeptKey();
  Key key;
  do {
    key = paste_.ReadKey(-1);
  } while (key.id == KeyId::kCursorReport);  // an answer that came too late
  return key;
}

bool KeyReader::KeyWaiting(int timeoutMs) const {
  return handshake_.HasKeptKey() || bytes_.Waiting(timeoutMs);
}

}  // namespace orvane
