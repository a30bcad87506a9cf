// Colour descriptions, and console attributes as ANSI escapes.
#pragma once

#include <string>

#include "orvane/lib/text.h"

namespace orvane {

// Parses "[bright] colour [on [bright] colour]"; false when it is not a colour description.
// A description without a background gives the background 64: foreground only.
bool ParseColorDescription(const Text& description, int& foreground, int& background);
// The ANSI escape that shows an attribute.
std::string AnsiForAttribute(int attribute);

}  // namespace orvane
