#pragma once

#include <string>
#include <unordered_set>

#include "formats/text/QDN_textFormat.h"

class QDN_intArray;

// The Hugin network format (format 5, ".net"): discrete chance, decision and
// utility nodes with labels, positions, states, string properties and
// potentials. Other contents of Hugin files are skipped or reported.
class QDN_huginFormat : public QDN_textFormat {
public:
  // Statements: name " = " value, each value on its line whole; lists
  // separated by blanks.
  explicit QDN_huginFormat(QDN_network* network) : QDN_textFormat(network) {
    style_ = {" = ", false, {}, QDN_listSeparator::kBlank};
  }

  int ReadFile(const char* fileName, int flags) override;
  [[nodiscard]] int WriteFile(const char* fileName) override;

private:
  int ReadNetBlock();
  int ReadNetStatement();
  int ReadNodeBlock();
  int ReadNodeProperty(int handle);
  int ReadPotentialBlock();
  int ReadData(int child);
  // Collects the numbers of a parenthesised list nested to any depth.
  int ReadNestedNumbers(QDN_doubleArray& out, int depth);
  void MirrorAndNormalize();
  int DrawingTop() const;

  // A node's block; a failure status (logged) for a node Hugin cannot hold.
  [[nodiscard]] int WriteNodeBlock(int handle, int drawing_top);
  void WritePotentialBlock(int handle);

  // Nodes a potential block was read for.
  std::unordered_set<int> has_potential_;
};
