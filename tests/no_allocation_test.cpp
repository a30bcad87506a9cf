// Counts every heap allocation in the process while `key` runs whole calculations, against a
// host that allocates nothing itself. Linux only: it replaces the C library's allocator entry
// points.
#include <gtest/gtest.h>
#include <stddef.h>
#include <stdlib.h>

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

int CalculateCounting(const char* line, const char* highlight) {
  SetHighlightVariable(highlight);
  WideString buffer = Wide(line);
  buffer.resize(16384, 0);
  KeyInfo info{};
  info.keyCode = 13;
  info.line = buffer.data();
  allocations = 0;
  counting = true;
  Plugin().key(&info);
  counting = false;
  EXPECT_EQ(info.row, 1);  // the calculation ran to its end
  return allocations;
}

TEST(NoAllocationTest, WholeCalculationsAllocateNothing) {
  ClearHighlightSettings();
  SetRegistryHighlightText(Hive::kMachine, kSharedKey, "0x1E");
  // The first result gives "Ans" its place in the environment table, as on Windows.
  CalculateCounting("=1", nullptr);

  EXPECT_EQ(CalculateCounting("= 6 * 7 ", nullptr), 0);  // highlight from the registry file
  EXPECT_EQ(CalculateCounting("=%Ans+1", "0x4E"), 0);    // from the environment
  EXPECT_STREQ(getenv("Ans"), "42");
  ClearHighlightSettings();
}

}  // namespace
