// The host's arithmetic.
#pragma once

#include <stddef.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Evaluates an expression; on success `result` holds the result text, else `error` says why and
// `position` (when given) where: counted from 1 in code points, 0 when the error has no place.
bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error,
                        size_t* position = nullptr);
// Whether the text parses as arithmetic (even if its evaluation then fails, say on a division
// by zero).
bool ReadsAsArithmetic(const std::string& text);
// The names an expression can use, for completion: functions (followed by "(") and constants.
std::vector<std::string> CalculatorNames();
// Room for any number FormatNumber writes, such as "-1.23456789012345e-308".
using NumberText = std::array<char, 32>;
// Formats a finite number into `text`: integers exactly while a double holds them exactly,
// anything else with up to 15 significant digits and no trailing zeros; never "-0".
std::string_view FormatNumber(double value, NumberText& text);

}  // namespace orvane
