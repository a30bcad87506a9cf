// A plug-in that crashes on purpose, for the shell's tests: the key "o" overflows the stack,
// the key "s" writes through a null pointer and the key "x" ends the process with exit(3).
// Any other key does nothing.
#include <stdint.h>
#include <stdlib.h>

#include "host/key_info.h"
#include "host/plugin_info.h"

namespace {

PluginInfo info = {u"Crashing", u"tests", u"", u"", u"crashes on purpose", u"*key", 1, 0, 0};

// Recurses until the stack runs out; the volatile array keeps every frame alive.
int Overflow(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  return Overflow(depth + 1) + frame[0];
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) PluginInfo* GetPluginInfo() {
  return &info;
}
__attribute__((visibility("default"))) int InitializePlugin() {
  return 0;
}
__attribute__((visibility("default"))) int ShutdownPlugin() {
  return 0;
}
__attribute__((visibility("default"))) int key(KeyInfo* key) {
  if (key->keyCode == 'o') return Overflow(0);
  if (key->keyCode == 's') *reinterpret_cast<volatile int*>(uintptr_t{0}) = 1;
  if (key->keyCode == 'x') exit(3);
  return 0;
}
}
