// The descriptor the host reads from GetPluginInfo: who the plug-in is and what it offers.
// Shared by layout.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/wide_char.h"

struct PluginInfo {
  const WideChar* name;
  const WideChar* author;
  const WideChar* email;
  const WideChar* webPage;
  const WideChar* description;
  const WideChar* functions;  // "*key": the one keystroke handler, exported as `key`
  int32_t major;
  int32_t minor;
  int32_t build;
};

static_assert(offsetof(PluginInfo, name) == 0, "host layout");
static_assert(offsetof(PluginInfo, author) == 8, "host layout");
static_assert(offsetof(PluginInfo, email) == 16, "host layout");
static_assert(offsetof(PluginInfo, webPage) == 24, "host layout");
static_assert(offsetof(PluginInfo, description) == 32, "host layout");
static_assert(offsetof(PluginInfo, functions) == 40, "host layout");
static_assert(offsetof(PluginInfo, major) == 48, "host layout");
static_assert(offsetof(PluginInfo, minor) == 52, "host layout");
static_assert(offsetof(PluginInfo, build) == 56, "host layout");
