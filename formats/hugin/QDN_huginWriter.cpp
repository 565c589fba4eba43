// Writing Hugin network files.
#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/hugin/QDN_huginFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

const char* KindWord(int type) {
  switch (type) {
  case QDN_CPT:
  case QDN_TRUTHTABLE:
  case QDN_NOISY_MAX:
    return "node ";
  case QDN_LIST:
    return "decision ";
  case QDN_TABLE:
    return "utility ";
  default:
    return nullptr;
  }
}

// The texts an outcome list goes out with: for each outcome the original
// text it was read with when the reader makes its identifier from that text
// again, and no other outcome goes out with the same text; otherwise its
// identifier. When the whole list would not read back as the outcomes'
// identifiers, the identifiers go out.
QDN_stringArray OutcomeTexts(const QDN_idArray& ids, const QDN_extraDefinition* extra) {
  bool any_original = false;
  QDN_stringArray texts;
  for (const std::string& text :
       QDN_textFormat::OriginalOutcomeTexts(ids, extra, nullptr, any_original))
    (void)texts.Append(text.c_str());
  if (!any_original) return texts;
  QDN_idArray again;
  bool same = again.Assign(texts) == QDN_NO_ERROR && again.MakeIdsValid() == QDN_NO_ERROR &&
              again.GetCount() == ids.GetCount();
  for (int i = 0; same && i < ids.GetCount(); ++i)
    same = again.ViewAt(i) == ids.ViewAt(i);
  if (same) return texts;
  QDN_stringArray plain;
  for (int i = 0; i < ids.GetCount(); ++i)
    (void)plain.Append(ids.At(i));
  return plain;
}

} // namespace

// Lines break only between the quoted items, never inside one.
int QDN_huginFormat::WriteIdentifierList(const QDN_stringArray& list, bool use_size) {
  (void)out_.WriteWrapped("(", 2);
  const int n = use_size ? list.GetSize() : list.GetCount();
  for (int i = 0; i < n; ++i) {
    if (i > 0) (void)out_.WriteWrapped("  ", 2);
    (void)out_.WriteRaw(std::string("\"").append(EscapeString(list.ViewAt(i))).append("\""), 0);
  }
  return out_.WriteWrapped(")", 2);
}

int QDN_huginFormat::WriteDoubleList(const QDN_doubleArray& list, bool use_size) {
  (void)out_.WriteWrapped("(", 2);
  const int n = use_size ? list.GetSize() : list.GetCount();
  for (int i = 0; i < n; ++i) {
    std::string item = i > 0 ? " " : "";
    item += QDN_FormatReal(list.At(i));
    (void)out_.WriteWrapped(item, 2);
  }
  return out_.WriteWrapped(")", 2);
}

int QDN_huginFormat::WriteIntList(const QDN_intArray& list, bool use_size) {
  std::string text = "(";
  const int n = use_size ? list.GetSize() : list.GetCount();
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += " ";
    text += std::to_string(list.At(i));
  }
  text += ")";
  return out_.WriteWrapped(text, 2);
}

int QDN_huginFormat::WriteStringStatement(const char* name, std::string_view value, bool quoted,
                                          bool escaped) {
  if (!name) return QDN_NO_ERROR;
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" = ", 0);
  if (quoted) (void)out_.WriteRaw("\"", 0);
  // Escaped with the backslash sequences the reader decodes, so line breaks
  // and tabs in labels and properties survive.
  (void)out_.WriteRaw(escaped ? EscapeString(value) : std::string(value), 0);
  if (quoted) (void)out_.WriteRaw("\"", 0);
  return out_.WriteRaw(";\n", 0);
}

int QDN_huginFormat::WriteBlockStart(const char* name) {
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" {\n", 0);
  return out_.IndentMore();
}

int QDN_huginFormat::WriteFile(const char* fileName) {
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_->GetNode(h)->GetDefinition();
    if (definition && definition->GetType() == QDN_MAU)
      return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Hugin format");
  }
  CB_TRY(out_.OpenForWrite(fileName));
  (void)out_.SetIndentWidth(4);
  (void)WriteIndentedLine("net ");
  (void)out_.WriteRaw("\n{\n", 0);
  (void)out_.IndentMore();
  const QDN_rectangle& size = network_->GetSubmodels().GetDefaultScreenInfo(QDN_CPT).position;
  QDN_intArray node_size;
  (void)node_size.Append(size.x1);
  (void)node_size.Append(size.y1);
  (void)WriteIntListStatement("node_size", node_size, false);
  (void)out_.IndentLess();
  (void)WriteIndentedLine("}\n");
  const int top = DrawingTop();
  const QDN_intArray order(network_->PartialOrderNodes());
  int status = QDN_NO_ERROR;
  for (int i = 0; i < order.GetCount() && status == QDN_NO_ERROR; ++i) {
    (void)out_.WriteRaw("\n", 0);
    status = WriteNodeBlock(order.At(i), top);
    (void)out_.WriteRaw("\n", 0);
  }
  for (int i = 0; i < order.GetCount() && status == QDN_NO_ERROR; ++i) {
    (void)out_.WriteRaw("\n", 0);
    status = WritePotentialBlock(order.At(i));
    (void)out_.WriteRaw("\n", 0);
  }
  // A refused node abandons the file: the old one, if any, stays.
  if (status != QDN_NO_ERROR) return status;
  return out_.Close();
}

