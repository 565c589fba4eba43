#include "core/QDN_lazy.h"

#include <gtest/gtest.h>

#include <string>

TEST(LazyTest, MadeOnceAndCopiedDeep) {
  QDN_lazy<std::string> text;
  EXPECT_FALSE(text);
  ASSERT_EQ(text.Make(), QDN_NO_ERROR);
  *text = "first";
  ASSERT_EQ(text.Make(), QDN_NO_ERROR); // an existing item is kept
  EXPECT_EQ(*text, "first");

  QDN_lazy<std::string> copy(text);
  *copy = "second";
  EXPECT_EQ(*text, "first");

  QDN_lazy<std::string> empty;
  copy = empty;
  EXPECT_FALSE(copy);
  copy = text;
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->size(), 5u);
  text.reset();
  EXPECT_FALSE(text);
  EXPECT_EQ(*copy, "first");
}
