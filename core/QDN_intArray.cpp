#include "core/QDN_intArray.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "core/QDN_status.h"

QDN_intArray::QDN_intArray(int size, int delta) : QDN_array(delta) { (void)Resize(size); }

QDN_intArray::QDN_intArray(const QDN_intArray& other) : QDN_array(other) {
  delta_ = kDefaultDelta;
  if (other.UsesHeap()) {
    store_.heap = new int[static_cast<size_t>(other.capacity_)]();
    capacity_ = other.capacity_;
  }
  std::copy_n(other.Data(), other.size_, Data());
}

QDN_intArray::~QDN_intArray() { FreeHeap(); }

void QDN_intArray::FreeHeap() {
  if (UsesHeap()) delete[] store_.heap;
  capacity_ = kInlineCapacity;
}

QDN_intArray& QDN_intArray::operator=(const QDN_intArray& other) {
  if (this != &other) (void)CopyFrom(other);
  return *this;
}

void QDN_intArray::Reallocate(int capacity, int keep) {
  int* storage = new int[static_cast<size_t>(capacity)]();
  std::copy_n(Data(), keep, storage);
  FreeHeap();
  store_.heap = storage;
  capacity_ = capacity;
}

void QDN_intArray::GrowTo(int n) {
  if (capacity_ < n) {
    const long long doubled = 2LL * capacity_;
    const int capacity = doubled < n ? n : static_cast<int>(std::min<long long>(doubled, INT_MAX));
    Reallocate(capacity, size_);
    size_ = n;
  } else if (size_ < n) {
    size_ = n;
  }
}

int QDN_intArray::Append(int value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (count_ == INT_MAX) return QDN_OUT_OF_MEMORY;
  GrowTo(count_ + 1);
  Data()[count_++] = value;
  return QDN_NO_ERROR;
}

int QDN_intArray::InsertAt(int index, int value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index > count_) return QDN_OUT_OF_RANGE;
  if (count_ == INT_MAX) return QDN_OUT_OF_MEMORY;
  GrowTo(count_ + 1);
  int* items = Data();
  std::memmove(items + index + 1, items + index, sizeof(int) * static_cast<size_t>(count_ - index));
  items[index] = value;
  ++count_;
  return QDN_NO_ERROR;
}

int QDN_intArray::RemoveAt(int index) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  // The count bounds the items in use; slots between count and size hold no item.
  if (index < 0 || index >= count_) return QDN_OUT_OF_RANGE;
  --count_;
  int* items = Data();
  if (IsOrdered()) {
    std::memmove(items + index, items + index + 1,
                 sizeof(int) * static_cast<size_t>(count_ - index));
  } else {
    items[index] = items[count_];
  }
  return QDN_NO_ERROR;
}

int QDN_intArray::RemoveValue(int value) {
  const int index = IndexOf(value);
  if (index < 0) return QDN_OUT_OF_RANGE;
  return RemoveAt(index);
}

int QDN_intArray::IndexOf(int value) const {
  if (!IsReady() || count_ < 1) return QDN_OUT_OF_RANGE;
  const int* items = Data();
  const int* found = std::find(items, items + count_, value);
  return found == items + count_ ? QDN_OUT_OF_RANGE : static_cast<int>(found - items);
}

int QDN_intArray::AppendUnique(int value) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (IndexOf(value) >= 0) return QDN_OUT_OF_RANGE;
  return Append(value);
}

void QDN_intArray::Fill(int value) { std::fill_n(Data(), size_, value); }

int QDN_intArray::Resize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n > capacity_) Reallocate(n, 0);
  size_ = n;
  return QDN_NO_ERROR;
}

int QDN_intArray::EnsureSize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n <= size_) return QDN_NO_ERROR;
  return Resize(n);
}

int QDN_intArray::CopyFrom(const QDN_intArray& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  if (source.size_ > capacity_) Reallocate(source.size_, 0);
  std::copy_n(source.Data(), source.size_, Data());
  size_ = source.size_;
  count_ = source.count_;
  return QDN_NO_ERROR;
}

int QDN_intArray::Adopt(QDN_intArray& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  Release(0);
  if (donor.UsesHeap()) {
    store_.heap = donor.store_.heap;
    capacity_ = donor.capacity_;
    donor.capacity_ = kInlineCapacity; // the storage is this array's now
  } else {
    std::copy_n(donor.Data(), donor.size_, store_.items);
  }
  size_ = donor.size_;
  count_ = donor.count_;
  delta_ = donor.delta_;
  donor.Release(0);
  return QDN_NO_ERROR;
}

int QDN_intArray::Permute(const QDN_intArray& order) {
  const int n = PermutationLength(order, count_, size_);
  if (n < 0) return n;
  std::vector<int> old(Data(), Data() + n);
  for (int i = 0; i < n; ++i)
    Data()[i] = old[static_cast<size_t>(order.At(i))];
  return QDN_NO_ERROR;
}

void QDN_intArray::Release(int deep) {
  FreeHeap();
  QDN_array::Release(deep);
}
