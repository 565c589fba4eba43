#include "core/QDN_cellBudget.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

std::atomic<long long> max_cells{0};

// The scope of the load running on this thread, or null.
thread_local QDN_cellBudget::Scope* current = nullptr;

// CALLBRIMA_MAX_CELLS as a positive number of cells, else 0.
long long FromEnvironment() {
  const char* text = std::getenv("CALLBRIMA_MAX_CELLS");
  if (!text || !*text) return 0;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1) return 0;
  return value;
}

} // namespace

void QDN_cellBudget::SetMaxCells(long long cells) { max_cells = cells > 0 ? cells : 0; }

long long QDN_cellBudget::GetMaxCells() {
  const long long set = max_cells;
  return set > 0 ? set : FromEnvironment();
}

long long QDN_cellBudget::BudgetFor(long long fileBytes) {
  if (const long long set = GetMaxCells(); set > 0) return set;
  if (fileBytes > LLONG_MAX / kCellsPerFileByte) return LLONG_MAX;
  const long long scaled = fileBytes > 0 ? fileBytes * kCellsPerFileByte : 0;
  return scaled > kMinimumCells ? scaled : kMinimumCells;
}

bool QDN_cellBudget::Charge(long long added, long long table_cells, const void* table) {
  Scope* scope = current;
  if (!scope || added <= 0) return !scope || !scope->exceeded_;
  if (!scope->exceeded_ && added <= scope->budget_ - scope->used_) {
    scope->used_ += added;
    return true;
  }
  if (!scope->exceeded_) {
    scope->exceeded_ = true;
    scope->refused_table_cells_ = table_cells;
    scope->refused_total_ = added > LLONG_MAX - scope->used_ ? LLONG_MAX : scope->used_ + added;
    scope->refused_table_ = table;
  }
  return false;
}

QDN_cellBudget::Scope::Scope(long long budget) : outer_(current), budget_(budget) {
  current = this;
}

QDN_cellBudget::Scope::~Scope() { current = outer_; }

std::string QDN_cellBudget::Scope::Describe(const std::string& what) const {
  return "Table cell budget exceeded: " + what + " needs a table of " +
         std::to_string(refused_table_cells_) + " cells, bringing this load to " +
         std::to_string(refused_total_) + " cells; the budget is " + std::to_string(budget_) +
         " cells (CALLBRIMA_MAX_CELLS raises it).";
}
