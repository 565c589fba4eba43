#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "formats/text/QDN_textFormat.h"

// The MSBN text format (format 3, ".dsc"): a network name, node blocks with
// names, outcome lists and positions, and table blocks giving each node its
// kind, its parents and its table row by row.
class QDN_msbnFormat : public QDN_textFormat {
public:
  // Statements: name " : " value, each value on its line whole (MSBN has no
  // line continuation inside quoted text). Read: keyword ":" value.
  explicit QDN_msbnFormat(QDN_network* network) : QDN_textFormat(network) {
    style_ = {" : ", false, {}, QDN_listSeparator::kComma};
    assignment_ = ":";
  }

  int ReadFile(const char* fileName, int flags) override;
  [[nodiscard]] int WriteFile(const char* fileName) override;

private:
  int ReadNodeBlock();
  int ReadNodeStatement(int handle);
  int ReadTypeStatement(int handle);
  int ReadTableBlock();
  int ReadRow(int child);
  // Number of rows (parent configurations) of a node's table.
  int RunsOf(int child) const;

  // A node's block; a failure status (logged) for a node MSBN cannot hold.
  [[nodiscard]] int WriteNodeBlock(int handle);
  void WriteTableBlock(int handle);

  int pending_type_ = 18;
  // Rows given so far in the table block being read.
  std::vector<bool> rows_seen_;
  // Nodes a table block was read for.
  std::unordered_set<int> has_table_;
};
