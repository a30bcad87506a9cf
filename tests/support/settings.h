// Puts "Highlight" where the plug-in looks for it: the process environment and the registry
// (the real one on Windows, the stand-in files elsewhere). Everything set is removed again.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum class Hive { kUser, kMachine };

// The plug-in's own key, and the key shared by all plug-ins.
extern const char* const kOwnKey;
extern const char* const kSharedKey;

void SetHighlightVariable(const char* utf8);  // null removes it
// Sets the value "Highlight" with a registry type and raw bytes.
void SetRegistryHighlight(Hive hive, const char* key, uint32_t type,
                          const std::vector<uint8_t>& bytes);
// A REG_SZ holding `utf8` and its terminator.
void SetRegistryHighlightText(Hive hive, const char* key, const std::string& utf8);
// The key, with no value "Highlight" in it.
void SetRegistryKeyWithoutHighlight(Hive hive, const char* key);
// Removes every Highlight the tests may have set.
void ClearHighlightSettings();
