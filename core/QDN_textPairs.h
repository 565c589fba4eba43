#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/QDN_textPool.h"

// Ordered pairs of texts, either of which may be null (user properties:
// name and value; documentation links: title and path). The whole list is
// one heap block, made with the first pair: a small head, two 32-bit
// offsets a pair, then the texts, each ended by a NUL. It costs one pointer
// while empty. A replaced or removed text stays in the block until the block
// is next reallocated, which copies only the texts in use. A text returned by
// First or Second stays valid until the list next changes.
class QDN_textPairs {
public:
  QDN_textPairs() = default;
  // Throws std::bad_alloc when the copy cannot be made.
  QDN_textPairs(const QDN_textPairs& other);
  QDN_textPairs(QDN_textPairs&& other) noexcept = default;
  QDN_textPairs& operator=(const QDN_textPairs& other);
  QDN_textPairs& operator=(QDN_textPairs&& other) noexcept = default;
  ~QDN_textPairs() = default;

  int Count() const { return block_ ? static_cast<int>(block_[kCount]) : 0; }
  // The first or second text of pair i, or nullptr for a null text or an
  // index outside [0, count).
  const char* First(int i) const { return Text(i, 0); }
  const char* Second(int i) const { return Text(i, 1); }
  // Index of the first pair whose first text equals text byte for byte, or -2.
  int FindFirst(const char* text) const;

  // Inserts a pair before index; -2 when index is outside [0, count], -42
  // when the block cannot be made. The texts may point into this list.
  [[nodiscard]] int Insert(int index, const char* first, const char* second);
  // -2 when index is outside [0, count).
  [[nodiscard]] int SetSecond(int index, const char* second);
  int Remove(int index);
  // -42 (this list unchanged) when the copy cannot be made.
  [[nodiscard]] int Assign(const QDN_textPairs& source);
  // Frees the block: the list is empty.
  void Clear() { block_.reset(); }

private:
  static constexpr uint32_t kNull = QDN_textPool::kNoText;
  // Head words of the block.
  static constexpr size_t kCount = 0;
  static constexpr size_t kPairCapacity = 1;
  static constexpr size_t kPoolCapacity = 2;
  static constexpr size_t kPoolUsed = 3;
  // Bytes of the pool held by texts no pair refers to.
  static constexpr size_t kGarbage = 4;
  static constexpr size_t kHead = 5;

  uint32_t* Slots() const { return block_.get() + kHead; }
  char* Pool() const {
    return reinterpret_cast<char*>(Slots() + 2 * size_t{block_[kPairCapacity]});
  }
  const char* Text(int i, int which) const {
    if (i < 0 || i >= Count()) return nullptr;
    const uint32_t offset = Slots()[2 * static_cast<size_t>(i) + static_cast<size_t>(which)];
    return offset == kNull ? nullptr : Pool() + offset;
  }
  // Makes sure a further pairs pairs and bytes bytes of text fit, moving the
  // texts in use to a new block when they do not. The old block is handed to
  // keep, so texts that point into it stay readable until the caller is done.
  [[nodiscard]] int Reserve(size_t pairs, size_t bytes, std::unique_ptr<uint32_t[]>& keep);
  // Copies text (when not null) to the end of the pool; the room is reserved.
  uint32_t Append(const char* text, size_t length);
  // Bytes the text at offset takes in the pool, its NUL included (0 for null).
  uint32_t Footprint(uint32_t offset) const;

  std::unique_ptr<uint32_t[]> block_;
};
