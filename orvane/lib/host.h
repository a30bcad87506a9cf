// The stand-in host's own interface, used by its shell (the plug-in sees only the nine services).
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

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

// Writes text at the cursor ("\r\n", "\n" and a lone "\r" end lines).
void ConsoleWrite(const Text& text);
// Ends the current line unless nothing has been written on it.
void ConsoleEndLine();
// Changes the colour of what follows and the attribute GetAttribute reports.
void ConsoleSetAttribute(int attribute);

// The characters (code points) in the text: a surrogate pair counts once.
size_t CodePoints(const Text& text);
// Text as UTF-8 for a terminal or a file: a surrogate pair becomes one four-byte character, a
// surrogate without its partner becomes U+FFFD, and NUL characters are left out.
std::string OutputUtf8(const Text& text);
// Writes bytes to standard output (flushed at once when interactive). After the first failed
// write, nothing more is written.
void WriteOutput(const std::string& bytes);
// Sends what standard output holds on its way.
void FlushOutput();
// Whether a write to standard output has failed.
bool OutputFailed();
// Flushes standard output; when any write failed, says so once on standard error and returns
// false.
bool FinishOutput();

// Messages start with "orvane: ", then "line N: " while a line of piped or scripted input runs.
void SetMessageLine(int number);
// At the prompt: the command line as shown on the screen from `column`, so that a message about
// a position in it can point there.
void SetShownLine(const Text& line, int column);
// A one-line message from the host: on the console when interactive, else on standard error.
void HostMessage(const std::string& utf8);
// A message about the character at `position` (counted from 1, in code points) of `evaluated`.
// At the prompt a caret points to it, under the expanded text when that is not what was typed.
void PositionMessage(const std::string& utf8, const Text& evaluated, size_t position);

// The host's own variables (_4ver, _transient, _pipe), looked up before the environment.
void SetHostVariable(const std::string& name, const std::string& value);
// Expands "%name" and "%[name]" in `text`: a name starts with a letter or "_" and goes on with
// letters, digits and "_"; it matches whatever the case. Returns false when the result would
// not fit `capacity` characters including the terminator. The names of undefined variables,
// which expand to nothing, are added to `undefined` when it is given.
bool ExpandText(Text& text, size_t capacity, std::vector<Text>* undefined = nullptr);
// "undefined variable x", or "undefined variables x, y".
std::string UndefinedVariables(const std::vector<Text>& names);
// A warning that the variables expanded to nothing (none when the list is empty).
void WarnAboutUndefined(const std::vector<Text>& names);
// While the plug-in initialises, its buffer holds 1024 characters and its expansions are
// silent. The shell marks the start and end of InitializePlugin.
void SetInitialising(bool initialising);
// Warns about undefined variables that the plug-in's last expansion met, unless a calculation
// has already named them.
void WarnAboutUndefinedVariables();

// Evaluates an expression; on success `result` holds the result text, else `error` says why and
// `position` (when given) where: counted from 1 in code points, 0 when the error has no place.
bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error,
                        size_t* position = nullptr);
// Whether the text parses as arithmetic (even if its evaluation then fails, say on a division
// by zero).
bool ReadsAsArithmetic(const std::string& text);
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
