// A second reader of the registry editor's export format, written apart from the stand-in's and
// as plainly as possible (whole strings, the heap), so that the fuzzer can check every answer.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct ReferenceAnswer {
  bool keyExists = false;
  bool valueFound = false;
  uint32_t type = 0;
  std::string data;  // all of the value's bytes
};

// The file's lines after its header, decoded; none when it has no header.
std::vector<std::u16string> ReferenceLines(const std::string& file);

// `name` null: only whether the key exists.
ReferenceAnswer ReferenceRead(const std::vector<std::u16string>& lines, const std::u16string& key,
                              const std::u16string* name);
