// The host's arithmetic.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace orvane {

// Evaluates an expression; on success `result` holds the result text, else `error` says why and
// `position` (when given) where: counted from 1 in code points, 0 when the error has no place.
bool EvaluateExpression(const std::string& expression, std::string& result, std::string& error,
                        size_t* position = nullptr);
// Whether the text parses as arithmetic (even if its evaluation then fails, say on a division
// by zero).
bool ReadsAsArithmetic(const std::string& text);

}  // namespace orvane
