#include "fuzz/reference_reg_reader.h"

#include <vector>

namespace {

typedef std::u16string Text;

void AppendCodePoint(Text* out, uint32_t cp) {
  if (cp < 0x10000) {
    *out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    *out += static_cast<char16_t>(0xD800 + (cp >> 10));
    *out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// UTF-8 as Unicode defines it, except that surrogate code points pass; each byte of a sequence
// that is not well formed becomes U+FFFD on its own.
Text FromUtf8(const std::string& s, size_t i) {
  Text out;
  while (i < s.size()) {
    unsigned char b = s[i];
    int length = b < 0x80                   ? 1
                 : (b >= 0xC2 && b <= 0xDF) ? 2
                 : (b >= 0xE0 && b <= 0xEF) ? 3
                 : (b >= 0xF0 && b <= 0xF4) ? 4
                                            : 0;
    uint32_t cp = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    bool ok = length > 0 && i + length <= s.size();
    for (int k = 1; ok && k < length; ++k) {
      unsigned char c = s[i + k];
      ok = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    ok = ok && cp >= smallest[length] && cp <= 0x10FFFF;
    AppendCodePoint(&out, ok ? cp : 0xFFFD);
    i += ok ? length : 1;
  }
  return out;
}

Text FromWindows1252(const std::string& s) {
  static const char16_t high[32] = {
      u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
      u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
      u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
      u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
  Text out;
  for (unsigned char b : s) out += (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : char16_t(b);
  return out;
}

char16_t Lower(char16_t c) {
  return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
}

bool SameNoCase(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsNoCase(const Text& text, const Text& prefix) {
  return text.size() >= prefix.size() && SameNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char16_t c) {
  return c == ' ' || c == '\t';
}

Text TrimLeft(const Text& s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

// Lines end at CR LF, CR or LF; text after the last break is a line too.
std::vector<Text> Lines(const Text& text) {
  std::vector<Text> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

int Hex(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWith(const Text& text, const Text& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Nothing left but blanks and perhaps a comment.
bool OnlyComment(const Text& rest) {
  Text t = TrimLeft(rest);
  return t.empty() || t[0] == ';';
}

// A quoted text from just after its opening quote: escapes undone, `*end` just after the closing
// quote. False when there is none, or a NUL or \0 comes first.
bool Unquote(const Text& s, size_t from, Text* out, size_t* end) {
  for (size_t i = from; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == 0) return false;
    if (c == '"') {
      *end = i + 1;
      return true;
    }
    if (c == '\\') {
      if (++i == s.size() || s[i] == 0 || s[i] == '0') return false;
      c = s[i] == 'n' ? u'\n' : s[i] == 'r' ? u'\r' : s[i];
    }
    *out += c;
  }
  return false;
}

struct Value {
  bool valid = false;
  bool deleted = false;
  uint32_t type = 0;
  std::string data;
};

enum HexLine { kListEnds, kListGoesOn, kListBroken };

// One line's share of a hex list: bytes, each but the last with a comma after it.
HexLine HexBytes(const Text& s, std::string* data) {
  size_t i = 0;
  for (;;) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == s.size() || Hex(s[i]) < 0) break;
    unsigned byte = 0;
    for (; i < s.size() && Hex(s[i]) >= 0; ++i) {
      byte = byte * 16 + Hex(s[i]);
      if (byte > 0xFF) return kListBroken;
    }
    *data += char(byte);
    if (i == s.size() || s[i] != ',') return OnlyComment(s.substr(i)) ? kListEnds : kListBroken;
    ++i;
  }
  if (i < s.size() && s[i] == '\\') return OnlyComment(s.substr(i + 1)) ? kListGoesOn : kListBroken;
  return OnlyComment(s.substr(i)) ? kListEnds : kListBroken;
}

// hex:... or hex(N):... from `data`, going on over the lines after `*n` while it says so; `*n`
// ends at the last line it took.
Value HexValue(const Text& data, const std::vector<Text>& lines, size_t* n) {
  Value v;
  size_t i;
  if (StartsWith(data, u"hex:")) {
    v.type = 3;
    i = 4;
  } else {
    size_t close = data.find(u"):");
    if (!StartsWith(data, u"hex(") || close == Text::npos || close == 4) return v;
    uint64_t type = 0;
    for (size_t k = 4; k < close; ++k) {
      if (Hex(data[k]) < 0) return v;
      type = type * 16 + Hex(data[k]);
      if (type > 0xFFFFFFFF) return v;
    }
    v.type = uint32_t(type);
    i = close + 2;
  }
  std::string bytes;
  HexLine state = HexBytes(data.substr(i), &bytes);
  while (state == kListGoesOn) {
    // Blank and comment lines inside a list are passed over; any other line goes to the list.
    while (*n + 1 < lines.size() && OnlyComment(lines[*n + 1])) ++*n;
    if (*n + 1 == lines.size()) break;
    Text line = TrimLeft(lines[++*n]);
    state = Hex(line[0]) < 0 ? kListBroken : HexBytes(line, &bytes);
  }
  v.valid = state != kListBroken;
  v.data = bytes;
  return v;
}

// Text in hex in the 8-bit format: each byte a Windows-1252 character, then a terminator.
std::string Widened(const std::string& bytes) {
  std::string out;
  for (char16_t c : FromWindows1252(bytes)) out += std::string{char(c & 0xFF), char(c >> 8)};
  if (bytes.empty() || bytes.back() != 0) out += std::string(2, '\0');
  return out;
}

Value OtherValue(const Text& s) {
  Value v;
  Text text;
  size_t end;
  if (StartsWith(s, u"-")) {
    v.valid = v.deleted = OnlyComment(s.substr(1));
  } else if (StartsWith(s, u"\"")) {
    v.type = 1;
    v.valid = Unquote(s, 1, &text, &end) && OnlyComment(s.substr(end));
    for (char16_t c : text + u'\0') v.data += std::string{char(c & 0xFF), char(c >> 8)};
  } else if (StartsWith(s, u"dword:")) {
    v.type = 4;
    Text rest = TrimLeft(s.substr(6));
    size_t digits = 0;
    uint32_t n = 0;
    while (digits < rest.size() && Hex(rest[digits]) >= 0) n = n * 16 + Hex(rest[digits++]);
    v.valid = digits >= 1 && digits <= 8 && OnlyComment(rest.substr(digits));
    for (int k = 0; k < 4; ++k) v.data += char(n >> (8 * k));
  }
  return v;
}

// A section's key path as the registry takes it: backslashes in a row are one and one at the end
// none, but the root must be followed by exactly one. False when it cannot be opened.
bool KeyPath(const Text& path, Text* key, bool* rootOnly) {
  std::vector<Text> parts(1);
  for (char16_t c : path) {
    if (c == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  if (parts.size() >= 3 && parts[1].empty()) return false;
  *key = parts[0];
  *rootOnly = true;
  for (size_t k = 1; k < parts.size(); ++k) {
    if (parts[k].empty()) continue;
    *key += u"\\" + parts[k];
    *rootOnly = false;
  }
  return true;
}

}  // namespace

std::vector<Text> ReferenceLines(const std::string& file) {
  Text text;
  if (file.compare(0, 2, "\xFF\xFE") == 0) {
    for (size_t i = 2; i + 1 < file.size(); i += 2)
      text += char16_t(uint8_t(file[i]) | uint8_t(file[i + 1]) << 8);
  } else {
    bool marked = file.compare(0, 3, "\xEF\xBB\xBF") == 0;
    text = FromUtf8(file, marked ? 3 : 0);
    if (!marked && SameNoCase(TrimLeft(Lines(text)[0]), u"REGEDIT4")) text = FromWindows1252(file);
  }
  std::vector<Text> lines = Lines(text);
  Text header = TrimLeft(lines[0]);
  if (!SameNoCase(header, u"Windows Registry Editor Version 5.00") &&
      !SameNoCase(header, u"REGEDIT4")) {
    return {};
  }
  return lines;
}

ReferenceAnswer ReferenceRead(const std::vector<Text>& lines, const std::u16string& key,
                              const std::u16string* name) {
  ReferenceAnswer answer;
  if (lines.empty()) return answer;
  bool eightBit = SameNoCase(TrimLeft(lines[0]), u"REGEDIT4");
  bool inKey = false;
  Value found;
  for (size_t n = 1; n < lines.size(); ++n) {
    Text line = TrimLeft(lines[n]);
    if (line.empty()) continue;
    if (line[0] == '[') {
      // Without a "]", or with a blank after "[", the line is broken and the key stays open.
      size_t close = line.rfind(']');
      if (close == Text::npos || (line.size() > 1 && IsBlank(line[1]))) continue;
      bool deletion = line[1] == '-';
      Text path;
      bool rootOnly = false;
      bool opens =
          KeyPath(line.substr(deletion ? 2 : 1, close - (deletion ? 2 : 1)), &path, &rootOnly);
      bool same = opens && SameNoCase(path, key);
      if (deletion && opens && !rootOnly && (same || StartsNoCase(key, path + u"\\"))) {
        answer.keyExists = false;
        found = Value();
      } else if (!deletion && opens && (same || StartsNoCase(path, key + u"\\"))) {
        answer.keyExists = true;
      }
      inKey = same && !deletion;
      continue;
    }
    if (line[0] != '"' && line[0] != '@') continue;
    Text valueName;
    size_t end = 1;
    if (line[0] == '"' && !Unquote(line, 1, &valueName, &end)) continue;
    Text rest = TrimLeft(line.substr(end));
    if (rest.empty() || rest[0] != '=') continue;
    Text data = TrimLeft(rest.substr(1));
    Value value = StartsWith(data, u"hex") ? HexValue(data, lines, &n) : OtherValue(data);
    if (eightBit && (value.type == 1 || value.type == 2 || value.type == 7) &&
        StartsWith(data, u"hex")) {
      value.data = Widened(value.data);
    }
    if (value.valid && inKey && name != nullptr && SameNoCase(valueName, *name)) {
      found = value;
    }
  }
  answer.valueFound = found.valid && !found.deleted;
  if (answer.valueFound) {
    answer.type = found.type;
    answer.data = found.data;
  }
  return answer;
}
