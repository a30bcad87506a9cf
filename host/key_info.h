// The keystroke record the host owns and passes to `key` for every key typed at its command
// line. Shared by layout: the host may make it longer; the plug-in touches only what is named.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/wide_char.h"

struct KeyInfo {
  int32_t keyCode;     // the key's character code; 13 is Enter; 0: named by keyName alone
  int32_t homeRow;     // written: row where the command line starts
  int32_t homeColumn;  // written: column where the command line starts
  int32_t row;         // written: current cursor row
  int32_t column;      // written: current cursor column
  uint8_t hostOwnedA[4];
  WideChar* line;  // the host's command-line buffer; may be null
  uint8_t hostOwnedB[16];
  const WideChar* keyName;  // the key's name ("Enter" ...); may be null
};

static_assert(sizeof(void*) == 8, "the host is a 64-bit process");
static_assert(offsetof(KeyInfo, keyCode) == 0, "host layout");
static_assert(offsetof(KeyInfo, homeRow) == 4, "host layout");
static_assert(offsetof(KeyInfo, homeColumn) == 8, "host layout");
static_assert(offsetof(KeyInfo, row) == 12, "host layout");
static_assert(offsetof(KeyInfo, column) == 16, "host layout");
static_assert(offsetof(KeyInfo, hostOwnedA) == 20, "host layout");
static_assert(offsetof(KeyInfo, line) == 24, "host layout");
static_assert(offsetof(KeyInfo, hostOwnedB) == 32, "host layout");
static_assert(offsetof(KeyInfo, keyName) == 48, "host layout");
