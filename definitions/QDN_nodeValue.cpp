#include "definitions/QDN_nodeValue.h"

#include "core/QDN_cellBudget.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

QDN_nodeValue::QDN_nodeValue(QDN_network* network, int handle)
    : network_(network), handle_(handle) {}

int QDN_nodeValue::NumberOfOutcomes() const {
  const QDN_node* node = network_ ? network_->GetNode(handle_) : nullptr;
  const QDN_nodeDefinition* definition = node ? node->GetDefinition() : nullptr;
  return definition ? definition->GetNumberOfOutcomes() : 0;
}

void QDN_nodeValue::TellNetwork() const {
  if (network_) network_->EvidenceChanged(handle_);
}

int QDN_nodeValue::ResetResult(int cells) {
  result_.reset();
  result_cells_ = 0;
  if (cells < 1) return QDN_NO_ERROR;
  if (cells > QDN_Dmatrix::kMaxCells || !QDN_cellBudget::Charge(cells, cells, this))
    return QDN_OUT_OF_RANGE;
  result_cells_ = cells;
  return QDN_NO_ERROR;
}

int QDN_nodeValue::CreateResult() { return ResetResult(NumberOfOutcomes()); }

QDN_Dmatrix* QDN_nodeValue::GetResultMatrix() {
  if (!result_) {
    auto result = std::make_unique<QDN_Dmatrix>();
    if (result_cells_ > 0) {
      // Already charged when the result was reset.
      QDN_cellBudget::Scope charged(QDN_Dmatrix::kMaxCells);
      (void)result->AddDimension(result_cells_);
    }
    result_ = std::move(result);
    result_cells_ = 0;
  }
  return result_.get();
}

bool QDN_nodeValue::HoldsTable(const void* table) const {
  return table && (table == this || table == result_.get());
}

QDN_intArray& QDN_nodeValue::GetIndexingParents() {
  if (!indexing_parents_) indexing_parents_ = std::make_unique<QDN_intArray>();
  return *indexing_parents_;
}

int QDN_nodeValue::CopyFrom(const QDN_nodeValue& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  Release(1);
  network_ = source.network_;
  handle_ = source.handle_;
  value_flags_ = source.value_flags_;
  // A value that records no evidence does not inherit any.
  if (!TakesEvidence()) value_flags_ &= ~(kRealEvidence | kPropagatedEvidence);
  if (source.indexing_parents_) {
    (void)GetIndexingParents().CopyFrom(*source.indexing_parents_);
  } else {
    indexing_parents_.reset();
  }
  const int evidence = source.GetEvidence();
  if (source.GetType() == GetType()) {
    if (source.result_) {
      CB_TRY(GetResultMatrix()->CopyFrom(*source.result_));
    } else {
      CB_TRY(ResetResult(source.result_cells_));
    }
  } else {
    CB_TRY(CreateResult());
  }
  if (evidence >= 0) evidence_ = evidence;
  CheckReadiness(1);
  CheckConsistency(1);
  return QDN_NO_ERROR;
}

int QDN_nodeValue::GetEvidence() const { return IsEvidence() ? evidence_ : QDN_OUT_OF_RANGE; }

int QDN_nodeValue::SetEvidenceValue(int state) {
  if (state < 0 || state >= NumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  evidence_ = state;
  return QDN_NO_ERROR;
}

int QDN_nodeValue::SetEvidence(int state) {
  if (IsRealEvidence()) (void)ClearEvidence();
  if (IsEvidence() && evidence_ != state) return QDN_OUT_OF_RANGE;
  if (SetEvidenceValue(state) != QDN_NO_ERROR) return QDN_NO_ERROR;
  value_flags_ = (value_flags_ & ~kPropagatedEvidence) | kRealEvidence;
  TellNetwork();
  return QDN_NO_ERROR;
}

int QDN_nodeValue::ClearEvidence() {
  if (!IsRealEvidence()) return QDN_OUT_OF_RANGE;
  value_flags_ &= ~(kValid | kRealEvidence);
  TellNetwork();
  return QDN_NO_ERROR;
}

int QDN_nodeValue::SetPropagatedEvidence(int state) {
  if (IsEvidence()) return QDN_OUT_OF_RANGE;
  CB_TRY(SetEvidenceValue(state));
  value_flags_ |= kPropagatedEvidence;
  TellNetwork();
  return QDN_NO_ERROR;
}

int QDN_nodeValue::ClearPropagatedEvidence() {
  if (!IsPropagatedEvidence()) return QDN_OUT_OF_RANGE;
  value_flags_ &= ~(kValid | kPropagatedEvidence);
  TellNetwork();
  return QDN_NO_ERROR;
}

void QDN_nodeValue::OutcomeInserted(int position) {
  if (IsEvidence() && evidence_ >= position) ++evidence_;
}

void QDN_nodeValue::OutcomeRemoved(int position) {
  if (!IsEvidence()) return;
  if (evidence_ == position) {
    value_flags_ &= ~(kValid | kRealEvidence | kPropagatedEvidence);
    evidence_ = 0;
    TellNetwork();
  } else if (evidence_ > position) {
    --evidence_;
  }
}

void QDN_nodeValue::OutcomesReordered(const QDN_intArray& order) {
  if (!IsEvidence()) return;
  const int at = order.IndexOf(evidence_);
  if (at >= 0) evidence_ = at;
}

void QDN_nodeValue::DropEvidenceBeyond(int outcomes) {
  if (!IsEvidence() || evidence_ < outcomes) return;
  value_flags_ &= ~(kValid | kRealEvidence | kPropagatedEvidence);
  evidence_ = 0;
  TellNetwork();
}

void QDN_nodeValue::Release(int deep) {
  if (result_) result_->Release(deep);
  result_cells_ = 0;
  evidence_ = 0;
  value_flags_ = 0;
  QDN_object::Release(deep);
}
