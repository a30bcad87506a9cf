// The services the host command processor exports from its library (Orvane.dll on Windows,
// libOrvane.so here). The plug-in imports them by name and calls them on the host's thread.
// None of them is told a buffer's capacity: the host keeps its results within the capacities
// in buffer_capacities.h.
#pragma once

#include "host/buffer_capacities.h"
#include "platform/export.h"
#include "platform/wide_char.h"

extern "C" {

// Replaces variable references ("%name", "%[name]") in place; 0 on success.
HOST_SERVICE int ExpandVariables(WideChar* text, int flags);
// Replaces the expression in the buffer with its result text; 0 on success.
HOST_SERVICE int Evaluate(WideChar* expression);
// printf-style output at the cursor: "%s" takes a wide string, "%u" an unsigned 32-bit int.
HOST_SERVICE int Printf(const WideChar* format, ...);
// Writes text at the cursor in the current colours, with no line break.
HOST_SERVICE int QPuts(const WideChar* text);
// Ends the console line.
HOST_SERVICE int CrLf(void);
// The console's current text attribute into *attribute; *other is not read.
HOST_SERVICE int GetAttribute(int* attribute, int* other);
// Colour of the following output: an attribute 0-255.
HOST_SERVICE int SetColors(int attribute);
// Parses a colour description; leaves -1 in what the description does not give.
HOST_SERVICE int ParseColors(const WideChar* description, int* foreground, int* background);
// The cursor's position on the console.
HOST_SERVICE int GetAbsCursorPosition(int* row, int* column);

}  // extern "C"
