#include "core/QDN_Dmatrix.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/QDN_cellBudget.h"
#include "core/QDN_status.h"

namespace {

// A QDN_intArray with size and count n, items from values.
QDN_intArray MakeSizes(const std::vector<int>& values) {
  QDN_intArray sizes;
  (void)sizes.Resize(static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i)
    (void)sizes.Append(values[i]);
  return sizes;
}

std::vector<int> SizesOf(const QDN_intArray& dims) {
  return std::vector<int>(dims.Data(), dims.Data() + dims.GetSize());
}

} // namespace

QDN_Dmatrix::QDN_Dmatrix(const QDN_intArray& sizes) {
  for (int i = 0; i < sizes.GetCount(); ++i)
    if (sizes.At(i) < 1) return;
  (void)Setup(sizes);
}

QDN_Dmatrix& QDN_Dmatrix::operator=(const QDN_Dmatrix& other) {
  (void)CopyFrom(other);
  return *this;
}

long long QDN_Dmatrix::CellCount(const int* sizes, int n) {
  long long cells = 1;
  for (int i = 0; i < n; ++i) {
    if (sizes[i] < 1) return QDN_OUT_OF_RANGE;
    if (__builtin_mul_overflow(cells, static_cast<long long>(sizes[i]), &cells) ||
        cells > kMaxCells)
      return QDN_OUT_OF_RANGE;
  }
  return n == 0 ? 0 : cells;
}

bool QDN_Dmatrix::Afford(long long cells) const {
  return QDN_cellBudget::Charge(cells - GetSize(), cells, this);
}

void QDN_Dmatrix::RecomputeMultipliers() {
  const int n = dimensions_.GetSize();
  (void)multipliers_.Resize(n);
  multipliers_.GrowTo(n);
  long long product = 1;
  for (int i = n - 1; i >= 0; --i) {
    multipliers_.At(i) = static_cast<int>(product);
    product *= dimensions_.At(i);
  }
  for (int i = 0; i < n; ++i)
    (void)multipliers_.Append(multipliers_.At(i));
}

