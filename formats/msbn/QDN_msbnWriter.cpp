// Writing MSBN files.
#include <array>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/msbn/QDN_msbnFormat.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

int QDN_msbnFormat::WriteFile(const char* fileName) {
  if (FirstNodeOfType({QDN_MAU}) >= 0)
    return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Microsotf format");
  CB_TRY(out_.OpenForWrite(fileName));
  out_.SetIndentWidth(4);
  const char* name =
      network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetName();
  WriteIndentedLine("belief network \"");
  out_.WriteRaw(EscapeString(name ? name : "_Unnamed_Network_"));
  out_.WriteRaw("\"\n");
  const QDN_intArray order(network_->PartialOrderNodes());
  // A refused node abandons the file: the old one, if any, stays. Writing
  // stops at the first failure.
  for (int i = 0; i < order.GetCount() && !out_.Failed(); ++i) {
    out_.WriteRaw("\n");
    CB_TRY(WriteNodeBlock(order.At(i)));
    out_.WriteRaw("\n");
  }
  for (int i = 0; i < order.GetCount() && !out_.Failed(); ++i) {
    out_.WriteRaw("\n");
    WriteTableBlock(order.At(i));
    out_.WriteRaw("\n");
  }
  return out_.Close();
}

int QDN_msbnFormat::WriteNodeBlock(int handle) {
  const QDN_node& node = *network_->GetNode(handle);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  const char* id = node.GetId() ? node.GetId() : "_Unnamed_Node_";
  WriteIndentedLine("node ");
  out_.WriteRaw(id);
  out_.WriteRaw("\n");
  WriteIndentedLine("{\n");
  out_.IndentMore();
  if (node.GetName()) WriteQuotedStatement("name", node.GetName());
  if (type == QDN_LIST || type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX) {
    const QDN_idArray& outcomes = *definition->GetOutcomesNames();
    WriteIndentedLine("type : discrete");
    out_.WriteRaw(std::string("[").append(std::to_string(outcomes.GetCount())).append("] = \n"));
    WriteIndentedLine("{\n");
    out_.IndentMore();
    for (int i = 0; i < outcomes.GetCount(); ++i) {
      if (i > 0) out_.WriteRaw(",\n");
      WriteIndentedLine("\"");
      out_.WriteRaw(outcomes.ViewAt(i));
      out_.WriteRaw("\"");
    }
    out_.WriteRaw("\n");
    out_.IndentLess();
    WriteIndentedLine("};\n");
  } else if (type != QDN_TABLE) {
    return QDN_Log(QDN_OUT_OF_RANGE,
                   Concat({"ERROR: '", id, "' : Node type not supported by MSBN"}).c_str());
  }
  const QDN_rectangle& position = node.GetInfo().screen.position;
  WriteIntListStatement("position", std::array{position.x0, position.y0});
  if (type == QDN_LIST) WriteStringStatement("label", "decision", false, false);
  if (type == QDN_TABLE) WriteStringStatement("label", "utility", false, false);
  out_.IndentLess();
  WriteIndentedLine("}");
  return QDN_NO_ERROR;
}

void QDN_msbnFormat::WriteTableBlock(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  std::string clause = "(";
  clause += node.GetId() ? node.GetId() : "_Unnamed_Node_";
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  bool first = true;
  for (int i = 0; i < parents.GetCount(); ++i) {
    const char* parent = network_->GetNode(parents.At(i))->GetId();
    if (!parent) continue;
    clause += first ? " | " : ", ";
    clause += parent;
    first = false;
  }
  clause += ")";
  if (type == QDN_LIST) {
    WriteIndentedLine("information ");
    clause += ";\n";
    out_.WriteRaw(clause);
    return;
  }
  // Only the kinds WriteNodeBlock let through come here.
  WriteIndentedLine(type == QDN_TABLE ? "utility " : "probability ");
  clause += "\n";
  out_.WriteRaw(clause);
  WriteIndentedLine("{\n");
  out_.IndentMore();
  // A noisy-MAX node is written as its expanded probability table: a row
  // a parent configuration, the configuration given as the list of the
  // parents' state indices.
  const QDN_Dmatrix* table = definition->GetProbabilityTable();
  if (!table) table = definition->GetTable();
  const int dimensions = table->GetNumberOfDimensions();
  const int n = dimensions > 0 ? table->GetDimensionSize(dimensions - 1) : 1;
  std::vector<int> configuration(static_cast<size_t>(dimensions > 1 ? dimensions - 1 : 0), 0);
  for (int start = 0; start < table->GetSize(); start += n) {
    WriteIndentedLine("");
    if (dimensions > 1) {
      WriteIntList(configuration);
      out_.WriteRaw(" : ");
      // The next configuration, the last parent fastest.
      for (size_t k = configuration.size(); k-- > 0;) {
        if (++configuration[k] < table->GetDimensionSize(static_cast<int>(k))) break;
        configuration[k] = 0;
      }
    }
    std::string row;
    for (int k = 0; k < n; ++k) {
      if (k > 0) row += ", ";
      row += QDN_FormatReal(table->At(start + k));
    }
    row += ";\n";
    out_.WriteWrapped(row);
  }
  out_.IndentLess();
  WriteIndentedLine("}");
}
