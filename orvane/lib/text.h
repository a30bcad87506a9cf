// The text type of the stand-in host: UTF-16, as the plug-in's buffers hold it.
#pragma once

#include <stddef.h>

#include <string>

#include "platform/utf8_string.h"

namespace orvane {

using Text = std::u16string;

// The plug-in's buffer for the command line and its calculation: 16384 UTF-16 code units, the
// terminator included, so a line holds at most 16383.
constexpr size_t kLineCapacity = 16384;
constexpr size_t kLongestLine = kLineCapacity - 1;

}  // namespace orvane
