// A host for fuzzing: the nine services answer from a script the fuzzer fills for each input,
// keep within the capacities the plug-in relies on, and stop the run on anything the plug-in
// must never pass them.
#pragma once

#include <string>

#include "host/buffer_capacities.h"
#include "platform/wide_char.h"

struct FuzzScript {
  size_t expansionCapacity = kLineCapacity;  // kStartupCapacity while the plug-in initialises
  int expansionStatus = 0;
  std::basic_string<WideChar> expansion;  // what every expansion gives
  bool expansionKeepsText = true;         // or leaves the text as it is
  int evaluationStatus = 0;
  std::basic_string<WideChar> evaluation;  // what every evaluation gives
  int attribute = 0x07;
  int foreground = -1, background = -1;  // what ParseColors answers
  bool parseColorsAnswers = false;
  int row = 0;
};

FuzzScript& Script();
