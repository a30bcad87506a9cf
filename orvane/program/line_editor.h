// The command line being typed: its text, the cursor, the history of earlier lines and the
// search through it.
#pragma once

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

#include "orvane/lib/text.h"
#include "orvane/program/history_file.h"
#include "orvane/program/keys.h"

namespace orvane {

// What the shell does once the editor has taken a key.
enum class EditorAction {
  kShow,         // show the line as it now is
  kSubmit,       // Enter: run the line
  kGiveUp,       // Ctrl-C: give the line up
  kLeave,        // Ctrl-D on an empty line
  kClearScreen,  // Ctrl-L
  kComplete,     // Tab
  kSuspend,      // Ctrl-Z
};

class LineEditor {
 public:
  static constexpr size_t kMaxLength = kLongestLine;
  static constexpr size_t kHistoryLength = HistoryFile::kKept;

  EditorAction Apply(const Key& key);
  // Replaces the text, e.g. after the plug-in rewrote it; the cursor stays within it.
  void SetText(const std::u16string& text);
  // Replaces the text from `from` to the cursor, and puts the cursor after it.
  void ReplaceBeforeCursor(size_t from, const std::u16string& text);
  // Starts a new, empty line.
  void Clear();

  // Adds a line to the end of the history, unless it is blank or the same as the last one;
  // the oldest go beyond kHistoryLength. Returns whether it was added.
  bool Remember(const std::u16string& line);
  const std::vector<std::u16string>& History() const { return history_; }

  const std::u16string& Text() const { return text_; }
  size_t Cursor() const { return cursor_; }

  // A search backwards through the history (Ctrl-R): the line is the match found last.
  bool Searching() const { return searching_; }
  const std::u16string& SearchText() const { return query_; }
  bool SearchFailed() const { return searchFailed_; }

 private:
  // Keys while searching; false for a key that ends the search and then edits as usual.
  bool ApplyToSearch(const Key& key);
  // Looks for the search text in the history from `index` back to the oldest line, in the line
  // at `index` from `position` on.
  void SearchFrom(size_t index, size_t position = 0);
  void Recall(size_t index);
  void Insert(const std::u16string& text);
  // Cuts text_[from, to) into the cut buffer.
  void Cut(size_t from, size_t to);
  // Where the cursor goes one character (a character and the marks that combine with it), or
  // one word, to the left or right.
  size_t CharacterLeft() const;
  size_t CharacterRight() const;
  size_t WordLeft() const;
  size_t WordRight() const;
  // Whether the character before, or at, `at` is part of a word.
  bool WordBefore(size_t at) const;
  bool WordAt(size_t at) const;

  std::u16string text_;
  size_t cursor_ = 0;
  std::u16string cut_;  // what Ctrl-K, Ctrl-U and Ctrl-W cut, for Ctrl-Y
  std::vector<std::u16string> history_;
  size_t recalled_ = 0;  // index into history_; history_.size() is the line being typed
  // Lines of the history as edited since they were recalled, and the line being typed (at
  // history_.size()) while another is shown: Up and Down bring them back as they were left.
  std::map<size_t, std::u16string> edits_;

  bool searching_ = false;
  bool searchFailed_ = false;
  std::u16string query_;
  size_t match_ = 0;  // index into history_ of the match; history_.size() when none
  std::u16string beforeSearch_;
  size_t cursorBeforeSearch_ = 0;
};

}  // namespace orvane
