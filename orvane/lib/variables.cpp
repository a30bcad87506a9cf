// Variable references: "%name" and "%[name]", looked up in the host's own variables first, then
// in the environment. Names match whatever their case, as in the Windows environment.
#include "orvane/lib/variables.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>

#include "host/host_text.h"
#include "orvane/lib/calculator_functions.h"
#include "platform/system.h"

namespace orvane {

namespace {

Text Folded(Text name) {
  for (char16_t& c : name) c = AsciiLower(c);
  return name;
}

std::map<Text, Text>& HostVariables() {  // by folded name, which is how they are named
  static std::map<Text, Text> variables;
  return variables;
}

// The variable's value; false when it is not defined.
bool Lookup(const Text& name, Text& value) {
  if (HostVariable(name, &value)) return true;
  if (name.empty()) return false;
  value.assign(256, 0);
  DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), 256);
  if (length >= 256) {  // the size it needs
    value.assign(length, 0);
    length = GetEnvironmentVariableW(name.c_str(), value.data(), length);
  }
  value.resize(length);
  return length > 0;
}

// Whether `text` is a sign and a number, blanks around it aside, as the evaluator reads its
// literals (strtod).
bool IsSignedNumber(const Text& text) {
  std::string number = Narrow(text);
  size_t first = number.find_first_not_of(" \t");
  if (first == std::string::npos || (number[first] != '-' && number[first] != '+')) return false;
  number.erase(number.find_last_not_of(" \t") + 1);
  char* end = nullptr;
  strtod(number.c_str() + first, &end);
  return end != number.c_str() + first && *end == 0;
}

// Adds `name` to the list unless it is there already.
void NoteUndefined(const Text& name, std::vector<Text>* undefined) {
  if (undefined == nullptr) return;
  for (const Text& known : *undefined) {
    if (Folded(known) == Folded(name)) return;
  }
  undefined->push_back(name);
}

}  // namespace

void SetHostVariable(const std::string& name, const std::string& value) {
  HostVariables()[Folded(Wide(name))] = Wide(value);
}

bool HostVariable(const Text& name, Text* value) {
  auto found = HostVariables().find(Folded(name));
  if (found == HostVariables().end()) return false;
  if (value) *value = found->second;
  return true;
}

std::vector<Text> HostVariableSettings() {
  std::vector<Text> settings;
  for (const auto& variable : HostVariables()) {
    settings.push_back(variable.first + u"=" + variable.second);
  }
  return settings;
}

bool ExpandText(Text& text, size_t capacity, std::vector<Text>* undefined, bool calculation) {
  auto lookup = [undefined, calculation](const Text& name, Text& value) {
    if (Lookup(name, value)) {
      // A negative value is one operand: %Ans^2 squares -5, as (-5)^2.
      if (calculation && IsSignedNumber(value)) value = u"(" + value + u")";
      return true;
    }
    if (!name.empty()) NoteUndefined(name, undefined);
    return false;
  };
  // In a calculation, the calculator's own names are no references unless a variable has one.
  CalculationReferences rules{[](const Text& name) {
    Text value;
    return IsCalculatorName(Narrow(name)) && !Lookup(name, value);
  }};
  return ExpandReferences(text, capacity, lookup, calculation ? &rules : nullptr);
}

std::vector<Text> VariableNames() {
  std::vector<Text> names;
  for (const auto& variable : HostVariables()) names.push_back(variable.first);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const char* equals = strchr(*entry, '=');
    if (equals != nullptr && equals != *entry) {
      names.push_back(Wide(std::string(*entry, static_cast<size_t>(equals - *entry))));
    }
  }
  return names;
}

std::string UndefinedVariables(const std::vector<Text>& names) {
  std::string list;
  for (const Text& name : names) list += (list.empty() ? "" : ", ") + Narrow(name);
  return (names.size() == 1 ? "undefined variable " : "undefined variables ") + list;
}

}  // namespace orvane
