// Text forms of numbers and Booleans: what the settings record and the command line accept,
// what the program writes, and that every written text reads back as the same value.
#include "settings/text_forms.h"

#include <gtest/gtest.h>

#include <limits>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::PrintTo;

struct NumberText {
  const char* what;
  const char* text;
  char separator;
  float value;  // when accepted
  int failure;  // 0 accepted, 13 not a number, 6 beyond single precision
};

class NumberRead : public ::testing::TestWithParam<NumberText> {};

TEST_P(NumberRead, AcceptsTheNumberGrammarInTheUsersNotationOnly) {
  const NumberText& c = GetParam();
  try {
    const float value = text_forms::ToSingle(c.text, c.separator);
    EXPECT_EQ(c.failure, 0) << "accepted as " << value;
    EXPECT_EQ(value, c.value);
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), c.failure);
  }
}

constexpr float kMaxFloat = std::numeric_limits<float>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberRead,
    ::testing::Values(
        NumberText{"whole", "1440", '.', 1440, 0},
        NumberText{"leading blanks", "  1440", '.', 1440, 0},
        NumberText{"trailing blanks", "1440  ", '.', 1440, 0},
        NumberText{"tabs around", "\t1440\t", '.', 1440, 0},
        NumberText{"negative", "-300", '.', -300, 0}, NumberText{"plus sign", "+5", '.', 5, 0},
        NumberText{"point fraction", "2.5", '.', 2.5f, 0},
        NumberText{"comma fraction", "2,5", ',', 2.5f, 0},
        NumberText{"bare fraction", ".5", '.', 0.5f, 0},
        NumberText{"trailing separator", "5.", '.', 5, 0},
        NumberText{"exponent", "1E+20", '.', 1e20f, 0},
        NumberText{"small exponent", "1,5e-3", ',', 1.5e-3f, 0},
        NumberText{"largest single", "3.4028234663852886e38", '.', kMaxFloat, 0},
        NumberText{"largest single as written", "3.4028235E+38", '.', kMaxFloat, 0},
        NumberText{"just beyond single", "3.4028236E+38", '.', 0, 6},
        // The exact edge: 2^128 - 2^103 is halfway to the next power of two and rounds beyond
        // single precision; the double just below it still rounds to the largest single.
        NumberText{"last double to the largest single", "3.4028235677973362E+38", '.', kMaxFloat,
                   0},
        NumberText{"first double beyond single", "3.4028235677973366E+38", '.', 0, 6},
        NumberText{"last negative double", "-3.4028235677973362E+38", '.', -kMaxFloat, 0},
        NumberText{"first negative double beyond", "-3.4028235677973366E+38", '.', 0, 6},
        NumberText{"underflow is zero", "1e-400", '.', 0, 0}, NumberText{"word", "abc", '.', 0, 13},
        NumberText{"NaN", "NaN", '.', 0, 13}, NumberText{"infinity", "inf", '.', 0, 13},
        NumberText{"empty", "", '.', 0, 13}, NumberText{"blanks only", "   ", '.', 0, 13},
        NumberText{"comma in a point locale", "2,5", '.', 0, 13},
        NumberText{"point in a comma locale", "2.5", ',', 0, 13},
        NumberText{"exponent without digits", "1e", '.', 0, 13},
        NumberText{"two signs", "--1", '.', 0, 13}, NumberText{"two numbers", "1 2", '.', 0, 13},
        NumberText{"hexadecimal", "0x10", '.', 0, 13},
        NumberText{"beyond single", "1E+40", '.', 0, 6},
        NumberText{"beyond double", "1e400", '.', 0, 6},
        NumberText{"negative beyond double", "-1e400", '.', 0, 6}),
    fakes::NameFromWhat());

TEST(NumberWrite, WholeNumbersHaveNoFractionAndFractionsUseTheUsersSeparator) {
  struct Case {
    float value;
    char separator;
    const char* text;
  };
  for (const Case c : {Case{1440, '.', "1440"}, Case{-300, '.', "-300"}, Case{0, '.', "0"},
                       Case{-0.0f, '.', "0"}, Case{2.5f, ',', "2,5"}, Case{2880.5f, '.', "2880.5"},
                       Case{0.1f, ',', "0,1"}, Case{1e20f, '.', "1E+20"}}) {
    EXPECT_EQ(text_forms::FromSingle(c.value, c.separator), c.text) << c.text;
  }
}

TEST(NumberWrite, EveryWrittenNumberReadsBackAsTheSameValue) {
  for (const char separator : {'.', ','}) {
    for (const float value :
         {1440.0f, -300.0f, -30000.0f, 2910.5f, 0.1f, 1.0f / 3, 123456.79f, 1e-7f, 1e20f, kMaxFloat,
          -kMaxFloat, std::numeric_limits<float>::denorm_min()}) {
      const std::string text = text_forms::FromSingle(value, separator);
      EXPECT_EQ(text_forms::ToSingle(text, separator), value) << text;
    }
  }
}

TEST(BooleanForms, TrueAndFalseInAnyCaseOrANumberAndNothingElse) {
  struct Case {
    const char* text;
    int result;  // 1 true, 0 false, else the failure number
  };
  for (const Case c :
       {Case{"True", 1}, Case{"tRUE", 1}, Case{" False ", 0}, Case{"\tTrue", 1}, Case{"\t0\t", 0},
        Case{"-1", 1}, Case{"0", 0}, Case{"0.0", 0}, Case{"2.5", 1}, Case{"yes", 13}, Case{"", 13},
        Case{"Truth", 13}, Case{"1e400", 6}}) {
    int result = -1;
    try {
      result = text_forms::ToBoolean(c.text, '.') ? 1 : 0;
    } catch (const Failure& failure) {
      result = failure.Number();
    }
    EXPECT_EQ(result, c.result) << '"' << c.text << '"';
  }
  EXPECT_EQ(text_forms::FromBoolean(true), "True");
  EXPECT_EQ(text_forms::FromBoolean(false), "False");
}

}  // namespace
}  // namespace vistrel
