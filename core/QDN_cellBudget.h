#pragma once

#include <string>

// Budget of table cells for one load, as an XML parser limits entity
// amplification: a small file that declares huge tables (three 600-state
// nodes and a table over them) must not make the process allocate
// gigabytes. Every table allocation of the engine charges its new cells to
// the load running on its thread before it allocates; once a charge would
// pass the budget, it and every later one are refused, and the load fails
// with a message naming the node.
//
// The budget of a load is, unless the caller sets one, the larger of 2^24
// cells and 8 cells per byte of the file. A caller sets it for every later
// load with SetMaxCells, or with the environment variable
// CALLBRIMA_MAX_CELLS (SetMaxCells wins).
class QDN_cellBudget {
public:
  static constexpr long long kMinimumCells = 1LL << 24;
  static constexpr long long kCellsPerFileByte = 8;

  // The budget of every later load (cells >= 1); 0 goes back to the
  // default (or the environment variable). Process-wide.
  static void SetMaxCells(long long cells);
  // What SetMaxCells set, else a valid CALLBRIMA_MAX_CELLS, else 0.
  static long long GetMaxCells();
  // The budget of a load of a file of fileBytes bytes.
  static long long BudgetFor(long long fileBytes);

  // Charges added cells, for a table growing to table_cells cells, to the
  // load running on this thread; true when they fit (always, outside a load).
  [[nodiscard]] static bool Charge(long long added, long long table_cells, const void* table);

  // A load on this thread: charges count against the budget from
  // construction to destruction. An inner scope suspends the outer one.
  class Scope {
  public:
    explicit Scope(long long budget);
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope();
    long long GetBudget() const { return budget_; }
    long long GetUsed() const { return used_; }
    // True once a charge was refused.
    bool Exceeded() const { return exceeded_; }
    // The table whose growth was refused, as given to Charge.
    const void* GetRefusedTable() const { return refused_table_; }
    // The message of a refusal; what names the table's owner ("node 'A'").
    std::string Describe(const std::string& what) const;

  private:
    friend class QDN_cellBudget;
    Scope* outer_;
    long long budget_;
    long long used_ = 0;
    bool exceeded_ = false;
    long long refused_table_cells_ = 0;
    long long refused_total_ = 0;
    const void* refused_table_ = nullptr;
  };
};
