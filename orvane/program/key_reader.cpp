#include "orvane/program/key_reader.h"

namespace orvane {

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
