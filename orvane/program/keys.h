// Keystrokes: what the shell reads from the terminal.
#pragma once

#include <string>

namespace orvane {

enum class KeyId : unsigned char {
  kNone,       // no key: the input ended, or a signal came first
  kCharacter,  // a character to insert
  kControl,    // a control code the editor has no use for
  kEnter,
  kTab,
  kBackspace,
  kDelete,
  kEscape,
  kLeft,
  kRight,
  kUp,
  kDown,
  kHome,
  kEnd,
  kWordLeft,   // Ctrl-Left
  kWordRight,  // Ctrl-Right
  kAltB,
  kAltF,
  kAltBackspace,
  kCtrlA,
  kCtrlB,
  kCtrlC,
  kCtrlD,
  kCtrlE,
  kCtrlF,
  kCtrlG,
  kCtrlK,
  kCtrlL,
  kCtrlR,
  kCtrlU,
  kCtrlW,
  kCtrlY,
  kCtrlZ,
  kUnknown,       // an escape sequence or Alt combination the shell does not know
  kCursorReport,  // the terminal's answer to AskCursorPosition, not a key
  kPasteEnd,      // the end of a paste (its marker, or a pause): not a key, the screen catches up
};

struct Key {
  KeyId id = KeyId::kNone;
  char16_t code = 0;         // the key code the plug-in gets: the character or control code, else 0
  std::u16string text;       // what a character inserts (two units beyond the BMP)
  bool interrupted = false;  // with kNone: a signal, not the end of the input
  int row = 0, column = 0;   // with kCursorReport: where the cursor is, counted from 1
};

// How long the rest of an escape sequence may take to come after its first byte (a remote
// terminal may send it in two parts); Escape alone takes effect after this.
const int kSequenceWaitMs = 300;

// Reads one keystroke from the terminal in raw mode: UTF-8 characters, control codes, and
// escape sequences, which are read to their end by their grammar whether the shell knows them
// or not (the 8-bit forms, the Linux console's function keys and mouse reports included).
Key ReadKey(int fd);
// Whether a key is waiting to be read, or comes within `timeoutMs`, so that the screen can wait
// until all of them are taken.
bool KeyWaiting(int fd, int timeoutMs);
// Asks the terminal where its cursor is and waits a moment for the answer; keys typed
// meanwhile are kept for ReadKey. False when no answer came (and from then on without asking,
// for a terminal that does not answer).
bool AskCursorPosition(int fd, int* row, int* column);

}  // namespace orvane
