// The shell's own commands: echo, set, color, help and exit.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

struct CommandResult {
  bool failed = false;
  bool exit = false;
  int exitCode = -1;  // the code exit was given, -1 for none
};

// Runs a command line once the plug-in had its turn: blank lines and calculations (lines that
// begin with ":") do nothing; a calculation after blanks, which the plug-in does not see as
// one, gets a message; anything else is expanded and run, or gets a message that there is no
// such command.
CommandResult RunCommandLine(std::u16string_view line);

}  // namespace orvane