int QDN_Dmatrix::Install(const QDN_intArray& sizes, QDN_doubleArray& cells) {
  (void)dimensions_.CopyFrom(sizes);
  RecomputeMultipliers();
  CB_TRY(items_.Adopt(cells));
  CheckReadiness(1);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Setup(const QDN_intArray& sizes) {
  if (!sizes.IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = sizes.GetCount();
  if (n < 0) return QDN_OUT_OF_RANGE;
  const long long cells = CellCount(sizes.Data(), n);
  if (cells < 0 || !Afford(cells)) return QDN_OUT_OF_RANGE;
  QDN_doubleArray storage;
  CB_TRY(storage.Resize(static_cast<int>(cells)));
  Release(0);
  if (n == 0) return QDN_NO_ERROR;
  std::vector<int> values(sizes.Data(), sizes.Data() + n);
  return Install(MakeSizes(values), storage);
}

int QDN_Dmatrix::CopyFrom(const QDN_Dmatrix& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  if (!Afford(source.GetSize())) return QDN_OUT_OF_RANGE;
  CB_TRY(items_.Assign(source.items_));
  (void)dimensions_.CopyFrom(source.dimensions_);
  (void)multipliers_.CopyFrom(source.multipliers_);
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Adopt(QDN_Dmatrix& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  (void)dimensions_.Adopt(donor.dimensions_);
  (void)multipliers_.Adopt(donor.multipliers_);
  (void)items_.Adopt(donor.items_);
  donor.CheckReadiness(0);
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::GetDimensionSize(int i) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (i < 0 || i >= GetNumberOfDimensions()) return QDN_OUT_OF_RANGE;
  return dimensions_.At(i);
}

long long QDN_Dmatrix::Span(int first, int last) const {
  long long product = 1;
  for (int i = first; i < last; ++i)
    product *= dimensions_.At(i);
  return product;
}

int QDN_Dmatrix::CoordinatesToIndex(const QDN_intArray& coords) const {
  const int n = GetNumberOfDimensions();
  long long index = 0;
  for (int i = 0; i < n && i < coords.GetSize(); ++i)
    index += static_cast<long long>(coords.At(i)) * multipliers_.At(i);
  return static_cast<int>(index);
}

int QDN_Dmatrix::IndexToCoordinates(int index, QDN_intArray& coords) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= GetSize()) return QDN_OUT_OF_RANGE;
  const int n = GetNumberOfDimensions();
  CB_TRY(coords.EnsureSize(n));
  for (int i = 0; i < n - 1; ++i) {
    coords.At(i) = index / multipliers_.At(i);
    index %= multipliers_.At(i);
  }
  coords.At(n - 1) = index;
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::NextCoordinates(QDN_intArray& coords) const {
  const int n = GetNumberOfDimensions();
  if (coords.GetSize() < n) return QDN_OUT_OF_RANGE;
  for (int i = n - 1; i >= 0; --i) {
    if (coords.At(i) < dimensions_.At(i) - 1) {
      ++coords.At(i);
      for (int j = i + 1; j < n; ++j)
        coords.At(j) = 0;
      return QDN_NO_ERROR;
    }
  }
  return QDN_OUT_OF_RANGE;
}

int QDN_Dmatrix::IsValidCoordinates(const QDN_intArray& coords) const {
  const int n = GetNumberOfDimensions();
  if (!coords.IsReady() || coords.GetSize() < n) return 0;
  for (int i = 0; i < n; ++i)
    if (coords.At(i) < 0 || coords.At(i) >= dimensions_.At(i)) return 0;
  return 1;
}

double& QDN_Dmatrix::At(const QDN_intArray& coords) {
  if (!IsReady() || !IsValidCoordinates(coords)) return items_.At(-1);
  return items_.At(CoordinatesToIndex(coords));
}

int QDN_Dmatrix::SameLayout(const QDN_Dmatrix& other) const {
  if (!IsReady() || !other.IsReady()) return 0;
  const int n = GetNumberOfDimensions();
  if (n != other.GetNumberOfDimensions() || GetSize() != other.GetSize()) return 0;
  for (int i = 0; i < n; ++i)
    if (dimensions_.At(i) != other.dimensions_.At(i)) return 0;
  return 1;
}

int QDN_Dmatrix::Fill(double value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  std::fill_n(items_.Data(), GetSize(), value);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Normalize() {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (n == 0) return QDN_NO_ERROR;
  const int run = dimensions_.At(n - 1);
  double* cells = items_.Data();
  for (int start = 0; start < GetSize(); start += run) {
    double sum = 0;
    for (int k = 0; k < run; ++k)
      sum += cells[start + k];
    if (sum == 1.0) continue;
    if (sum == 0.0) {
      std::fill_n(cells + start, run, 1.0 / run);
      continue;
    }
    const double scale = 1.0 / sum;
    for (int k = 0; k < run; ++k)
      cells[start + k] *= scale;
  }
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Complement(const QDN_intArray& coords) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!IsValidCoordinates(coords)) return QDN_OUT_OF_RANGE;
  const int n = GetNumberOfDimensions();
  const int run = dimensions_.At(n - 1);
  const int index = CoordinatesToIndex(coords);
  const int start = index - coords.At(n - 1);
  double sum = 0;
  for (int k = 0; k < run; ++k)
    if (start + k != index) sum += items_.At(start + k);
  items_.At(index) = 1.0 - sum;
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::ComplementAt(int index) {
  QDN_intArray coords;
  CB_TRY(IndexToCoordinates(index, coords));
  return Complement(coords);
}

int QDN_Dmatrix::Sum(const QDN_Dmatrix& a, const QDN_Dmatrix& b) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!SameLayout(a) || !SameLayout(b)) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < GetSize(); ++i)
    items_.At(i) = a.items_.At(i) + b.items_.At(i);
  return QDN_NO_ERROR;
}

template <typename Filler> int QDN_Dmatrix::Rebuild(const QDN_intArray& sizes, Filler fill) {
  const int n = sizes.GetSize();
  const long long cells = CellCount(sizes.Data(), n);
  if (cells < 0 || !Afford(cells)) return QDN_OUT_OF_RANGE;
  QDN_doubleArray storage;
  CB_TRY(storage.Resize(static_cast<int>(cells)));
  fill(storage.Data());
  return Install(sizes, storage);
}

