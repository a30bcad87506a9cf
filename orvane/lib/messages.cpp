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
    ConsoleWrite(Wide(line), true);  // already as it is shown
  } else {
    FlushOutput();  // what was printed before the message comes before it in a shared file
    fwrite(line.data(), 1, line.size(), stderr);  // nowhere left to report a failure of stderr
  }
}

void PositionMessage(const std::string& utf8, const Text& evaluated, size_t position) {
  if (Console().interactive && position > 0 && !shownLine.empty()) {
    // The expression starts after the line's "=" or ":" and the blanks that follow it. Places
    // count as the line editor shows the line, wrapped at the terminal's width: CJK takes two
    // columns, a tab shows as ^I.
    int columns = ConsoleColumns();
    size_t start = shownLine.find_first_not_of(u" \t", 1);
    if (start == Text::npos) start = shownLine.size();
    ScreenPlace place;
    for (int i = 0; i < shownColumn; ++i) Advance(U' ', columns, place, nullptr);  // the prompt
    Advance(shownLine, 0, start, columns, place, nullptr);
    ConsoleEndLine();
    if (shownLine.compare(start, evaluated.size(), evaluated) != 0) {
      // Then what variables expanded to, from the same column.
      place = ScreenPlace{0, StartOf(1, columns, place).column};
      std::string expanded(static_cast<size_t>(place.column), ' ');
      ScreenPlace end = place;
      Advance(evaluated, 0, evaluated.size(), columns, end, &expanded);
      WriteOutput(expanded);
      ConsoleWrite(u"\n");
    }
    size_t before = 0;
    for (size_t n = 1; n < position && before < evaluated.size(); ++n) {
      before = NextCodePoint(evaluated, before);
    }
    Advance(evaluated, 0, before, columns, place, nullptr);
    size_t units = 0;
    int width =
        before < evaluated.size() ? CodePointWidth(CodePointAt(evaluated, before, &units)) : 1;
    int column = StartOf(width, columns, place).column;  // on the row the character is on
    ConsoleWrite(Text(static_cast<size_t>(column), u' ') + u"^\n");
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

bool FinishOutput() {
  static bool reported = false;
  FlushOutput();
  if (OutputError() == 0) return true;
  if (!reported) {
    fprintf(stderr, "orvane: write error: %s\n", ErrorText(OutputError()).c_str());
    reported = true;
  }
  return false;
}

void WarnAboutUndefined(const std::vector<Text>& names) {
  if (names.empty()) return;
  HostMessage("warning: " + UndefinedVariables(names) +
              (names.size() == 1 ? " expands" : " expand") + " to nothing");
}

}  // namespace orvane
