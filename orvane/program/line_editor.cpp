#include "orvane/program/line_editor.h"

namespace orvane {

namespace {
bool Is(const Key& key, const char16_t* name) {
  return std::u16string(key.name) == name;
}
}  // namespace

bool LineEditor::Apply(const Key& key) {
  if (!key.text.empty()) {
    if (text_.size() + key.text.size() > kMaxLength) return false;
    text_.insert(cursor_, key.text);
    cursor_ += key.text.size();
  } else if (Is(key, u"Backspace")) {
    if (cursor_ == 0) return false;
    size_t width =
        (cursor_ >= 2 && text_[cursor_ - 1] >= 0xDC00 && text_[cursor_ - 1] <= 0xDFFF) ? 2 : 1;
    text_.erase(cursor_ - width, width);
    cursor_ -= width;
  } else if (Is(key, u"Del") || key.code == 4) {
    if (cursor_ >= text_.size()) return false;
    text_.erase(cursor_, (text_[cursor_] >= 0xD800 && text_[cursor_] <= 0xDBFF) ? 2 : 1);
  } else if (Is(key, u"Left") || key.code == 2) {
    if (cursor_ == 0) return false;
    cursor_ -=
        (cursor_ >= 2 && text_[cursor_ - 1] >= 0xDC00 && text_[cursor_ - 1] <= 0xDFFF) ? 2 : 1;
  } else if (Is(key, u"Right") || key.code == 6) {
    if (cursor_ >= text_.size()) return false;
    cursor_ += (text_[cursor_] >= 0xD800 && text_[cursor_] <= 0xDBFF) ? 2 : 1;
  } else if (Is(key, u"Home") || key.code == 1) {
    cursor_ = 0;
  } else if (Is(key, u"End") || key.code == 5) {
    cursor_ = text_.size();
  } else if (Is(key, u"Up")) {
    if (recalled_ == 0) return false;
    if (recalled_ == history_.size()) draft_ = text_;
    Recall(recalled_ - 1);
  } else if (Is(key, u"Down")) {
    if (recalled_ >= history_.size()) return false;
    Recall(recalled_ + 1);
  } else if (key.code == 21) {  // Ctrl-U: everything before the cursor
    text_.erase(0, cursor_);
    cursor_ = 0;
  } else {
    return false;
  }
  return true;
}

void LineEditor::Recall(size_t index) {
  recalled_ = index;
  text_ = index < history_.size() ? history_[index] : draft_;
  cursor_ = text_.size();
}

void LineEditor::SetText(const std::u16string& text) {
  text_ = text.substr(0, kMaxLength);
  if (cursor_ > text_.size()) cursor_ = text_.size();
}

std::u16string LineEditor::Finish() {
  std::u16string line = text_;
  if (!line.empty() && (history_.empty() || history_.back() != line)) history_.push_back(line);
  text_.clear();
  draft_.clear();
  cursor_ = 0;
  recalled_ = history_.size();
  return line;
}

}  // namespace orvane
