// Writing MSBN files.
#include <string>

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

// Lines break only between the quoted items, never inside one.
int QDN_msbnFormat::WriteIdentifierList(const QDN_stringArray& list, bool use_size) {
  (void)out_.WriteWrapped("(", 2);
  const int n = use_size ? list.GetSize() : list.GetCount();
  for (int i = 0; i < n; ++i) {
    if (i > 0) (void)out_.WriteWrapped("  ", 2);
    (void)out_.WriteRaw(std::string("\"").append(EscapeString(list.ViewAt(i))).append("\""), 0);
  }
  return out_.WriteWrapped(")", 2);
}

int QDN_msbnFormat::WriteDoubleList(const QDN_doubleArray& list, bool use_size) {
  (void)out_.WriteWrapped("(", 2);
  const int n = use_size ? list.GetSize() : list.GetCount();
  for (int i = 0; i < n; ++i) {
    std::string item = i > 0 ? " " : "";
    item += QDN_FormatReal(list.At(i));
    (void)out_.WriteWrapped(item, 2);
  }
  return out_.WriteWrapped(")", 2);
}

int QDN_msbnFormat::WriteIntListStatement(const char* name, const QDN_intArray& list,
                                          bool use_size) {
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" : ", 0);
  (void)QDN_textFormat::WriteIntList(list, use_size);
  return out_.WriteRaw(";\n", 0);
}

int QDN_msbnFormat::WriteStringStatement(const char* name, std::string_view value, bool quoted,
                                         bool escaped) {
  if (!name) return QDN_NO_ERROR;
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" : ", 0);
  // MSBN has no line continuation inside quoted text: a long text stays on
  // one line, so it reads back exactly.
  if (quoted) (void)out_.WriteRaw("\"", 0);
  (void)out_.WriteRaw(escaped ? EscapeString(value) : std::string(value), 0);
  if (quoted) (void)out_.WriteRaw("\"", 0);
  return out_.WriteRaw(";\n", 0);
}

int QDN_msbnFormat::WriteBlockStart(const char* name) {
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" {\n", 0);
  return out_.IndentMore();
}

int QDN_msbnFormat::WriteFile(const char* fileName) {
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_->GetNode(h)->GetDefinition();
    if (definition && definition->GetType() == QDN_MAU)
      return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Microsotf format");
  }
  CB_TRY(out_.OpenForWrite(fileName));
  (void)out_.SetIndentWidth(4);
  const char* name =
      network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header.GetName();
  (void)WriteIndentedLine("belief network \"");
  (void)out_.WriteRaw(EscapeString(name ? name : "_Unnamed_Network_"), 0);
  (void)out_.WriteRaw("\"\n", 0);
  const QDN_intArray order(network_->PartialOrderNodes());
  int status = QDN_NO_ERROR;
  for (int i = 0; i < order.GetCount() && status == QDN_NO_ERROR; ++i) {
    (void)out_.WriteRaw("\n", 0);
    status = WriteNodeBlock(order.At(i));
    (void)out_.WriteRaw("\n", 0);
  }
  for (int i = 0; i < order.GetCount() && status == QDN_NO_ERROR; ++i) {
    (void)out_.WriteRaw("\n", 0);
    status = WriteTableBlock(order.At(i));
    (void)out_.WriteRaw("\n", 0);
  }
  // A refused node abandons the file: the old one, if any, stays.
  if (status != QDN_NO_ERROR) return status;
  return out_.Close();
}

int QDN_msbnFormat::WriteNodeBlock(int handle) {
  const QDN_node& node = *network_->GetNode(handle);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  const char* id = node.GetId() ? node.GetId() : "_Unnamed_Node_";
  (void)WriteIndentedLine("node ");
  (void)out_.WriteRaw(id, 0);
  (void)out_.WriteRaw("\n", 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  if (node.GetName()) (void)WriteStringStatement("name", node.GetName(), true, true);
  if (type == QDN_LIST || type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX) {
    const QDN_idArray& outcomes = *definition->GetOutcomesNames();
    (void)WriteIndentedLine("type : discrete");
    std::string count = "[";
    count.append(std::to_string(outcomes.GetCount())).append("] = \n");
    (void)out_.WriteRaw(count, 0);
    (void)WriteIndentedLine("{\n");
    (void)out_.IndentMore();
    for (int i = 0; i < outcomes.GetCount(); ++i) {
      if (i > 0) (void)out_.WriteRaw(",\n", 0);
      (void)WriteIndentedLine("\"");
      (void)out_.WriteRaw(outcomes.ViewAt(i), 0);
      (void)out_.WriteRaw("\"", 0);
    }
    (void)out_.WriteRaw("\n", 0);
    (void)out_.IndentLess();
    (void)WriteIndentedLine("};\n");
  } else if (type != QDN_TABLE) {
    return QDN_Log(QDN_OUT_OF_RANGE,
                   Concat({"ERROR: '", id, "' : Node type not supported by MSBN"}).c_str());
  }
  QDN_intArray position;
  (void)position.Append(node.GetInfo().screen.position.x0);
  (void)position.Append(node.GetInfo().screen.position.y0);
  (void)WriteIntListStatement("position", position, false);
  if (type == QDN_LIST) (void)WriteStringStatement("label", "decision", false, false);
  if (type == QDN_TABLE) (void)WriteStringStatement("label", "utility", false, false);
  (void)out_.IndentLess();
  return WriteIndentedLine("}");
}

int QDN_msbnFormat::WriteTableBlock(int handle) {
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
    (void)WriteIndentedLine("information ");
    clause += ";\n";
    return out_.WriteRaw(clause, 0);
  }
  const char* kind = type == QDN_TABLE ? "utility "
                     : (type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_NOISY_MAX)
                         ? "probability "
                         : nullptr;
  if (!kind) return QDN_OUT_OF_RANGE;
  (void)WriteIndentedLine(kind);
  clause += "\n";
  (void)out_.WriteRaw(clause, 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  // A noisy-MAX node is written as its expanded probability table.
  const QDN_Dmatrix* table = definition->GetProbabilityTable();
  if (!table) table = definition->GetTable();
  const int dimensions = table->GetNumberOfDimensions();
  const int n = dimensions > 0 ? table->GetDimensionSize(dimensions - 1) : 1;
  QDN_intArray coords;
  for (int start = 0; start < table->GetSize(); start += n) {
    (void)WriteIndentedLine("");
    if (dimensions > 1) {
      (void)table->IndexToCoordinates(start, coords);
      QDN_intArray prefix;
      for (int k = 0; k + 1 < dimensions; ++k)
        (void)prefix.Append(coords.At(k));
      (void)QDN_textFormat::WriteIntList(prefix, false);
      (void)out_.WriteRaw(" : ", 0);
    }
    std::string row;
    for (int k = 0; k < n; ++k) {
      if (k > 0) row += ", ";
      row += QDN_FormatReal(table->At(start + k));
    }
    row += ";\n";
    (void)out_.WriteWrapped(row, 2);
  }
  (void)out_.IndentLess();
  return WriteIndentedLine("}");
}
