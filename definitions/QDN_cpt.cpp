#include "definitions/QDN_cpt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

QDN_cpt::QDN_cpt(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

QDN_cpt::QDN_cpt(QDN_network* network, int handle, NoTable) : QDN_nodeDefinition(network, handle) {}

namespace {

// The outcomes every new table starts with, as EnsureTwoOutcomes("State")
// names them in an empty list: copying them spares making and checking the
// names for every node.
const QDN_idArray& DefaultOutcomes() {
  static const QDN_idArray names = [] {
    QDN_idArray made;
    (void)made.AppendUniqueId("State", 0);
    (void)made.AppendUniqueId("State", 1);
    return made;
  }();
  return names;
}

} // namespace

void QDN_cpt::EnsureTwoOutcomes(const char* stem) {
  // A fresh list (no slots, the default growth step) takes the copy, which
  // equals what the appends below would make of it.
  const QDN_idArray& defaults = DefaultOutcomes();
  if (ids_.GetSize() == 0 && ids_.GetDelta() == defaults.GetDelta() && ids_.IsReady() &&
      std::strcmp(stem, "State") == 0 && ids_.Assign(defaults) == QDN_NO_ERROR) {
    outcomes_ = ids_.GetCount();
    return;
  }
  outcomes_ = ids_.GetCount();
  while (outcomes_ < 2) {
    if (ids_.AppendUniqueId(stem, outcomes_) != QDN_NO_ERROR) break;
    ++outcomes_;
  }
}

int QDN_cpt::CreateTable() {
  EnsureTwoOutcomes("State");
  table_.Release(0);
  CB_TRY(table_.AddDimension(outcomes_));
  (void)table_.Fill(0.0);
  (void)table_.Normalize();
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_cpt::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!DefinitionOf(parent)) return QDN_OUT_OF_RANGE;
  if (!IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  const int n = ParentOutcomes(parent);
  if (n < 1) return QDN_NO_ERROR;
  CB_TRY(table_.InsertNormalizedDimension(position, n));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::RemoveParent(int parent) { return RemoveParentDimension(table_, parent); }

int QDN_cpt::RemoveParentWithEvidence(int parent) {
  const QDN_node* node = network_ ? network_->GetNode(parent) : nullptr;
  const QDN_nodeValue* value = node ? node->GetValue() : nullptr;
  const int evidence = value ? value->GetEvidence() : QDN_OUT_OF_RANGE;
  if (evidence < 0) return QDN_OUT_OF_RANGE;
  if (!IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  CB_TRY(table_.RemoveDimension(position, evidence));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::SumOutParent(int parent) {
  const QDN_node* node = network_ ? network_->GetNode(parent) : nullptr;
  if (!node || !node->GetDefinition()) return QDN_OUT_OF_RANGE;
  if (node->GetValue() && node->GetValue()->IsEvidence()) return QDN_OUT_OF_RANGE;
  QDN_nodeDefinition* definition = node->GetDefinition();
  const int type = definition->GetType();
  if (type != QDN_CPT && type != QDN_TRUTHTABLE && type != QDN_NOISY_MAX) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  const QDN_Dmatrix* weights = definition->GetProbabilityTable();
  if (!weights) return QDN_OUT_OF_RANGE;
  CB_TRY(table_.SumOutDimension(position, weights->GetItems()));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

void QDN_cpt::FixInsertedParentSlice() { (void)table_.Normalize(); }

int QDN_cpt::AddParentOutcome(int parent, int position) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  const int d = ParentIndex(parent);
  if (d < 0) return d;
  CB_TRY(table_.IncreaseDimensionSize(d));
  CB_TRY(table_.OpenPosition(d, position));
  FixInsertedParentSlice();
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::RemoveParentOutcome(int parent, int position) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  const int d = ParentIndex(parent);
  if (d < 0) return d;
  CB_TRY(table_.ClosePosition(d, position));
  CB_TRY(table_.DecreaseDimensionSize(d));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int d = ParentIndex(parent);
  if (d < 0) return d;
  CB_TRY(table_.ChangeOrderWithinDimension(d, order));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::ChangeOrderOfParents(const QDN_intArray& order) {
  QDN_intArray full;
  for (int i = 0; i < order.GetCount(); ++i)
    (void)full.Append(order.At(i));
  (void)full.Append(order.GetCount());
  return table_.ChangeOrderOfDimensions(full);
}

int QDN_cpt::SetDefinitionInParentOrder(int outcomes, const QDN_intArray& given,
                                        const QDN_intArray& target, const QDN_doubleArray& values) {
  const QDN_intArray* parents = Parents();
  if (!parents || given.GetCount() != target.GetCount() ||
      given.GetCount() != parents->GetCount() || outcomes < 2)
    return QDN_OUT_OF_RANGE;
  QDN_intArray sizes;
  for (int i = 0; i < given.GetCount(); ++i) {
    if (given.At(i) < 0 || given.At(i) >= parents->GetCount()) return QDN_OUT_OF_RANGE;
    (void)sizes.Append(ParentOutcomes(parents->At(given.At(i))));
  }
  (void)sizes.Append(outcomes);
  QDN_Dmatrix scratch;
  CB_TRY(scratch.Setup(sizes));
  if (values.GetSize() < scratch.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), scratch.GetSize(), scratch.GetItems().Data());
  QDN_intArray order;
  for (int i = 0; i < target.GetCount(); ++i) {
    int found = QDN_OUT_OF_RANGE;
    for (int j = 0; j < given.GetCount(); ++j)
      if (given.At(j) == target.At(i)) found = j;
    if (found < 0) return QDN_OUT_OF_RANGE;
    (void)order.Append(found);
  }
  (void)order.Append(given.GetCount());
  CB_TRY(scratch.ChangeOrderOfDimensions(order));
  if (scratch.GetSize() != table_.GetSize()) return QDN_OUT_OF_RANGE;
  return table_.GetItems().CopyValues(scratch.GetItems());
}

int QDN_cpt::AddOutcome(const char* name) { return InsertOutcome(outcomes_, name); }

int QDN_cpt::InsertOutcome(int position, const char* name) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (position < 0 || position > outcomes_) return QDN_OUT_OF_RANGE;
  if (ids_.InsertAt(position, name) != QDN_NO_ERROR)
    CB_TRY(ids_.InsertUniqueId("State", outcomes_, position));
  const int last = table_.GetNumberOfDimensions() - 1;
  CB_TRY(table_.IncreaseDimensionSize(last));
  CB_TRY(table_.OpenPosition(last, position));
  ++outcomes_;
  const int status = TellOutcomeInserted(position);
  CheckReadiness(0);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_cpt::RemoveOutcome(int position) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (outcomes_ < 3 || position < 0 || position >= outcomes_) return QDN_OUT_OF_RANGE;
  CB_TRY(ids_.RemoveAt(position));
  const int last = table_.GetNumberOfDimensions() - 1;
  CB_TRY(table_.ClosePosition(last, position));
  CB_TRY(table_.DecreaseDimensionSize(last));
  --outcomes_;
  const int status = TellOutcomeRemoved(position);
  CheckReadiness(0);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_cpt::RenameOutcome(int index, const char* name) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= outcomes_) return QDN_OUT_OF_RANGE;
  return ids_.SetAt(index, name);
}

int QDN_cpt::RenameOutcomes(const QDN_stringArray& names) {
  if (!IsReady() || !names.IsReady()) return QDN_OBJECT_NOT_READY;
  if (names.GetCount() < outcomes_) return QDN_OUT_OF_RANGE;
  ids_.Release(0);
  for (int i = 0; i < outcomes_; ++i)
    CB_TRY(ids_.AppendUniqueId(names.At(i), -1));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

int QDN_cpt::SetNumberOfOutcomes(int count) {
  // Refused before anything is released: the node and its children keep their tables.
  if (count <= 0) return QDN_OUT_OF_RANGE;
  const int old_outcomes = outcomes_;
  Release(1);
  for (int i = 0; i < count; ++i)
    CB_TRY(ids_.AppendUniqueId("State", i));
  outcomes_ = count;
  return Rebuilt(old_outcomes);
}

int QDN_cpt::Rebuilt(int old_outcomes) {
  int status = CreateTable();
  const int told = TellOutcomesRebuilt(old_outcomes);
  if (status == QDN_NO_ERROR) status = told;
  CheckReadiness(0);
  if (status == QDN_NO_ERROR) Notify(QDN_network::kDefinitionRebuilt);
  return status;
}

int QDN_cpt::SetNumberOfOutcomes(const QDN_stringArray& names) {
  if (!names.IsReady()) return QDN_OBJECT_NOT_READY;
  QDN_idArray candidate;
  CB_TRY(candidate.Assign(names));
  candidate.CheckConsistency(1);
  if (!candidate.IsConsistent() && candidate.MakeIdsValid() != QDN_NO_ERROR)
    return SetNumberOfOutcomes(names.GetCount());
  const int old_outcomes = outcomes_;
  Release(1);
  CB_TRY(ids_.Adopt(candidate));
  outcomes_ = ids_.GetCount();
  return Rebuilt(old_outcomes);
}

int QDN_cpt::ChangeOrderOfOutcomes(const QDN_intArray& order) {
  const int last = table_.GetNumberOfDimensions() - 1;
  CB_TRY(table_.ChangeOrderWithinDimension(last, order));
  CB_TRY(ids_.Permute(order));
  const int status = TellOutcomesReordered(order);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_cpt::AdoptDefinition(QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (source.GetType() != GetType()) return QDN_OUT_OF_RANGE;
  auto& other = static_cast<QDN_cpt&>(source);
  CB_TRY(ids_.Adopt(other.ids_));
  CB_TRY(table_.Adopt(other.table_));
  outcomes_ = other.outcomes_;
  CheckReadiness(0);
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

int QDN_cpt::CopyDiscreteParameters(const QDN_nodeDefinition& source) {
  const QDN_idArray* names = source.GetOutcomesNames();
  if (names) CB_TRY(ids_.Assign(*names));
  return CreateTable();
}

int QDN_cpt::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  Release(1);
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  QDN_nodeDefinition& writable = const_cast<QDN_nodeDefinition&>(source);
  switch (source.GetType()) {
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    // Nothing carries over, but the node still gets its two default
    // outcomes and a table over its parents.
    CB_TRY(CreateTable());
    break;
  case QDN_TABLE: {
    const QDN_Dmatrix* utilities = writable.GetTable();
    QDN_stringArray names;
    (void)names.Append("State0");
    (void)names.Append("State1");
    CB_TRY(ids_.Assign(names));
    CB_TRY(CreateTable());
    (void)table_.Fill(0.0);
    if (!utilities || utilities->GetSize() * 2 != table_.GetSize()) break;
    const double* u = utilities->GetItems().Data();
    const int count = utilities->GetSize();
    const double low = *std::min_element(u, u + count), high = *std::max_element(u, u + count);
    const double range = high - low == 0 ? 1.0 : high - low;
    for (int k = 0; k < count; ++k) {
      const double p = (u[k] - low) / range;
      table_.At(2 * k) = p;
      table_.At(2 * k + 1) = 1 - p;
    }
    break;
  }
  case QDN_LIST:
    CB_TRY(ids_.Assign(*source.GetOutcomesNames()));
    RemoveAllParentArcs();
    CB_TRY(CreateTable());
    break;
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX: {
    CB_TRY(CopyDiscreteParameters(source));
    const QDN_Dmatrix* table = writable.GetProbabilityTable();
    if (table && table->GetSize() == table_.GetSize())
      CB_TRY(table_.GetItems().CopyValues(table->GetItems()));
    break;
  }
  case QDN_MAU: {
    QDN_stringArray names;
    (void)names.Append("State0");
    (void)names.Append("State1");
    CB_TRY(ids_.Assign(names));
    CB_TRY(CreateTable());
    break;
  }
  default:
    return QDN_OUT_OF_RANGE;
  }
  return FinishChange(QDN_network::kDefinitionRebuilt);
}

int QDN_cpt::SetDefinition(const QDN_Dmatrix& table) {
  CB_TRY(table_.CopyFrom(table));
  return QDN_NO_ERROR;
}

int QDN_cpt::SetDefinition(const QDN_doubleArray& values) {
  // The leading values fill the table; an array shorter than the table is
  // refused rather than read past.
  if (values.GetCount() < table_.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), table_.GetSize(), table_.GetItems().Data());
  return QDN_NO_ERROR;
}

int QDN_cpt::SetProbabilities(const QDN_doubleArray& values) {
  if (!IsReady() || !values.IsReady()) return QDN_OBJECT_NOT_READY;
  if (values.GetSize() != table_.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), values.GetSize(), table_.GetItems().Data());
  return FinishChange(QDN_network::kValuesChanged);
}

void QDN_cpt::SetOwner(int deep) {
  QDN_object::SetOwner(deep);
  if (!deep) return;
  ids_.SetOwner(deep);
  table_.SetOwner(deep);
}

void QDN_cpt::ClearOwner(int deep) {
  QDN_object::ClearOwner(deep);
  if (!deep) return;
  ids_.ClearOwner(deep);
  table_.ClearOwner(deep);
}

void QDN_cpt::Release(int deep) {
  ids_.Release(deep);
  table_.Release(deep);
  outcomes_ = 0;
  CheckReadiness(0);
}

void QDN_cpt::CheckReadiness(int deep) {
  if (deep) {
    ids_.CheckReadiness(deep);
    table_.CheckReadiness(deep);
  }
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady,
             base_ready && table_.IsReady() && ids_.IsReady() && outcomes_ == ids_.GetCount());
}

void QDN_cpt::CheckConsistency(int deep) {
  if (deep) {
    ids_.CheckConsistency(deep);
    table_.CheckConsistency(deep);
  }
  if (!ids_.IsConsistent() || !table_.IsConsistent()) {
    ClearFlag(kConsistent);
    return;
  }
  const int run = outcomes_ > 0 ? outcomes_ : 1;
  const int size = table_.GetSize();
  const double* cells = table_.GetItems().Data();
  for (int start = 0; start < size; start += run) {
    const int end = run < size - start ? start + run : size;
    double sum = 0;
    bool negative = false;
    for (int k = start; k < end; ++k) {
      // A NaN cell fails this test too.
      negative |= !(cells[k] >= 0);
      sum += cells[k];
    }
    if (negative || !(sum >= 0.999995 && sum <= 1.000005)) {
      ClearFlag(kConsistent);
      return;
    }
  }
  SetFlag(kConsistent);
}
