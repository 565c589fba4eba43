#pragma once

#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "definitions/QDN_nodeDefinition.h"

// Noisy-MAX: the node depends on each parent through one parameter row per
// parent outcome, plus a leak row. Outcomes run from the most severe (0) to
// the least severe (last). Rows are grouped by parent in parent-list order;
// the last row of each parent's block is the parent's distinguished state
// and is fixed to (0, ..., 0, 1): that state has no effect. The leak row
// comes after all blocks. Strengths map each parent outcome to the row of its
// block that it uses. The expanded probability table has the CPT layout.
class QDN_noisyMAX : public QDN_nodeDefinition {
public:
  QDN_noisyMAX(QDN_network* network, int handle);

  int GetType() const override { return QDN_NOISY_MAX; }
  const char* GetTypeName() const override { return "NOISY_MAX"; }

  int AddParent(int parent) override;
  int RemoveParent(int parent) override;
  int AddParentOutcome(int parent, int position) override;
  int RemoveParentOutcome(int parent, int position) override;
  int ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) override;
  int ChangeOrderOfParents(const QDN_intArray& order) override;

  int GetSize() const override { return expanded_.GetSize(); }
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;

  [[nodiscard]] int AddOutcome(const char* name) override {
    return InsertOutcome(GetNumberOfOutcomes(), name);
  }
  [[nodiscard]] int InsertOutcome(int position, const char* name) override;
  [[nodiscard]] int RemoveOutcome(int position) override;
  int GetNumberOfOutcomes() const override { return ids_.GetCount(); }
  [[nodiscard]] int RenameOutcome(int index, const char* name) override;
  [[nodiscard]] int RenameOutcomes(const QDN_stringArray& names) override;
  const QDN_idArray* GetOutcomesNames() const override { return &ids_; }
  [[nodiscard]] int SetNumberOfOutcomes(const QDN_stringArray& names) override;
  [[nodiscard]] int SetNumberOfOutcomes(int count) override;
  [[nodiscard]] int ChangeOrderOfOutcomes(const QDN_intArray& order) override;

  // The parameter matrix (rows x outcomes).
  QDN_Dmatrix* GetTable() override { return &parameters_; }
  // The expanded table, recomputed from the current parameters.
  const QDN_Dmatrix* GetProbabilityTable() override { return GetCpt(); }
  // Parameters := a copy of table; -2 unless it has the parameters' shape.
  [[nodiscard]] int SetDefinition(const QDN_Dmatrix& table) override;
  // Parameter cells := the leading values; -2 when values is shorter.
  [[nodiscard]] int SetDefinition(const QDN_doubleArray& values) override;

  int ComputeCpt();
  // Fits the parameters to the expanded table (see the .cpp for the method).
  int FitParameters();
  const QDN_Dmatrix* GetCpt();
  QDN_Dmatrix& GetExpandedTable() { return expanded_; }
  // First row of parent i's block; -2 for i outside the parents.
  int GetParentStartingPosition(int i) const;
  int GetNumberOfParentBlocks() const { return static_cast<int>(strengths_.size()); }
  const QDN_intArray& GetStrengths(int i) const { return strengths_[static_cast<size_t>(i)]; }
  // Reorders parent i's rows (new row j = old row order[j]) and its strengths
  // alike; -2 unless order is a permutation of the block's rows.
  [[nodiscard]] int SetParentOutcomeStrengths(int parentIndex, const QDN_intArray& order);
  // Leak-inclusive parameters of every row that is not distinguished, row by row.
  int GetParameters(QDN_doubleArray& out) const;
  // The inverse of GetParameters; -2 for a wrong count.
  [[nodiscard]] int SetParameters(const QDN_doubleArray& values);
  // "Ok" and 0, or a message and -2 / -4 (see the .cpp); the message is cut to length - 1.
  int CheckParameters(const QDN_Dmatrix& parameters, char* buffer, int length) const;
  int CheckParameters(const QDN_Dmatrix& parameters, std::string& message) const;
  bool IsTableValid() const { return table_valid_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;
  void CheckConsistency(int deep) override;

private:
  int Rows() const {
    return parameters_.GetNumberOfDimensions() == 2 ? parameters_.GetDimensionSize(0) : 0;
  }
  bool IsDistinguishedRow(int row) const;
  void SetDistinguishedRow(int row);
  int InsertRows(int start, int count);
  int RemoveRows(int start, int count);
  void Invalidate() { table_valid_ = false; }

  QDN_idArray ids_;
  QDN_Dmatrix expanded_;
  QDN_Dmatrix parameters_;
  std::vector<QDN_intArray> strengths_;
  bool table_valid_ = false;
};
