#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "tests/support/plugin.h"

namespace {

HMODULE Load(const wchar_t* path) {
  HMODULE h = LoadLibraryW(path);
  if (h == nullptr) {
    fprintf(stderr, "cannot load %ls: error %lu\n", path, GetLastError());
    abort();
  }
  return h;
}

HMODULE Handle() {
  static HMODULE handle = Load(L"Sumbra.dll");
  return handle;
}

template <typename F>
F Export(HMODULE module, const char* name) {
  FARPROC symbol = GetProcAddress(module, name);
  if (symbol == nullptr) {
    fprintf(stderr, "Sumbra.dll does not export %s\n", name);
    abort();
  }
  return reinterpret_cast<F>(reinterpret_cast<void*>(symbol));
}

LoadedPlugin Exports(HMODULE module) {
  return LoadedPlugin{Export<PluginInfo* (*)()>(module, "GetPluginInfo"),
                      Export<int (*)()>(module, "InitializePlugin"),
                      Export<int (*)()>(module, "ShutdownPlugin"),
                      Export<int (*)(KeyInfo*)>(module, "key")};
}

// The copy is removed when the test program ends, after the library is let go.
wchar_t copyPath[MAX_PATH];
HMODULE copyHandle;

}  // namespace

std::string PluginPath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(Handle(), path, MAX_PATH);
  return std::string(path, path + n);  // the test tree's path is ASCII
}

const LoadedPlugin& Plugin() {
  static const LoadedPlugin plugin = Exports(Handle());
  return plugin;
}

const LoadedPlugin& FreshPlugin() {
  static const LoadedPlugin plugin = [] {
    wchar_t original[MAX_PATH], folder[MAX_PATH];
    GetModuleFileNameW(Handle(), original, MAX_PATH);
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"smb", 0, copyPath) == 0 ||
        !CopyFileW(original, copyPath, FALSE)) {
      abort();
    }
    copyHandle = Load(copyPath);
    atexit([] {
      FreeLibrary(copyHandle);
      DeleteFileW(copyPath);
    });
    return Exports(copyHandle);
  }();
  return plugin;
}

void* PluginExportByOrdinal(unsigned ordinal) {
  FARPROC symbol = GetProcAddress(Handle(), MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<void*>(symbol);
}
