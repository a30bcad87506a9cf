#include "platform/system.h"
#include "tests/support/settings.h"
#include "tests/support/text.h"

const char* const kOwnKey = "SOFTWARE\\ZielPlugins\\Sumbra";
const char* const kSharedKey = "SOFTWARE\\ZielPlugins";

void SetHighlightVariable(const char* utf8) {
  WideString value = utf8 ? Wide(utf8) : WideString();
  SetEnvironmentVariableW(W("Highlight"), utf8 ? value.c_str() : nullptr);
}

void SetRegistryHighlightText(Hive hive, const char* key, const std::string& utf8) {
  WideString text = Wide(utf8);
  std::vector<uint8_t> bytes;
  for (WideChar c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  SetRegistryHighlight(hive, key, REG_SZ, bytes);
}
