#pragma once

#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_object.h"

// Dense table of doubles addressed by one coordinate per dimension, row-major
// with the last dimension varying fastest. Definition tables keep the node's
// own outcomes in the last dimension and one dimension per parent before it.
// Every reshaping operation keeps the surviving numbers at their coordinates.
// Definitions and node values each hold one, so the header is kept small:
// only the dimension sizes are stored (inside the object for up to
// kInlineRank dimensions), the multipliers follow from them.
class QDN_Dmatrix : public QDN_object {
public:
  static constexpr int kInlineRank = 6;

  // Largest table the library builds: 2^28 cells (2 GiB of doubles). Sizes
  // are products of counts that files control; a larger product is refused
  // with QDN_OUT_OF_RANGE instead of being allocated short or exhausting memory.
  static constexpr long long kMaxCells = 1LL << 28;

  QDN_Dmatrix() = default;
  // As Setup when every size is >= 1; otherwise the matrix stays empty.
  explicit QDN_Dmatrix(const QDN_intArray& sizes);
  QDN_Dmatrix(const QDN_Dmatrix& other);
  QDN_Dmatrix& operator=(const QDN_Dmatrix& other);
  ~QDN_Dmatrix() override;

  // Shape from the count items of sizes; cell values read 0 until written.
  int Setup(const QDN_intArray& sizes);
  int CopyFrom(const QDN_Dmatrix& source);
  // Takes over the donor's storage; the donor is left empty.
  int Adopt(QDN_Dmatrix& donor);

  int GetNumberOfDimensions() const { return rank_; }
  int GetDimensionSize(int i) const;
  int GetSize() const { return items_.GetSize(); }
  // The dimension sizes, and the step in cells of one coordinate of each
  // dimension (size and count = the number of dimensions).
  QDN_intArray GetDimensions() const;
  QDN_intArray GetMultipliers() const;
  QDN_doubleArray& GetItems() { return items_; }
  const QDN_doubleArray& GetItems() const { return items_; }

  int CoordinatesToIndex(const QDN_intArray& coords) const;
  int IndexToCoordinates(int index, QDN_intArray& coords) const;
  // Odometer step; -2 (coords unchanged) when every coordinate is at its maximum.
  int NextCoordinates(QDN_intArray& coords) const;
  int IsValidCoordinates(const QDN_intArray& coords) const;
  // Cell reference, or the out-of-range slot (-2.0) for invalid coordinates.
  double& At(const QDN_intArray& coords);
  double& At(int index) { return items_.At(index); }
  double At(int index) const { return items_.At(index); }
  int SameLayout(const QDN_Dmatrix& other) const;

  int Fill(double value);
  // Scales each run over the last dimension to sum 1; a run summing to exactly
  // 0 becomes uniform, one summing to exactly 1 is left alone.
  int Normalize();
  // The addressed cell := 1 - the sum of the other cells of its run.
  int Complement(const QDN_intArray& coords);
  int ComplementAt(int index);
  int Sum(const QDN_Dmatrix& a, const QDN_Dmatrix& b);

  int InsertDimension(int position, int size);
  // InsertDimension followed by Normalize, with the same result; runs that
  // the insertion only repeats are summed once instead of once per copy.
  int InsertNormalizedDimension(int position, int size);
  int AddDimension(int size) { return InsertDimension(GetNumberOfDimensions(), size); }
  int RemoveDimension(int dim, int keep);
  int RemoveDimension(int dim) { return RemoveDimension(dim, 0); }
  int SumOutDimension(int dim, const QDN_doubleArray& weights);
  int IncreaseDimensionSize(int dim);
  int DecreaseDimensionSize(int dim);
  int OpenPosition(int dim, int pos);
  int ClosePosition(int dim, int pos);
  // A different size rebuilds the table; the values do not survive.
  int ResizeDimension(int dim, int size);
  int ChangeOrderOfDimensions(const QDN_intArray& order);
  int ChangeOrderWithinDimension(int dim, const QDN_intArray& order);
  int ExtractSlice(int dim, int keep, QDN_Dmatrix& out) const;
  // Keeps every dimension whose coordinate is negative, slices the others.
  int ExtractSlice(const QDN_intArray& coords, QDN_Dmatrix& out) const;
  int SumOutDimension(int dim, const QDN_doubleArray& weights, QDN_Dmatrix& out) const;

  void SetOwner(int deep) override;
  void ClearOwner(int deep) override;
  void Release(int deep) override;
  void CheckReadiness(int deep) override;

  // Cell count of a shape, or -2 when a size is < 1 or the product exceeds kMaxCells.
  static long long CellCount(const int* sizes, int n);

private:
  // Blocks shorter than this are copied into storage made at full size.
  static constexpr long long kShortBlock = 64;

  int InsertDimension(int position, int size, bool normalize);
  // Normalize over count cells in runs of run cells.
  static void NormalizeRuns(double* cells, long long count, int run);
  // True when every run of run cells among count sums to exactly 1.
  static bool RunsSumToOne(const double* cells, long long count, int run);
  // Product of the sizes of dimensions [first, last).
  long long Span(int first, int last) const;
  const int* Dims() const { return rank_ > kInlineRank ? shape_.heap : shape_.inline_sizes; }
  int Dim(int i) const { return Dims()[i]; }
  std::vector<int> Shape() const { return std::vector<int>(Dims(), Dims() + rank_); }
  // Replaces the dimension sizes (n >= 0).
  void SetShape(const int* sizes, int n);
  void SwapShape(QDN_Dmatrix& other);
  // Installs a new shape and its cells (already laid out for it).
  int Install(const std::vector<int>& sizes, QDN_doubleArray& cells);
  // Builds the cells of a new shape in fresh storage, fill(cells) writing
  // every one of them, and installs both.
  template <typename Filler> int Rebuild(const std::vector<int>& sizes, Filler fill);
  // Charges growing this table to cells to the cell budget of the running
  // load (see QDN_cellBudget); false when the load may not have them.
  bool Afford(long long cells) const;

  // Number of dimensions; the sizes are in shape_.inline_sizes up to
  // kInlineRank, else in shape_.heap (owned).
  int rank_ = 0;
  union {
    int inline_sizes[kInlineRank];
    int* heap;
  } shape_ = {};
  QDN_doubleArray items_;
};
