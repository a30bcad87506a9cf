#include "orvane/program/completion.h"

#include <algorithm>

#include "host/variable_names.h"
#include "orvane/lib/calculator_functions.h"
#include "orvane/lib/variables.h"
#include "platform/wide_char.h"

namespace orvane {

namespace {

// Whether `name` could stand after "%" as it is.
bool IsPlainName(const std::u16string& name) {
  return !name.empty() && IsNameStart(name[0]) &&
         std::all_of(name.begin(), name.end(), [](char16_t c) { return IsNameCharacter(c); });
}

// How many characters `a` and `b` share at their start; variable names ignore case.
size_t SharedLength(const std::u16string& a, const std::u16string& b, bool ignoreCase) {
  size_t n = 0;
  while (n < a.size() && n < b.size() &&
         (ignoreCase ? AsciiLower(a[n]) == AsciiLower(b[n]) : a[n] == b[n])) {
    ++n;
  }
  return n;
}

}  // namespace

Completion Complete(const std::u16string& line, size_t cursor) {
  Completion completion;
  size_t start = cursor;
  while (start > 0 && IsNameCharacter(line[start - 1])) --start;
  completion.start = start;
  std::u16string word = line.substr(start, cursor - start);
  bool variable = start > 0 && line[start - 1] == '%';
  bool calculation = !line.empty() && (line[0] == '=' || line[0] == ':');
  bool number = !word.empty() && word[0] >= '0' && word[0] <= '9';

  std::vector<std::u16string> names;
  if (variable) {
    for (std::u16string& name : VariableNames()) {
      if (IsPlainName(name)) names.push_back(name);
    }
  } else if (calculation && start > 0 && !number) {
    for (const std::string& name : FunctionAndConstantNames()) names.push_back(Wide(name));
  }
  for (const std::u16string& name : names) {
    if (SharedLength(name, word, variable) == word.size()) completion.choices.push_back(name);
  }
  std::sort(completion.choices.begin(), completion.choices.end());
  completion.choices.erase(std::unique(completion.choices.begin(), completion.choices.end()),
                           completion.choices.end());
  if (completion.choices.empty()) return completion;
  completion.common = completion.choices[0];
  for (const std::u16string& choice : completion.choices) {
    completion.common.resize(SharedLength(completion.common, choice, variable));
  }
  return completion;
}

}  // namespace orvane
