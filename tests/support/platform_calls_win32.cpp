// Sumbra.dll's imports of the environment and registry functions, pointed at counting ones that
// pass every call on.
#include <string.h>
#include <windows.h>

#include <map>
#include <string>

#include "tests/support/platform_calls.h"
#include "tests/support/plugin.h"

namespace {

int reads = 0;
std::string registryCalls;
int keysOpened = 0;
std::map<HKEY, int> openKeys;  // the keys open now that were opened since watching began

// "name n" for the key numbered n, or "name ?" for a key not opened since watching began.
void RecordRegistryCall(const char* name, HKEY key) {
  auto found = openKeys.find(key);
  registryCalls += std::string(name) + " " +
                   (found != openKeys.end() ? std::to_string(found->second) : "?") + "\n";
}

decltype(&GetEnvironmentVariableW) realGetEnvironmentVariableW;
decltype(&RegOpenKeyExW) realRegOpenKeyExW;
decltype(&RegQueryValueExW) realRegQueryValueExW;
decltype(&RegCloseKey) realRegCloseKey;

// A buffer too small for the value may come back holding anything; this one holds as much of
// the value as fits, terminated, which a caller that ignores the size would take for the value.
DWORD WINAPI CountedGetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  ++reads;
  DWORD needed = realGetEnvironmentVariableW(name, buffer, size);
  if (needed > size && size > 0) {
    std::wstring value(needed, L'\0');
    realGetEnvironmentVariableW(name, &value[0], needed);
    value.copy(buffer, size - 1);
    buffer[size - 1] = 0;
  }
  return needed;
}

LONG WINAPI CountedRegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access,
                                 PHKEY key) {
  ++reads;
  LONG status = realRegOpenKeyExW(root, subKey, options, access, key);
  if (status == ERROR_SUCCESS) {
    openKeys[*key] = ++keysOpened;
    RecordRegistryCall("RegOpenKeyExW", *key);
  }
  return status;
}

LONG WINAPI CountedRegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type,
                                    LPBYTE data, LPDWORD size) {
  RecordRegistryCall("RegQueryValueExW", key);
  return realRegQueryValueExW(key, name, reserved, type, data, size);
}

LONG WINAPI CountedRegCloseKey(HKEY key) {
  RecordRegistryCall("RegCloseKey", key);
  openKeys.erase(key);  // the system may give the same handle to the next key
  return realRegCloseKey(key);
}

// Points the library's import of `name` at `replacement` and returns where it pointed.
template <typename F>
F Patch(HMODULE module, const char* name, F replacement) {
  auto base = reinterpret_cast<BYTE*>(module);
  auto nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       entry->Name != 0; ++entry) {
    auto names = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + entry->OriginalFirstThunk);
    auto slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection;
      VirtualProtect(slots, sizeof *slots, PAGE_READWRITE, &protection);
      F original = reinterpret_cast<F>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
      VirtualProtect(slots, sizeof *slots, protection, &protection);
      return original;
    }
  }
  abort();  // the library does not import it
}

}  // namespace

const bool kRegistryCallsSeen = true;

void WatchPlatformCalls() {
  static bool patched = [] {
    Plugin();  // loads it
    HMODULE module = GetModuleHandleW(L"Sumbra.dll");
    realGetEnvironmentVariableW =
        Patch(module, "GetEnvironmentVariableW", &CountedGetEnvironmentVariableW);
    realRegOpenKeyExW = Patch(module, "RegOpenKeyExW", &CountedRegOpenKeyExW);
    realRegQueryValueExW = Patch(module, "RegQueryValueExW", &CountedRegQueryValueExW);
    realRegCloseKey = Patch(module, "RegCloseKey", &CountedRegCloseKey);
    return true;
  }();
  (void)patched;
  reads = 0;
  registryCalls.clear();
  keysOpened = 0;
  openKeys.clear();
}

int SettingReads() {
  return reads;
}

std::string RegistryCalls() {
  return registryCalls;
}
