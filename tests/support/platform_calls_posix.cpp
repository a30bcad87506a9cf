// The C library functions the environment and registry stand-ins read with, interposed by the
// test program (which exports them to the libraries it loads) and passed on to the real ones.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "tests/support/platform_calls.h"

namespace {

int reads = 0;

// The next definition of `name` after this program's: the C library's, or a sanitizer's.
template <typename F>
F Real(F, const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// The mode argument is there only when a file may be created.
mode_t ModeOf(int flags, va_list args) {
  return ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) ? va_arg(args, mode_t) : 0;
}

}  // namespace

#define INTERPOSED extern "C" __attribute__((visibility("default")))

// Counts the call and passes it on to the real function `name`.
#define PASS_ON(name, ...)               \
  static auto real = Real(&name, #name); \
  ++reads;                               \
  return real(__VA_ARGS__)

INTERPOSED char* getenv(const char* name) noexcept {
  PASS_ON(getenv, name);
}
INTERPOSED char* secure_getenv(const char* name) noexcept {
  PASS_ON(secure_getenv, name);
}
INTERPOSED int stat(const char* path, struct stat* buf) noexcept {
  PASS_ON(stat, path, buf);
}
INTERPOSED int stat64(const char* path, struct stat64* buf) noexcept {
  PASS_ON(stat64, path, buf);
}
INTERPOSED int lstat(const char* path, struct stat* buf) noexcept {
  PASS_ON(lstat, path, buf);
}
INTERPOSED int lstat64(const char* path, struct stat64* buf) noexcept {
  PASS_ON(lstat64, path, buf);
}
INTERPOSED int fstatat(int dir, const char* path, struct stat* buf, int flags) noexcept {
  PASS_ON(fstatat, dir, path, buf, flags);
}
INTERPOSED int fstatat64(int dir, const char* path, struct stat64* buf, int flags) noexcept {
  PASS_ON(fstatat64, dir, path, buf, flags);
}
INTERPOSED int statx(int dir, const char* path, int flags, unsigned mask,
                     struct statx* buf) noexcept {
  PASS_ON(statx, dir, path, flags, mask, buf);
}
INTERPOSED FILE* fopen(const char* path, const char* mode) {
  PASS_ON(fopen, path, mode);
}
INTERPOSED FILE* fopen64(const char* path, const char* mode) {
  PASS_ON(fopen64, path, mode);
}

#define PASS_ON_OPEN(name, ...)      \
  va_list args;                      \
  va_start(args, flags);             \
  mode_t mode = ModeOf(flags, args); \
  va_end(args);                      \
  PASS_ON(name, __VA_ARGS__, mode)

INTERPOSED int open(const char* path, int flags, ...) {
  PASS_ON_OPEN(open, path, flags);
}
INTERPOSED int open64(const char* path, int flags, ...) {
  PASS_ON_OPEN(open64, path, flags);
}
INTERPOSED int openat(int dir, const char* path, int flags, ...) {
  PASS_ON_OPEN(openat, dir, path, flags);
}
INTERPOSED int openat64(int dir, const char* path, int flags, ...) {
  PASS_ON_OPEN(openat64, dir, path, flags);
}

const bool kRegistryCallsSeen = false;

void WatchPlatformCalls() {
  reads = 0;
}

int SettingReads() {
  return reads;
}

std::string RegistryCalls() {
  return std::string();
}
