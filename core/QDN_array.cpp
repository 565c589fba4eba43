#include "core/QDN_array.h"

#include <vector>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"

void QDN_array::Release(int) {
  SetFlag(kReady);
  count_ = 0;
  size_ = 0;
  delta_ = kDefaultDelta;
  CheckReadiness(0);
}

int PermutationLength(const QDN_intArray& order, int count, int size) {
  int n = 0;
  if (order.GetCount() == count) {
    n = count;
  } else if (order.GetCount() == size) {
    n = size;
  } else {
    return QDN_OUT_OF_RANGE;
  }
  std::vector<bool> seen(static_cast<size_t>(n), false);
  for (int i = 0; i < n; ++i) {
    const int j = order.At(i);
    if (j < 0 || j >= n || seen[static_cast<size_t>(j)]) return QDN_OUT_OF_RANGE;
    seen[static_cast<size_t>(j)] = true;
  }
  return n;
}
