// The functions and constants an expression can use: one table, which the evaluator defines
// and Tab completion offers.
#pragma once

#include <muParser.h>

#include <string>
#include <vector>

namespace orvane {

// Defines the functions and constants in the parser. Every call checks what goes in and what
// comes out: a literal too large for a double that reaches a function is an error, and so is a
// result that is not a number (naming the call), infinite (too large, or a pole such as ln(0))
// or 0 from an argument too close to 0 (which stays too close to 0).
void DefineFunctionsAndConstants(mu::Parser& parser);
// The names, as completion offers them: functions followed by "(", then constants.
std::vector<std::string> FunctionAndConstantNames();
// Whether `name` is one of the functions; or one of the functions and constants.
bool IsFunctionName(const std::string& name);
bool IsCalculatorName(const std::string& name);

}  // namespace orvane
