#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "tests/support/plugin.h"

namespace {

HMODULE Handle() {
  static HMODULE handle = [] {
    HMODULE h = LoadLibraryW(L"Sumbra.dll");
    if (h == nullptr) {
      fprintf(stderr, "cannot load Sumbra.dll: error %lu\n", GetLastError());
      abort();
    }
    return h;
  }();
  return handle;
}

template <typename F>
F Export(const char* name) {
  FARPROC symbol = GetProcAddress(Handle(), name);
  if (symbol == nullptr) {
    fprintf(stderr, "Sumbra.dll does not export %s\n", name);
    abort();
  }
  return reinterpret_cast<F>(reinterpret_cast<void*>(symbol));
}

}  // namespace

std::string PluginPath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(Handle(), path, MAX_PATH);
  return std::string(path, path + n);  // the test tree's path is ASCII
}

const LoadedPlugin& Plugin() {
  static const LoadedPlugin plugin{
      Export<PluginInfo* (*)()>("GetPluginInfo"), Export<int (*)()>("InitializePlugin"),
      Export<int (*)()>("ShutdownPlugin"), Export<int (*)(KeyInfo*)>("key")};
  return plugin;
}

void* PluginExportByOrdinal(unsigned ordinal) {
  FARPROC symbol = GetProcAddress(Handle(), MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<void*>(symbol);
}
