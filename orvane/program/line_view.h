// The prompt and the line being typed on the screen, with characters placed by their display
// width. The terminal wraps the line itself, so that one that reflows its lines on a resize
// keeps it as one line; the cursor never waits in the last column, where terminals disagree
// about what comes next. Each change rewrites the line only from the first character that
// changed.
#pragma once

#include <stddef.h>

#include <string>

#include "orvane/lib/display.h"

namespace orvane {

class LineView {
 public:
  // Shows the prompt and the line with the cursor before text[cursor], writing only what
  // changed since the last time: a character typed at the end is written alone, a move of the
  // cursor only moves it.
  void Show(const std::u16string& prompt, const std::u16string& text, size_t cursor);
  // The line was left for output below it: the next Show draws afresh from the cursor, which is
  // at the start of a line.
  void Forget() { drawn_ = false; }
  // Moves the cursor after the end of the line; returns its column there (0 when the line
  // filled its last row exactly, and the cursor went on to the next).
  int MoveToEnd();
  // Whether, on a terminal now `columns` wide, where the line starts depends on whether the
  // terminal reflowed it; Resize then needs the cursor's column.
  bool NeedsCursorColumn(int columns) const;
  // The terminal is now `columns` wide: the line is drawn again from its first row. Where that
  // row is depends on what the terminal did with the line: kept its rows cut or reflowed it to
  // the new width, which `cursorColumn` (where the terminal's cursor is now, from 0; -1 when it
  // is not known) tells apart, or else what this terminal did the last time it could be told.
  void Resize(int columns, int cursorColumn);
  int Columns() const { return columns_; }

 private:
  // Where the character at line_[index] starts (for line_.size(), where the cursor goes after
  // the line) on a terminal `columns` wide.
  ScreenPlace Locate(size_t index, int columns) const;
  // Writes line_ from about `from` to its end: from the start of the character before it when
  // `from` is a combining mark or the cursor cannot stand there. The terminal's cursor is at
  // at_, and the line as drawn before ended at `oldEnd`; what is left of it is erased.
  void Rewrite(size_t from, ScreenPlace oldEnd, std::string& out);
  static void MoveCursor(ScreenPlace from, ScreenPlace to, std::string& out);

  // Whether the terminal keeps its rows (cut at the new width) or reflows them on a resize,
  // as far as a resize has told.
  enum class Wrap { kUnknown, kKeepsRows, kReflows };

  int columns_ = 80;
  Wrap wrap_ = Wrap::kUnknown;
  std::u16string line_;  // the prompt and the text, as shown
  size_t cursor_ = 0;    // into line_
  bool drawn_ = false;
  ScreenPlace at_;   // the terminal's cursor
  ScreenPlace end_;  // where the cursor goes after the line
};

}  // namespace orvane
