#include "core/QDN_optionalText.h"

#include <gtest/gtest.h>

#include <utility>

TEST(OptionalTextTest, UnsetEqualsNothingAndCopiesAreDeep) {
  QDN_optionalText a;
  EXPECT_FALSE(a);
  EXPECT_FALSE(a == "");
  EXPECT_FALSE(a == nullptr);
  EXPECT_EQ(a.value_or("none"), "none");
  a = "low";
  QDN_optionalText b(a);
  *b = "high";
  EXPECT_EQ(a, "low");
  EXPECT_EQ(b, std::string("high"));
  b = a;
  EXPECT_EQ(*b, "low");
  QDN_optionalText c(std::move(b));
  EXPECT_TRUE(c);
  c.reset();
  EXPECT_FALSE(c.has_value());
  a = std::string();
  EXPECT_TRUE(a == "");
}
