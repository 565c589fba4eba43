#include "definitions/QDN_noisyMAX.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "network/QDN_network.h"

namespace {

// Tail sums C(k) = p(k) + ... + p(n-1) of a row, negatives clamped to 0.
void TailSums(const double* row, int n, double* tails) {
  double sum = 0;
  for (int k = n - 1; k >= 0; --k) {
    sum += row[k];
    tails[k] = sum < 0 ? 0 : sum;
  }
}

// Probabilities back from tail sums, negatives clamped to 0.
void Differences(const double* tails, int n, double* row) {
  for (int k = 0; k < n; ++k) {
    const double value = k + 1 < n ? tails[k] - tails[k + 1] : tails[k];
    row[k] = value < 0 ? 0 : value;
  }
}

// Copies text into a caller's buffer of length bytes, cut to fit.
void CopyMessage(const std::string& text, char* buffer, int length) {
  if (!buffer || length <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(length - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

} // namespace

QDN_noisyMAX::QDN_noisyMAX(QDN_network* network, int handle) : QDN_nodeDefinition(network, handle) {
  (void)CreateTable();
  CheckReadiness(0);
}

int QDN_noisyMAX::GetParentStartingPosition(int i) const {
  if (i < 0 || i >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  int start = 0;
  for (int j = 0; j < i; ++j)
    start += strengths_[static_cast<size_t>(j)].GetCount();
  return start;
}

bool QDN_noisyMAX::IsDistinguishedRow(int row) const {
  int end = 0;
  for (const QDN_intArray& block : strengths_) {
    end += block.GetCount();
    if (row == end - 1) return true;
    if (row < end) return false;
  }
  return false;
}

void QDN_noisyMAX::SetDistinguishedRow(int row) {
  const int n = GetNumberOfOutcomes();
  double* cells = parameters_.GetItems().Data() + static_cast<size_t>(row) * n;
  std::fill_n(cells, n, 0.0);
  cells[n - 1] = 1.0;
}

int QDN_noisyMAX::InsertRows(int start, int count) {
  for (int r = 0; r < count; ++r) {
    CB_TRY(parameters_.IncreaseDimensionSize(0));
    CB_TRY(parameters_.OpenPosition(0, start));
  }
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::RemoveRows(int start, int count) {
  for (int r = 0; r < count; ++r) {
    CB_TRY(parameters_.ClosePosition(0, start));
    CB_TRY(parameters_.DecreaseDimensionSize(0));
  }
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::CreateTable() {
  int n = ids_.GetCount();
  while (n < 2) {
    CB_TRY(ids_.AppendUniqueId("State", n));
    ++n;
  }
  expanded_.Release(0);
  parameters_.Release(0);
  strengths_.clear();
  QDN_intArray sizes;
  (void)sizes.Append(1);
  (void)sizes.Append(n);
  CB_TRY(parameters_.Setup(sizes));
  (void)parameters_.Fill(0.0);
  (void)parameters_.Normalize();
  Invalidate();
  AddEveryParent();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::AddParent(int parent) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (!IsTableParent(parent)) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0) return position;
  if (position > GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  const int k = ParentOutcomes(parent);
  if (k < 1) return QDN_OUT_OF_RANGE;
  const int start =
      position == GetNumberOfParentBlocks() ? Rows() - 1 : GetParentStartingPosition(position);
  CB_TRY(InsertRows(start, k));
  QDN_intArray identity;
  for (int i = 0; i < k; ++i)
    (void)identity.Append(i);
  strengths_.insert(strengths_.begin() + position, identity);
  SetDistinguishedRow(start + k - 1);
  (void)parameters_.Normalize();
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::RemoveParent(int parent) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  const int position = ParentIndex(parent);
  if (position < 0 || position >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  CB_TRY(RemoveRows(GetParentStartingPosition(position),
                    strengths_[static_cast<size_t>(position)].GetCount()));
  strengths_.erase(strengths_.begin() + position);
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::AddParentOutcome(int parent, int p) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  const int i = ParentIndex(parent);
  if (i < 0 || i >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  QDN_intArray& strengths = strengths_[static_cast<size_t>(i)];
  if (p < 0 || p > strengths.GetCount()) return QDN_OUT_OF_RANGE;
  const int start = GetParentStartingPosition(i);
  CB_TRY(InsertRows(start + p, 1));
  SetDistinguishedRow(start + p);
  (void)parameters_.Normalize();
  for (int k = 0; k < strengths.GetCount(); ++k)
    if (strengths.At(k) >= p) ++strengths.At(k);
  CB_TRY(strengths.InsertAt(p, p));
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::RemoveParentOutcome(int parent, int p) {
  const QDN_nodeDefinition* definition = DefinitionOf(parent);
  if (!definition || definition->GetType() == QDN_TABLE) return QDN_OUT_OF_RANGE;
  const int i = ParentIndex(parent);
  if (i < 0 || i >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  QDN_intArray& strengths = strengths_[static_cast<size_t>(i)];
  if (p < 0 || p >= strengths.GetCount() || strengths.GetCount() < 2) return QDN_OUT_OF_RANGE;
  const int start = GetParentStartingPosition(i);
  // The row used by outcome p goes, and so does outcome p's strength entry.
  const int row = strengths.At(p);
  CB_TRY(RemoveRows(start + row, 1));
  CB_TRY(strengths.RemoveAt(p));
  for (int k = 0; k < strengths.GetCount(); ++k)
    if (strengths.At(k) > row) --strengths.At(k);
  SetDistinguishedRow(start + strengths.GetCount() - 1);
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::ChangeOrderOfParentOutcomes(int parent, const QDN_intArray& order) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int i = ParentIndex(parent);
  if (i < 0 || i >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  CB_TRY(strengths_[static_cast<size_t>(i)].Permute(order));
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::ChangeOrderOfParents(const QDN_intArray& order) {
  const int m = GetNumberOfParentBlocks();
  if (PermutationLength(order, m, m) != m) return QDN_OUT_OF_RANGE;
  const int n = GetNumberOfOutcomes();
  std::vector<QDN_intArray> strengths;
  std::vector<double> cells;
  for (int j = 0; j < m; ++j) {
    const int old = order.At(j);
    strengths.push_back(strengths_[static_cast<size_t>(old)]);
    const double* first = parameters_.GetItems().Data() + GetParentStartingPosition(old) * n;
    cells.insert(cells.end(), first, first + strengths.back().GetCount() * n);
  }
  const double* leak = parameters_.GetItems().Data() + (Rows() - 1) * n;
  cells.insert(cells.end(), leak, leak + n);
  std::copy(cells.begin(), cells.end(), parameters_.GetItems().Data());
  strengths_ = std::move(strengths);
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::InsertOutcome(int position, const char* name) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfOutcomes();
  if (position < 0 || position > n) return QDN_OUT_OF_RANGE;
  if (ids_.InsertAt(position, name) != QDN_NO_ERROR)
    CB_TRY(ids_.InsertUniqueId("State", n, position));
  CB_TRY(parameters_.IncreaseDimensionSize(1));
  CB_TRY(parameters_.OpenPosition(1, position));
  Invalidate();
  const int status = TellOutcomeInserted(position);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_noisyMAX::RemoveOutcome(int position) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfOutcomes();
  if (n < 3 || position < 0 || position >= n) return QDN_OUT_OF_RANGE;
  CB_TRY(ids_.RemoveAt(position));
  CB_TRY(parameters_.ClosePosition(1, position));
  CB_TRY(parameters_.DecreaseDimensionSize(1));
  Invalidate();
  const int status = TellOutcomeRemoved(position);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_noisyMAX::RenameOutcome(int index, const char* name) {
  if (!IsReady()) return QDN_OBJECT_NOT_READY;
  if (index < 0 || index >= GetNumberOfOutcomes()) return QDN_OUT_OF_RANGE;
  return ids_.SetAt(index, name);
}

int QDN_noisyMAX::RenameOutcomes(const QDN_stringArray& names) {
  if (!IsReady() || !names.IsReady()) return QDN_OBJECT_NOT_READY;
  const int n = GetNumberOfOutcomes();
  if (names.GetCount() < n) return QDN_OUT_OF_RANGE;
  ids_.Release(0);
  for (int i = 0; i < n; ++i)
    CB_TRY(ids_.AppendUniqueId(names.At(i), -1));
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::SetNumberOfOutcomes(int count) {
  if (count < 2) return QDN_OUT_OF_RANGE;
  const int old_outcomes = GetNumberOfOutcomes();
  Release(1);
  for (int i = 0; i < count; ++i)
    CB_TRY(ids_.AppendUniqueId("State", i));
  int status = CreateTable();
  const int told = TellOutcomesRebuilt(old_outcomes);
  if (status == QDN_NO_ERROR) status = told;
  CheckReadiness(0);
  Notify(QDN_network::kDefinitionRebuilt);
  return status;
}

int QDN_noisyMAX::SetNumberOfOutcomes(const QDN_stringArray& names) {
  QDN_idArray candidate;
  if (!names.IsReady() || candidate.Assign(names) != QDN_NO_ERROR) return QDN_OBJECT_NOT_READY;
  candidate.CheckConsistency(1);
  if (!candidate.IsConsistent()) return QDN_OBJECT_NOT_READY;
  CB_TRY(SetNumberOfOutcomes(names.GetCount()));
  return RenameOutcomes(names);
}

int QDN_noisyMAX::ChangeOrderOfOutcomes(const QDN_intArray& order) {
  CB_TRY(parameters_.ChangeOrderWithinDimension(1, order));
  CB_TRY(ids_.Permute(order));
  Invalidate();
  const int status = TellOutcomesReordered(order);
  Notify(QDN_network::kOutcomesChanged);
  return status;
}

int QDN_noisyMAX::SetDefinition(const QDN_Dmatrix& table) {
  // A matrix of another shape would no longer match the rows and outcomes.
  if (!table.SameLayout(parameters_)) return QDN_OUT_OF_RANGE;
  CB_TRY(parameters_.CopyFrom(table));
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::SetDefinition(const QDN_doubleArray& values) {
  if (values.GetCount() < parameters_.GetSize()) return QDN_OUT_OF_RANGE;
  std::copy_n(values.Data(), parameters_.GetSize(), parameters_.GetItems().Data());
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::ComputeCpt() {
  const int n = GetNumberOfOutcomes();
  const int m = GetNumberOfParentBlocks();
  if (n < 1 || Rows() < 1) return QDN_OBJECT_NOT_READY;
  QDN_intArray sizes;
  for (int i = 0; i < m; ++i)
    (void)sizes.Append(strengths_[static_cast<size_t>(i)].GetCount());
  (void)sizes.Append(n);
  CB_TRY(expanded_.Setup(sizes));
  std::vector<double> tails(static_cast<size_t>(Rows()) * n);
  for (int r = 0; r < Rows(); ++r)
    TailSums(parameters_.GetItems().Data() + r * n, n, tails.data() + r * n);
  const double* leak = tails.data() + (Rows() - 1) * n;
  std::vector<int> starts(static_cast<size_t>(m)), coords(static_cast<size_t>(m), 0);
  for (int i = 0; i < m; ++i)
    starts[static_cast<size_t>(i)] = GetParentStartingPosition(i);
  std::vector<double> product(static_cast<size_t>(n));
  double* cells = expanded_.GetItems().Data();
  const int runs = expanded_.GetSize() / n;
  for (int run = 0; run < runs; ++run) {
    std::copy_n(leak, n, product.begin());
    for (int i = 0; i < m; ++i) {
      const size_t pi = static_cast<size_t>(i);
      const int row = starts[pi] + strengths_[pi].At(coords[pi]);
      for (int k = 0; k < n; ++k)
        product[static_cast<size_t>(k)] *= tails[static_cast<size_t>(row * n + k)];
    }
    Differences(product.data(), n, cells + static_cast<size_t>(run) * n);
    for (int i = m - 1; i >= 0; --i) {
      const size_t pi = static_cast<size_t>(i);
      if (++coords[pi] < strengths_[pi].GetCount()) break;
      coords[pi] = 0;
    }
  }
  table_valid_ = true;
  return QDN_NO_ERROR;
}

const QDN_Dmatrix* QDN_noisyMAX::GetCpt() {
  if (ComputeCpt() != QDN_NO_ERROR) return nullptr;
  return &expanded_;
}

int QDN_noisyMAX::GetParameters(QDN_doubleArray& out) const {
  const int n = GetNumberOfOutcomes();
  const int rows = Rows();
  if (rows < 1) return QDN_OBJECT_NOT_READY;
  const double* cells = parameters_.GetItems().Data();
  std::vector<double> leak(static_cast<size_t>(n)), tails(static_cast<size_t>(n)),
      row(static_cast<size_t>(n));
  TailSums(cells + (rows - 1) * n, n, leak.data());
  CB_TRY(out.Resize((rows - GetNumberOfParentBlocks()) * n));
  for (int r = 0; r < rows; ++r) {
    if (IsDistinguishedRow(r)) continue;
    if (r == rows - 1) {
      std::copy_n(cells + r * n, n, row.begin());
    } else {
      TailSums(cells + r * n, n, tails.data());
      for (int k = 0; k < n; ++k)
        tails[static_cast<size_t>(k)] *= leak[static_cast<size_t>(k)];
      Differences(tails.data(), n, row.data());
    }
    for (double v : row)
      CB_TRY(out.Append(v));
  }
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::SetParameters(const QDN_doubleArray& values) {
  const int n = GetNumberOfOutcomes();
  const int rows = Rows();
  const int expected = (rows - GetNumberOfParentBlocks()) * n;
  if (rows < 1 || values.GetCount() != expected) return QDN_OUT_OF_RANGE;
  QDN_Dmatrix inclusive(parameters_);
  double* cells = inclusive.GetItems().Data();
  int next = 0;
  for (int r = 0; r < rows; ++r) {
    if (IsDistinguishedRow(r)) {
      std::fill_n(cells + r * n, n, 0.0);
      cells[r * n + n - 1] = 1.0;
      continue;
    }
    std::copy_n(values.Data() + next, n, cells + r * n);
    next += n;
  }
  std::vector<double> leak(static_cast<size_t>(n)), tails(static_cast<size_t>(n));
  TailSums(cells + (rows - 1) * n, n, leak.data());
  for (int r = 0; r + 1 < rows; ++r) {
    if (IsDistinguishedRow(r)) continue;
    TailSums(cells + r * n, n, tails.data());
    // Where the leak leaves no mass, the row's share cannot be seen: take 0.
    for (int k = 0; k < n; ++k) {
      const size_t sk = static_cast<size_t>(k);
      tails[sk] = leak[sk] > 0 ? tails[sk] / leak[sk] : 0.0;
    }
    Differences(tails.data(), n, cells + r * n);
  }
  CB_TRY(parameters_.CopyFrom(inclusive));
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::CheckParameters(const QDN_Dmatrix& parameters, std::string& message) const {
  if (!parameters.SameLayout(parameters_)) {
    message = "Inappropirate Dmatrix size";
    return QDN_OUT_OF_RANGE;
  }
  const int n = GetNumberOfOutcomes();
  const double* cells = parameters.GetItems().Data();
  for (int r = 0; r < Rows(); ++r) {
    const bool distinguished = IsDistinguishedRow(r);
    double sum = 0;
    for (int k = 0; k < n; ++k) {
      const double v = cells[r * n + k];
      if (!(v >= 0)) {
        message = "Probability less than 0";
        return -4;
      }
      if (distinguished && ((k < n - 1 && v != 0.0) || (k == n - 1 && v != 1.0))) {
        message = "Constraints violeted";
        return -4;
      }
      sum += v;
    }
    if (!(sum >= 0.999995 && sum <= 1.000005)) {
      message = "Probabilities don't sum up to 1";
      return -4;
    }
  }
  message = "Ok";
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::CheckParameters(const QDN_Dmatrix& parameters, char* buffer, int length) const {
  std::string message;
  const int status = CheckParameters(parameters, message);
  CopyMessage(message, buffer, length);
  return status;
}

int QDN_noisyMAX::SetParentOutcomeStrengths(int parentIndex, const QDN_intArray& order) {
  if (parentIndex < 0 || parentIndex >= GetNumberOfParentBlocks()) return QDN_OUT_OF_RANGE;
  QDN_intArray& strengths = strengths_[static_cast<size_t>(parentIndex)];
  const int k = strengths.GetCount();
  // Strength lists are permutations of the block's rows; anything else is refused.
  if (order.GetCount() != k || PermutationLength(order, k, k) != k) return QDN_OUT_OF_RANGE;
  const int start = GetParentStartingPosition(parentIndex);
  QDN_intArray rows;
  for (int r = 0; r < Rows(); ++r)
    (void)rows.Append(r >= start && r < start + k ? start + order.At(r - start) : r);
  CB_TRY(parameters_.ChangeOrderWithinDimension(0, rows));
  SetDistinguishedRow(start + k - 1);
  CB_TRY(strengths.Permute(order));
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::FitParameters() {
  // In a noisy-MAX table, the tail sums of the run where every parent is in
  // its distinguished state are the leak's, and those of a run where only
  // parent i is elsewhere (in outcome o) are the leak's times the tail sums
  // of the row outcome o uses. The fit reads the leak and each row from those
  // runs, which reproduces a noisy-MAX table exactly; for another table it is
  // the model's answer on those runs, made valid (tail sums clamped to
  // [0, 1] and non-increasing, so every row is a distribution). The
  // distinguished rows stay (0, ..., 0, 1).
  const int n = GetNumberOfOutcomes();
  const int m = GetNumberOfParentBlocks();
  if (n < 2 || Rows() < 1 || expanded_.GetNumberOfDimensions() != m + 1) return QDN_OUT_OF_RANGE;
  for (int i = 0; i < m; ++i)
    if (expanded_.GetDimensionSize(i) != strengths_[static_cast<size_t>(i)].GetCount())
      return QDN_OUT_OF_RANGE;
  QDN_intArray coords;
  std::vector<int> distinguished(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    const QDN_intArray& strengths = strengths_[static_cast<size_t>(i)];
    distinguished[static_cast<size_t>(i)] = strengths.IndexOf(strengths.GetCount() - 1);
    (void)coords.Append(distinguished[static_cast<size_t>(i)]);
  }
  (void)coords.Append(0);
  auto run_tails = [&](std::vector<double>& tails) {
    const double* run = expanded_.GetItems().Data() + expanded_.CoordinatesToIndex(coords);
    tails.assign(static_cast<size_t>(n), 0.0);
    TailSums(run, n, tails.data());
  };
  auto make_valid = [&](std::vector<double>& tails) {
    tails[0] = 1.0;
    for (int k = 1; k < n; ++k) {
      double& t = tails[static_cast<size_t>(k)];
      t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, tails[static_cast<size_t>(k - 1)]);
    }
  };
  std::vector<double> leak, tails, row(static_cast<size_t>(n));
  run_tails(leak);
  make_valid(leak);
  double* cells = parameters_.GetItems().Data();
  Differences(leak.data(), n, cells + (Rows() - 1) * n);
  for (int i = 0; i < m; ++i) {
    const size_t pi = static_cast<size_t>(i);
    const QDN_intArray& strengths = strengths_[pi];
    const int start = GetParentStartingPosition(i);
    for (int o = 0; o < strengths.GetCount(); ++o) {
      if (o == distinguished[pi]) continue;
      coords.At(i) = o;
      run_tails(tails);
      for (int k = 0; k < n; ++k) {
        const size_t sk = static_cast<size_t>(k);
        tails[sk] = leak[sk] > 0 ? tails[sk] / leak[sk] : 0.0;
      }
      make_valid(tails);
      Differences(tails.data(), n, cells + (start + strengths.At(o)) * n);
    }
    coords.At(i) = distinguished[pi];
    SetDistinguishedRow(start + strengths.GetCount() - 1);
  }
  Invalidate();
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::AdoptDefinition(QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (source.GetType() != GetType()) return QDN_OUT_OF_RANGE;
  auto& other = static_cast<QDN_noisyMAX&>(source);
  CB_TRY(ids_.Adopt(other.ids_));
  CB_TRY(parameters_.Adopt(other.parameters_));
  CB_TRY(expanded_.Adopt(other.expanded_));
  strengths_ = std::move(other.strengths_);
  table_valid_ = other.table_valid_;
  Notify(QDN_network::kDefinitionRebuilt);
  return QDN_NO_ERROR;
}

int QDN_noisyMAX::CopyParameters(const QDN_nodeDefinition& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  if (&source == this) return QDN_NO_ERROR;
  Release(1);
  CB_TRY(QDN_nodeDefinition::CopyParameters(source));
  auto& writable = const_cast<QDN_nodeDefinition&>(source);
  switch (source.GetType()) {
  case QDN_DISTRIBUTION:
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    // Nothing carries over, but the node still gets its two default
    // outcomes and a table over its parents.
    CB_TRY(CreateTable());
    break;
  case QDN_TABLE: {
    CB_TRY(CreateTable());
    const QDN_Dmatrix* utilities = writable.GetTable();
    if (utilities && ComputeCpt() == QDN_NO_ERROR && utilities->GetSize() == expanded_.GetSize())
      (void)expanded_.GetItems().CopyValues(utilities->GetItems());
    break;
  }
  case QDN_LIST:
    CB_TRY(ids_.Assign(*source.GetOutcomesNames()));
    RemoveAllParentArcs();
    CB_TRY(CreateTable());
    break;
  case QDN_NOISY_MAX: {
    const auto& other = static_cast<const QDN_noisyMAX&>(source);
    CB_TRY(ids_.Assign(other.ids_));
    CB_TRY(CreateTable());
    if (other.parameters_.GetSize() == parameters_.GetSize()) {
      strengths_ = other.strengths_;
      (void)parameters_.CopyFrom(other.parameters_);
    }
    break;
  }
  case QDN_CPT:
  case QDN_TRUTHTABLE: {
    CB_TRY(ids_.Assign(*source.GetOutcomesNames()));
    CB_TRY(CreateTable());
    const QDN_Dmatrix* table = writable.GetProbabilityTable();
    CB_TRY(ComputeCpt());
    if (table && table->GetSize() == expanded_.GetSize()) {
      (void)expanded_.GetItems().CopyValues(table->GetItems());
      CB_TRY(FitParameters());
    }
    break;
  }
  default:
    return QDN_OUT_OF_RANGE;
  }
  return FinishChange(QDN_network::kDefinitionRebuilt);
}

void QDN_noisyMAX::Release(int deep) {
  ids_.Release(deep);
  expanded_.Release(deep);
  parameters_.Release(deep);
  strengths_.clear();
  table_valid_ = false;
  CheckReadiness(0);
}

void QDN_noisyMAX::CheckReadiness(int deep) {
  if (deep) {
    ids_.CheckReadiness(deep);
    parameters_.CheckReadiness(deep);
  }
  QDN_nodeDefinition::CheckReadiness(deep);
  const bool base_ready = IsReady();
  AssignFlag(kReady, base_ready && ids_.IsReady() && parameters_.IsReady());
}

void QDN_noisyMAX::CheckConsistency(int deep) {
  if (deep) ids_.CheckConsistency(deep);
  std::string message;
  AssignFlag(kConsistent, ids_.IsConsistent() && parameters_.GetNumberOfDimensions() == 2 &&
                              parameters_.GetDimensionSize(1) == GetNumberOfOutcomes() &&
                              CheckParameters(parameters_, message) == QDN_NO_ERROR);
}
