#include "orvane/shell/session.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "orvane/lib/host.h"
#include "orvane/shell/terminal.h"

namespace orvane {

namespace {

const char* const kPrompt = "orvane> ";
const size_t kInitialiseCapacity = 1024;  // what the plug-in passes while it initialises
const size_t kLineCapacity = 16384;       // and on the command line

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

bool SameWord(const std::u16string& a, const char* b) {
  if (a.size() != std::char_traits<char>::length(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t c = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] - 'A' + 'a' : a[i];
    if (c != static_cast<unsigned char>(b[i])) return false;
  }
  return true;
}

const char* const kHelp =
    "commands:\n"
    "  =EXPRESSION or :EXPRESSION  calculate (the Sumbra plug-in); the result goes to %Ans\n"
    "  echo TEXT                   print TEXT after variable expansion\n"
    "  set NAME=VALUE              set a variable (set NAME= removes it); set alone lists them\n"
    "  color XY                    console colours: background X, foreground Y (hex digits)\n"
    "  help                        this list\n"
    "  exit [CODE]                 leave the shell (Ctrl-D on an empty line too)\n"
    "  :LABEL                      a label: ignored\n";

}  // namespace

bool Session::Start() {
  ConsoleState& console = Console();
  bool terminalOut = isatty(STDOUT_FILENO);
  bool noColor = getenv("NO_COLOR") != nullptr && getenv("NO_COLOR")[0] != 0;
  console.colors =
      !noColor && (options_.color == "always" || (options_.color == "auto" && terminalOut));
  console.interactive = !options_.hasCommand && isatty(STDIN_FILENO);

  SetHostVariable("_4ver", options_.legacyKeys ? "23.0" : "25.0");
  SetHostVariable("_transient", options_.hasCommand ? "1" : "0");
  SetHostVariable("_pipe", isatty(STDIN_FILENO) ? "0" : "1");

  std::string path = options_.plugin.empty() ? DefaultPluginPath() : options_.plugin;
  std::string error;
  if (!LoadPlugin(path, plugin_, error)) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    return false;
  }
  SetExpansionCapacity(kInitialiseCapacity);
  plugin_.initialize();
  SetExpansionCapacity(kLineCapacity);
  TakeFailure();
  return true;
}

void Session::Stop() {
  UnloadPlugin(plugin_);
  if (Console().colors && Console().attribute != 0x07) ConsoleSetAttribute(0x07);
  fflush(stdout);
}

bool Session::SendKey(const Key& key, std::u16string& line) {
  if (plugin_.key == nullptr) return false;
  std::char_traits<char16_t>::copy(buffer_.data(), line.c_str(), line.size() + 1);
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
  line = buffer_.data();
  return info.homeRow != before.homeRow || info.homeColumn != before.homeColumn;
}

void Session::Execute(const std::u16string& line) {
  if (TakeFailure()) failed_ = true;
  std::u16string trimmed = Trimmed(line);
  if (trimmed.empty() || trimmed[0] == ':') return;  // labels, and calculations done above
  Command(trimmed);
  if (TakeFailure()) failed_ = true;
}

void Session::Command(const std::u16string& line) {
  std::u16string expanded = line;
  if (!ExpandText(expanded, kLineCapacity)) {
    HostMessage("the line is too long after variable expansion");
    failed_ = true;
    return;
  }
  size_t space = expanded.find_first_of(u" \t");
  std::u16string verb = expanded.substr(0, space);
  std::u16string rest = space == std::u16string::npos ? u"" : Trimmed(expanded.substr(space));

  if (SameWord(verb, "echo")) {
    ConsoleWrite(rest + u"\n");
  } else if (SameWord(verb, "set") && rest.empty()) {
    for (char** entry = environ; *entry; ++entry) ConsoleWrite(Wide(*entry) + u"\n");
  } else if (SameWord(verb, "set")) {
    size_t equals = rest.find('=');
    std::string name = Narrow(Trimmed(rest.substr(0, equals)));
    if (equals == std::u16string::npos || name.empty()) {
      const char* value = getenv(name.c_str());
      if (value == nullptr) {
        HostMessage("set: " + name + " is not defined");
        failed_ = true;
      } else {
        ConsoleWrite(Wide(name + "=" + value + "\n"));
      }
      return;
    }
    std::string value = Narrow(rest.substr(equals + 1));
    if (value.empty())
      unsetenv(name.c_str());
    else
      setenv(name.c_str(), value.c_str(), 1);
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
    exiting_ = true;
    if (!rest.empty()) exitCode_ = atoi(Narrow(rest).c_str()) & 0xFF;
  } else {
    HostMessage("unknown command: " + Narrow(verb) + " (type help for the list)");
    failed_ = true;
  }
}

