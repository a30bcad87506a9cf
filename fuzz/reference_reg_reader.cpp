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

bool EndsWithBackslash(const Text& line) {
  size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1])) --end;
  return end > 0 && line[end - 1] == '\\';
}

struct Value {
  bool valid = false;
  bool deleted = false;
  uint32_t type = 0;
  std::string data;
};

// A hex list spread over `parts`: every part but the last ends with a backslash.
bool HexList(const std::vector<Text>& parts, size_t first, std::string* data) {
  for (size_t p = 0; p < parts.size(); ++p) {
    Text s = p == 0 ? parts[0].substr(first) : parts[p];
    size_t i = 0;
    for (;;) {
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i == s.size()) break;
      if (s[i] == '\\') {
        // Only blanks may follow, and then another part or the end of the file.
        if (!TrimLeft(s.substr(i + 1)).empty()) return false;
        break;
      }
      if (i + 1 >= s.size() || Hex(s[i]) < 0 || Hex(s[i + 1]) < 0) return false;
      *data += char(Hex(s[i]) * 16 + Hex(s[i + 1]));
      i += 2;
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i < s.size() && s[i] == ',') ++i;
    }
  }
  return true;
}

Value HexValue(const std::vector<Text>& parts) {
  Value v;
  const Text& s = parts[0];  // begins with "hex"
  size_t i = 3;
  v.type = 3;
  if (i < s.size() && s[i] == '(') {
    uint32_t n = 0;
    size_t digits = 0;
    for (++i; digits < 8 && i < s.size() && Hex(s[i]) >= 0; ++i, ++digits) n = n * 16 + Hex(s[i]);
    if (digits == 0 || i >= s.size() || s[i] != ')') return v;
    ++i;
    v.type = n;
  }
  if (i >= s.size() || s[i] != ':') return v;
  v.valid = HexList(parts, i + 1, &v.data);
  return v;
}

Value OtherValue(const Text& s) {
  Value v;
  if (!s.empty() && s[0] == '-') {
    v.valid = v.deleted = true;
  } else if (!s.empty() && s[0] == '"') {
    v.type = 1;
    for (size_t i = 1; i < s.size(); ++i) {
      char16_t c = s[i];
      if (c == '"') {
        v.data += std::string(2, '\0');
        v.valid = true;
        break;
      }
      if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
      v.data += char(c & 0xFF);
      v.data += char(c >> 8);
    }
  } else if (StartsNoCase(s, u"dword:")) {
    v.type = 4;
    size_t digits = 0;
    uint32_t n = 0;
    while (6 + digits < s.size() && Hex(s[6 + digits]) >= 0) n = n * 16 + Hex(s[6 + digits++]);
    v.valid = digits >= 1 && digits <= 8;
    for (int k = 0; k < 4; ++k) v.data += char(n >> (8 * k));
  }
  return v;
}

// Reads the name of a value line; false when it is broken.
bool Name(const Text& line, Text* name, size_t* end) {
  if (line[0] == '@') {
    *end = 1;
    return true;
  }
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '"') {
      *end = i + 1;
      return true;
    }
    if (line[i] == '\\' && ++i == line.size()) return false;
    *name += line[i];
  }
  return false;
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
  bool inKey = false;
  Value found;
  for (size_t n = 1; n < lines.size(); ++n) {
    Text line = TrimLeft(lines[n]);
    if (line.empty()) continue;
    if (line[0] == '[') {
      bool deletion = line.size() > 1 && line[1] == '-';
      size_t close = line.find(']');
      inKey = false;
      if (close == Text::npos) continue;
      Text path = line.substr(deletion ? 2 : 1, close - (deletion ? 2 : 1));
      bool same = SameNoCase(path, key);
      if (deletion && (same || StartsNoCase(key, path + u"\\"))) {
        answer.keyExists = false;
        found = Value();
      } else if (!deletion && (same || StartsNoCase(path, key + u"\\"))) {
        answer.keyExists = true;
      }
      inKey = same && !deletion;
      continue;
    }
    if (line[0] != '"' && line[0] != '@') continue;
    Text valueName;
    size_t end;
    if (!Name(line, &valueName, &end)) continue;
    Text rest = TrimLeft(line.substr(end));
    if (rest.empty() || rest[0] != '=') continue;
    Text data = TrimLeft(rest.substr(1));
    Value value;
    if (StartsNoCase(data, u"hex")) {
      std::vector<Text> parts{data};
      while (EndsWithBackslash(parts.back()) && n + 1 < lines.size()) parts.push_back(lines[++n]);
      value = HexValue(parts);
    } else {
      value = OtherValue(data);
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
