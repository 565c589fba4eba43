#pragma once

#include <memory>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_intArray.h"
#include "core/QDN_object.h"

class QDN_network;

// The value of a node: recorded evidence (an observed outcome or a made
// decision) and the result inference computes. Results are not computed
// here; the value keeps them and knows whether they are current.
class QDN_nodeValue : public QDN_object {
public:
  static constexpr unsigned kRealEvidence = 1;
  static constexpr unsigned kValid = 2;
  static constexpr unsigned kPropagatedEvidence = 4;

  QDN_nodeValue(QDN_network* network, int handle);
  ~QDN_nodeValue() override = default;

  virtual int GetType() const = 0;
  virtual const char* GetTypeName() const = 0;
  // Copies flags, indexing parents, the result (same value type) and evidence.
  virtual int CopyFrom(const QDN_nodeValue& source);
  virtual int CreateResult();
  virtual int GetSize() const { return result_ ? result_->GetSize() : result_cells_; }
  // Made on first use; until then the list is empty.
  QDN_intArray& GetIndexingParents();

  int IsValueValid() const { return (value_flags_ & kValid) ? 1 : 0; }
  int SetValueValid() {
    value_flags_ |= kValid;
    return 0;
  }
  int SetValueInvalid() {
    value_flags_ &= ~kValid;
    return 0;
  }
  // Marks the computed value as out of date.
  void Invalidate() { (void)SetValueInvalid(); }

  // The evidence state, or -2 without evidence of either kind.
  int GetEvidence() const;
  virtual int SetEvidence(int state);
  virtual int ClearEvidence();
  virtual int SetPropagatedEvidence(int state);
  virtual int ClearPropagatedEvidence();
  int IsEvidence() const { return (value_flags_ & (kRealEvidence | kPropagatedEvidence)) ? 1 : 0; }
  // Whether this kind of value records evidence (utilities and equations do not).
  virtual bool TakesEvidence() const { return true; }
  // Evidence follows the node's outcomes: it moves with an inserted, removed
  // or reordered outcome, and goes with the outcome it names.
  void OutcomeInserted(int position);
  void OutcomeRemoved(int position);
  void OutcomesReordered(const QDN_intArray& order);
  // Evidence naming an outcome at or beyond outcomes is cleared.
  void DropEvidenceBeyond(int outcomes);
  int IsRealEvidence() const { return (value_flags_ & kRealEvidence) ? 1 : 0; }
  int IsPropagatedEvidence() const { return (value_flags_ & kPropagatedEvidence) ? 1 : 0; }

  // The result, made on first use (a fresh one has one dimension over the
  // node's outcomes, every cell 0).
  QDN_Dmatrix* GetResultMatrix();
  int SetResult(const QDN_Dmatrix& result) { return GetResultMatrix()->CopyFrom(result); }
  // Whether table is this value's result, as named to the cell budget.
  bool HoldsTable(const void* table) const;

  void Release(int deep) override;

protected:
  // Stores an evidence state; -2 outside [0, number of outcomes).
  virtual int SetEvidenceValue(int state);
  int NumberOfOutcomes() const;
  void TellNetwork() const;
  // Makes the result a fresh table of cells zeros over one dimension (none
  // for cells < 1). Until the result is asked for only its size is kept;
  // the cells are charged to the cell budget of the running load now, as
  // building the table would.
  int ResetResult(int cells);

  QDN_network* network_;
  int handle_;
  unsigned value_flags_ = 0;
  int evidence_ = 0;
  // The size of a result not yet made (result_ null): nodes that are only
  // loaded and written never build their result tables.
  int result_cells_ = 0;
  std::unique_ptr<QDN_intArray> indexing_parents_;
  std::unique_ptr<QDN_Dmatrix> result_;
};

// Creates the value object of a definition type (type 0: none); -2 for a type
// without values.
int QDN_CreateValue(int type, QDN_network* network, int handle,
                    std::unique_ptr<QDN_nodeValue>& out);
