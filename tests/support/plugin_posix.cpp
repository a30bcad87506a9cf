#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

#include "tests/support/plugin.h"

namespace {

void* Handle() {
  static void* handle = [] {
    void* h = dlopen(PluginPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
      fprintf(stderr, "cannot load the plug-in: %s\n", dlerror());
      abort();
    }
    return h;
  }();
  return handle;
}

template <typename F>
F Export(const char* name) {
  void* symbol = dlsym(Handle(), name);
  if (symbol == nullptr) {
    fprintf(stderr, "the plug-in does not export %s\n", name);
    abort();
  }
  return reinterpret_cast<F>(symbol);
}

}  // namespace

std::string PluginPath() {
  return SUMBRA_LIBRARY_PATH;
}

const LoadedPlugin& Plugin() {
  static const LoadedPlugin plugin{
      Export<PluginInfo* (*)()>("GetPluginInfo"), Export<int (*)()>("InitializePlugin"),
      Export<int (*)()>("ShutdownPlugin"), Export<int (*)(KeyInfo*)>("key")};
  return plugin;
}

void* PluginExportByOrdinal(unsigned) {
  return nullptr;
}
