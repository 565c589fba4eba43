#pragma once

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "definitions/QDN_nodeDefinition.h"

// CAST: a two-outcome node ("True", "False") whose parents are CAST nodes,
// each with a positive weight (parent True) and a negative weight (parent
// False), combined with a baseline. The expanded table is recomputed on
// every change.
class QDN_cast : public QDN_nodeDefinition {
public:
  QDN_cast(QDN_network* network, int handle);

  int GetType() const override { return QDN_CAST; }
  const char* GetTypeName() const override { return "CAST"; }
  int AddParent(int parent) override;
  int RemoveParent(int parent) override;
  int GetSize() const override { return table_.GetSize(); }
  [[nodiscard]] int AdoptDefinition(QDN_nodeDefinition& source) override;
  int CreateTable() override;
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  int GetNumberOfOutcomes() const override { return 2; }
  const QDN_idArray* GetOutcomesNames() const override;
  QDN_Dmatrix* GetTable() override { return &table_; }
  const QDN_Dmatrix* GetProbabilityTable() override { return &table_; }

  // -2 for a baseline outside [0, 1] (or not a number).
  [[nodiscard]] int SetBaseline(double baseline);
  double GetBaseline() const { return baseline_; }
  // -2 unless there is one weight per parent.
  [[nodiscard]] int SetPositiveWeights(const QDN_doubleArray& weights);
  [[nodiscard]] int SetNegativeWeights(const QDN_doubleArray& weights);
  const QDN_doubleArray& GetPositiveWeights() const { return positive_; }
  const QDN_doubleArray& GetNegativeWeights() const { return negative_; }

  void Release(int deep) override;
  void CheckReadiness(int deep) override;

private:
  int Recompute();

  QDN_Dmatrix table_;
  QDN_doubleArray positive_;
  QDN_doubleArray negative_;
  double baseline_ = 0.5;
};
