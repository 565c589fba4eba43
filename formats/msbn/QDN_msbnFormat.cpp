#include "formats/msbn/QDN_msbnFormat.h"

#include <algorithm>
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

int QDN_msbnFormat::ReadFile(const char* fileName, int) {
  CB_TRY(BeginRead(fileName, QDN_lexerVariant::kMsbn));
  QDN_token token;
  if (Peek(token) == QDN_NO_ERROR &&
      (token.text == "diagnostic" || token.text == "belief" || token.text == "trouble")) {
    lexer_->Consume();
    int status = Expect(QDN_TOKEN_IDENTIFIER, "network");
    if (status == QDN_NO_ERROR) status = Expect(QDN_TOKEN_STRING, nullptr);
    if (status != QDN_NO_ERROR) {
      EndRead();
      return status;
    }
    (void)network_->GetSubmodels()
        .GetSubmodel(QDN_network::kMainSubmodel)
        ->header.SetName(std::string(CurrentToken().text).c_str());
    while (!IsBlockEnd()) {
      (void)Peek(token);
      int object = QDN_NO_ERROR;
      if (token.text == "node") {
        object = ReadNodeBlock();
      } else if (token.text == "probability" || token.text == "utility" ||
                 token.text == "information") {
        object = ReadTableBlock();
      } else {
        object = ReportUnknown("Unknown Object");
      }
      if (object != QDN_NO_ERROR) SkipBlockRemainder();
    }
    // Every node has a table block: one without it lost its parents and
    // table (a file cut short, for one).
    for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h))
      if (has_table_.count(h) == 0)
        LogError(QDN_OUT_OF_RANGE,
                 Concat({"ERROR: Node (\"", network_->GetNode(h)->GetId(), "\") has no table"}));
  } else {
    ReportWrongStart("belief");
  }
  EndRead();
  return QDN_NO_ERROR;
}

int QDN_msbnFormat::ReadNodeBlock() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "node"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  const int handle = network_->AddNode(QDN_CPT, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Node (\"", id, "\")"}));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadStatements([&] { return ReadNodeStatement(handle); });
  (void)ReadBlockEnd();
  KeepReadyNode(handle, id);
  return QDN_NO_ERROR;
}

int QDN_msbnFormat::ReadNodeStatement(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  QDN_token token;
  CB_TRY(Peek(token));
  if (token.text != "label" && token.text != "name" && token.text != "position" &&
      token.text != "type")
    return ReportUnknown("Unknown Node Statement");
  int status = ReadAssignment("label", QDN_TOKEN_IDENTIFIER);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if (Match(QDN_TOKEN_IDENTIFIER, "position") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
    QDN_intArray position;
    CB_TRY(ReadSpacedIntList(position));
    if (position.GetCount() < 2)
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong position coordinates");
    node.GetInfo().screen.position.x0 = position.At(0);
    node.GetInfo().screen.position.y0 = position.At(1);
    return QDN_NO_ERROR;
  }
  if ((status = ReadAssignment("name", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    if (int set = node.GetInfo().header.SetName(std::string(CurrentToken().text).c_str()); set < 0)
      QDN_Log(set, nullptr);
    return QDN_NO_ERROR;
  }
  if (NextTextIs("type")) return ReadTypeStatement(handle);
  return SkipStatement();
}

int QDN_msbnFormat::ReadTypeStatement(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "type"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "discrete"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "["));
  int declared = 0;
  if (ReadInteger(declared) != QDN_NO_ERROR) return ReportUnknown("Expecting number of states");
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "]"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_stringArray names;
  CB_TRY(TakeStrings(names));
  const std::string count = std::to_string(declared);
  if (names.GetCount() != declared)
    LogError(QDN_OUT_OF_RANGE,
             Concat({"ERROR: '", count,
                     "' : Size of list doesn't match number of outcomes. Using list size"}));
  QDN_nodeDefinition* definition = network_->GetNode(handle)->GetDefinition();
  if (!definition || definition->SetNumberOfOutcomes(names) != QDN_NO_ERROR)
    return QDN_Log(QDN_OUT_OF_RANGE,
                   Concat({"ERROR: '", count, "' : Couldn't set the number of outcomes"}).c_str());
  NoteFileOutcomes(handle, names.GetCount());
  return Expect(QDN_TOKEN_PUNCTUATOR, "}");
}

