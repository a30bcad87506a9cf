// muParser's errors in the user's words.
#pragma once

#include <muParser.h>
#include <stddef.h>

#include <string>

namespace orvane {

// muParser's rule for the names of functions and constants: a letter or "_", then letters,
// digits and "_".
bool IsIdentifierStart(char c);
bool IsIdentifierCharacter(char c);

// Describes a muParser error in the user's words, with "at position N" where it has a place;
// N, counted from 1 in code points of `expression`, goes to `*position` (0: no place). The
// parser that failed tells a function's name from an unknown one.
std::string DescribeParserError(const mu::ParserError& error, const mu::ParserBase& parser,
                                const std::string& expression, size_t* position);
// The message for a comma that separates no function's arguments, as in "1,2" or "(1,2)".
std::string StrayCommaMessage(const std::string& expression, size_t* position);

}  // namespace orvane
