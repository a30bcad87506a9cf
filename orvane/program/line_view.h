// The prompt and the line being typed on the screen: wrapped at the terminal's width, with
// characters placed by their display width, and redrawn with as little output as it takes.
#pragma once

#include <stddef.h>

#include <string>

namespace orvane {

class LineView {
 public:
  // Shows the prompt and the line with the cursor before text[cursor]. What is already on the
  // screen is changed as little as it can be: a character typed at the end is written alone, a
  // move of the cursor only moves it, anything else redraws the prompt and the line.
  void Show(const std::u16string& prompt, const std::u16string& text, size_t cursor);
  // The line was left for output below it: the next Show draws afresh from the cursor, which is
  // at the start of a line.
  void Forget() { drawn_ = false; }
  // Moves the cursor after the end of the line; returns its column there (0 when the line
  // filled its last row exactly, and the cursor went on to the next).
  int MoveToEnd();
  // The terminal's width changed: the line is drawn again at the new width.
  void Resize(int columns);
  int Columns() const { return columns_; }

 private:
  struct Place {
    int row = 0;  // from the first row of the prompt
    int column = 0;
  };
  // Moves `place` over the character `c`, and writes it to `out` when that is given. A
  // character too wide for what is left of the row starts the next; a row filled exactly is
  // left for the next, so that the cursor never waits in the last column, where terminals
  // disagree about what comes next.
  void Step(char32_t c, Place& place, std::string* out) const;
  // Writes line_ from `index` on, from `place`, which moves on to its end.
  void Put(size_t index, Place& place, std::string& out) const;
  // Where the character at line_[index] starts (after the last one for line_.size()).
  Place Locate(size_t index) const;
  // Writes the whole of line_ from the start of its first row, and puts the cursor at cursor_.
  void Draw(std::string& out);
  static void MoveCursor(Place from, Place to, std::string& out);

  int columns_ = 80;
  std::u16string line_;  // the prompt and the text, as shown
  size_t promptLength_ = 0;
  size_t cursor_ = 0;  // into line_
  bool drawn_ = false;
  Place at_;   // the terminal's cursor
  Place end_;  // after the last character
};

}  // namespace orvane
