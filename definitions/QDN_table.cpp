#include "definitions/QDN_table.h"

#include <algorithm>

#include "core/QDN_doubleArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

QDN_table::QDN_table(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

int QDN_table::CreateTable() {
  utilities_.Release(0);
  CB_TRY(utilities_.AddDimension(1));
  (void)utilities_.Fill(0.0);
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_table::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  const int n = ParentOutcomes(parent);
  if (n < 1) return QDN_NO_ERROR;
  CB_TRY(utilities_.InsertDimension(position, n));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_table::RemoveParent(int parent) { return RemoveParentDimension(utilities_, parent); }

int QDN_table::RemoveParentWithEvidence(int parent) {
  const QDN_node* node = network_ ? network_->GetNode(parent) : nullptr;
  const int evidence = node && node->GetValue() ? node->GetValue()->GetEvidence() : -2;
  if (evidence < 0 || !IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  return utilities_.RemoveDimension(position, evidence);
}

int QDN_table::SumOutParent(int parent) {
  QDN_node* node = network_ ? network_->GetNode(parent) : nullptr;
  if (!node || !node->GetDefinition()) return QDN_OUT_OF_RANGE;
  if (node->GetValue() && node->GetValue()->IsEvidence()) return QDN_OUT_OF_RANGE;
  const int type = node->GetDefinition()->GetType();
  if (type != QDN_CPT && type != QDN_TRUTHTABLE && type != QDN_NOISY_MAX) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  const QDN_Dmatrix* weights = node->GetDefinition()->GetProbabilityTable();
  if (!weights) return QDN_OUT_OF_RANGE;
  return utilities_.SumOutDimension(position, weights->GetItems());
}

int QDN_table::AddParentOutcome(int parent, int position) {
  const int d = ParentIndex(parent);
  if (d < 0 || !IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  CB_TRY(utilities_.IncreaseDimensionSize(d));
  return utilities_.OpenPosition(d, position);
}

int QDN_table::RemoveParentOutcome(int parent, int position) {
  const int d = ParentIndex(parent);
  if (d < 0 || !IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  CB_TRY(utilities_.ClosePosition(d, position));
  return utilities_.DecreaseDimensionSize(d);
}

int QDN_table::ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) {
  const int d = ParentIndex(parent);
  if (d < 0) return d;
  return utilities_.ChangeOrderWithinDimension(d, order);
}

int QDN_table::ChangeOrderOfParents(const QDN_intArray& order) {
  QDN_intArray full(order);
  (void)full.Append(order.GetCount());
  return utilities_.ChangeOrderOfDimensions(full);
}

int QDN_table::SetDefinition(const QDN_doubleArray& values) {
  if (values.GetCount() < utilities_.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), utilities_.GetSize(), utilities_.GetItems().Data());
  return QDN_NO_ERROR;
}

int QDN_table::SetUtilities(const QDN_doubleArray& values) {
  if (!IsReady() || !values.IsReady()) return QDN_OBJECT_NOT_READY;
  if (values.GetSize() != utilities_.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), values.GetSize(), utilities_.GetItems().Data());
  return FinishChange(QDN_network::kValuesChanged);
}

int QDN_table::CopyParameters(const QDN_nodeDefinition& source) {
  return CopyUtilityParameters(source, [&] {
    // Utilities take the numbers of a table of the same size; a
    // multi-attribute node has none to give.
    if (source.GetType() == QDN_MAU) return;
    auto& writable = const_cast<QDN_nodeDefinition&>(source);
    const QDN_Dmatrix* table =
        source.GetType() == QDN_NOISY_MAX ? writable.GetProbabilityTable() : writable.GetTable();
    if (table && writable.GetSize() == utilities_.GetSize())
      (void)utilities_.GetItems().CopyValues(table->GetItems());
  });
}

int QDN_table::AdoptDefinition(QDN_nodeDefinition& source) {
  if (source.GetType() != QDN_TABLE) return QDN_OUT_OF_RANGE;
  CB_TRY(utilities_.Adopt(static_cast<QDN_table&>(source).utilities_));
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

void QDN_table::Release(int deep) {
  utilities_.Release(deep);
  CheckReadiness(0);
}

void QDN_table::CheckReadiness(int deep) {
  if (deep) utilities_.CheckReadiness(deep);
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && utilities_.IsReady());
}
