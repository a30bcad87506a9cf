// Variable references: "%name" and "%[name]", looked up in the host's own variables first, then
// in the environment.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "orvane/lib/text.h"

namespace orvane {

// The host's own variables (_4ver, _transient, _pipe), looked up before the environment.
void SetHostVariable(const std::string& name, const std::string& value);
// Whether `name` is one of the host's own variables (whatever its case); its value goes to
// `value` when that is given.
bool HostVariable(const Text& name, Text* value = nullptr);
// The host's own variables as "name=value", by name.
std::vector<Text> HostVariableSettings();
// Expands "%name" and "%[name]" in `text`: a name starts with a letter or "_" and goes on with
// letters, digits and "_"; it matches whatever the case. Returns false when the result would
// not fit `capacity` characters including the terminator. The names of undefined variables,
// which expand to nothing, are added to `undefined` when it is given. For a `calculation`, a
// "%" right after a name may also end it ("%x%+1", as on Windows; "%x%3" is still a remainder),
// and a value that is a signed number goes in parentheses, so that it is one operand.
bool ExpandText(Text& text, size_t capacity, std::vector<Text>* undefined = nullptr,
                bool calculation = false);
// The names of the host's variables and of the environment's, for completion.
std::vector<Text> VariableNames();
// "undefined variable x", or "undefined variables x, y".
std::string UndefinedVariables(const std::vector<Text>& names);

}  // namespace orvane
