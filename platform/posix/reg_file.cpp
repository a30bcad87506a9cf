#include "platform/posix/reg_file.h"

#include "platform/posix/reg_file_data.h"
#include "platform/posix/reg_file_lines.h"

namespace {

typedef RegUnitReader Reader;

bool SameLetter(int c, int want) {
  return c >= 0 && AsciiLower(static_cast<WideChar>(c)) == AsciiLower(static_cast<WideChar>(want));
}

// Consumes `word` as far as it matches without case.
bool AcceptWordAnyCase(Reader* r, const char* word) {
  for (; *word != 0; ++word) {
    if (!SameLetter(PeekUnit(r), *word)) return false;
    NextUnit(r);
  }
  return true;
}

enum Header { kNoHeader, kVersion5, kRegedit4 };

// The first line: one of the two headers and nothing else. Reading stops at the first unit that
// does not match, so a file of some other kind is rejected at once.
Header ReadHeader(Reader* r) {
  SkipBlanks(r);
  Header header = SameLetter(PeekUnit(r), 'R') ? kRegedit4 : kVersion5;
  const char* text = header == kRegedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
  if (!AcceptWordAnyCase(r, text)) return kNoHeader;
  return IsLineEnd(PeekUnit(r)) ? header : kNoHeader;
}

enum Section { kBrokenSection, kOtherKey, kWantedKey, kKeyBelow, kKeyAbove };

// Compares a key path, a unit at a time, with the wanted one. Backslashes in a row count as
// one and one at the end as none, but the root's name must be followed by exactly one.
struct PathMatch {
  const WideChar* want;
  size_t i;
  bool same, below;
  bool separator;  // a backslash waits for the next name unit
  bool pastRoot;   // a name unit followed a backslash
  bool unopenable;
};

void MatchUnit(PathMatch* m, int c) {
  if (!m->same || m->below) return;
  if (m->want[m->i] != 0) {
    m->same = SameLetter(c, m->want[m->i++]);
  } else {
    m->below = m->same = (c == '\\');
  }
}

void MatchPathUnit(PathMatch* m, int c) {
  if (c == '\\') {
    if (m->separator && !m->pastRoot) m->unopenable = true;
    m->separator = true;
    return;
  }
  if (m->separator) {
    MatchUnit(m, '\\');
    m->separator = false;
    m->pastRoot = true;
  }
  MatchUnit(m, c);
}

Section Standing(const PathMatch& m) {
  if (m.unopenable || !m.same) return kOtherKey;
  if (m.below) return kKeyBelow;
  if (m.want[m.i] == 0) return kWantedKey;
  return m.want[m.i] == '\\' ? kKeyAbove : kOtherKey;
}

// How the key of a section line, after its "[" (and "-"), stands to the wanted key, and whether
// it is a root alone (which cannot be deleted). The name runs to the line's last "]"; a line
// without one is broken.
Section ReadSection(Reader* r, const WideChar* want, bool* root) {
  PathMatch m{want, 0, true, false, false, false, false};
  Section section = kBrokenSection;
  for (int c; TakeInLine(r, &c);) {
    if (c == ']') {
      section = Standing(m);
      *root = !m.pastRoot;
    }
    MatchPathUnit(&m, c);
  }
  return section;
}

// Reads a quoted name after its opening quote and compares it with `want` (which may be null).
// False when it is broken.
bool ReadQuotedName(Reader* r, const WideChar* want, bool* matches) {
  size_t i = 0;
  bool same = want != nullptr;
  for (int c; (c = TakeQuotedUnit(r)) != kBrokenText;) {
    if (c == kClosingQuote) {
      *matches = same && want[i] == 0;
      return true;
    }
    same = same && want[i] != 0 && SameLetter(c, want[i]);
    if (same) ++i;
  }
  return false;
}

// The value that counts so far: where its data starts, so that only it is ever written out.
struct Found {
  bool present;
  DWORD type;
  DWORD size;
  Reader data;
};

// A value line, after its first character ('"' or '@'). The data of every value line is read,
// so that the lines a hex list continues on are never taken for lines of their own; a line that
// is broken anywhere changes nothing.
void ReadValueLine(Reader* r, int first, const RegFileQuery& q, bool eightBit, bool inKey,
                   Found* found) {
  bool matches = first == '@' && q.valueName != nullptr && q.valueName[0] == 0;
  if (first == '"' && !ReadQuotedName(r, q.valueName, &matches)) return SkipLine(r);
  SkipBlanks(r);
  if (!Accept(r, '=')) return SkipLine(r);
  SkipBlanks(r);
  Reader start = *r;
  RegDataSink count{nullptr, 0, 0};
  RegValueData v = ReadValueData(r, eightBit, &count);
  if (v.valid && matches && inKey) *found = Found{!v.deleted, v.type, count.size, start};
}

}  // namespace

RegFileAnswer ParseRegFile(const unsigned char* bytes, size_t size, const RegFileQuery& query) {
  RegFileAnswer answer{false, false, REG_NONE, 0};
  Reader reader = StartUnits(bytes, size);
  Reader* r = &reader;
  Header header = ReadHeader(r);
  if (header == kNoHeader) return answer;
  bool eightBit = header == kRegedit4;
  if (eightBit) SwitchToEightBit(r);

  bool inKey = false;
  Found found{false, REG_NONE, 0, reader};
  while (PeekUnit(r) != kEndOfText) {
    TakeLineBreak(r);
    SkipBlanks(r);
    int c = PeekUnit(r);
    if (IsLineEnd(c)) continue;
    NextUnit(r);
    if (c == '[') {
      // A section line with a blank after "[", or without its "]", leaves the key before it open.
      bool deletion = Accept(r, '-'), root = false;
      Section s =
          IsBlank(PeekUnit(r)) && !deletion ? kBrokenSection : ReadSection(r, query.keyPath, &root);
      SkipLine(r);
      if (s == kBrokenSection) continue;
      inKey = s == kWantedKey && !deletion;
      if (deletion && !root && (s == kWantedKey || s == kKeyAbove)) {
        answer.keyExists = false;
        found.present = false;
      } else if (!deletion && (s == kWantedKey || s == kKeyBelow)) {
        answer.keyExists = true;
      }
    } else if (c == '"' || c == '@') {
      ReadValueLine(r, c, query, eightBit, inKey, &found);
    } else {
      SkipLine(r);
    }
  }
  if (!found.present) return answer;
  RegDataSink sink{query.data, query.capacity, 0};
  ReadValueData(&found.data, eightBit, &sink);
  answer.valueFound = true;
  answer.type = found.type;
  answer.size = found.size;
  return answer;
}
