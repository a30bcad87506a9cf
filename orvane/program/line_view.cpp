#include "orvane/program/line_view.h"

#include <algorithm>

#include "orvane/lib/console.h"

namespace orvane {

namespace {

void Csi(int count, char command, std::string& out) {
  out += "\x1b[" + std::to_string(count) + command;
}

}  // namespace

ScreenPlace LineView::Locate(size_t index, int columns) const {
  ScreenPlace place;
  Advance(line_, 0, index, columns, place, nullptr);
  size_t units = 0;
  int width = index < line_.size() ? CodePointWidth(CodePointAt(line_, index, &units)) : 1;
  return StartOf(width, columns, place);
}

void LineView::MoveCursor(ScreenPlace from, ScreenPlace to, std::string& out) {
  if (to.row < from.row) Csi(from.row - to.row, 'A', out);
  if (to.row > from.row) Csi(to.row - from.row, 'B', out);
  if (to.column == 0 && from.column != 0) {
    out += '\r';
  } else if (to.column < from.column) {
    Csi(from.column - to.column, 'D', out);
  } else if (to.column > from.column) {
    Csi(to.column - from.column, 'C', out);
  }
}

void LineView::Rewrite(size_t from, ScreenPlace oldEnd, std::string& out) {
  // The last character at or before `from` that has a width (not a mark that combines with the
  // one before it), and where the cursor goes to write it: where the pen is, or the start of
  // the next row when the pen waits in the last column to wrap.
  ScreenPlace place, start;
  size_t first = 0, units = 1;
  for (size_t i = 0; i <= from && i <= line_.size(); i += units) {
    char32_t c = U' ';  // after the end, as if a character were typed
    units = 1;
    if (i < line_.size()) c = CodePointAt(line_, i, &units);
    if (CodePointWidth(c) > 0) {
      first = i;
      start = place.column < columns_ ? place : ScreenPlace{place.row + 1, 0};
    }
    if (i < from && i < line_.size()) Advance(c, columns_, place, nullptr);
  }
  MoveCursor(at_, start, out);
  place = start;
  Advance(line_, first, line_.size(), columns_, place, &out);
  if (place.column >= columns_) {
    out += " \r";  // the wrap is taken now, so that the cursor can be moved from here
    ++place.row;
    place.column = 0;
  }
  if (place < oldEnd) {
    out += "\x1b[J";  // what is left of the longer line drawn before
  } else if (place.row > oldEnd.row) {
    out += "\x1b[K";  // a row the line started, maybe just scrolled in: in the current colours
  }
  at_ = place;
  end_ = place;
}

void LineView::Show(const std::u16string& prompt, const std::u16string& text, size_t cursor) {
  std::u16string line = prompt + text;
  std::string out;
  if (!drawn_) {
    line_.clear();
    at_ = end_ = ScreenPlace();
    drawn_ = true;
  }
  size_t same = static_cast<size_t>(
      std::mismatch(line.begin(),
                    line.begin() + static_cast<ptrdiff_t>(std::min(line.size(), line_.size())),
                    line_.begin())
          .first -
      line.begin());
  if (same < line.size() || same < line_.size()) {
    line_ = line;
    Rewrite(same, end_, out);
  }
  cursor_ = prompt.size() + cursor;
  ScreenPlace to = Locate(cursor_, columns_);
  MoveCursor(at_, to, out);
  at_ = to;
  WriteOutput(out);
}

int LineView::MoveToEnd() {
  std::string out;
  MoveCursor(at_, end_, out);
  at_ = end_;
  cursor_ = line_.size();
  WriteOutput(out);
  return end_.column;
}

bool LineView::NeedsCursorColumn(int columns) const {
  return drawn_ && columns != columns_ && Locate(cursor_, columns).row != at_.row;
}

void LineView::Resize(int columns, int cursorColumn) {
  if (columns < 1 || columns == columns_) return;
  if (!drawn_) {
    columns_ = columns;
    return;
  }
  // A terminal that keeps its rows leaves the cursor where it was, or at its new last column;
  // one that reflows the line puts it where the line at the new width has it.
  ScreenPlace reflowed = Locate(cursor_, columns);
  bool kept = cursorColumn == at_.column || cursorColumn == std::min(at_.column, columns - 1);
  bool rewrapped = cursorColumn == reflowed.column;
  // The cursor's row cannot tell them apart: a terminal that reflows may keep the cursor on its
  // row and move what is above it. A terminal does the same at every resize, though.
  if (kept && rewrapped && wrap_ != Wrap::kUnknown) {
    kept = wrap_ == Wrap::kKeepsRows;
    rewrapped = !kept;
  } else if (kept != rewrapped) {
    wrap_ = kept ? Wrap::kKeepsRows : Wrap::kReflows;
  }
  // When it cannot be told, the nearer row: it may leave part of the line behind, but never
  // erases what was above it.
  int rowsUp = std::min(at_.row, reflowed.row);
  if (kept && !rewrapped) rowsUp = at_.row;
  if (rewrapped && !kept) rowsUp = reflowed.row;
  std::string out;
  if (rowsUp > 0) Csi(rowsUp, 'A', out);
  out += "\r\x1b[J";
  columns_ = columns;
  at_ = end_ = ScreenPlace();
  Rewrite(0, end_, out);
  ScreenPlace to = Locate(cursor_, columns_);
  MoveCursor(at_, to, out);
  at_ = to;
  WriteOutput(out);
}

}  // namespace orvane
