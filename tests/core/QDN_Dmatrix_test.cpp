#include "core/QDN_Dmatrix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include "core/QDN_status.h"
#include "test_lists.h"

namespace {

// A matrix of the given shape with cells 1, 2, 3, ... in storage order.
QDN_Dmatrix Counting(std::initializer_list<int> sizes) {
  QDN_Dmatrix m;
  EXPECT_EQ(m.Setup(IntList(sizes)), QDN_NO_ERROR);
  for (int i = 0; i < m.GetSize(); ++i)
    m.At(i) = i + 1;
  return m;
}

std::vector<int> Shape(const QDN_Dmatrix& m) {
  const QDN_intArray& d = m.GetDimensions();
  return std::vector<int>(d.Data(), d.Data() + d.GetSize());
}

} // namespace

TEST(DmatrixTest, AddressingFollowsTheLastDimensionFastest) {
  QDN_Dmatrix m = Counting({2, 3});
  EXPECT_EQ(m.GetMultipliers().At(0), 3);
  EXPECT_EQ(m.GetMultipliers().At(1), 1);
  EXPECT_EQ(m.CoordinatesToIndex(IntList({1, 2})), 5);
  QDN_intArray coords;
  ASSERT_EQ(m.IndexToCoordinates(4, coords), QDN_NO_ERROR);
  EXPECT_EQ(coords.At(0), 1);
  EXPECT_EQ(coords.At(1), 1);
  EXPECT_EQ(m.IndexToCoordinates(6, coords), QDN_OUT_OF_RANGE);

  QDN_intArray c = IntList({0, 2});
  ASSERT_EQ(m.NextCoordinates(c), QDN_NO_ERROR);
  EXPECT_EQ(c.At(0), 1);
  EXPECT_EQ(c.At(1), 0);
  QDN_intArray last = IntList({1, 2});
  EXPECT_EQ(m.NextCoordinates(last), QDN_OUT_OF_RANGE);
  EXPECT_EQ(last.At(0), 1);
  EXPECT_EQ(last.At(1), 2);

  EXPECT_EQ(m.At(IntList({1, 0})), 4.0);
  EXPECT_EQ(m.At(IntList({2, 0})), -2.0); // invalid coordinates reach the out-of-range slot
  EXPECT_EQ(m.At(IntList({1})), -2.0);
}

