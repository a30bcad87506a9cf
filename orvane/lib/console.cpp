// The console: standard output with the cursor position tracked, and every write checked.
#include "orvane/lib/console.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "orvane/lib/colors.h"

namespace orvane {

namespace {

bool failed = false;
int writeError = 0;  // errno of the first failed write to standard output

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void NoteWriteError() {
  if (writeError == 0) writeError = errno != 0 ? errno : EIO;
}

}  // namespace

ConsoleState& Console() {
  static ConsoleState state;
  return state;
}

std::string OutputUtf8(const Text& text) {
  Text clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit == 0) continue;
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      clean += unit;
      clean += text[++i];
    } else {
      clean += (IsHighSurrogate(unit) || IsLowSurrogate(unit)) ? u'\uFFFD' : unit;
    }
  }
  return Narrow(clean);
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

bool OutputFailed() {
  return writeError != 0;
}

bool FinishOutput() {
  static bool reported = false;
  FlushOutput();
  if (writeError == 0) return true;
  if (!reported) {
    std::string why = strerror(writeError);
    if (!why.empty() && why[0] >= 'A' && why[0] <= 'Z') {
      why[0] = static_cast<char>(why[0] - 'A' + 'a');  // messages start in lower case
    }
    fprintf(stderr, "orvane: write error: %s\n", why.c_str());
    reported = true;
  }
  return false;
}

size_t CodePoints(const Text& text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(IsLowSurrogate(text[i]) && i > 0 && IsHighSurrogate(text[i - 1]))) ++count;
  }
  return count;
}

void ConsoleWrite(const Text& text) {
  ConsoleState& c = Console();
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (unit == '\n' || unit == '\r') {
      out += u'\n';  // the terminal, when there is one, adds the carriage return
      c.row += 1;
      c.column = 0;
      continue;
    }
    out += unit;
    bool secondOfPair = IsLowSurrogate(unit) && i > 0 && IsHighSurrogate(text[i - 1]);
    if (!secondOfPair) c.column += 1;  // a pair is one character
  }
  WriteOutput(OutputUtf8(out));
}

void ConsoleEndLine() {
  if (Console().column > 0) ConsoleWrite(u"\n");
}

void ConsoleSetAttribute(int attribute) {
  ConsoleState& c = Console();
  c.attribute = attribute & 0xFF;
  if (c.colors) WriteOutput(AnsiForAttribute(c.attribute));
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
