#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/native/QDN_qdnFormat.h"

class QDN_intArray;
class QDN_node;
class QDN_noisyMAX;

// The KI knowledge-base format (format 7, ".dxp"): a diagnostic network of
// chance and noisy-MAX nodes with their states and diagnostic attributes.
// Reading only by number; a write chosen by the extension produces the
// native text layout.
class QDN_kiFormat : public QDN_qdnFormat {
public:
  // keyword ":" value; entries that end with their own "}" may leave out the
  // ";" after it.
  explicit QDN_kiFormat(QDN_network* network) : QDN_qdnFormat(network) {
    ki_layout_ = true;
    assignment_ = ":";
    semicolons_ = Semicolons::kOptional;
  }

  int ReadFile(const char* fileName, int flags) override;
  // The native text writer's output in the KI layout.
  int WriteFile(const char* fileName) override { return QDN_qdnFormat::WriteFile(fileName); }
  int ReadBoolAssignment(const char* keyword, int& value) override;

private:
  int Read();
  int ReadKb();
  int ReadNodes();
  int ReadNodeEntry();
  int ReadNodeStatement(int& handle);
  // CLASSTYPE: the node is made again as a noisy-MAX node that keeps its
  // descriptive and diagnostic information (handle is its new handle).
  int ReadClassType(int& handle);
  // NAME, DEFINITION, SHORTNAME and LONGNAME of a node.
  int ReadTextStatement(QDN_node& node);
  // POSITION and SIZE.
  int ReadScreenStatement(QDN_node& node);
  // COST, the diagnostic flags, MANDATORYVALUE and QUESTION.
  int ReadDiagnosticStatement(QDN_extraDefinition* extra);
  int ReadTypeStatement(int handle);
  int ReadStateBlock(int handle, int outcome);
  int ReadNetworkBlock();
  int ReadDefinitionEntry();
  // Integers, each maybe followed by ",", up to the first other token.
  int ReadIntegers(QDN_intArray& out);
  // Numbers, each maybe followed by ",", and the ";" that ends them.
  int ReadNumberRow(std::vector<double>& out);
  int ReadProb(int handle);
  int ReadFunction(int handle);
  // One parameter row of a FUNCTION statement: the parent index, the parent
  // outcome when the file names one (-1: the next outcome not yet given),
  // and the values.
  struct FunctionRow {
    int parent = 0;
    int outcome = -1;
    std::vector<double> values;
  };
  // Turns the leak row, the parameter rows and the absent outcomes of each
  // parent into the node's noisy-MAX parameters.
  int ApplyFunction(int handle, const std::vector<double>& leak,
                    const std::vector<FunctionRow>& rows,
                    const std::vector<std::pair<int, std::vector<int>>>& absent);
  struct ParentRows;
  // The absent outcomes listed per parent index.
  void MarkAbsent(const std::vector<std::pair<int, std::vector<int>>>& absent,
                  std::vector<ParentRows>& parents);
  // Each parameter row to the parent outcomes it gives (n: the node's outcome count).
  void AssignRows(const std::vector<FunctionRow>& rows, int n, std::vector<ParentRows>& parents);
  // The strengths and parameters the parents' rows and the leak row make.
  int SetNoisyParameters(QDN_noisyMAX& definition, const std::vector<ParentRows>& parents,
                         const std::vector<double>& leak_row);
  // A block of entries up to its "}" and the ";" after it when there is one.
  template <typename Statement> int ReadEntries(Statement statement);
  void FinalPass();
  // Identifier or String; false when neither is next.
  bool ReadName(std::string& out);

  int observable_ = -1;
  int mandatory_ = -1;
  int hypothesis_ = -1;
  int recommendable_ = -1;
};
