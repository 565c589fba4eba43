#pragma once

#include <functional>
#include <memory>

#include "core/QDN_object.h"

class QDN_network;
class QDN_node;
class QDN_intArray;
class QDN_doubleArray;
class QDN_stringArray;
class QDN_idArray;
class QDN_Dmatrix;
class QDN_costDefinition;
class QDN_extraDefinition;
class QDN_nodeValue;

// Definition type numbers: bit sets of 1 decision, 2 chance, 4 deterministic,
// 8 utility, 16 discrete, 128 multi-attribute utility, 256 CAST, 512
// noisy-MAX, 1024 strongly coupled equation.
inline constexpr int QDN_CPT = 18;
inline constexpr int QDN_TRUTHTABLE = 20;
inline constexpr int QDN_LIST = 17;
inline constexpr int QDN_TABLE = 8;
inline constexpr int QDN_MAU = 136;
inline constexpr int QDN_NOISY_MAX = 530;
inline constexpr int QDN_CAST = 274;
inline constexpr int QDN_EQUATION = 4;
inline constexpr int QDN_EQUATION_SCC = 1028;
inline constexpr int QDN_DISTRIBUTION = 2;
inline constexpr int QDN_DISCRETE_BIT = 16;

// True for the types a node can be created with (0: no definition).
bool IsKnownDefinitionType(int type);
// "CPT" 18, "TRUTHTABLE" 20, "LIST" 17, "TABLE" 8, "NOISY_MAX" 530, "MAU" 136,
// "CAST" 274 (exact, case-sensitive); -2 for any other text.
int DefinitionTypeFromName(const char* name);
// Whether a node of definition type child may have a parent of definition
// type parent on an ordinary arc. A node without a definition (type 0) takes
// any parent; a distribution node takes none.
bool QDN_AcceptsParent(int child, int parent);

// Base of the node definitions: the typed parameters of a node. The network
// tells the definition about every parent added or removed and every change
// of a parent's outcomes; the definition reshapes its table so that numbers
// stay attached to the same parent states. Operations a type lacks return
// QDN_WRONG_NODE_TYPE.
class QDN_nodeDefinition : public QDN_object {
public:
  QDN_nodeDefinition(QDN_network* network, int handle);
  QDN_nodeDefinition(const QDN_nodeDefinition& other);
  QDN_nodeDefinition& operator=(const QDN_nodeDefinition&) = delete;
  ~QDN_nodeDefinition() override = default;

  virtual int GetType() const = 0;
  virtual const char* GetTypeName() const = 0;
  int IsOfType(int mask) const { return GetType() & mask; }

