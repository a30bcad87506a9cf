// Counts every heap allocation in the process while the plug-in runs each of its paths (whole
// calculations with every kind of setting, initialisation, the descriptor), against a host that
// allocates nothing itself. Linux only: it replaces the C library's allocator entry points.
#include <gtest/gtest.h>
#include <stddef.h>
#include <stdlib.h>

#include "host/buffer_capacities.h"
#include "host/minimal_host.h"
#include "tests/support/plugin.h"
#include "tests/support/settings.h"
#include "tests/support/text.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
bool counting = false;
int allocations = 0;
}  // namespace

extern "C" void* malloc(size_t n) {
  allocations += counting;
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
  allocations += counting;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
  allocations += counting;
  return __libc_realloc(p, n);
}

namespace {

// Enter on `line` (ASCII), in a buffer that needs no allocation. Returns the row the plug-in
// wrote back: 1 once the calculation ran to its end.
int Calculate(const char* line) {
  static WideChar buffer[kLineCapacity];
  size_t n = 0;
  for (; line[n] != 0; ++n) buffer[n] = static_cast<WideChar>(line[n]);
  buffer[n] = 0;
  KeyInfo info{};
  info.keyCode = 13;
  info.line = buffer;
  Plugin().key(&info);
  return info.row;
}

// Initialises the plug-in; returns the number of messages it printed.
int Initialize() {
  int before = MinimalHostPrintfCalls();
  Plugin().InitializePlugin();
  return MinimalHostPrintfCalls() - before;
}

struct Path {
  const char* name;
  void (*setUp)();  // not counted
  int (*run)();
  int ranToItsEnd;  // what `run` answers when the path was taken to its end
};

const Path kPaths[] = {
    {"default colours", [] {}, [] { return Calculate("= 6 * 7 "); }, 1},
    {"environment setting", [] { SetHighlightVariable("0x4E"); },
     [] { return Calculate("=%Ans+1"); }, 1},
    {"registry setting", [] { SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x1E"); },
     [] { return Calculate("=6*7"); }, 1},
    {"colour description", [] { SetHighlightVariable("bright red"); },
     [] { return Calculate("=6*7"); }, 1},
    {"inv", [] { SetHighlightVariable("inverse"); }, [] { return Calculate("=6*7"); }, 1},
    {"load message", [] { unsetenv("noloadmsg"); }, Initialize, 1},
    {"no load message", [] { setenv("noloadmsg", "1", 1); }, Initialize, 0},
    {"descriptor", [] {}, [] { return static_cast<int>(Plugin().GetPluginInfo()->build); }, 1},
};

TEST(NoAllocationTest, NoPathAllocates) {
  // An interactive host of a version that names its keys (the minimal host expands from the
  // environment).
  setenv("_4ver", "25", 1);
  setenv("_transient", "0", 1);
  setenv("_pipe", "0", 1);
  // The first result gives "Ans" its place in the environment table, as on Windows.
  ClearHighlightSettings();
  Calculate("=1");

  for (const Path& path : kPaths) {
    ClearHighlightSettings();
    path.setUp();
    allocations = 0;
    counting = true;
    int answer = path.run();
    counting = false;
    EXPECT_EQ(answer, path.ranToItsEnd) << path.name;
    EXPECT_EQ(allocations, 0) << path.name;
  }
  EXPECT_STREQ(getenv("Ans"), "42");
  ClearHighlightSettings();
}

}  // namespace
