// Read-only registry over the two export-format files (see platform/posix/system.h).
#include <stdio.h>
#include <stdlib.h>

#include "platform/posix/reg_file_cache.h"
#include "platform/system.h"

struct RegistryKeyStandIn {
  bool open;
  RegFileRoot root;
  WideChar path[kRegKeyPathChars];  // root name, backslash, subkey
};

namespace {

// Keys open at the same time; the plug-in holds one at a time.
RegistryKeyStandIn openKeys[8];

// Writes the path of the file that stands for the root into `out`.
bool FileFor(bool currentUser, char* out, size_t capacity) {
  const char* override = getenv(currentUser ? "SUMBRA_HKCU_REG" : "SUMBRA_HKLM_REG");
  int n;
  if (override != nullptr && override[0] != 0) {
    n = snprintf(out, capacity, "%s", override);
  } else if (!currentUser) {
    n = snprintf(out, capacity, "/etc/sumbra/HKEY_LOCAL_MACHINE.reg");
  } else if (const char* config = getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    n = snprintf(out, capacity, "%s/sumbra/HKEY_CURRENT_USER.reg", config);
  } else if (const char* home = getenv("HOME"); home && home[0] != 0) {
    n = snprintf(out, capacity, "%s/.config/sumbra/HKEY_CURRENT_USER.reg", home);
  } else {
    return false;
  }
  return n > 0 && static_cast<size_t>(n) < capacity;
}

// Builds "HKEY_CURRENT_USER\subkey" (or the machine's) in `out`; false when it does not fit.
bool BuildPath(bool currentUser, const WideChar* subKey, WideChar* out, size_t capacity) {
  const WideChar* root = currentUser ? W("HKEY_CURRENT_USER") : W("HKEY_LOCAL_MACHINE");
  size_t rootLength = WideTraits::length(root);
  size_t subLength = WideLengthUpTo(subKey, capacity);
  if (rootLength + 1 + subLength >= capacity) return false;
  WideTraits::copy(out, root, rootLength);
  size_t n = rootLength;
  if (subLength > 0) {
    out[n++] = '\\';
    WideTraits::copy(out + n, subKey, subLength);
    n += subLength;
  }
  out[n] = 0;
  return true;
}

RegistryKeyStandIn* OpenSlot(HKEY key) {
  for (RegistryKeyStandIn& slot : openKeys)
    if (&slot == key && slot.open) return &slot;
  return nullptr;
}

}  // namespace

LONG RegOpenKeyExW(HKEY root, const WideChar* subKey, DWORD, REGSAM, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
  bool currentUser = root == HKEY_CURRENT_USER;
  for (RegistryKeyStandIn& slot : openKeys) {
    if (slot.open) continue;
    if (!BuildPath(currentUser, subKey ? subKey : W(""), slot.path, kRegKeyPathChars)) {
      return ERROR_FILE_NOT_FOUND;
    }
    // The one look at the file: unless it changed, the answers below are remembered ones.
    RegFileRoot fileRoot = currentUser ? kCurrentUserFile : kLocalMachineFile;
    char path[4096];
    CheckRegFile(fileRoot, FileFor(currentUser, path, sizeof path) ? path : nullptr);
    RegFileQuery query{slot.path, nullptr, nullptr, 0};
    if (!QueryRegFile(fileRoot, query).keyExists) return ERROR_FILE_NOT_FOUND;
    slot.open = true;
    slot.root = fileRoot;
    *result = &slot;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;  // more keys open than a read-only caller needs
}

LONG RegQueryValueExW(HKEY key, const WideChar* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
  RegistryKeyStandIn* slot = OpenSlot(key);
  if (slot == nullptr) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  DWORD capacity = data != nullptr ? *dataSize : 0;
  RegFileQuery query{slot->path, valueName ? valueName : W(""), data, capacity};
  RegFileAnswer answer = QueryRegFile(slot->root, query);
  if (!answer.valueFound) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = answer.type;
  if (dataSize != nullptr) *dataSize = answer.size;
  return (data != nullptr && answer.size > capacity) ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  RegistryKeyStandIn* slot = OpenSlot(key);
  if (slot == nullptr) return ERROR_INVALID_HANDLE;
  slot->open = false;
  return ERROR_SUCCESS;
}
