#include "orvane/lib/display.h"

#include <locale.h>
#include <stdio.h>
#include <wchar.h>
#include <wctype.h>

#include "platform/utf8.h"

namespace orvane {

namespace {

bool IsControl(char32_t c) {
  return c < 0x20 || c == 0x7F;
}
bool IsUnshowable(char32_t c) {
  return (c >= 0x80 && c < 0xA0) || IsHighSurrogate(c) || IsLowSurrogate(c);
}
// The controls of bidirectional text: written as they are, they reorder what a terminal shows
// after them (the text of a line could seem to say something else).
bool IsBidiControl(char32_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
         c == 0x200F || c == 0x061C;
}
// A bidi control shows as its code point: <U+202E>.
const int kBidiShownWidth = 8;

// C.UTF-8 is always there on Debian; the user's own locale may not be UTF-8 at all.
locale_t Utf8Locale() {
  static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return utf8;
}

}  // namespace

char32_t CodePointAt(std::u16string_view text, size_t index, size_t* units) {
  char16_t unit = text[index];
  if (IsHighSurrogate(unit) && index + 1 < text.size() && IsLowSurrogate(text[index + 1])) {
    *units = 2;
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
           (static_cast<char32_t>(text[index + 1]) - 0xDC00);
  }
  *units = 1;
  return unit;
}

size_t PreviousCodePoint(const Text& text, size_t index) {
  if (index >= 2 && IsLowSurrogate(text[index - 1]) && IsHighSurrogate(text[index - 2])) {
    return index - 2;
  }
  return index > 0 ? index - 1 : 0;
}

size_t NextCodePoint(const Text& text, size_t index) {
  size_t units = 0;
  CodePointAt(text, index, &units);
  return index + units;
}

int CodePointWidth(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return 1;
  if (IsControl(c)) return 2;
  if (IsUnshowable(c)) return 1;
  if (IsBidiControl(c)) return kBidiShownWidth;
  locale_t utf8 = Utf8Locale();
  if (utf8 == static_cast<locale_t>(0)) return 1;
  locale_t previous = uselocale(utf8);
  int width = wcwidth(static_cast<wchar_t>(c));
  uselocale(previous);
  return width < 0 ? 1 : width;
}

void AppendShown(char32_t c, std::string& out) {
  if (IsControl(c)) {
    out += '^';
    out += static_cast<char>(c ^ 0x40);  // ^A for 1, ^[ for Escape, ^? for Delete
    return;
  }
  if (IsBidiControl(c)) {
    char shown[16];
    snprintf(shown, sizeof shown, "<U+%04X>", static_cast<unsigned>(c));
    out += shown;
    return;
  }
  if (IsUnshowable(c)) c = 0xFFFD;
  char bytes[4];
  out.append(bytes, EncodeCodePoint(c, bytes));
}

size_t DisplayWidth(const Text& text) {
  size_t width = 0, units = 0;
  for (size_t i = 0; i < text.size(); i += units) {
    width += static_cast<size_t>(CodePointWidth(CodePointAt(text, i, &units)));
  }
  return width;
}

size_t AppendUtf8(std::u16string_view text, bool shown, std::string& out) {
  out.reserve(out.size() + 3 * text.size());  // the most a code unit takes
  size_t count = 0, units = 0;
  for (size_t i = 0; i < text.size(); i += units) {
    // A run of printable ASCII is copied as it is.
    units = 0;
    while (i + units < text.size() && text[i + units] >= 0x20 && text[i + units] < 0x7F) ++units;
    if (units > 0) {
      size_t used = out.size();
      out.resize(used + units);
      for (size_t k = 0; k < units; ++k) out[used + k] = static_cast<char>(text[i + k]);
      count += units;
      continue;
    }
    char32_t c = CodePointAt(text, i, &units);
    ++count;
    if (shown) {
      AppendShown(c, out);
    } else if (c != 0) {
      if (IsHighSurrogate(c) || IsLowSurrogate(c)) c = 0xFFFD;
      char bytes[4];
      out.append(bytes, EncodeCodePoint(c, bytes));
    }
  }
  return count;
}

std::string ShownUtf8(const Text& text) {
  std::string out;
  AppendUtf8(text, true, out);
  return out;
}

bool IsLetterOrDigit(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  locale_t utf8 = Utf8Locale();
  return utf8 != static_cast<locale_t>(0) && iswalnum_l(static_cast<wint_t>(c), utf8) != 0;
}

ScreenPlace StartOf(int width, int columns, ScreenPlace place) {
  if (place.column > 0 && place.column + (width > 0 ? width : 1) > columns) {
    ++place.row;
    place.column = 0;
  }
  return place;
}

void Advance(char32_t c, int columns, ScreenPlace& place, std::string* out) {
  int width = CodePointWidth(c);
  if (width > 0) {
    ScreenPlace start = StartOf(width, columns, place);
    if (out && start.row > place.row && place.column < columns) {
      out->append(static_cast<size_t>(columns - place.column), ' ');
    }
    place = start;
  }
  if (out) AppendShown(c, *out);
  place.column += width;
}

void Advance(const Text& text, size_t from, size_t to, int columns, ScreenPlace& place,
             std::string* out) {
  size_t units = 0;
  for (size_t i = from; i < to; i += units)
    Advance(CodePointAt(text, i, &units), columns, place, out);
}

bool operator<(const ScreenPlace& a, const ScreenPlace& b) {
  return a.row < b.row || (a.row == b.row && a.column < b.column);
}

}  // namespace orvane
