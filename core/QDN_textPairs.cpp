#include "core/QDN_textPairs.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "core/QDN_status.h"
#include "core/QDN_textPool.h"

namespace {

constexpr size_t kMaxPool = QDN_textPool::kMaxBytes;
// The most pairs: two slots each, counted in an int.
constexpr size_t kMaxPairs = INT_MAX / 2;

size_t Length(const char* text) { return text ? std::strlen(text) + 1 : 0; }

} // namespace

QDN_textPairs::QDN_textPairs(const QDN_textPairs& other) {
  if (Assign(other) != QDN_NO_ERROR) throw std::bad_alloc();
}

QDN_textPairs& QDN_textPairs::operator=(const QDN_textPairs& other) {
  if (Assign(other) != QDN_NO_ERROR) throw std::bad_alloc();
  return *this;
}

uint32_t QDN_textPairs::Footprint(uint32_t offset) const {
  return QDN_textPool::Footprint(Pool(), offset);
}

int QDN_textPairs::FindFirst(const char* text) const {
  if (!text) return QDN_OUT_OF_RANGE;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    const uint32_t offset = Slots()[2 * static_cast<size_t>(i)];
    if (offset != kNull && std::strcmp(Pool() + offset, text) == 0) return i;
  }
  return QDN_OUT_OF_RANGE;
}

int QDN_textPairs::Reserve(size_t pairs, size_t bytes, std::unique_ptr<uint32_t[]>& keep) {
  const size_t count = static_cast<size_t>(Count());
  const size_t pair_capacity = block_ ? block_[kPairCapacity] : 0;
  if (block_ && count + pairs <= pair_capacity &&
      bytes <= block_[kPoolCapacity] - block_[kPoolUsed])
    return QDN_NO_ERROR;
  // A new block: the pairs grow geometrically, the pool to twice the texts
  // it keeps, so the copy a new block costs is paid for by the texts stored
  // before the next one and a run of inserts or replacements takes linear time.
  const size_t live = block_ ? block_[kPoolUsed] - block_[kGarbage] : 0;
  if (bytes > kMaxPool - live || count + pairs > kMaxPairs) return QDN_OUT_OF_MEMORY;
  const size_t new_pairs =
      std::max({count + pairs, std::min(2 * pair_capacity, kMaxPairs), size_t{2}});
  const size_t new_pool =
      QDN_textPool::RoundToWords(std::min(std::max(size_t{32}, 2 * (live + bytes)), kMaxPool));
  std::unique_ptr<uint32_t[]> fresh;
  try {
    fresh.reset(new uint32_t[kHead + 2 * new_pairs + new_pool / 4]);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  uint32_t* slots = fresh.get() + kHead;
  // The first block has no texts to move (and no old pool to read).
  const uint32_t used = block_
                            ? QDN_textPool::Compact(Slots(), 2 * count, Pool(), slots,
                                                    reinterpret_cast<char*>(slots + 2 * new_pairs))
                            : 0;
  fresh[kCount] = static_cast<uint32_t>(count);
  fresh[kPairCapacity] = static_cast<uint32_t>(new_pairs);
  fresh[kPoolCapacity] = static_cast<uint32_t>(new_pool);
  fresh[kPoolUsed] = used;
  fresh[kGarbage] = 0;
  keep = std::exchange(block_, std::move(fresh));
  return QDN_NO_ERROR;
}

uint32_t QDN_textPairs::Append(const char* text, size_t length) {
  if (!text) return kNull;
  const uint32_t offset = block_[kPoolUsed];
  // The room lies past every text in use, so text, even one in this pool,
  // does not overlap it.
  std::memcpy(Pool() + offset, text, length);
  block_[kPoolUsed] = offset + static_cast<uint32_t>(length);
  return offset;
}

int QDN_textPairs::Insert(int index, const char* first, const char* second) {
  const int count = Count();
  if (index < 0 || index > count) return QDN_OUT_OF_RANGE;
  const size_t first_length = Length(first);
  const size_t second_length = Length(second);
  if (first_length + second_length > kMaxPool) return QDN_OUT_OF_MEMORY;
  // The old block, when one is replaced, lives until both texts are copied.
  std::unique_ptr<uint32_t[]> old;
  CB_TRY(Reserve(1, first_length + second_length, old));
  const uint32_t first_offset = Append(first, first_length);
  const uint32_t second_offset = Append(second, second_length);
  uint32_t* slot = Slots() + 2 * static_cast<size_t>(index);
  std::memmove(slot + 2, slot, 2 * static_cast<size_t>(count - index) * sizeof(uint32_t));
  slot[0] = first_offset;
  slot[1] = second_offset;
  ++block_[kCount];
  return QDN_NO_ERROR;
}

int QDN_textPairs::SetSecond(int index, const char* second) {
  if (index < 0 || index >= Count()) return QDN_OUT_OF_RANGE;
  const size_t length = Length(second);
  std::unique_ptr<uint32_t[]> old;
  CB_TRY(Reserve(0, length, old));
  uint32_t& slot = Slots()[2 * static_cast<size_t>(index) + 1];
  const uint32_t replaced = Footprint(slot);
  slot = Append(second, length);
  block_[kGarbage] += replaced;
  return QDN_NO_ERROR;
}

int QDN_textPairs::Remove(int index) {
  const int count = Count();
  if (index < 0 || index >= count) return QDN_OUT_OF_RANGE;
  uint32_t* slot = Slots() + 2 * static_cast<size_t>(index);
  block_[kGarbage] += Footprint(slot[0]) + Footprint(slot[1]);
  std::memmove(slot, slot + 2, 2 * static_cast<size_t>(count - index - 1) * sizeof(uint32_t));
  --block_[kCount];
  return QDN_NO_ERROR;
}

int QDN_textPairs::Assign(const QDN_textPairs& source) {
  if (&source == this) return QDN_NO_ERROR;
  if (source.Count() == 0) {
    Clear();
    return QDN_NO_ERROR;
  }
  // The texts in use are copied into a fresh list of exactly their room.
  const size_t count = static_cast<size_t>(source.Count());
  const size_t pool =
      QDN_textPool::RoundToWords(QDN_textPool::Bytes(source.Slots(), 2 * count, source.Pool()));
  std::unique_ptr<uint32_t[]> copy;
  try {
    copy.reset(new uint32_t[kHead + 2 * count + pool / 4]);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  uint32_t* slots = copy.get() + kHead;
  copy[kCount] = static_cast<uint32_t>(count);
  copy[kPairCapacity] = static_cast<uint32_t>(count);
  copy[kPoolCapacity] = static_cast<uint32_t>(pool);
  copy[kPoolUsed] = QDN_textPool::Compact(source.Slots(), 2 * count, source.Pool(), slots,
                                          reinterpret_cast<char*>(slots + 2 * count));
  copy[kGarbage] = 0;
  block_ = std::move(copy);
  return QDN_NO_ERROR;
}
