#include "core/QDN_optionalText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(OptionalTextTest, UnsetEqualsNothingAndCopiesAreDeep) {
  QDN_optionalText a;
  EXPECT_FALSE(a);
  EXPECT_FALSE(a == "");
  EXPECT_FALSE(a == nullptr);
  EXPECT_EQ(a.c_str(), nullptr);
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(*a, "");
  EXPECT_EQ(a.value_or("none"), "none");
  a = "low";
  QDN_optionalText b(a);
  b = "high";
  EXPECT_EQ(a, "low");
  EXPECT_EQ(b, std::string("high"));
  EXPECT_NE(a.c_str(), b.c_str());
  b = a;
  EXPECT_EQ(*b, "low");
  EXPECT_EQ(b.value_or("none"), "low");
  QDN_optionalText unset;
  b = unset;
  EXPECT_FALSE(b);
  QDN_optionalText c(std::move(a));
  EXPECT_TRUE(c);
  EXPECT_FALSE(a); // NOLINT(bugprone-use-after-move): a moved-from text is unset
  EXPECT_EQ(c, "low");
  c.reset();
  EXPECT_FALSE(c.has_value());
  a = std::string();
  EXPECT_TRUE(a == "");
  EXPECT_STREQ(a.c_str(), "");
  a = static_cast<const char*>(nullptr);
  EXPECT_FALSE(a);
}

TEST(OptionalTextTest, KeepsLengthEmbeddedNulsAndLongTexts) {
  QDN_optionalText text;
  const std::string with_nul("a\0b", 3);
  text = with_nul;
  EXPECT_EQ(text.size(), 3u);
  EXPECT_EQ(*text, std::string_view(with_nul));
  EXPECT_FALSE(text == "a");
  const std::string long_text(100000, 'x');
  text = long_text;
  EXPECT_EQ(text.size(), long_text.size());
  EXPECT_EQ(text, long_text);
  EXPECT_EQ(text.c_str()[long_text.size()], '\0');
  QDN_optionalText copy;
  copy = text;
  EXPECT_EQ(*copy, long_text);
}

TEST(OptionalTextTest, SetFromItsOwnTextAndSelfAssignment) {
  QDN_optionalText text;
  text = "a text long enough to matter";
  text = text.c_str() + 2; // a pointer into the text's own block
  EXPECT_EQ(text, "text long enough to matter");
  text = (*text).substr(5, 4);
  EXPECT_EQ(text, "long");
  text = *text;
  EXPECT_EQ(text, "long");
  const QDN_optionalText& same = text;
  text = same;
  EXPECT_EQ(text, "long");
  QDN_optionalText& alias = text;
  text = std::move(alias);
  EXPECT_EQ(text, "long");
  QDN_optionalText other;
  other = "moved in";
  text = std::move(other);
  EXPECT_EQ(text, "moved in");
  EXPECT_FALSE(other); // NOLINT(bugprone-use-after-move)
}
