// Reading and writing model files, and the checks a network runs after a read.
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_cellBudget.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_nodeValue.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_fileFormat.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

std::unique_ptr<QDN_fileFormat> QDN_network::CreateFormat(const char* fileName, int formatNumber) {
  if (formatNumber == QDN_FORMAT_BY_EXTENSION) formatNumber = FormatFromExtension(fileName);
  std::unique_ptr<QDN_fileFormat> format;
  if (const QDN_formatEntry* entry = QDN_FindFormat(formatNumber)) format = entry->create(this);
  if (!format) QDN_Log(QDN_OUT_OF_RANGE, "Unknown File Format");
  return format;
}

namespace {

long long FileBytes(const char* fileName) {
  struct stat info {};
  return fileName && ::stat(fileName, &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

// Logs the refusal of a load by its cell budget, naming the node whose table was refused.
int ReportCellBudget(QDN_network& network, const QDN_cellBudget::Scope& budget) {
  // The refused table is one a node holds: its definition's, its values' or its costs'.
  std::string what = "a table";
  const void* table = budget.GetRefusedTable();
  for (int h = network.GetFirstNode(); h >= 0; h = network.GetNextNode(h)) {
    QDN_node* node = network.GetNode(h);
    QDN_nodeDefinition* definition = node->GetDefinition();
    QDN_nodeValue* value = node->GetValue();
    if ((definition && definition->GetTable() == table) || (value && value->HoldsTable(table)) ||
        &node->GetCost().GetCosts() == table) {
      what = std::string("node '") + (node->GetId() ? node->GetId() : "") + "'";
      break;
    }
  }
  return QDN_Log(QDN_CELL_BUDGET_EXCEEDED, budget.Describe(what).c_str());
}

} // namespace

int QDN_network::ReadFile(const char* fileName, int formatNumber, int flags) {
  // A name without a registered extension is read in the format its first
  // bytes show.
  if (formatNumber == QDN_FORMAT_BY_EXTENSION && FormatFromExtension(fileName) < 0) {
    const int shown = FormatFromContent(fileName);
    if (shown > 0) formatNumber = shown;
  }
  std::unique_ptr<QDN_fileFormat> format = CreateFormat(fileName, formatNumber);
  if (!format) return QDN_OUT_OF_RANGE;
  (void)DeleteAllNodes();
  // Every table the read and the checks build is charged to this budget.
  QDN_cellBudget::Scope budget(QDN_cellBudget::BudgetFor(FileBytes(fileName)));
  const unsigned saved_mask = notification_mask_;
  notification_mask_ = 0;
  int status = format->ReadFile(fileName, flags);
  format.reset();
  notification_mask_ = saved_mask;
  dropped_nodes_ = 0;
  if (status == QDN_NO_ERROR && !budget.Exceeded()) {
    const int read = node_count_;
    CheckAfterRead();
    dropped_nodes_ = read - node_count_;
  }
  if (budget.Exceeded()) status = ReportCellBudget(*this, budget);
  return status;
}

int QDN_network::WriteFile(const char* fileName, int formatNumber) {
  if (formatNumber == QDN_FORMAT_KI)
    return QDN_Log(QDN_OUT_OF_RANGE, "Writing to KI file format not supported.");
  std::unique_ptr<QDN_fileFormat> format = CreateFormat(fileName, formatNumber);
  if (!format) return QDN_OUT_OF_RANGE;
  return format->WriteFile(fileName);
}

void QDN_network::Release(int deep) {
  ClearRecords();
  records_.clear();
  if (deep) {
    creation_.Release(deep);
    properties_.Release(deep);
    submodels_.Release(deep);
  }
  ResetSettings();
  growth_step_ = 50;
  CheckReadiness(0);
}

// The checks walk every node's objects, which on a large network are no
// longer in the caches. While one node is checked, the objects of the node
// two ahead are fetched, and the table cells of the next one (whose
// definition the previous step fetched).
void QDN_network::PrefetchNodeAfter(int handle) const {
  const int capacity = GetCapacity();
  if (handle + 2 < capacity) {
    if (const QDN_node* node = At(handle + 2).node.get()) {
      const char* bytes = reinterpret_cast<const char*>(node);
      for (size_t at = 0; at < sizeof(QDN_node); at += 64)
        __builtin_prefetch(bytes + at);
      if (const QDN_nodeDefinition* definition = node->GetDefinition())
        __builtin_prefetch(definition);
    }
  }
  if (handle + 1 < capacity) {
    const QDN_node* node = At(handle + 1).node.get();
    const QDN_nodeDefinition* definition = node ? node->GetDefinition() : nullptr;
    const QDN_Dmatrix* table = definition ? definition->GetTable() : nullptr;
    if (table && table->GetSize() > 0) {
      const char* cells = reinterpret_cast<const char*>(table->GetItems().Data());
      const size_t bytes = std::min<size_t>(static_cast<size_t>(table->GetSize()) * 8, 1024);
      for (size_t at = 0; at < bytes; at += 64)
        __builtin_prefetch(cells + at);
    }
  }
}

void QDN_network::CheckReadiness(int deep) {
  if (deep) {
    creation_.CheckReadiness(deep);
    properties_.CheckReadiness(deep);
    submodels_.CheckReadiness(deep);
    node_order_.CheckReadiness(deep);
  }
  for (int h = GetFirstNode(); h >= 0; h = GetNextNode(h)) {
    QDN_node* node = GetNode(h);
    PrefetchNodeAfter(h);
    if (deep) node->CheckReadiness(deep);
    if (!node->IsReady() && DeleteNode(h) != QDN_NO_ERROR) {
      ClearFlag(kReady);
      return;
    }
  }
  SetFlag(kReady);
}

bool QDN_network::PartsAreConsistent(int deep) {
  if (deep) {
    creation_.CheckConsistency(deep);
    properties_.CheckConsistency(deep);
    submodels_.CheckConsistency(deep);
    node_order_.CheckConsistency(deep);
  }
  return creation_.IsConsistent() && properties_.IsConsistent() && submodels_.IsConsistent() &&
         node_order_.IsConsistent();
}

void QDN_network::CheckConsistency(int deep) {
  if (!PartsAreConsistent(deep)) {
    ClearFlag(kConsistent);
    return;
  }
  CheckNodesFrom(0, deep);
}

void QDN_network::CheckNodesFrom(int first, int deep) {
  for (int h = GetNextNode(first - 1); h >= 0; h = GetNextNode(h)) {
    QDN_node* node = GetNode(h);
    PrefetchNodeAfter(h);
    if (deep) node->CheckConsistency(deep);
    if (!node->IsConsistent()) {
      ReportInconsistentNode(*node);
      return;
    }
  }
  SetFlag(kConsistent);
}

void QDN_network::ReportInconsistentNode(const QDN_node& node) {
  const std::string message = std::string("ERROR: Node [") + (node.GetId() ? node.GetId() : "") +
                              "] is not consistent. Inference may not be correct";
  QDN_Log(QDN_NOT_CONSISTENT, message.c_str());
  ClearFlag(kConsistent);
}

// CheckReadiness(1) then CheckConsistency(1), with one walk over the nodes
// where it can: a node's consistency is checked right after its readiness,
// while its objects are in the cache, as long as no later step of the walk
// can change it. Removing an unready node changes only the definitions of
// its children, so a node whose parents all come before it (and are kept or
// gone already) is final. From the first node with a later parent, the
// consistency of the rest is checked after the walk, as CheckConsistency
// would. The network's own parts depend on no node: they are checked first.
// Flags, removed nodes and log entries come out as from the two calls.
void QDN_network::CheckAfterRead() {
  creation_.CheckReadiness(1);
  properties_.CheckReadiness(1);
  submodels_.CheckReadiness(1);
  node_order_.CheckReadiness(1);
  const bool parts_consistent = PartsAreConsistent(1);
  bool ready = true;
  // First node whose consistency is left for after the walk; -1 when every
  // kept node was checked in the walk.
  int rest = -1;
  const QDN_node* inconsistent = nullptr;
  bool checking = parts_consistent;
  for (int h = GetFirstNode(); h >= 0; h = GetNextNode(h)) {
    QDN_node* node = GetNode(h);
    PrefetchNodeAfter(h);
    node->CheckReadiness(1);
    if (!node->IsReady()) {
      if (DeleteNode(h) == QDN_NO_ERROR) continue;
      ready = false;
      if (checking) rest = h;
      break;
    }
    if (!checking) continue;
    const QDN_intArray& parents = At(h).parents;
    bool settled = true;
    for (int i = 0; i < parents.GetCount() && settled; ++i)
      settled = parents.At(i) < h;
    if (!settled) {
      rest = h;
      checking = false;
      continue;
    }
    node->CheckConsistency(1);
    if (!node->IsConsistent()) {
      inconsistent = node;
      checking = false;
    }
  }
  AssignFlag(kReady, ready);
  if (!parts_consistent) {
    ClearFlag(kConsistent);
  } else if (inconsistent) {
    ReportInconsistentNode(*inconsistent);
  } else if (rest >= 0) {
    CheckNodesFrom(rest, 1);
  } else {
    SetFlag(kConsistent);
  }
}
