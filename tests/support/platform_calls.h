// The plug-in's calls to the operating system, watched from outside its library: on Windows
// through its import table, natively through the C library functions the stand-ins are built
// on, which the test program interposes.
#pragma once

#include <string>

// Starts watching afresh.
void WatchPlatformCalls();

// Reads of a setting since: on Windows the plug-in's environment look-ups and registry opens;
// natively every getenv, stat and open in the process.
int SettingReads();

// Whether RegistryCalls sees anything: the stand-in registry's calls stay inside the library.
extern const bool kRegistryCallsSeen;

// The plug-in's registry calls since, one a line: "RegOpenKeyExW" (only those that opened a
// key), "RegQueryValueExW" or "RegCloseKey", a blank, and the key's number in the order the
// keys were opened, from 1 ("?" for a key opened before watching began).
std::string RegistryCalls();
