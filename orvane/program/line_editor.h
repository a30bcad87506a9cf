// The command line being typed: its text, the cursor, and the history of earlier lines.
#pragma once

#include <string>
#include <vector>

#include "orvane/program/keys.h"

namespace orvane {

class LineEditor {
 public:
  static constexpr size_t kMaxLength = 16383;  // the host's buffer holds 16384 with the end

  // Applies an editing key; returns false for keys it does not know.
  bool Apply(const Key& key);
  // Replaces the text, e.g. after the plug-in rewrote it; the cursor stays within it.
  void SetText(const std::u16string& text);
  // Ends the line: it joins the history (when not empty) and the editor starts afresh.
  std::u16string Finish();

  const std::u16string& Text() const { return text_; }
  size_t Cursor() const { return cursor_; }

 private:
  void Recall(size_t index);

  std::u16string text_;
  size_t cursor_ = 0;
  std::vector<std::u16string> history_;
  size_t recalled_ = 0;  // index into history_; history_.size() is the line being typed
  std::u16string draft_;
};

}  // namespace orvane
