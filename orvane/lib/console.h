// The console the services write to: standard output, with the cursor position tracked and
// every write checked.
#pragma once

#include <stddef.h>

#include <string>
#include <string_view>

#include "orvane/lib/text.h"

namespace orvane {

struct ConsoleState {
  int attribute = 0x07;      // background in bits 4-7, foreground in bits 0-3
  int row = 0;               // lines ended since the shell started
  int column = 0;            // characters written on the current line
  bool colors = false;       // whether attributes become ANSI escapes
  bool interactive = false;  // the line editor at a terminal, which is standard output too
  bool terminal = false;     // standard output is a terminal
};
ConsoleState& Console();

// Writes text at the cursor ("\r\n", "\n" and a lone "\r" end lines). On a terminal, other
// control characters show as ^X, unless the text is to go out as it is (echo's).
void ConsoleWrite(std::u16string_view text, bool asIs = false);
// Ends the current line unless nothing has been written on it.
void ConsoleEndLine();
// Changes the colour of what follows and the attribute GetAttribute reports.
void ConsoleSetAttribute(int attribute);
// Changes the console's colours as the color command does: on the screen, everything takes
// them, and lines that scroll in are erased in them.
void ConsoleSetColors(int attribute);
// The terminal's width (80 when standard output is no terminal or does not say).
int ConsoleColumns();
// Clears the screen; what it showed goes up into the terminal's scrollback.
void ConsoleClearScreen();
// Gives the terminal its own colours back, below the cursor too.
void ConsoleRestoreColors();

// Text as UTF-8 for a terminal or a file: a surrogate pair becomes one four-byte character, a
// surrogate without its partner becomes U+FFFD, and NUL characters are left out.
std::string OutputUtf8(std::u16string_view text);
// Writes bytes to standard output (flushed at once when interactive). After the first failed
// write, nothing more is written.
void WriteOutput(const std::string& bytes);
// Sends what standard output holds on its way.
void FlushOutput();
// The errno of the first write to standard output that failed; 0 while none has.
int OutputError();

// Whether any service reported failure since the last call.
bool TakeFailure();
void NoteFailure();

}  // namespace orvane
