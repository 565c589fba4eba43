#pragma once

#include <vector>

#include "core/QDN_array.h"

class QDN_intArray;

// Array of doubles. Appending and inserting grow the addressable size by delta
// slots when size = count; the storage behind it grows geometrically, so
// appending n values costs O(n) in total.
class QDN_doubleArray : public QDN_array {
public:
  static constexpr double kOutOfRangeValue = -2.0;

  QDN_doubleArray() = default;
  QDN_doubleArray(int size, int delta);
  QDN_doubleArray(const QDN_doubleArray& other);
  // Same as Assign; a failure leaves this array unchanged.
  QDN_doubleArray& operator=(const QDN_doubleArray& other);
  ~QDN_doubleArray() override = default;

  // Slot i, or the out-of-range slot (reading -2.0) for i outside [0, size).
  // The out-of-range slot is shared by the arrays of a thread; it is reset
  // to -2.0 on every access, so a write to it is lost at the next one.
  double& At(int i);
  double At(int i) const;
  const double* Data() const { return store_.data(); }
  double* Data() { return store_.data(); }

  int Assign(const QDN_doubleArray& source);
  int Append(double value);
  int InsertAt(int index, double value);
  int RemoveAt(int index);
  // Copies the first min(source size, size) values; size and count stay.
  int CopyValues(const QDN_doubleArray& source);
  // count := 0; a different size discards the values (new slots read 0).
  int Resize(int n);
  // Takes values as its items (size = count = their number) and hands its
  // old storage back in values, for reuse.
  int SwapValues(std::vector<double>& values);
  int EnsureSize(int n);
  void Clear() { count_ = 0; }
  int Adopt(QDN_doubleArray& donor);
  int Permute(const QDN_intArray& order);
  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  [[nodiscard]] int Grow();

  // store_.size() >= size_; the slots past size_ are spare storage.
  std::vector<double> store_;
};
