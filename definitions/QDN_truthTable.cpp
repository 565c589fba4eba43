#include "definitions/QDN_truthTable.h"

#include <algorithm>

#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "network/QDN_network.h"

QDN_truthTable::QDN_truthTable(QDN_network* network, int handle) : QDN_cpt(network, handle) {
  PointToFirstOutcome();
}

void QDN_truthTable::PointToFirstOutcome() {
  (void)table_.Fill(0.0);
  for (int i = 0; i < table_.GetSize(); ++i)
    (void)table_.ComplementAt(i);
}

int QDN_truthTable::CreateTable() {
  // A rebuilt table stays deterministic rather than uniform.
  CB_TRY(QDN_cpt::CreateTable());
  PointToFirstOutcome();
  return QDN_NO_ERROR;
}

int QDN_truthTable::SetResultingState(const QDN_intArray& coords) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!table_.IsValidCoordinates(coords)) return QDN_OUT_OF_RANGE;
  const int index = table_.CoordinatesToIndex(coords);
  const int start = index - coords.At(table_.GetNumberOfDimensions() - 1);
  std::fill_n(table_.GetItems().Data() + start, outcomes_, 0.0);
  table_.At(index) = 1.0;
  return QDN_NO_ERROR;
}

int QDN_truthTable::SetResultingStates(const QDN_intArray& states) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (outcomes_ < 1) return QDN_OUT_OF_RANGE;
  const int runs = table_.GetSize() / outcomes_;
  if (states.GetSize() < runs) return QDN_OUT_OF_RANGE;
  double* cells = table_.GetItems().Data();
  for (int r = 0; r < runs; ++r) {
    int state = states.At(r);
    if (state < 0 || state >= outcomes_) state = 0;
    std::fill_n(cells + r * outcomes_, outcomes_, 0.0);
    cells[r * outcomes_ + state] = 1.0;
  }
  Notify(QDN_network::kValuesChanged);
  return QDN_NO_ERROR;
}

int QDN_truthTable::SetResultingStates(const QDN_stringArray& names) {
  QDN_intArray states;
  CB_TRY(states.Resize(names.GetCount()));
  for (int i = 0; i < names.GetCount(); ++i) {
    const int index = ids_.IndexOf(names.At(i));
    states.At(i) = index < 0 ? 0 : index;
  }
  return SetResultingStates(states);
}

int QDN_truthTable::GetResultingStates(QDN_stringArray& out) const {
  if (!out.IsReady()) return QDN_OBJECT_NOT_READY;
  if (outcomes_ < 1) return QDN_NO_ERROR;
  const double* cells = table_.GetItems().Data();
  for (int start = 0; start < table_.GetSize(); start += outcomes_) {
    int state = 0;
    for (int k = 0; k < outcomes_; ++k)
      if (cells[start + k] == 1.0) state = k;
    CB_TRY(out.Append(ids_.At(state)));
  }
  return QDN_NO_ERROR;
}

int QDN_truthTable::MakeDeterministic() {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (outcomes_ < 1) return QDN_NO_ERROR;
  double* cells = table_.GetItems().Data();
  for (int start = 0; start < table_.GetSize(); start += outcomes_) {
    double best = 0.0;
    int chosen = 0;
    for (int k = 0; k < outcomes_; ++k) {
      if (cells[start + k] >= best) {
        best = cells[start + k];
        chosen = k;
      }
    }
    std::fill_n(cells + start, outcomes_, 0.0);
    cells[start + chosen] = 1.0;
  }
  return QDN_NO_ERROR;
}

int QDN_truthTable::CopyParameters(const QDN_nodeDefinition& source) {
  CB_TRY(QDN_cpt::CopyParameters(source));
  return MakeDeterministic();
}

void QDN_truthTable::CheckConsistency(int deep) {
  const double* cells = table_.GetItems().Data();
  for (int i = 0; i < table_.GetSize(); ++i) {
    if (cells[i] != 0.0 && cells[i] != 1.0) {
      ClearFlag(kConsistent);
      return;
    }
  }
  QDN_cpt::CheckConsistency(deep);
}
