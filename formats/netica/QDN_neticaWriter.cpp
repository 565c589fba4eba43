// Writing Netica DNE files.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_truthTable.h"
#include "formats/netica/QDN_neticaFormat.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

int QDN_neticaFormat::WriteFile(const char* fileName) {
  // Equation nodes have no Netica form the reader takes: written, they
  // would come back without their equations.
  if (FirstNodeOfType({QDN_MAU, QDN_EQUATION, QDN_EQUATION_SCC, QDN_DISTRIBUTION}) >= 0)
    return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Netica format");
  CB_TRY(out_.OpenForWrite(fileName));
  out_.SetIndentWidth(4);
  WriteNetHeader();
  const QDN_intArray order(network_->PartialOrderNodes());
  for (int i = 0; i < order.GetCount(); ++i) {
    out_.WriteRaw("\n");
    WriteNode(order.At(i));
    out_.WriteRaw(";\n");
  }
  WriteIndentedLine("};\n");
  return out_.Close();
}

// The net's statements, one level in; the nodes that follow are not
// indented, as Netica writes them.
void QDN_neticaFormat::WriteNetHeader() {
  WriteText("// ~->[DNET-1]->~\n\n", false);
  const QDN_header& header =
      network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  WriteIndentedLine("bnet ");
  out_.WriteRaw(header.GetId() ? header.GetId() : "_Unnamed_Network_");
  out_.WriteRaw(" {\n");
  out_.IndentMore();
  if (header.GetName()) WriteQuotedStatement("title", header.GetName());
  if (header.GetComment()) WriteQuotedStatement("comment", header.GetComment());
  if (network_->GetCreation().creator)
    WriteQuotedStatement("author", *network_->GetCreation().creator);
  WriteBlockStart("visual V1");
  WriteBlockEnd();
  out_.IndentLess();
}

void QDN_neticaFormat::WriteNode(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  QDN_nodeDefinition* definition = node.GetDefinition();
  WriteIndentedLine("node ");
  out_.WriteRaw(node.GetId() ? node.GetId() : "_Unnamed_Node_");
  out_.WriteRaw(" {\n");
  out_.IndentMore();
  // A discretized continuous node goes out with its levels, the bounds of its
  // states' intervals.
  const QDN_userProperties& properties = node.GetInfo().properties;
  const int levels_at = properties.FindProperty(kLevelsProperty);
  const char* levels = levels_at >= 0 ? properties.GetValue(levels_at) : nullptr;
  const bool discretized =
      levels && WrittenType(definition) == QDN_CPT &&
      std::count(levels, levels + std::strlen(levels), ',') == definition->GetNumberOfOutcomes();
  WriteNodeKind(definition, discretized);
  if (node.GetName()) WriteQuotedStatement("title", node.GetName());
  if (node.GetInfo().header.GetComment())
    WriteQuotedStatement("comment", node.GetInfo().header.GetComment());
  const QDN_stringArray parents = NodeIds(network_->GetParents(handle, 0));
  if (definition && definition->GetOutcomesNames() && definition->GetType() != QDN_TABLE)
    WriteIdentifierListStatement("states", *definition->GetOutcomesNames());
  if (discretized) {
    WriteIndentedLine("levels = (");
    out_.WriteWrapped(levels);
    out_.WriteRaw(");\n");
  }
  WriteIdentifierListStatement("parents", parents);
  WriteNodeTable(definition);
  WriteBlockStart("visual V1");
  const QDN_rectangle& position = node.GetInfo().screen.position;
  WriteIntListStatement("center", std::array{position.x0, position.y0});
  WriteBlockEnd();
  out_.IndentLess();
  WriteIndentedLine("}");
}

int QDN_neticaFormat::WrittenType(const QDN_nodeDefinition* definition) {
  // A noisy-MAX or CAST node goes out as the chance node of its expanded
  // table, a truth table as a deterministic node with a function table: the
  // forms Netica readers accept.
  const int type = definition ? definition->GetType() : 0;
  return type == QDN_NOISY_MAX || type == QDN_CAST ? QDN_CPT : type;
}

void QDN_neticaFormat::WriteNodeKind(const QDN_nodeDefinition* definition, bool discretized) {
  const int written_type = WrittenType(definition);
  if (written_type & 1) {
    WriteStringStatement("kind", "DECISION", false, false);
  } else if (written_type & (2 | 4)) {
    WriteStringStatement("kind", "NATURE", false, false);
  } else if (written_type & 8) {
    WriteStringStatement("kind", "UTILITY", false, false);
  } else {
    QDN_Log(QDN_OUT_OF_RANGE, "ERROR: Unsupported node type");
  }
  WriteBoolStatement("discrete", (written_type & 16) != 0 && !discretized);
  if (written_type & 2) WriteStringStatement("chance", "CHANCE", false, false);
  if (written_type & 4) WriteStringStatement("chance", "DETERMIN", false, false);
}

// probs (the probabilities, nested by parents) or functable (the utilities,
// or a truth table's resulting states).
void QDN_neticaFormat::WriteNodeTable(QDN_nodeDefinition* definition) {
  const int type = definition ? definition->GetType() : 0;
  if (type != QDN_CPT && type != QDN_NOISY_MAX && type != QDN_CAST && type != QDN_TABLE &&
      type != QDN_TRUTHTABLE)
    return;
  const QDN_Dmatrix* table = definition->GetProbabilityTable();
  if (!table) table = definition->GetTable();
  const double* cells = table->GetItems().Data();
  auto write_numbers = [&](int start, int count) {
    WriteDoubleList({cells + start, static_cast<size_t>(count)});
  };
  WriteIndentedLine(type == QDN_CPT || type == QDN_NOISY_MAX || type == QDN_CAST
                        ? "probs = \n"
                        : "functable = \n");
  out_.IndentMore();
  out_.WriteIndent();
  if (type == QDN_TABLE) {
    WriteNestedTable(*table, 2, ",\n", write_numbers);
  } else if (type == QDN_TRUTHTABLE) {
    // One resulting state per parent configuration, nested by parents.
    QDN_stringArray states;
    out_.Check(static_cast<QDN_truthTable*>(definition)->GetResultingStates(states));
    const int outcomes = definition->GetNumberOfOutcomes();
    WriteNestedTable(*table, 1, ",\n",
                     [&](int start, int) { out_.WriteRaw(states.ViewAt(start / outcomes)); });
  } else {
    WriteNestedTable(*table, 1, ",\n", write_numbers);
  }
  out_.WriteRaw(";\n");
  out_.IndentLess();
}
