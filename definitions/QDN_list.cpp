#include "definitions/QDN_list.h"

#include <algorithm>

#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

bool IsDiscreteParentType(int type) {
  return type == QDN_LIST || type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX;
}

} // namespace

QDN_list::QDN_list(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

int QDN_list::CreateTable() {
  for (int n = ids_.GetCount(); n < 2; ++n)
    CB_TRY(ids_.AppendUniqueId("Choice", n));
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_list::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || !IsDiscreteParentType(definition->GetType())) return QDN_OUT_OF_RANGE;
  return QDN_NO_ERROR;
}

int QDN_list::InsertOutcome(int position, const char* name) {
  const int n = GetNumberOfOutcomes();
  if (position < 0 || position > n) return QDN_OUT_OF_RANGE;
  if (ids_.InsertAt(position, name) != QDN_NO_ERROR)
    CB_TRY(ids_.InsertUniqueId("Choice", n, position));
  const int status = TellOutcomeInserted(position);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_list::RemoveOutcome(int position) {
  const int n = GetNumberOfOutcomes();
  if (n < 3 || position < 0 || position >= n) return QDN_OUT_OF_RANGE;
  CB_TRY(ids_.RemoveAt(position));
  const int status = TellOutcomeRemoved(position);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_list::RenameOutcome(int index, const char* name) {
  if (index < 0 || index >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  return ids_.SetAt(index, name);
}

int QDN_list::RenameOutcomes(const QDN_stringArray& names) {
  const int n = GetNumberOfOutcomes();
  if (!names.IsReady()) return QDN_OBJECT_NOT_READY;
  if (names.GetCount() < n) return QDN_OUT_OF_RANGE;
  ids_.Release(0);
  for (int i = 0; i < n; ++i)
    CB_TRY(ids_.AppendUniqueId(names.At(i), -1));
  return QDN_NO_ERROR;
}

int QDN_list::SetNumberOfOutcomes(int count) {
  const int old_outcomes = GetNumberOfOutcomes();
  Release(1);
  for (int i = 0; i < count; ++i)
    CB_TRY(ids_.AppendUniqueId("Choice", i));
  return Rebuilt(old_outcomes);
}

int QDN_list::SetNumberOfOutcomes(const QDN_stringArray& names) {
  if (!names.IsReady()) return QDN_OBJECT_NOT_READY;
  QDN_idArray candidate;
  CB_TRY(candidate.Assign(names));
  candidate.CheckConsistency(1);
  if (!candidate.IsConsistent() && candidate.MakeIdsValid() != QDN_NO_ERROR)
    return SetNumberOfOutcomes(names.GetCount());
  const int old_outcomes = GetNumberOfOutcomes();
  Release(1);
  CB_TRY(ids_.Adopt(candidate));
  return Rebuilt(old_outcomes);
}

int QDN_list::Rebuilt(int old_outcomes) {
  // A decision always has at least two choices: a single named choice keeps
  // its name and gets a default second one.
  for (int n = ids_.GetCount(); n < 2; ++n)
    CB_TRY(ids_.AppendUniqueId("Choice", n));
  const int status = TellOutcomesRebuilt(old_outcomes);
  CheckReadiness(0);
  Notify(QDN_network::kDefinitionRebuilt);
  return status;
}

int QDN_list::ChangeOrderOfOutcomes(const QDN_intArray& order) {
  CB_TRY(ids_.Permute(order));
  if (auxiliary_.GetCount() == order.GetCount() || auxiliary_.GetSize() == order.GetCount())
    CB_TRY(auxiliary_.Permute(order));
  const int status = TellOutcomesReordered(order);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_list::SetDefinition(const QDN_doubleArray& values) { return auxiliary_.Assign(values); }

int QDN_list::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  Release(1);
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  switch (source.GetType()) {
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    // Nothing carries over, but the node still gets its two default
    // outcomes and a table over its parents.
    CB_TRY(CreateTable());
    break;
  case QDN_TABLE:
  case QDN_MAU:
    CB_TRY(CreateTable());
    break;
  case QDN_LIST:
    CB_TRY(ids_.Assign(*source.GetOutcomesNames()));
    CB_TRY(CreateTable());
    break;
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX:
    CB_TRY(ids_.Assign(*source.GetOutcomesNames()));
    // The parents of a chance node do not carry over as informational arcs.
    RemoveAllParentArcs();
    CB_TRY(CreateTable());
    break;
  default:
    return QDN_OUT_OF_RANGE;
  }
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

int QDN_list::AdoptDefinition(QDN_nodeDefinition& source) {
  if (source.GetType() != QDN_LIST) return QDN_OUT_OF_RANGE;
  auto& other = static_cast<QDN_list&>(source);
  CB_TRY(ids_.Adopt(other.ids_));
  CB_TRY(auxiliary_.Adopt(other.auxiliary_));
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

void QDN_list::Release(int deep) {
  ids_.Release(deep);
  auxiliary_.Release(deep);
  CheckReadiness(0);
}

void QDN_list::CheckReadiness(int deep) {
  if (deep) auxiliary_.CheckReadiness(deep);
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && ids_.IsReady());
}

QDN_table::QDN_table(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

bool QDN_table::IsTableParent(int parent) const {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  return definition && IsDiscreteParentType(definition->GetType());
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

int QDN_table::RemoveParent(int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  if (!IsTableParent(parent)) return QDN_NO_ERROR;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  CB_TRY(utilities_.RemoveDimension(position, 0));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

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
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(QDN_network::kValuesChanged);
  return QDN_NO_ERROR;
}

int QDN_table::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  auto& writable = const_cast<QDN_nodeDefinition&>(source);
  switch (source.GetType()) {
  case 0:
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    break;
  case QDN_LIST:
    RemoveAllParentArcs();
    CB_TRY(CreateTable());
    break;
  case QDN_TABLE:
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX: {
    CB_TRY(CreateTable());
    const QDN_Dmatrix* table =
        source.GetType() == QDN_NOISY_MAX ? writable.GetProbabilityTable() : writable.GetTable();
    if (table && writable.GetSize() == utilities_.GetSize())
      (void)utilities_.GetItems().CopyValues(table->GetItems());
    break;
  }
  case QDN_MAU:
    CB_TRY(CreateTable());
    break;
  default:
    return QDN_OUT_OF_RANGE;
  }
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
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

QDN_mau::QDN_mau(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

int QDN_mau::CreateTable() {
  weights_.Release(0);
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_mau::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->IsOfType(QDN_DISCRETE_BIT) ||
      (definition->GetType() != QDN_TABLE && definition->GetType() != QDN_MAU))
    return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0 || position > weights_.GetCount()) return QDN_OUT_OF_RANGE;
  return weights_.InsertAt(position, 1.0);
}

int QDN_mau::RemoveParent(int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || (definition->GetType() != QDN_TABLE && definition->GetType() != QDN_MAU))
    return QDN_NO_ERROR;
  const int position = ParentIndex(parent);
  if (position < 0 || position >= weights_.GetCount()) return QDN_OUT_OF_RANGE;
  return weights_.RemoveAt(position);
}

int QDN_mau::SetDefinition(const QDN_doubleArray& values) {
  if (values.GetCount() < weights_.GetCount()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), weights_.GetCount(), weights_.Data());
  return QDN_NO_ERROR;
}

int QDN_mau::SetWeights(const QDN_doubleArray& weights) {
  if (!IsReady() || !weights.IsReady()) return QDN_OBJECT_NOT_READY;
  if (weights.GetCount() != weights_.GetCount()) return QDN_OUT_OF_RANGE;
  std::copy_n(weights.Data(), weights.GetCount(), weights_.Data());
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(QDN_network::kValuesChanged);
  return QDN_NO_ERROR;
}

int QDN_mau::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  switch (source.GetType()) {
  case 0:
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    break;
  case QDN_TABLE:
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX:
    CB_TRY(CreateTable());
    break;
  case QDN_LIST:
    RemoveAllParentArcs();
    CB_TRY(CreateTable());
    break;
  case QDN_MAU:
    CB_TRY(CreateTable());
    (void)weights_.CopyValues(static_cast<const QDN_mau&>(source).weights_);
    break;
  default:
    return QDN_OUT_OF_RANGE;
  }
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

int QDN_mau::AdoptDefinition(QDN_nodeDefinition& source) {
  if (source.GetType() != QDN_MAU) return QDN_OUT_OF_RANGE;
  CB_TRY(weights_.Adopt(static_cast<QDN_mau&>(source).weights_));
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

void QDN_mau::Release(int deep) {
  weights_.Release(deep);
  CheckReadiness(0);
}

void QDN_mau::CheckReadiness(int deep) {
  if (deep) weights_.CheckReadiness(deep);
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && weights_.IsReady());
}
