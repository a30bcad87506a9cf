// Reads keys and values from a file in the registry editor's export format, streaming it through
// a fixed buffer: no allocation, whatever the file's size.
#pragma once

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

// Scans the file at `path` once. A missing or unreadable file, or one that does not begin with
// the export format's header, holds no keys. Lines that cannot be read are passed over.
RegFileAnswer ReadRegFile(const char* path, const RegFileQuery& query);
