// The stand-in host's own interface, used by its shell (the plug-in sees only the nine services).
#pragma once

#include <stddef.h>

#include <string>

#include "platform/utf8_string.h"

namespace orvane {

using Text = std::u16string;

// The console the services write to: standard output, with the cursor position tracked.
struct ConsoleState {
  int attribute = 0x07;  // background in bits 4-7, foreground in bits 0-3
  int row = 0;           // lines ended since the shell started
  int column = 0;        // characters written on the current line
  bool colors = false;   // whether attributes become ANSI escapes
  bool interactive = false;
};
ConsoleState& Console();

// Writes text at the cursor ("\r\n" and "\n" end lines).
void ConsoleWrite(const Text& text);
// Ends the current line unless nothing has been written on it.
void ConsoleEndLine();
// Changes the colour of what follows and the attribute GetAttribute reports.
void ConsoleSetAttribute(int attribute);
// A one-line message from the host: on the console when interactive, else on standard error.
void HostMessage(const std::string& utf8);

// The host's own variables (_4ver, _transient, _pipe), looked up before the environment.
void SetHostVariable(const std::string& name, const std::string& value);
// Expands "%name" and "%[name]" in `text`; false when the result would not fit `capacity`
// characters including the terminator.
bool ExpandText(Text& text, size_t capacity);
// The capacity of the buffer the plug-in passes to ExpandVariables in its current call: 1024
// while it initialises, 16384 on the command line. The shell sets it around each call.
void SetExpansionCapacity(size_t capacity);
size_t ExpansionCapacity();

// Evaluates an expression; on success `result` holds the result text, else `error` says why.
bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error);
// Formats a finite number: integers exactly while a double holds them exactly, anything else
// with up to 15 significant digits and no trailing zeros.
std::string FormatNumber(double value);

// Parses "[bright] colour [on [bright] colour]"; false when it is not a colour description.
// A description without a background gives the background 64: foreground only.
bool ParseColorDescription(const Text& description, int& foreground, int& background);
// The ANSI escape that shows an attribute.
std::string AnsiForAttribute(int attribute);

// Whether any service reported failure since the last call.
bool TakeFailure();
void NoteFailure();

}  // namespace orvane
