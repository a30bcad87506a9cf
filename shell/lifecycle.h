// What the host calls first and last.
#pragma once

#include "host/plugin_info.h"
#include "platform/export.h"

extern "C" {
// Fills the descriptor (the same values on every call) and returns it.
SUMBRA_EXPORT PluginInfo* GetPluginInfo(void);
// Decides whether the host reports Enter by name and announces the plug-in unless the host's
// variables ask for silence. Returns 0.
SUMBRA_EXPORT int InitializePlugin(void);
// Nothing was acquired, so nothing is released. Returns 0.
SUMBRA_EXPORT int ShutdownPlugin(void);
}
