// The console: standard output with the cursor position tracked, and every write checked.
#include "orvane/lib/console.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "orvane/lib/colors.h"
#include "orvane/lib/display.h"

namespace orvane {

namespace {

bool failed = false;
int writeError = 0;  // errno of the first failed write to standard output

void NoteWriteError() {
  if (writeError == 0) writeError = errno != 0 ? errno : EIO;
}

// The terminal's size, zero when standard output is not one.
winsize WindowSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = winsize{};
  return size;
}

}  // namespace

ConsoleState& Console() {
  static ConsoleState state;
  return state;
}

std::string OutputUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(text, false, out);
  return out;
}

void WriteOutput(const std::string& bytes) {
  if (writeError != 0 || bytes.empty()) return;
  errno = 0;
  if (fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) return NoteWriteError();
  // A terminal shows each write at once; a pipe or file takes whole blocks.
  if (Console().interactive && fflush(stdout) != 0) NoteWriteError();
}

void FlushOutput() {
  errno = 0;
  if (writeError == 0 && fflush(stdout) != 0) NoteWriteError();
}

int OutputError() {
  return writeError;
}

void ConsoleWrite(std::u16string_view text, bool asIs) {
  ConsoleState& c = Console();
  // A line that scrolls in is blank in the terminal's own colours: on a painted screen, it is
  // erased in the console's.
  bool painted = c.colors && c.interactive && (c.attribute & 0xF0) != 0;
  bool shown = c.terminal && !asIs;
  static std::string out;  // kept from write to write, so that its room is allocated once
  out.clear();
  for (;;) {
    size_t end = text.find_first_of(u"\r\n");
    std::u16string_view part = text.substr(0, end);
    size_t characters = AppendUtf8(part, shown, out);
    if (end == std::u16string_view::npos) {
      c.column += static_cast<int>(characters);
      break;
    }
    out += painted ? "\n\x1b[K" : "\n";  // the terminal, if any, adds the carriage return
    c.row += 1;
    c.column = 0;
    bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
  WriteOutput(out);
}

void ConsoleEndLine() {
  if (Console().column > 0) ConsoleWrite(u"\n");
}

void ConsoleSetAttribute(int attribute) {
  ConsoleState& c = Console();
  c.attribute = attribute & 0xFF;
  if (c.colors) WriteOutput(AnsiForAttribute(c.attribute));
}

void ConsoleSetColors(int attribute) {
  ConsoleSetAttribute(attribute);
  if (Console().colors) ConsoleClearScreen();
}

int ConsoleColumns() {
  winsize size = WindowSize();
  return size.ws_col > 0 ? size.ws_col : 80;
}

void ConsoleClearScreen() {
  ConsoleState& c = Console();
  if (!c.interactive) return;
  winsize size = WindowSize();
  int rows = size.ws_row > 0 ? size.ws_row : 24;
  // Scrolling every visible line up keeps it in the scrollback, which erasing would not. Then
  // each row is erased in the current colours, from the top down.
  std::string clear = "\r" + std::string(static_cast<size_t>(rows), '\n') + "\x1b[H";
  for (int row = 0; row < rows; ++row) clear += "\x1b[2K\x1b[B";
  WriteOutput(clear + "\x1b[H");
  c.column = 0;
}

void ConsoleRestoreColors() {
  ConsoleState& c = Console();
  if (!c.colors || c.attribute == 0x07) return;
  ConsoleSetAttribute(0x07);
  if (c.interactive) WriteOutput("\x1b[J");
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
