// The host's messages: one line each, "orvane: " first, then the line number of piped or
// scripted input, then the problem in lower case without a full stop.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "orvane/lib/text.h"

namespace orvane {

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
// A system's text in the style of the messages: each part (after ": ") starts in lower case
// unless it starts with a name in capitals ("No such file" becomes "no such file").
std::string InMessageStyle(std::string text);
// What an errno means, in the style of the messages: "no such file or directory".
std::string ErrorText(int error);
// A warning that the variables expanded to nothing (none when the list is empty).
void WarnAboutUndefined(const std::vector<Text>& names);
// Flushes standard output; when any write to it failed, says so once on standard error and
// returns false.
bool FinishOutput();

}  // namespace orvane
