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
  kPasteStart,    // the start marker of a paste: taken by the key reader, never handed on
};

struct Key {
  KeyId id = KeyId::kNone;
  char16_t code = 0;         // the key code the plug-in gets: the character or control code, else 0
  std::u16string text;       // what a character inserts (two units beyond the BMP)
  bool interrupted = false;  // with kNone: a signal, not the end of the input
  int row = 0, column = 0;   // with kCursorReport: where the cursor is, counted from 1
};

// A key of `id`, with the code the plug-in gets for it.
inline Key MakeKey(KeyId id, char16_t code = 0) {
  Key key;
  key.id = id;
  key.code = code;
  return key;
}

}  // namespace orvane
