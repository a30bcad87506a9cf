// The text type of the stand-in host: UTF-16, as the plug-in's buffers hold it.
#pragma once

#include <stddef.h>

#include <string>

#include "host/buffer_capacities.h"
#include "platform/utf8_string.h"

namespace orvane {

using Text = std::u16string;

// The longest command line, in UTF-16 code units: the plug-in's buffer and its terminator.
constexpr size_t kLongestLine = kLineCapacity - 1;

}  // namespace orvane
