#include "core/QDN_textPairs.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/QDN_status.h"

namespace {

std::string Describe(const QDN_textPairs& pairs) {
  std::string out;
  for (int i = 0; i < pairs.Count(); ++i) {
    const char* first = pairs.First(i);
    const char* second = pairs.Second(i);
    out += std::string(first ? first : "<null>") + "=" + (second ? second : "<null>") + ";";
  }
  return out;
}

} // namespace

TEST(TextPairsTest, EmptyListAndIndexesOutsideIt) {
  QDN_textPairs pairs;
  EXPECT_EQ(pairs.Count(), 0);
  EXPECT_EQ(pairs.First(0), nullptr);
  EXPECT_EQ(pairs.Second(-1), nullptr);
  EXPECT_EQ(pairs.FindFirst("a"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(pairs.Remove(0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(pairs.SetSecond(0, "x"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(pairs.Insert(1, "a", "b"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(pairs.Insert(-1, "a", "b"), QDN_OUT_OF_RANGE);
  EXPECT_EQ(pairs.Count(), 0);
}

TEST(TextPairsTest, InsertsRemovesAndReplacesInOrder) {
  QDN_textPairs pairs;
  ASSERT_EQ(pairs.Insert(0, "b", "2"), QDN_NO_ERROR);
  ASSERT_EQ(pairs.Insert(0, "a", nullptr), QDN_NO_ERROR);
  ASSERT_EQ(pairs.Insert(2, nullptr, ""), QDN_NO_ERROR);
  ASSERT_EQ(pairs.Insert(1, "", "mid"), QDN_NO_ERROR);
  EXPECT_EQ(Describe(pairs), "a=<null>;=mid;b=2;<null>=;");
  EXPECT_EQ(pairs.FindFirst("b"), 2);
  EXPECT_EQ(pairs.FindFirst(""), 1);
  EXPECT_EQ(pairs.FindFirst(nullptr), QDN_OUT_OF_RANGE);
  ASSERT_EQ(pairs.SetSecond(0, "first"), QDN_NO_ERROR);
  ASSERT_EQ(pairs.SetSecond(2, nullptr), QDN_NO_ERROR);
  EXPECT_EQ(pairs.Remove(1), QDN_NO_ERROR);
  EXPECT_EQ(pairs.Remove(3), QDN_OUT_OF_RANGE);
  EXPECT_EQ(Describe(pairs), "a=first;b=<null>;<null>=;");
  pairs.Clear();
  EXPECT_EQ(pairs.Count(), 0);
  ASSERT_EQ(pairs.Insert(0, "again", "1"), QDN_NO_ERROR);
  EXPECT_EQ(Describe(pairs), "again=1;");
}

TEST(TextPairsTest, ManyPairsAndReplacementsKeepEveryText) {
  QDN_textPairs pairs;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    std::string name = "n";
    name += std::to_string(i);
    const std::string value(static_cast<size_t>(i % 70), 'v');
    ASSERT_EQ(pairs.Insert(i, name.c_str(), value.c_str()), QDN_NO_ERROR);
    expected += name + "=" + value + ";";
  }
  EXPECT_EQ(Describe(pairs), expected);
  // Replacing one value again and again leaves garbage the block sheds.
  for (int i = 0; i < 5000; ++i)
    ASSERT_EQ(pairs.SetSecond(7, std::to_string(i).c_str()), QDN_NO_ERROR);
  EXPECT_STREQ(pairs.Second(7), "4999");
  EXPECT_STREQ(pairs.First(1999), "n1999");
  EXPECT_EQ(pairs.FindFirst("n1500"), 1500);
}

TEST(TextPairsTest, TextsFromTheListItself) {
  QDN_textPairs pairs;
  ASSERT_EQ(pairs.Insert(0, "name", "a value long enough to fill the block"), QDN_NO_ERROR);
  // Each insert below may move the list to a new block while its texts still
  // point into the old one.
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(pairs.Insert(pairs.Count(), pairs.Second(i), pairs.First(i)), QDN_NO_ERROR);
  EXPECT_STREQ(pairs.First(40), "name");
  EXPECT_STREQ(pairs.Second(39), "name");
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(pairs.SetSecond(0, pairs.Second(0)), QDN_NO_ERROR);
  ASSERT_EQ(pairs.SetSecond(0, pairs.Second(0) + 2), QDN_NO_ERROR);
  EXPECT_STREQ(pairs.Second(0), "value long enough to fill the block");
  ASSERT_EQ(pairs.SetSecond(1, pairs.First(1)), QDN_NO_ERROR);
  EXPECT_STREQ(pairs.Second(1), pairs.First(1));
}

TEST(TextPairsTest, CopiesAreDeepAndMovesTakeTheBlock) {
  QDN_textPairs pairs;
  ASSERT_EQ(pairs.Insert(0, "a", "1"), QDN_NO_ERROR);
  ASSERT_EQ(pairs.Insert(1, "b", nullptr), QDN_NO_ERROR);
  ASSERT_EQ(pairs.SetSecond(0, "one"), QDN_NO_ERROR);
  QDN_textPairs copy(pairs);
  ASSERT_EQ(copy.SetSecond(0, "changed"), QDN_NO_ERROR);
  EXPECT_EQ(Describe(pairs), "a=one;b=<null>;");
  EXPECT_EQ(Describe(copy), "a=changed;b=<null>;");
  ASSERT_EQ(copy.Insert(2, "c", "3"), QDN_NO_ERROR);
  copy = pairs;
  EXPECT_EQ(Describe(copy), "a=one;b=<null>;");
  const QDN_textPairs& same = copy;
  EXPECT_EQ(copy.Assign(same), QDN_NO_ERROR);
  EXPECT_EQ(Describe(copy), "a=one;b=<null>;");
  QDN_textPairs moved(std::move(copy));
  EXPECT_EQ(Describe(moved), "a=one;b=<null>;");
  EXPECT_EQ(copy.Count(), 0); // NOLINT(bugprone-use-after-move): a moved-from list is empty
  QDN_textPairs empty;
  EXPECT_EQ(moved.Assign(empty), QDN_NO_ERROR);
  EXPECT_EQ(moved.Count(), 0);
  ASSERT_EQ(pairs.Remove(0), QDN_NO_ERROR);
  ASSERT_EQ(pairs.Remove(0), QDN_NO_ERROR);
  QDN_textPairs from_emptied(pairs);
  EXPECT_EQ(from_emptied.Count(), 0);
}
