// Reading KI knowledge-base files.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "core/QDN_text.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "formats/ki/QDN_kiFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

constexpr std::string_view kNodeStatements[] = {"NAME",          "CLASS",
                                                "CLASSTYPE",     "TYPE",
                                                "POSITION",      "COST",
                                                "CATEGORY",      "SIZE",
                                                "FONT",          "FONTSIZE",
                                                "QUESTION",      "FINISHEDFLAG",
                                                "DEFINITION",    "OBSERVABLE",
                                                "MANDATORY",     "HYPOTHESIS",
                                                "ENTEREDNAME",   "ORDER",
                                                "ENTRYTYPE",     "SHORTNAME",
                                                "LONGNAME",      "MANDATORYVALUE",
                                                "APPNAME",       "ABBREVIATION",
                                                "RECOMMENDABLE", "INCLUDEDEBUGINFO"};

// Outcome counts a file may declare; beyond this the statement is refused
// rather than allowed to allocate without bound.
constexpr int kMaxOutcomes = 100'000;

} // namespace

int QDN_kiFormat::ReadBoolAssignment(const char* keyword, int& value) {
  CB_TRY(ReadAssignment(keyword, QDN_TOKEN_IDENTIFIER));
  const std::string_view text = CurrentToken().text;
  if (QDN_EqualsIgnoringCase(text, "TRUE") || QDN_EqualsIgnoringCase(text, "FALSE")) {
    value = QDN_EqualsIgnoringCase(text, "TRUE") ? 1 : 0;
    return QDN_NO_ERROR;
  }
  return ReportError(QDN_SYNTAX_ERROR, Concat({"ERROR: (\"", text, "\") : Boolean Expected"}));
}

bool QDN_kiFormat::ReadName(std::string& out) {
  QDN_token token;
  if (Peek(token) < 0 || (token.kind != QDN_TOKEN_IDENTIFIER && token.kind != QDN_TOKEN_STRING))
    return false;
  out.assign(token.text);
  lexer_->Consume();
  return true;
}

template <typename Statement> int QDN_kiFormat::ReadEntries(Statement statement) {
  ReadBlock(statement);
  // The ";" after the block's "}" (none when the input ended before it).
  TakePunctuator(';');
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadFile(const char* fileName, int flags) {
  CB_TRY(BeginRead(fileName, QDN_lexerVariant::kStandard));
  if (NextTextIs("net")) {
    // The native text layout this format writes: read by the native reader,
    // then given the final pass of every KI read.
    EndRead();
    QDN_qdnFormat native(network_);
    CB_TRY(native.ReadFile(fileName, flags));
    FinalPass();
    return QDN_NO_ERROR;
  }
  const int status = Read();
  EndRead();
  if (status == QDN_NO_ERROR) FinalPass();
  return status;
}

int QDN_kiFormat::Read() {
  QDN_token token;
  if (Peek(token) < 0 || !QDN_EqualsIgnoringCase(token.text, "diagnostic")) {
    ReportWrongStart("diagnostic");
    return QDN_NO_ERROR;
  }
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "diagnostic"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "network"));
  CB_TRY(Expect(QDN_TOKEN_STRING, nullptr));
  const std::string name(CurrentToken().text);
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  (void)header.SetName(name.c_str());
  // A name that is not an identifier (blanks, punctuation) gives the
  // identifier made from it; the fixed fallback only covers what cannot be
  // made into one.
  if (header.SetId(name.c_str()) != QDN_NO_ERROR) {
    std::string id = name;
    if (QDN_idArray::MakeValidId(id) < 0 || header.SetId(id.c_str()) != QDN_NO_ERROR)
      CB_TRY(header.SetId("Unnamed_Network"));
  }
  CB_TRY(ReadKb());
  CB_TRY(ReadNodes());
  // Without the network block the nodes have neither parents nor tables.
  if (NextTextIs("network")) {
    (void)ReadNetworkBlock();
  } else {
    (void)Expect(QDN_TOKEN_IDENTIFIER, "network");
  }
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadKb() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "kb"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  return ReadEntries([&]() -> int {
    const int status = ReadAssignment("NOTES", QDN_TOKEN_STRING);
    if (status == QDN_NOT_THIS_STATEMENT) return ReportUnknown("Unknown KB Field");
    CB_TRY(status);
    return ReportError(header.SetComment(std::string(CurrentToken().text).c_str()), {});
  });
}

