#include "core/QDN_cellBudget.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_status.h"
#include "test_lists.h"

TEST(CellBudgetTest, DefaultGrowsWithTheFileAndCallersSetIt) {
  ::unsetenv("CALLBRIMA_MAX_CELLS");
  QDN_cellBudget::SetMaxCells(0);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(0), 1LL << 24);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(1000), 1LL << 24);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(10'000'000), 80'000'000);
  ::setenv("CALLBRIMA_MAX_CELLS", "123", 1);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(10'000'000), 123);
  ::setenv("CALLBRIMA_MAX_CELLS", "12x", 1);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(0), 1LL << 24) << "a malformed value is ignored";
  ::setenv("CALLBRIMA_MAX_CELLS", "123", 1);
  QDN_cellBudget::SetMaxCells(1LL << 30);
  EXPECT_EQ(QDN_cellBudget::BudgetFor(0), 1LL << 30) << "the API call wins";
  QDN_cellBudget::SetMaxCells(0);
  ::unsetenv("CALLBRIMA_MAX_CELLS");
  EXPECT_EQ(QDN_cellBudget::GetMaxCells(), 0);
}

TEST(CellBudgetTest, TablesChargeTheirGrowthAndARefusalSticks) {
  QDN_Dmatrix outside;
  EXPECT_EQ(outside.Setup(IntList({100, 100})), QDN_NO_ERROR) << "no load, no budget";
  QDN_cellBudget::Scope scope(1000);
  QDN_Dmatrix table;
  ASSERT_EQ(table.Setup(IntList({10})), QDN_NO_ERROR);
  ASSERT_EQ(table.InsertDimension(0, 10), QDN_NO_ERROR);
  // Reshaping in place costs nothing; only growth is charged.
  ASSERT_EQ(table.ChangeOrderOfDimensions(IntList({1, 0})), QDN_NO_ERROR);
  EXPECT_EQ(scope.GetUsed(), 100);
  QDN_Dmatrix copy;
  ASSERT_EQ(copy.CopyFrom(table), QDN_NO_ERROR);
  EXPECT_EQ(scope.GetUsed(), 200);
  EXPECT_FALSE(scope.Exceeded());
  // 100 x 10 more cells pass the budget: refused before allocating.
  EXPECT_EQ(table.InsertDimension(0, 10), QDN_OUT_OF_RANGE);
  EXPECT_EQ(table.GetSize(), 100);
  EXPECT_TRUE(scope.Exceeded());
  EXPECT_EQ(scope.GetRefusedTable(), &table);
  EXPECT_EQ(scope.Describe("node 'x'"),
            "Table cell budget exceeded: node 'x' needs a table of 1000 cells, bringing this load "
            "to 1100 cells; the budget is 1000 cells (CALLBRIMA_MAX_CELLS raises it).");
  // Once refused, the load gets nothing more.
  QDN_Dmatrix small;
  EXPECT_EQ(small.Setup(IntList({2})), QDN_OUT_OF_RANGE);
  {
    QDN_cellBudget::Scope inner(10);
    EXPECT_EQ(small.Setup(IntList({2})), QDN_NO_ERROR) << "an inner load has its own budget";
  }
  EXPECT_EQ(small.Setup(IntList({2})), QDN_OUT_OF_RANGE);
}
