// Writing Hugin network files.
#include <algorithm>
#include <array>
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
    if (texts.Append(text.c_str()) != QDN_NO_ERROR) return ids;
  if (!any_original) return texts;
  QDN_idArray again;
  bool same = again.Assign(texts) == QDN_NO_ERROR && again.MakeIdsValid() == QDN_NO_ERROR &&
              again.GetCount() == ids.GetCount();
  for (int i = 0; same && i < ids.GetCount(); ++i)
    same = again.ViewAt(i) == ids.ViewAt(i);
  if (same) return texts;
  return ids;
}

} // namespace

int QDN_huginFormat::WriteFile(const char* fileName) {
  if (FirstNodeOfType({QDN_MAU}) >= 0)
    return QDN_Log(QDN_OUT_OF_RANGE, "ERROR: This Network cannot be saved in Hugin format");
  CB_TRY(out_.OpenForWrite(fileName));
  out_.SetIndentWidth(4);
  WriteIndentedLine("net ");
  out_.WriteRaw("\n{\n");
  out_.IndentMore();
  const QDN_rectangle& size = network_->GetSubmodels().GetDefaultScreenInfo(QDN_CPT).position;
  WriteIntListStatement("node_size", std::array{size.x1, size.y1});
  out_.IndentLess();
  WriteIndentedLine("}\n");
  const int top = DrawingTop();
  const QDN_intArray order(network_->PartialOrderNodes());
  // A refused node abandons the file: the old one, if any, stays. Writing
  // stops at the first failure.
  for (int i = 0; i < order.GetCount() && !out_.Failed(); ++i) {
    out_.WriteRaw("\n");
    CB_TRY(WriteNodeBlock(order.At(i), top));
    out_.WriteRaw("\n");
  }
  for (int i = 0; i < order.GetCount() && !out_.Failed(); ++i) {
    out_.WriteRaw("\n");
    WritePotentialBlock(order.At(i));
    out_.WriteRaw("\n");
  }
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
  WriteIndentedLine(kind);
  out_.WriteRaw(id);
  out_.WriteRaw("\n{\n");
  out_.IndentMore();
  if (node.GetName()) WriteQuotedStatement("label", node.GetName());
  const long long mirrored =
      static_cast<long long>(drawing_top) - node.GetInfo().screen.position.y0;
  WriteIntListStatement(
      "position", std::array{node.GetInfo().screen.position.x0,
                             static_cast<int>(std::clamp<long long>(mirrored, INT_MIN, INT_MAX))});
  if (definition->GetType() != QDN_TABLE)
    WriteIdentifierListStatement(
        "states", OutcomeTexts(*definition->GetOutcomesNames(), node.GetExtraDefinition()));
  const QDN_userProperties& properties = node.GetInfo().properties;
  for (int i = 0; i < properties.GetCount(); ++i)
    WriteQuotedStatement(properties.GetName(i),
                         properties.GetValue(i) ? properties.GetValue(i) : "");
  out_.IndentLess();
  WriteIndentedLine("}");
  return QDN_NO_ERROR;
}

void QDN_huginFormat::WritePotentialBlock(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  WriteIndentedLine("potential (");
  out_.WriteRaw(node.GetId() ? node.GetId() : "_Unnamed_Node_");
  out_.WriteRaw(" |");
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  for (int i = 0; i < parents.GetCount(); ++i) {
    const char* parent = network_->GetNode(parents.At(i))->GetId();
    if (!parent) continue;
    out_.WriteRaw(" ");
    out_.WriteRaw(parent);
  }
  out_.WriteRaw(")\n");
  WriteIndentedLine("{\n");
  out_.IndentMore();
  QDN_nodeDefinition* definition = node.GetDefinition();
  if (definition->GetType() != QDN_LIST) {
    WriteIndentedLine("data = ");
    out_.IndentMore();
    // A noisy-MAX node is written as its expanded probability table. A
    // utility table's innermost lists hold the cells of the last two
    // dimensions, a probability table's those of the last one.
    const QDN_Dmatrix* table = definition->GetProbabilityTable();
    if (!table) table = definition->GetTable();
    const double* cells = table->GetItems().Data();
    WriteNestedTable(*table, definition->GetType() == QDN_TABLE ? 2 : 1, "\n",
                     [&](int start, int count) {
                       WriteDoubleList({cells + start, static_cast<size_t>(count)});
                     });
    out_.WriteRaw(";\n");
    out_.IndentLess();
  }
  out_.IndentLess();
  WriteIndentedLine("}");
}
