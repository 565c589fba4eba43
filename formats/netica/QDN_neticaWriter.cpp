// Writing Netica DNE files.
#include <algorithm>
#include <cstring>
#include <functional>
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

int QDN_neticaFormat::WriteBlockStart(const char* name) {
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" {\n", 0);
  return out_.IndentMore();
}

int QDN_neticaFormat::BeginQuotedText() {
  out_.SetContinuation("\\");
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::EndQuotedText() {
  out_.SetContinuation({});
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::WriteFile(const char* fileName) {
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_->GetNode(h)->GetDefinition();
    // Equation nodes have no Netica form the reader takes: written, they
    // would come back without their equations.
    const int type = definition ? definition->GetType() : 0;
    if (type == QDN_MAU || type == QDN_EQUATION || type == QDN_EQUATION_SCC ||
        type == QDN_DISTRIBUTION)
      return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Netica format");
  }
  CB_TRY(out_.OpenForWrite(fileName));
  (void)out_.SetIndentWidth(4);
  (void)WriteText("// ~->[DNET-1]->~\n\n", false);
  const QDN_header& header =
      network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  (void)WriteIndentedLine("bnet ");
  (void)out_.WriteRaw(header.GetId() ? header.GetId() : "_Unnamed_Network_", 0);
  (void)out_.WriteRaw(" {\n", 0);
  (void)out_.IndentMore();
  if (header.GetName()) (void)WriteQuotedStatement("title", header.GetName());
  if (header.GetComment()) (void)WriteQuotedStatement("comment", header.GetComment());
  if (network_->GetCreation().creator)
    (void)WriteQuotedStatement("author", *network_->GetCreation().creator);
  (void)WriteBlockStart("visual V1");
  (void)WriteBlockEnd();
  const QDN_intArray order(network_->PartialOrderNodes());
  for (int i = 0; i < order.GetCount(); ++i) {
    (void)out_.WriteRaw("\n", 0);
    WriteNode(order.At(i));
    (void)out_.WriteRaw(";\n", 0);
  }
  (void)out_.IndentLess();
  (void)WriteIndentedLine("};\n");
  return out_.Close();
}

void QDN_neticaFormat::WriteNested(const QDN_Dmatrix& table, int dimension, int last,
                                   QDN_intArray& coords,
                                   const std::function<void(int, int)>& leaf) {
  const int dimensions = table.GetNumberOfDimensions();
  if (dimension >= dimensions - last) {
    int count = 1;
    for (int k = dimension; k < dimensions; ++k)
      count *= table.GetDimensionSize(k);
    leaf(table.CoordinatesToIndex(coords), count);
    return;
  }
  (void)out_.WriteRaw("(", 0);
  for (int i = 0; i < table.GetDimensionSize(dimension); ++i) {
    coords.At(dimension) = i;
    if (i > 0) {
      (void)out_.WriteRaw(",\n", 0);
      (void)out_.WriteIndent();
    }
    WriteNested(table, dimension + 1, last, coords, leaf);
  }
  coords.At(dimension) = 0;
  (void)out_.WriteRaw(")", 0);
}

void QDN_neticaFormat::WriteNode(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  (void)WriteIndentedLine("node ");
  (void)out_.WriteRaw(node.GetId() ? node.GetId() : "_Unnamed_Node_", 0);
  (void)out_.WriteRaw(" {\n", 0);
  (void)out_.IndentMore();
  // A noisy-MAX or CAST node goes out as the chance node of its expanded
  // table, a truth table as a deterministic node with a function table: the
  // forms Netica readers accept.
  const int written_type = type == QDN_NOISY_MAX || type == QDN_CAST ? QDN_CPT : type;
  if (written_type & 1) {
    (void)WriteStringStatement("kind", "DECISION", false, false);
  } else if (written_type & (2 | 4)) {
    (void)WriteStringStatement("kind", "NATURE", false, false);
  } else if (written_type & 8) {
    (void)WriteStringStatement("kind", "UTILITY", false, false);
  } else {
    QDN_Log(QDN_OUT_OF_RANGE, "ERROR: Unsupported node type");
  }
  // A discretized continuous node goes out with its levels, the bounds of its
  // states' intervals.
  const QDN_userProperties& properties = node.GetInfo().properties;
  const int levels_at = properties.FindProperty(kLevelsProperty);
  const char* levels = levels_at >= 0 ? properties.GetValue(levels_at) : nullptr;
  const bool discretized =
      levels && written_type == QDN_CPT &&
      std::count(levels, levels + std::strlen(levels), ',') == definition->GetNumberOfOutcomes();
  (void)WriteBoolStatement("discrete", (written_type & 16) != 0 && !discretized);
  if (written_type & 2) (void)WriteStringStatement("chance", "CHANCE", false, false);
  if (written_type & 4) (void)WriteStringStatement("chance", "DETERMIN", false, false);
  if (node.GetName()) (void)WriteQuotedStatement("title", node.GetName());
  if (node.GetInfo().header.GetComment())
    (void)WriteQuotedStatement("comment", node.GetInfo().header.GetComment());
  QDN_stringArray parents;
  const QDN_intArray& list = network_->GetParents(handle, 0);
  for (int i = 0; i < list.GetCount(); ++i) {
    const char* id = network_->GetNode(list.At(i))->GetId();
    (void)parents.Append(id ? id : "UnknownParent");
  }
  if (definition && definition->GetOutcomesNames() && type != QDN_TABLE)
    (void)WriteIdentifierListStatement("states", *definition->GetOutcomesNames(), false);
  if (discretized) {
    (void)WriteIndentedLine("levels = (");
    (void)out_.WriteWrapped(levels, 2);
    (void)out_.WriteRaw(");\n", 0);
  }
  (void)WriteIdentifierListStatement("parents", parents, false);
  QDN_intArray coords;
  const QDN_Dmatrix* table = definition ? definition->GetProbabilityTable() : nullptr;
  if (!table && definition) table = definition->GetTable();
  if (table)
    for (int i = 0; i < table->GetNumberOfDimensions(); ++i)
      (void)coords.Append(0);
  auto write_numbers = [&](int start, int count) {
    QDN_doubleArray cells;
    (void)cells.Resize(count);
    for (int k = 0; k < count; ++k)
      (void)cells.Append(table->At(start + k));
    (void)WriteDoubleList(cells, false);
  };
  switch (type) {
  case QDN_CPT:
  case QDN_NOISY_MAX:
  case QDN_CAST:
    (void)WriteIndentedLine("probs = \n");
    (void)out_.IndentMore();
    (void)out_.WriteIndent();
    WriteNested(*table, 0, 1, coords, write_numbers);
    (void)out_.WriteRaw(";\n", 0);
    (void)out_.IndentLess();
    break;
  case QDN_TABLE:
    (void)WriteIndentedLine("functable = \n");
    (void)out_.IndentMore();
    (void)out_.WriteIndent();
    WriteNested(*table, 0, 2, coords, write_numbers);
    (void)out_.WriteRaw(";\n", 0);
    (void)out_.IndentLess();
    break;
  case QDN_TRUTHTABLE: {
    // One resulting state per parent configuration, nested by parents.
    QDN_stringArray states;
    (void)static_cast<QDN_truthTable*>(definition)->GetResultingStates(states);
    const int outcomes = definition->GetNumberOfOutcomes();
    (void)WriteIndentedLine("functable = \n");
    (void)out_.IndentMore();
    (void)out_.WriteIndent();
    WriteNested(*table, 0, 1, coords,
                [&](int start, int) { (void)out_.WriteRaw(states.ViewAt(start / outcomes), 0); });
    (void)out_.WriteRaw(";\n", 0);
    (void)out_.IndentLess();
    break;
  }
  default:
    break;
  }
  (void)WriteBlockStart("visual V1");
  QDN_intArray center;
  (void)center.Append(node.GetInfo().screen.position.x0);
  (void)center.Append(node.GetInfo().screen.position.y0);
  (void)WriteIntListStatement("center", center, false);
  (void)WriteBlockEnd();
  (void)out_.IndentLess();
  (void)WriteIndentedLine("}");
}
