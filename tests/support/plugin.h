// The plug-in loaded the way a host loads it: the library by file name, the exports by name.
#pragma once

#include <string>

#include "host/key_info.h"
#include "host/plugin_info.h"

struct LoadedPlugin {
  PluginInfo* (*GetPluginInfo)();
  int (*InitializePlugin)();
  int (*ShutdownPlugin)();
  int (*key)(KeyInfo*);
};

// Loads the plug-in once per test program; aborts the test program when it cannot.
const LoadedPlugin& Plugin();

// A second instance of the plug-in, loaded from a copy of its library file: its state is that
// of a library just loaded, whatever the tests did with the first. Loaded once.
const LoadedPlugin& FreshPlugin();

// The address of an export by ordinal (Windows), or null where there are no ordinals.
void* PluginExportByOrdinal(unsigned ordinal);

// Where the plug-in's library file is.
std::string PluginPath();
