#pragma once

#include <memory>

#include "core/QDN_array.h"

// Array of 32-bit integers. Up to 8 items live inside the object, so the many
// short handle lists (parents, children, coordinates, dimension sizes) cost no
// heap traffic; beyond that the capacity doubles.
class QDN_intArray : public QDN_array {
public:
  static constexpr int kInlineCapacity = 8;

  QDN_intArray() = default;
  // delta <= 0 becomes 10; a negative size leaves the array empty.
  QDN_intArray(int size, int delta);
  // Copies size, count and the first size items; delta is 10.
  QDN_intArray(const QDN_intArray& other);
  QDN_intArray& operator=(const QDN_intArray& other);
  ~QDN_intArray() override;

  int GetCapacity() const { return capacity_; }
  bool UsesHeap() const { return capacity_ > kInlineCapacity; }

  // Unchecked access to slot i (0 <= i < size).
  int& At(int i) { return Data()[i]; }
  int At(int i) const { return Data()[i]; }
  const int* Data() const { return UsesHeap() ? store_.heap : store_.items; }
  int* Data() { return UsesHeap() ? store_.heap : store_.items; }

  int Append(int value);
  // -2 when index is outside [0, count].
  int InsertAt(int index, int value);
  // -2 when index is outside [0, count).
  int RemoveAt(int index);
  int RemoveValue(int value);
  // First index below count holding value, or -2.
  int IndexOf(int value) const;
  int Contains(int value) const { return IndexOf(value) >= 0 ? 1 : 0; }
  // -2 when value is already present.
  int AppendUnique(int value);
  // Every slot of [0, size) becomes value; count unchanged.
  void Fill(int value);
  // count := 0, size := n; items are kept only when they already fit.
  int Resize(int n);
  // count := 0; the items are kept when n <= size.
  int EnsureSize(int n);
  // Makes room for n slots (size >= n), doubling the capacity when needed.
  void GrowTo(int n);
  // Sets count to 0 and keeps the items.
  void Clear() { count_ = 0; }
  // Copies size, count and items; delta and flags stay.
  int CopyFrom(const QDN_intArray& source);
  // Takes over the donor's storage; the donor is left empty.
  int Adopt(QDN_intArray& donor);
  // new[i] = old[order[i]]; order must be a permutation over the count (or size) items.
  int Permute(const QDN_intArray& order);
  void Release(int deep) override;

private:
  // Moves the first keep items to fresh heap storage of capacity slots.
  void Reallocate(int capacity, int keep);
  // Frees the heap storage, if any; the items are inline again (capacity 8).
  void FreeHeap();

  // The items are in store_.heap (owned) exactly when the capacity exceeds
  // kInlineCapacity; the inline slots and the pointer share their bytes.
  int capacity_ = kInlineCapacity;
  union {
    int items[kInlineCapacity];
    int* heap;
  } store_ = {};
};
