#include "network/QDN_chunkedStore.h"

#include <gtest/gtest.h>

#include <string>

TEST(ChunkedStoreTest, GrowingKeepsItemsInPlaceAndShrinkingResetsThem) {
  QDN_chunkedStore<std::string, 4> store;
  store.resize(3);
  store[2] = "kept";
  const std::string* address = &store[2];
  store.resize(1000);
  EXPECT_EQ(&store[2], address);
  EXPECT_EQ(store[2], "kept");
  EXPECT_EQ(store[999], "");
  store[999] = "last";
  store.resize(2);
  store.resize(1000);
  EXPECT_EQ(store[2], "");
  EXPECT_EQ(store[999], "");
  int visited = 0;
  for (const std::string& item : store) {
    (void)item;
    ++visited;
  }
  EXPECT_EQ(visited, 1000);
  store.clear();
  EXPECT_EQ(store.size(), 0u);
}
