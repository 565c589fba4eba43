#include "core/QDN_stringArray.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"

QDN_stringArray::QDN_stringArray(int size, int delta) : QDN_array(delta) {
  (void)Resize(size);
  CheckReadiness(0);
}

QDN_stringArray::QDN_stringArray(const QDN_stringArray& other) : QDN_array(other) {
  store_.assign(other.store_.begin(), other.store_.begin() + other.size_);
  CheckReadiness(0);
}

QDN_stringArray& QDN_stringArray::operator=(const QDN_stringArray& other) {
  (void)Assign(other);
  return *this;
}

int QDN_stringArray::Assign(const QDN_stringArray& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  try {
    std::vector<std::optional<std::string>> copy(source.store_.begin(),
                                                 source.store_.begin() + source.size_);
    store_ = std::move(copy);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  size_ = source.size_;
  count_ = source.count_;
  delta_ = source.delta_;
  Touch();
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

const char* QDN_stringArray::At(int i) const {
  if (i < 0 || i >= size_) return nullptr;
  const auto& slot = store_[static_cast<size_t>(i)];
  return slot ? slot->c_str() : nullptr;
}

std::string_view QDN_stringArray::ViewAt(int i) const {
  if (i < 0 || i >= size_) return {};
  const auto& slot = store_[static_cast<size_t>(i)];
  return slot ? std::string_view(*slot) : std::string_view();
}

int QDN_stringArray::SetAt(int index, const char* text) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= size_) return QDN_OUT_OF_RANGE;
  auto& slot = store_[static_cast<size_t>(index)];
  if (text) {
    slot.emplace(text);
  } else {
    slot.reset();
  }
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::Append(const char* text) { return InsertAt(count_, text); }

int QDN_stringArray::Grow() {
  if (size_ > INT_MAX - delta_) return QDN_OUT_OF_MEMORY;
  const size_t n = static_cast<size_t>(size_ + delta_);
  try {
    if (n > store_.capacity()) store_.reserve(std::max(n, 2 * store_.capacity()));
    store_.resize(n);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  size_ += delta_;
  return QDN_NO_ERROR;
}

int QDN_stringArray::InsertAt(int index, const char* text) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index > count_) return QDN_OUT_OF_RANGE;
  if (size_ == count_) CB_TRY(Grow());
  auto first = store_.begin() + index;
  std::move_backward(first, store_.begin() + count_, store_.begin() + count_ + 1);
  if (text) {
    first->emplace(text);
  } else {
    first->reset();
  }
  ++count_;
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::RemoveAt(int index) {
  if (!IsReady() || index < 0 || index >= count_) return QDN_OUT_OF_RANGE;
  --count_;
  if (IsOrdered()) {
    std::move(store_.begin() + index + 1, store_.begin() + count_ + 1, store_.begin() + index);
  } else {
    store_[static_cast<size_t>(index)] = std::move(store_[static_cast<size_t>(count_)]);
  }
  store_[static_cast<size_t>(count_)].reset();
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::IndexOf(const char* text) const {
  if (!IsReady() || !text || count_ < 1) return QDN_OUT_OF_RANGE;
  const std::string_view wanted(text);
  for (int i = 0; i < count_; ++i) {
    const auto& slot = store_[static_cast<size_t>(i)];
    if (slot && *slot == wanted) return i;
  }
  return QDN_OUT_OF_RANGE;
}

int QDN_stringArray::Resize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n == size_) return QDN_NO_ERROR;
  std::vector<std::optional<std::string>> fresh;
  try {
    fresh.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  const int delta = delta_;
  Release(0);
  delta_ = delta;
  store_ = std::move(fresh);
  size_ = n;
  Touch();
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_stringArray::EnsureSize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  Touch();
  if (n <= size_) return QDN_NO_ERROR;
  return Resize(n);
}

void QDN_stringArray::Clear() {
  count_ = 0;
  for (auto& slot : store_)
    slot.reset();
  Touch();
}

int QDN_stringArray::Adopt(QDN_stringArray& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  Release(0);
  store_ = std::move(donor.store_);
  size_ = donor.size_;
  count_ = donor.count_;
  delta_ = donor.delta_;
  donor.Release(0);
  Touch();
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_stringArray::Permute(const QDN_intArray& order) {
  const int n = PermutationLength(order, count_, size_);
  if (n < 0) return n;
  std::vector<std::optional<std::string>> old(std::make_move_iterator(store_.begin()),
                                              std::make_move_iterator(store_.begin() + n));
  for (int i = 0; i < n; ++i)
    store_[static_cast<size_t>(i)] = std::move(old[static_cast<size_t>(order.At(i))]);
  Touch();
  return QDN_NO_ERROR;
}

void QDN_stringArray::Release(int deep) {
  std::vector<std::optional<std::string>>().swap(store_);
  Touch();
  QDN_array::Release(deep);
}

void QDN_stringArray::CheckReadiness(int) {
  const bool ready =
      delta_ > 0 && ((size_ == 0 && count_ == 0) || (size_ > 0 && count_ >= 0 && count_ <= size_ &&
                                                     store_.size() >= static_cast<size_t>(size_)));
  AssignFlag(kReady, ready);
}
