#include "orvane/program/line_editor.h"

#include "orvane/lib/display.h"

namespace orvane {

namespace {

// Words are runs of letters and digits of any script and "_"; a mark that combines with a
// letter belongs to it. Symbols such as "×" and "−" separate words, as "*" and "-" do.
bool IsWordCharacter(char32_t c) {
  return c == '_' || IsLetterOrDigit(c) || (c >= 0x80 && CodePointWidth(c) == 0);
}

}  // namespace

EditorAction LineEditor::Apply(const Key& key) {
  EditorAction action = EditorAction::kShow;
  if (searching_ && ApplyToSearch(key)) return action;
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
      if (recalled_ > 0) Recall(recalled_ - 1);
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
      edits_[recalled_] = text_;
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

bool LineEditor::ApplyToSearch(const Key& key) {
  switch (key.id) {
    case KeyId::kCharacter:
      // A longer search text matches only where the shorter one did: from the match on, and
      // not at all once the shorter one failed.
      query_ += key.text;
      if (!searchFailed_) SearchFrom(match_, match_ < history_.size() ? cursor_ : 0);
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
      return true;
    default:
      // The match stays, and the key edits it; Up and Down go on from it through the history,
      // and Down past its end gives back the line from before the search.
      searching_ = false;
      if (match_ < history_.size()) recalled_ = match_;
      return false;
  }
}

void LineEditor::SearchFrom(size_t index, size_t position) {
  searchFailed_ = false;
  if (query_.empty()) {
    match_ = history_.size();
    text_ = beforeSearch_;
    cursor_ = cursorBeforeSearch_;
    return;
  }
  for (size_t i = index < history_.size() ? index + 1 : history_.size(); i-- > 0; position = 0) {
    size_t found = history_[i].find(query_, position);
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
  edits_[recalled_] = text_;  // kept until the line is run or given up, as typed so far
  recalled_ = index;
  auto edited = edits_.find(index);
  if (edited != edits_.end()) {
    text_ = edited->second;
  } else {
    text_ = index < history_.size() ? history_[index] : std::u16string();
  }
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
  at = NextCodePoint(text_, at);
  while (at < text_.size() && CodePointWidth(CodePointAt(text_, at, &units)) == 0) at += units;
  return at;
}

bool LineEditor::WordBefore(size_t at) const {
  size_t units = 0;
  return IsWordCharacter(CodePointAt(text_, PreviousCodePoint(text_, at), &units));
}

bool LineEditor::WordAt(size_t at) const {
  size_t units = 0;
  return IsWordCharacter(CodePointAt(text_, at, &units));
}

size_t LineEditor::WordLeft() const {
  size_t at = cursor_;
  while (at > 0 && !WordBefore(at)) at = PreviousCodePoint(text_, at);
  while (at > 0 && WordBefore(at)) at = PreviousCodePoint(text_, at);
  return at;
}

size_t LineEditor::WordRight() const {
  size_t at = cursor_;
  while (at < text_.size() && !WordAt(at)) at = NextCodePoint(text_, at);
  while (at < text_.size() && WordAt(at)) at = NextCodePoint(text_, at);
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
  edits_.clear();
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
