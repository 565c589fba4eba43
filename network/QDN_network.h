#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/QDN_intArray.h"
#include "core/QDN_object.h"
#include "network/QDN_chunkedStore.h"
#include "network/QDN_header.h"
#include "network/QDN_idIndex.h"
#include "network/QDN_submodelTree.h"
#include "network/QDN_userProperties.h"

class QDN_node;
class QDN_fileFormat;

// Parameters of the EPIS sampling algorithm.
struct QDN_episParameters {
  int proplen = 5;
  int numstates1 = 5;
  int numstates2 = 8;
  int numstates3 = 20;
  double eps1 = 0.006;
  double eps2 = 0.0001;
  double eps3 = 0.00005;
  double eps4 = 0.00005;
  bool operator==(const QDN_episParameters&) const = default;
};

// A network of nodes under integer handles, with ordinary and cost arcs and a
// tree of submodels. Handles index the record table; freed records are reused
// and the handles of the remaining nodes never change. Node and submodel
// identifiers share one namespace.
class QDN_network : public QDN_object, private QDN_idListener {
public:
  static constexpr int kMainSubmodel = 16384;
  static constexpr unsigned kDefaultNotificationMask = 463;
  static constexpr int kCostArc = 1;
  // Change codes of NotifyChange.
  static constexpr unsigned kArcAdded = 1;
  static constexpr unsigned kArcRemoved = 2;
  static constexpr unsigned kOutcomesChanged = 64;
  static constexpr unsigned kValuesChanged = 128;
  static constexpr unsigned kDefinitionRebuilt = 256;
  // Marks of a record.
  static constexpr unsigned kTargetMark = 1;

  QDN_network();
  QDN_network(const QDN_network&) = delete;
  QDN_network& operator=(const QDN_network&) = delete;
  ~QDN_network() override;

  // Empties the network and gives it capacity records (values <= 0 become 50).
  [[nodiscard]] int Initialize(int capacity, int growthStep);

  // New handle; -2 when id is in use or the definition type is unknown to the
  // record table; -42 when memory runs out. An id that breaks the identifier
  // rule gets a default identifier; the name keeps the text given.
  [[nodiscard]] int AddNode(int definitionType, const char* id);
  [[nodiscard]] int DeleteNode(int handle);
  int DeleteAllNodes();
  // Sets a node's identifier: -2 when another node or a submodel has it,
  // -1000 when it breaks the identifier rule.
  [[nodiscard]] int SetNodeId(int handle, const char* id);

  [[nodiscard]] int AddArc(int parent, int child, int arcType);
  [[nodiscard]] int RemoveArc(int parent, int child, int arcType);

  int FindNode(const char* id) const;
  QDN_node* GetNode(int handle) const;
  int GetFirstNode() const;
  int GetNextNode(int handle) const;
  int GetNumberOfNodes() const { return node_count_; }
  int GetCapacity() const { return static_cast<int>(records_.size()); }
  int GetAllNodes(QDN_intArray& out) const;
  // The record's parent or child list (arc type 1: cost arcs). An invalid
  // handle gives an empty list.
  const QDN_intArray& GetParents(int handle, int arcType) const;
  const QDN_intArray& GetChildren(int handle, int arcType) const;
  int GetNumberOfParents(int handle, int arcType) const;
  int GetNumberOfChildren(int handle, int arcType) const;
  // Every node once, after all its ancestors.
  const QDN_intArray& PartialOrderNodes();
  int IsIdentifierInUse(const char* id, int exceptHandle) const;
  int CreateDefaultNodeId(std::string& out) const;
  // Outcome count of a node's definition, 0 without a discrete definition.
  int GetNumberOfOutcomes(int handle) const;

  int SetTarget(int handle);
  int IsTarget(int handle) const;
  int ClearAllTargets();
  int GetNumberOfTargets() const { return target_count_; }

  [[nodiscard]] int SetEpisParameters(const QDN_episParameters& parameters);
  const QDN_episParameters& GetEpisParameters() const { return epis_; }
  int GetSampleCount() const { return sample_count_; }
  void SetSampleCount(int count) { sample_count_ = count; }
  // Belief-updating algorithm 0 to 8; -2 otherwise.
  int SetBeliefUpdatingAlgorithm(int algorithm);
  int GetBeliefUpdatingAlgorithm() const { return belief_algorithm_; }
  // Decision algorithm 0 or 1; -2 otherwise.
  int SetDecisionAlgorithm(int algorithm);
  int GetDecisionAlgorithm() const { return decision_algorithm_; }
  int GetFurtherSetting() const { return further_setting_; }
  void SetFurtherSetting(int value) { further_setting_ = value; }
  unsigned GetUpdateMode() const { return update_mode_; }
  void SetUpdateMode(unsigned mode) { update_mode_ = mode; }
  unsigned GetChangeNotificationMask() const { return notification_mask_; }
  void SetChangeNotificationMask(unsigned mask) { notification_mask_ = mask; }
  // Fault-name display format of the network (SHOWAS).
  int GetFaultNameFormat() const { return fault_name_format_; }
  void SetFaultNameFormat(int format) { fault_name_format_ = format; }

