#include "orvane/program/bracketed_paste.h"

namespace orvane {

namespace {

// A paste whose end marker does not come within this pause is over all the same.
const int kPasteGiveUpMs = 500;

}  // namespace

Key BracketedPaste::ReadKey(int timeoutMs) {
  for (;;) {
    Key key = pasting_ ? ReadPastedKey(timeoutMs) : grammar_.Read(timeoutMs);
    if (key.id == KeyId::kPasteStart) {
      pasting_ = true;
      continue;
    }
    if (key.id == KeyId::kPasteEnd) pasting_ = false;
    return key;
  }
}

// A key of a paste: its text is text, not keys. Each line of it ends as Enter does (a carriage
// return and line feed together as one), a tab is a character of the line, and other control
// characters and escape sequences are left out.
Key BracketedPaste::ReadPastedKey(int timeoutMs) {
  int wait = timeoutMs >= 0 && timeoutMs < kPasteGiveUpMs ? timeoutMs : kPasteGiveUpMs;
  for (;;) {
    int byte = bytes_.Read(wait);
    bool afterReturn = pastedReturn_;
    pastedReturn_ = byte == '\r';
    if (byte == TerminalBytes::kNoByte && wait == kPasteGiveUpMs) {
      return MakeKey(KeyId::kPasteEnd);  // no end marker came: what follows is typed
    }
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
      int next = bytes_.Read(kSequenceWaitMs);
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