int QDN_Dmatrix::InsertDimension(int position, int size) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (position < 0 || position > n || size < 1) return QDN_OUT_OF_RANGE;
  QDN_intArray sizes;
  (void)sizes.Resize(n + 1);
  for (int i = 0; i <= n; ++i)
    (void)sizes.Append(i < position    ? dimensions_.At(i)
                       : i == position ? size
                                       : dimensions_.At(i - 1));
  const long long cells = CellCount(sizes.Data(), n + 1);
  if (cells < 0 || !Afford(cells)) return QDN_OUT_OF_RANGE;
  // The new cells repeat each block of the old ones size times; they are
  // built in fresh storage and swapped in, the shape then follows.
  std::vector<double> fresh;
  try {
    fresh.resize(static_cast<size_t>(cells));
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  if (n > 0) {
    const long long outer = Span(0, position), inner = Span(position, n);
    const double* old = items_.Data();
    for (long long o = 0; o < outer; ++o)
      for (int k = 0; k < size; ++k)
        std::copy_n(old + o * inner, inner, fresh.data() + (o * size + k) * inner);
  }
  CB_TRY(items_.SwapValues(fresh));
  (void)dimensions_.CopyFrom(sizes);
  RecomputeMultipliers();
  CheckReadiness(1);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::RemoveDimension(int dim, int keep) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || keep < 0 || keep >= dimensions_.At(dim)) return QDN_OUT_OF_RANGE;
  if (n == 1) {
    Release(1);
    return QDN_NO_ERROR;
  }
  std::vector<int> values = SizesOf(dimensions_);
  const int size = values[static_cast<size_t>(dim)];
  values.erase(values.begin() + dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(MakeSizes(values), [&](double* cells) {
    for (long long o = 0; o < outer; ++o)
      std::copy_n(old + (o * size + keep) * inner, inner, cells + o * inner);
  });
}

int QDN_Dmatrix::SumOutDimension(int dim, const QDN_doubleArray& weights) {
  if (!IsReady() || !weights.IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n) return QDN_OUT_OF_RANGE;
  const int size = dimensions_.At(dim);
  // Every position of the dimension needs its weight (the items in use, or
  // every slot of an array that was sized without appending).
  const int available = weights.GetCount() > 0 ? weights.GetCount() : weights.GetSize();
  if (available < size) return QDN_OUT_OF_RANGE;
  if (n == 1) {
    Release(1);
    return QDN_NO_ERROR;
  }
  std::vector<int> values = SizesOf(dimensions_);
  values.erase(values.begin() + dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(MakeSizes(values), [&](double* cells) {
    for (long long o = 0; o < outer; ++o)
      for (long long i = 0; i < inner; ++i) {
        double sum = 0;
        for (int k = 0; k < size; ++k)
          sum += old[(o * size + k) * inner + i] * weights.At(k);
        cells[o * inner + i] = sum;
      }
  });
}

int QDN_Dmatrix::IncreaseDimensionSize(int dim) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n) return QDN_OUT_OF_RANGE;
  std::vector<int> values = SizesOf(dimensions_);
  const int size = values[static_cast<size_t>(dim)]++;
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(MakeSizes(values), [&](double* cells) {
    for (long long o = 0; o < outer; ++o) {
      std::copy_n(old + o * size * inner, size * inner, cells + o * (size + 1) * inner);
      std::fill_n(cells + (o * (size + 1) + size) * inner, inner, 0.0);
    }
  });
}

int QDN_Dmatrix::DecreaseDimensionSize(int dim) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || dimensions_.At(dim) == 1) return QDN_OUT_OF_RANGE;
  std::vector<int> values = SizesOf(dimensions_);
  const int size = values[static_cast<size_t>(dim)]--;
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(MakeSizes(values), [&](double* cells) {
    for (long long o = 0; o < outer; ++o)
      std::copy_n(old + o * size * inner, (size - 1) * inner, cells + o * (size - 1) * inner);
  });
}

int QDN_Dmatrix::OpenPosition(int dim, int pos) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || pos < 0 || pos >= dimensions_.At(dim)) return QDN_OUT_OF_RANGE;
  const int size = dimensions_.At(dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  double* cells = items_.Data();
  for (long long o = 0; o < outer; ++o) {
    double* block = cells + o * size * inner;
    std::copy_backward(block + pos * inner, block + (size - 1) * inner, block + size * inner);
    std::fill_n(block + pos * inner, inner, 0.0);
  }
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::ClosePosition(int dim, int pos) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || pos < 0 || pos >= dimensions_.At(dim)) return QDN_OUT_OF_RANGE;
  const int size = dimensions_.At(dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  double* cells = items_.Data();
  for (long long o = 0; o < outer; ++o) {
    double* block = cells + o * size * inner;
    std::copy(block + (pos + 1) * inner, block + size * inner, block + pos * inner);
    std::fill_n(block + (size - 1) * inner, inner, 0.0);
  }
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::ResizeDimension(int dim, int size) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (dim < 0 || dim >= GetNumberOfDimensions() || size < 1) return QDN_OUT_OF_RANGE;
  if (dimensions_.At(dim) == size) return QDN_NO_ERROR;
  std::vector<int> values = SizesOf(dimensions_);
  values[static_cast<size_t>(dim)] = size;
  return Setup(MakeSizes(values));
}

