// Reading the native text format.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_cpt.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_list.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_truthTable.h"
#include "formats/native/QDN_qdnFormat.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

// A copy whose size and count both equal the source's count, as setters that
// take every slot of an array expect.
QDN_doubleArray Exact(const QDN_doubleArray& values) {
  QDN_doubleArray exact;
  (void)exact.Resize(values.GetCount());
  for (int i = 0; i < values.GetCount(); ++i)
    (void)exact.Append(values.At(i));
  return exact;
}

std::string Quoted(std::string_view text) {
  std::string out = "ERROR: (\"";
  out += text;
  out += "\")";
  return out;
}

} // namespace

int QDN_qdnFormat::ReadBlockStart(const char* keyword) {
  CB_TRY(ReadKeyword(keyword));
  return Expect(QDN_TOKEN_PUNCTUATOR, "{");
}

int QDN_qdnFormat::ReadFile(const char* fileName, int) {
  return ReadFileStartingWith(fileName, QDN_lexerVariant::kStandard, "net",
                              [this] { return ReadNet(); });
}

int QDN_qdnFormat::ReadNet() {
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, "net"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  std::string id(CurrentToken().text);
  (void)QDN_idArray::MakeValidId(id);
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_submodel* root = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  if (root->header.SetId(id.c_str()) != QDN_NO_ERROR) (void)root->header.SetId("_Unnamed_Network_");
  const int status = ReadBlock([this] { return ReadNetStatement(); });
  // Coupled equations may name members of their group defined later in the
  // file: they are set once every node is there.
  for (const auto& [handle, text] : coupled_equations_) {
    auto* equation = dynamic_cast<QDN_equation*>(network_->GetNode(handle)->GetDefinition());
    if (equation) LogError(equation->SetEquation(text), {});
  }
  coupled_equations_.clear();
  return status;
}

