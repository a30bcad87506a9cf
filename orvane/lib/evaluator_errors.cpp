// muParser reports an error code, the byte offset where it gave up and the token it read there;
// its own English texts speak of tokens and internal errors, so they are not shown.
#include "orvane/lib/evaluator_errors.h"

#include <algorithm>
#include <vector>

namespace orvane {

namespace {

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// `problem` at the character that starts at byte `offset`, its position counted from 1 in code
// points.
std::string At(const std::string& problem, const std::string& expression, size_t offset,
               size_t* position) {
  size_t characters = 0;
  for (size_t i = 0; i < offset && i < expression.size(); ++i) {
    if (!IsContinuationByte(expression[i])) ++characters;
  }
  *position = characters + 1;
  return problem + " at position " + std::to_string(*position);
}

// What cannot be read at `offset`: an unknown name, something like a number, or a character.
std::string Unreadable(const std::string& expression, size_t offset) {
  size_t end = offset + 1;
  char first = expression[offset];
  if (IsIdentifierStart(first)) {
    while (end < expression.size() && IsIdentifierCharacter(expression[end])) ++end;
    size_t next = expression.find_first_not_of(" \t", end);
    bool call = next != std::string::npos && expression[next] == '(';
    return (call ? "unknown function " : "unknown name ") +
           Quoted(expression.substr(offset, end - offset));
  }
  if ((first >= '0' && first <= '9') || first == '.') {
    while (end < expression.size() &&
           (IsIdentifierCharacter(expression[end]) || expression[end] == '.')) {
      ++end;
    }
    return Quoted(expression.substr(offset, end - offset)) + " is not a number";
  }
  while (end < expression.size() && IsContinuationByte(expression[end])) ++end;
  return "unexpected " + Quoted(expression.substr(offset, end - offset));
}

// The name of a known function that starts at `offset`; "" when there is none.
std::string FunctionAt(const mu::ParserBase& parser, const std::string& expression, size_t offset) {
  size_t end = offset;
  while (end < expression.size() && IsIdentifierCharacter(expression[end])) ++end;
  std::string name = expression.substr(offset, end - offset);
  return parser.GetFunDef().count(name) != 0 ? name : "";
}

// Whether the parenthesis at `open` follows a function's name.
bool OpensCall(const std::string& expression, size_t open) {
  if (open == 0) return false;
  size_t end = expression.find_last_not_of(" \t", open - 1);
  return end != std::string::npos && IsIdentifierCharacter(expression[end]);
}

}  // namespace

bool IsIdentifierStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsIdentifierCharacter(char c) {
  return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

std::string StrayCommaMessage(const std::string& expression, size_t* position) {
  std::vector<bool> calls;  // for each open parenthesis: whether it holds a function's arguments
  for (size_t i = 0; i < expression.size(); ++i) {
    char c = expression[i];
    if (c == '(') {
      calls.push_back(OpensCall(expression, i));
    } else if (c == ')' && !calls.empty()) {
      calls.pop_back();
    } else if (c == ',' && (calls.empty() || !calls.back())) {
      return At("unexpected \",\"", expression, i, position);
    }
  }
  return "a list of values is not one result";
}

std::string DescribeParserError(const mu::ParserError& error, const mu::ParserBase& parser,
                                const std::string& expression, size_t* position) {
  *position = 0;
  int reported = error.GetPos();
  bool placed = reported >= 0;
  size_t offset = placed ? std::min(static_cast<size_t>(reported), expression.size()) : 0;
  size_t end = expression.size();
  const std::string& token = error.GetToken();
  switch (error.GetCode()) {
    case mu::ecUNASSIGNABLE_TOKEN: {
      if (offset >= end) break;
      std::string function = FunctionAt(parser, expression, offset);
      if (!function.empty()) {  // "sqrt 4": a function's name alone is no value
        return At("function " + Quoted(function), expression, offset, position) +
               " needs its argument in parentheses: " + function + "(...)";
      }
      return At(Unreadable(expression, offset), expression, offset, position);
    }
    case mu::ecINVALID_CHARACTERS_FOUND: {  // a control character anywhere
      size_t control = offset;
      for (size_t i = 0; i < end; ++i) {
        if (static_cast<unsigned char>(expression[i]) < 0x20 || expression[i] == 0x7F) {
          control = i;
          break;
        }
      }
      return At("unexpected " + Quoted(expression.substr(control, 1)), expression, control,
                position);
    }
    case mu::ecUNEXPECTED_OPERATOR:
    case mu::ecUNEXPECTED_ARG_SEP:
    case mu::ecUNEXPECTED_CONDITIONAL:
      return At("unexpected " + Quoted(token), expression, offset, position);
    case mu::ecMISPLACED_COLON: {
      size_t colon = expression.rfind(':', offset);
      return At("unexpected \":\"", expression, colon == std::string::npos ? offset : colon,
                position);
    }
    case mu::ecUNEXPECTED_PARENS:
      if (token == ")") return At("unexpected \")\"", expression, offset, position);
      [[fallthrough]];
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_FUN:
      return At("an operator is missing before " + Quoted(token), expression, offset, position);
    case mu::ecUNEXPECTED_ARG:
      return StrayCommaMessage(expression, position);
    case mu::ecUNEXPECTED_EOF:
    case mu::ecINTERNAL_ERROR:  // what muParser says of "+" or "-" alone
      return At("a value is missing", expression, end, position);
    case mu::ecMISSING_PARENS:
      return At("missing \")\"", expression, end, position);
    case mu::ecUNEXPECTED_STR:
    case mu::ecUNTERMINATED_STRING:
      return At("text in quotes is not a number", expression, offset, position);
    case mu::ecSTRING_EXPECTED:
    case mu::ecVAL_EXPECTED:
    case mu::ecOPRT_TYPE_CONFLICT:
    case mu::ecSTR_RESULT:
      return "text in quotes is not a number";
    case mu::ecTOO_MANY_PARAMS:
      return "too many arguments for " + token;
    case mu::ecTOO_FEW_PARAMS:
      return "too few arguments for " + token;
    case mu::ecEMPTY_EXPRESSION:
      return "nothing to calculate";
    case mu::ecMISSING_ELSE_CLAUSE:
      return "\"?\" without its \":\"";
    case mu::ecEXPRESSION_TOO_LONG:
      return "the expression is too long";
    case mu::ecUNREASONABLE_NUMBER_OF_COMPUTATIONS:
      return "the expression is too complex";
    default:
      break;
  }
  const char* problem = "the expression cannot be calculated";
  return placed ? At(problem, expression, offset, position) : problem;
}

}  // namespace orvane
