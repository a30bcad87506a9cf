// How text shows at a terminal: the columns each character takes, and a form of it that is safe
// to write there.
#pragma once

#include <stddef.h>

#include <string>

#include "orvane/lib/text.h"

namespace orvane {

// The code point that starts at `index` (a surrogate without its partner stands for itself);
// `*units` receives the code units it takes.
char32_t CodePointAt(const Text& text, size_t index, size_t* units);
// Where the code point that ends at `index` starts.
size_t PreviousCodePoint(const Text& text, size_t index);

// The columns a code point takes when shown: wcwidth under a UTF-8 locale, whatever the user's
// locale is (2 for CJK and emoji, 0 for combining marks); 2 for a control character, which shows
// as ^X; 1 for anything else wcwidth does not know.
int CodePointWidth(char32_t c);
// Appends the code point as it is shown, in UTF-8: a control character as ^X, a C1 control or a
// lone surrogate as U+FFFD, so that no text can move the cursor or change the terminal.
void AppendShown(char32_t c, std::string& out);
// The columns the text takes when shown.
size_t DisplayWidth(const Text& text);
// The text as it is shown, in UTF-8.
std::string ShownUtf8(const Text& text);

}  // namespace orvane
