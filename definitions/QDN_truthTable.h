#pragma once

#include "definitions/QDN_cpt.h"

class QDN_stringArray;

// A deterministic node: for every combination of parent states exactly one
// outcome has probability 1. Files store it as one resulting outcome per
// parent combination.
class QDN_truthTable : public QDN_cpt {
public:
  // Every parent combination points to outcome 0.
  QDN_truthTable(QDN_network* network, int handle);

  int GetType() const override { return QDN_TRUTHTABLE; }
  const char* GetTypeName() const override { return "TRUTHTABLE"; }
  [[nodiscard]] int CopyParameters(const QDN_nodeDefinition& source) override;
  // As the probability table's, but every parent combination points to outcome 0.
  int CreateTable() override;

  // coords name a parent combination and, last, an outcome.
  [[nodiscard]] int SetResultingState(const QDN_intArray& coords);
  // One outcome index per run; an index out of range sets outcome 0. -2 for
  // fewer indices than runs.
  [[nodiscard]] int SetResultingStates(const QDN_intArray& states);
  // One outcome name per run; an unknown name counts as outcome 0.
  [[nodiscard]] int SetResultingStates(const QDN_stringArray& names);
  // Appends, per run, the name of the outcome holding 1.0 (the last such, or outcome 0).
  [[nodiscard]] int GetResultingStates(QDN_stringArray& out) const;
  // Per run, the last cell holding the largest value becomes 1.0, the others 0.0.
  int MakeDeterministic();
  void CheckConsistency(int deep) override;

protected:
  void FixInsertedParentSlice() override { (void)MakeDeterministic(); }

private:
  void PointToFirstOutcome();
};
