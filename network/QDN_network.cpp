#include "network/QDN_network.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_node.h"

// A constructor has no status: a network whose records could not be made
// has none and refuses every node.
QDN_network::QDN_network() { (void)Initialize(50, 50); }

QDN_network::~QDN_network() { ClearRecords(); }

void QDN_network::ResetSettings() {
  node_count_ = 0;
  target_count_ = 0;
  sample_count_ = 1000;
  further_setting_ = 3;
  free_hint_ = 0;
  ids_.Clear();
}

int QDN_network::Initialize(int capacity, int growthStep) {
  if (capacity <= 0) capacity = 50;
  if (growthStep <= 0) growthStep = 50;
  Release(0);
  try {
    records_.resize(static_cast<size_t>(capacity));
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  growth_step_ = growthStep;
  CB_TRY(submodels_.Initialize(this));
  QDN_submodel* main = submodels_.GetSubmodel(kMainSubmodel);
  (void)main->header.SetId("Unnamed");
  (void)main->header.SetName("Unnamed");
  CheckReadiness(0);
  return QDN_NO_ERROR;
}

bool QDN_network::IsValidHandle(int handle) const {
  return handle >= 0 && handle < GetCapacity() && At(handle).node;
}

QDN_node* QDN_network::GetNode(int handle) const {
  return IsValidHandle(handle) ? At(handle).node.get() : nullptr;
}

int QDN_network::GetFirstNode() const { return GetNextNode(-1); }

int QDN_network::GetNextNode(int handle) const {
  if (handle < -1) return QDN_OUT_OF_RANGE;
  for (int h = handle + 1; h < GetCapacity(); ++h)
    if (At(h).node) return h;
  return QDN_OUT_OF_RANGE;
}

int QDN_network::GetAllNodes(QDN_intArray& out) const {
  for (int h = GetFirstNode(); h >= 0; h = GetNextNode(h))
    (void)out.Append(h);
  return QDN_NO_ERROR;
}

namespace {

const QDN_intArray& EmptyList() {
  static const QDN_intArray empty;
  return empty;
}

} // namespace

const QDN_intArray& QDN_network::GetParents(int handle, int arcType) const {
  if (!IsValidHandle(handle)) return EmptyList();
  if (arcType != kCostArc) return At(handle).parents;
  return At(handle).costs ? At(handle).costs->parents : EmptyList();
}

const QDN_intArray& QDN_network::GetChildren(int handle, int arcType) const {
  if (!IsValidHandle(handle)) return EmptyList();
  if (arcType != kCostArc) return At(handle).children;
  return At(handle).costs ? At(handle).costs->children : EmptyList();
}

int QDN_network::GetNumberOfParents(int handle, int arcType) const {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  return GetParents(handle, arcType).GetCount();
}

int QDN_network::GetNumberOfChildren(int handle, int arcType) const {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  return GetChildren(handle, arcType).GetCount();
}

int QDN_network::GetNumberOfOutcomes(int handle) const {
  const QDN_node* node = GetNode(handle);
  if (!node || !node->GetDefinition()) return 0;
  return node->GetDefinition()->GetNumberOfOutcomes();
}

void QDN_network::IdChanged(const char* old_id, const char* new_id) {
  // The renamed node is the one entered under old_id whose header no longer holds it.
  if (!old_id) return; // new nodes are entered by AddNode itself
  int renamed = -1;
  ids_.ForEach(old_id, [&](int handle) {
    const char* current = At(handle).node->GetId();
    if (current && std::string_view(current) == old_id) return true;
    renamed = handle;
    return false;
  });
  if (renamed < 0) return;
  (void)ids_.Erase(old_id, renamed);
  if (new_id) ids_.Insert(new_id, renamed);
}

int QDN_network::IsIdentifierInUse(const char* id, int exceptHandle) const {
  if (!id) return 0;
  // On a large network both look-ups miss the caches: the node index slot
  // is fetched while the submodels are searched.
  ids_.Prefetch(id);
  if (submodels_.IsSubmodelIdInUse(id)) return 1;
  bool used = false;
  ids_.ForEach(id, [&](int handle) {
    const char* current = At(handle).node->GetId();
    used = handle != exceptHandle && current && std::strcmp(current, id) == 0;
    return !used;
  });
  return used ? 1 : 0;
}

int QDN_network::FindNode(const char* id) const {
  if (!id) return QDN_OUT_OF_RANGE;
  int found = QDN_OUT_OF_RANGE;
  ids_.ForEach(id, [&](int handle) {
    const char* current = At(handle).node->GetId();
    if (current && std::strcmp(current, id) == 0 && (found < 0 || handle < found)) found = handle;
    return true;
  });
  return found;
}

int QDN_network::CreateDefaultNodeId(std::string& out) const {
  for (long long number = node_count_;; ++number) {
    out = "Node" + std::to_string(number);
    if (!IsIdentifierInUse(out.c_str(), -1)) return QDN_NO_ERROR;
  }
}

int QDN_network::SetNodeId(int handle, const char* id) {
  QDN_node* node = GetNode(handle);
  if (!node) return QDN_OUT_OF_RANGE;
  if (id && IsIdentifierInUse(id, handle)) return QDN_OUT_OF_RANGE;
  // Files name each node twice (at its start and in its header): the
  // identifier it already has is left as it is.
  const char* current = node->GetId();
  if (id && current && std::strcmp(current, id) == 0) return QDN_NO_ERROR;
  return node->GetInfo().header.SetId(id);
}

int QDN_network::FindFreeRecord() {
  if (node_count_ < GetCapacity()) {
    for (int h = free_hint_; h < GetCapacity(); ++h) {
      if (!At(h).node) {
        free_hint_ = h + 1;
        return h;
      }
    }
  }
  // Grow by the growth step. The records live in fixed chunks that never
  // move, so growing costs only the new records and adding n nodes stays
  // O(n) in total without reserving records far ahead of need; existing
  // handles keep their records.
  const int capacity = GetCapacity();
  const long long grown = static_cast<long long>(capacity) + growth_step_;
  if (grown > INT_MAX / 2) return QDN_OUT_OF_MEMORY;
  try {
    records_.resize(static_cast<size_t>(grown));
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  free_hint_ = capacity + 1;
  return capacity;
}

int QDN_network::AddNode(int definitionType, const char* id) {
  std::string text;
  if (!id) {
    (void)CreateDefaultNodeId(text);
  } else {
    if (IsIdentifierInUse(id, -1)) return QDN_OUT_OF_RANGE;
    text = id;
  }
  const int handle = FindFreeRecord();
  if (handle < 0) return handle;
  Record& record = At(handle);
  try {
    record.node = std::make_unique<QDN_node>(this, handle);
  } catch (const std::bad_alloc&) {
    return QDN_OUT_OF_MEMORY;
  }
  QDN_header& header = record.node->GetInfo().header;
  if (header.SetId(text.c_str()) != QDN_NO_ERROR) {
    std::string fallback;
    (void)CreateDefaultNodeId(fallback);
    if (header.SetId(fallback.c_str()) != QDN_NO_ERROR) {
      record = Record{};
      free_hint_ = std::min(free_hint_, handle);
      return QDN_OUT_OF_RANGE;
    }
  }
  ids_.Insert(header.GetId(), handle);
  header.SetListener(this);
  (void)header.SetName(text.c_str());
  record.marks = 0;
  ++node_count_;

  std::unique_ptr<QDN_nodeDefinition> definition;
  if (int status = QDN_CreateDefinition(definitionType, this, handle, definition); status < 0)
    QDN_Log(status, nullptr);
  std::unique_ptr<QDN_nodeValue> value;
  if (int status = QDN_CreateValue(definitionType, this, handle, value); status < 0)
    QDN_Log(status, nullptr);
  record.node->SetDefinition(std::move(definition), std::move(value));
  (void)record.node->GetInfo().screen.CopyFrom(submodels_.GetDefaultScreenInfo(definitionType));
  record.node->CheckReadiness(1);
  return handle;
}

int QDN_network::DeleteNode(int handle) {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  Record& record = At(handle);
  // Lists are copied: each removal changes the list being walked. Every arc
  // comes from the node's own lists, so its removal cannot fail.
  const QDN_intArray children(record.children), parents(record.parents);
  for (int i = 0; i < children.GetCount(); ++i)
    (void)RemoveArc(handle, children.At(i), 0);
  for (int i = 0; i < parents.GetCount(); ++i)
    (void)RemoveArc(parents.At(i), handle, 0);
  const QDN_intArray cost_children(GetChildren(handle, kCostArc)),
      cost_parents(GetParents(handle, kCostArc));
  for (int i = 0; i < cost_children.GetCount(); ++i)
    (void)RemoveArc(handle, cost_children.At(i), kCostArc);
  for (int i = 0; i < cost_parents.GetCount(); ++i)
    (void)RemoveArc(cost_parents.At(i), handle, kCostArc);
  if (record.marks & kTargetMark) --target_count_;
  QDN_header& header = record.node->GetInfo().header;
  header.SetListener(nullptr);
  if (header.GetId()) {
    (void)ids_.Erase(header.GetId(), handle);
  }
  record = Record{};
  --node_count_;
  free_hint_ = std::min(free_hint_, handle);
  return QDN_NO_ERROR;
}

namespace {

// The C library's allocator keeps freed small blocks aside, unmerged, until a
// large allocation sweeps them all into its free lists. After the nodes of a
// network far larger than the caches are freed, that sweep would come with
// the next large allocation and walk every block again from memory; a large
// allocation after every few hundred nodes has it merge the blocks just
// freed, while they are still in the cache.
void MergeFreedBlocks() {
  void* volatile block = std::malloc(4096);
  std::free(block);
}

} // namespace

// Headers tell their listener of identifier changes only, never when they are
// destroyed, so the nodes go without being detached first: one walk, in
// handle order, which is also the order their objects were allocated in.
void QDN_network::ClearRecords() {
  constexpr int kNodesPerMerge = 256;
  const int capacity = GetCapacity();
  for (int h = 0; h < capacity; ++h) {
    At(h) = Record{};
    if (h % kNodesPerMerge == kNodesPerMerge - 1 || h + 1 == capacity) MergeFreedBlocks();
  }
}

int QDN_network::DeleteAllNodes() {
  (void)submodels_.DeleteAllSubmodels();
  ClearRecords();
  ResetSettings();
  node_order_.Release(0);
  return QDN_NO_ERROR;
}

void QDN_network::NextStamp() const {
  if (forward_stamp_.size() < records_.size()) {
    forward_stamp_.resize(records_.size(), 0);
    backward_stamp_.resize(records_.size(), 0);
  }
  if (++stamp_ == 0) {
    std::fill(forward_stamp_.begin(), forward_stamp_.end(), 0);
    std::fill(backward_stamp_.begin(), backward_stamp_.end(), 0);
    stamp_ = 1;
  }
}

bool QDN_network::WouldCloseCycle(int parent, int child) const {
  if (parent == child) return true;
  // A child without children or a parent without parents closes nothing:
  // the usual case for a reader attaching the parents of a fresh node.
  if (At(child).children.GetCount() == 0 || At(parent).parents.GetCount() == 0) return false;
  // The arc closes a cycle exactly when child reaches parent. Two searches run
  // in turn, one node at a time: forward from child along child arcs and
  // backward from parent along parent arcs. They meet when a path exists; when
  // either runs out first there is none. The work is bounded by about twice
  // the smaller of the two reachable sets, so a reader adding arcs to fresh
  // nodes (or from fresh parents) pays a constant per arc. Stamps replace
  // clearing the marks before every search.
  NextStamp();
  auto forward_seen = [&](int h) { return forward_stamp_[static_cast<size_t>(h)] == stamp_; };
  auto backward_seen = [&](int h) { return backward_stamp_[static_cast<size_t>(h)] == stamp_; };
  std::vector<int>& forward = forward_walk_;
  std::vector<int>& backward = backward_walk_;
  forward.assign(1, child);
  backward.assign(1, parent);
  forward_stamp_[static_cast<size_t>(child)] = stamp_;
  backward_stamp_[static_cast<size_t>(parent)] = stamp_;
  while (!forward.empty() && !backward.empty()) {
    const int down = forward.back();
    forward.pop_back();
    const QDN_intArray& children = At(down).children;
    for (int i = 0; i < children.GetCount(); ++i) {
      const int next = children.At(i);
      if (backward_seen(next)) return true;
      if (forward_seen(next)) continue;
      forward_stamp_[static_cast<size_t>(next)] = stamp_;
      forward.push_back(next);
    }
    const int up = backward.back();
    backward.pop_back();
    const QDN_intArray& parents = At(up).parents;
    for (int i = 0; i < parents.GetCount(); ++i) {
      const int next = parents.At(i);
      if (forward_seen(next)) return true;
      if (backward_seen(next)) continue;
      backward_stamp_[static_cast<size_t>(next)] = stamp_;
      backward.push_back(next);
    }
  }
  return false;
}

int QDN_network::AddCostArc(int parent, int child) {
  Record& child_record = At(child);
  QDN_intArray& cost_children = At(parent).Costs().children;
  QDN_intArray& cost_parents = child_record.Costs().parents;
  CB_TRY(cost_children.Append(child));
  if (int status = cost_parents.Append(parent); status < 0) {
    (void)cost_children.RemoveAt(cost_children.GetCount() - 1);
    return status;
  }
  if (child_record.node->GetCost().AddParent(parent) != QDN_NO_ERROR) {
    (void)cost_children.RemoveAt(cost_children.GetCount() - 1);
    (void)cost_parents.RemoveAt(cost_parents.GetCount() - 1);
    return QDN_Log(QDN_OUT_OF_RANGE, "Arc cannot be added");
  }
  return QDN_NO_ERROR;
}

int QDN_network::AddArc(int parent, int child, int arcType) {
  if (!IsValidHandle(parent) || !IsValidHandle(child) || parent == child) return QDN_OUT_OF_RANGE;
  if (arcType == kCostArc) return AddCostArc(parent, child);
  Record& parent_record = At(parent);
  Record& child_record = At(child);
  if (child_record.parents.Contains(parent) || parent_record.parents.Contains(child))
    return QDN_OUT_OF_RANGE;
  if (WouldCloseCycle(parent, child)) return QDN_OUT_OF_RANGE;
  CB_TRY(parent_record.children.Append(child));
  if (int status = child_record.parents.Append(parent); status < 0) {
    (void)parent_record.children.RemoveAt(parent_record.children.GetCount() - 1);
    return status;
  }
  QDN_nodeDefinition* definition = child_record.node->GetDefinition();
  if (definition && definition->AddParent(parent) != QDN_NO_ERROR) {
    (void)parent_record.children.RemoveAt(parent_record.children.GetCount() - 1);
    (void)child_record.parents.RemoveAt(child_record.parents.GetCount() - 1);
    return QDN_Log(QDN_OUT_OF_RANGE, "Arc cannot be added");
  }
  NotifyChange(child, kArcAdded);
  return QDN_NO_ERROR;
}

int QDN_network::RemoveCostArc(int parent, int child) {
  Record& child_record = At(child);
  if (!child_record.costs || !child_record.costs->parents.Contains(parent)) return QDN_OUT_OF_RANGE;
  (void)child_record.node->GetCost().RemoveParent(parent);
  (void)At(parent).Costs().children.RemoveValue(child);
  (void)child_record.costs->parents.RemoveValue(parent);
  return QDN_NO_ERROR;
}

int QDN_network::RemoveArc(int parent, int child, int arcType) {
  if (!IsValidHandle(parent) || !IsValidHandle(child) || parent == child) return QDN_OUT_OF_RANGE;
  if (arcType == kCostArc) return RemoveCostArc(parent, child);
  Record& parent_record = At(parent);
  Record& child_record = At(child);
  const bool forward = child_record.parents.Contains(parent);
  if (!forward && !parent_record.parents.Contains(child)) return QDN_OUT_OF_RANGE;
  // Naming an existing arc backwards changes nothing.
  if (!forward) return QDN_NO_ERROR;
  if (QDN_nodeDefinition* definition = child_record.node->GetDefinition())
    (void)definition->RemoveParent(parent);
  (void)parent_record.children.RemoveValue(child);
  (void)child_record.parents.RemoveValue(parent);
  NotifyChange(child, kArcRemoved);
  return QDN_NO_ERROR;
}

const QDN_intArray& QDN_network::PartialOrderNodes() {
  node_order_.Clear();
  constexpr unsigned kVisited = 16;
  // A node being visited: guards against a cycle, which the arc checks exclude.
  constexpr unsigned kInProgress = 128;
  for (Record& record : records_)
    record.marks &= ~(kVisited | kInProgress);
  // Iterative depth-first walk over parents, in list order, appending each
  // node after all its parents: the order a recursive walk gives.
  std::vector<std::pair<int, int>> stack; // (node, next parent index)
  for (int start = GetFirstNode(); start >= 0; start = GetNextNode(start)) {
    if (At(start).marks & kVisited) continue;
    stack.emplace_back(start, 0);
    At(start).marks |= kInProgress;
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      const QDN_intArray& parents = At(node).parents;
      if (next < parents.GetCount()) {
        const int parent = parents.At(next++);
        if (!(At(parent).marks & (kVisited | kInProgress))) {
          At(parent).marks |= kInProgress;
          stack.emplace_back(parent, 0);
        }
        continue;
      }
      At(node).marks = (At(node).marks & ~kInProgress) | kVisited;
      (void)node_order_.Append(node);
      stack.pop_back();
    }
  }
  return node_order_;
}

int QDN_network::SetTarget(int handle) {
  if (!IsValidHandle(handle) || (At(handle).marks & kTargetMark)) return QDN_OUT_OF_RANGE;
  At(handle).marks |= kTargetMark;
  ++target_count_;
  return QDN_NO_ERROR;
}

int QDN_network::IsTarget(int handle) const {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  return (At(handle).marks & kTargetMark) ? 1 : 0;
}

int QDN_network::ClearAllTargets() {
  for (Record& record : records_)
    record.marks &= ~kTargetMark;
  target_count_ = 0;
  return QDN_NO_ERROR;
}

int QDN_network::SetEpisParameters(const QDN_episParameters& p) {
  if (p.proplen < 1 || !(p.numstates1 < p.numstates2 && p.numstates2 < p.numstates3) ||
      !(p.eps1 >= p.eps2 && p.eps2 >= p.eps3))
    return QDN_OUT_OF_RANGE;
  epis_ = p;
  return QDN_NO_ERROR;
}

int QDN_network::SetBeliefUpdatingAlgorithm(int algorithm) {
  if (algorithm < 0 || algorithm > 8) return QDN_OUT_OF_RANGE;
  belief_algorithm_ = algorithm;
  return QDN_NO_ERROR;
}

int QDN_network::SetDecisionAlgorithm(int algorithm) {
  if (algorithm < 0 || algorithm > 1) return QDN_OUT_OF_RANGE;
  decision_algorithm_ = algorithm;
  return QDN_NO_ERROR;
}

void QDN_network::NotifyChange(int handle, unsigned code) {
  if (!(update_mode_ & 1) || !(notification_mask_ & code) || !IsValidHandle(handle)) return;
  // The update routine: the node's value is out of date, and when its outcomes,
  // values or definition changed, so are the values of its descendants.
  if (QDN_nodeValue* value = At(handle).node->GetValue()) value->Invalidate();
  if (!(code & (kOutcomesChanged | kValuesChanged | kDefinitionRebuilt))) return;
  NextStamp();
  std::vector<int>& pending = forward_walk_;
  pending.assign(1, handle);
  forward_stamp_[static_cast<size_t>(handle)] = stamp_;
  while (!pending.empty()) {
    const QDN_intArray& children = At(pending.back()).children;
    pending.pop_back();
    for (int i = 0; i < children.GetCount(); ++i) {
      const int child = children.At(i);
      if (forward_stamp_[static_cast<size_t>(child)] == stamp_) continue;
      forward_stamp_[static_cast<size_t>(child)] = stamp_;
      if (QDN_nodeValue* value = At(child).node->GetValue()) value->Invalidate();
      pending.push_back(child);
    }
  }
}

void QDN_network::EvidenceChanged(int handle) {
  if (!IsValidHandle(handle)) return;
  // Evidence changes what every other node's value would be; the descendants
  // are the ones whose stored results it invalidates directly.
  const QDN_intArray& children = At(handle).children;
  for (int i = 0; i < children.GetCount(); ++i)
    NotifyChange(children.At(i), kValuesChanged);
}

namespace {

int TypeOf(const QDN_node* node) {
  return node && node->GetDefinition() ? node->GetDefinition()->GetType() : 0;
}

const char* TypeName(int type) {
  switch (type) {
  case 0:
    return "undefined";
  case QDN_DISTRIBUTION:
    return "DISTRIBUTION";
  case QDN_EQUATION:
    return "EQUATION";
  case QDN_EQUATION_SCC:
    return "EQUATION_SCC";
  case QDN_TABLE:
    return "TABLE";
  case QDN_LIST:
    return "LIST";
  case QDN_CPT:
    return "CPT";
  case QDN_TRUTHTABLE:
    return "TRUTHTABLE";
  case QDN_MAU:
    return "MAU";
  case QDN_CAST:
    return "CAST";
  case QDN_NOISY_MAX:
    return "NOISY_MAX";
  default:
    return "unknown";
  }
}

} // namespace

void QDN_network::RemoveArcsRefusedByType(int handle, int definitionType) {
  // Arcs are removed while both ends still have their old definitions, so
  // each child's table loses the dimension that belongs to the arc.
  auto remove = [&](int parent, int child, int child_type, int parent_type) {
    if (RemoveArc(parent, child, 0) != QDN_NO_ERROR) return;
    const std::string message = std::string("Arc from '") + GetNode(parent)->GetId() + "' to '" +
                                GetNode(child)->GetId() + "' removed: a " + TypeName(child_type) +
                                " node can't have a " + TypeName(parent_type) + " parent";
    QDN_Log(QDN_WRONG_NODE_TYPE, message.c_str());
  };
  const QDN_intArray parents(At(handle).parents);
  for (int i = 0; i < parents.GetCount(); ++i) {
    const int parent_type = TypeOf(GetNode(parents.At(i)));
    if (!QDN_AcceptsParent(definitionType, parent_type))
      remove(parents.At(i), handle, definitionType, parent_type);
  }
  const QDN_intArray children(At(handle).children);
  for (int i = 0; i < children.GetCount(); ++i) {
    const int child_type = TypeOf(GetNode(children.At(i)));
    if (!QDN_AcceptsParent(child_type, definitionType))
      remove(handle, children.At(i), child_type, definitionType);
  }
}

int QDN_network::ReshapeChildren(int handle, int oldCount) {
  if (!IsValidHandle(handle)) return QDN_OUT_OF_RANGE;
  const int count = GetNumberOfOutcomes(handle);
  // A table has a dimension for a parent only while the parent has outcomes.
  if (oldCount <= 0 || count <= 0 || count == oldCount) return QDN_NO_ERROR;
  int first_error = QDN_NO_ERROR;
  const QDN_intArray& children = At(handle).children;
  for (int i = 0; i < children.GetCount(); ++i) {
    QDN_nodeDefinition* definition = At(children.At(i)).node->GetDefinition();
    if (!definition) continue;
    int status = QDN_NO_ERROR;
    for (int p = oldCount; p < count && status == QDN_NO_ERROR; ++p)
      status = definition->AddParentOutcome(handle, p);
    for (int p = oldCount - 1; p >= count && status == QDN_NO_ERROR; --p)
      status = definition->RemoveParentOutcome(handle, p);
    if (first_error == QDN_NO_ERROR && status < 0) first_error = status;
  }
  return first_error;
}

int QDN_network::ChangeNodeType(int handle, int definitionType) {
  QDN_node* node = GetNode(handle);
  if (!node) return QDN_OUT_OF_RANGE;
  if (!IsKnownDefinitionType(definitionType)) return QDN_OUT_OF_RANGE;
  RemoveArcsRefusedByType(handle, definitionType);
  const int old_outcomes = GetNumberOfOutcomes(handle);
  std::unique_ptr<QDN_nodeDefinition> definition;
  CB_TRY(QDN_CreateDefinition(definitionType, this, handle, definition));
  std::unique_ptr<QDN_nodeValue> value;
  // A type without a value object (a distribution) is logged as AddNode logs it.
  if (int status = QDN_CreateValue(definitionType, this, handle, value); status < 0) {
    if (status == QDN_OUT_OF_MEMORY) return status;
    QDN_Log(status, nullptr);
  }
  if (definition && node->GetDefinition()) {
    const int status = definition->CopyParameters(*node->GetDefinition());
    if (status < 0) QDN_Log(status, nullptr);
  }
  if (value && node->GetValue()) (void)value->CopyFrom(*node->GetValue());
  node->SetDefinition(std::move(definition), std::move(value));
  const int outcomes = GetNumberOfOutcomes(handle);
  if (QDN_nodeValue* fresh = node->GetValue()) {
    (void)fresh->CreateResult();
    fresh->DropEvidenceBeyond(outcomes);
  }
  if (QDN_extraDefinition* extra = node->GetExtraDefinition())
    if (outcomes != extra->GetNumberOfOutcomes()) extra->Rebuild(outcomes);
  if (outcomes != old_outcomes) {
    const QDN_intArray& cost_children = GetChildren(handle, kCostArc);
    for (int i = 0; i < cost_children.GetCount(); ++i)
      (void)GetNode(cost_children.At(i))->GetCost().RebuildParent(handle);
  }
  const int reshaped = ReshapeChildren(handle, old_outcomes);
  if (reshaped < 0) QDN_Log(reshaped, "Child tables could not follow the type change");
  (void)node->GetInfo().screen.ApplyDefaults(submodels_.GetDefaultScreenInfo(definitionType));
  node->CheckReadiness(1);
  NotifyChange(handle, kDefinitionRebuilt);
  return QDN_NO_ERROR;
}
