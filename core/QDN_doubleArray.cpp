#include "core/QDN_doubleArray.h"

#include <algorithm>
#include <climits>
#include <new>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"

namespace {

// Grows a vector's storage geometrically to hold at least n elements.
template <typename T> void GrowStorage(std::vector<T>& store, size_t n) {
  if (n <= store.size()) return;
  if (n > store.capacity()) store.reserve(std::max(n, 2 * store.capacity()));
  store.resize(n);
}

} // namespace

QDN_doubleArray::QDN_doubleArray(int size, int delta) : QDN_array(delta) {
  (void)Resize(size);
  CheckReadiness(0);
}

QDN_doubleArray::QDN_doubleArray(const QDN_doubleArray& other) : QDN_array(other) {
  size_ = 0;
  count_ = 0;
  if (Resize(other.size_) == QDN_NO_ERROR) {
    std::copy_n(other.store_.data(), other.size_, store_.data());
    count_ = other.count_;
    delta_ = other.delta_;
  }
  CheckReadiness(0);
}

QDN_doubleArray& QDN_doubleArray::operator=(const QDN_doubleArray& other) {
  (void)Assign(other);
  return *this;
}

int QDN_doubleArray::Assign(const QDN_doubleArray& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(Resize(source.size_));
  std::copy_n(source.store_.data(), source.size_, store_.data());
  count_ = source.count_;
  delta_ = source.delta_;
  return QDN_NO_ERROR;
}

double& QDN_doubleArray::At(int i) {
  if (i < 0 || i >= size_) {
    thread_local double out_of_range;
    out_of_range = kOutOfRangeValue;
    return out_of_range;
  }
  return store_[static_cast<size_t>(i)];
}

double QDN_doubleArray::At(int i) const {
  if (i < 0 || i >= size_) return kOutOfRangeValue;
  return store_[static_cast<size_t>(i)];
}

int QDN_doubleArray::Grow() {
  if (size_ > INT_MAX - delta_) return QDN_OUT_OF_MEMORY;
  try {
    GrowStorage(store_, static_cast<size_t>(size_ + delta_));
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  size_ += delta_;
  return QDN_NO_ERROR;
}

int QDN_doubleArray::Append(double value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (size_ == count_) CB_TRY(Grow());
  store_[static_cast<size_t>(count_++)] = value;
  return QDN_NO_ERROR;
}

int QDN_doubleArray::InsertAt(int index, double value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index > count_) return QDN_OUT_OF_RANGE;
  if (size_ == count_) CB_TRY(Grow());
  auto first = store_.begin() + index;
  std::move_backward(first, store_.begin() + count_, store_.begin() + count_ + 1);
  *first = value;
  ++count_;
  return QDN_NO_ERROR;
}

int QDN_doubleArray::RemoveAt(int index) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= count_) return QDN_OUT_OF_RANGE;
  --count_;
  if (IsOrdered()) {
    std::move(store_.begin() + index + 1, store_.begin() + count_ + 1, store_.begin() + index);
  } else {
    store_[static_cast<size_t>(index)] = store_[static_cast<size_t>(count_)];
  }
  return QDN_NO_ERROR;
}

int QDN_doubleArray::CopyValues(const QDN_doubleArray& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  std::copy_n(source.store_.data(), std::min(source.size_, size_), store_.data());
  return QDN_NO_ERROR;
}

int QDN_doubleArray::Resize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n == size_) return QDN_NO_ERROR;
  std::vector<double> fresh;
  try {
    fresh.assign(static_cast<size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  const int delta = delta_;
  Release(0);
  delta_ = delta;
  store_ = std::move(fresh);
  size_ = n;
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_doubleArray::SwapValues(std::vector<double>& values) {
  if (values.size() > static_cast<size_t>(INT_MAX)) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  store_.swap(values);
  size_ = count_ = static_cast<int>(store_.size());
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_doubleArray::EnsureSize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n <= size_) return QDN_NO_ERROR;
  return Resize(n);
}

int QDN_doubleArray::Adopt(QDN_doubleArray& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  Release(0);
  store_ = std::move(donor.store_);
  size_ = donor.size_;
  count_ = donor.count_;
  delta_ = donor.delta_;
  donor.Release(0);
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_doubleArray::Permute(const QDN_intArray& order) {
  const int n = PermutationLength(order, count_, size_);
  if (n < 0) return n;
  std::vector<double> old(store_.begin(), store_.begin() + n);
  for (int i = 0; i < n; ++i)
    store_[static_cast<size_t>(i)] = old[static_cast<size_t>(order.At(i))];
  return QDN_NO_ERROR;
}

void QDN_doubleArray::Release(int deep) {
  std::vector<double>().swap(store_);
  QDN_array::Release(deep);
}

void QDN_doubleArray::CheckReadiness(int) {
  const bool ready =
      delta_ > 0 && ((size_ == 0 && count_ == 0) || (size_ > 0 && count_ >= 0 && count_ <= size_ &&
                                                     store_.size() >= static_cast<size_t>(size_)));
  AssignFlag(kReady, ready);
}