int QDN_msbnFormat::ReadTableBlock() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string_view kind = CurrentToken().text;
  pending_type_ = kind == "probability"   ? QDN_CPT
                  : kind == "utility"     ? QDN_TABLE
                  : kind == "information" ? QDN_LIST
                                          : -2;
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "("));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string child_id(CurrentToken().text);
  const int child = network_->FindNode(child_id.c_str());
  if (child < 0) return ReportError(child, Concat({"ERROR: Node (\"", child_id, "\") not found"}));
  const QDN_nodeDefinition* current = network_->GetNode(child)->GetDefinition();
  if (pending_type_ < 0 || ((!current || current->GetType() != pending_type_) &&
                            network_->ChangeNodeType(child, pending_type_) != QDN_NO_ERROR))
    return ReportError(QDN_SYNTAX_ERROR, "ERROR: Unknown Node Type");
  TakeParentIds(child);
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
  if (NextIsPunctuator("{") != 1) {
    // A decision's block has no body; the others need their table.
    if (pending_type_ == QDN_LIST) has_table_.insert(child);
    TakePunctuator(';');
    return QDN_NO_ERROR;
  }
  lexer_->Consume();
  has_table_.insert(child);
  rows_seen_.assign(static_cast<size_t>(RunsOf(child)), false);
  ReadStatements([&] { return ReadRow(child); });
  CB_TRY(ReadBlockEnd());
  TakePunctuator(';');
  // The rows of a state the engine added to a one-state node are filled
  // here: the file cannot give them.
  if (QDN_Dmatrix* table = network_->GetNode(child)->GetDefinition()->GetTable()) {
    const bool own = pending_type_ != QDN_TABLE;
    FillAddedStates(child, own, table->GetItems().Data(), static_cast<size_t>(table->GetSize()));
    std::vector<int> engine, file;
    if (FileShape(child, false, engine, file)) {
      std::vector<int> coords(engine.size(), 0);
      for (size_t run = 0; run < rows_seen_.size(); ++run) {
        for (size_t d = 0; d < engine.size(); ++d)
          if (coords[d] >= file[d]) rows_seen_[run] = true;
        for (size_t d = engine.size(); d-- > 0;) {
          if (++coords[d] < engine[d]) break;
          coords[d] = 0;
        }
      }
    }
  }
  if (std::find(rows_seen_.begin(), rows_seen_.end(), false) != rows_seen_.end())
    LogError(QDN_OUT_OF_RANGE, Concat({"ERROR: Table of node (\"", child_id, "\") misses rows"}));
  return QDN_NO_ERROR;
}

int QDN_msbnFormat::RunsOf(int child) const {
  const QDN_Dmatrix* table = network_->GetNode(child)->GetDefinition()->GetTable();
  if (!table || table->GetNumberOfDimensions() == 0) return 0;
  return table->GetSize() / table->GetDimensionSize(table->GetNumberOfDimensions() - 1);
}

int QDN_msbnFormat::ReadRow(int child) {
  QDN_Dmatrix* table = network_->GetNode(child)->GetDefinition()->GetTable();
  int start = 0;
  if (NextIsPunctuator("(") == 1) {
    QDN_intArray coords;
    CB_TRY(ReadSpacedIntList(coords));
    (void)coords.Append(0);
    if (!table || !table->IsValidCoordinates(coords) ||
        coords.GetCount() != table->GetNumberOfDimensions())
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Invalid coordinates");
    start = table->CoordinatesToIndex(coords);
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
  }
  // A row given twice is reported: the file says two things about one parent configuration.
  if (table) {
    const int run = start / table->GetDimensionSize(table->GetNumberOfDimensions() - 1);
    if (run < static_cast<int>(rows_seen_.size())) {
      if (rows_seen_[static_cast<size_t>(run)] && start > 0)
        LogError(QDN_OUT_OF_RANGE, "ERROR: Row given twice; the later one is kept");
      rows_seen_[static_cast<size_t>(run)] = true;
    }
  }
  int cell = start;
  double value = 0;
  int taken = 0;
  while ((taken = TakeNumber(value)) == 1) {
    // Values that would fall past the last cell are not stored.
    if (table && cell < table->GetSize()) {
      table->At(cell) = value;
      // A row without coordinates may give the whole table.
      const int run = cell / table->GetDimensionSize(table->GetNumberOfDimensions() - 1);
      if (run < static_cast<int>(rows_seen_.size())) rows_seen_[static_cast<size_t>(run)] = true;
    }
    ++cell;
  }
  CB_TRY(taken);
  return QDN_NO_ERROR;
}
