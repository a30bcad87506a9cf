// A plug-in loaded into the shell: its library, descriptor and keystroke handler.
#pragma once

#include <string>

#include "host/key_info.h"
#include "host/plugin_info.h"
#include "orvane/program/keys.h"

namespace orvane {

struct Plugin {
  void* library = nullptr;
  PluginInfo* info = nullptr;
  int (*initialize)() = nullptr;
  int (*shutdown)() = nullptr;
  int (*key)(KeyInfo*) = nullptr;  // the function the descriptor marks with "*"
};

// Loads the library, reads its descriptor and finds its functions. On failure returns false
// and says why in `error`.
bool LoadPlugin(const std::string& path, Plugin& plugin, std::string& error);
// Shuts the plug-in down. The library stays mapped: what it put in the environment may still
// point into it.
void UnloadPlugin(Plugin& plugin);

// Where the plug-in is looked for when no path is given: beside the shell, one level up (the
// build's layout), then in lib/orvane of the prefix the shell is installed in.
std::string DefaultPluginPath();

// The name the plug-in gets for a key known by name ("Enter", "Left", ...); null for
// characters and control codes, which go by their code alone.
const char16_t* KeyName(KeyId id);

}  // namespace orvane