TEST(DmatrixTest, RefusesBadOrOverflowingShapes) {
  QDN_Dmatrix m;
  EXPECT_EQ(m.Setup(IntList({2, 0})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(m.Setup(IntList({-1})), QDN_OUT_OF_RANGE);
  // The product of these sizes wraps a 32-bit (and a 64-bit) cell count.
  EXPECT_EQ(m.Setup(IntList({INT_MAX, INT_MAX, INT_MAX})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(m.Setup(IntList({65536, 65536})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(m.GetSize(), 0);
  EXPECT_TRUE(m.IsReady());
  QDN_Dmatrix big = Counting({1 << 14, 4});
  EXPECT_EQ(big.AddDimension(1 << 14), QDN_OUT_OF_RANGE);
  EXPECT_EQ(Shape(big), (std::vector<int>{1 << 14, 4}));
  EXPECT_EQ(big.InsertDimension(3, 2), QDN_OUT_OF_RANGE);
  EXPECT_EQ(big.InsertDimension(0, 0), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, NormalizeRuns) {
  QDN_Dmatrix m;
  ASSERT_EQ(m.Setup(IntList({3, 2})), QDN_NO_ERROR);
  const double cells[] = {0, 0, 2, 2, 0.25, 0.75};
  for (int i = 0; i < 6; ++i)
    m.At(i) = cells[i];
  ASSERT_EQ(m.Normalize(), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(m), (std::vector<double>{0.5, 0.5, 0.5, 0.5, 0.25, 0.75}));
  QDN_Dmatrix three;
  ASSERT_EQ(three.Setup(IntList({3})), QDN_NO_ERROR);
  (void)three.Fill(0);
  ASSERT_EQ(three.Normalize(), QDN_NO_ERROR);
  EXPECT_DOUBLE_EQ(three.At(0), 1.0 / 3);
  EXPECT_DOUBLE_EQ(three.At(2), 1.0 / 3);
}

TEST(DmatrixTest, ComplementAndSum) {
  QDN_Dmatrix m = Counting({2, 3});
  ASSERT_EQ(m.ComplementAt(4), QDN_NO_ERROR); // run {4, 5, 6}
  EXPECT_EQ(m.At(4), 1.0 - 4 - 6);
  EXPECT_EQ(m.Complement(IntList({2, 0})), QDN_OUT_OF_RANGE);
  QDN_Dmatrix a = Counting({2, 3}), b = Counting({2, 3}), other = Counting({3, 2});
  ASSERT_EQ(m.Sum(a, b), QDN_NO_ERROR);
  EXPECT_EQ(m.At(5), 12.0);
  EXPECT_EQ(m.Sum(a, other), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, InsertAndRemoveDimensionsKeepCoordinates) {
  QDN_Dmatrix one;
  ASSERT_EQ(one.Setup(IntList({2})), QDN_NO_ERROR);
  one.At(0) = 0.3;
  one.At(1) = 0.7;
  ASSERT_EQ(one.InsertDimension(0, 2), QDN_NO_ERROR);
  EXPECT_EQ(Shape(one), (std::vector<int>{2, 2}));
  EXPECT_EQ(CellsOf(one), (std::vector<double>{0.3, 0.7, 0.3, 0.7}));

  QDN_Dmatrix m = Counting({2, 3, 2}); // cells 1..12
  ASSERT_EQ(m.InsertDimension(1, 2), QDN_NO_ERROR);
  EXPECT_EQ(Shape(m), (std::vector<int>{2, 2, 3, 2}));
  for (int a = 0; a < 2; ++a)
    for (int k = 0; k < 2; ++k)
      for (int b = 0; b < 3; ++b)
        for (int c = 0; c < 2; ++c)
          EXPECT_EQ(m.At(IntList({a, k, b, c})), 1 + a * 6 + b * 2 + c);

  QDN_Dmatrix square = Counting({2, 2}); // a b c d
  ASSERT_EQ(square.RemoveDimension(0, 1), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(square), (std::vector<double>{3, 4}));
  ASSERT_EQ(square.RemoveDimension(0), QDN_NO_ERROR);
  EXPECT_EQ(square.GetNumberOfDimensions(), 0);
  EXPECT_EQ(square.GetSize(), 0);
  EXPECT_TRUE(square.IsReady());

  QDN_Dmatrix cube = Counting({2, 3, 2});
  ASSERT_EQ(cube.RemoveDimension(1, 2), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(cube), (std::vector<double>{5, 6, 11, 12}));
  EXPECT_EQ(cube.RemoveDimension(1, 2), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, SumOutWeighsEachPosition) {
  QDN_Dmatrix m = Counting({2, 3});
  QDN_doubleArray weights;
  for (double w : {0.5, 0.5})
    (void)weights.Append(w);
  ASSERT_EQ(m.SumOutDimension(0, weights), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(m), (std::vector<double>{2.5, 3.5, 4.5}));
  QDN_Dmatrix short_weights = Counting({3, 2});
  EXPECT_EQ(short_weights.SumOutDimension(0, weights), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, GrowingAndShrinkingADimension) {
  QDN_Dmatrix m = Counting({2, 2}); // a b c d
  ASSERT_EQ(m.IncreaseDimensionSize(1), QDN_NO_ERROR);
  ASSERT_EQ(m.OpenPosition(1, 0), QDN_NO_ERROR);
  EXPECT_EQ(Shape(m), (std::vector<int>{2, 3}));
  EXPECT_EQ(CellsOf(m), (std::vector<double>{0, 1, 2, 0, 3, 4}));
  ASSERT_EQ(m.ClosePosition(1, 1), QDN_NO_ERROR);
  ASSERT_EQ(m.DecreaseDimensionSize(1), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(m), (std::vector<double>{0, 2, 0, 4}));

  QDN_Dmatrix rows = Counting({2, 2});
  ASSERT_EQ(rows.IncreaseDimensionSize(0), QDN_NO_ERROR);
  ASSERT_EQ(rows.OpenPosition(0, 1), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(rows), (std::vector<double>{1, 2, 0, 0, 3, 4}));
  QDN_Dmatrix single = Counting({1, 2});
  EXPECT_EQ(single.DecreaseDimensionSize(0), QDN_OUT_OF_RANGE);
  EXPECT_EQ(single.OpenPosition(1, 2), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, ReorderingDimensionsAndPositions) {
  QDN_Dmatrix square = Counting({2, 2});
  ASSERT_EQ(square.ChangeOrderWithinDimension(1, IntList({1, 0})), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(square), (std::vector<double>{2, 1, 4, 3}));
  EXPECT_EQ(square.ChangeOrderWithinDimension(1, IntList({0, 0})), QDN_OUT_OF_RANGE);

  QDN_Dmatrix m = Counting({2, 3, 4});
  QDN_Dmatrix moved(m);
  ASSERT_EQ(moved.ChangeOrderOfDimensions(IntList({2, 0, 1})), QDN_NO_ERROR);
  EXPECT_EQ(Shape(moved), (std::vector<int>{4, 2, 3}));
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b)
      for (int c = 0; c < 4; ++c)
        EXPECT_EQ(moved.At(IntList({c, a, b})), m.At(IntList({a, b, c})));
  EXPECT_EQ(moved.ChangeOrderOfDimensions(IntList({0, 1})), QDN_OUT_OF_RANGE);
  EXPECT_EQ(moved.ChangeOrderOfDimensions(IntList({0, 1, 1})), QDN_OUT_OF_RANGE);
}

TEST(DmatrixTest, SlicesAndResize) {
  QDN_Dmatrix m = Counting({2, 3, 2});
  QDN_Dmatrix slice;
  ASSERT_EQ(m.ExtractSlice(IntList({1, -1, 0}), slice), QDN_NO_ERROR);
  EXPECT_EQ(Shape(slice), (std::vector<int>{3}));
  EXPECT_EQ(CellsOf(slice), (std::vector<double>{7, 9, 11}));
  EXPECT_EQ(m.ExtractSlice(IntList({1}), slice), QDN_OUT_OF_RANGE);
  ASSERT_EQ(m.ExtractSlice(0, 1, slice), QDN_NO_ERROR);
  EXPECT_EQ(Shape(slice), (std::vector<int>{3, 2}));
  EXPECT_EQ(slice.At(0), 7.0);
  EXPECT_EQ(Shape(m), (std::vector<int>{2, 3, 2}));

  ASSERT_EQ(m.ResizeDimension(1, 3), QDN_NO_ERROR);
  EXPECT_EQ(m.At(0), 1.0);
  ASSERT_EQ(m.ResizeDimension(1, 5), QDN_NO_ERROR);
  EXPECT_EQ(m.GetSize(), 20);
  EXPECT_EQ(m.ResizeDimension(1, 0), QDN_OUT_OF_RANGE);
}

// Beyond the sizes kept inside the object the shape lives on the heap;
// copies, adoption and reshaping move between the two.
TEST(DmatrixTest, ManyDimensions) {
  QDN_Dmatrix m = Counting({2, 1, 3, 1, 1, 2, 1, 2});
  EXPECT_EQ(m.GetSize(), 24);
  EXPECT_EQ(Shape(m), (std::vector<int>{2, 1, 3, 1, 1, 2, 1, 2}));
  const QDN_intArray& steps = m.GetMultipliers();
  EXPECT_EQ(std::vector<int>(steps.Data(), steps.Data() + steps.GetCount()),
            (std::vector<int>{12, 12, 4, 4, 4, 2, 2, 1}));
  EXPECT_EQ(m.CoordinatesToIndex(IntList({1, 0, 2, 0, 0, 1, 0, 1})), 23);
  EXPECT_EQ(m.CoordinatesToIndex(IntList({1, 0, 2})), 20) << "missing coordinates count as 0";
  QDN_intArray coords;
  ASSERT_EQ(m.IndexToCoordinates(23, coords), QDN_NO_ERROR);
  EXPECT_EQ(std::vector<int>(coords.Data(), coords.Data() + 8),
            (std::vector<int>{1, 0, 2, 0, 0, 1, 0, 1}));

  QDN_Dmatrix copy(m), assigned;
  assigned = m;
  ASSERT_EQ(m.RemoveDimension(2, 1), QDN_NO_ERROR);
  EXPECT_EQ(Shape(m), (std::vector<int>{2, 1, 1, 1, 2, 1, 2}));
  EXPECT_EQ(CellsOf(m), (std::vector<double>{5, 6, 7, 8, 17, 18, 19, 20}));
  ASSERT_EQ(m.RemoveDimension(0, 1), QDN_NO_ERROR);
  EXPECT_EQ(Shape(m), (std::vector<int>{1, 1, 1, 2, 1, 2}));
  EXPECT_EQ(Shape(copy), Shape(assigned));
  EXPECT_EQ(CellsOf(copy), CellsOf(assigned));
  ASSERT_EQ(m.InsertDimension(6, 3), QDN_NO_ERROR);
  EXPECT_EQ(m.GetSize(), 12);
  EXPECT_EQ(m.At(IntList({0, 0, 0, 1, 0, 1, 2})), 20.0);

  QDN_Dmatrix taken;
  ASSERT_EQ(taken.Adopt(copy), QDN_NO_ERROR);
  EXPECT_EQ(copy.GetNumberOfDimensions(), 0);
  EXPECT_EQ(copy.GetSize(), 0);
  EXPECT_TRUE(copy.IsReady());
  EXPECT_EQ(Shape(taken), Shape(assigned));
  ASSERT_EQ(taken.ChangeOrderOfDimensions(IntList({7, 6, 5, 4, 3, 2, 1, 0})), QDN_NO_ERROR);
  EXPECT_EQ(taken.At(IntList({1, 0, 1, 0, 0, 2, 0, 1})), 24.0);
  taken.Release(0);
  EXPECT_EQ(taken.GetNumberOfDimensions(), 0);
  EXPECT_TRUE(taken.IsReady());
}

// Inserting a normalized dimension gives, bit for bit, what inserting and
// then normalizing gives: over short and long blocks, at every position
// (the last one changes the runs), with runs that sum to 1, to 0, to
// something else, and with a NaN.
TEST(DmatrixTest, InsertNormalizedDimensionEqualsInsertThenNormalize) {
  struct Case {
    std::vector<int> sizes;
    int position, size;
  };
  const std::vector<Case> cases = {{{3}, 0, 2},        {{3}, 1, 2},       {{2, 3}, 1, 3},
                                   {{2, 3}, 2, 4},     {{4, 80}, 1, 2},   {{2, 2, 70}, 0, 3},
                                   {{2, 2, 70}, 2, 2}, {{5, 3, 2}, 2, 3}, {{2, 2}, 0, 1}};
  for (const Case& c : cases) {
    for (int fill = 0; fill < 4; ++fill) {
      QDN_intArray sizes;
      for (int size : c.sizes)
        (void)sizes.Append(size);
      QDN_Dmatrix m;
      ASSERT_EQ(m.Setup(sizes), QDN_NO_ERROR);
      const int run = c.sizes.back();
      for (int i = 0; i < m.GetSize(); ++i) {
        const int block = i / run;
        // Whole runs of 1/run (sum 1), of zeros, of counting numbers, or a mix per block.
        const int kind = fill < 3 ? fill : block % 3;
        m.At(i) = kind == 0 ? 1.0 / run : kind == 1 ? 0.0 : i + 0.5;
      }
      if (fill == 3) m.At(m.GetSize() - 1) = std::numeric_limits<double>::quiet_NaN();
      QDN_Dmatrix expected(m);
      ASSERT_EQ(expected.InsertDimension(c.position, c.size), QDN_NO_ERROR);
      ASSERT_EQ(expected.Normalize(), QDN_NO_ERROR);
      ASSERT_EQ(m.InsertNormalizedDimension(c.position, c.size), QDN_NO_ERROR);
      EXPECT_EQ(Shape(m), Shape(expected));
      EXPECT_EQ(m.GetItems().GetCount(), expected.GetItems().GetCount());
      ASSERT_EQ(m.GetSize(), expected.GetSize());
      EXPECT_EQ(std::memcmp(m.GetItems().Data(), expected.GetItems().Data(),
                            sizeof(double) * static_cast<size_t>(m.GetSize())),
                0)
          << "shape of " << c.sizes.size() << " dimensions, position " << c.position << ", fill "
          << fill;
    }
  }
  QDN_Dmatrix empty;
  ASSERT_EQ(empty.InsertNormalizedDimension(0, 4), QDN_NO_ERROR);
  EXPECT_EQ(CellsOf(empty), (std::vector<double>{0.25, 0.25, 0.25, 0.25}));
  EXPECT_EQ(empty.InsertNormalizedDimension(3, 2), QDN_OUT_OF_RANGE);
  EXPECT_EQ(empty.InsertNormalizedDimension(0, 0), QDN_OUT_OF_RANGE);
}
