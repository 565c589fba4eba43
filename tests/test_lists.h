#pragma once

// Arrays and tables built from and shown as brace lists, for tests.

#include <initializer_list>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_stringArray.h"

inline QDN_intArray IntList(std::initializer_list<int> values) {
  QDN_intArray a;
  for (int v : values)
    (void)a.Append(v);
  return a;
}

// Size and count both equal to the number of values, as readers build them.
inline QDN_doubleArray DoubleList(std::initializer_list<double> values) {
  QDN_doubleArray a;
  (void)a.Resize(static_cast<int>(values.size()));
  for (double v : values)
    (void)a.Append(v);
  return a;
}

inline QDN_stringArray TextList(std::initializer_list<const char*> values) {
  QDN_stringArray a;
  for (const char* v : values)
    (void)a.Append(v);
  return a;
}

inline std::vector<double> CellsOf(const QDN_Dmatrix& m) {
  return std::vector<double>(m.GetItems().Data(), m.GetItems().Data() + m.GetSize());
}
