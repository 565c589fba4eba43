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

QDN_doubleArray& QDN_extraDefinition::Costs() {
  if (!costs_) costs_ = std::make_unique<QDN_doubleArray>();
  return *costs_;
}

const QDN_doubleArray& QDN_extraDefinition::Costs() const {
  static const QDN_doubleArray kNone;
  return costs_ ? *costs_ : kNone;
}

QDN_extraDefinition::QDN_extraDefinition(QDN_network*, int handle, int outcomes) : handle_(handle) {
  Rebuild(outcomes);
}

template <typename Move> void QDN_extraDefinition::RemakeRecords(int count, Move move) {
  std::unique_ptr<Outcome[]> fresh;
  if (count > 0) fresh = std::make_unique<Outcome[]>(static_cast<size_t>(count));
  if (fresh) move(fresh.get(), outcomes_.get());
  outcomes_ = std::move(fresh);
}

QDN_extraDefinition::Outcome& QDN_extraDefinition::GetOutcome(int i) {
  if (!HasRecords()) outcomes_ = std::make_unique<Outcome[]>(static_cast<size_t>(outcome_count_));
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
    for (int i = 0; i < GetNumberOfOutcomes(); ++i)
      outcomes_[static_cast<size_t>(i)].fault = false;
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
  outcomes_.reset();
  outcome_count_ = outcomes > 0 ? outcomes : 0;
  default_state = 0;
  CheckReadiness(0);
}

int QDN_extraDefinition::InsertOutcome(int position) {
  if (position < 0 || position > GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (outcomes_)
    RemakeRecords(outcome_count_ + 1, [&](Outcome* fresh, Outcome* old) {
      std::move(old, old + position, fresh);
      std::move(old + position, old + outcome_count_, fresh + position + 1);
    });
  ++outcome_count_;
  if (default_state >= position && GetNumberOfOutcomes() > 1) ++default_state;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::RemoveOutcome(int position) {
  if (position < 0 || position >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  if (outcomes_)
    RemakeRecords(outcome_count_ - 1, [&](Outcome* fresh, Outcome* old) {
      std::move(old, old + position, fresh);
      std::move(old + position + 1, old + outcome_count_, fresh + position);
    });
  --outcome_count_;
  if (default_state > position) --default_state;
  if (default_state >= GetNumberOfOutcomes()) default_state = 0;
  return QDN_NO_ERROR;
}

int QDN_extraDefinition::ReorderOutcomes(const QDN_intArray& order) {
  const int n = GetNumberOfOutcomes();
  if (PermutationLength(order, n, n) != n) return QDN_OUT_OF_RANGE;
  if (outcomes_)
    RemakeRecords(n, [&](Outcome* fresh, Outcome* old) {
      for (int i = 0; i < n; ++i)
        fresh[i] = std::move(old[order.At(i)]);
    });
  int new_default = 0;
  for (int i = 0; i < n; ++i)
    if (order.At(i) == default_state) new_default = i;
  default_state = new_default;
  return QDN_NO_ERROR;
}

void QDN_extraDefinition::CheckReadiness(int) { SetFlag(kReady); }