int QDN_qdnFormat::ReadStringAssignment(const char* keyword, std::string& value) {
  CB_TRY(ReadAssignment(keyword, QDN_TOKEN_STRING));
  value.assign(CurrentToken().text);
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::ReadNetStatement() {
  // The statements are tried in this order, from the one whose keyword is next.
  static constexpr std::string_view kKeywords[] = {
      "NUMSAMPLES",    "HEADER",          "CREATION",      "SCREEN", "WINDOWPOSITION",  "BKCOLOR",
      "SCREENCOMMENT", "USER_PROPERTIES", "DOCUMENTATION", "SHOWAS", "OBSERVATION_COST"};
  const int from = NextKeyword(kKeywords);
  QDN_submodel& root = *network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  int value = 0;
  int status = QDN_NOT_THIS_STATEMENT;
  if (from <= 0 && (status = ReadIntAssignment("NUMSAMPLES", value)) != QDN_NOT_THIS_STATEMENT) {
    if (status == QDN_NO_ERROR) network_->SetSampleCount(value);
    return status;
  }
  if (from <= 1 && (status = ReadBlockStart("HEADER")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadHeader(root.header, -1);
  }
  if (from <= 2 && (status = ReadBlockStart("CREATION")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadCreation();
  }
  if (from <= 3 && (status = ReadBlockStart("SCREEN")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadScreen(root.screen);
  }
  if (from <= 4 &&
      (status = ReadRectangle("WINDOWPOSITION", root.window_position)) != QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 5 && (status = ReadIntAssignment("BKCOLOR", value)) != QDN_NOT_THIS_STATEMENT) {
    if (status == QDN_NO_ERROR) root.background_color = value;
    return status;
  }
  if (from <= 6 && (status = ReadScreenComment(root)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 7 && (status = ReadBlockStart("USER_PROPERTIES")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadProperties(network_->GetProperties());
  }
  if (from <= 8 && (status = ReadDocumentation("DOCUMENTATION", network_->GetDocumentation())) !=
                       QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 9 && (status = ReadIntAssignment("SHOWAS", value)) != QDN_NOT_THIS_STATEMENT) {
    // Only the four network formats are taken; other values are ignored.
    if (status == QDN_NO_ERROR && value >= 0 && value <= 3) network_->SetFaultNameFormat(value);
    return status;
  }
  if (NextTextIs("node")) return ReadNode();
  if (NextTextIs("submodel")) return ReadSubmodel();
  if (from <= 10 && (status = ReadBlockStart("OBSERVATION_COST")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadObservationCosts();
  }
  return ReportUnknown("Unknown Net Statement");
}

int QDN_qdnFormat::ReadHeader(QDN_header& header, int node_handle) {
  return ReadBlock([&]() -> int {
    static constexpr std::string_view kKeywords[] = {"ID", "NAME", "COMMENT"};
    const int from = NextKeyword(kKeywords);
    int status = QDN_NOT_THIS_STATEMENT;
    if (from <= 0 &&
        (status = ReadAssignment("ID", QDN_TOKEN_IDENTIFIER)) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      const std::string id(CurrentToken().text);
      if (node_handle >= 0) {
        status = network_->SetNodeId(node_handle, id.c_str());
      } else if (network_->IsIdentifierInUse(id.c_str(), -1) &&
                 !(header.GetId() && id == header.GetId())) {
        QDN_SetLastErrorQuoted(id, "Invalid Identifier");
        status = QDN_INVALID_IDENTIFIER;
      } else {
        status = header.SetId(id.c_str());
      }
      return status == QDN_NO_ERROR ? status : ReportError(status, QDN_GetLastErrorText());
    }
    // Every node has its texts: they go through storage the reader keeps.
    std::string& text = text_scratch_;
    if (from <= 1 && (status = ReadStringAssignment("NAME", text)) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      return ReportError(header.SetName(text.c_str()), {});
    }
    if (from <= 2 && (status = ReadStringAssignment("COMMENT", text)) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      return ReportError(header.SetComment(text.c_str()), {});
    }
    return ReportUnknown("Unknown Header Statement");
  });
}

int QDN_qdnFormat::ReadCreation() {
  QDN_creation& creation = network_->GetCreation();
  return ReadBlock([&]() -> int {
    std::string text;
    int status = ReadStringAssignment("CREATOR", text);
    if (status != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) creation.creator = text;
      return status;
    }
    if ((status = ReadStringAssignment("CREATED", text)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) creation.created = text;
      return status;
    }
    if ((status = ReadStringAssignment("MODIFIED", text)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) creation.modified = text;
      return status;
    }
    return ReportUnknown("Unknown Creation Statement");
  });
}

int QDN_qdnFormat::ReadScreen(QDN_screenInfo& screen) {
  return ReadBlock([&]() -> int {
    static constexpr std::string_view kKeywords[] = {"POSITION",    "COLOR",      "SELCOLOR",
                                                     "FONT",        "FONTCOLOR",  "BORDERTHICKNESS",
                                                     "BORDERCOLOR", "SHOWINARCS", "SHOWOUTARCS"};
    const int from = NextKeyword(kKeywords);
    int status = QDN_NOT_THIS_STATEMENT;
    if (from <= 0 &&
        (status = ReadRectangle("POSITION", screen.position)) != QDN_NOT_THIS_STATEMENT)
      return status;
    struct Field {
      const char* keyword;
      int* target;
    };
    const Field fields[] = {{"COLOR", &screen.color},
                            {"SELCOLOR", &screen.selection_color},
                            {"FONT", &screen.font},
                            {"FONTCOLOR", &screen.font_color},
                            {"BORDERTHICKNESS", &screen.border_thickness},
                            {"BORDERCOLOR", &screen.border_color}};
    int value = 0;
    int trial = 1;
    for (const Field& field : fields) {
      if (from > trial++) continue;
      if ((status = ReadIntAssignment(field.keyword, value)) == QDN_NOT_THIS_STATEMENT) continue;
      if (status == QDN_NO_ERROR) *field.target = value;
      return status;
    }
    for (const auto& [keyword, bit] : {std::pair{"SHOWINARCS", QDN_screenInfo::kShowInArcs},
                                       std::pair{"SHOWOUTARCS", QDN_screenInfo::kShowOutArcs}}) {
      if (from > trial++) continue;
      if ((status = ReadBoolAssignment(keyword, value)) == QDN_NOT_THIS_STATEMENT) continue;
      if (status == QDN_NO_ERROR)
        screen.arc_flags = value ? (screen.arc_flags | bit) : (screen.arc_flags & ~bit);
      return status;
    }
    return ReportUnknown("Unknown Screen Information Statement");
  });
}

int QDN_qdnFormat::ReadRectangle(const char* keyword, QDN_rectangle& rectangle) {
  CB_TRY(ReadBlockStart(keyword));
  return ReadBlock([&]() -> int {
    static constexpr std::string_view kKeywords[] = {"CENTER_X", "CENTER_Y", "WIDTH", "HEIGHT"};
    static constexpr const char* kTexts[] = {"CENTER_X", "CENTER_Y", "WIDTH", "HEIGHT"};
    int* targets[] = {&rectangle.x0, &rectangle.y0, &rectangle.x1, &rectangle.y1};
    for (int i = NextKeyword(kKeywords); i < 4; ++i) {
      int value = 0;
      const int status = ReadIntAssignment(kTexts[i], value);
      if (status == QDN_NOT_THIS_STATEMENT) continue;
      if (status == QDN_NO_ERROR) *targets[i] = value;
      return status;
    }
    return ReportUnknown("Unknown Rectangle Statement");
  });
}

int QDN_qdnFormat::ReadProperties(QDN_userProperties& properties) {
  return ReadBlock([&]() -> int {
    CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
    const std::string name(CurrentToken().text);
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    CB_TRY(Expect(QDN_TOKEN_STRING, nullptr));
    const std::string value(CurrentToken().text);
    return ReportError(properties.AppendProperty(name.c_str(), value.c_str()), {});
  });
}

int QDN_qdnFormat::ReadDocumentation(const char* keyword, QDN_documentation& documentation) {
  CB_TRY(ReadBlockStart(keyword));
  return ReadBlock([&]() -> int {
    CB_TRY(Expect(QDN_TOKEN_STRING, nullptr));
    const std::string title(CurrentToken().text);
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    CB_TRY(Expect(QDN_TOKEN_STRING, nullptr));
    const std::string path(CurrentToken().text);
    return ReportError(documentation.Add(title.c_str(), path.c_str()), {});
  });
}

int QDN_qdnFormat::ReadScreenComment(QDN_submodel& submodel) {
  CB_TRY(ReadKeyword("SCREENCOMMENT"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_intArray coordinates;
  CB_TRY(ReadIntList(coordinates));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ","));
  CB_TRY(Expect(QDN_TOKEN_STRING, nullptr));
  const std::string text(CurrentToken().text);
  if (coordinates.GetCount() < 4)
    return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong Number Of Screen Coordinates");
  QDN_screenComment comment;
  comment.text = text;
  comment.position = {coordinates.At(0), coordinates.At(1), coordinates.At(2), coordinates.At(3)};
  submodel.screen_comments.push_back(std::move(comment));
  return Expect(QDN_TOKEN_PUNCTUATOR, "}");
}

int QDN_qdnFormat::ReadSubmodel() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "submodel"));
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  QDN_submodelTree& tree = network_->GetSubmodels();
  const int handle = network_->IsIdentifierInUse(id.c_str(), -1)
                         ? QDN_OUT_OF_RANGE
                         : tree.AddSubmodel(QDN_network::kMainSubmodel, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Submodel (\"", id, "\")"}));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_submodel& submodel = *tree.GetSubmodel(handle);
  return ReadBlock([&]() -> int {
    int status = ReadBlockStart("HEADER");
    if (status != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      return ReadHeader(submodel.header, -1);
    }
    if ((status = ReadBlockStart("SCREEN")) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      return ReadScreen(submodel.screen);
    }
    if ((status = ReadRectangle("WINDOWPOSITION", submodel.window_position)) !=
        QDN_NOT_THIS_STATEMENT)
      return status;
    int value = 0;
    if ((status = ReadIntAssignment("BKCOLOR", value)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) submodel.background_color = value;
      return status;
    }
    if ((status = ReadScreenComment(submodel)) != QDN_NOT_THIS_STATEMENT) return status;
    if ((status = ReadAssignment("PARENT", QDN_TOKEN_IDENTIFIER)) != QDN_NOT_THIS_STATEMENT) {
      CB_TRY(status);
      const std::string parent(CurrentToken().text);
      const int parent_handle = tree.FindSubmodel(parent.c_str());
      status = parent_handle < 0 ? parent_handle : tree.SetParent(handle, parent_handle);
      if (status == QDN_NO_ERROR) return status;
      return ReportError(status, Quoted(parent) + " : Unknown Submodel");
    }
    return ReportUnknown("Unknown Submodel Statement");
  });
}

int QDN_qdnFormat::ReadNode() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "node"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  const int handle = network_->AddNode(0, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Node (\"", id, "\")"}));
  state_documentation_ = 0;
  noisy_or_ = noisy_and_ = false;
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadBlock([&] { return ReadNodeStatement(handle); });
}

