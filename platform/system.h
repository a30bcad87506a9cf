// The operating-system calls the plug-in makes: the process environment and the registry (read
// only). On Windows they are the Windows API itself; elsewhere, stand-ins with the same names,
// types and return conventions (platform/posix).
#pragma once

#include "platform/wide_char.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// Windows' own limit on a variable's value, in characters.
constexpr size_t kLongestEnvironmentValue = 32767 - 1;
#else
#include "platform/posix/system.h"
#endif
