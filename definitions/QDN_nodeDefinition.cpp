#include "definitions/QDN_nodeDefinition.h"

#include <cstring>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

bool IsDiscreteType(int type) {
  return type == QDN_LIST || type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX;
}

} // namespace

bool IsKnownDefinitionType(int type) {
  switch (type) {
  case 0:
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_TABLE:
  case QDN_LIST:
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_MAU:
  case QDN_CAST:
  case QDN_NOISY_MAX:
  case QDN_EQUATION_SCC:
    return true;
  default:
    return false;
  }
}

int DefinitionTypeFromName(const char* name) {
  if (!name) return QDN_OUT_OF_RANGE;
  struct Entry {
    const char* name;
    int type;
  };
  static constexpr Entry kTypes[] = {
      {"CPT", QDN_CPT},     {"TRUTHTABLE", QDN_TRUTHTABLE}, {"LIST", QDN_LIST},
      {"TABLE", QDN_TABLE}, {"NOISY_MAX", QDN_NOISY_MAX},   {"MAU", QDN_MAU},
      {"CAST", QDN_CAST}};
  for (const Entry& entry : kTypes)
    if (std::strcmp(entry.name, name) == 0) return entry.type;
  return QDN_OUT_OF_RANGE;
}

bool QDN_AcceptsParent(int child, int parent) {
  const bool discrete_parent = IsDiscreteType(parent);
  switch (child) {
  case 0:
    return true;
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX:
  case QDN_LIST:
  case QDN_TABLE:
    return discrete_parent;
  case QDN_CAST:
    return parent == QDN_CAST;
  case QDN_MAU:
    return parent == QDN_TABLE || parent == QDN_MAU;
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    return parent == QDN_EQUATION || parent == QDN_EQUATION_SCC;
  default:
    return false;
  }
}

QDN_nodeDefinition::QDN_nodeDefinition(QDN_network* network, int handle)
    : network_(network), handle_(handle) {
  CheckReadiness(0);
}

QDN_nodeDefinition::QDN_nodeDefinition(const QDN_nodeDefinition& other)
    : QDN_object(other), network_(other.IsReady() ? other.network_ : nullptr),
      handle_(other.IsReady() ? other.handle_ : -1) {
  QDN_nodeDefinition::CheckReadiness(0);
}

void QDN_nodeDefinition::CheckReadiness(int) {
  AssignFlag(kReady, network_ && handle_ >= 0 && handle_ < network_->GetCapacity() &&
                         network_->GetNode(handle_));
}

QDN_node* QDN_nodeDefinition::Node() const {
  return network_ ? network_->GetNode(handle_) : nullptr;
}

const QDN_intArray* QDN_nodeDefinition::Parents() const {
  return network_ ? &network_->GetParents(handle_, 0) : nullptr;
}

int QDN_nodeDefinition::ParentIndex(int parent) const {
  const QDN_intArray* parents = Parents();
  return parents ? parents->IndexOf(parent) : QDN_OUT_OF_RANGE;
}

QDN_nodeDefinition* QDN_nodeDefinition::DefinitionOf(int handle) const {
  const QDN_node* node = network_ ? network_->GetNode(handle) : nullptr;
  return node ? node->GetDefinition() : nullptr;
}

bool QDN_nodeDefinition::IsTableParent(int parent) const {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  return definition && IsDiscreteType(definition->GetType());
}

int QDN_nodeDefinition::ParentOutcomes(int parent) const {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  return definition ? definition->GetNumberOfOutcomes() : QDN_OUT_OF_RANGE;
}

void QDN_nodeDefinition::Notify(unsigned code) const {
  if (network_) network_->NotifyChange(handle_, code);
}

int QDN_nodeDefinition::FinishChange(unsigned code) {
  CheckReadiness(1);
  CheckConsistency(1);
  Notify(code);
  return QDN_NO_ERROR;
}

int QDN_nodeDefinition::CopyUtilityParameters(const QDN_nodeDefinition& source,
                                              const std::function<void()>& take_values) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
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
  case QDN_NOISY_MAX:
  case QDN_MAU:
    CB_TRY(CreateTable());
    take_values();
    break;
  default:
    return QDN_OUT_OF_RANGE;
  }
  return FinishChange(QDN_network::kDefinitionRebuilt);
}

