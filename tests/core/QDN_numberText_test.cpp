#include "core/QDN_numberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"

TEST(NumberTextTest, RealNumbersRoundTripExactly) {
  for (double v : {0.1, 0.5, 1e-9, 9.999424e-4, 1.0 / 3, 123456789.125, -2.5e-300, 0.0, 1e300}) {
    SCOPED_TRACE(v);
    double back = -1;
    ASSERT_EQ(QDN_ParseReal(QDN_FormatReal(v), back), QDN_NO_ERROR);
    EXPECT_EQ(back, v);
  }
  EXPECT_EQ(QDN_FormatReal(0.1), "0.10000000");
  EXPECT_EQ(QDN_FormatReal(kUndefinedValue), "0.0E-2");
  double value = 0;
  ASSERT_EQ(QDN_ParseReal("UNDEF.", value), QDN_NO_ERROR);
  EXPECT_EQ(value, kUndefinedValue);
  ASSERT_EQ(QDN_ParseReal("NA", value), QDN_NO_ERROR);
  EXPECT_EQ(value, kNotApplicableValue);
  ASSERT_EQ(QDN_ParseReal("+2.5", value), QDN_NO_ERROR);
  EXPECT_EQ(value, 2.5);
  ASSERT_EQ(QDN_ParseReal("12.", value), QDN_NO_ERROR);
  EXPECT_EQ(value, 12.0);
  EXPECT_EQ(QDN_ParseReal("x", value), QDN_OUT_OF_RANGE);
}

TEST(NumberTextTest, IntegersOutOfRangeAreRefused) {
  int value = 0;
  EXPECT_EQ(QDN_ParseInt("2147483647", value), QDN_NO_ERROR);
  EXPECT_EQ(QDN_ParseInt("-2147483648", value), QDN_NO_ERROR);
  EXPECT_EQ(value, -2147483647 - 1);
  EXPECT_EQ(QDN_ParseInt("2147483648", value), QDN_OUT_OF_RANGE);
  EXPECT_EQ(QDN_ParseInt("99999999999999999999999", value), QDN_OUT_OF_RANGE);
  ASSERT_EQ(QDN_ParseInt("12e5", value), QDN_NO_ERROR);
  EXPECT_EQ(value, 12);
}

// Plain decimals take a quicker conversion than the rest; both must give
// exactly what strtod gives.
TEST(NumberTextTest, RealNumbersConvertExactlyAsStrtodDoes) {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> power(-30, 30);
  const char* formats[] = {"%.8f", "%.17g", "%.3e", "%.0f", "%.15g", "%.20f", "%g"};
  char text[128];
  for (int i = 0; i < 20000; ++i) {
    const double v = (unit(random) - 0.3) * std::pow(10.0, power(random));
    std::snprintf(text, sizeof text, formats[i % 7], v);
    double parsed = 0;
    ASSERT_EQ(QDN_ParseReal(text, parsed), QDN_NO_ERROR) << text;
    EXPECT_EQ(parsed, std::strtod(text, nullptr)) << text;
  }
  for (const char* edge : {"9007199254740993", "9007199254740992e-22", "1e22", "1e23", "-0",
                           "-0.0e5", "0.1e-22", "123456789012345678901", ".5", "5.", "1e+5", "1E-5",
                           "4.9e-324", "1.7976931348623157e308", "0.30000000000000004"}) {
    double parsed = 0;
    ASSERT_EQ(QDN_ParseReal(edge, parsed), QDN_NO_ERROR) << edge;
    EXPECT_EQ(parsed, std::strtod(edge, nullptr)) << edge;
    EXPECT_EQ(std::signbit(parsed), std::signbit(std::strtod(edge, nullptr))) << edge;
  }
  double parsed = 0;
  EXPECT_EQ(QDN_ParseReal("1e", parsed), QDN_NO_ERROR); // the leading number counts
  EXPECT_EQ(parsed, 1.0);
  EXPECT_EQ(QDN_ParseReal("-", parsed), QDN_OUT_OF_RANGE);
}

