#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/plugin.h"

namespace {

void* Load(const std::string& path) {
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) {
    fprintf(stderr, "cannot load the plug-in: %s\n", dlerror());
    abort();
  }
  return h;
}

template <typename F>
F Export(void* handle, const char* name) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) {
    fprintf(stderr, "the plug-in does not export %s\n", name);
    abort();
  }
  return reinterpret_cast<F>(symbol);
}

LoadedPlugin Exports(void* handle) {
  return LoadedPlugin{Export<PluginInfo* (*)()>(handle, "GetPluginInfo"),
                      Export<int (*)()>(handle, "InitializePlugin"),
                      Export<int (*)()>(handle, "ShutdownPlugin"),
                      Export<int (*)(KeyInfo*)>(handle, "key")};
}

}  // namespace

std::string PluginPath() {
  return SUMBRA_LIBRARY_PATH;
}

const LoadedPlugin& Plugin() {
  static const LoadedPlugin plugin = Exports(Load(PluginPath()));
  return plugin;
}

const LoadedPlugin& FreshPlugin() {
  static const LoadedPlugin plugin = [] {
    char folder[] = "/tmp/sumbra-copy-XXXXXX";
    if (mkdtemp(folder) == nullptr) abort();
    std::string copy = std::string(folder) + "/Sumbra.so";
    std::ofstream(copy, std::ios::binary) << std::ifstream(PluginPath(), std::ios::binary).rdbuf();
    void* handle = Load(copy);
    unlink(copy.c_str());  // the loaded library stays mapped
    rmdir(folder);
    return Exports(handle);
  }();
  return plugin;
}

void* PluginExportByOrdinal(unsigned) {
  return nullptr;
}
