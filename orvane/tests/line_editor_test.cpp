#include "orvane/program/line_editor.h"

#include <gtest/gtest.h>

#include "orvane/lib/text.h"

namespace orvane {
namespace {

Key Named(KeyId id) {
  Key key;
  key.id = id;
  return key;
}
Key Typed(const std::u16string& text) {
  Key key;
  key.id = KeyId::kCharacter;
  key.code = text[0];
  key.text = text;
  return key;
}

void Type(LineEditor& editor, const std::u16string& text) {
  for (char16_t c : text) editor.Apply(Typed(std::u16string(1, c)));
}

TEST(LineEditorTest, EditsAtTheCursor) {
  LineEditor editor;
  Type(editor, u"=1+3");
  editor.Apply(Named(KeyId::kLeft));
  Type(editor, u"2");  // =1+23
  editor.Apply(Named(KeyId::kHome));
  editor.Apply(Named(KeyId::kDelete));  // 1+23
  editor.Apply(Named(KeyId::kEnd));
  editor.Apply(Named(KeyId::kBackspace));  // 1+2
  EXPECT_EQ(editor.Text(), u"1+2");
  EXPECT_EQ(editor.Cursor(), 3u);
  editor.Apply(Named(KeyId::kCtrlA));
  editor.Apply(Named(KeyId::kCtrlF));
  editor.Apply(Named(KeyId::kCtrlU));
  EXPECT_EQ(editor.Text(), u"+2");
  EXPECT_EQ(editor.Apply(Named(KeyId::kBackspace)), EditorAction::kShow);
  EXPECT_EQ(editor.Text(), u"+2");
  EXPECT_EQ(editor.Apply(Named(KeyId::kUnknown)), EditorAction::kShow);
  EXPECT_EQ(editor.Text(), u"+2");
}

TEST(LineEditorTest, KeepsSurrogatePairsWhole) {
  LineEditor editor;
  editor.Apply(Typed(u"\U0001F600"));
  Type(editor, u"x");
  editor.Apply(Named(KeyId::kLeft));
  editor.Apply(Named(KeyId::kLeft));
  EXPECT_EQ(editor.Cursor(), 0u);
  editor.Apply(Named(KeyId::kDelete));
  EXPECT_EQ(editor.Text(), u"x");
}

TEST(LineEditorTest, HistoryGoesBackAndForthAndKeepsTheDraft) {
  LineEditor editor;
  editor.Remember(u"one");
  editor.Remember(u"two");
  Type(editor, u"dra");
  editor.Apply(Named(KeyId::kUp));
  EXPECT_EQ(editor.Text(), u"two");
  editor.Apply(Named(KeyId::kUp));
  EXPECT_EQ(editor.Text(), u"one");
  editor.Apply(Named(KeyId::kUp));
  EXPECT_EQ(editor.Text(), u"one");
  editor.Apply(Named(KeyId::kDown));
  editor.Apply(Named(KeyId::kDown));
  EXPECT_EQ(editor.Text(), u"dra");
  editor.Apply(Named(KeyId::kDown));
  EXPECT_EQ(editor.Text(), u"dra");
}

TEST(LineEditorTest, StopsAtTheHostsLineLength) {
  LineEditor editor;
  editor.SetText(std::u16string(LineEditor::kMaxLength + 10, 'x'));
  EXPECT_EQ(editor.Text().size(), LineEditor::kMaxLength);
  editor.Apply(Named(KeyId::kEnd));
  editor.Apply(Typed(u"y"));
  EXPECT_EQ(editor.Text().size(), LineEditor::kMaxLength);
}

// A key, or characters typed one by one (a surrogate pair as one key).
struct Step {
  KeyId id = KeyId::kCharacter;
  std::u16string text;
  Step(KeyId key) : id(key) {}                  // NOLINT: rows read better without the type
  Step(const char16_t* typed) : text(typed) {}  // NOLINT
};

struct EditCase {
  const char* name;
  std::vector<std::u16string> history;
  std::vector<Step> steps;
  std::u16string text;  // the line afterwards, with "|" where the cursor is
  EditorAction last = EditorAction::kShow;
  std::u16string search = u"-";  // the search text while still searching
};
std::ostream& operator<<(std::ostream& out, const EditCase& c) {
  return out << c.name;
}

class EditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditTest, LeavesTheLineAndCursorSo) {
  const EditCase& c = GetParam();
  LineEditor editor;
  for (const std::u16string& line : c.history) editor.Remember(line);
  EditorAction action = EditorAction::kShow;
  for (const Step& step : c.steps) {
    if (step.id != KeyId::kCharacter) {
      action = editor.Apply(Named(step.id));
      continue;
    }
    for (size_t i = 0; i < step.text.size(); ++i) {
      bool pair = step.text[i] >= 0xD800 && step.text[i] <= 0xDBFF;
      action = editor.Apply(Typed(step.text.substr(i, pair ? 2 : 1)));
      i += pair ? 1 : 0;
    }
  }
  const std::u16string& text = editor.Text();
  EXPECT_EQ(Narrow(text.substr(0, editor.Cursor())) + "|" + Narrow(text.substr(editor.Cursor())),
            Narrow(c.text));
  EXPECT_EQ(action, c.last);
  EXPECT_EQ(editor.Searching(), c.search != u"-");
  if (editor.Searching()) {
    EXPECT_EQ(Narrow(editor.SearchText()), Narrow(c.search));
  }
}

using K = KeyId;
INSTANTIATE_TEST_SUITE_P(
    EditingKeys, EditTest,
    ::testing::Values(
        EditCase{
            "WordLeftAndRight", {}, {u"=sqrt(12)+ab", K::kAltB, K::kWordLeft}, u"=sqrt(|12)+ab"},
        EditCase{"WordRightFromTheStart",
                 {},
                 {u"=sqrt(12)", K::kHome, K::kAltF, K::kWordRight},
                 u"=sqrt(12|)"},
        EditCase{"CtrlWCutsTheWordBefore", {}, {u"=1+foo ", K::kCtrlW}, u"=1+|"},
        EditCase{"AltBackspaceCutsTheWordBefore", {}, {u"=2*abc", K::kAltBackspace}, u"=2*|"},
        EditCase{"CtrlKCutsToTheEndAndCtrlYPutsItBack",
                 {},
                 {u"=1+2*3", K::kLeft, K::kLeft, K::kCtrlK, K::kHome, K::kCtrlY},
                 u"*3|=1+2"},
        EditCase{"CtrlDDeletesUnderTheCursor", {}, {u"=12", K::kLeft, K::kCtrlD}, u"=1|"},
        EditCase{"CtrlDOnAnEmptyLineLeaves", {}, {K::kCtrlD}, u"|", EditorAction::kLeave},
        EditCase{
            "ControlCodesInsertNothing", {}, {u"=1", K::kControl, K::kCtrlG, K::kEscape}, u"=1|"},
        EditCase{"KeysThatAskTheShell", {}, {u"=s", K::kTab}, u"=s|", EditorAction::kComplete},
        EditCase{"MovesOverACombiningMarkWithItsLetter",
                 {},
                 {u"e\u0301x", K::kLeft, K::kLeft},
                 u"|e\u0301x"},
        EditCase{"BackspaceTakesAPairWhole", {}, {u"a\U0001F600", K::kBackspace}, u"a|"},
        EditCase{"CtrlRFindsTheNewestMatch",
                 {u"=1+1", u"=2*3", u"=1+4"},
                 {K::kCtrlR, u"1+"},
                 u"=|1+4",
                 EditorAction::kShow,
                 u"1+"},
        EditCase{"CtrlRAgainGoesFurtherBack",
                 {u"=1+1", u"=2*3", u"=1+4"},
                 {K::kCtrlR, u"1+", K::kCtrlR},
                 u"=|1+1",
                 EditorAction::kShow,
                 u"1+"},
        EditCase{"SearchThatFailsKeepsTheLastMatch",
                 {u"=1+1", u"=2*3"},
                 {K::kCtrlR, u"2*x"},
                 u"=|2*3",
                 EditorAction::kShow,
                 u"2*x"},
        EditCase{"EscapeGivesTheSearchUp", {u"=1+1"}, {u"=9", K::kCtrlR, u"1", K::kEscape}, u"=9|"},
        EditCase{"AnotherKeyTakesTheMatchAndEditsIt",
                 {u"=1+1", u"=2*3"},
                 {K::kCtrlR, u"2", K::kEnd, u"0"},
                 u"=2*30|"},
        EditCase{"UpAfterASearchGoesToTheLineBeforeTheMatch",
                 {u"=1", u"=2*3", u"=4", u"=5"},
                 {K::kCtrlR, u"2*", K::kUp},
                 u"=1|"},
        EditCase{"DownPastTheHistoryAfterASearchGivesTheDraftBack",
                 {u"=1", u"=2*3", u"=4"},
                 {u"=9", K::kCtrlR, u"2*", K::kDown, K::kDown},
                 u"=9|"},
        EditCase{"LongerSearchTextFindsAnOlderLine",
                 {u"=12", u"=1", u"=13"},
                 {K::kCtrlR, u"12"},
                 u"=|12",
                 EditorAction::kShow,
                 u"12"},
        EditCase{"LongerSearchTextFindsALaterPlaceInTheMatch",
                 {u"=1+12"},
                 {K::kCtrlR, u"12"},
                 u"=1+|12",
                 EditorAction::kShow,
                 u"12"},
        EditCase{"EditsToARecalledLineStayUntilEnter",
                 {u"=11", u"=22"},
                 {u"draft", K::kUp, u"+edit", K::kUp, K::kDown},
                 u"=22+edit|"},
        EditCase{"TheDraftStaysBesideEditedLines",
                 {u"=11", u"=22"},
                 {u"draft", K::kUp, u"+edit", K::kUp, u"0", K::kDown, K::kDown},
                 u"draft|"},
        EditCase{"CtrlWStopsAtSymbolsBeyondAscii", {}, {u"=1+2×3−4", K::kCtrlW}, u"=1+2×3−|"},
        EditCase{"LettersOfAnyScriptMakeAWord", {}, {u"=x+straßé", K::kCtrlW}, u"=x+|"},
        EditCase{"EnterTakesTheMatch",
                 {u"=1+1", u"=2*3"},
                 {K::kCtrlR, u"+", K::kEnter},
                 u"=1|+1",
                 EditorAction::kSubmit}));

TEST(LineEditorTest, HistoryKeepsTheLastThousandWithoutRepeats) {
  LineEditor editor;
  EXPECT_TRUE(editor.Remember(u"a"));
  EXPECT_FALSE(editor.Remember(u"a"));
  EXPECT_FALSE(editor.Remember(u"  "));
  for (int i = 0; i < 1005; ++i) editor.Remember(Wide(std::to_string(i)));
  ASSERT_EQ(editor.History().size(), LineEditor::kHistoryLength);
  EXPECT_EQ(editor.History().front(), u"5");
  EXPECT_EQ(editor.History().back(), u"1004");
}

}  // namespace
}  // namespace orvane
