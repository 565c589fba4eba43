// Reading Hugin network files.
#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <string_view>
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
#include "formats/hugin/QDN_huginFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

// Network properties of the Hugin tools that the reader recognises and skips
// ("node_size" is read).
constexpr std::array<std::string_view, 40> kNetProperties = {"node_size",
                                                             "HR_Monitor_InitSD",
                                                             "HR_Monitor_InitStates",
                                                             "HR_Monitor_OpenGraph",
                                                             "HR_Monitor_GraphPrecision",
                                                             "HR_Monitor_AutoUpdGraph",
                                                             "HR_Compile_ApproxEpsilon",
                                                             "HR_Compile_Approximate",
                                                             "HR_Compile_Compress",
                                                             "HR_Compile_TriangMethod",
                                                             "HR_Propagate_AutoNormal",
                                                             "HR_Propagate_AutoSum",
                                                             "HR_Propagate_Auto",
                                                             "HR_Font_Italic",
                                                             "HR_Font_Weight",
                                                             "HR_Font_Size",
                                                             "HR_Font_Name",
                                                             "HR_Grid_GridShow",
                                                             "HR_Grid_GridSnap",
                                                             "HR_Grid_Y",
                                                             "HR_Grid_X",
                                                             "HRUNTIME_Monitor_InitStates",
                                                             "HRUNTIME_Monitor_OpenGraph",
                                                             "HRUNTIME_Monitor_GraphPrecision",
                                                             "HRUNTIME_Monitor_AutoUpdGraph",
                                                             "HRUNTIME_Compile_ApproxEpsilon",
                                                             "HRUNTIME_Compile_Approximate",
                                                             "HRUNTIME_Compile_Compress",
                                                             "HRUNTIME_Compile_TriangMethod",
                                                             "HRUNTIME_Propagate_AutoNormal",
                                                             "HRUNTIME_Propagate_AutoSum",
                                                             "HRUNTIME_Propagate_Auto",
                                                             "HRUNTIME_Font_Italic",
                                                             "HRUNTIME_Font_Weight",
                                                             "HRUNTIME_Font_Size",
                                                             "HRUNTIME_Font_Name",
                                                             "HRUNTIME_Grid_GridShow",
                                                             "HRUNTIME_Grid_GridSnap",
                                                             "HRUNTIME_Grid_Y",
                                                             "HRUNTIME_Grid_X"};

bool IsNodeStart(std::string_view text) {
  return text == "discrete" || text == "continuous" || text == "node" || text == "decision" ||
         text == "utility";
}

} // namespace

int QDN_huginFormat::ReadFile(const char* fileName, int) {
  CB_TRY(BeginRead(fileName, QDN_lexerVariant::kHugin));
  int status = QDN_NO_ERROR;
  if (NextTextIs("net")) {
    status = ReadNetBlock();
  } else {
    ReportWrongStart("net");
  }
  has_potential_.clear();
  if (status == QDN_NO_ERROR) {
    // Node and potential blocks are read in any order: a file that puts a node
    // block after a potential block keeps the rest of its contents.
    for (;;) {
      QDN_token token;
      if (Peek(token) < 0) break;
      if (IsNodeStart(token.text)) {
        if (ReadNodeBlock() != QDN_NO_ERROR) SkipBlockRemainder();
      } else if (token.text == "potential") {
        if (ReadPotentialBlock() != QDN_NO_ERROR) SkipBlockRemainder();
      } else {
        // What follows is not read: say so rather than drop it.
        LogUnknown("Unknown Statement; the rest of the file is skipped");
        break;
      }
    }
    // Every node of a Hugin file has a potential: one without it lost its
    // parents and table (a file cut short, for one).
    for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h))
      if (has_potential_.count(h) == 0)
        LogError(QDN_OUT_OF_RANGE, Concat({"ERROR: Node (\"", network_->GetNode(h)->GetId(),
                                           "\") has no potential"}));
  }
  MirrorAndNormalize();
  EndRead();
  return status;
}

