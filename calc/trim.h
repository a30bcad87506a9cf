#pragma once

#include "platform/wide_char.h"

extern "C" {
// Removes leading and trailing white space from `text` in place.
void TrimWhitespace(WideChar* text);
}
