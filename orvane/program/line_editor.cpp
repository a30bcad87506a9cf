#include "orvane/program/line_editor.h"

#include "orvane/lib/display.h"

namespace orvane {

namespace {

// Words are runs of letters, digits, "_" and characters beyond ASCII other than blanks.
bool IsWordCharacter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         (c >= 0x80 && c != 0xA0 && c != 0x3000);
}

}  // namespace

EditorAction LineEditor::Apply(const Key& key) {
  EditorAction action = EditorAction::kShow;
  if (searching_ && ApplyToSearch(key, action)) return action;
  switch (key.id) {
    case KeyId::kCharacter:
      Insert(key.text);
      break;
    case KeyId::kEnter:
      return EditorAction::kSubmit;
    case KeyId::kTab:
      return EditorAction::kComplete;
    case KeyId::kBackspace: {
      size_t left = CharacterLeft();
      text_.erase(left, cursor_ - left);
      cursor_ = left;
      break;
    }
    case KeyId::kCtrlD:
      if (text_.empty()) return EditorAction::kLeave;
      [[fallthrough]];
    case KeyId::kDelete:
      text_.erase(cursor_, CharacterRight() - cursor_);
      break;
    case KeyId::kLeft:
    case KeyId::kCtrlB:
      cursor_ = CharacterLeft();
      break;
    case KeyId::kRight:
    case KeyId::kCtrlF:
      cursor_ = CharacterRight();
      break;
    case KeyId::kWordLeft:
    case KeyId::kAltB:
      cursor_ = WordLeft();
      break;
    case KeyId::kWordRight:
    case KeyId::kAltF:
      cursor_ = WordRight();
      break;
    case KeyId::kHome:
    case KeyId::kCtrlA:
      cursor_ = 0;
      break;
    case KeyId::kEnd:
    case KeyId::kCtrlE:
      cursor_ = text_.size();
      break;
    case KeyId::kUp:
      if (recalled_ == 0) break;
      if (recalled_ == history_.size()) draft_ = text_;
      Recall(recalled_ - 1);
      break;
    case KeyId::kDown:
      if (recalled_ < history_.size()) Recall(recalled_ + 1);
      break;
    case KeyId::kCtrlU:
      Cut(0, cursor_);
      break;
    case KeyId::kCtrlK:
      Cut(cursor_, text_.size());
      break;
    case KeyId::kCtrlW:
    case KeyId::kAltBackspace:
      Cut(WordLeft(), cursor_);
      break;
    case KeyId::kCtrlY:
      Insert(cut_);
      break;
    case KeyId::kCtrlR:
      searching_ = true;
      searchFailed_ = false;
      query_.clear();
      match_ = history_.size();
      beforeSearch_ = text_;
      cursorBeforeSearch_ = cursor_;
      break;
    case KeyId::kCtrlC:
      return EditorAction::kGiveUp;
    case KeyId::kCtrlL:
      return EditorAction::kClearScreen;
    case KeyId::kCtrlZ:
      return EditorAction::kSuspend;
    default:
      break;  // keys it does not know change nothing
  }
  return action;
}

bool LineEditor::ApplyToSearch(const Key& key, EditorAction& action) {
  switch (key.id) {
    case KeyId::kCharacter:
      query_ += key.text;
      SearchFrom(match_ < history_.size() ? match_ : history_.size());
      return true;
    case KeyId::kBackspace:
      query_.erase(PreviousCodePoint(query_, query_.size()));
      SearchFrom(history_.size());
      return true;
    case KeyId::kCtrlR:
      if (!query_.empty() && match_ > 0) SearchFrom(match_ - 1);
      return true;
    case KeyId::kCtrlG:
    case KeyId::kEscape:
      searching_ = false;
      text_ = beforeSearch_;
      cursor_ = cursorBeforeSearch_;
      action = EditorAction::kShow;
      return true;
    default:
      searching_ = false;  // the match stays, and the key edits it
      recalled_ = history_.size();
      return false;
  }
}

void LineEditor::SearchFrom(size_t index) {
  searchFailed_ = false;
  if (query_.empty()) {
    match_ = history_.size();
    text_ = beforeSearch_;
    cursor_ = cursorBeforeSearch_;
    return;
  }
  for (size_t i = index < history_.size() ? index + 1 : history_.size(); i-- > 0;) {
    size_t found = history_[i].find(query_);
    if (found != std::u16string::npos) {
      match_ = i;
      text_ = history_[i];
      cursor_ = found;
      return;
    }
  }
  searchFailed_ = true;  // the last match stays
}

void LineEditor::Recall(size_t index) {
  recalled_ = index;
  text_ = index < history_.size() ? history_[index] : draft_;
  cursor_ = text_.size();
}

void LineEditor::Insert(const std::u16string& text) {
  if (text_.size() + text.size() > kMaxLength) return;
  text_.insert(cursor_, text);
  cursor_ += text.size();
}

void LineEditor::Cut(size_t from, size_t to) {
  if (from == to) return;
  cut_ = text_.substr(from, to - from);
  text_.erase(from, to - from);
  cursor_ = from;
}

size_t LineEditor::CharacterLeft() const {
  size_t at = cursor_, units = 0;
  do {
    at = PreviousCodePoint(text_, at);
  } while (at > 0 && CodePointWidth(CodePointAt(text_, at, &units)) == 0);
  return at;
}

size_t LineEditor::CharacterRight() const {
  size_t at = cursor_, units = 0;
  if (at >= text_.size()) return at;
  CodePointAt(text_, at, &units);
  at += units;
  while (at < text_.size() && CodePointWidth(CodePointAt(text_, at, &units)) == 0) at += units;
  return at;
}

size_t LineEditor::WordLeft() const {
  size_t at = cursor_;
  while (at > 0 && !IsWordCharacter(text_[at - 1])) --at;
  while (at > 0 && IsWordCharacter(text_[at - 1])) --at;
  return at;
}

size_t LineEditor::WordRight() const {
  size_t at = cursor_;
  while (at < text_.size() && !IsWordCharacter(text_[at])) ++at;
  while (at < text_.size() && IsWordCharacter(text_[at])) ++at;
  return at;
}

void LineEditor::SetText(const std::u16string& text) {
  text_ = text.substr(0, kMaxLength);
  if (cursor_ > text_.size()) cursor_ = text_.size();
  searching_ = false;
}

void LineEditor::ReplaceBeforeCursor(size_t from, const std::u16string& text) {
  if (from > cursor_ || text_.size() - (cursor_ - from) + text.size() > kMaxLength) return;
  text_.replace(from, cursor_ - from, text);
  cursor_ = from + text.size();
}

void LineEditor::Clear() {
  text_.clear();
  draft_.clear();
  cursor_ = 0;
  recalled_ = history_.size();
  searching_ = false;
}

bool LineEditor::Remember(const std::u16string& line) {
  if (line.find_first_not_of(u" \t") == std::u16string::npos) return false;
  if (!history_.empty() && history_.back() == line) return false;
  history_.push_back(line);
  if (history_.size() > kHistoryLength) history_.erase(history_.begin());
  recalled_ = history_.size();
  return true;
}

}  // namespace orvane