int QDN_Dmatrix::ChangeOrderOfDimensions(const QDN_intArray& order) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (PermutationLength(order, n, n) != n) return QDN_OUT_OF_RANGE;
  std::vector<int> values(static_cast<size_t>(n));
  std::vector<long long> strides(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    values[static_cast<size_t>(i)] = dimensions_.At(order.At(i));
    strides[static_cast<size_t>(i)] = multipliers_.At(order.At(i));
  }
  const double* old = items_.Data();
  const int total = GetSize();
  return Rebuild(MakeSizes(values), [&](double* cells) {
    // Walk the new coordinates like an odometer, tracking the old index.
    std::vector<int> coords(static_cast<size_t>(n), 0);
    long long source = 0;
    for (int index = 0; index < total; ++index) {
      cells[index] = old[source];
      for (int i = n - 1; i >= 0; --i) {
        const size_t d = static_cast<size_t>(i);
        if (++coords[d] < values[d]) {
          source += strides[d];
          break;
        }
        source -= strides[d] * (values[d] - 1);
        coords[d] = 0;
      }
    }
  });
}

int QDN_Dmatrix::ChangeOrderWithinDimension(int dim, const QDN_intArray& order) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n) return QDN_OUT_OF_RANGE;
  const int size = dimensions_.At(dim);
  if (order.GetCount() != size || PermutationLength(order, size, size) != size)
    return QDN_OUT_OF_RANGE;
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const std::vector<double> old(items_.Data(), items_.Data() + GetSize());
  double* cells = items_.Data();
  for (long long o = 0; o < outer; ++o)
    for (int k = 0; k < size; ++k)
      std::copy_n(old.data() + (o * size + order.At(k)) * inner, inner,
                  cells + (o * size + k) * inner);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::ExtractSlice(int dim, int keep, QDN_Dmatrix& out) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  CB_TRY(out.CopyFrom(*this));
  return out.RemoveDimension(dim, keep);
}

int QDN_Dmatrix::ExtractSlice(const QDN_intArray& coords, QDN_Dmatrix& out) const {
  if (!IsReady() || !coords.IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (coords.GetSize() < n) return QDN_OUT_OF_RANGE;
  CB_TRY(out.CopyFrom(*this));
  for (int dim = n - 1; dim >= 0; --dim)
    if (coords.At(dim) >= 0) CB_TRY(out.RemoveDimension(dim, coords.At(dim)));
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::SumOutDimension(int dim, const QDN_doubleArray& weights, QDN_Dmatrix& out) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  CB_TRY(out.CopyFrom(*this));
  return out.SumOutDimension(dim, weights);
}

void QDN_Dmatrix::SetOwner(int deep) {
  QDN_object::SetOwner(deep);
  if (!deep) return;
  dimensions_.SetOwner(deep);
  multipliers_.SetOwner(deep);
  items_.SetOwner(deep);
}

void QDN_Dmatrix::ClearOwner(int deep) {
  QDN_object::ClearOwner(deep);
  if (!deep) return;
  dimensions_.ClearOwner(deep);
  multipliers_.ClearOwner(deep);
  items_.ClearOwner(deep);
}

void QDN_Dmatrix::Release(int) {
  dimensions_.Release(0);
  multipliers_.Release(0);
  items_.Release(0);
  CheckReadiness(0);
}

void QDN_Dmatrix::CheckReadiness(int deep) {
  if (deep) {
    dimensions_.CheckReadiness(deep);
    multipliers_.CheckReadiness(deep);
    items_.CheckReadiness(deep);
  }
  const int n = dimensions_.GetSize();
  const long long expected =
      n == 0 ? 0 : static_cast<long long>(dimensions_.At(0)) * multipliers_.At(0);
  const bool ready = dimensions_.IsReady() && multipliers_.IsReady() && items_.IsReady() &&
                     multipliers_.GetSize() == n && items_.GetSize() == expected;
  AssignFlag(kReady, ready);
}
