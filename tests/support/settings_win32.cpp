// The real registry: values written under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
#include <windows.h>

#include "tests/support/settings.h"
#include "tests/support/text.h"

namespace {

HKEY RootOf(Hive hive) {
  return hive == Hive::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

HKEY CreateKey(Hive hive, const char* key) {
  HKEY handle;
  WideString path = Wide(key);
  if (RegCreateKeyExW(RootOf(hive), path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    abort();
  }
  return handle;
}

}  // namespace

void SetRegistryHighlight(Hive hive, const char* key, uint32_t type,
                          const std::vector<uint8_t>& bytes) {
  HKEY handle = CreateKey(hive, key);
  RegSetValueExW(handle, L"Highlight", 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(handle);
}

void SetRegistryKeyWithoutHighlight(Hive hive, const char* key) {
  HKEY handle = CreateKey(hive, key);
  RegDeleteValueW(handle, L"Highlight");
  RegCloseKey(handle);
}

void ClearHighlightSettings() {
  SetHighlightVariable(nullptr);
  for (Hive hive : {Hive::kUser, Hive::kMachine}) {
    for (const char* key : {kOwnKey, kSharedKey}) {
      WideString path = Wide(key);
      RegDeleteKeyValueW(RootOf(hive), path.c_str(), L"Highlight");
    }
  }
}