int QDN_qdnFormat::ReadNodeStatement(int handle) {
  // The statements are tried in this order, from the one whose keyword is next.
  static constexpr std::string_view kKeywords[] = {
      "TYPE",          "HEADER",     "SCREEN",  "TARGET",          "SUBMODEL", "USER_PROPERTIES",
      "DOCUMENTATION", "DEFINITION", "PARENTS", "EXTRA_DEFINITION"};
  const int from = NextKeyword(kKeywords);
  QDN_node& node = *network_->GetNode(handle);
  int status = QDN_NOT_THIS_STATEMENT;
  if (from <= 0 && (status = ReadType(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 1 && (status = ReadBlockStart("HEADER")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadHeader(node.GetInfo().header, handle);
  }
  if (from <= 2 && (status = ReadBlockStart("SCREEN")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadScreen(node.GetInfo().screen);
  }
  int value = 0;
  if (from <= 3 && (status = ReadBoolAssignment("TARGET", value)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    if (value && !network_->IsTarget(handle)) return ReportError(network_->SetTarget(handle), {});
    return QDN_NO_ERROR;
  }
  if (from <= 4 &&
      (status = ReadAssignment("SUBMODEL", QDN_TOKEN_IDENTIFIER)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    const std::string submodel(CurrentToken().text);
    status = node.SetSubmodel(submodel.c_str());
    return status == QDN_NO_ERROR ? status : ReportError(status, QDN_GetLastErrorText());
  }
  if (from <= 5 && (status = ReadBlockStart("USER_PROPERTIES")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadProperties(node.GetInfo().properties);
  }
  if (from <= 6 && (status = ReadDocumentation("DOCUMENTATION", node.GetInfo().documentation)) !=
                       QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 7 && (status = ReadBlockStart("DEFINITION")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadDefinition(handle);
  }
  if (from <= 8 && (status = ReadParents(handle, 0)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 9 && (status = ReadBlockStart("EXTRA_DEFINITION")) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReadExtraDefinition(handle);
  }
  return ReportUnknown("Unknown Node Statement");
}

int QDN_qdnFormat::ReadType(int handle) {
  CB_TRY(ReadAssignment("TYPE", QDN_TOKEN_IDENTIFIER));
  const std::string name(CurrentToken().text);
  noisy_or_ = noisy_and_ = false;
  int type = 0;
  if (name == "NOISY_OR") {
    noisy_or_ = true;
    type = QDN_NOISY_MAX;
  } else if (name == "NOISY_AND") {
    noisy_and_ = true;
    type = QDN_NOISY_MAX;
  } else if (name == "EQUATION") {
    type = QDN_EQUATION;
  } else if (name == "EQUATION_SCC") {
    type = QDN_EQUATION_SCC;
  } else {
    type = DefinitionTypeFromName(name.c_str());
    if (type < 0) return ReportError(type, {});
  }
  return ReportError(network_->ChangeNodeType(handle, type), {});
}

int QDN_qdnFormat::ReadParents(int handle, int arc_type) {
  CB_TRY(ReadKeyword("PARENTS"));
  QDN_stringArray parents;
  CB_TRY(ReadIdentifierList(parents));
  const char* child = network_->GetNode(handle)->GetId();
  for (int i = 0; i < parents.GetCount(); ++i) {
    const int parent = network_->FindNode(parents.At(i));
    const int status = parent < 0 ? parent : network_->AddArc(parent, handle, arc_type);
    if (status == QDN_NO_ERROR) continue;
    const std::string message =
        Concat({arc_type == QDN_network::kCostArc ? "ERROR: Couldn't add cost arc from node ["
                                                  : "ERROR: Couldn't add arc from node [",
                parents.At(i), "] to node [", child ? child : "", "]"});
    LogError(status, message);
  }
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::ReadDefinition(int handle) {
  return ReadBlock([&] { return ReadDefinitionStatement(handle); });
}

int QDN_qdnFormat::ReadDefinitionStatement(int handle) {
  // The statements are tried in this order, from the one whose keyword is next.
  static constexpr std::string_view kKeywords[] = {
      "NAMESTATES", "NAMECHOICES", "PROBABILITIES", "RESULTINGSTATES", "UTILITIES", "WEIGHTS",
      "PWEIGHTS",   "NWEIGHTS",    "EQUATION",      "BASELINE",        "STRENGTHS"};
  const int from = NextKeyword(kKeywords);
  int status = QDN_NOT_THIS_STATEMENT;
  if (from <= 1 && (status = ReadOutcomeNames(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 2 && (status = ReadProbabilities(handle, "PROBABILITIES")) != QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 3 && (status = ReadResultingStates(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 4 && (status = ReadProbabilities(handle, "UTILITIES")) != QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 5 && (status = ReadProbabilities(handle, "WEIGHTS")) != QDN_NOT_THIS_STATEMENT)
    return status;
  if (from <= 7 && (status = ReadCastWeights(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 8 && (status = ReadEquation(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 9 && (status = ReadBaseline(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  if (from <= 10 && (status = ReadStrengths(handle)) != QDN_NOT_THIS_STATEMENT) return status;
  return ReportUnknown("Unknown Definition Statement");
}

QDN_nodeDefinition* QDN_qdnFormat::DefinitionOf(int handle, int type) const {
  QDN_nodeDefinition* definition = network_->GetNode(handle)->GetDefinition();
  return definition && (type < 0 || definition->GetType() == type) ? definition : nullptr;
}

int QDN_qdnFormat::ReadKeyword(const char* keyword) {
  if (Match(QDN_TOKEN_IDENTIFIER, keyword) != QDN_NO_ERROR) return QDN_NOT_THIS_STATEMENT;
  return Expect(QDN_TOKEN_PUNCTUATOR, "=");
}

int QDN_qdnFormat::ReadOutcomeNames(int handle) {
  int status = ReadKeyword("NAMESTATES");
  if (status == QDN_NOT_THIS_STATEMENT) status = ReadKeyword("NAMECHOICES");
  if (status != QDN_NO_ERROR) return status;
  QDN_stringArray ids;
  CB_TRY(ReadIdentifierList(ids));
  QDN_nodeDefinition* definition = DefinitionOf(handle, -1);
  if (!definition) return ReportError(QDN_WRONG_NODE_TYPE, {});
  status = definition->SetNumberOfOutcomes(ids);
  if (status != QDN_NO_ERROR) return ReportError(status, "SetNumberOfOutcomes failed");
  NoteFileOutcomes(handle, ids.GetCount());
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::ReadResultingStates(int handle) {
  CB_TRY(ReadKeyword("RESULTINGSTATES"));
  QDN_stringArray ids;
  CB_TRY(ReadIdentifierList(ids));
  auto* table = static_cast<QDN_truthTable*>(DefinitionOf(handle, QDN_TRUTHTABLE));
  if (!table) return ReportError(QDN_WRONG_NODE_TYPE, {});
  std::vector<std::string> names;
  for (int i = 0; i < ids.GetCount(); ++i)
    names.emplace_back(ids.ViewAt(i));
  if (SpreadOverAddedStates(handle, false, names)) {
    ids.Clear();
    for (const std::string& name : names)
      (void)ids.Append(name.c_str());
  }
  const int status = table->SetResultingStates(ids);
  return status == QDN_NO_ERROR ? status : ReportError(status, "SetResultingStates failed");
}

int QDN_qdnFormat::ReadCastWeights(int handle) {
  for (const char* keyword : {"PWEIGHTS", "NWEIGHTS"}) {
    int status = ReadKeyword(keyword);
    if (status == QDN_NOT_THIS_STATEMENT) continue;
    CB_TRY(status);
    QDN_doubleArray values;
    CB_TRY(ReadDoubleList(values));
    auto* cast = static_cast<QDN_cast*>(DefinitionOf(handle, QDN_CAST));
    if (!cast) return ReportError(QDN_WRONG_NODE_TYPE, {});
    const bool positive = keyword[0] == 'P';
    status = positive ? cast->SetPositiveWeights(values) : cast->SetNegativeWeights(values);
    if (status == QDN_NO_ERROR) return status;
    return ReportError(status,
                       positive ? "SetPositiveWeights failed" : "SetNegativeWeights failed");
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_qdnFormat::ReadEquation(int handle) {
  std::string text;
  CB_TRY(ReadStringAssignment("EQUATION", text));
  auto* equation = dynamic_cast<QDN_equation*>(DefinitionOf(handle, -1));
  if (!equation) return ReportError(QDN_WRONG_NODE_TYPE, {});
  if (equation->GetType() == QDN_EQUATION_SCC) {
    coupled_equations_.emplace_back(handle, std::move(text));
    return QDN_NO_ERROR;
  }
  return ReportError(equation->SetEquation(text), {});
}

int QDN_qdnFormat::ReadBaseline(int handle) {
  std::string text;
  CB_TRY(ReadStringAssignment("BASELINE", text));
  double baseline = 0;
  if (int status = QDN_ParseReal(text, baseline); status < 0) return ReportError(status, {});
  auto* cast = static_cast<QDN_cast*>(DefinitionOf(handle, QDN_CAST));
  if (!cast) return ReportError(QDN_WRONG_NODE_TYPE, {});
  const int status = cast->SetBaseline(baseline);
  return status == QDN_NO_ERROR ? status : ReportError(status, "SetBaseline failed");
}

int QDN_qdnFormat::ReadStrengths(int handle) {
  CB_TRY(ReadKeyword("STRENGTHS"));
  QDN_intArray strengths;
  CB_TRY(ReadIntList(strengths));
  auto* noisy = static_cast<QDN_noisyMAX*>(DefinitionOf(handle, QDN_NOISY_MAX));
  if (!noisy) return ReportError(QDN_WRONG_NODE_TYPE, {});
  // The list is cut into one run per parent; a run that is not a
  // permutation of the parent's outcomes is refused.
  int next = 0;
  for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i) {
    const int length = noisy->GetStrengths(i).GetCount();
    if (next + length > strengths.GetCount())
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong number of strengths");
    QDN_intArray run;
    for (int k = 0; k < length; ++k)
      (void)run.Append(strengths.At(next + k));
    next += length;
    if (int status = noisy->SetParentOutcomeStrengths(i, run); status < 0)
      return ReportError(status, "ERROR: Strengths are not an ordering of the parent's outcomes");
  }
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::ReadProbabilities(int handle, const char* keyword) {
  CB_TRY(ReadKeyword(keyword));
  QDN_doubleArray values;
  CB_TRY(ReadDoubleList(values));
  QDN_nodeDefinition* definition = network_->GetNode(handle)->GetDefinition();
  if (!definition) return ReportError(QDN_WRONG_NODE_TYPE, {});
  QDN_doubleArray exact = Exact(values);
  if (!single_state_.empty() &&
      (definition->GetType() == QDN_CPT || definition->GetType() == QDN_TRUTHTABLE ||
       definition->GetType() == QDN_TABLE)) {
    // Only a table whose node or parents the file gave one state is laid out anew.
    std::vector<double> cells(exact.Data(), exact.Data() + exact.GetCount());
    if (SpreadOverAddedStates(handle, definition->GetType() != QDN_TABLE, cells)) {
      exact.Clear();
      (void)exact.Resize(static_cast<int>(cells.size()));
      for (double v : cells)
        (void)exact.Append(v);
    }
  }
  const bool legacy = std::string_view(keyword) == "PROBABILITIES";
  if (legacy && definition->GetType() == QDN_NOISY_MAX && (noisy_or_ || noisy_and_)) {
    auto* noisy = static_cast<QDN_noisyMAX*>(definition);
    if (noisy_or_) return ReportError(noisy->SetParameters(exact), {});
    // A noisy-AND lists its outcomes, rows and strengths in the opposite order.
    const int n = noisy->GetNumberOfOutcomes();
    if (n < 1 || exact.GetCount() % n != 0) return ReportError(QDN_OUT_OF_RANGE, {});
    QDN_intArray reverse;
    for (int k = n - 1; k >= 0; --k)
      (void)reverse.Append(k);
    CB_TRY(ReportError(noisy->ChangeOrderOfOutcomes(reverse), {}));
    for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i) {
      const int length = noisy->GetStrengths(i).GetCount();
      QDN_intArray order;
      (void)order.Append(length - 1);
      for (int k = 0; k + 1 < length; ++k)
        (void)order.Append(k);
      CB_TRY(ReportError(noisy->SetParentOutcomeStrengths(i, order), {}));
    }
    QDN_doubleArray reversed;
    (void)reversed.Resize(exact.GetCount());
    for (int row = 0; row < exact.GetCount() / n; ++row)
      for (int k = 0; k < n; ++k)
        (void)reversed.Append(exact.At(row * n + (n - 1 - k)));
    return ReportError(noisy->SetParameters(reversed), {});
  }
  if (definition->GetType() == QDN_CPT || definition->GetType() == QDN_TRUTHTABLE) {
    // Every cell must be given: a shorter or longer list leaves the table unchanged.
    if (exact.GetCount() != definition->GetTable()->GetSize())
      return ReportError(QDN_OUT_OF_RANGE, "SetProbabilities failed");
    return ReportError(static_cast<QDN_cpt*>(definition)->SetProbabilities(exact),
                       "SetProbabilities failed");
  }
  return ReportError(definition->SetDefinition(exact), {});
}

int QDN_qdnFormat::ReadExtraDefinition(int handle) {
  return ReadBlock([&] { return ReadExtraStatement(handle); });
}

int QDN_qdnFormat::ReadExtraStatement(int handle) {
  QDN_extraDefinition* extra = network_->GetNode(handle)->GetExtraDefinition();
  if (!extra) {
    // A node without a definition has no diagnostic attributes to set.
    (void)SkipStatement();
    return ReportError(QDN_WRONG_NODE_TYPE, {});
  }
  int status = ReadDiagnosticAttribute(*extra);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadFaultStatement(*extra)) != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadOutcomeStatement(*extra)) != QDN_NOT_THIS_STATEMENT) return status;
  return ReportUnknown("Unknown Definition Statement");
}

int QDN_qdnFormat::ReadDiagnosticAttribute(QDN_extraDefinition& extra) {
  int status = ReadAssignment("DIAGNOSIS_TYPE", QDN_TOKEN_IDENTIFIER);
  if (status != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    const std::string_view text = CurrentToken().text;
    extra.troubleType = text == "TARGET"        ? QDN_extraDefinition::kTarget
                        : text == "OBSERVATION" ? QDN_extraDefinition::kObservation
                                                : QDN_extraDefinition::kAuxiliary;
    return QDN_NO_ERROR;
  }
  int value = 0;
  for (const auto& [keyword, flag] :
       {std::pair{"RANKED", &extra.ranked}, std::pair{"MANDATORY", &extra.mandatory},
        std::pair{"SETASDEFAULT", &extra.set_as_default}}) {
    if ((status = ReadBoolAssignment(keyword, value)) == QDN_NOT_THIS_STATEMENT) continue;
    if (status == QDN_NO_ERROR) *flag = value != 0;
    return status;
  }
  if ((status = ReadIntAssignment("SHOWAS", value)) != QDN_NOT_THIS_STATEMENT) {
    if (status == QDN_NO_ERROR && value >= 0 && value <= 4) extra.show_as = value;
    return status;
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_qdnFormat::ReadFaultStatement(QDN_extraDefinition& extra) {
  const int outcomes = extra.GetNumberOfOutcomes();
  if (Match(QDN_TOKEN_IDENTIFIER, "FAULT_STATES") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    QDN_intArray indices;
    CB_TRY(ReadIntList(indices));
    return ReportError(extra.SetFaultStateIndices(indices), {});
  }
  int status = ReadOutcomeTexts(extra, "FAULT_NAMES", "ERROR: Wrong number of fault names",
                                &QDN_extraDefinition::Outcome::fault_name);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if (Match(QDN_TOKEN_IDENTIFIER, "FAULT_LABELS") == QDN_NO_ERROR) {
    CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
    QDN_stringArray labels;
    CB_TRY(ReadStringList(labels));
    if (labels.GetCount() != outcomes)
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong number of fault labels");
    for (int i = 0; i < outcomes; ++i) {
      const std::string label(labels.ViewAt(i));
      if ((status = extra.SetFaultLabel(i, label.empty() ? nullptr : label.c_str())) < 0)
        LogError(status, Concat({"ERROR: '", label, "' : Fault label is not unique."}));
    }
    return QDN_NO_ERROR;
  }
  int value = 0;
  if ((status = ReadIntAssignment("DEFAULT_STATE", value)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    return ReportError(extra.SetDefaultState(value), {});
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_qdnFormat::ReadOutcomeStatement(QDN_extraDefinition& extra) {
  if (NextTextIs("DOCUMENTATION")) {
    // The n-th block of a node documents its n-th outcome.
    if (state_documentation_ >= extra.GetNumberOfOutcomes()) {
      (void)SkipStatement();
      return QDN_OUT_OF_RANGE;
    }
    return ReadDocumentation("DOCUMENTATION",
                             extra.GetOutcome(state_documentation_++).Documentation());
  }
  int status = ReadOutcomeTexts(extra, "STATECOMMENTS", "Wrong number of state comments",
                                &QDN_extraDefinition::Outcome::comment);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadOutcomeTexts(extra, "STATEREPAIRINFO", "Wrong number of state comments",
                                 &QDN_extraDefinition::Outcome::repair_info)) !=
      QDN_NOT_THIS_STATEMENT)
    return status;
  std::string text;
  if ((status = ReadStringAssignment("QUESTION", text)) != QDN_NOT_THIS_STATEMENT) {
    if (status == QDN_NO_ERROR) extra.question = text;
    return status;
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_qdnFormat::ReadOutcomeTexts(QDN_extraDefinition& extra, const char* keyword,
                                    const char* message, OutcomeText field) {
  CB_TRY(ReadKeyword(keyword));
  QDN_stringArray texts;
  CB_TRY(ReadStringList(texts));
  const int outcomes = extra.GetNumberOfOutcomes();
  if (texts.GetCount() != outcomes) return ReportError(QDN_OUT_OF_RANGE, message);
  for (int i = 0; i < outcomes; ++i) {
    auto& slot = extra.GetOutcome(i).*field;
    if (texts.ViewAt(i).empty()) {
      slot.reset();
    } else {
      slot = std::string(texts.ViewAt(i));
    }
  }
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::ReadObservationCosts() {
  return ReadBlock([this] { return ReadCostNode(); });
}

int QDN_qdnFormat::ReadCostNode() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "node"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  const int handle = network_->FindNode(id.c_str());
  if (handle < 0) return ReportError(handle, Concat({"ERROR: Couldn't Find Node (\"", id, "\")"}));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadBlock([&]() -> int {
    int status = ReadParents(handle, QDN_network::kCostArc);
    if (status != QDN_NOT_THIS_STATEMENT) return status;
    if (Match(QDN_TOKEN_IDENTIFIER, "COSTS") == QDN_NO_ERROR) {
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
      QDN_doubleArray costs;
      CB_TRY(ReadDoubleList(costs));
      QDN_costDefinition& cost = network_->GetNode(handle)->GetCost();
      if (costs.GetCount() == 0) {
        cost.ClearCosts();
        return QDN_NO_ERROR;
      }
      return ReportError(cost.SetCosts(costs.Data(), costs.GetCount()), {});
    }
    return ReportUnknown("Unknown Cost Statement");
  });
}
