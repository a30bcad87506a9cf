// The process environment, read and written in UTF-16 over the C library's UTF-8 environment.
#include <stdlib.h>
#include <string.h>

#include "platform/system.h"
#include "platform/utf8.h"

namespace {

const size_t kNameBytes = 1024;
// Room for "name=" and a 16384-character value at up to three bytes a character.
const size_t kEntryBytes = kNameBytes + 1 + 16384 * 3 + 1;

// The one variable the plug-in sets on every calculation lives here, handed to putenv so that
// setting it again allocates nothing. The library is linked not to be unloaded (-z nodelete),
// so the environment never points into unmapped memory.
char entry[kEntryBytes];

bool EncodeName(const WideChar* name, char* out) {
  if (name == nullptr || name[0] == 0) return false;
  if (EncodeUtf8(name, out, kNameBytes) >= kNameBytes) return false;
  return strchr(out, '=') == nullptr;
}

// Other names, or a value too long for the slot: the C library keeps its own copy. A function
// of its own, so that its buffer takes stack only on this path.
__attribute__((noinline)) BOOL SetCopy(const char* utf8Name, const WideChar* value) {
  char utf8Value[16384 * 3 + 1];
  if (EncodeUtf8(value, utf8Value, sizeof utf8Value) >= sizeof utf8Value) return 0;
  return setenv(utf8Name, utf8Value, 1) == 0;
}

}  // namespace

DWORD GetEnvironmentVariableW(const WideChar* name, WideChar* buffer, DWORD size) {
  char utf8Name[kNameBytes];
  if (!EncodeName(name, utf8Name)) return 0;
  const char* value = getenv(utf8Name);
  if (value == nullptr) return 0;
  size_t needed = DecodeUtf8(value, buffer, size);
  if (needed >= size) return static_cast<DWORD>(needed + 1);
  return static_cast<DWORD>(needed);
}

BOOL SetEnvironmentVariableW(const WideChar* name, const WideChar* value) {
  char utf8Name[kNameBytes];
  if (!EncodeName(name, utf8Name)) return 0;
  if (value == nullptr) return unsetenv(utf8Name) == 0;

  size_t nameLength = strlen(utf8Name);
  size_t room = sizeof entry - nameLength - 1;
  bool sameName = strncmp(entry, utf8Name, nameLength) == 0 && entry[nameLength] == '=';
  if ((entry[0] == 0 || sameName) && EncodeUtf8(value, nullptr, 0) < room) {
    memcpy(entry, utf8Name, nameLength);
    entry[nameLength] = '=';
    EncodeUtf8(value, entry + nameLength + 1, room);
    return putenv(entry) == 0;
  }
  return SetCopy(utf8Name, value);
}
