// How a row's text shows in a test's name (ctest takes it from the printed parameter) and in
// its failure messages: on one line, in printable ASCII, and short. Tabs and line ends show as
// \t, \r and \n, other controls and stray bytes as \xNN, characters beyond ASCII as \uNNNN; a
// text that is empty or starts or ends with a blank is quoted; a long one keeps its start and
// end around "..." and says how many characters it has ("chars").
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

inline std::string Shown(const std::string& text, size_t most = 32) {
  std::vector<std::string> shown;  // each character, as it shows
  for (size_t i = 0; i < text.size();) {
    unsigned char c = text[i];
    size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    for (size_t k = 1; k < length; ++k) {
      if (i + k >= text.size() || (text[i + k] & 0xC0) != 0x80) length = 1;
    }
    char escape[12];
    unsigned point = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) point = point << 6 | (text[i + k] & 0x3F);
    if (c == '\t' || c == '\r' || c == '\n') {
      snprintf(escape, sizeof escape, "\\%c", c == '\t' ? 't' : c == '\r' ? 'r' : 'n');
    } else if (length > 1) {
      snprintf(escape, sizeof escape, "\\u%04X", point);
    } else if (c < 0x20 || c >= 0x7F) {
      snprintf(escape, sizeof escape, "\\x%02X", c);
    } else {
      snprintf(escape, sizeof escape, "%c", c);
    }
    shown.push_back(escape);
    i += length;
  }
  std::string out, end;
  size_t first = 0, last = shown.size();
  while (first < last && out.size() + shown[first].size() <= most) out += shown[first++];
  if (first < last) {  // too long: its start, "...", its last few characters, and its length
    while (out.size() > most * 2 / 3) out.resize(out.size() - shown[--first].size());
    while (last > first + 1 && end.size() + shown[last - 1].size() <= most / 4) {
      end.insert(0, shown[--last]);
    }
    out += "..." + end + " (" + std::to_string(shown.size()) + " chars)";
  }
  if (text.empty() || text.front() == ' ' || text.back() == ' ') out = "\"" + out + "\"";
  return out;
}
