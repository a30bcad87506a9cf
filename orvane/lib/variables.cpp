// Variable references: "%name" and "%[name]", looked up in the host's own variables first, then
// in the environment. Names match whatever their case, as in the Windows environment.
#include "orvane/lib/variables.h"

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

// Whether `text` is a sign and a number, blanks around it aside: decimal digits with a point and
// an exponent, or "0x" and hexadecimal digits.
bool IsSignedNumber(Text text) {
  text.erase(0, text.find_first_not_of(u" \t"));  // blanks around it are no part of it
  text.erase(text.find_last_not_of(u" \t") + 1);
  size_t i = 1;
  auto digits = [&](bool hexadecimal) {
    size_t start = i;
    while (i < text.size() &&
           (hexadecimal ? HexDigitValue(text[i]) >= 0 : (text[i] >= '0' && text[i] <= '9'))) {
      ++i;
    }
    return i > start;
  };
  if (text.empty() || (text[0] != '-' && text[0] != '+')) return false;
  if (text.compare(1, 2, u"0x") == 0 || text.compare(1, 2, u"0X") == 0) {
    i = 3;
    return digits(true) && i == text.size();
  }
  bool whole = digits(false);
  bool fraction = false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = digits(false);
  }
  if (!whole && !fraction) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits(false)) return false;
  }
  return i == text.size();
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
