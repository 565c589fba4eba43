#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/QDN_array.h"
#include "core/QDN_textPool.h"

class QDN_intArray;

// Array of texts. Every slot is empty (null) or holds the array's own copy of
// a text. Growth follows the double array: the addressable size grows by
// delta, the storage behind it geometrically.
//
// Most arrays hold a few short texts (outcome names), so the storage is one
// block: a 32-bit offset per slot, then the texts, each ended by a NUL. A
// replaced or removed text stays in the block until the block is next
// reallocated, which copies only the texts in use. A text returned by At
// stays valid until the array next changes. A copy leaves out the empty
// slots past the count and the last text (they read as empty until a change
// reaches them), and one that then fits in a few words (two short outcome
// names) is kept inside the array, with no heap block.
class QDN_stringArray : public QDN_array {
public:
  QDN_stringArray() = default;
  QDN_stringArray(int size, int delta);
  QDN_stringArray(const QDN_stringArray& other);
  QDN_stringArray& operator=(const QDN_stringArray& other);
  ~QDN_stringArray() override { FreeStorage(); }

  // The text of slot i, or nullptr for an empty slot or an index outside [0, size).
  const char* At(int i) const {
    if (i < 0 || i >= size_ || static_cast<uint32_t>(i) >= slot_capacity_) return nullptr;
    const uint32_t offset = Slots()[i];
    return offset == kEmptySlot ? nullptr : TextAt(offset);
  }
  // The text of slot i as a view (empty for an empty slot).
  std::string_view ViewAt(int i) const {
    const char* text = At(i);
    return text ? std::string_view(text) : std::string_view();
  }

  int Assign(const QDN_stringArray& source);
  // -2 when index is outside [0, size); a null text empties the slot.
  virtual int SetAt(int index, const char* text);
  virtual int Append(const char* text);
  // -2 when index is outside [0, count].
  virtual int InsertAt(int index, const char* text);
  int RemoveAt(int index);
  // First index below count whose text equals text byte for byte, or -2.
  int IndexOf(const char* text) const;
  int Contains(const char* text) const { return IndexOf(text) >= 0 ? 1 : 0; }
  // count := 0; a different size discards the texts.
  int Resize(int n);
  int EnsureSize(int n);
  // count := 0 and every slot emptied.
  void Clear();
  int Adopt(QDN_stringArray& donor);
  int Permute(const QDN_intArray& order);
  void Release(int deep) override;
  void CheckReadiness(int deep) override;

protected:
  // Incremented by every change of the slots, so derived classes can tell
  // whether a cache built over the texts is still current.
  unsigned long long Version() const { return version_; }

private:
  static constexpr uint32_t kEmptySlot = QDN_textPool::kNoText;
  // Words of storage kept inside the array.
  static constexpr size_t kInlineWords = 6;

  uint32_t* Slots() const {
    return in_place_ ? const_cast<uint32_t*>(storage_.words) : storage_.heap;
  }
  char* Pool() const { return reinterpret_cast<char*>(Slots() + slot_capacity_); }
  const char* TextAt(uint32_t offset) const { return Pool() + offset; }
  // Bytes the text at offset takes in the pool, its NUL included (0 for an
  // empty slot).
  uint32_t Footprint(uint32_t offset) const;
  // Makes room for slots slots and for text (when not null) and copies text
  // into the pool, setting offset to where it starts. The old block is freed
  // only after text is copied, so text may point into it. Slots past size_
  // that a new block adds are empty. -42 when the block cannot be made.
  [[nodiscard]] int Store(size_t slots, const char* text, uint32_t& offset);
  // Copies the first size slots of source and the texts they hold into a
  // new block of exactly that room, kept in place when it fits.
  [[nodiscard]] int CopyStorage(const QDN_stringArray& source, int size);
  void FreeStorage();
  // Frees the old storage and takes block (a heap block, or null).
  void TakeHeap(std::unique_ptr<uint32_t[]> block);
  void Touch() { ++version_; }

  // slot_capacity_ offsets, then pool_capacity_ bytes of texts: in words
  // while in_place_, else in the heap block (null for no room).
  union Storage {
    uint32_t* heap;
    uint32_t words[kInlineWords];
  } storage_ = {nullptr};
  uint32_t slot_capacity_ : 31 = 0;
  uint32_t in_place_ : 1 = 0;
  uint32_t pool_capacity_ = 0;
  uint32_t pool_used_ = 0;
  // Bytes of the pool held by texts no slot refers to.
  uint32_t garbage_ = 0;
  unsigned long long version_ = 0;
};
