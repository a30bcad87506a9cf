// How text shows at a terminal: the columns each character takes, and a form of it that is safe
// to write there.
#pragma once

#include <stddef.h>

#include <string>
#include <string_view>

#include "orvane/lib/text.h"

namespace orvane {

// The code point that starts at `index` (a surrogate without its partner stands for itself);
// `*units` receives the code units it takes.
char32_t CodePointAt(std::u16string_view text, size_t index, size_t* units);
// Where the code point that ends at `index` starts.
size_t PreviousCodePoint(const Text& text, size_t index);
// Where the code point after the one that starts at `index` starts.
size_t NextCodePoint(const Text& text, size_t index);

// The columns a code point takes when shown: wcwidth under a UTF-8 locale, whatever the user's
// locale is (2 for CJK and emoji, 0 for combining marks); 2 for a control character, which shows
// as ^X; 8 for a control of bidirectional text, which shows as <U+202E>; 1 for anything else
// wcwidth does not know.
int CodePointWidth(char32_t c);
// Appends the code point as it is shown, in UTF-8: a control character as ^X, a control of
// bidirectional text as <U+202E>, a C1 control or a lone surrogate as U+FFFD, so that no text
// can move the cursor, change the terminal or reorder what it shows.
void AppendShown(char32_t c, std::string& out);
// The columns the text takes when shown.
size_t DisplayWidth(const Text& text);
// Appends the text as UTF-8 in one pass: as it is shown (see AppendShown) when `shown`, else as
// it is with NUL characters left out; a surrogate without its partner becomes U+FFFD either way.
// Returns the code points it took in (a surrogate pair counts once).
size_t AppendUtf8(std::u16string_view text, bool shown, std::string& out);
// The text as it is shown, in UTF-8.
std::string ShownUtf8(const Text& text);

// Whether a code point is a letter or a digit, in any script (iswalnum under a UTF-8 locale):
// "é" and "ß" are, "×" and "−" are not.
bool IsLetterOrDigit(char32_t c);

// A place on a terminal that wraps lines itself, counted from where the text started.
struct ScreenPlace {
  int row = 0;
  int column = 0;  // equal to the width after a character filled the row: the terminal waits
                   // for the next one to wrap
};
// Moves `place` over the code point `c` on a terminal `columns` wide, and appends it as shown
// to `out` when that is given. A character that does not fit the rest of the row starts the
// next: a wide one at the last column gets a blank before it, which fills the row in the
// current colours, so that every terminal wraps it alike.
void Advance(char32_t c, int columns, ScreenPlace& place, std::string* out);
// The same over the code points of text[from, to).
void Advance(const Text& text, size_t from, size_t to, int columns, ScreenPlace& place,
             std::string* out);
// Where a character `width` columns wide, written at `place`, starts.
ScreenPlace StartOf(int width, int columns, ScreenPlace place);
// Rows ordered top to bottom, then columns.
bool operator<(const ScreenPlace& a, const ScreenPlace& b);

}  // namespace orvane