int QDN_kiFormat::ReadNodes() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "nodes"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadEntries([this] { return ReadNodeEntry(); });
}

int QDN_kiFormat::ReadNodeEntry() {
  QDN_token token;
  CB_TRY(Peek(token));
  const bool standard = QDN_EqualsIgnoringCase(token.text, "standard");
  if (!standard && !QDN_EqualsIgnoringCase(token.text, "ci")) {
    SkipPastSemicolon();
    return QDN_NO_ERROR;
  }
  lexer_->Consume();
  std::string id;
  if (!ReadName(id)) return ReportUnknown("Identifier expected");
  int handle = network_->AddNode(standard ? QDN_CPT : QDN_NOISY_MAX, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Node (\"", id, "\")"}));
  observable_ = mandatory_ = hypothesis_ = recommendable_ = -1;
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadEntries([&] { return ReadNodeStatement(handle); });
  QDN_node* node = network_->GetNode(handle);
  QDN_extraDefinition* extra = node ? node->GetExtraDefinition() : nullptr;
  if (!extra) return QDN_NO_ERROR;
  bool fault = false;
  for (int i = 0; i < extra->GetNumberOfOutcomes(); ++i)
    fault = fault || extra->GetOutcome(i).fault;
  extra->troubleType = (observable_ == 1 || mandatory_ == 1) ? QDN_extraDefinition::kObservation
                       : fault                               ? QDN_extraDefinition::kTarget
                                                             : QDN_extraDefinition::kAuxiliary;
  extra->mandatory = mandatory_ == 1;
  extra->ranked = recommendable_ == 1 && mandatory_ != 1;
  extra->set_as_default = false;
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadNodeStatement(int& handle) {
  QDN_token token;
  CB_TRY(Peek(token));
  bool known = false;
  for (std::string_view name : kNodeStatements)
    known = known || QDN_EqualsIgnoringCase(token.text, name);
  if (!known) return ReportUnknown("Unknown Node Statement");
  int status = ReadClassType(handle);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if (NextTextIs("type")) return ReadTypeStatement(handle);
  QDN_node& node = *network_->GetNode(handle);
  if ((status = ReadTextStatement(node)) != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadScreenStatement(node)) != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadDiagnosticStatement(node.GetExtraDefinition())) != QDN_NOT_THIS_STATEMENT)
    return status;
  // CLASS, CATEGORY, FONT, FONTSIZE, ORDER, ENTRYTYPE, ENTEREDNAME,
  // FINISHEDFLAG, INCLUDEDEBUGINFO and the rest are read and ignored.
  SkipPastSemicolon();
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadClassType(int& handle) {
  CB_TRY(ReadAssignment("CLASSTYPE", QDN_TOKEN_IDENTIFIER));
  // The node becomes a noisy-MAX node that keeps its descriptive information.
  QDN_node& node = *network_->GetNode(handle);
  QDN_extraDefinition* extra = node.GetExtraDefinition();
  const std::string id = node.GetId() ? node.GetId() : "";
  const QDN_nodeInfo saved(node.GetInfo());
  const QDN_documentation documentation = node.GetInfo().documentation;
  const int submodel = node.GetSubmodel();
  struct {
    int troubleType = QDN_extraDefinition::kAuxiliary;
    bool mandatory = false, ranked = false;
    int mandatory_value = -1;
    QDN_optionalText question;
    QDN_doubleArray costs;
  } saved_extra;
  if (extra) {
    saved_extra.troubleType = extra->troubleType;
    saved_extra.mandatory = extra->mandatory;
    saved_extra.ranked = extra->ranked;
    saved_extra.mandatory_value = extra->mandatory_value;
    saved_extra.question = extra->question;
    CB_TRY(saved_extra.costs.Assign(std::as_const(*extra).Costs()));
  }
  (void)network_->DeleteNode(handle);
  handle = network_->AddNode(QDN_NOISY_MAX, id.c_str());
  if (handle < 0) return ReportError(handle, Concat({"ERROR: Couldn't Find Node (\"", id, "\")"}));
  QDN_node& replaced = *network_->GetNode(handle);
  (void)replaced.GetInfo().header.SetName(saved.header.GetName());
  (void)replaced.GetInfo().header.SetComment(saved.header.GetComment());
  (void)replaced.GetInfo().screen.CopyFrom(saved.screen);
  (void)replaced.GetInfo().properties.CopyFrom(saved.properties);
  (void)replaced.GetInfo().documentation.CopyFrom(documentation);
  (void)replaced.SetSubmodel(submodel);
  if (QDN_extraDefinition* target = replaced.GetExtraDefinition()) {
    target->troubleType = saved_extra.troubleType;
    target->mandatory = saved_extra.mandatory;
    target->ranked = saved_extra.ranked;
    target->question = saved_extra.question;
    (void)target->Costs().Assign(saved_extra.costs);
    target->mandatory_value = saved_extra.mandatory_value;
  }
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadTextStatement(QDN_node& node) {
  QDN_header& header = node.GetInfo().header;
  int status = ReadAssignment("NAME", QDN_TOKEN_STRING);
  if (status != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReportError(header.SetName(std::string(CurrentToken().text).c_str()), {});
  }
  if ((status = ReadAssignment("DEFINITION", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReportError(header.SetComment(std::string(CurrentToken().text).c_str()), {});
  }
  for (const char* keyword : {"SHORTNAME", "LONGNAME"}) {
    if ((status = ReadAssignment(keyword, QDN_TOKEN_STRING)) == QDN_NOT_THIS_STATEMENT) continue;
    CB_TRY(status);
    return ReportError(
        node.GetInfo().properties.AddProperty(keyword[0] == 'S' ? "KI_SHORTNAME" : "KI_LONGNAME",
                                              std::string(CurrentToken().text).c_str()),
        {});
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_kiFormat::ReadScreenStatement(QDN_node& node) {
  QDN_rectangle& position = node.GetInfo().screen.position;
  if (Match(QDN_TOKEN_IDENTIFIER, "POSITION") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    int dimensions = 0;
    CB_TRY(ReadInteger(dimensions));
    CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
    QDN_intArray coordinates;
    CB_TRY(ReadIntList(coordinates));
    if (coordinates.GetCount() < 2)
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong position coordinates");
    position.x0 = coordinates.At(0);
    position.y0 = coordinates.At(1);
    return QDN_NO_ERROR;
  }
  if (Match(QDN_TOKEN_IDENTIFIER, "SIZE") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
    QDN_intArray size;
    CB_TRY(ReadIntList(size));
    if (size.GetCount() < 2) return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong Size Values");
    position.x1 = size.At(0);
    position.y1 = size.At(1);
    return QDN_NO_ERROR;
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_kiFormat::ReadDiagnosticStatement(QDN_extraDefinition* extra) {
  if (Match(QDN_TOKEN_IDENTIFIER, "COST") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
    double cost = 0;
    CB_TRY(ReadReal(cost));
    if (extra) {
      QDN_doubleArray& costs = extra->Costs();
      if (costs.GetCount() == 0) {
        CB_TRY(costs.Append(cost));
      } else {
        costs.At(0) = cost;
      }
    }
    return QDN_NO_ERROR;
  }
  int status = QDN_NO_ERROR;
  int flag = 0;
  for (auto [keyword, target] :
       {std::pair{"OBSERVABLE", &observable_}, std::pair{"MANDATORY", &mandatory_},
        std::pair{"HYPOTHESIS", &hypothesis_}}) {
    if ((status = ReadBoolAssignment(keyword, flag)) == QDN_NOT_THIS_STATEMENT) continue;
    if (status == QDN_NO_ERROR) *target = flag;
    return status;
  }
  if ((status = ReadAssignment("RECOMMENDABLE", QDN_TOKEN_INTEGER)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return QDN_ParseInt(CurrentToken().text, recommendable_) < 0 ? ReportError(QDN_OUT_OF_RANGE, {})
                                                                 : QDN_NO_ERROR;
  }
  if ((status = ReadAssignment("MANDATORYVALUE", QDN_TOKEN_INTEGER)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    int value = 0;
    if (QDN_ParseInt(CurrentToken().text, value) < 0 || !extra || value < 0 ||
        value >= extra->GetNumberOfOutcomes())
      return ReportError(QDN_OUT_OF_RANGE, {});
    extra->mandatory_value = value;
    return QDN_NO_ERROR;
  }
  if ((status = ReadAssignment("QUESTION", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
    if (status == QDN_NO_ERROR && extra) extra->question = std::string(CurrentToken().text);
    return status;
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_kiFormat::ReadTypeStatement(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "type"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "discrete"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "["));
  int count = 0;
  CB_TRY(ReadInteger(count));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "]"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  int three = 0;
  CB_TRY(ReadInteger(three));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_nodeDefinition* definition = network_->GetNode(handle)->GetDefinition();
  if (count < 1 || count > kMaxOutcomes)
    return ReportError(QDN_OUT_OF_RANGE, "Wrong number of outcomes");
  if (int status = definition->SetNumberOfOutcomes(count); status < 0) {
    LogError(status, "Wrong number of outcomes");
  } else {
    NoteFileOutcomes(handle, count);
  }
  int outcome = 0;
  while (NextIsPunctuator("}") != 1) {
    QDN_token token;
    CB_TRY(Peek(token));
    if (!QDN_EqualsIgnoringCase(token.text, "standard") &&
        !QDN_EqualsIgnoringCase(token.text, "fault")) {
      LogUnknown("Unknown State Field");
      return QDN_SYNTAX_ERROR;
    }
    // State blocks beyond the declared count are refused rather than indexed past.
    // The surplus block itself is skipped so the node's remaining statements
    // are still read.
    if (outcome >= definition->GetNumberOfOutcomes()) {
      if (outcome++ == definition->GetNumberOfOutcomes())
        LogError(QDN_OUT_OF_RANGE, "ERROR: More state blocks than outcomes");
      SkipPastSemicolon();
      continue;
    }
    CB_TRY(ReadStateBlock(handle, outcome++));
    TakePunctuator(';');
  }
  return Expect(QDN_TOKEN_PUNCTUATOR, "}");
}

int QDN_kiFormat::ReadStateBlock(int handle, int outcome) {
  QDN_node& node = *network_->GetNode(handle);
  QDN_extraDefinition* extra = node.GetExtraDefinition();
  QDN_token token;
  CB_TRY(Peek(token));
  const bool fault = QDN_EqualsIgnoringCase(token.text, "fault");
  lexer_->Consume();
  if (extra && outcome < extra->GetNumberOfOutcomes()) extra->GetOutcome(outcome).fault = fault;
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadEntries([&]() -> int {
    QDN_nodeDefinition& definition = *node.GetDefinition();
    int status = ReadAssignment("NAME", QDN_TOKEN_STRING);
    if (status != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      const std::string text(CurrentToken().text);
      // The name, repaired, made unique among the node's other outcomes.
      std::string id;
      const QDN_idArray* names = definition.GetOutcomesNames();
      if (!names || names->CreateUniqueIdAt(text.c_str(), outcome, id) != QDN_NO_ERROR)
        return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", text, "' : Invalid state name"}));
      if (definition.RenameOutcome(outcome, id.c_str()) < 0)
        return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", text, "' : Invalid state name"}));
      if (extra && id != text) extra->GetOutcome(outcome).long_name = text;
      return QDN_NO_ERROR;
    }
    if ((status = ReadAssignment("ABBREVIATION", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      const std::string text(CurrentToken().text);
      std::string label = text;
      (void)QDN_idArray::MakeValidId(label);
      if (!extra || extra->SetFaultLabel(outcome, label.c_str()) < 0)
        return ReportError(QDN_OUT_OF_RANGE,
                           Concat({"ERROR: '", text, "' : Fault label is not unique."}));
      return QDN_NO_ERROR;
    }
    if ((status = ReadAssignment("DEFINITION", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR && extra)
        extra->GetOutcome(outcome).comment = std::string(CurrentToken().text);
      return status;
    }
    if ((status = ReadAssignment("APPNAME", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
      // The application text keeps its "&state" and "&node" placeholders as
      // written; it becomes the outcome's fault name.
      if (status == QDN_NO_ERROR && extra)
        extra->GetOutcome(outcome).fault_name = std::string(CurrentToken().text);
      return status;
    }
    for (const char* keyword : {"SHORTNAME", "LONGNAME"}) {
      if ((status = ReadAssignment(keyword, QDN_TOKEN_STRING)) == QDN_NOT_THIS_STATEMENT) continue;
      if (status == QDN_NO_ERROR && extra) {
        auto& field = keyword[0] == 'S' ? extra->GetOutcome(outcome).short_name
                                        : extra->GetOutcome(outcome).long_name;
        field = std::string(CurrentToken().text);
      }
      return status;
    }
    for (const char* keyword : {"CATEGORY", "GROUP"})
      if ((status = ReadAssignment(keyword, QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT)
        return status;
    return ReportUnknown("Unknown State Field");
  });
}

int QDN_kiFormat::ReadNetworkBlock() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "network"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadEntries([this] { return ReadDefinitionEntry(); });
}

int QDN_kiFormat::ReadDefinitionEntry() {
  QDN_token token;
  CB_TRY(Peek(token));
  if (!QDN_EqualsIgnoringCase(token.text, "standard") &&
      !QDN_EqualsIgnoringCase(token.text, "ci")) {
    SkipPastSemicolon();
    return QDN_NO_ERROR;
  }
  lexer_->Consume();
  std::string id;
  if (!ReadName(id)) return ReportUnknown("Identifier expected");
  const int handle = network_->FindNode(id.c_str());
  if (handle < 0) return ReportError(handle, Concat({"ERROR: Couldn't Find Node (\"", id, "\")"}));
  if (NextTextIs("parent")) {
    lexer_->Consume();
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
    std::string parent_id;
    while (ReadName(parent_id)) {
      const int parent = network_->FindNode(parent_id.c_str());
      const int status = parent < 0 ? parent : network_->AddArc(parent, handle, 0);
      if (status < 0)
        LogError(status, Concat({"ERROR: Couldn't add arc from node [", parent_id, "] to node [",
                                 id, "]"}));
      if (NextIsPunctuator(",") == 1) lexer_->Consume();
    }
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
  }
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadEntries([&]() -> int {
    QDN_token statement;
    CB_TRY(Peek(statement));
    const QDN_nodeDefinition* definition = network_->GetNode(handle)->GetDefinition();
    const bool noisy = definition && definition->GetType() == QDN_NOISY_MAX;
    if (QDN_EqualsIgnoringCase(statement.text, "PROB") && !noisy) return ReadProb(handle);
    if (QDN_EqualsIgnoringCase(statement.text, "FUNCTION") && noisy) return ReadFunction(handle);
    for (std::string_view known :
         {"PROB", "PARTITIONS", "NASPEC", "FUNCTION", "LEAK", "AUTOCALCROW", "("}) {
      if (!QDN_EqualsIgnoringCase(statement.text, known)) continue;
      if (known == "PARTITIONS") {
        SkipPastSemicolon();
        return QDN_NO_ERROR;
      }
      return ReportUnknown("Unknown Node Definition Field");
    }
    return ReportUnknown("Unknown Node Definition Statement");
  });
}

int QDN_kiFormat::ReadIntegers(QDN_intArray& out) {
  while (NextIsInteger() == 1) {
    int value = 0;
    CB_TRY(ReadInteger(value));
    CB_TRY(out.Append(value));
    if (NextIsPunctuator(",") == 1) lexer_->Consume();
  }
  return QDN_NO_ERROR;
}

int QDN_kiFormat::ReadNumberRow(std::vector<double>& out) {
  while (NextIsNumber() == 1) {
    double value = 0;
    CB_TRY(ReadReal(value));
    out.push_back(value);
    if (NextIsPunctuator(",") == 1) lexer_->Consume();
  }
  return Expect(QDN_TOKEN_PUNCTUATOR, ";");
}

int QDN_kiFormat::ReadProb(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "PROB"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_Dmatrix& table = *network_->GetNode(handle)->GetDefinition()->GetTable();
  // A row holds the probabilities of the states the file gave the node.
  const int n = FileOutcomeCount(handle);
  const int cells = network_->GetNumberOfOutcomes(handle);
  while (NextIsPunctuator("(") == 1) {
    QDN_intArray coords;
    lexer_->Consume();
    CB_TRY(ReadIntegers(coords));
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ";"));
    std::vector<double> values;
    CB_TRY(ReadNumberRow(values));
    if (static_cast<int>(values.size()) != n) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Wrong number of Probabilities");
      continue;
    }
    // Row coordinates are checked against the table before use.
    CB_TRY(coords.Append(0));
    if (coords.GetCount() != table.GetNumberOfDimensions() || !table.IsValidCoordinates(coords)) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid coordinates");
      continue;
    }
    const int start = table.CoordinatesToIndex(coords);
    for (int k = 0; k < cells; ++k)
      table.At(start + k) = k < n ? values[static_cast<size_t>(k)] : 0.0;
  }
  FillAddedStates(handle, true, table.GetItems().Data(), static_cast<size_t>(table.GetSize()));
  return Expect(QDN_TOKEN_PUNCTUATOR, "}");
}

int QDN_kiFormat::ReadFunction(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "FUNCTION"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
  SkipPastSemicolon();
  std::vector<double> leak;
  CB_TRY(ReadNumberRow(leak));
  std::vector<FunctionRow> rows;
  while (NextIsPunctuator("(") == 1) {
    lexer_->Consume();
    QDN_intArray indices;
    CB_TRY(ReadIntegers(indices));
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ";"));
    FunctionRow row;
    CB_TRY(ReadNumberRow(row.values));
    if (indices.GetCount() == 0) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid parent index");
      continue;
    }
    row.parent = indices.At(0);
    if (indices.GetCount() > 1) row.outcome = indices.At(1);
    rows.push_back(std::move(row));
  }
  // The words closing the rows run to a ";"; an entry that ends right after
  // its rows has none, and its "}" must not be skipped with them.
  if (NextIsPunctuator("}") != 1) SkipPastSemicolon();

  // Absent outcomes per parent index, as listed.
  std::vector<std::pair<int, std::vector<int>>> absent;
  if (NextTextIs("predAbsentStates")) {
    lexer_->Consume();
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
    while (NextTextIs("predIndex")) {
      lexer_->Consume();
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
      int index = 0;
      CB_TRY(ReadInteger(index));
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ";"));
      CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "predAbsentStates"));
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ":"));
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
      QDN_intArray outcomes;
      CB_TRY(ReadIntegers(outcomes));
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "}"));
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ";"));
      absent.emplace_back(index,
                          std::vector<int>(outcomes.Data(), outcomes.Data() + outcomes.GetCount()));
    }
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "}"));
  }
  return ApplyFunction(handle, leak, rows, absent);
}

