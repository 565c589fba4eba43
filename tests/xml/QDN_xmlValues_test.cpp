#include "xml/QDN_xmlValues.h"

#include <gtest/gtest.h>

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