int QDN_huginFormat::ReadNetBlock() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "net"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadStatements([this] { return ReadNetStatement(); });
  return Expect(QDN_TOKEN_PUNCTUATOR, "}");
}

int QDN_huginFormat::ReadNetStatement() {
  QDN_token token;
  CB_TRY(Peek(token));
  const bool known =
      std::find(kNetProperties.begin(), kNetProperties.end(), token.text) != kNetProperties.end();
  if (!known) {
    LogUnknown("Unknown Net Statement");
    return SkipStatement();
  }
  if (token.text != "node_size") return SkipStatement();
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "node_size"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  QDN_doubleArray size;
  CB_TRY(ReadSpacedDoubleList(size));
  if (size.GetCount() < 2) return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong node size");
  int width = 0, height = 0;
  if (QDN_TruncateToInt(size.At(0), width) < 0 || QDN_TruncateToInt(size.At(1), height) < 0)
    return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong node size");
  network_->GetSubmodels().SetDefaultNodeSize(width, height);
  return QDN_NO_ERROR;
}

int QDN_huginFormat::ReadNodeBlock() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  std::string kind(CurrentToken().text);
  if (kind == "discrete" || kind == "continuous") {
    if (kind == "continuous")
      LogError(QDN_SYNTAX_ERROR, "ERROR: : Continuous nodes not supported (yet)");
    CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
    kind = CurrentToken().text;
  }
  int type = 0;
  if (kind == "node") {
    type = QDN_CPT;
  } else if (kind == "decision") {
    type = QDN_LIST;
  } else if (kind == "utility") {
    type = QDN_TABLE;
  } else {
    return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", kind, "' : Unknown Node Type"}));
  }
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  const int handle = network_->AddNode(type, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Node (\"", id, "\")"}));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadStatements([&] { return ReadNodeProperty(handle); });
  CB_TRY(ReadBlockEnd());
  if (!KeepReadyNode(handle, id)) return QDN_NO_ERROR;
  QDN_node& node = *network_->GetNode(handle);
  if (!node.GetName() || !*node.GetName()) (void)node.GetInfo().header.SetName(id.c_str());
  return QDN_NO_ERROR;
}

int QDN_huginFormat::ReadNodeProperty(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  int status = ReadAssignment("label", QDN_TOKEN_STRING);
  if (status != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReportError(node.GetInfo().header.SetName(std::string(CurrentToken().text).c_str()), {});
  }
  if (Match(QDN_TOKEN_IDENTIFIER, "position") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    QDN_doubleArray position;
    CB_TRY(ReadSpacedDoubleList(position));
    if (position.GetCount() < 2)
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong position coordinates");
    int x = 0, y = 0;
    if (QDN_TruncateToInt(position.At(0), x) < 0 || QDN_TruncateToInt(position.At(1), y) < 0)
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong position coordinates");
    node.GetInfo().screen.position.x0 = x;
    node.GetInfo().screen.position.y0 = y;
    return QDN_NO_ERROR;
  }
  if (Match(QDN_TOKEN_IDENTIFIER, "states") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    QDN_stringArray texts;
    CB_TRY(ReadSpacedStringList(texts));
    QDN_idArray ids;
    CB_TRY(ids.Assign(texts));
    (void)ids.MakeIdsValid();
    QDN_nodeDefinition* definition = node.GetDefinition();
    if (!definition) return ReportError(QDN_WRONG_NODE_TYPE, {});
    status = definition->SetNumberOfOutcomes(ids);
    if (status < 0) return ReportError(status, {});
    NoteFileOutcomes(handle, ids.GetCount());
    // The original state texts stay with the outcomes when repair changed them.
    QDN_extraDefinition* extra = node.GetExtraDefinition();
    const QDN_idArray* names = definition->GetOutcomesNames();
    for (int i = 0; extra && names && i < texts.GetCount() && i < extra->GetNumberOfOutcomes(); ++i)
      if (texts.ViewAt(i) != names->ViewAt(i))
        extra->GetOutcome(i).long_name = std::string(texts.ViewAt(i));
    return QDN_NO_ERROR;
  }
  QDN_token token;
  CB_TRY(Peek(token));
  if (token.kind != QDN_TOKEN_IDENTIFIER) return QDN_SYNTAX_ERROR;
  const std::string name(token.text);
  CB_TRY(ReadAssignment(name.c_str(), QDN_TOKEN_STRING));
  const std::string value(CurrentToken().text);
  return ReportError(node.GetInfo().properties.AddProperty(name.c_str(), value.c_str()), {});
}

