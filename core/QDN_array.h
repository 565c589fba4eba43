#pragma once

#include "core/QDN_object.h"

// Base of the typed arrays. The size is the number of addressable slots, the
// count the number of slots in use (0 <= count <= size for a ready array).
// delta is the growth step of the string and double arrays.
class QDN_array : public QDN_object {
public:
  static constexpr int kDefaultDelta = 10;

  QDN_array() = default;
  explicit QDN_array(int delta) : delta_(delta > 0 ? delta : kDefaultDelta) {}

  int GetSize() const { return size_; }
  int GetCount() const { return count_; }
  int GetDelta() const { return delta_; }

  // Empties the array; the growth step returns to 10.
  void Release(int deep) override;

protected:
  int size_ = 0;
  int count_ = 0;
  int delta_ = kDefaultDelta;
};

// Checks that order is a permutation of [0, n) and that n fits the array's
// count or size; returns n, or QDN_OUT_OF_RANGE.
class QDN_intArray;
int PermutationLength(const QDN_intArray& order, int count, int size);
