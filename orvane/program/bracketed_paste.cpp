#include "orvane/program/bracketed_paste.h"

#include <chrono>

namespace orvane {

namespace {

// A paste whose end marker has not come when its pauses add up to this, counted from its start,
// is over all the same: keys typed after it are keys again, even keys that keep coming. A pause
// is a wait longer than the parts of a paste take: neither the time the shell takes over the
// lines of a long paste nor the gaps between the parts of one count.
const auto kPasteGiveUp = std::chrono::microseconds(500000);

}  // namespace

Key BracketedPaste::ReadKey(int timeoutMs) {
  for (;;) {
    Key key = pasting_ ? ReadPastedKey(timeoutMs) : grammar_.Read(timeoutMs);
    if (key.id == KeyId::kPasteStart) {
      pasting_ = true;
      waited_ = std::chrono::microseconds(0);
      continue;
    }
    if (key.id == KeyId::kPasteEnd) pasting_ = false;
    return key;
  }
}

// A key of a paste: its text is text, not keys. Each line of it ends as Enter does (a carriage
// return and line feed together as one), a tab is a character of the line, and other control
// characters and escape sequences are left out.
int BracketedPaste::ReadPastedByte(int timeoutMs) {
  auto start = std::chrono::steady_clock::now();
  int byte = bytes_.Read(timeoutMs);
  auto waited = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  if (waited > std::chrono::milliseconds(kPastePartGapMs)) waited_ += waited;
  return byte;
}

Key BracketedPaste::ReadPastedKey(int timeoutMs) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(kPasteGiveUp - waited_);
    if (left.count() <= 0) return MakeKey(KeyId::kPasteEnd);  // what follows is typed
    int untilGiveUp = static_cast<int>(left.count());
    int wait = timeoutMs >= 0 && timeoutMs < untilGiveUp ? timeoutMs : untilGiveUp;
    int byte = ReadPastedByte(wait);
    bool afterReturn = pastedReturn_;
    pastedReturn_ = byte == '\r';
    if (byte == TerminalBytes::kNoByte && wait == untilGiveUp) return MakeKey(KeyId::kPasteEnd);
    if (byte < 0) {
      Key none;
      none.interrupted = byte == TerminalBytes::kInterrupted;
      return none;
    }
    if (byte == '\r' || (byte == '\n' && !afterReturn)) return MakeKey(KeyId::kEnter);
    if (byte == '\t') {
      Key tab = MakeKey(KeyId::kCharacter, u'\t');
      tab.text = u"\t";
      return tab;
    }
    Key key;
    if (byte == 27) {
      // The end marker, or a sequence within the paste; an Escape alone is left out, and
      // what follows it is text.
      int next = ReadPastedByte(kSequenceWaitMs);
      if (next == '[') {
        key = grammar_.ReadCsi();
      } else {
        bytes_.PushBack(next);
      }
    } else if (byte >= 0x20) {
      bytes_.PushBack(byte);
      key = grammar_.Read(0);
    }
    if (key.id == KeyId::kCharacter || key.id == KeyId::kPasteStart || key.id == KeyId::kPasteEnd ||
        key.id == KeyId::kCursorReport) {
      return key;
    }
  }
}

}  // namespace orvane
