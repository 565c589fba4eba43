#pragma once

#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "definitions/QDN_nodeDefinition.h"

// Conditional probability table: the node's outcome names and one
// distribution over them for every combination of parent states. The table
// has one dimension per parent, in parent-list order, and the node's own
// outcomes last.
class QDN_cpt : public QDN_nodeDefinition {
public:
  // Two outcomes State0 and State1, uniform, over the node's current parents.
  QDN_cpt(QDN_network* network, int handle);
  ~QDN_cpt() override = default;

  int GetType() const override { return QDN_CPT; }
  const char* GetTypeName() const override { return "CPT"; }

  int AddParent(int parent) override;
  int RemoveParent(int parent) override;
  int RemoveParentWithEvidence(int parent) override;
  int SumOutParent(int parent) override;
  int AddParentOutcome(int parent, int position) override;
  int RemoveParentOutcome(int parent, int position) override;
  int ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) override;
  int ChangeOrderOfParents(const QDN_intArray& order) override;

  int GetSize() const override { return table_.GetSize(); }
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  [[nodiscard]] int SetDefinitionInParentOrder(int outcomes, const QDN_intArray& given,
                                               const QDN_intArray& target,
                                               const QDN_doubleArray& values) override;

  [[nodiscard]] int AddOutcome(const char* name) override;
  [[nodiscard]] int InsertOutcome(int position, const char* name) override;
  [[nodiscard]] int RemoveOutcome(int position) override;
  int GetNumberOfOutcomes() const override { return outcomes_; }
  [[nodiscard]] int RenameOutcome(int index, const char* name) override;
  [[nodiscard]] int RenameOutcomes(const QDN_stringArray& names) override;
  const QDN_idArray* GetOutcomesNames() const override { return &ids_; }
  [[nodiscard]] int SetNumberOfOutcomes(const QDN_stringArray& names) override;
  [[nodiscard]] int SetNumberOfOutcomes(int count) override;
  [[nodiscard]] int ChangeOrderOfOutcomes(const QDN_intArray& order) override;

  QDN_Dmatrix* GetTable() override { return &table_; }
  const QDN_Dmatrix* GetProbabilityTable() override { return &table_; }
  [[nodiscard]] int SetDefinition(const QDN_Dmatrix& table) override;
  [[nodiscard]] int SetDefinition(const QDN_doubleArray& values) override;
  // Replaces every cell; -2 unless values has exactly one value per cell.
  // Negative values or runs not summing to 1 are stored and only clear the
  // consistent flag.
  [[nodiscard]] int SetProbabilities(const QDN_doubleArray& values);

  void SetOwner(int deep) override;
  void ClearOwner(int deep) override;
  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

protected:
  // Used by derived tables: no table is built.
  struct NoTable {};
  QDN_cpt(QDN_network* network, int handle, NoTable);
  // Parent types a probability table follows: decision, chance, deterministic, noisy-MAX.
  // Called after a parent outcome was inserted into the table.
  virtual void FixInsertedParentSlice();
  // Copies ids (and, for tables of the same size, cells) from a discrete source.
  int CopyDiscreteParameters(const QDN_nodeDefinition& source);
  // Rebuilds the table after the outcomes were replaced and tells the node's
  // children, costs and value (the node had old_outcomes before).
  int Rebuilt(int old_outcomes);
  // Fills outcomes up to two with default names.
  void EnsureTwoOutcomes(const char* stem);

  int outcomes_ = 0;
  QDN_idArray ids_;
  QDN_Dmatrix table_;
};