// What the FUNCTION statement gives one parent of a noisy-MAX node: which
// of its outcomes are absent (the first listed one becomes the distinguished
// state; without a list, the last outcome), and the row each outcome takes
// (an outcome the file does not give has no effect: its leak-inclusive row
// is the leak).
struct QDN_kiFormat::ParentRows {
  std::vector<char> is_absent;
  int distinguished = -1;
  std::vector<std::vector<double>> given;
};

int QDN_kiFormat::ApplyFunction(int handle, const std::vector<double>& leak,
                                const std::vector<FunctionRow>& rows,
                                const std::vector<std::pair<int, std::vector<int>>>& absent) {
  auto* definition = dynamic_cast<QDN_noisyMAX*>(network_->GetNode(handle)->GetDefinition());
  if (!definition) return QDN_NO_ERROR;
  const int n = definition->GetNumberOfOutcomes();
  QDN_doubleArray current;
  CB_TRY(definition->GetParameters(current));
  std::vector<double> leak_row(current.Data() + current.GetCount() - n,
                               current.Data() + current.GetCount());
  if (static_cast<int>(leak.size()) == n) {
    leak_row = leak;
  } else if (!leak.empty()) {
    LogError(QDN_OUT_OF_RANGE, "ERROR: Wrong number of Probabilities");
  }
  std::vector<ParentRows> parents(static_cast<size_t>(definition->GetNumberOfParentBlocks()));
  for (size_t i = 0; i < parents.size(); ++i) {
    const size_t k = static_cast<size_t>(definition->GetStrengths(static_cast<int>(i)).GetCount());
    parents[i].is_absent.assign(k, 0);
    parents[i].given.assign(k, leak_row);
  }
  MarkAbsent(absent, parents);
  AssignRows(rows, n, parents);
  return SetNoisyParameters(*definition, parents, leak_row);
}

