#include "network/QDN_idIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<int> Handles(const QDN_idIndex& index, const std::string& id) {
  std::vector<int> out;
  index.ForEach(id, [&](int handle) {
    out.push_back(handle);
    return true;
  });
  std::sort(out.begin(), out.end());
  return out;
}

std::string Id(int i) {
  std::string id = "n";
  id += std::to_string(i);
  return id;
}

} // namespace

TEST(IdIndexTest, InsertEraseAndGrowthKeepEveryEntry) {
  QDN_idIndex index;
  EXPECT_TRUE(Handles(index, "a").empty());
  EXPECT_FALSE(index.Erase("a", 1));
  // Enough entries to grow the table several times, with erasures between.
  for (int i = 0; i < 5000; ++i)
    index.Insert(Id(i), i);
  for (int i = 0; i < 5000; i += 2)
    EXPECT_TRUE(index.Erase(Id(i), i));
  EXPECT_FALSE(index.Erase("n1", 2)); // the handle must match too
  for (int i = 0; i < 5000; ++i) {
    const std::vector<int> expected = i % 2 ? std::vector<int>{i} : std::vector<int>{};
    ASSERT_EQ(Handles(index, Id(i)), expected) << i;
  }
  // The same identifier may be entered for several handles; erasing one keeps the others.
  index.Insert("dup", 7);
  index.Insert("dup", 3);
  EXPECT_EQ(Handles(index, "dup"), (std::vector<int>{3, 7}));
  EXPECT_TRUE(index.Erase("dup", 7));
  EXPECT_EQ(Handles(index, "dup"), std::vector<int>{3});
  // Erased slots are reused without losing entries placed after them.
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 5000; i += 2) {
      index.Insert(Id(i), i);
      EXPECT_TRUE(index.Erase(Id(i), i));
    }
  EXPECT_EQ(Handles(index, "n4999"), std::vector<int>{4999});
  index.Clear();
  EXPECT_TRUE(Handles(index, "n1").empty());
}
