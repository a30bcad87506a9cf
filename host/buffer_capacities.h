// The capacities of the text buffers the plug-in hands to the host's services, in UTF-16 code
// units with the terminator. The host is never told them: it keeps every result within them.
// This header includes nothing, so that every layer above the host's can take them.
#pragma once

// The command line, and the expression and result of a calculation (ExpandVariables and
// Evaluate): a line holds at most kLineCapacity - 1 characters.
constexpr unsigned kLineCapacity = 16384;
// What ExpandVariables is given while the plug-in initialises.
constexpr unsigned kStartupCapacity = 1024;