void QDN_kiFormat::MarkAbsent(const std::vector<std::pair<int, std::vector<int>>>& absent,
                              std::vector<ParentRows>& parents) {
  for (const auto& [index, outcomes] : absent) {
    if (index < 0 || index >= static_cast<int>(parents.size())) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid parent index");
      continue;
    }
    ParentRows& parent = parents[static_cast<size_t>(index)];
    for (int outcome : outcomes) {
      if (outcome < 0 || outcome >= static_cast<int>(parent.is_absent.size())) {
        LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid parent outcome");
        continue;
      }
      parent.is_absent[static_cast<size_t>(outcome)] = 1;
      if (parent.distinguished < 0) parent.distinguished = outcome;
    }
  }
  for (ParentRows& parent : parents) {
    if (parent.distinguished < 0) {
      parent.distinguished = static_cast<int>(parent.is_absent.size()) - 1;
      parent.is_absent[static_cast<size_t>(parent.distinguished)] = 1;
    }
  }
}

void QDN_kiFormat::AssignRows(const std::vector<FunctionRow>& rows, int n,
                              std::vector<ParentRows>& parents) {
  std::vector<int> next(parents.size(), 0);
  for (const FunctionRow& row : rows) {
    if (row.parent < 0 || row.parent >= static_cast<int>(parents.size())) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid parent index");
      continue;
    }
    ParentRows& parent = parents[static_cast<size_t>(row.parent)];
    const int k = static_cast<int>(parent.is_absent.size());
    std::vector<int> targets;
    if (row.outcome >= 0) {
      if (row.outcome >= k || parent.is_absent[static_cast<size_t>(row.outcome)]) {
        LogError(QDN_OUT_OF_RANGE, "ERROR: Invalid parent outcome");
        continue;
      }
      targets.push_back(row.outcome);
    } else if (static_cast<int>(row.values.size()) == n) {
      // The next outcome, in increasing order, that is neither absent nor given yet.
      int& o = next[static_cast<size_t>(row.parent)];
      while (o < k && parent.is_absent[static_cast<size_t>(o)])
        ++o;
      if (o >= k) {
        LogError(QDN_OUT_OF_RANGE, "ERROR: Too many rows for parent");
        continue;
      }
      targets.push_back(o++);
    } else {
      // One row holding every present outcome's distribution in turn.
      for (int o = 0; o < k; ++o)
        if (!parent.is_absent[static_cast<size_t>(o)]) targets.push_back(o);
    }
    if (row.values.size() != targets.size() * static_cast<size_t>(n)) {
      LogError(QDN_OUT_OF_RANGE, "ERROR: Wrong number of Probabilities");
      continue;
    }
    for (size_t t = 0; t < targets.size(); ++t)
      parent.given[static_cast<size_t>(targets[t])].assign(
          row.values.begin() + static_cast<std::ptrdiff_t>(t * n),
          row.values.begin() + static_cast<std::ptrdiff_t>((t + 1) * n));
  }
}