TEST(NumberTextTest, ReservedValuesAndExactTexts) {
  EXPECT_EQ(QDN_FormatReal(kIllegalValue), "0.0E-3");
  EXPECT_EQ(QDN_FormatReal(kNotApplicableValue), "0.0E-4");
  EXPECT_EQ(QDN_FormatReal(-0.0), "-0.00000000");
  EXPECT_EQ(QDN_FormatReal(0.25), "0.25000000");
  // Eight decimals would lose these; the shortest exact text is used.
  EXPECT_EQ(QDN_FormatReal(1e-9), "1e-09");
  EXPECT_EQ(QDN_FormatReal(0.1 + 0.2), "0.30000000000000004");
  double value = 0;
  for (const char* text : {"0.0E-3", "ILLEGAL"}) {
    ASSERT_EQ(QDN_ParseReal(text, value), QDN_NO_ERROR);
    EXPECT_EQ(value, kIllegalValue) << text;
  }
  ASSERT_EQ(QDN_ParseReal("0.0E-2", value), QDN_NO_ERROR);
  EXPECT_EQ(value, kUndefinedValue);
  EXPECT_EQ(QDN_ParseReal("+-1", value), QDN_OUT_OF_RANGE);
  ASSERT_EQ(QDN_ParseReal(" \t7", value), QDN_NO_ERROR);
  EXPECT_EQ(value, 7.0);
  ASSERT_EQ(QDN_ParseReal("1e999", value), QDN_NO_ERROR);
  EXPECT_TRUE(std::isinf(value));
}

TEST(NumberTextTest, TruncationToIntKeepsTheIntRange) {
  int out = 0;
  ASSERT_EQ(QDN_TruncateToInt(-2.9, out), QDN_NO_ERROR);
  EXPECT_EQ(out, -2);
  ASSERT_EQ(QDN_TruncateToInt(2147483647.9, out), QDN_NO_ERROR);
  EXPECT_EQ(out, 2147483647);
  ASSERT_EQ(QDN_TruncateToInt(-2147483648.9, out), QDN_NO_ERROR);
  EXPECT_EQ(out, -2147483647 - 1);
  out = 5;
  EXPECT_EQ(QDN_TruncateToInt(2147483648.0, out), QDN_OUT_OF_RANGE);
  EXPECT_EQ(QDN_TruncateToInt(-2147483649.0, out), QDN_OUT_OF_RANGE);
  EXPECT_EQ(QDN_TruncateToInt(std::nan(""), out), QDN_OUT_OF_RANGE);
  EXPECT_EQ(out, 5);
}

TEST(NumberTextTest, PlainDecimalPrefixGivesWhatParseRealGives) {
  // Random plain decimals of every length, and the edge cases of the fast path.
  std::mt19937 random(17);
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "5.",
                                    ".5",
                                    "-.5",
                                    "12e5",
                                    "1E-22",
                                    "1e23",
                                    "1e-23",
                                    "9007199254740993",
                                    "0.0E-2",
                                    "0.0E-4",
                                    "0.0E-5",
                                    "+1",
                                    "-",
                                    ".",
                                    "1e",
                                    "1e+",
                                    "1e00005",
                                    "12345678901234567890",
                                    "0.1234567890123456789"};
  for (int i = 0; i < 5000; ++i) {
    const std::string digits =
        std::to_string(std::uniform_int_distribution<long long>(0, 1LL << 40)(random));
    const size_t point = std::uniform_int_distribution<size_t>(0, digits.size())(random);
    std::string text(i % 3 == 0 ? "-" : "");
    text.append(digits, 0, point).append(".").append(digits, point);
    if (i % 5 == 0)
      text.append("e").append(std::to_string(std::uniform_int_distribution<int>(-30, 30)(random)));
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    double fast = -1;
    const size_t taken = QDN_ParsePlainDecimal(std::string(text).append(" 7"), fast);
    double parsed = -1;
    const int status = QDN_ParseReal(text, parsed);
    if (taken == text.size()) {
      ASSERT_EQ(status, QDN_NO_ERROR);
      EXPECT_EQ(std::memcmp(&fast, &parsed, sizeof fast), 0);
    } else {
      // Left to QDN_ParseReal: never a shorter number followed by a blank.
      EXPECT_TRUE(taken == 0 || text[taken] != ' ');
    }
  }
  double value = 0;
  EXPECT_EQ(QDN_ParsePlainDecimal("0.0E-2 1", value), 0u); // the undefined value's text
  EXPECT_EQ(QDN_ParsePlainDecimal("1e5x", value), 3u);     // the caller sees no separator
  EXPECT_EQ(QDN_ParsePlainDecimal("0.125,", value), 5u);
  EXPECT_EQ(value, 0.125);
}