int QDN_huginFormat::ReadPotentialBlock() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "potential"));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "("));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string child_id(CurrentToken().text);
  const int child = network_->FindNode(child_id.c_str());
  if (child < 0) return ReportError(child, Concat({"ERROR: Node (\"", child_id, "\") not found"}));
  has_potential_.insert(child);
  if (NextIsIdentifier() == 1)
    return ReportError(QDN_OUT_OF_RANGE, "ERROR: Undirected arcs not (yet) supported");
  (void)Match(QDN_TOKEN_PUNCTUATOR, "|");
  TakeParentIds(child);
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadStatements([&] {
    return NextTextIs("data") ? ReadData(child) : ReportUnknown("Unknown potential statement");
  });
  return ReadBlockEnd();
}

int QDN_huginFormat::ReadNestedNumbers(QDN_doubleArray& out, int depth) {
  // Deeply nested input is refused rather than followed down the stack.
  constexpr int kMaxNesting = 256;
  if (depth > kMaxNesting) return ReportError(QDN_SYNTAX_ERROR, "ERROR: Table nested too deeply");
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  for (;;) {
    CB_TRY(TakeNumbers(out));
    if (NextIsPunctuator("(") == 1) {
      CB_TRY(ReadNestedNumbers(out, depth + 1));
    } else {
      break;
    }
  }
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

int QDN_huginFormat::ReadData(int child) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "data"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  // The numbers are taken in file order whatever the nesting: files nest by
  // parents, some tools write one flat list.
  QDN_doubleArray values;
  CB_TRY(ReadNestedNumbers(values, 0));
  QDN_nodeDefinition* definition = network_->GetNode(child)->GetDefinition();
  if (!definition) return ReportError(QDN_WRONG_NODE_TYPE, {});
  QDN_Dmatrix* table = definition->GetTable();
  if (!table) return QDN_NO_ERROR; // a decision has no table
  std::vector<double> cells(values.Data(), values.Data() + values.GetCount());
  (void)SpreadOverAddedStates(child, definition->GetType() != QDN_TABLE, cells);
  // Fewer values than cells leave the rest as they are; extra values are ignored.
  const int count = std::min(static_cast<int>(cells.size()), table->GetSize());
  std::copy_n(cells.data(), count, table->GetItems().Data());
  if (static_cast<int>(cells.size()) != table->GetSize())
    return ReportError(QDN_OUT_OF_RANGE,
                       Concat({"ERROR: Wrong number of values in the table of node (\"",
                               network_->GetNode(child)->GetId(), "\")"}));
  return QDN_NO_ERROR;
}

namespace {

// Positions are ints; the mirrored ones are kept within the int range.
int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

int QDN_huginFormat::DrawingTop() const {
  long long top = 0;
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_rectangle& p = network_->GetNode(h)->GetInfo().screen.position;
    top = std::max(top, static_cast<long long>(p.y0) - p.y1 / 2);
  }
  return ClampToInt(top);
}

void QDN_huginFormat::MirrorAndNormalize() {
  const int top = DrawingTop();
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    QDN_node& node = *network_->GetNode(h);
    node.GetInfo().screen.position.y0 =
        ClampToInt(static_cast<long long>(top) - node.GetInfo().screen.position.y0);
    // Probability tables are normalized; utilities keep their values.
    QDN_nodeDefinition* definition = node.GetDefinition();
    if (definition && definition->GetType() == QDN_CPT) (void)definition->GetTable()->Normalize();
  }
}
