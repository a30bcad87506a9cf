// Stand-ins for the Windows environment and registry calls, declared as Windows declares them.
//
// Environment: the real process environment (getenv/putenv), converted between UTF-16 and UTF-8.
// Text that is not valid UTF-16 (lone surrogates) is kept as WTF-8 so that it reads back intact.
//
// Registry: read-only values from two files in the registry editor's export format
// ("Windows Registry Editor Version 5.00", or the 8-bit "REGEDIT4"), one for HKEY_CURRENT_USER
// and one for HKEY_LOCAL_MACHINE, read as an import would read them. Their locations:
//   HKEY_CURRENT_USER:  $SUMBRA_HKCU_REG, else $XDG_CONFIG_HOME/sumbra/HKEY_CURRENT_USER.reg,
//                       else $HOME/.config/sumbra/HKEY_CURRENT_USER.reg
//   HKEY_LOCAL_MACHINE: $SUMBRA_HKLM_REG, else /etc/sumbra/HKEY_LOCAL_MACHINE.reg
// A missing or malformed file, or one over 1 MiB, holds no keys. Opening a key looks at its
// root's file with one stat; a file is read again only when it changed (reg_file_cache.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/wide_char.h"

typedef int BOOL;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint8_t BYTE;
typedef DWORD REGSAM;
typedef struct RegistryKeyStandIn* HKEY;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(uintptr_t{0x80000001}))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(uintptr_t{0x80000002}))

enum : DWORD {
  KEY_READ = 0x20019,
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_MULTI_SZ = 7,
};

enum : LONG {
  ERROR_SUCCESS = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_INVALID_HANDLE = 6,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_MORE_DATA = 234,
};

// The longest value, in characters, that SetEnvironmentVariableW sets: the stand-in's storage
// for a value is sized for it (at up to three bytes a character), so that it allocates nothing.
constexpr size_t kLongestEnvironmentValue = 16384;

// Returns the value's length in characters when it fits `size` with its terminator, the size
// needed (terminator included) when it does not, and 0 when the variable is absent or empty.
DWORD GetEnvironmentVariableW(const WideChar* name, WideChar* buffer, DWORD size);
// Sets (or, with a null value, removes) a variable; nonzero on success.
BOOL SetEnvironmentVariableW(const WideChar* name, const WideChar* value);

LONG RegOpenKeyExW(HKEY root, const WideChar* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegQueryValueExW(HKEY key, const WideChar* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);
LONG RegCloseKey(HKEY key);
