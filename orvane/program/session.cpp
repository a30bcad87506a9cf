#include "orvane/program/session.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "orvane/lib/console.h"
#include "orvane/lib/evaluator.h"
#include "orvane/lib/messages.h"
#include "orvane/lib/services.h"
#include "orvane/lib/variables.h"
#include "orvane/program/terminal.h"
#include "platform/system.h"

namespace orvane {

namespace {

const char* const kPrompt = "orvane> ";
const size_t kLineCapacity = 16384;  // the plug-in's buffer on the command line

std::u16string Trimmed(const std::u16string& text) {
  size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string::npos) return u"";
  size_t last = text.find_last_not_of(u" \t");
  return text.substr(first, last - first + 1);
}

int HexDigit(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::u16string Folded(std::u16string text) {
  for (char16_t& c : text) c = AsciiLower(c);
  return text;
}

bool SameWord(const std::u16string& a, const char* b) {
  return Folded(a) == Wide(b);
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
    "  color XY        colours: background X, foreground Y, hex digits (color 1E)\n"
    "  help            this list\n"
    "  exit [CODE]     leave, with CODE from 0 to 255 (Ctrl-D on an empty line too)\n"
    "variables: %name or %[name], in any case; an undefined one expands to nothing\n";

}  // namespace

const char* HostVersion(const Options& options) {
  return options.legacyKeys ? "23.0" : "25.0";
}

bool Session::Start() {
  ConsoleState& console = Console();
  bool terminalOut = isatty(STDOUT_FILENO);
  bool noColor = getenv("NO_COLOR") != nullptr && getenv("NO_COLOR")[0] != 0;
  console.colors =
      !noColor && (options_.color == "always" || (options_.color == "auto" && terminalOut));
  console.interactive = !options_.hasCommand && isatty(STDIN_FILENO);

  SetHostVariable("_4ver", HostVersion(options_));
  SetHostVariable("_transient", options_.hasCommand ? "1" : "0");
  SetHostVariable("_pipe", isatty(STDIN_FILENO) ? "0" : "1");

  std::string path = options_.plugin.empty() ? DefaultPluginPath() : options_.plugin;
  std::string error;
  if (!LoadPlugin(path, plugin_, error)) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    return false;
  }
  SetInitialising(true);
  plugin_.initialize();
  SetInitialising(false);
  TakeFailure();
  return true;
}

void Session::Stop() {
  UnloadPlugin(plugin_);
  if (Console().colors && Console().attribute != 0x07) ConsoleSetAttribute(0x07);
}

bool Session::CallKey(const Key& key, size_t length) {
  buffer_[length] = 0;
  if (plugin_.key == nullptr) return false;
  KeyInfo info{};
  info.keyCode = key.code;
  info.keyName = key.name[0] ? key.name : nullptr;
  info.line = buffer_.data();
  info.homeRow = Console().row;
  info.homeColumn = Console().interactive ? static_cast<int>(strlen(kPrompt)) : 0;
  info.row = Console().row;
  info.column = Console().column;
  KeyInfo before = info;
  plugin_.key(&info);
  buffer_.back() = 0;  // whatever the plug-in did, the line stays terminated
  return info.homeRow != before.homeRow || info.homeColumn != before.homeColumn;
}

bool Session::SendKey(const Key& key, std::u16string& line) {
  std::char_traits<char16_t>::copy(buffer_.data(), line.c_str(), line.size());
  bool moved = CallKey(key, line.size());
  line = buffer_.data();
  return moved;
}

bool Session::SendEditorKey(const Key& key) {
  const std::u16string& text = editor_.Text();
  std::char_traits<char16_t>::copy(buffer_.data(), text.data(), text.size());
  CallKey(key, text.size());
  bool same = buffer_[text.size()] == 0 &&
              memcmp(buffer_.data(), text.data(), text.size() * sizeof(char16_t)) == 0;
  if (same) return false;
  editor_.SetText(buffer_.data());
  return true;
}

void Session::Execute(const std::u16string& line) {
  if (TakeFailure()) failed_ = true;
  WarnAboutUndefinedVariables();  // an expansion the plug-in asked for without a calculation
  std::u16string trimmed = Trimmed(line);
  if (trimmed.empty() || trimmed[0] == ':') return;  // calculations, done above
  Command(trimmed);
  if (TakeFailure()) failed_ = true;
}

void Session::Command(const std::u16string& line) {
  std::u16string expanded = line;
  std::vector<std::u16string> undefined;
  if (!ExpandText(expanded, kLineCapacity, &undefined)) {
    HostMessage("the line is too long after variable expansion");
    failed_ = true;
    return;
  }
  WarnAboutUndefined(undefined);
  size_t space = expanded.find_first_of(u" \t");
  std::u16string verb = expanded.substr(0, space);
  std::u16string rest = space == std::u16string::npos ? u"" : Trimmed(expanded.substr(space));

  if (SameWord(verb, "echo")) {
    ConsoleWrite(rest + u"\n");
  } else if (SameWord(verb, "set") && rest.empty()) {
    for (char** entry = environ; *entry; ++entry) ConsoleWrite(Wide(*entry) + u"\n");
  } else if (SameWord(verb, "set")) {
    size_t equals = rest.find('=');
    std::u16string name = Trimmed(rest.substr(0, equals));
    if (name.empty()) {
      HostMessage("set: a name is missing before =");
      failed_ = true;
    } else if (equals == std::u16string::npos) {
      bool found = false;  // the variable as the environment spells it
      for (char** entry = environ; *entry; ++entry) {
        std::u16string item = Wide(*entry);
        if (Folded(item.substr(0, item.find('='))) == Folded(name)) {
          ConsoleWrite(item + u"\n");
          found = true;
        }
      }
      if (!found) {
        HostMessage("set: " + Narrow(name) + " is not defined");
        failed_ = true;
      }
    } else {
      std::u16string value = rest.substr(equals + 1);
      if (!SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str()) &&
          !value.empty()) {
        HostMessage("set: " + Narrow(name) + " cannot be set");
        failed_ = true;
      }
    }
  } else if (SameWord(verb, "color")) {
    int high = rest.size() == 2 ? HexDigit(rest[0]) : -1,
        low = rest.size() == 2 ? HexDigit(rest[1]) : -1;
    if (rest.empty()) {
      ConsoleSetAttribute(0x07);
    } else if (high < 0 || low < 0) {
      HostMessage("color: give two hexadecimal digits, background then foreground (like 1E)");
      failed_ = true;
    } else {
      ConsoleSetAttribute(high << 4 | low);
    }
  } else if (SameWord(verb, "help")) {
    ConsoleWrite(Wide(kHelp));
  } else if (SameWord(verb, "exit")) {
    int status = rest.empty() ? -1 : ExitStatus(rest);
    if (!rest.empty() && status < 0) {
      HostMessage("exit: " + Narrow(rest) + " is not a number from 0 to 255");
      failed_ = true;
      return;
    }
    exiting_ = true;
    if (status >= 0) exitCode_ = status;
  } else if (ReadsAsArithmetic(Narrow(expanded))) {
    HostMessage("unknown command: " + Narrow(verb) + " (to calculate, type =" + Narrow(line) + ")");
    failed_ = true;
  } else {
    HostMessage("unknown command: " + Narrow(verb) + " (type help for the list)");
    failed_ = true;
  }
}

