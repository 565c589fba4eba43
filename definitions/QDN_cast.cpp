#include "definitions/QDN_cast.h"

#include <cmath>
#include <vector>

#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"

QDN_cast::QDN_cast(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

const QDN_idArray* QDN_cast::GetOutcomesNames() const {
  // Every CAST node has the same two outcomes.
  static const QDN_idArray names = [] {
    QDN_idArray ids;
    (void)ids.Append("True");
    (void)ids.Append("False");
    return ids;
  }();
  return &names;
}

int QDN_cast::Recompute() {
  const int m = positive_.GetCount();
  QDN_intArray sizes;
  for (int i = 0; i < m; ++i)
    (void)sizes.Append(2);
  (void)sizes.Append(2);
  CB_TRY(table_.Setup(sizes));
  std::vector<int> states(static_cast<size_t>(m), 0);
  double* cells = table_.GetItems().Data();
  for (int run = 0; run < table_.GetSize() / 2; ++run) {
    double positive = 1, negative = 1;
    for (int i = 0; i < m; ++i) {
      const double w = states[static_cast<size_t>(i)] == 0 ? positive_.At(i) : negative_.At(i);
      if (w >= 0) {
        positive *= 1 - w;
      } else {
        negative *= 1 + w;
      }
    }
    double d = 0;
    if (positive + negative != 0)
      d = positive >= negative ? negative / positive - 1 : 1 - positive / negative;
    const double p_true = d < 0 ? baseline_ + baseline_ * d : baseline_ + (1 - baseline_) * d;
    cells[2 * run] = p_true;
    cells[2 * run + 1] = 1 - p_true;
    for (int i = m - 1; i >= 0; --i) {
      if (++states[static_cast<size_t>(i)] < 2) break;
      states[static_cast<size_t>(i)] = 0;
    }
  }
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cast::CreateTable() {
  positive_.Release(0);
  negative_.Release(0);
  const QDN_intArray* parents = Parents();
  for (int i = 0; parents && i < parents->GetCount(); ++i) {
    if (const QDN_nodeDefinition* parent = DefinitionOf(parents->At(i));
        !parent || parent->GetType() != QDN_CAST)
      continue;
    (void)positive_.Append(0.0);
    (void)negative_.Append(0.0);
  }
  return Recompute();
}

int QDN_cast::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition) return QDN_OUT_OF_RANGE;
  if (definition->GetType() != QDN_CAST) return QDN_WRONG_NODE_TYPE;
  const int position = ParentIndex(parent);
  if (position < 0 || position > positive_.GetCount()) return QDN_OUT_OF_RANGE;
  CB_TRY(positive_.InsertAt(position, 0.0));
  CB_TRY(negative_.InsertAt(position, 0.0));
  return Recompute();
}

int QDN_cast::RemoveParent(int parent) {
  const int position = ParentIndex(parent);
  if (position < 0 || position >= positive_.GetCount()) return QDN_OUT_OF_RANGE;
  CB_TRY(positive_.RemoveAt(position));
  CB_TRY(negative_.RemoveAt(position));
  return Recompute();
}

int QDN_cast::SetBaseline(double baseline) {
  if (!(baseline >= 0 && baseline <= 1)) return QDN_OUT_OF_RANGE;
  baseline_ = baseline;
  return Recompute();
}

int QDN_cast::SetPositiveWeights(const QDN_doubleArray& weights) {
  if (weights.GetCount() != positive_.GetCount()) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < weights.GetCount(); ++i)
    positive_.At(i) = weights.At(i);
  return Recompute();
}

int QDN_cast::SetNegativeWeights(const QDN_doubleArray& weights) {
  if (weights.GetCount() != negative_.GetCount()) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < weights.GetCount(); ++i)
    negative_.At(i) = weights.At(i);
  return Recompute();
}

int QDN_cast::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (source.GetType() != QDN_CAST) return QDN_WRONG_NODE_TYPE;
  if (&source == this) return QDN_NO_ERROR;
  const auto& other = static_cast<const QDN_cast&>(source);
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  CB_TRY(table_.CopyFrom(other.table_));
  CB_TRY(positive_.Assign(other.positive_));
  CB_TRY(negative_.Assign(other.negative_));
  baseline_ = other.baseline_;
  CheckReadiness(1);
  return QDN_NO_ERROR;
}

int QDN_cast::AdoptDefinition(QDN_nodeDefinition& source) {
  if (source.GetType() != QDN_CAST) return QDN_OUT_OF_RANGE;
  auto& other = static_cast<QDN_cast&>(source);
  CB_TRY(table_.Adopt(other.table_));
  CB_TRY(positive_.Adopt(other.positive_));
  CB_TRY(negative_.Adopt(other.negative_));
  baseline_ = other.baseline_;
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

void QDN_cast::Release(int deep) {
  table_.Release(deep);
  positive_.Release(deep);
  negative_.Release(deep);
  CheckReadiness(0);
}

void QDN_cast::CheckReadiness(int deep) {
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && table_.IsReady() && positive_.IsReady());
}