int QDN_kiFormat::SetNoisyParameters(QDN_noisyMAX& definition,
                                     const std::vector<ParentRows>& parents,
                                     const std::vector<double>& leak_row) {
  QDN_doubleArray values;
  for (size_t i = 0; i < parents.size(); ++i) {
    const ParentRows& parent = parents[i];
    const int k = static_cast<int>(parent.is_absent.size());
    QDN_intArray order;
    for (int o = 0; o < k; ++o)
      if (o != parent.distinguished) CB_TRY(order.Append(o));
    CB_TRY(order.Append(parent.distinguished));
    // The strengths give, for each outcome, the row it uses: the inverse of
    // the row order built here.
    std::vector<int> row_of(static_cast<size_t>(k));
    for (int j = 0; j < k; ++j)
      row_of[static_cast<size_t>(order.At(j))] = j;
    QDN_intArray strengths;
    for (int row : row_of)
      CB_TRY(strengths.Append(row));
    CB_TRY(definition.SetParentOutcomeStrengths(static_cast<int>(i), strengths));
    for (int j = 0; j + 1 < k; ++j)
      for (double v : parent.given[static_cast<size_t>(order.At(j))])
        CB_TRY(values.Append(v));
  }
  for (double v : leak_row)
    CB_TRY(values.Append(v));
  return ReportError(definition.SetParameters(values), "ERROR: Invalid noisy-MAX parameters");
}

void QDN_kiFormat::FinalPass() {
  for (int handle = network_->GetFirstNode(); handle >= 0; handle = network_->GetNextNode(handle)) {
    QDN_node* node = network_->GetNode(handle);
    if (!node) continue;
    if (QDN_nodeDefinition* definition = node->GetDefinition()) {
      // Set through the definition so a noisy-MAX node recomputes its table.
      if (const QDN_Dmatrix* table = definition->GetTable(); table && table->GetSize() > 0) {
        QDN_Dmatrix rounded(*table);
        for (int i = 0; i < rounded.GetSize(); ++i) {
          double& cell = rounded.At(i);
          cell = std::trunc(cell * 100000.0 + 0.5) / 100000.0;
        }
        (void)definition->SetDefinition(rounded);
      }
    }
    const char* name = node->GetInfo().header.GetName();
    if (!name) continue;
    std::string_view text(name);
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    const std::string trimmed = first == std::string_view::npos
                                    ? std::string()
                                    : std::string(text.substr(first, last - first + 1));
    if (trimmed.size() != text.size()) (void)node->GetInfo().header.SetName(trimmed.c_str());
  }
}
