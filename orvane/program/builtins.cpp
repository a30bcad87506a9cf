#include "orvane/program/builtins.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "host/variable_names.h"
#include "orvane/lib/console.h"
#include "orvane/lib/evaluator.h"
#include "orvane/lib/messages.h"
#include "orvane/lib/variables.h"
#include "platform/system.h"

namespace orvane {

namespace {

std::u16string_view Trimmed(std::u16string_view text) {
  size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return u"";
  size_t last = text.find_last_not_of(u" \t");
  return text.substr(first, last - first + 1);
}

std::u16string Folded(std::u16string text) {
  for (char16_t& c : text) c = AsciiLower(c);
  return text;
}

// Whether `word` is `name` (lower-case ASCII) whatever its case, without a folded copy.
bool SameWord(std::u16string_view word, std::string_view name) {
  if (word.size() != name.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (AsciiLower(word[i]) != static_cast<char16_t>(name[i])) return false;
  }
  return true;
}

// What follows the first word of a line, without the blanks around it.
std::u16string Argument(const std::u16string& line) {
  size_t space = line.find_first_of(u" \t");
  if (space == std::u16string::npos) return u"";
  return std::u16string(Trimmed(std::u16string_view(line).substr(space)));
}

// An exit status: a number from 0 to 255 in decimal digits; -1 for anything else.
int ExitStatus(const std::u16string& text) {
  int value = text.empty() ? -1 : 0;
  for (char16_t c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
    if (value > 255) return -1;
  }
  return value;
}

const char* const kHelp =
    "commands:\n"
    "  =EXPR or :EXPR  calculate (the Sumbra plug-in); the result goes to %Ans\n"
    "  echo TEXT       print TEXT after variable expansion\n"
    "  set NAME=VALUE  set a variable (set NAME= removes it); set alone lists them\n"
    "  color XY        the screen's colours: background X, foreground Y, hex digits\n"
    "                  (color 1E); color alone: back to 07\n"
    "  help            this list\n"
    "  exit [CODE]     leave, with CODE from 0 to 255 (Ctrl-D on an empty line too)\n"
    "variables: %name or %[name], in any case; an undefined one expands to nothing\n"
    "functions: type = and then Tab; the manual page orvane(1) tells all\n";

CommandResult Fail(const std::string& message) {
  HostMessage(message);
  CommandResult result;
  result.failed = true;
  return result;
}

// set NAME=VALUE, set NAME= (removes it), set NAME (shows it), set (lists all). The shell's
// own variables come first, and only the shell sets them.
CommandResult Set(const std::u16string& rest) {
  if (rest.empty()) {
    for (const std::u16string& setting : HostVariableSettings()) ConsoleWrite(setting + u"\n");
    for (char** entry = environ; *entry; ++entry) ConsoleWrite(Wide(*entry) + u"\n");
    return CommandResult();
  }
  size_t equals = rest.find('=');
  std::u16string name(Trimmed(std::u16string_view(rest).substr(0, equals)));
  if (name.empty()) return Fail("set: a name is missing before =");
  std::u16string own;
  if (HostVariable(name, &own)) {
    if (equals != std::u16string::npos) {
      return Fail("set: " + Narrow(name) + " belongs to the shell and cannot be changed");
    }
    ConsoleWrite(Folded(name) + u"=" + own + u"\n");
    return CommandResult();
  }
  if (equals == std::u16string::npos) {
    bool found = false;  // the variable as the environment spells it
    for (char** entry = environ; *entry; ++entry) {
      std::u16string item = Wide(*entry);
      if (Folded(item.substr(0, item.find('='))) == Folded(name)) {
        ConsoleWrite(item + u"\n");
        found = true;
      }
    }
    return found ? CommandResult() : Fail("set: " + Narrow(name) + " is not defined");
  }
  std::u16string value = rest.substr(equals + 1);
  if (!SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str()) &&
      !value.empty()) {
    return Fail("set: " + Narrow(name) + " cannot be set");
  }
  return CommandResult();
}

// color XY: background X and foreground Y as hexadecimal digits; color alone: 07.
CommandResult Color(const std::u16string& rest) {
  if (rest.empty()) {
    ConsoleSetColors(0x07);
    return CommandResult();
  }
  int background = rest.size() == 2 ? HexDigitValue(rest[0]) : -1;
  int foreground = rest.size() == 2 ? HexDigitValue(rest[1]) : -1;
  if (background < 0 || foreground < 0) {
    return Fail("color: give two hexadecimal digits, background then foreground (like 1E)");
  }
  if (background == foreground) {
    return Fail("color: " + Narrow(rest) + " has the same background and foreground");
  }
  ConsoleSetColors(background << 4 | foreground);
  return CommandResult();
}

// exit, or exit CODE with CODE from 0 to 255. `typed` is the argument before expansion: one
// that expands to nothing is no code at all, and refused like any other.
CommandResult Exit(const std::u16string& rest, const std::u16string& typed) {
  if (rest.empty() && !typed.empty()) {
    return Fail("exit: " + Narrow(typed) +
                " is not a number from 0 to 255 (it expands to nothing)");
  }
  int status = rest.empty() ? -1 : ExitStatus(rest);
  if (!rest.empty() && status < 0) {
    return Fail("exit: " + Narrow(rest) + " is not a number from 0 to 255");
  }
  CommandResult result;
  result.exit = true;
  result.exitCode = status;
  return result;
}

}  // namespace

CommandResult RunCommandLine(std::u16string_view typed) {
  std::u16string_view trimmed = Trimmed(typed);
  if (trimmed.empty()) return CommandResult();
  if (trimmed[0] == '=' || trimmed[0] == ':') {
    // The plug-in reads a line as a calculation only when it starts with "=" or ":" itself.
    if (typed[0] != trimmed[0]) {
      return Fail(std::string("a calculation starts at the beginning of the line: remove the ") +
                  "blanks before \"" + static_cast<char>(trimmed[0]) + "\"");
    }
    return CommandResult();  // a calculation, done already
  }
  std::u16string line(trimmed);
  std::u16string expanded = line;
  std::vector<std::u16string> undefined;
  if (!ExpandText(expanded, kLineCapacity, &undefined)) {
    return Fail("the line is too long after variable expansion");
  }
  WarnAboutUndefined(undefined);
  std::u16string verb = expanded.substr(0, expanded.find_first_of(u" \t"));
  std::u16string rest = Argument(expanded);

  if (SameWord(verb, "echo")) {
    ConsoleWrite(rest + u"\n", true);  // as it is: printing the text is echo's job
    return CommandResult();
  }
  if (SameWord(verb, "set")) return Set(rest);
  if (SameWord(verb, "color")) return Color(rest);
  if (SameWord(verb, "exit")) return Exit(rest, Argument(line));
  if (SameWord(verb, "help")) {
    ConsoleWrite(Wide(kHelp));
    return CommandResult();
  }
  size_t equals = verb.find('=');
  if (equals != std::u16string::npos && equals > 0 && IsNameStart(verb[0]) &&
      std::all_of(verb.begin(), verb.begin() + static_cast<long>(equals),
                  [](char16_t c) { return IsNameCharacter(c); })) {
    return Fail("unknown command: " + Narrow(verb) + " (to set a variable, type set " +
                Narrow(line) + ")");
  }
  if (ReadsAsArithmetic(Narrow(expanded))) {
    return Fail("unknown command: " + Narrow(verb) + " (to calculate, type =" + Narrow(line) + ")");
  }
  return Fail("unknown command: " + Narrow(verb) + " (type help for the list)");
}

}  // namespace orvane
