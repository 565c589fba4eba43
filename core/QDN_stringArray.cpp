#include "core/QDN_stringArray.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_textPool.h"

QDN_stringArray::QDN_stringArray(int size, int delta) : QDN_array(delta) {
  (void)Resize(size);
  CheckReadiness(0);
}

QDN_stringArray::QDN_stringArray(const QDN_stringArray& other) : QDN_array(other) {
  if (CopyStorage(other, other.size_) != QDN_NO_ERROR) throw std::bad_alloc();
  CheckReadiness(0);
}

QDN_stringArray& QDN_stringArray::operator=(const QDN_stringArray& other) {
  (void)Assign(other);
  return *this;
}

uint32_t QDN_stringArray::Footprint(uint32_t offset) const {
  return QDN_textPool::Footprint(Pool(), offset);
}

int QDN_stringArray::CopyStorage(const QDN_stringArray& source, int size) {
  size_t slots = std::min<size_t>(size > 0 ? static_cast<size_t>(size) : 0, source.slot_capacity_);
  const uint32_t* from = source.Slots();
  // Empty slots past the count and the last text are left out: they read as
  // empty, and a change that reaches them makes room first.
  while (slots > static_cast<size_t>(std::max(source.count_, 0)) && from[slots - 1] == kEmptySlot)
    --slots;
  const size_t bytes = QDN_textPool::Bytes(from, slots, source.Pool());
  if (bytes > QDN_textPool::kMaxBytes) return QDN_OUT_OF_MEMORY;
  const size_t pool = QDN_textPool::RoundToWords(bytes);
  // The copy is built apart: source is another array, but the words in
  // place are shared with the pointer to this array's old block.
  const bool in_place = slots + pool / 4 <= kInlineWords;
  uint32_t words[kInlineWords];
  std::unique_ptr<uint32_t[]> heap;
  if (!in_place) {
    try {
      heap.reset(new uint32_t[slots + pool / 4]);
    } catch (const std::bad_alloc&) {
      return QDN_OUT_OF_MEMORY;
    }
  }
  uint32_t* block = in_place ? words : heap.get();
  const uint32_t used = QDN_textPool::Compact(from, slots, source.Pool(), block,
                                              reinterpret_cast<char*>(block + slots));
  if (in_place) {
    FreeStorage();
    std::memcpy(storage_.words, words, sizeof words);
    in_place_ = 1;
  } else {
    TakeHeap(std::move(heap));
  }
  slot_capacity_ = static_cast<uint32_t>(slots);
  pool_capacity_ = static_cast<uint32_t>(pool);
  pool_used_ = used;
  garbage_ = 0;
  return QDN_NO_ERROR;
}

int QDN_stringArray::Store(size_t slots, const char* text, uint32_t& offset) {
  const size_t need = text ? std::strlen(text) + 1 : 0;
  if (slots <= slot_capacity_ && need <= pool_capacity_ - pool_used_) {
    if (text) {
      std::memcpy(Pool() + pool_used_, text, need);
      offset = pool_used_;
      pool_used_ += static_cast<uint32_t>(need);
    }
    return QDN_NO_ERROR;
  }
  // A new block: the slots grow geometrically, the pool to twice the texts
  // it keeps and at least a byte a slot, so the copy a new block costs is
  // paid for by the texts stored before the next one, and a run of appends
  // or replacements takes linear time. A pool that is mostly in use is
  // copied as it is; otherwise only the texts in use.
  const bool compact = garbage_ > pool_used_ / 4;
  const size_t live = compact ? pool_used_ - garbage_ : pool_used_;
  if (need > QDN_textPool::kMaxBytes - live) return QDN_OUT_OF_MEMORY;
  size_t new_slots = slot_capacity_;
  if (slots > new_slots)
    new_slots = std::max(slots, std::min<size_t>(2 * size_t{slot_capacity_}, INT_MAX));
  size_t new_pool = pool_capacity_;
  if (need > pool_capacity_ - pool_used_)
    new_pool = QDN_textPool::RoundToWords(
        std::min(std::max({size_t{16}, 2 * (live + need), new_slots}), QDN_textPool::kMaxBytes));
  std::unique_ptr<uint32_t[]> block;
  try {
    block.reset(new uint32_t[new_slots + new_pool / 4]);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  char* chars = reinterpret_cast<char*>(block.get() + new_slots);
  uint32_t used = 0;
  const size_t size = std::min<size_t>(static_cast<size_t>(size_), slot_capacity_);
  if (compact) {
    used = QDN_textPool::Compact(Slots(), size, Pool(), block.get(), chars);
  } else {
    std::copy_n(Slots(), size, block.get());
    if (pool_used_ > 0) std::memcpy(chars, Pool(), pool_used_);
    used = pool_used_;
  }
  std::fill(block.get() + size, block.get() + new_slots, kEmptySlot);
  // text may lie in the old block: it is copied before that is freed.
  if (text) {
    std::memcpy(chars + used, text, need);
    offset = used;
    used += static_cast<uint32_t>(need);
  }
  TakeHeap(std::move(block));
  slot_capacity_ = static_cast<uint32_t>(new_slots);
  pool_capacity_ = static_cast<uint32_t>(new_pool);
  pool_used_ = used;
  if (compact) garbage_ = 0;
  return QDN_NO_ERROR;
}

void QDN_stringArray::FreeStorage() {
  if (!in_place_) delete[] storage_.heap;
  storage_.heap = nullptr;
  in_place_ = 0;
  slot_capacity_ = 0;
  pool_capacity_ = 0;
  pool_used_ = 0;
  garbage_ = 0;
}

void QDN_stringArray::TakeHeap(std::unique_ptr<uint32_t[]> block) {
  if (!in_place_) delete[] storage_.heap;
  storage_.heap = block.release();
  in_place_ = 0;
}

int QDN_stringArray::Assign(const QDN_stringArray& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(CopyStorage(source, source.size_));
  size_ = source.size_;
  count_ = source.count_;
  delta_ = source.delta_;
  Touch();
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_stringArray::SetAt(int index, const char* text) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= size_) return QDN_OUT_OF_RANGE;
  uint32_t offset = kEmptySlot;
  CB_TRY(Store(static_cast<size_t>(size_), text, offset));
  uint32_t& slot = Slots()[index];
  if (slot != kEmptySlot) garbage_ += Footprint(slot);
  slot = offset;
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::Append(const char* text) { return InsertAt(count_, text); }

int QDN_stringArray::InsertAt(int index, const char* text) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index > count_) return QDN_OUT_OF_RANGE;
  int size = size_;
  if (size_ == count_) {
    if (size_ > INT_MAX - delta_) return QDN_OUT_OF_MEMORY;
    size = size_ + delta_;
  }
  uint32_t offset = kEmptySlot;
  CB_TRY(Store(static_cast<size_t>(size), text, offset));
  size_ = size; // slots past the old size are empty
  uint32_t* slots = Slots();
  // The slot past the count may hold a text; it is overwritten, as a shift
  // of the items would overwrite it.
  if (slots[count_] != kEmptySlot) garbage_ += Footprint(slots[count_]);
  std::memmove(slots + index + 1, slots + index, static_cast<size_t>(count_ - index) * 4);
  slots[index] = offset;
  ++count_;
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::RemoveAt(int index) {
  if (!IsReady() || index < 0 || index >= count_) return QDN_OUT_OF_RANGE;
  uint32_t* slots = Slots();
  if (slots[index] != kEmptySlot) garbage_ += Footprint(slots[index]);
  --count_;
  if (IsOrdered()) {
    std::memmove(slots + index, slots + index + 1, static_cast<size_t>(count_ - index) * 4);
  } else {
    slots[index] = slots[count_];
  }
  slots[count_] = kEmptySlot;
  Touch();
  return QDN_NO_ERROR;
}

