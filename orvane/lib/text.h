// The text type of the stand-in host: UTF-16, as the plug-in's buffers hold it.
#pragma once

#include <string>

#include "platform/utf8_string.h"

namespace orvane {

using Text = std::u16string;

}  // namespace orvane