int QDN_huginFormat::WriteNodeBlock(int handle, int drawing_top) {
  const QDN_node& node = *network_->GetNode(handle);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const char* kind = KindWord(definition ? definition->GetType() : 0);
  const char* id = node.GetId() ? node.GetId() : "_Unnamed_Node_";
  if (!kind)
    return QDN_Log(QDN_OUT_OF_RANGE,
                   Concat({"ERROR: '", id, "' : Node type not supported by Hugin"}).c_str());
  (void)WriteIndentedLine(kind);
  (void)out_.WriteRaw(id, 0);
  (void)out_.WriteRaw("\n{\n", 0);
  (void)out_.IndentMore();
  if (node.GetName()) (void)WriteStringStatement("label", node.GetName(), true, true);
  QDN_intArray position;
  (void)position.Append(node.GetInfo().screen.position.x0);
  const long long mirrored =
      static_cast<long long>(drawing_top) - node.GetInfo().screen.position.y0;
  (void)position.Append(static_cast<int>(std::clamp<long long>(mirrored, INT_MIN, INT_MAX)));
  (void)WriteIntListStatement("position", position, false);
  if (definition->GetType() != QDN_TABLE) {
    const QDN_stringArray states =
        OutcomeTexts(*definition->GetOutcomesNames(), node.GetExtraDefinition());
    (void)WriteIdentifierListStatement("states", states, false);
  }
  const QDN_userProperties& properties = node.GetInfo().properties;
  for (int i = 0; i < properties.GetCount(); ++i)
    (void)WriteStringStatement(properties.GetName(i),
                               properties.GetValue(i) ? properties.GetValue(i) : "", true, true);
  (void)out_.IndentLess();
  return WriteIndentedLine("}");
}

int QDN_huginFormat::WritePotentialBlock(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  (void)WriteIndentedLine("potential (");
  (void)out_.WriteRaw(node.GetId() ? node.GetId() : "_Unnamed_Node_", 0);
  (void)out_.WriteRaw(" |", 0);
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  for (int i = 0; i < parents.GetCount(); ++i) {
    const char* parent = network_->GetNode(parents.At(i))->GetId();
    if (!parent) continue;
    (void)out_.WriteRaw(" ", 0);
    (void)out_.WriteRaw(parent, 0);
  }
  (void)out_.WriteRaw(")\n", 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  QDN_nodeDefinition* definition = node.GetDefinition();
  if (definition->GetType() != QDN_LIST) {
    (void)WriteIndentedLine("data = ");
    (void)out_.IndentMore();
    // A noisy-MAX node is written as its expanded probability table.
    const QDN_Dmatrix* table = definition->GetProbabilityTable();
    if (!table) table = definition->GetTable();
    QDN_intArray coords;
    for (int i = 0; i < table->GetNumberOfDimensions(); ++i)
      (void)coords.Append(0);
    WriteNestedTable(*table, 0, definition->GetType() == QDN_TABLE ? 2 : 1, coords);
    (void)out_.WriteRaw(";\n", 0);
    (void)out_.IndentLess();
  }
  (void)out_.IndentLess();
  return WriteIndentedLine("}");
}

void QDN_huginFormat::WriteNestedTable(const QDN_Dmatrix& table, int dimension, int last,
                                       QDN_intArray& coords) {
  const int dimensions = table.GetNumberOfDimensions();
  if (dimension >= dimensions - last) {
    int count = 1;
    for (int k = dimension; k < dimensions; ++k)
      count *= table.GetDimensionSize(k);
    const int start = table.CoordinatesToIndex(coords);
    QDN_doubleArray cells;
    (void)cells.Resize(count);
    for (int k = 0; k < count; ++k)
      (void)cells.Append(table.At(start + k));
    (void)WriteDoubleList(cells, false);
    return;
  }
  (void)out_.WriteRaw("(", 0);
  for (int i = 0; i < table.GetDimensionSize(dimension); ++i) {
    coords.At(dimension) = i;
    if (i > 0) {
      (void)out_.WriteRaw("\n", 0);
      (void)out_.WriteIndent();
    }
    WriteNestedTable(table, dimension + 1, last, coords);
  }
  coords.At(dimension) = 0;
  (void)out_.WriteRaw(")", 0);
}
