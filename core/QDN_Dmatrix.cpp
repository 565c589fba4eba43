#include "core/QDN_Dmatrix.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/QDN_cellBudget.h"
#include "core/QDN_status.h"

namespace {

// A QDN_intArray with size and count n, holding values.
QDN_intArray MakeList(const int* values, int n) {
  QDN_intArray list;
  (void)list.Resize(n);
  for (int i = 0; i < n; ++i)
    (void)list.Append(values[i]);
  return list;
}

} // namespace

QDN_Dmatrix::QDN_Dmatrix(const QDN_intArray& sizes) {
  for (int i = 0; i < sizes.GetCount(); ++i)
    if (sizes.At(i) < 1) return;
  (void)Setup(sizes);
}

QDN_Dmatrix::QDN_Dmatrix(const QDN_Dmatrix& other) : QDN_object(other), items_(other.items_) {
  SetShape(other.Dims(), other.rank_);
}

QDN_Dmatrix::~QDN_Dmatrix() { SetShape(nullptr, 0); }

QDN_Dmatrix& QDN_Dmatrix::operator=(const QDN_Dmatrix& other) {
  (void)CopyFrom(other);
  return *this;
}

void QDN_Dmatrix::SetShape(const int* sizes, int n) {
  // The new sizes are copied before the old storage goes: sizes may point into it.
  int* heap = n > kInlineRank ? new int[static_cast<size_t>(n)] : nullptr;
  int kept[kInlineRank];
  if (heap) {
    std::copy_n(sizes, n, heap);
  } else if (n > 0) {
    std::copy_n(sizes, n, kept);
  }
  if (rank_ > kInlineRank) delete[] shape_.heap;
  rank_ = n;
  if (heap) {
    shape_.heap = heap;
  } else {
    std::copy_n(kept, n, shape_.inline_sizes);
  }
}

void QDN_Dmatrix::SwapShape(QDN_Dmatrix& other) {
  std::swap(rank_, other.rank_);
  std::swap(shape_, other.shape_);
}

QDN_intArray QDN_Dmatrix::GetDimensions() const { return MakeList(Dims(), rank_); }

