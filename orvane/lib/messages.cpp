// The host's messages: one line each, "orvane: " first, then the line number of piped or
// scripted input, then the problem in lower case without a full stop.
#include "orvane/lib/messages.h"

#include <stdio.h>
#include <string.h>

#include "orvane/lib/console.h"
#include "orvane/lib/display.h"
#include "orvane/lib/variables.h"

namespace orvane {

namespace {

int messageLine = 0;
Text shownLine;
int shownColumn = 0;

}  // namespace

void SetMessageLine(int number) {
  messageLine = number;
}

void SetShownLine(const Text& line, int column) {
  shownLine = line;
  shownColumn = column;
}

void HostMessage(const std::string& utf8) {
  std::string line = "orvane: ";
  if (messageLine > 0) line += "line " + std::to_string(messageLine) + ": ";
  // A message may quote what the user typed: its control characters show as ^X, so that none
  // can move the cursor or change the terminal.
  line = ShownUtf8(Wide(line + utf8)) + "\n";
  if (Console().interactive) {
    ConsoleEndLine();
    ConsoleWrite(Wide(line));
  } else {
    FlushOutput();  // what was printed before the message comes before it in a shared file
    fwrite(line.data(), 1, line.size(), stderr);  // nowhere left to report a failure of stderr
  }
}

void PositionMessage(const std::string& utf8, const Text& evaluated, size_t position) {
  if (Console().interactive && position > 0 && !shownLine.empty()) {
    // The expression starts after the line's "=" or ":" and the blanks that follow it. Columns
    // count as the line editor shows the characters: CJK twice, a tab as ^I.
    size_t start = shownLine.find_first_not_of(u" \t", 1);
    if (start == Text::npos) start = shownLine.size();
    size_t column = static_cast<size_t>(shownColumn) + DisplayWidth(shownLine.substr(0, start));
    ConsoleEndLine();
    if (shownLine.compare(start, evaluated.size(), evaluated) != 0) {
      ConsoleWrite(Text(column, u' '));  // then what variables expanded to
      WriteOutput(ShownUtf8(evaluated));
      ConsoleWrite(u"\n");
    }
    size_t before = 0, units = 0;
    for (size_t n = 1; n < position && before < evaluated.size(); ++n) {
      CodePointAt(evaluated, before, &units);
      before += units;
    }
    ConsoleWrite(Text(column + DisplayWidth(evaluated.substr(0, before)), u' ') + u"^\n");
  }
  HostMessage(utf8);
}

std::string InMessageStyle(std::string text) {
  for (size_t start = 0; start < text.size();) {
    // A capitalised word, not a name in capitals such as "ELF" or "I/O".
    bool word = text[start] >= 'A' && text[start] <= 'Z' &&
                (start + 1 == text.size() ||
                 !((text[start + 1] >= 'A' && text[start + 1] <= 'Z') || text[start + 1] == '/'));
    if (word) text[start] = static_cast<char>(text[start] - 'A' + 'a');
    size_t next = text.find(": ", start);
    start = next == std::string::npos ? text.size() : next + 2;
  }
  return text;
}

std::string ErrorText(int error) {
  return InMessageStyle(strerror(error));
}

void WarnAboutUndefined(const std::vector<Text>& names) {
  if (names.empty()) return;
  HostMessage("warning: " + UndefinedVariables(names) +
              (names.size() == 1 ? " expands" : " expand") + " to nothing");
}

}  // namespace orvane
