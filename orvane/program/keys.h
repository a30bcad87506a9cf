// Keystrokes as the shell reads them from the terminal.
#pragma once

#include <string>

namespace orvane {

struct Key {
  char16_t code = 0;           // the character, or a control code; 0 for a named key
  const char16_t* name = u"";  // "Enter", "Left", ... for keys that are not characters
  std::u16string text;         // what a character key inserts (two units beyond the BMP)
  bool end = false;            // the input has ended
  bool interrupted = false;    // a signal came before any key did
};

// Reads one keystroke from the terminal in raw mode: UTF-8 characters, control codes and the
// escape sequences of arrows, Home, End and Delete.
Key ReadKey(int fd);

}  // namespace orvane
