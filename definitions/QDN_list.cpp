#include "definitions/QDN_list.h"

#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

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
  return IsTableParent(parent) ? QDN_NO_ERROR : QDN_OUT_OF_RANGE;
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
  return FinishChange(QDN_network::kDefinitionRebuilt);
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
