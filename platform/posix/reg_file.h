// The registry editor's export format: which keys a file creates or deletes and which values it
// sets, read as an import would read it.
#pragma once

#include <stddef.h>

#include "platform/posix/system.h"

struct RegFileQuery {
  const WideChar* keyPath;    // full path, root included: HKEY_CURRENT_USER\SOFTWARE\...
  const WideChar* valueName;  // null: only ask whether the key exists; "" is the default value
  BYTE* data;                 // may be null
  DWORD capacity;             // bytes available at data
};

struct RegFileAnswer {
  bool keyExists;   // the key, or one below it, has a section of its own
  bool valueFound;  // the value is set (and not deleted further on)
  DWORD type;       // REG_SZ, REG_DWORD, hex(N) ...
  DWORD size;       // bytes of the value's data, even when they did not all fit
};

// Answers from the whole file's bytes. A file that does not begin with one of the format's two
// headers holds no keys. A line that cannot be read changes nothing; `[-KEY]` deletes the key
// with its values and subkeys from there on. Writes to `data` only the value that counts.
RegFileAnswer ParseRegFile(const unsigned char* bytes, size_t size, const RegFileQuery& query);
