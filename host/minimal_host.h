// What the minimal host tells about itself, beyond the host's services.
#pragma once

#include "platform/export.h"

extern "C" {
// How many times Printf was called: the only trace its output leaves.
HOST_SERVICE int MinimalHostPrintfCalls(void);
}
