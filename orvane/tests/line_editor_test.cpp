#include "orvane/program/line_editor.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

Key Named(const char16_t* name) {
  Key key;
  key.name = name;
  return key;
}
Key Typed(const std::u16string& text) {
  Key key;
  key.code = text[0];
  key.text = text;
  return key;
}
Key Control(char16_t code) {
  Key key;
  key.code = code;
  return key;
}

void Type(LineEditor& editor, const std::u16string& text) {
  for (char16_t c : text) editor.Apply(Typed(std::u16string(1, c)));
}

TEST(LineEditorTest, EditsAtTheCursor) {
  LineEditor editor;
  Type(editor, u"=1+3");
  editor.Apply(Named(u"Left"));
  Type(editor, u"2");  // =1+23
  editor.Apply(Named(u"Home"));
  editor.Apply(Named(u"Del"));  // 1+23
  editor.Apply(Named(u"End"));
  editor.Apply(Named(u"Backspace"));  // 1+2
  EXPECT_EQ(editor.Text(), u"1+2");
  EXPECT_EQ(editor.Cursor(), 3u);
  editor.Apply(Control(1));   // Ctrl-A
  editor.Apply(Control(6));   // Ctrl-F
  editor.Apply(Control(21));  // Ctrl-U
  EXPECT_EQ(editor.Text(), u"+2");
  EXPECT_FALSE(editor.Apply(Named(u"Backspace")));
  EXPECT_FALSE(editor.Apply(Named(u"Unknown")));
}

TEST(LineEditorTest, KeepsSurrogatePairsWhole) {
  LineEditor editor;
  editor.Apply(Typed(u"\U0001F600"));
  Type(editor, u"x");
  editor.Apply(Named(u"Left"));
  editor.Apply(Named(u"Left"));
  EXPECT_EQ(editor.Cursor(), 0u);
  editor.Apply(Named(u"Del"));
  EXPECT_EQ(editor.Text(), u"x");
}

TEST(LineEditorTest, HistoryGoesBackAndForthAndKeepsTheDraft) {
  LineEditor editor;
  Type(editor, u"one");
  editor.Finish();
  Type(editor, u"two");
  editor.Finish();
  Type(editor, u"dra");
  editor.Apply(Named(u"Up"));
  EXPECT_EQ(editor.Text(), u"two");
  editor.Apply(Named(u"Up"));
  EXPECT_EQ(editor.Text(), u"one");
  EXPECT_FALSE(editor.Apply(Named(u"Up")));
  editor.Apply(Named(u"Down"));
  editor.Apply(Named(u"Down"));
  EXPECT_EQ(editor.Text(), u"dra");
  EXPECT_FALSE(editor.Apply(Named(u"Down")));
}

TEST(LineEditorTest, StopsAtTheHostsLineLength) {
  LineEditor editor;
  editor.SetText(std::u16string(LineEditor::kMaxLength + 10, 'x'));
  EXPECT_EQ(editor.Text().size(), LineEditor::kMaxLength);
  editor.Apply(Named(u"End"));
  EXPECT_FALSE(editor.Apply(Typed(u"y")));
  EXPECT_EQ(editor.Text().size(), LineEditor::kMaxLength);
}

}  // namespace
}  // namespace orvane
