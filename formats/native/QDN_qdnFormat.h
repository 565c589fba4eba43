#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/text/QDN_textFormat.h"
#include "network/QDN_extraDefinition.h"

class QDN_header;
class QDN_screenInfo;
class QDN_submodel;
class QDN_userProperties;
class QDN_documentation;
class QDN_node;
class QDN_nodeDefinition;
struct QDN_rectangle;

// The native text format (format 4, ".qdn"): a "net" block with the
// network's descriptive information, submodels, nodes with definitions and
// diagnostic extensions, and observation costs. The reader recovers
// statement by statement: a faulty statement is logged with its line and
// skipped.
class QDN_qdnFormat : public QDN_textFormat {
public:
  // Quoted texts longer than a line break at a blank with a backslash and a
  // blank at the line end. A statement skipped is never skipped silently.
  explicit QDN_qdnFormat(QDN_network* network) : QDN_textFormat(network) {
    style_.quoted_continuation = "\\ ";
    semicolons_ = Semicolons::kRequiredReported;
  }

  int ReadFile(const char* fileName, int flags) override;
  [[nodiscard]] int WriteFile(const char* fileName) override;
  // keyword "=" "{"; -129 when the keyword is not next.
  int ReadBlockStart(const char* keyword) override;
  // name " =", then "{" on a line of its own, one level deeper, and the
  // statements a level deeper still; the end "};" on the "{" line's level.
  void WriteBlockStart(const char* name) override;
  void WriteBlockEnd() override;

protected:
  // Set by the KI format, whose writer produces this layout with a few
  // statements left out.
  bool ki_layout_ = false;

private:
  // Reading. Each statement reader returns 0, a reported failure, or -129
  // when its keyword is not next.
  int ReadNet();
  int ReadNetStatement();
  int ReadHeader(QDN_header& header, int node_handle);
  int ReadCreation();
  int ReadScreen(QDN_screenInfo& screen);
  int ReadRectangle(const char* keyword, QDN_rectangle& rectangle);
  int ReadProperties(QDN_userProperties& properties);
  int ReadDocumentation(const char* keyword, QDN_documentation& documentation);
  int ReadScreenComment(QDN_submodel& submodel);
  int ReadSubmodel();
  int ReadNode();
  int ReadNodeStatement(int handle);
  int ReadType(int handle);
  int ReadParents(int handle, int arc_type);
  int ReadDefinition(int handle);
  int ReadDefinitionStatement(int handle);
  // The node's definition when it is of type (any type for -1), else null.
  QDN_nodeDefinition* DefinitionOf(int handle, int type) const;
  // keyword "=" (what follows is the caller's); -129 when the keyword is not next.
  int ReadKeyword(const char* keyword);
  int ReadOutcomeNames(int handle);
  int ReadResultingStates(int handle);
  int ReadCastWeights(int handle);
  int ReadEquation(int handle);
  int ReadBaseline(int handle);
  int ReadStrengths(int handle);
  int ReadProbabilities(int handle, const char* keyword);
  int ReadExtraDefinition(int handle);
  int ReadExtraStatement(int handle);
  // The node's diagnostic kind and flags.
  int ReadDiagnosticAttribute(QDN_extraDefinition& extra);
  // Fault states, names and labels, and the default state.
  int ReadFaultStatement(QDN_extraDefinition& extra);
  // Per-outcome documentation, comments and repair texts, and the question.
  int ReadOutcomeStatement(QDN_extraDefinition& extra);
  // keyword "=" one text per outcome, stored in field of each outcome (an
  // empty text is no text); message when the count is wrong.
  using OutcomeText = QDN_optionalText QDN_extraDefinition::Outcome::*;
  int ReadOutcomeTexts(QDN_extraDefinition& extra, const char* keyword, const char* message,
                       OutcomeText field);
  int ReadObservationCosts();
  int ReadCostNode();
  // Reads "keyword = string"; -129 when the keyword is not next.
  int ReadStringAssignment(const char* keyword, std::string& value);

  // Writing.
  void WriteNet();
  void WriteHeader(const QDN_header& header);
  void WriteScreen(const QDN_screenInfo& screen);
  void WriteRectangle(const char* name, const QDN_rectangle& rectangle);
  void WriteProperties(const QDN_userProperties& properties);
  void WriteDocumentation(const char* name, const QDN_documentation& documentation);
  void WriteScreenComments(const QDN_submodel& submodel);
  void WriteSubmodel(int handle);
  void WriteNode(int handle);
  // "node " id, the lines of the node's block one level deeper.
  void WriteNodeStart(const char* id);
  void WriteNodeEnd();
  void WriteDefinition(const QDN_node& node);
  void WriteExtraDefinition(const QDN_node& node);
  void WriteObservationCosts();
  void WriteOptionalQuoted(const char* name, const char* text);

  bool noisy_or_ = false;
  bool noisy_and_ = false;
  // Equations of strongly coupled nodes, set when the whole net is read.
  std::vector<std::pair<int, std::string>> coupled_equations_;
  int state_documentation_ = 0;
  // Storage of the texts of header statements, kept from node to node.
  std::string text_scratch_;
};
