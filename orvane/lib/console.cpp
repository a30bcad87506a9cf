#include <stdio.h>

#include "orvane/lib/host.h"

namespace orvane {

namespace {
bool failed = false;
}

ConsoleState& Console() {
  static ConsoleState state;
  return state;
}

void ConsoleWrite(const Text& text) {
  ConsoleState& c = Console();
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (unit == '\n' || unit == '\r') {
      out += "\n";  // the terminal, when there is one, adds the carriage return
      c.row += 1;
      c.column = 0;
      continue;
    }
    out += Narrow(Text(1, unit));
    if (unit < 0xDC00 || unit > 0xDFFF) c.column += 1;  // a pair takes one column
  }
  fwrite(out.data(), 1, out.size(), stdout);
  if (c.interactive) fflush(stdout);  // a pipe or file takes whole blocks
}

void ConsoleEndLine() {
  if (Console().column > 0) ConsoleWrite(u"\n");
}

void ConsoleSetAttribute(int attribute) {
  ConsoleState& c = Console();
  c.attribute = attribute & 0xFF;
  if (!c.colors) return;
  std::string escape = AnsiForAttribute(c.attribute);
  fwrite(escape.data(), 1, escape.size(), stdout);
}

void HostMessage(const std::string& utf8) {
  if (Console().interactive) {
    ConsoleEndLine();
    ConsoleWrite(Wide("orvane: " + utf8 + "\n"));
  } else {
    fflush(stdout);
    fprintf(stderr, "orvane: %s\n", utf8.c_str());
  }
}

bool TakeFailure() {
  bool was = failed;
  failed = false;
  return was;
}

void NoteFailure() {
  failed = true;
}

}  // namespace orvane
