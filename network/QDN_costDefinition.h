#pragma once

#include "core/QDN_Dmatrix.h"
#include "core/QDN_intArray.h"
#include "core/QDN_object.h"

class QDN_network;

// Observation costs of a node: the cost of observing it for every outcome
// configuration of its cost parents (the parents of its cost arcs). The table
// has a leading dimension of size 1 followed by one dimension per cost parent,
// in arc order, so a node without cost parents has exactly one cost. A cost
// that does not apply holds kNotApplicableValue. A node without costs has an
// empty table; once costs are set, the table follows every change of the cost
// parents and of their outcomes, keeping each cost at its parent states.
class QDN_costDefinition : public QDN_object {
public:
  QDN_costDefinition(QDN_network* network, int handle) : network_(network), handle_(handle) {}

  const QDN_intArray& GetParents() const { return parents_; }
  bool HasCosts() const { return costs_.GetSize() > 0; }
  const QDN_Dmatrix& GetCosts() const { return costs_; }
  // Number of costs the table holds once set: the product of the cost
  // parents' outcome counts.
  long long GetExpectedSize() const;
  // Replaces every cost; -2 unless values has exactly the expected number.
  int SetCosts(const double* values, int count);
  void ClearCosts() { costs_.Release(0); }

  // A cost arc from parent was added: one more dimension, costs copied across it.
  int AddParent(int parent);
  // The cost arc from parent goes: its dimension is dropped (its first state kept).
  int RemoveParent(int parent);
  // Outcome changes of a cost parent: inserted positions cost "not applicable".
  int AddParentOutcome(int parent, int position);
  int RemoveParentOutcome(int parent, int position);
  int ReorderParentOutcomes(int parent, const QDN_intArray& order);
  // The parent's outcomes were replaced wholesale: costs reset to "not applicable".
  int RebuildParent(int parent);

private:
  int OutcomesOf(int handle) const;
  int Dimension(int parent) const;

  QDN_network* network_;
  int handle_;
  QDN_intArray parents_;
  QDN_Dmatrix costs_;
};