int QDN_nodeDefinition::RemoveParentDimension(QDN_Dmatrix& table, int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  if (!IsTableParent(parent)) return QDN_NO_ERROR;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  CB_TRY(table.RemoveDimension(position, 0));
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

// Passes one outcome change on to the definitions of the children, the cost
// definitions of the cost children, the node's extra definition and its
// value; the first error is returned, every dependent is told.
template <typename OnChild, typename OnCost, typename OnExtra, typename OnValue>
int QDN_nodeDefinition::TellDependents(OnChild on_child, OnCost on_cost, OnExtra on_extra,
                                       OnValue on_value) const {
  if (!network_ || !Node()) return QDN_NO_ERROR;
  int first_error = QDN_NO_ERROR;
  auto keep = [&](int status) {
    if (first_error == QDN_NO_ERROR && status < 0) first_error = status;
  };
  const QDN_intArray& children = network_->GetChildren(handle_, 0);
  for (int i = 0; i < children.GetCount(); ++i)
    if (QDN_nodeDefinition* child = DefinitionOf(children.At(i))) keep(on_child(*child));
  const QDN_intArray& cost_children = network_->GetChildren(handle_, QDN_network::kCostArc);
  for (int i = 0; i < cost_children.GetCount(); ++i)
    keep(on_cost(network_->GetNode(cost_children.At(i))->GetCost()));
  if (QDN_extraDefinition* extra = Node()->GetExtraDefinition()) keep(on_extra(*extra));
  if (QDN_nodeValue* value = Node()->GetValue()) on_value(*value);
  return first_error;
}

int QDN_nodeDefinition::TellOutcomeInserted(int position) const {
  return TellDependents(
      [&](QDN_nodeDefinition& child) { return child.AddParentOutcome(handle_, position); },
      [&](QDN_costDefinition& cost) { return cost.AddParentOutcome(handle_, position); },
      [&](QDN_extraDefinition& extra) { return extra.InsertOutcome(position); },
      [&](QDN_nodeValue& value) { value.OutcomeInserted(position); });
}

int QDN_nodeDefinition::TellOutcomeRemoved(int position) const {
  return TellDependents(
      [&](QDN_nodeDefinition& child) { return child.RemoveParentOutcome(handle_, position); },
      [&](QDN_costDefinition& cost) { return cost.RemoveParentOutcome(handle_, position); },
      [&](QDN_extraDefinition& extra) { return extra.RemoveOutcome(position); },
      [&](QDN_nodeValue& value) { value.OutcomeRemoved(position); });
}

int QDN_nodeDefinition::TellOutcomesReordered(const QDN_intArray& order) const {
  return TellDependents(
      [&](QDN_nodeDefinition& child) { return child.ChangeOrderOfParentOutcomes(handle_, order); },
      [&](QDN_costDefinition& cost) { return cost.ReorderParentOutcomes(handle_, order); },
      [&](QDN_extraDefinition& extra) { return extra.ReorderOutcomes(order); },
      [&](QDN_nodeValue& value) { value.OutcomesReordered(order); });
}

int QDN_nodeDefinition::TellOutcomesRebuilt(int old_outcomes) const {
  QDN_node* node = Node();
  if (!node) return QDN_NO_ERROR;
  const int outcomes = GetNumberOfOutcomes();
  if (QDN_extraDefinition* extra = node->GetExtraDefinition())
    extra->Rebuild(outcomes > 0 ? outcomes : 0);
  const QDN_intArray& cost_children = network_->GetChildren(handle_, QDN_network::kCostArc);
  for (int i = 0; i < cost_children.GetCount(); ++i)
    (void)network_->GetNode(cost_children.At(i))->GetCost().RebuildParent(handle_);
  if (QDN_nodeValue* value = node->GetValue()) value->DropEvidenceBeyond(outcomes);
  return network_->ReshapeChildren(handle_, old_outcomes);
}

void QDN_nodeDefinition::AddEveryParent() {
  const QDN_intArray* parents = Parents();
  if (!parents || parents->GetCount() == 0) return;
  // Parents are read through a copy: AddParent must not see the list change.
  const QDN_intArray list(*parents);
  for (int i = 0; i < list.GetCount(); ++i)
    if (int status = AddParent(list.At(i)); status < 0)
      QDN_Log(status, "Parent could not be added");
}

void QDN_nodeDefinition::RemoveAllParentArcs() const {
  if (!network_) return;
  while (network_->GetNumberOfParents(handle_, 0) > 0) {
    const int parent = network_->GetParents(handle_, 0).At(0);
    if (network_->RemoveArc(parent, handle_, 0) != QDN_NO_ERROR) return;
  }
}

int QDN_nodeDefinition::AddParent(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RemoveParent(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RemoveParentWithEvidence(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::SumOutParent(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::AddParentOutcome(int, int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RemoveParentOutcome(int, int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::ChangeOrderOfParentOutcomes(int, const QDN_intArray&) {
  return QDN_WRONG_NODE_TYPE;
}
int QDN_nodeDefinition::ChangeOrderOfParents(const QDN_intArray&) { return QDN_WRONG_NODE_TYPE; }

int QDN_nodeDefinition::RemoveIncompatibleParents() {
  const QDN_intArray* parents = Parents();
  if (!parents) return QDN_OUT_OF_RANGE;
  const QDN_intArray list(*parents);
  for (int i = 0; i < list.GetCount(); ++i) {
    const QDN_nodeDefinition* parent = DefinitionOf(list.At(i));
    // The arc is in the node's parent list: its removal cannot fail.
    if (!parent || !parent->IsOfType(QDN_DISCRETE_BIT))
      (void)network_->RemoveArc(list.At(i), handle_, 0);
  }
  return QDN_NO_ERROR;
}

int QDN_nodeDefinition::HandleEvent(int code) {
  if (code == 123445) Notify(123445);
  return QDN_NO_ERROR;
}

int QDN_nodeDefinition::GetSize() const { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::AdoptDefinition(QDN_nodeDefinition&) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::CreateTable() { return QDN_WRONG_NODE_TYPE; }

int QDN_nodeDefinition::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  network_ = source.network_;
  handle_ = source.handle_;
  return QDN_NO_ERROR;
}

int QDN_nodeDefinition::SetDefinitionInParentOrder(int, const QDN_intArray&, const QDN_intArray&,
                                                   const QDN_doubleArray&) {
  return QDN_WRONG_NODE_TYPE;
}

int QDN_nodeDefinition::AddOutcome(const char*) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::InsertOutcome(int, const char*) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RemoveOutcome(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::GetNumberOfOutcomes() const { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RenameOutcome(int, const char*) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::RenameOutcomes(const QDN_stringArray&) { return QDN_WRONG_NODE_TYPE; }
const QDN_idArray* QDN_nodeDefinition::GetOutcomesNames() const { return nullptr; }
int QDN_nodeDefinition::SetNumberOfOutcomes(const QDN_stringArray&) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::SetNumberOfOutcomes(int) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::ChangeOrderOfOutcomes(const QDN_intArray&) { return QDN_WRONG_NODE_TYPE; }
QDN_Dmatrix* QDN_nodeDefinition::GetTable() { return nullptr; }
const QDN_Dmatrix* QDN_nodeDefinition::GetProbabilityTable() { return nullptr; }
int QDN_nodeDefinition::SetDefinition(const QDN_Dmatrix&) { return QDN_WRONG_NODE_TYPE; }
int QDN_nodeDefinition::SetDefinition(const QDN_doubleArray&) { return QDN_WRONG_NODE_TYPE; }

int QDN_nodeDefinition::ReplaceOutcomes(const QDN_stringArray& names, const QDN_intArray& mapping) {
  const int n = GetNumberOfOutcomes();
  if (n < 0) return n;
  if (mapping.GetCount() != names.GetCount()) return QDN_OUT_OF_RANGE;
  QDN_intArray map(mapping);
  int kept = 0;
  for (int i = 0; i < map.GetCount(); ++i) {
    if (map.At(i) >= n) return QDN_OUT_OF_RANGE;
    if (map.At(i) >= 0) ++kept;
  }
  // Temporary outcomes keep the node at two outcomes or more throughout.
  const int temporaries = kept < 2 ? 2 - kept : 0;
  std::string temporary = "tmpStateUI";
  for (int t = 0; t < temporaries; ++t) {
    temporary += '0';
    CB_TRY(AddOutcome(temporary.c_str()));
  }
  for (int j = n - 1; j >= 0; --j) {
    if (map.Contains(j)) continue;
    CB_TRY(RemoveOutcome(j));
    for (int i = 0; i < map.GetCount(); ++i)
      if (map.At(i) > j) --map.At(i);
  }
  int added = 0;
  for (int i = 0; i < map.GetCount(); ++i) {
    if (map.At(i) != -1) continue;
    CB_TRY(AddOutcome(names.At(i)));
    map.At(i) = kept + temporaries + added++;
  }
  for (int t = 0; t < temporaries; ++t) {
    CB_TRY(RemoveOutcome(kept));
    for (int i = 0; i < map.GetCount(); ++i)
      if (map.At(i) > kept) --map.At(i);
  }
  CB_TRY(ChangeOrderOfOutcomes(map));
  return RenameOutcomes(names);
}
