// What Tab offers: function names and constants in a calculation, variable names after "%".
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace orvane {

struct Completion {
  size_t start = 0;                     // where the word before the cursor starts
  std::vector<std::u16string> choices;  // the names it can become, sorted
  std::u16string common;  // what all the choices begin with, spelled as the first one is
};

Completion Complete(const std::u16string& line, size_t cursor);

}  // namespace orvane