int QDN_stringArray::IndexOf(const char* text) const {
  if (!IsReady() || !text || count_ < 1) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < count_; ++i) {
    const uint32_t offset = Slots()[i];
    if (offset != kEmptySlot && std::strcmp(TextAt(offset), text) == 0) return i;
  }
  return QDN_OUT_OF_RANGE;
}

int QDN_stringArray::Resize(int n) {
  if (n < 0) return QDN_OUT_OF_RANGE;
  if (!IsReady()) Release(0);
  count_ = 0;
  if (n == size_) return QDN_NO_ERROR;
  std::unique_ptr<uint32_t[]> fresh;
  if (n > 0) {
    try {
      fresh.reset(new uint32_t[static_cast<size_t>(n)]);
    } catch (const std::bad_alloc&) {
      return QDN_OUT_OF_MEMORY;
    }
    std::fill_n(fresh.get(), n, kEmptySlot);
  }
  const int delta = delta_;
  Release(0);
  delta_ = delta;
  TakeHeap(std::move(fresh));
  slot_capacity_ = static_cast<uint32_t>(n);
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
  std::fill_n(Slots(), slot_capacity_, kEmptySlot);
  pool_used_ = 0;
  garbage_ = 0;
  Touch();
}

int QDN_stringArray::Adopt(QDN_stringArray& donor) {
  if (!donor.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&donor == this) return QDN_NO_ERROR;
  Release(0);
  // The storage moves as it is: words in place hold offsets, not pointers.
  storage_ = donor.storage_;
  in_place_ = donor.in_place_;
  donor.storage_.heap = nullptr;
  donor.in_place_ = 0;
  slot_capacity_ = donor.slot_capacity_;
  pool_capacity_ = donor.pool_capacity_;
  pool_used_ = donor.pool_used_;
  garbage_ = donor.garbage_;
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
  uint32_t unused = kEmptySlot;
  CB_TRY(Store(static_cast<size_t>(n), nullptr, unused));
  uint32_t* slots = Slots();
  const std::vector<uint32_t> old(slots, slots + n);
  for (int i = 0; i < n; ++i)
    slots[i] = old[static_cast<size_t>(order.At(i))];
  Touch();
  return QDN_NO_ERROR;
}

void QDN_stringArray::Release(int deep) {
  FreeStorage();
  Touch();
  QDN_array::Release(deep);
}

void QDN_stringArray::CheckReadiness(int) {
  const bool ready = delta_ > 0 && ((size_ == 0 && count_ == 0) ||
                                    (size_ > 0 && count_ >= 0 && count_ <= size_ &&
                                     slot_capacity_ >= static_cast<uint32_t>(count_)));
  AssignFlag(kReady, ready);
}
