#include "orvane/program/line_view.h"

#include "orvane/lib/console.h"
#include "orvane/lib/display.h"

namespace orvane {

namespace {

void Csi(int count, char command, std::string& out) {
  out += "\x1b[" + std::to_string(count) + command;
}

}  // namespace

void LineView::Step(char32_t c, Place& place, std::string* out) const {
  int width = CodePointWidth(c);
  if (place.column + width > columns_ && place.column > 0) {
    if (out) {
      out->append(static_cast<size_t>(columns_ - place.column), ' ');
      *out += "\r\n";
    }
    ++place.row;
    place.column = 0;
  }
  if (out) AppendShown(c, *out);
  place.column += width;
  if (place.column >= columns_) {
    if (out) *out += "\r\n";
    ++place.row;
    place.column = 0;
  }
}

void LineView::Put(size_t index, Place& place, std::string& out) const {
  size_t units = 0;
  for (size_t i = index; i < line_.size(); i += units) {
    Step(CodePointAt(line_, i, &units), place, &out);
  }
}

LineView::Place LineView::Locate(size_t index) const {
  Place place;
  size_t units = 0;
  for (size_t i = 0; i < index; i += units) Step(CodePointAt(line_, i, &units), place, nullptr);
  if (index < line_.size()) {
    int width = CodePointWidth(CodePointAt(line_, index, &units));
    if (place.column + width > columns_ && place.column > 0) {
      ++place.row;
      place.column = 0;
    }
  }
  return place;
}

void LineView::MoveCursor(Place from, Place to, std::string& out) {
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

void LineView::Draw(std::string& out) {
  Place place;
  Put(0, place, out);
  end_ = place;
  Place cursor = Locate(cursor_);
  MoveCursor(end_, cursor, out);
  at_ = cursor;
  drawn_ = true;
}

void LineView::Show(const std::u16string& prompt, const std::u16string& text, size_t cursor) {
  std::u16string line = prompt + text;
  size_t target = prompt.size() + cursor;
  std::string out;
  bool samePrompt = drawn_ && prompt.size() == promptLength_;
  if (samePrompt && line == line_ && target == cursor_) {
    return;  // nothing changed
  } else if (samePrompt && line == line_) {
    Place to = Locate(target);
    MoveCursor(at_, to, out);
    at_ = to;
  } else if (samePrompt && target == line.size() && cursor_ == line_.size() &&
             line.compare(0, line_.size(), line_) == 0) {
    size_t from = line_.size();
    line_ = line;
    Put(from, end_, out);  // typed at the end: only what is new
    at_ = end_;
  } else {
    if (drawn_) {
      MoveCursor(at_, Place(), out);
      out += "\x1b[J";
    }
    line_ = line;
    cursor_ = target;
    Draw(out);
  }
  cursor_ = target;
  promptLength_ = prompt.size();
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

void LineView::Resize(int columns) {
  if (columns < 1 || columns == columns_) return;
  std::string out;
  if (drawn_) {
    // The terminal's cursor is still where it was in the line as drawn at the old width.
    MoveCursor(at_, Place(), out);
    out += "\x1b[J";
  }
  columns_ = columns;
  if (drawn_) Draw(out);
  WriteOutput(out);
}

}  // namespace orvane