  // Parent changes. AddParent runs after the arc is in the parent list;
  // RemoveParent before it leaves.
  virtual int AddParent(int parent);
  virtual int RemoveParent(int parent);
  virtual int RemoveParentWithEvidence(int parent);
  virtual int SumOutParent(int parent);
  virtual int AddParentOutcome(int parent, int position);
  virtual int RemoveParentOutcome(int parent, int position);
  virtual int ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order);
  virtual int ChangeOrderOfParents(const QDN_intArray& order);
  virtual int RemoveIncompatibleParents();
  int HandleEvent(int code);

  virtual int GetSize() const;
  [[nodiscard]] virtual int AdoptDefinition(QDN_nodeDefinition& source);
  virtual int CreateTable();
  // Takes over what it can of another definition (type conversion).
  [[nodiscard]] virtual int CopyParameters(const QDN_nodeDefinition& source);
  [[nodiscard]] virtual int SetDefinitionInParentOrder(int outcomes, const QDN_intArray& given,
                                                       const QDN_intArray& target,
                                                       const QDN_doubleArray& values);

  // Outcomes.
  [[nodiscard]] virtual int AddOutcome(const char* name);
  [[nodiscard]] virtual int InsertOutcome(int position, const char* name);
  [[nodiscard]] virtual int RemoveOutcome(int position);
  virtual int GetNumberOfOutcomes() const;
  [[nodiscard]] virtual int RenameOutcome(int index, const char* name);
  [[nodiscard]] virtual int RenameOutcomes(const QDN_stringArray& names);
  virtual const QDN_idArray* GetOutcomesNames() const;
  [[nodiscard]] virtual int SetNumberOfOutcomes(const QDN_stringArray& names);
  [[nodiscard]] virtual int SetNumberOfOutcomes(int count);
  [[nodiscard]] virtual int ChangeOrderOfOutcomes(const QDN_intArray& order);
  // Outcome i continues old outcome mapping[i], or is new (-1).
  [[nodiscard]] int ReplaceOutcomes(const QDN_stringArray& names, const QDN_intArray& mapping);

  // Tables. GetTable is the stored table (for a noisy-MAX, its parameters).
  virtual QDN_Dmatrix* GetTable();
  const QDN_Dmatrix* GetTable() const { return const_cast<QDN_nodeDefinition*>(this)->GetTable(); }
  // The probability table a reader of the node expects (a noisy-MAX expands
  // its parameters first); null for types without one.
  virtual const QDN_Dmatrix* GetProbabilityTable();
  [[nodiscard]] virtual int SetDefinition(const QDN_Dmatrix& table);
  // Copies the leading values into the table (no checks beyond the length).
  [[nodiscard]] virtual int SetDefinition(const QDN_doubleArray& values);

  QDN_network* GetNetwork() const { return network_; }
  int GetHandle() const { return handle_; }
  void CheckReadiness(int deep) override;

protected:
  // The node, or null when the definition is not attached to a live node.
  QDN_node* Node() const;
  const QDN_intArray* Parents() const;
  // Index of parent in the node's parent list, or -2.
  int ParentIndex(int parent) const;
  // Definition of another node of the network, or null.
  QDN_nodeDefinition* DefinitionOf(int handle) const;
  int ParentOutcomes(int parent) const;
  // Whether parent is a node of the network with outcomes a table is laid
  // out over: a decision, chance, deterministic or noisy-MAX node.
  bool IsTableParent(int parent) const;
  void Notify(unsigned code) const;
  // After a change of the parameters: checks readiness and consistency
  // again and tells the network code (a QDN_network change code); 0.
  int FinishChange(unsigned code);
  // Removes parent's dimension from table, before the parent leaves: -2 for
  // a utility parent or a node not in the network; nothing for a parent the
  // table is not laid out over.
  int RemoveParentDimension(QDN_Dmatrix& table, int parent);
  // The type conversion of the utility definitions (table and multi-
  // attribute): nothing carries over from a node without a definition or a
  // continuous one; from a decision the table is made anew without the
  // decision's informational arcs; from a discrete or utility node it is
  // made anew and take_values then copies what it can. -2 for other types.
  int CopyUtilityParameters(const QDN_nodeDefinition& source,
                            const std::function<void()>& take_values);
  // Tells children (ordinary and cost) and the node's extra definition about an outcome change.
  int TellOutcomeInserted(int position) const;
  int TellOutcomeRemoved(int position) const;
  int TellOutcomesReordered(const QDN_intArray& order) const;
  // The node's outcomes were replaced wholesale; it had old_outcomes before.
  // Children keep the parent states both counts share; the first error is returned.
  int TellOutcomesRebuilt(int old_outcomes) const;
  template <typename OnChild, typename OnCost, typename OnExtra, typename OnValue>
  int TellDependents(OnChild on_child, OnCost on_cost, OnExtra on_extra, OnValue on_value) const;
  // Calls AddParent for every parent; failures are logged "Parent could not be added".
  void AddEveryParent();
  // Removes every ordinary parent arc of the node.
  void RemoveAllParentArcs() const;

  QDN_network* network_;
  int handle_;
};

// Creates the definition of a type for node handle of network (type 0: none).
// -2 for an unknown type, -42 when memory runs out.
int QDN_CreateDefinition(int type, QDN_network* network, int handle,
                         std::unique_ptr<QDN_nodeDefinition>& out);
