#pragma once

#include "core/QDN_intArray.h"
#include "formats/text/QDN_textFormat.h"

// The Ergo text format (format 1, ".erg"): positional. A node count, the
// outcome counts, one parent line per node (parents by 1-based position),
// then sections for probabilities, names, outcome labels and positions.
class QDN_ergoFormat : public QDN_textFormat {
public:
  explicit QDN_ergoFormat(QDN_network* network) : QDN_textFormat(network) {}

  int ReadFile(const char* fileName, int flags) override;
  int WriteFile(const char* fileName) override;

private:
  int Read();
  int ReadSections();
  int ReadProbabilities();
  int ReadNames();
  int ReadLabels();
  int ReadCenters();
  // A count token as an int; -127 when the next token is no Integer.
  int ReadCount(int& value, std::string& text);

  // Node handles in file order.
  QDN_intArray handles_;
};
