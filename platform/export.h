// Marks the plug-in's exports. Everything else is hidden: on Windows the module-definition file
// names the exports; elsewhere symbols are hidden by default and these are made visible.
#pragma once

#if defined(_WIN32)
#define SUMBRA_EXPORT
#else
#define SUMBRA_EXPORT __attribute__((visibility("default")))
#endif

// Marks the host's services: the host library exports them (by its module-definition file on
// Windows), the plug-in imports them.
#if defined(_WIN32)
#define HOST_SERVICE
#else
#define HOST_SERVICE __attribute__((visibility("default")))
#endif
