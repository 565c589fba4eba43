#pragma once

#include <string>
#include <unordered_set>

#include "formats/text/QDN_textFormat.h"

class QDN_Dmatrix;
class QDN_intArray;

// The Hugin network format (format 5, ".net"): discrete chance, decision and
// utility nodes with labels, positions, states, string properties and
// potentials. Other contents of Hugin files are skipped or reported.
class QDN_huginFormat : public QDN_textFormat {
public:
  explicit QDN_huginFormat(QDN_network* network) : QDN_textFormat(network) {}

  int ReadFile(const char* fileName, int flags) override;
  int WriteFile(const char* fileName) override;
  // Hugin lists have no separators: "(" items ")".
  int ReadIdentifierList(QDN_stringArray& out) override;
  int ReadDoubleList(QDN_doubleArray& out) override;
  int ReadIntList(QDN_intArray& out) override;
  int WriteIdentifierList(const QDN_stringArray& list, bool use_size) override;
  int WriteDoubleList(const QDN_doubleArray& list, bool use_size) override;
  int WriteIntList(const QDN_intArray& list, bool use_size) override;
  int WriteStringStatement(const char* name, std::string_view value, bool quoted,
                           bool escaped) override;
  int WriteBlockStart(const char* name) override;

private:
  int ReadNetBlock();
  int ReadNetStatement();
  int ReadNodeBlock();
  int ReadNodeProperty(int handle);
  int ReadPotentialBlock();
  int ReadData(int child);
  // Collects the numbers of a parenthesised list nested to any depth.
  int ReadNestedNumbers(QDN_doubleArray& out, int depth);
  void SkipBlockRemainder();
  void MirrorAndNormalize();
  int DrawingTop() const;

  int WriteNodeBlock(int handle, int drawing_top);
  // Nodes a potential block was read for.
  std::unordered_set<int> has_potential_;
  int WritePotentialBlock(int handle);
  void WriteNestedTable(const QDN_Dmatrix& table, int dimension, int last, QDN_intArray& coords);
};
