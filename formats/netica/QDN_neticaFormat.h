#pragma once

#include <string>
#include <vector>

#include "formats/text/QDN_textFormat.h"

class QDN_node;
class QDN_nodeDefinition;

// The Netica DNE text format (format 2, ".dne"): discrete chance,
// deterministic, decision and utility nodes with parents, states, tables,
// titles, comments and positions. Other Netica statements are recognised and
// skipped.
class QDN_neticaFormat : public QDN_textFormat {
public:
  // The user property that keeps a discretized node's levels, as written
  // ("100, 110, 120"), so that the node goes back out with them.
  static constexpr const char* kLevelsProperty = "NETICA_LEVELS";

  // Quoted texts longer than a line break at a blank with Netica's line
  // continuation, a backslash at the line end, so they read back exactly.
  explicit QDN_neticaFormat(QDN_network* network) : QDN_textFormat(network) {
    style_.quoted_continuation = "\\";
  }

  int ReadFile(const char* fileName, int flags) override;
  [[nodiscard]] int WriteFile(const char* fileName) override;

private:
  int ReadBnet();
  int ReadNetStatement();
  int ReadVisualNet();
  int ReadNode();
  int ReadNodeStatement(int handle);
  int ReadNodeField(int handle);
  // kind, discrete and chance: the type the node's definition will have.
  int ReadTypeField(const QDN_node& node);
  // What follows "parents" and "states".
  int ReadParents(int handle);
  int ReadStates(int handle);
  int ReadVisualNode(int handle);
  int ReadParam();
  bool EnsureDefinition(int handle);
  // A parenthesised list nested to any depth: its numbers (or identifiers) in
  // file order, and the sizes of its innermost groups.
  int ReadNested(std::vector<double>* numbers, std::vector<std::string>* names,
                 std::vector<int>& groups, int depth);
  int ReadProbs(int handle);
  int ReadFunctable(int handle);
  // "levels" of a discretized continuous node: its states become the
  // intervals between consecutive levels.
  int ReadLevels(int handle);

  void WriteNetHeader();
  void WriteNode(int handle);
  // The node type a definition goes out as.
  static int WrittenType(const QDN_nodeDefinition* definition);
  // kind, discrete and chance.
  void WriteNodeKind(const QDN_nodeDefinition* definition, bool discretized);
  void WriteNodeTable(QDN_nodeDefinition* definition);

  int pending_type_ = 18;
  // The node block being read is a CONSTANT (no random variable).
  bool constant_ = false;
  // The node block gave its states by name.
  bool named_states_ = false;
  // The node block is a continuous node discretized by its levels.
  bool discretized_ = false;
};
