#include "xml/QDN_xmlValues.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "network/QDN_screenInfo.h"

TEST(XmlValuesTest, ColorsPositionsAndReals) {
  int color = 0;
  ASSERT_TRUE(QDN_ParseColor("ff8001", color));
  EXPECT_EQ(color, 0x0180ff);
  EXPECT_EQ(QDN_FormatColor(color), "ff8001");
  EXPECT_FALSE(QDN_ParseColor("ff80", color));
  EXPECT_FALSE(QDN_ParseColor("gg8001", color));
  // Positions survive a write and a read whatever the parity and sign.
  for (const char* text : {"375 -15 400 10", "-7 -3 0 0", "10 20 31 45", "-5 -5 -4 -4"}) {
    QDN_rectangle r;
    ASSERT_TRUE(QDN_ParsePosition(text, r)) << text;
    EXPECT_EQ(QDN_FormatPosition(r), text);
  }
  QDN_rectangle r;
  EXPECT_FALSE(QDN_ParsePosition("1 2 3", r));
  EXPECT_EQ(QDN_FormatLongReal(1.0 / 3), "0.3333333333333333");
}

// Positions read their four integers as an input stream does: blanks of
// every kind before each, a sign, anything after the fourth; overflow and
// a missing or malformed number refuse the text.
TEST(XmlValuesTest, PositionsReadAsAStreamReadsThem) {
  const auto stream_read = [](const std::string& text, QDN_rectangle& r) {
    std::istringstream in(text);
    long long v[4] = {0, 0, 0, 0};
    if (!(in >> v[0] >> v[1] >> v[2] >> v[3])) return false;
    for (long long x : v)
      if (x > INT32_MAX / 2 || x < -(INT32_MAX / 2)) return false;
    r = QDN_rectangle{};
    r.x0 = static_cast<int>((v[0] + v[2]) / 2);
    r.y0 = static_cast<int>((v[1] + v[3]) / 2);
    r.x1 = static_cast<int>(v[2] > v[0] ? v[2] - v[0] : v[0] - v[2]);
    r.y1 = static_cast<int>(v[3] > v[1] ? v[3] - v[1] : v[1] - v[3]);
    return true;
  };
  std::vector<std::string> texts = {"1 2 3 4",
                                    " \t\n\v\f\r1\n2\r3\t4 tail",
                                    "+1 -2 +0 -0",
                                    "1 2 3 4x",
                                    "1 2 3 x4",
                                    "1 2 3",
                                    "1 2 3 +-4",
                                    "1 2 3 -+4",
                                    "1 2 3 - 4",
                                    "1.5 2 3 4",
                                    "1 2 3 4.5",
                                    "0x10 1 2 3",
                                    "99999999999999999999 1 2 3",
                                    "-9223372036854775808 1 2 3",
                                    "1073741823 -1073741823 0 0",
                                    "1073741824 0 0 0",
                                    "",
                                    "   ",
                                    "1 2 3 4 5",
                                    std::string("1 2\0 3 4", 9),
                                    "007 08 -09 10"};
  std::mt19937 random(11);
  const std::string alphabet = " \t\n+-0123456789x.\v";
  for (int i = 0; i < 2000; ++i) {
    std::string text;
    for (int n = static_cast<int>(random() % 20); n > 0; --n)
      text += alphabet[random() % alphabet.size()];
    texts.push_back(text);
  }
  int read_count = 0;
  for (const std::string& text : texts) {
    QDN_rectangle ours, expected;
    const bool read = QDN_ParsePosition(text, ours);
    ASSERT_EQ(read, stream_read(text, expected)) << "[" << text << "]";
    if (!read) continue;
    ++read_count;
    EXPECT_EQ(ours.x0, expected.x0);
    EXPECT_EQ(ours.y0, expected.y0);
    EXPECT_EQ(ours.x1, expected.x1);
    EXPECT_EQ(ours.y1, expected.y1);
  }
  EXPECT_GT(read_count, 100); // the random texts reach the conversion too
}
