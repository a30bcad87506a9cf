// The process environment, read and written in UTF-16 over the C library's UTF-8 environment.
// Names match without regard to ASCII case, as in the Windows environment: "ans" finds "Ans",
// and setting "ANS" replaces "Ans".
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/system.h"
#include "platform/utf8.h"

namespace {

const size_t kNameBytes = 1024;
// The longest value at up to three bytes a character, and its terminator.
const size_t kValueBytes = kLongestEnvironmentValue * 3 + 1;
// Room for "name=" and the longest value.
const size_t kEntryBytes = kNameBytes + 1 + kValueBytes;

// The one variable the plug-in sets on every calculation lives here, handed to putenv so that
// setting it again allocates nothing. The library is linked not to be unloaded (-z nodelete),
// so the environment never points into unmapped memory.
char entry[kEntryBytes];

bool EncodeName(const WideChar* name, char* out) {
  if (name == nullptr || name[0] == 0) return false;
  if (EncodeUtf8(name, out, kNameBytes) >= kNameBytes) return false;
  return strchr(out, '=') == nullptr;
}

char AsciiLowerByte(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the "name=value" text `item` is a variable called `name` (`length` bytes), ASCII
// letters compared without case.
bool NamedNoCase(const char* item, const char* name, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (item[i] == 0 || AsciiLowerByte(item[i]) != AsciiLowerByte(name[i])) return false;
  }
  return item[length] == '=';
}

// The value of the variable `name` in any spelling, the exact one first.
const char* FindValue(const char* name) {
  const char* value = getenv(name);
  if (value != nullptr) return value;
  size_t length = strlen(name);
  for (char** item = environ; *item != nullptr; ++item) {
    if (NamedNoCase(*item, name, length)) return *item + length + 1;
  }
  return nullptr;
}

// Removes the variables whose names differ from `name` only in case.
void RemoveOtherSpellings(const char* name) {
  size_t length = strlen(name);
  char other[kNameBytes];
  for (char** item = environ; *item != nullptr;) {
    if (NamedNoCase(*item, name, length) && strncmp(*item, name, length) != 0) {
      memcpy(other, *item, length);
      other[length] = 0;
      unsetenv(other);
      item = environ;  // the table has changed: look again from the start
    } else {
      ++item;
    }
  }
}

// Other names, or a value too long for the slot: the C library keeps its own copy. A function
// of its own, so that its buffer takes stack only on this path.
__attribute__((noinline)) BOOL SetCopy(const char* utf8Name, const WideChar* value) {
  char utf8Value[kValueBytes];
  if (EncodeUtf8(value, utf8Value, sizeof utf8Value) >= sizeof utf8Value) return 0;
  return setenv(utf8Name, utf8Value, 1) == 0;
}

}  // namespace

DWORD GetEnvironmentVariableW(const WideChar* name, WideChar* buffer, DWORD size) {
  char utf8Name[kNameBytes];
  if (!EncodeName(name, utf8Name)) return 0;
  const char* value = FindValue(utf8Name);
  if (value == nullptr) return 0;
  size_t needed = DecodeUtf8(value, buffer, size);
  if (needed >= size) return static_cast<DWORD>(needed + 1);
  return static_cast<DWORD>(needed);
}

BOOL SetEnvironmentVariableW(const WideChar* name, const WideChar* value) {
  char utf8Name[kNameBytes];
  if (!EncodeName(name, utf8Name)) return 0;
  RemoveOtherSpellings(utf8Name);
  if (value == nullptr) return unsetenv(utf8Name) == 0;

  size_t nameLength = strlen(utf8Name);
  size_t room = sizeof entry - nameLength - 1;
  if ((entry[0] == 0 || NamedNoCase(entry, utf8Name, nameLength)) &&
      EncodeUtf8(value, nullptr, 0) < room) {
    memcpy(entry, utf8Name, nameLength);
    entry[nameLength] = '=';
    EncodeUtf8(value, entry + nameLength + 1, room);
    return putenv(entry) == 0;
  }
  return SetCopy(utf8Name, value);
}
