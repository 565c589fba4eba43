#include "network/QDN_extraDefinition.h"

#include <algorithm>

#include "core/QDN_array.h"
#include "core/QDN_idArray.h"
#include "core/QDN_status.h"

QDN_documentation& QDN_extraDefinition::Outcome::Documentation() {
  if (!documentation_) documentation_ = std::make_unique<QDN_documentation>();
  return *documentation_;
}

const QDN_documentation& QDN_extraDefinition::Outcome::Documentation() const {
  static const QDN_documentation kNone;
  return documentation_ ? *documentation_ : kNone;
}

QDN_extraDefinition::QDN_extraDefinition(QDN_network*, int handle, int outcomes) : handle_(handle) {
  Rebuild(outcomes);
}

QDN_extraDefinition::Outcome& QDN_extraDefinition::GetOutcome(int i) {
  if (!HasRecords()) outcomes_.resize(static_cast<size_t>(outcome_count_));
  return outcomes_[static_cast<size_t>(i)];
}

const QDN_extraDefinition::Outcome& QDN_extraDefinition::GetOutcome(int i) const {
  static const Outcome kFresh;
  return HasRecords() ? outcomes_[static_cast<size_t>(i)] : kFresh;
}

int QDN_extraDefinition::SetFaultStates(const QDN_intArray& flags) {
  if (flags.GetCount() != GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < flags.GetCount(); ++i)
    if (flags.At(i) != 0 || HasRecords()) GetOutcome(i).fault = flags.At(i) != 0;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::SetFaultStateIndices(const QDN_intArray& indices) {
  for (int i = 0; i < indices.GetCount(); ++i)
    if (indices.At(i) < 0 || indices.At(i) >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (HasRecords())
    for (Outcome& outcome : outcomes_)
      outcome.fault = false;
  for (int i = 0; i < indices.GetCount(); ++i)
    GetOutcome(indices.At(i)).fault = true;
  return QDN_NO_ERROR;
}

void QDN_extraDefinition::GetFaultStateIndices(QDN_intArray& out) const {
  out.Clear();
  for (int i = 0; i < GetNumberOfOutcomes(); ++i)
    if (GetOutcome(i).fault) (void)out.Append(i);
}

int QDN_extraDefinition::SetDefaultState(int index) {
  // A node without outcomes (a utility) keeps the default state 0.
  if (index == 0 && GetNumberOfOutcomes() == 0) return QDN_NO_ERROR;
  if (index < 0 || index >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  default_state = index;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::SetFaultLabel(int outcome, const char* label) {
  if (outcome < 0 || outcome >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (!label) {
    if (HasRecords()) outcomes_[static_cast<size_t>(outcome)].fault_label.reset();
    return QDN_NO_ERROR;
  }
  if (!IsValidIdentifier(label)) return QDN_OUT_OF_RANGE;
  const QDN_extraDefinition& self = *this;
  for (int i = 0; i < GetNumberOfOutcomes(); ++i)
    if (i != outcome && self.GetOutcome(i).fault_label == label) return QDN_OUT_OF_RANGE;
  GetOutcome(outcome).fault_label = label;
  return QDN_NO_ERROR;
}

void QDN_extraDefinition::Rebuild(int outcomes) {
  std::vector<Outcome>().swap(outcomes_);
  outcome_count_ = outcomes > 0 ? outcomes : 0;
  default_state = 0;
  CheckReadiness(0);
}

int QDN_extraDefinition::InsertOutcome(int position) {
  if (position < 0 || position > GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (HasRecords()) {
    outcomes_.emplace_back();
    std::rotate(outcomes_.begin() + position, outcomes_.end() - 1, outcomes_.end());
  }
  ++outcome_count_;
  if (default_state >= position && GetNumberOfOutcomes() > 1) ++default_state;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::RemoveOutcome(int position) {
  if (position < 0 || position >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (HasRecords()) outcomes_.erase(outcomes_.begin() + position);
  --outcome_count_;
  if (default_state > position) --default_state;
  if (default_state >= GetNumberOfOutcomes()) default_state = 0;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::ReorderOutcomes(const QDN_intArray& order) {
  const int n = GetNumberOfOutcomes();
  if (PermutationLength(order, n, n) != n) return QDN_OUT_OF_RANGE;
  const bool records = HasRecords() && n > 0;
  std::vector<Outcome> old = std::move(outcomes_);
  outcomes_.clear();
  int new_default = 0;
  for (int i = 0; i < n; ++i) {
    if (records) outcomes_.push_back(std::move(old[static_cast<size_t>(order.At(i))]));
    if (order.At(i) == default_state) new_default = i;
  }
  default_state = new_default;
  return QDN_NO_ERROR;
}

void QDN_extraDefinition::CheckReadiness(int) { SetFlag(kReady); }
