#include <gtest/gtest.h>
#include <stdlib.h>

#include "host/orvane.h"
#include "orvane/lib/colors.h"
#include "orvane/lib/console.h"
#include "orvane/lib/evaluator.h"
#include "orvane/lib/variables.h"
#include "tests/support/shown.h"

namespace orvane {
namespace {

struct Expansion {
  const char* text;
  const char* expanded;  // nullptr: does not fit
  size_t capacity;
  const char* undefined = "";  // the undefined variables it met, as UndefinedVariables lists them
  bool calculation = false;    // expanded for a calculation
};
std::ostream& operator<<(std::ostream& out, const Expansion& e) {
  out << Shown(e.text) << (e.calculation ? " to calculate" : "");
  return e.capacity == 1024 ? out : out << " in " << e.capacity;
}

class ExpansionTest : public ::testing::TestWithParam<Expansion> {
 protected:
  void SetUp() override {
    setenv("ORVANE_TEST_X", "5", 1);
    setenv("ORVANE_TEST_LONG", "LLLLLLLLLL", 1);
    setenv("ORVANE_TEST_NEGATIVE", "-5", 1);
    unsetenv("ORVANE_TEST_UNDEFINED");
    SetHostVariable("_pipe", "1");
  }
};

TEST_P(ExpansionTest, ReplacesReferencesWithinCapacity) {
  Text text = Wide(GetParam().text);
  std::vector<Text> undefined;
  bool fits = ExpandText(text, GetParam().capacity, &undefined, GetParam().calculation);
  ASSERT_EQ(fits, GetParam().expanded != nullptr);
  EXPECT_EQ(Narrow(text), fits ? GetParam().expanded : GetParam().text);
  if (fits) {
    EXPECT_EQ(undefined.empty() ? "" : UndefinedVariables(undefined), GetParam().undefined);
  }
}

INSTANTIATE_TEST_SUITE_P(
    References, ExpansionTest,
    ::testing::Values(
        Expansion{"%ORVANE_TEST_X+1", "5+1", 1024}, Expansion{"%[ORVANE_TEST_X]0", "50", 1024},
        Expansion{"%[_pipe]%[_pipe]", "11", 1024},
        Expansion{"a%ORVANE_TEST_UNDEFINED.b", "a.b", 1024,
                  "undefined variable ORVANE_TEST_UNDEFINED"},
        Expansion{"10 % 3", "10 % 3", 1024}, Expansion{"100%", "100%", 1024},
        Expansion{"%%", "%%", 1024}, Expansion{"%[unclosed", "%[unclosed", 1024},
        Expansion{"%[]x", "x", 1024},
        Expansion{"%ORVANE_TEST_LONG", nullptr, 10},  // 10 and the terminator
        Expansion{"%ORVANE_TEST_LONG", "LLLLLLLLLL", 11}, Expansion{"abc", nullptr, 3},
        // A name starts with a letter or "_"; "%" before anything else stays.
        Expansion{"10%3+7.5%2", "10%3+7.5%2", 1024}, Expansion{"%3%.%-", "%3%.%-", 1024},
        Expansion{"%_PIPE%orvane_test_x%[Orvane_Test_X]", "155", 1024},
        Expansion{"%a1%[b c]%A1", "", 1024, "undefined variables a1, b c"},
        // In a calculation, "%x%" is x unless a remainder's operand follows, and a negative
        // value is one operand.
        Expansion{"%ORVANE_TEST_X%+1", "5+1", 1024, "", true},
        Expansion{"%ORVANE_TEST_X%3+%ORVANE_TEST_X%", "5%3+5", 1024, "", true},
        Expansion{"%ORVANE_TEST_NEGATIVE^2", "(-5)^2", 1024, "", true},
        Expansion{"10%pi+%ORVANE_TEST_X%e", "10%pi+5%e", 1024, "", true},
        Expansion{"10%ORVANE_TEST_X", "10%5", 1024, "", true},
        Expansion{"%ORVANE_TEST_NEGATIVE^2", "-5^2", 1024}));

struct Evaluation {
  const char* expression;
  const char* result;      // nullptr: an error
  const char* error = "";  // the message, when it matters
  size_t position = 0;     // where the error is, counted from 1 (0: nowhere)
};
std::ostream& operator<<(std::ostream& out, const Evaluation& e) {
  return out << Shown(e.expression);
}

class EvaluationTest : public ::testing::TestWithParam<Evaluation> {};

const char* const kTooLarge = "a number is too large (above about 1.8e308)";

TEST_P(EvaluationTest, ComputesOrFails) {
  std::string result, error;
  size_t position = 0;
  bool ok = EvaluateExpression(GetParam().expression, result, error, &position);
  if (GetParam().result == nullptr) {
    EXPECT_FALSE(ok) << result;
    EXPECT_FALSE(error.empty());
    if (GetParam().error[0] != 0) {
      EXPECT_EQ(error, GetParam().error);
    }
    EXPECT_EQ(position, GetParam().position);
  } else {
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(result, GetParam().result);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, EvaluationTest,
    ::testing::Values(
        Evaluation{"6*7", "42"}, Evaluation{"2**10", "1024"}, Evaluation{"2^3^2", "512"},
        Evaluation{"-2^2", "-4"}, Evaluation{"10 % 3", "1"}, Evaluation{"-7 % 3", "-1"},
        Evaluation{"(1+2)*-3", "-9"}, Evaluation{"0x1F+1", "32"}, Evaluation{"0XfF", "255"},
        Evaluation{"1/3", "0.333333333333333"}, Evaluation{"0.1+0.2", "0.3"},
        Evaluation{"2^53", "9.00719925474099e+15"}, Evaluation{"-2^53", "-9.00719925474099e+15"},
        Evaluation{"2^53+1", "9.00719925474099e+15"}, Evaluation{"1e-320", "1e-320"},
        Evaluation{"1e14+0.5", "1.000000000000005e+14"}, Evaluation{"0?sqrt(-1):1", "1"},
        Evaluation{"1/1e-400", nullptr, "a number is too close to 0 (below about 4.9e-324)"},
        Evaluation{"2^53+2", "9.00719925474099e+15"}, Evaluation{"1e-7", "1e-07"},
        Evaluation{"-0", "0"}, Evaluation{"sqrt(16)+max(1,2)", "6"},
        // Results: 15 significant digits, rounded, without trailing zeros; an exponent beyond
        // them; never "-0", even from a negative number too close to 0.
        Evaluation{"2^53-1", "9007199254740991"}, Evaluation{"-2^53-2", "-9.00719925474099e+15"},
        Evaluation{"-1/3", "-0.333333333333333"}, Evaluation{"1/7*1e20", "1.42857142857143e+19"},
        Evaluation{"1e15+0.5", "1e+15"}, Evaluation{"123456789012.345", "123456789012.345"},
        Evaluation{"2.50*1", "2.5"}, Evaluation{"1e300*10", "1e+301"}, Evaluation{"-1e-400", "0"},
        Evaluation{"_pi", "3.14159265358979"}, Evaluation{"1/0", nullptr},
        Evaluation{"5%0", nullptr}, Evaluation{"1e308*10", nullptr},
        Evaluation{"sqrt(-1)", nullptr},
        Evaluation{"3*(", nullptr, "a value is missing at position 4", 4}, Evaluation{"", nullptr},
        Evaluation{"0x", nullptr, "", 2}, Evaluation{"nosuchfunction(1)", nullptr, "", 1},
        Evaluation{"\xff", nullptr, "", 1},
        // Numbers of any length; an infinity is a number too large, and zero times
        // it is zero.
        Evaluation{"1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111111111111111111111111111111111111111111111111111"
                   "1111111111111111*0",
                   "0"},
        Evaluation{"0*1e400", "0"}, Evaluation{"1e308*10*0", nullptr, kTooLarge},
        Evaluation{"1e400", nullptr, kTooLarge},
        // ... but only an exact zero: one too close to 0 for a double is not, and an
        // overflow is an error where it happens.
        Evaluation{"1e-400*1e400", nullptr,
                   "a number too large times one too close to 0 cannot be calculated"},
        Evaluation{"2^-1100*1e400", nullptr,
                   "a number too large times one too close to 0 cannot be calculated"},
        Evaluation{"1e-200*1e-200*1e400", nullptr,
                   "a number too large times one too close to 0 cannot be calculated"},
        Evaluation{"2^-1100*2^1100", nullptr, kTooLarge}, Evaluation{"10^400", nullptr, kTooLarge},
        Evaluation{"exp(1000)*0", nullptr, kTooLarge}, Evaluation{"1e-400", "0"},
        // A number too large is named as such, not as a result that is not a number.
        Evaluation{"10^400/10^399", nullptr, kTooLarge}, Evaluation{"1e400%7", nullptr, kTooLarge},
        Evaluation{"1e400-1e400", nullptr, kTooLarge},
        // Signs in a row are arithmetic.
        Evaluation{"--5", "5"}, Evaluation{"-+-5", "5"}, Evaluation{"3--5", "8"},
        Evaluation{"3---5", "-2"}, Evaluation{"- - 5", "5"}, Evaluation{"2*--3", "6"},
        Evaluation{"max(-1,--2)", "2"}, Evaluation{"1e-5--1", "1.00001"},
        Evaluation{"(--)", nullptr, "unexpected \")\" at position 4", 4},
        Evaluation{"0^-1", nullptr, "division by zero"},
        Evaluation{"ln(0)*0", nullptr, "ln(0) is undefined"}, Evaluation{"log10(0)", nullptr},
        Evaluation{"log2(0)", nullptr}, Evaluation{"ln(_e)+log(1)+log10(100)+log2(8)", "6"},
        // The functions' own answers, from the C library or exact sums, over their domains.
        Evaluation{"asinh(1e-20)", "1e-20"}, Evaluation{"atanh(1e-10)", "1e-10"},
        Evaluation{"asinh(-1e8)", "-19.1138279245123"},
        Evaluation{"acosh(1e200)", "461.210165779369"}, Evaluation{"rint(2.5)", "2"},
        Evaluation{"rint(2^52+1)", "4503599627370497"}, Evaluation{"avg(1e308,1e308)", "1e+308"},
        Evaluation{"pi*e/(_pi*_e)", "1"}, Evaluation{"sin (1)-sin\t(1)", "0"},
        Evaluation{"0x1000000000000081-0x1000000000000000", "256"},
        // Whatever the order of the arguments, a call that is not a number is named, and a
        // literal too large that reaches a function is an error.
        Evaluation{"max(1,sqrt(-1))", nullptr, "sqrt(-1) is not a number"},
        Evaluation{"sign(sqrt(-1))", nullptr, "sqrt(-1) is not a number"},
        Evaluation{"1^sqrt(-1)", nullptr, "sqrt(-1) is not a number"},
        Evaluation{"atan(1e400)", nullptr, kTooLarge},
        Evaluation{"min(1e400,1)", nullptr, kTooLarge}, Evaluation{"0*1e400+1e-400", "0"},
        // A sign too close to 0 to be kept cannot decide an answer.
        Evaluation{"atan2(1e-400,-1)", nullptr,
                   "a number is too close to 0 (below about 4.9e-324)"},
        Evaluation{"atan2(-0,-1)", "3.14159265358979"},
        // muParser's errors in the user's words, positions in code points.
        Evaluation{"+", nullptr, "a value is missing at position 2", 2},
        Evaluation{"foo(2)", nullptr, "unknown function \"foo\" at position 1", 1},
        Evaluation{"2*foo", nullptr, "unknown name \"foo\" at position 3", 3},
        Evaluation{"sqrt 4", nullptr,
                   "function \"sqrt\" at position 1 needs its argument in parentheses: sqrt(...)",
                   1},
        Evaluation{"2*abs", nullptr,
                   "function \"abs\" at position 3 needs its argument in parentheses: abs(...)", 3},
        Evaluation{"1+*2", nullptr, "unexpected \"*\" at position 3", 3},
        Evaluation{"1e+", nullptr, "\"1e\" is not a number at position 1", 1},
        Evaluation{"\xc3\xa9+\xe2\x82\xac", nullptr, "unexpected \"\xc3\xa9\" at position 1", 1},
        Evaluation{"1+\xe2\x82\xac", nullptr, "unexpected \"\xe2\x82\xac\" at position 3", 3},
        Evaluation{"1,2", nullptr, "unexpected \",\" at position 2", 2},
        Evaluation{"max(1,2),3", nullptr, "unexpected \",\" at position 9", 9},
        Evaluation{"(1,2)", nullptr, "unexpected \",\" at position 3", 3},
        Evaluation{"1+ (2,3)", nullptr, "unexpected \",\" at position 6", 6},
        Evaluation{"1 2", nullptr, "an operator is missing before \"2\" at position 3", 3},
        Evaluation{"2(3)", nullptr, "an operator is missing before \"(\" at position 2", 2},
        Evaluation{"1)", nullptr, "unexpected \")\" at position 2", 2},
        Evaluation{"(1", nullptr, "missing \")\" at position 3", 3},
        Evaluation{"sin(\"\xc3\xa9\"", nullptr, "missing \")\" at position 8", 8},
        Evaluation{"sin(1,2)", nullptr, "too many arguments for sin"},
        Evaluation{"min()", nullptr, "too few arguments for min"},
        Evaluation{"1\"x\"", nullptr, "text in quotes is not a number at position 2", 2},
        Evaluation{"_pi=3", nullptr, "unexpected \"=\" at position 4", 4},
        Evaluation{"1?2", nullptr, "\"?\" without its \":\""},
        Evaluation{" ", nullptr, "nothing to calculate"}));

TEST(EvaluateServiceTest, ReportsFailureAndKeepsTheBuffer) {
  char16_t buffer[16384] = u"1/0";
  EXPECT_NE(Evaluate(buffer), 0);
  EXPECT_EQ(Text(buffer), u"1/0");
  EXPECT_TRUE(TakeFailure());
  std::char_traits<char16_t>::copy(buffer, u"6*7", 4);
  EXPECT_EQ(Evaluate(buffer), 0);
  EXPECT_EQ(Text(buffer), u"42");
  EXPECT_FALSE(TakeFailure());
}

struct Colours {
  const char* description;
  int foreground, background;  // -1: not a description
};
std::ostream& operator<<(std::ostream& out, const Colours& c) {
  return out << Shown(c.description);
}

class ColourTest : public ::testing::TestWithParam<Colours> {};

TEST_P(ColourTest, ParsesDescriptions) {
  int fg = -1, bg = -1;
  ParseColors(Wide(GetParam().description).c_str(), &fg, &bg);
  EXPECT_EQ(fg, GetParam().foreground);
  EXPECT_EQ(bg, GetParam().background);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ColourTest,
    ::testing::Values(Colours{"bright red on blue", 12, 1}, Colours{"yellow", 14, 64},
                      Colours{"Bright White on Black", 15, 0}, Colours{"  red   on  cyan ", 4, 3},
                      Colours{"white", 7, 64}, Colours{"grey on bright blue", 8, 9},
                      Colours{"light gray on brown", 7, 6}, Colours{"bright grey", 15, 64},
                      Colours{"magenta on green", 5, 2}, Colours{"red on", -1, -1},
                      Colours{"purple", -1, -1}, Colours{"red blue", -1, -1},
                      Colours{"bright", -1, -1}, Colours{"", -1, -1},
                      Colours{"red on blue on green", -1, -1}, Colours{"r\u00e9d", -1, -1}));

TEST(AnsiTest, MapsConsoleColoursToTheirAnsiCodes) {
  // Console order: 1 blue and 4 red; ANSI's: 1 red and 4 blue. Black behind the text is the
  // terminal's own background, light grey text its own foreground, bright white that in bold.
  EXPECT_EQ(AnsiForAttribute(0x1E), "\x1b[0;93;44m");
  EXPECT_EQ(AnsiForAttribute(0x4F), "\x1b[0;1;41m");
  EXPECT_EQ(AnsiForAttribute(0x0F), "\x1b[0;1m");  // the default highlight
  EXPECT_EQ(AnsiForAttribute(0xF0), "\x1b[0;30;107m");
  EXPECT_EQ(AnsiForAttribute(0x36), "\x1b[0;33;46m");
  EXPECT_EQ(AnsiForAttribute(0x85), "\x1b[0;35;100m");
  EXPECT_EQ(AnsiForAttribute(0x07), "\x1b[0m");  // the default is the terminal's own
  EXPECT_EQ(AnsiForAttribute(0x0C), "\x1b[0;91m");
  EXPECT_EQ(AnsiForAttribute(0x70), "\x1b[0;30;47m");
  EXPECT_EQ(AnsiForAttribute(0x17), "\x1b[0;44m");
}

TEST(ConsoleServicesTest, TrackTheCursorAndTheAttribute) {
  int row = -1, column = -1, attribute = -1, unused = 0;
  GetAbsCursorPosition(&row, &column);
  QPuts(u"abc");
  int startRow = row;
  GetAbsCursorPosition(&row, &column);
  EXPECT_EQ(row, startRow);
  EXPECT_GE(column, 3);
  CrLf();
  CrLf();  // nothing on the line: no blank line
  GetAbsCursorPosition(&row, &column);
  EXPECT_EQ(row, startRow + 1);
  EXPECT_EQ(column, 0);
  Printf(u"%s v%u.%u\r\n", u"x", 1u, 2u);
  GetAbsCursorPosition(&row, &column);
  EXPECT_EQ(row, startRow + 2);
  SetColors(0x1E);
  GetAttribute(&attribute, &unused);
  EXPECT_EQ(attribute, 0x1E);
  SetColors(0x07);
}

}  // namespace
}  // namespace orvane