Key Session::EnterKey() const {
  Key enter;
  if (options_.legacyKeys) {
    enter.code = 13;
  } else {
    enter.name = u"Enter";
  }
  return enter;
}

void Session::Feed(const std::u16string& line) {
  // The line grows in the plug-in's buffer itself: each key costs the same however long it is.
  size_t length = 0;
  for (char16_t unit : line) {
    Key key;
    key.code = unit;
    CallKey(key, length);
    buffer_[length++] = unit;
  }
  CallKey(EnterKey(), length);
  Execute(buffer_.data());
}

void Session::RunLine(const InputLine& line) {
  SetMessageLine(line.number);
  if (line.hasNul) {
    HostMessage("the line holds a NUL character: skipped");
    failed_ = true;
  } else if (line.length > LineReader::kMaxLength) {
    HostMessage("the line has " + std::to_string(line.length) + " characters, more than the " +
                std::to_string(LineReader::kMaxLength) + " that fit on the command line: skipped");
    failed_ = true;
  } else {
    Feed(line.text);
  }
  SetMessageLine(0);
}

void Session::RunLines(LineReader& input) {
  InputLine line;
  while (!exiting_ && !OutputFailed() && input.Next(line)) RunLine(line);
  if (input.Error() != 0) {
    HostMessage(std::string("read error: ") + strerror(input.Error()));
    failed_ = true;
  }
}

void Session::Prompt() {
  ConsoleWrite(Wide(kPrompt));
}

void Session::RunInteractive() {
  RawTerminal raw(STDIN_FILENO);
  Prompt();
  while (!exiting_ && !OutputFailed()) {
    Key key = ReadKey(STDIN_FILENO);
    if (key.interrupted) {
      if (raw.TakeResumed()) Show(u"", false);  // back from a stop: the prompt and the line
      continue;
    }
    if (key.end) break;
    bool enter = std::u16string(key.name) == u"Enter";
    if (enter && options_.legacyKeys) key = Key(), key.code = 13;

    if (enter || key.code == 13) {
      std::u16string line = editor_.Text();
      // The whole line is on the screen; the cursor goes to its end first.
      WriteOutput(OutputUtf8(line.substr(editor_.Cursor())));
      Console().column = static_cast<int>(strlen(kPrompt) + line.size());
      SetShownLine(line, static_cast<int>(strlen(kPrompt)));
      bool moved = SendKey(key, line);
      if (!moved) ConsoleWrite(u"\n");
      editor_.SetText(line);
      Execute(editor_.Finish());
      SetShownLine(u"", 0);
      if (!exiting_) Prompt();
      continue;
    }
    if (key.code == 3) {  // Ctrl-C: give up the line
      editor_.Finish();
      ConsoleWrite(u"^C\n");
      Prompt();
      continue;
    }
    if (key.code == 4 && editor_.Text().empty()) break;  // Ctrl-D on an empty line

    bool changed = SendEditorKey(key);
    if (key.code == 26) {  // Ctrl-Z, once the plug-in has seen it: stop until continued
      WriteOutput("^Z");
      raw.Suspend();
      continue;
    }
    bool typedAtEnd = !changed && editor_.Cursor() == editor_.Text().size();
    if (!editor_.Apply(key) && !changed) continue;  // keys it does not know change nothing
    Show(typedAtEnd && !key.text.empty() ? key.text : std::u16string(), typedAtEnd);
  }
  if (!exiting_) ConsoleWrite(u"\n");
}

void Session::Show(const std::u16string& appended, bool onlyAppended) {
  std::string shown;
  if (onlyAppended && editor_.Cursor() == editor_.Text().size() && !appended.empty()) {
    shown = OutputUtf8(appended);  // typing at the end of the line: just the new character
  } else {
    shown = "\r" + std::string(kPrompt) + OutputUtf8(editor_.Text()) + "\x1b[K";
    size_t behind = editor_.Text().size() - editor_.Cursor();
    if (behind > 0) shown += "\x1b[" + std::to_string(behind) + "D";
  }
  WriteOutput(shown);
  Console().column = static_cast<int>(strlen(kPrompt) + editor_.Cursor());
}

}  // namespace orvane
