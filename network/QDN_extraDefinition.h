#pragma once

#include <memory>
#include <string>

#include "core/QDN_doubleArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_object.h"
#include "core/QDN_optionalText.h"
#include "network/QDN_userProperties.h"

class QDN_network;
class QDN_intArray;

// Diagnostic attributes of a node: diagnosis type, fault states, default
// state, flags, and per-outcome texts. The per-outcome lists follow the
// node's outcomes: the definition tells the extra definition of every
// insertion, removal and reordering. Almost no model fills them in, so the
// per-outcome records are made on the first write to one of them; until
// then every outcome reads as a fresh record.
class QDN_extraDefinition : public QDN_object {
public:
  static constexpr int kTarget = 0;
  static constexpr int kObservation = 1;
  static constexpr int kAuxiliary = 2;

  QDN_extraDefinition(QDN_network* network, int handle, int outcomes);

  int troubleType = kAuxiliary;
  int default_state = 0;
  bool ranked = false;
  bool mandatory = false;
  bool set_as_default = false;
  int show_as = 4;
  // The mandatory outcome, -1 when none is named.
  int mandatory_value = -1;
  QDN_optionalText question;
  // Observation costs as listed by formats that give plain cost values;
  // made on first use (almost no node has them), read as empty until then.
  QDN_doubleArray& Costs();
  const QDN_doubleArray& Costs() const;

  // Per-outcome data; every list has one entry per outcome.
  struct Outcome {
    bool fault = false;
    QDN_optionalText fault_name;
    QDN_optionalText fault_label;
    QDN_optionalText comment;
    QDN_optionalText repair_info;
    QDN_optionalText short_name;
    QDN_optionalText long_name;
    // Documentation links of the outcome, made when first needed.
    QDN_documentation& Documentation();
    const QDN_documentation& Documentation() const;

  private:
    std::unique_ptr<QDN_documentation> documentation_;
  };

  int GetNumberOfOutcomes() const { return outcome_count_; }
  // Makes the records of every outcome when they do not exist yet.
  Outcome& GetOutcome(int i);
  const Outcome& GetOutcome(int i) const;

  // 0/1 flags, one per outcome. -2 when the list does not have one per outcome.
  int SetFaultStates(const QDN_intArray& flags);
  // Marks the listed outcome indices as fault states (and no others);
  // -2 for an index outside the outcomes.
  int SetFaultStateIndices(const QDN_intArray& indices);
  void GetFaultStateIndices(QDN_intArray& out) const;
  // -2 for an index outside the outcomes.
  int SetDefaultState(int index);
  // -2 when the label is not an identifier or another outcome has it.
  int SetFaultLabel(int outcome, const char* label);

  // Outcome changes of the node.
  void Rebuild(int outcomes);
  int InsertOutcome(int position);
  int RemoveOutcome(int position);
  // new[i] = old[order[i]]
  int ReorderOutcomes(const QDN_intArray& order);

  int GetHandle() const { return handle_; }
  void CheckReadiness(int deep) override;

private:
  // True when outcomes_ holds the records (always, for no outcomes).
  bool HasRecords() const { return outcomes_ || outcome_count_ == 0; }
  // Replaces the records by count fresh ones, into which move(fresh, old)
  // moves what is kept; no records are made for no outcomes.
  template <typename Move> void RemakeRecords(int count, Move move);

  int handle_;
  int outcome_count_ = 0;
  std::unique_ptr<QDN_doubleArray> costs_;
  // Null, or one record per outcome.
  std::unique_ptr<Outcome[]> outcomes_;
};
