// The keystroke handler and what it shares with the rest of the plug-in.
#pragma once

#include "host/key_info.h"
#include "platform/export.h"

extern "C" {

// 1 when the host reports Enter by key name (key code 0, name "Enter"); decided once when the
// plug-in is initialised, 0 until then.
extern int hostReportsKeyNames;

// Called by the host for every key typed at its command line. On Enter, a line beginning with
// "=" or ":" is evaluated and its result printed and stored in "Ans". Always returns 0.
SUMBRA_EXPORT int key(KeyInfo* info);

}  // extern "C"
