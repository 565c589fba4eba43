#include "network/QDN_costDefinition.h"

#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"

int QDN_costDefinition::OutcomesOf(int handle) const {
  const int outcomes = network_->GetNumberOfOutcomes(handle);
  return outcomes > 0 ? outcomes : 1;
}

int QDN_costDefinition::Dimension(int parent) const {
  const int index = parents_.IndexOf(parent);
  return index < 0 ? index : index + 1;
}

long long QDN_costDefinition::GetExpectedSize() const {
  long long size = 1;
  for (int i = 0; i < parents_.GetCount(); ++i) {
    size *= OutcomesOf(parents_.At(i));
    if (size > QDN_Dmatrix::kMaxCells) return QDN_OUT_OF_RANGE;
  }
  return size;
}

int QDN_costDefinition::SetCosts(const double* values, int count) {
  if (count != GetExpectedSize()) return QDN_OUT_OF_RANGE;
  QDN_intArray sizes;
  (void)sizes.Append(1);
  for (int i = 0; i < parents_.GetCount(); ++i)
    (void)sizes.Append(OutcomesOf(parents_.At(i)));
  CB_TRY(costs_.Setup(sizes));
  for (int i = 0; i < count; ++i)
    costs_.At(i) = values[i];
  return QDN_NO_ERROR;
}

int QDN_costDefinition::AddParent(int parent) {
  if (parent == handle_ || parents_.Contains(parent)) return QDN_OUT_OF_RANGE;
  if (HasCosts()) CB_TRY(costs_.AddDimension(OutcomesOf(parent)));
  return parents_.Append(parent);
}

int QDN_costDefinition::RemoveParent(int parent) {
  const int dim = Dimension(parent);
  if (dim < 0) return QDN_OUT_OF_RANGE;
  if (HasCosts()) CB_TRY(costs_.RemoveDimension(dim, 0));
  return parents_.RemoveValue(parent);
}

int QDN_costDefinition::AddParentOutcome(int parent, int position) {
  const int dim = Dimension(parent);
  if (dim < 0) return QDN_OUT_OF_RANGE;
  if (!HasCosts()) return QDN_NO_ERROR;
  CB_TRY(costs_.IncreaseDimensionSize(dim));
  CB_TRY(costs_.OpenPosition(dim, position));
  // The opened slice reads 0; a new parent state has no cost yet.
  QDN_intArray coords;
  for (int i = 0; i < costs_.GetNumberOfDimensions(); ++i)
    (void)coords.Append(0);
  do {
    if (coords.At(dim) == position) costs_.At(coords) = kNotApplicableValue;
  } while (costs_.NextCoordinates(coords) == QDN_NO_ERROR);
  return QDN_NO_ERROR;
}

int QDN_costDefinition::RemoveParentOutcome(int parent, int position) {
  const int dim = Dimension(parent);
  if (dim < 0) return QDN_OUT_OF_RANGE;
  if (!HasCosts()) return QDN_NO_ERROR;
  CB_TRY(costs_.ClosePosition(dim, position));
  return costs_.DecreaseDimensionSize(dim);
}

int QDN_costDefinition::ReorderParentOutcomes(int parent, const QDN_intArray& order) {
  const int dim = Dimension(parent);
  if (dim < 0) return QDN_OUT_OF_RANGE;
  if (!HasCosts()) return QDN_NO_ERROR;
  return costs_.ChangeOrderWithinDimension(dim, order);
}

int QDN_costDefinition::RebuildParent(int parent) {
  const int dim = Dimension(parent);
  if (dim < 0) return QDN_OUT_OF_RANGE;
  if (!HasCosts()) return QDN_NO_ERROR;
  CB_TRY(costs_.ResizeDimension(dim, OutcomesOf(parent)));
  return costs_.Fill(kNotApplicableValue);
}