void Session::Feed(const std::u16string& line) {
  std::u16string text;
  for (char16_t unit : line) {
    Key key;
    key.code = unit;
    SendKey(key, text);
    text += unit;
  }
  Key enter;
  if (options_.legacyKeys)
    enter.code = 13;
  else
    enter.name = u"Enter";
  SendKey(enter, text);
  Execute(text);
}

void Session::RunOne(const std::string& utf8) {
  std::string line = utf8;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find('\0') != std::string::npos) {
    HostMessage("a line holds a NUL character: it is skipped");
    failed_ = true;
    return;
  }
  std::u16string text = Wide(line);
  if (text.size() > LineEditor::kMaxLength) {
    HostMessage("a line of " + std::to_string(text.size()) + " characters is skipped: at most " +
                std::to_string(LineEditor::kMaxLength) + " fit on the command line");
    failed_ = true;
    return;
  }
  Feed(text);
}

void Session::RunLines(FILE* input) {
  std::string line;
  for (int c; !exiting_;) {
    c = getc(input);
    if (c == EOF) {
      if (!line.empty()) RunOne(line);  // a last line without its line break
      break;
    }
    if (c == '\n') {
      RunOne(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
}

void Session::Prompt() {
  ConsoleWrite(Wide(kPrompt));
}

void Session::RunInteractive() {
  RawTerminal raw(STDIN_FILENO);
  Prompt();
  while (!exiting_) {
    Key key = ReadKey(STDIN_FILENO);
    if (key.end) break;
    std::u16string line = editor_.Text();
    bool enter = std::u16string(key.name) == u"Enter";
    if (enter && options_.legacyKeys) key = Key(), key.code = 13;

    if (enter || key.code == 13) {
      // The whole line is on the screen; the cursor goes to its end first.
      std::string tail = Narrow(line.substr(editor_.Cursor()));
      fwrite(tail.data(), 1, tail.size(), stdout);
      Console().column = static_cast<int>(strlen(kPrompt) + line.size());
      bool moved = SendKey(key, line);
      if (!moved) ConsoleWrite(u"\n");
      editor_.SetText(line);
      Execute(editor_.Finish());
      if (!exiting_) Prompt();
      continue;
    }
    if (key.code == 3) {  // Ctrl-C: give up the line
      editor_.Finish();
      ConsoleWrite(u"^C\n");
      Prompt();
      continue;
    }
    if (key.code == 4 && line.empty()) break;  // Ctrl-D on an empty line

    SendKey(key, line);
    bool typedAtEnd = line == editor_.Text() && editor_.Cursor() == line.size();
    editor_.SetText(line);
    if (!editor_.Apply(key)) continue;  // keys it does not know change nothing
    Show(typedAtEnd && !key.text.empty() ? key.text : std::u16string(), typedAtEnd);
  }
  if (!exiting_) ConsoleWrite(u"\n");
}

void Session::Show(const std::u16string& appended, bool onlyAppended) {
  std::string shown;
  if (onlyAppended && editor_.Cursor() == editor_.Text().size() && !appended.empty()) {
    shown = Narrow(appended);  // typing at the end of the line: just the new character
  } else {
    shown = "\r" + std::string(kPrompt) + Narrow(editor_.Text()) + "\x1b[K";
    size_t behind = editor_.Text().size() - editor_.Cursor();
    if (behind > 0) shown += "\x1b[" + std::to_string(behind) + "D";
  }
  fwrite(shown.data(), 1, shown.size(), stdout);
  fflush(stdout);
  Console().column = static_cast<int>(strlen(kPrompt) + editor_.Cursor());
}

}  // namespace orvane