QDN_intArray QDN_Dmatrix::GetMultipliers() const {
  std::vector<int> steps(static_cast<size_t>(rank_));
  long long product = 1;
  for (int i = rank_ - 1; i >= 0; --i) {
    steps[static_cast<size_t>(i)] = static_cast<int>(product);
    product *= Dim(i);
  }
  return MakeList(steps.data(), rank_);
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

int QDN_Dmatrix::Install(const std::vector<int>& sizes, QDN_doubleArray& cells) {
  CB_TRY(items_.Adopt(cells));
  SetShape(sizes.data(), static_cast<int>(sizes.size()));
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
  std::vector<int> values(sizes.Data(), sizes.Data() + n);
  Release(0);
  if (n == 0) return QDN_NO_ERROR;
  return Install(values, storage);
}

int QDN_Dmatrix::CopyFrom(const QDN_Dmatrix& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  if (!Afford(source.GetSize())) return QDN_OUT_OF_RANGE;
  CB_TRY(items_.Assign(source.items_));
  SetShape(source.Dims(), source.rank_);
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Adopt(QDN_Dmatrix& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  SetShape(nullptr, 0);
  SwapShape(donor);
  (void)items_.Adopt(donor.items_);
  donor.CheckReadiness(0);
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::GetDimensionSize(int i) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (i < 0 || i >= GetNumberOfDimensions()) return QDN_OUT_OF_RANGE;
  return Dim(i);
}

long long QDN_Dmatrix::Span(int first, int last) const {
  long long product = 1;
  for (int i = first; i < last; ++i)
    product *= Dim(i);
  return product;
}

int QDN_Dmatrix::CoordinatesToIndex(const QDN_intArray& coords) const {
  const int n = std::min(GetNumberOfDimensions(), coords.GetSize());
  long long index = 0, step = Span(n, GetNumberOfDimensions());
  for (int i = n - 1; i >= 0; --i) {
    index += static_cast<long long>(coords.At(i)) * step;
    step *= Dim(i);
  }
  return static_cast<int>(index);
}

int QDN_Dmatrix::IndexToCoordinates(int index, QDN_intArray& coords) const {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= GetSize()) return QDN_OUT_OF_RANGE;
  const int n = GetNumberOfDimensions();
  CB_TRY(coords.EnsureSize(n));
  for (int i = n - 1; i > 0; --i) {
    coords.At(i) = index % Dim(i);
    index /= Dim(i);
  }
  coords.At(0) = index;
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::NextCoordinates(QDN_intArray& coords) const {
  const int n = GetNumberOfDimensions();
  if (coords.GetSize() < n) return QDN_OUT_OF_RANGE;
  for (int i = n - 1; i >= 0; --i) {
    if (coords.At(i) < Dim(i) - 1) {
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
    if (coords.At(i) < 0 || coords.At(i) >= Dim(i)) return 0;
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
    if (Dim(i) != other.Dim(i)) return 0;
  return 1;
}

int QDN_Dmatrix::Fill(double value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  std::fill_n(items_.Data(), GetSize(), value);
  return QDN_NO_ERROR;
}

bool QDN_Dmatrix::RunsSumToOne(const double* cells, long long count, int run) {
  for (long long start = 0; start < count; start += run) {
    double sum = 0;
    for (int k = 0; k < run; ++k)
      sum += cells[start + k];
    if (sum != 1.0) return false;
  }
  return true;
}

void QDN_Dmatrix::NormalizeRuns(double* cells, long long count, int run) {
  for (long long start = 0; start < count; start += run) {
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
}

int QDN_Dmatrix::Normalize() {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (n == 0) return QDN_NO_ERROR;
  NormalizeRuns(items_.Data(), GetSize(), Dim(n - 1));
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::Complement(const QDN_intArray& coords) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!IsValidCoordinates(coords)) return QDN_OUT_OF_RANGE;
  const int n = GetNumberOfDimensions();
  const int run = Dim(n - 1);
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

template <typename Filler> int QDN_Dmatrix::Rebuild(const std::vector<int>& sizes, Filler fill) {
  const long long cells = CellCount(sizes.data(), static_cast<int>(sizes.size()));
  if (cells < 0 || !Afford(cells)) return QDN_OUT_OF_RANGE;
  QDN_doubleArray storage;
  CB_TRY(storage.Resize(static_cast<int>(cells)));
  fill(storage.Data());
  return Install(sizes, storage);
}

int QDN_Dmatrix::InsertDimension(int position, int size) {
  return InsertDimension(position, size, false);
}

int QDN_Dmatrix::InsertNormalizedDimension(int position, int size) {
  return InsertDimension(position, size, true);
}

int QDN_Dmatrix::InsertDimension(int position, int size, bool normalize) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (position < 0 || position > n || size < 1) return QDN_OUT_OF_RANGE;
  // The new shape, inside the frame for the usual few dimensions.
  int local[kInlineRank + 1];
  std::vector<int> spilled;
  int* sizes = local;
  if (n + 1 > kInlineRank + 1) {
    try {
      spilled.resize(static_cast<size_t>(n) + 1);
    } catch (const std::bad_alloc&) {
      return QDN_OUT_OF_MEMORY;
    }
    sizes = spilled.data();
  }
  for (int i = 0; i <= n; ++i)
    sizes[i] = i < position ? Dim(i) : i == position ? size : Dim(i - 1);
  const long long cells = CellCount(sizes, n + 1);
  if (cells < 0 || !Afford(cells)) return QDN_OUT_OF_RANGE;
  // The new cells repeat each block of the old ones size times, into fresh
  // storage of exactly the new size that is then swapped in; the shape
  // follows. Blocks of a few cells are copied into storage made at its full
  // size; long ones are appended, so that each of their cells is written once.
  const long long outer = n > 0 ? Span(0, position) : 0;
  const long long inner = n > 0 ? Span(position, n) : 0;
  const double* old = items_.Data();
  std::vector<double> fresh;
  try {
    if (n == 0 || inner < kShortBlock) {
      fresh.resize(static_cast<size_t>(cells));
      double* out = fresh.data();
      for (long long o = 0; o < outer; ++o)
        for (int k = 0; k < size; ++k, out += inner)
          std::copy_n(old + o * inner, inner, out);
    } else {
      fresh.reserve(static_cast<size_t>(cells));
      for (long long o = 0; o < outer; ++o)
        for (int k = 0; k < size; ++k)
          fresh.insert(fresh.end(), old + o * inner, old + (o + 1) * inner);
    }
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  // Normalizing: when the new dimension comes before the last one, every run
  // of the new table is a copy of an old run, so a block whose runs each sum
  // to exactly 1 (which Normalize leaves alone) is looked at once, not once
  // per copy. Other blocks and other positions normalize every copy.
  const int run = n > 0 ? Dim(n - 1) : 0;
  if (normalize && n > 0 && position < n) {
    for (long long o = 0; o < outer; ++o)
      if (!RunsSumToOne(old + o * inner, inner, run))
        NormalizeRuns(fresh.data() + o * size * inner, size * inner, run);
  }
  CB_TRY(items_.SwapValues(fresh));
  SetShape(sizes, n + 1);
  CheckReadiness(1);
  if (normalize && (n == 0 || position == n)) return Normalize();
  return QDN_NO_ERROR;
}

int QDN_Dmatrix::RemoveDimension(int dim, int keep) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || keep < 0 || keep >= Dim(dim)) return QDN_OUT_OF_RANGE;
  if (n == 1) {
    Release(1);
    return QDN_NO_ERROR;
  }
  std::vector<int> values = Shape();
  const int size = values[static_cast<size_t>(dim)];
  values.erase(values.begin() + dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(values, [&](double* cells) {
    for (long long o = 0; o < outer; ++o)
      std::copy_n(old + (o * size + keep) * inner, inner, cells + o * inner);
  });
}

int QDN_Dmatrix::SumOutDimension(int dim, const QDN_doubleArray& weights) {
  if (!IsReady() || !weights.IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n) return QDN_OUT_OF_RANGE;
  const int size = Dim(dim);
  // Every position of the dimension needs its weight (the items in use, or
  // every slot of an array that was sized without appending).
  const int available = weights.GetCount() > 0 ? weights.GetCount() : weights.GetSize();
  if (available < size) return QDN_OUT_OF_RANGE;
  if (n == 1) {
    Release(1);
    return QDN_NO_ERROR;
  }
  std::vector<int> values = Shape();
  values.erase(values.begin() + dim);
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(values, [&](double* cells) {
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
  std::vector<int> values = Shape();
  const int size = values[static_cast<size_t>(dim)]++;
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(values, [&](double* cells) {
    for (long long o = 0; o < outer; ++o) {
      std::copy_n(old + o * size * inner, size * inner, cells + o * (size + 1) * inner);
      std::fill_n(cells + (o * (size + 1) + size) * inner, inner, 0.0);
    }
  });
}

int QDN_Dmatrix::DecreaseDimensionSize(int dim) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || Dim(dim) == 1) return QDN_OUT_OF_RANGE;
  std::vector<int> values = Shape();
  const int size = values[static_cast<size_t>(dim)]--;
  const long long outer = Span(0, dim), inner = Span(dim + 1, n);
  const double* old = items_.Data();
  return Rebuild(values, [&](double* cells) {
    for (long long o = 0; o < outer; ++o)
      std::copy_n(old + o * size * inner, (size - 1) * inner, cells + o * (size - 1) * inner);
  });
}

int QDN_Dmatrix::OpenPosition(int dim, int pos) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (dim < 0 || dim >= n || pos < 0 || pos >= Dim(dim)) return QDN_OUT_OF_RANGE;
  const int size = Dim(dim);
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
  if (dim < 0 || dim >= n || pos < 0 || pos >= Dim(dim)) return QDN_OUT_OF_RANGE;
  const int size = Dim(dim);
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
  if (Dim(dim) == size) return QDN_NO_ERROR;
  std::vector<int> values = Shape();
  values[static_cast<size_t>(dim)] = size;
  return Setup(MakeList(values.data(), static_cast<int>(values.size())));
}

int QDN_Dmatrix::ChangeOrderOfDimensions(const QDN_intArray& order) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfDimensions();
  if (PermutationLength(order, n, n) != n) return QDN_OUT_OF_RANGE;
  std::vector<int> values(static_cast<size_t>(n));
  std::vector<long long> strides(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    values[static_cast<size_t>(i)] = Dim(order.At(i));
    strides[static_cast<size_t>(i)] = Span(order.At(i) + 1, n);
  }
  const double* old = items_.Data();
  const int total = GetSize();
  return Rebuild(values, [&](double* cells) {
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
  const int size = Dim(dim);
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
  if (deep) items_.SetOwner(deep);
}

void QDN_Dmatrix::ClearOwner(int deep) {
  QDN_object::ClearOwner(deep);
  if (deep) items_.ClearOwner(deep);
}

void QDN_Dmatrix::Release(int) {
  SetShape(nullptr, 0);
  items_.Release(0);
  CheckReadiness(0);
}

void QDN_Dmatrix::CheckReadiness(int deep) {
  if (deep) items_.CheckReadiness(deep);
  const long long expected = rank_ == 0 ? 0 : Span(0, rank_);
  AssignFlag(kReady, items_.IsReady() && items_.GetSize() == expected);
}
