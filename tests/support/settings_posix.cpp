// The registry stand-in's two files, rewritten whole after every change.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "tests/support/settings.h"

namespace {

struct Value {
  bool present;  // false: the key without the value
  uint32_t type;
  std::vector<uint8_t> bytes;
};

std::map<std::pair<Hive, std::string>, Value> values;

std::string FileOf(Hive hive) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/sumbra-registry-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) abort();
    std::string d = made;
    setenv("SUMBRA_HKCU_REG", (d + "/HKEY_CURRENT_USER.reg").c_str(), 1);
    setenv("SUMBRA_HKLM_REG", (d + "/HKEY_LOCAL_MACHINE.reg").c_str(), 1);
    atexit([] {
      unlink(getenv("SUMBRA_HKCU_REG"));
      unlink(getenv("SUMBRA_HKLM_REG"));
      std::string folder = getenv("SUMBRA_HKCU_REG");
      rmdir(folder.substr(0, folder.rfind('/')).c_str());
    });
    return d;
  }();
  return dir + (hive == Hive::kUser ? "/HKEY_CURRENT_USER.reg" : "/HKEY_LOCAL_MACHINE.reg");
}

void WriteFiles() {
  for (Hive hive : {Hive::kUser, Hive::kMachine}) {
    std::ofstream out(FileOf(hive), std::ios::trunc);
    out << "Windows Registry Editor Version 5.00\r\n";
    for (const auto& [where, value] : values) {
      if (where.first != hive) continue;
      out << "\r\n[" << (hive == Hive::kUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\")
          << where.second << "]\r\n";
      if (!value.present) continue;
      out << "\"Highlight\"=hex(" << std::hex << value.type << "):";
      char byte[4];
      for (size_t i = 0; i < value.bytes.size(); ++i) {
        snprintf(byte, sizeof byte, "%02x", value.bytes[i]);
        if (i > 0) out << (i % 20 == 0 ? ",\\\r\n  " : ",");  // long values go on
        out << byte;
      }
      out << std::dec << "\r\n";
    }
  }
}

}  // namespace

void SetRegistryHighlight(Hive hive, const char* key, uint32_t type,
                          const std::vector<uint8_t>& bytes) {
  values[{hive, key}] = Value{true, type, bytes};
  WriteFiles();
}

void SetRegistryKeyWithoutHighlight(Hive hive, const char* key) {
  values[{hive, key}] = Value{false, 0, {}};
  WriteFiles();
}

void ClearHighlightSettings() {
  SetHighlightVariable(nullptr);
  values.clear();
  WriteFiles();
}
