// Colour descriptions and their ANSI form.
//
// Grammar (case does not matter, words are separated by blanks):
//   description := colour [ "on" colour ]
//   colour      := [ "bright" ] name
//   name        := black | blue | green | cyan | red | magenta | brown | white
//                | yellow (bright brown) | grey, gray (bright black)
//                | light grey, light gray (white)
// "bright" adds 8. "white" alone is the console's light grey (7); "bright white" is 15.
// Without "on", the background is given as 64: only the foreground is asked for.
#include "orvane/lib/colors.h"

#include <string>
#include <vector>

namespace orvane {

namespace {

std::vector<std::string> Words(const Text& description) {
  std::vector<std::string> words(1);
  for (char16_t c : description) {
    if (c == ' ' || c == '\t') {
      if (!words.back().empty()) words.emplace_back();
    } else if (c < 0x80) {
      words.back() += static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    } else {
      words.back() += '?';  // no colour name has it
    }
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

// Reads one colour from words[i...]; -1 when there is none.
int ReadColour(const std::vector<std::string>& words, size_t& i) {
  static const char* const names[] = {"black", "blue",    "green", "cyan",
                                      "red",   "magenta", "brown", "white"};
  int bright = 0;
  if (i < words.size() && words[i] == "bright") {
    bright = 8;
    ++i;
  }
  if (i < words.size() && words[i] == "light" && !bright) {
    ++i;
    if (i >= words.size() || (words[i] != "grey" && words[i] != "gray")) return -1;
    ++i;
    return 7;
  }
  if (i >= words.size()) return -1;
  const std::string& word = words[i++];
  if (word == "yellow") return 14;
  if (word == "grey" || word == "gray") return bright ? 15 : 8;
  for (int n = 0; n < 8; ++n)
    if (word == names[n]) return n + bright;
  return -1;
}

}  // namespace

bool ParseColorDescription(const Text& description, int& foreground, int& background) {
  std::vector<std::string> words = Words(description);
  size_t i = 0;
  int fg = ReadColour(words, i);
  if (fg < 0) return false;
  int bg = 64;
  if (i < words.size()) {
    if (words[i++] != "on") return false;
    bg = ReadColour(words, i);
    if (bg < 0) return false;
  }
  if (i != words.size()) return false;
  foreground = fg;
  background = bg;
  return true;
}

std::string AnsiForAttribute(int attribute) {
  // Colours by meaning, so that they read on dark and light themes alike: black behind the
  // text is the terminal's own background, light grey text its own foreground, and bright
  // white text that foreground in bold. The rest are the ANSI colours; the console numbers
  // blue 1 and red 4, ANSI red 1 and blue 4.
  static const int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  int fg = attribute & 15, bg = (attribute >> 4) & 15;
  std::string escape = "\x1b[0";
  if (fg == 15) {
    escape += ";1";
  } else if (fg != 7) {
    escape += ";" + std::to_string((fg & 8 ? 90 : 30) + ansi[fg & 7]);
  }
  if (bg != 0) escape += ";" + std::to_string((bg & 8 ? 100 : 40) + ansi[bg & 7]);
  return escape + "m";
}

}  // namespace orvane