  // Replaces a node's definition and value by those of another type; the new
  // definition takes over what it can of the old one. Arcs the new type can't
  // have (from its parents or to its children) are removed first and logged;
  // the children's tables follow the new outcome count, and evidence on an
  // outcome the node no longer has is cleared. -2 for an unknown type.
  [[nodiscard]] int ChangeNodeType(int handle, int definitionType);
  // A node's outcomes were replaced wholesale and it had oldCount before:
  // every child's table keeps the parent states both counts share and gains
  // or loses states at the end, as adding or removing outcomes does. The
  // first error is returned.
  int ReshapeChildren(int handle, int oldCount);
  // Evidence of a node was set or cleared: values that depend on it are out of date.
  void EvidenceChanged(int handle);

  // A change of a node's structure or parameters: values of the node (and,
  // for outcome and value changes, of its descendants) go out of date.
  void NotifyChange(int handle, unsigned code);

  QDN_creation& GetCreation() { return creation_; }
  QDN_userProperties& GetProperties() { return properties_; }
  const QDN_userProperties& GetProperties() const { return properties_; }
  QDN_documentation& GetDocumentation() { return documentation_; }
  QDN_submodelTree& GetSubmodels() { return submodels_; }
  const QDN_submodelTree& GetSubmodels() const { return submodels_; }

  // Creates the format object for a file name and format number (0: by the
  // name's extension); logs "Unknown File Format" and returns null when there
  // is none.
  std::unique_ptr<QDN_fileFormat> CreateFormat(const char* fileName, int formatNumber);
  // Empties the network and reads the file; notifications are silenced while
  // the format reads, and nodes that could not be made ready are removed after.
  // The tables of the read are charged to a cell budget (QDN_cellBudget): a
  // file whose tables would pass it fails with QDN_CELL_BUDGET_EXCEEDED.
  [[nodiscard]] int ReadFile(const char* fileName, int formatNumber, int flags);
  // Writes the network; an explicit format 7 (KI) is refused.
  [[nodiscard]] int WriteFile(const char* fileName, int formatNumber);
  // Nodes the last successful read removed because they could not be made ready.
  int GetDroppedNodes() const { return dropped_nodes_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  // Cost arcs are rare: their lists are allocated with a node's first one,
  // which keeps every node record small.
  struct CostArcs {
    QDN_intArray parents;
    QDN_intArray children;
  };
  struct Record {
    std::unique_ptr<QDN_node> node;
    QDN_intArray parents;
    QDN_intArray children;
    std::unique_ptr<CostArcs> costs;
    unsigned marks = 0;
    CostArcs& Costs() {
      if (!costs) costs = std::make_unique<CostArcs>();
      return *costs;
    }
  };

  bool IsValidHandle(int handle) const;
  Record& At(int handle) { return records_[static_cast<size_t>(handle)]; }
  const Record& At(int handle) const { return records_[static_cast<size_t>(handle)]; }
  int FindFreeRecord();
  void PrefetchNodeAfter(int handle) const;
  // The checks a read ends with; see the definition.
  void CheckAfterRead();
  // Consistency of the network's own parts (not its nodes).
  bool PartsAreConsistent(int deep);
  // Consistency of the nodes from handle first on, up to the first
  // inconsistent one, which is logged.
  void CheckNodesFrom(int first, int deep);
  void ReportInconsistentNode(const QDN_node& node);
  // Destroys every node; the records stay, empty.
  void ClearRecords();
  // True when child reaches parent along ordinary arcs (the arc parent ->
  // child would close a cycle).
  bool WouldCloseCycle(int parent, int child) const;
  // Starts a new walk: every node reads as unvisited in both stamp lists.
  void NextStamp() const;
  // Removes (and logs) the ordinary arcs of a node that a node of type
  // definitionType could not have.
  void RemoveArcsRefusedByType(int handle, int definitionType);
  int AddCostArc(int parent, int child);
  int RemoveCostArc(int parent, int child);
  void IdChanged(const char* old_id, const char* new_id) override;
  void ResetSettings();

  QDN_creation creation_;
  QDN_userProperties properties_;
  QDN_documentation documentation_;
  QDN_submodelTree submodels_;
  QDN_chunkedStore<Record> records_;
  int node_count_ = 0;
  int growth_step_ = 50;
  int target_count_ = 0;
  int sample_count_ = 1000;
  int belief_algorithm_ = 0;
  int decision_algorithm_ = 0;
  QDN_intArray node_order_;
  unsigned update_mode_ = 7;
  unsigned notification_mask_ = kDefaultNotificationMask;
  int further_setting_ = 3;
  int fault_name_format_ = 0;
  QDN_episParameters epis_;
  // Node identifier -> handles of the nodes holding it.
  QDN_idIndex ids_;
  // Lowest handle that may be free.
  int free_hint_ = 0;
  int dropped_nodes_ = 0;
  // Scratch marks of the cycle search, stamped per search instead of cleared.
  mutable std::vector<unsigned> forward_stamp_;
  mutable std::vector<unsigned> backward_stamp_;
  mutable unsigned stamp_ = 0;
  // The two frontiers of the cycle search, kept to spare an allocation per arc.
  mutable std::vector<int> forward_walk_, backward_walk_;
};
