// Reading Netica DNE files.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

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
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view text) {
  return std::find(names.begin(), names.end(), text) != names.end();
}

constexpr std::array<std::string_view, 11> kNetFields = {
    "numdimensions", "eqncontext",  "user",   "title",      "comment",  "author",
    "whochanged",    "whenchanged", "locked", "autoupdate", "elimorder"};

constexpr std::array<std::string_view, 30> kNodeFields = {
    "kind",        "discrete", "measure", "chance",   "numstates", "states",
    "levels",      "units",    "inputs",  "parents",  "functable", "equation",
    "probs",       "numcases", "fading",  "delays",   "persist",   "position",
    "evidcost",    "user",     "title",   "comment",  "author",    "whochanged",
    "whenchanged", "locked",   "value",   "evidence", "belief",    "children"};

constexpr std::array<std::string_view, 28> kVisualNetFields = {
    "dispname",      "dispform",      "defdispform",    "nodelabeling",   "nodefont",
    "hidden",        "linkfont",      "commentfont",    "linkjoin",       "showstrength",
    "nodecolors",    "linkcolors",    "backcolor",      "commentcolor",   "pagebreakcolor",
    "groupingcolor", "commentinfos",  "parts",          "windowposn",     "scrollposn",
    "resolution",    "magnification", "drawingbounds",  "showpagebreaks", "usegrid",
    "gridspace",     "user",          "nodebordercolor"};

constexpr std::array<std::string_view, 8> kVisualNodeFields = {
    "center", "size", "dispform", "hidden", "height", "links", "user", "parts"};

constexpr std::array<std::string_view, 6> kParamFields = {"discrete", "measure", "numstates",
                                                          "states",   "levels",  "units"};

// Deeply nested lists are refused rather than followed down the stack.
constexpr int kMaxNesting = 256;

} // namespace

int QDN_neticaFormat::ReadFile(const char* fileName, int) {
  return ReadFileStartingWith(fileName, QDN_lexerVariant::kStandard, "bnet",
                              [this] { return ReadBnet(); });
}

int QDN_neticaFormat::ReadBnet() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "bnet"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  std::string id(CurrentToken().text);
  (void)QDN_idArray::MakeValidId(id);
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  if (header.SetId(id.c_str()) != QDN_NO_ERROR) CB_TRY(header.SetId("_Unnamed_Network_"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadBlock([this] { return ReadNetStatement(); });
}

int QDN_neticaFormat::ReadNetStatement() {
  QDN_token token;
  CB_TRY(Peek(token));
  QDN_header& header = network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  if (Contains(kNetFields, token.text)) {
    int status = ReadAssignment("title", QDN_TOKEN_STRING);
    if (status != QDN_NOT_THIS_STATEMENT)
      return status < 0 ? status
                        : ReportError(header.SetName(std::string(CurrentToken().text).c_str()), {});
    if ((status = ReadAssignment("comment", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT)
      return status < 0
                 ? status
                 : ReportError(header.SetComment(std::string(CurrentToken().text).c_str()), {});
    if ((status = ReadAssignment("author", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR)
        network_->GetCreation().creator = std::string(CurrentToken().text);
      return status;
    }
    if ((status = ReadAssignment("whenchanged", QDN_TOKEN_INTEGER)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR)
        network_->GetCreation().modified = std::string(CurrentToken().text);
      return status;
    }
    return SkipStatement();
  }
  if (token.text == "visual") return ReadVisualNet();
  if (token.text == "node") return ReadNode();
  if (token.text == "param") return ReadParam();
  return ReportUnknown("Unknown Net Statement");
}

int QDN_neticaFormat::ReadVisualNet() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "visual"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_submodel& root = *network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  return ReadBlock([&]() -> int {
    QDN_token token;
    CB_TRY(Peek(token));
    if (!Contains(kVisualNetFields, token.text))
      return ReportUnknown("Unknown Visual Net Statement");
    int value = 0;
    int status = ReadIntAssignment("backcolor", value);
    if (status != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) root.background_color = value;
      return status;
    }
    if ((status = ReadIntAssignment("nodebordercolor", value)) != QDN_NOT_THIS_STATEMENT) {
      if (status == QDN_NO_ERROR) root.screen.border_color = value;
      return status;
    }
    if (Match(QDN_TOKEN_IDENTIFIER, "windowposn") == QDN_NO_ERROR) {
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
      QDN_intArray position;
      CB_TRY(ReadIntList(position));
      if (position.GetCount() < 4)
        return ReportError(QDN_OUT_OF_RANGE, "ERROR: Wrong Window Position");
      root.window_position = {position.At(0), position.At(1), position.At(2), position.At(3)};
      return QDN_NO_ERROR;
    }
    return SkipStatement();
  });
}

int QDN_neticaFormat::ReadParam() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "param"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  return ReadBlock([&]() -> int {
    QDN_token token;
    CB_TRY(Peek(token));
    if (!Contains(kParamFields, token.text)) return ReportUnknown("Unknown Param Statement");
    return SkipStatement();
  });
}

int QDN_neticaFormat::ReadNode() {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "node"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  const std::string id(CurrentToken().text);
  const int handle = network_->AddNode(0, id.c_str());
  if (handle < 0)
    return ReportError(handle, Concat({"ERROR: Couldn't Create Node (\"", id, "\")"}));
  pending_type_ = QDN_CPT;
  constant_ = named_states_ = discretized_ = false;
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  ReadBlock([&] { return ReadNodeStatement(handle); });
  QDN_node& node = *network_->GetNode(handle);
  node.CheckReadiness(1);
  if (constant_ || !node.IsReady()) (void)network_->DeleteNode(handle);
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::ReadNodeStatement(int handle) {
  QDN_token token;
  CB_TRY(Peek(token));
  // A constant's statements (its value, equation, levels) have no place here.
  if (constant_) return token.text == "visual" ? SkipBlock() : SkipStatement();
  if (Contains(kNodeFields, token.text)) return ReadNodeField(handle);
  if (token.text == "visual") return ReadVisualNode(handle);
  return ReportUnknown("Unknown Node Statement");
}

bool QDN_neticaFormat::EnsureDefinition(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  if (node.GetDefinition()) return true;
  const int status = network_->ChangeNodeType(handle, pending_type_);
  if (status == QDN_NO_ERROR && node.GetDefinition()) return true;
  LogError(status < 0 ? status : QDN_OUT_OF_RANGE,
           Concat({"ERROR: Type of node [", node.GetId() ? node.GetId() : "", "] unsupported"}));
  return false;
}

int QDN_neticaFormat::ReadNodeField(int handle) {
  QDN_node& node = *network_->GetNode(handle);
  int status = ReadTypeField(node);
  if (status != QDN_NOT_THIS_STATEMENT) return status;
  if ((status = ReadAssignment("title", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT)
    return status < 0
               ? status
               : ReportError(
                     node.GetInfo().header.SetName(std::string(CurrentToken().text).c_str()), {});
  if ((status = ReadAssignment("comment", QDN_TOKEN_STRING)) != QDN_NOT_THIS_STATEMENT)
    return status < 0 ? status
                      : ReportError(node.GetInfo().header.SetComment(
                                        std::string(CurrentToken().text).c_str()),
                                    {});
  int ignored = 0;
  if ((status = ReadIntAssignment("numstates", ignored)) != QDN_NOT_THIS_STATEMENT) return status;
  // A continuous chance node given levels (or state names) is discretized:
  // it is read as a discrete node whose states are the intervals between
  // the levels.
  if ((NextTextIs("levels") || NextTextIs("states")) && !(pending_type_ & 16) &&
      (pending_type_ & (2 | 4)) && !node.GetDefinition()) {
    pending_type_ |= 16;
    discretized_ = true;
  }
  if (!EnsureDefinition(handle)) return QDN_OUT_OF_RANGE;
  if (Match(QDN_TOKEN_IDENTIFIER, "parents") == QDN_NO_ERROR) return ReadParents(handle);
  if (Match(QDN_TOKEN_IDENTIFIER, "states") == QDN_NO_ERROR) return ReadStates(handle);
  if (NextTextIs("levels")) return ReadLevels(handle);
  if (NextTextIs("probs")) return ReadProbs(handle);
  if (NextTextIs("functable")) return ReadFunctable(handle);
  return SkipStatement();
}

int QDN_neticaFormat::ReadTypeField(const QDN_node& node) {
  int status = ReadAssignment("kind", QDN_TOKEN_IDENTIFIER);
  if (status != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    const std::string_view kind = CurrentToken().text;
    if (kind == "NATURE") {
      pending_type_ &= ~(1 | 8);
    } else if (kind == "DECISION") {
      pending_type_ = (pending_type_ & ~(2 | 4 | 8)) | 1;
    } else if (kind == "UTILITY") {
      pending_type_ = QDN_TABLE;
    } else if (kind == "ASSUME") {
      pending_type_ = QDN_CPT;
      return ReportError(QDN_OUT_OF_RANGE, "ERROR: nodes of type ASSUME not supported (yet)");
    } else if (kind == "CONSTANT") {
      // Equation parameters and title labels: no random variable, skipped.
      constant_ = true;
      return ReportError(QDN_WRONG_NODE_TYPE,
                         Concat({"ERROR: Node [", node.GetId() ? node.GetId() : "",
                                 "] is a constant, not a random variable: skipped"}));
    } else {
      return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", kind, "' : Unknown Node Type"}));
    }
    return QDN_NO_ERROR;
  }
  int flag = 0;
  if ((status = ReadBoolAssignment("discrete", flag)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    pending_type_ = flag ? (pending_type_ | 16) : (pending_type_ & ~16);
    return QDN_NO_ERROR;
  }
  if ((status = ReadAssignment("chance", QDN_TOKEN_IDENTIFIER)) != QDN_NOT_THIS_STATEMENT) {
    CB_TRY(status);
    if (!(pending_type_ & (2 | 4))) return QDN_NO_ERROR;
    const std::string_view chance = CurrentToken().text;
    if (chance == "CHANCE") {
      pending_type_ = (pending_type_ & ~4) | 2;
    } else if (chance == "DETERMIN") {
      pending_type_ = (pending_type_ & ~2) | 4;
    } else {
      return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: '", chance, "' : Unknown Node Type"}));
    }
    return QDN_NO_ERROR;
  }
  return QDN_NOT_THIS_STATEMENT;
}

int QDN_neticaFormat::ReadParents(int handle) {
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  QDN_stringArray parents;
  CB_TRY(ReadIdentifierList(parents));
  const char* id = network_->GetNode(handle)->GetId();
  for (int i = 0; i < parents.GetCount(); ++i) {
    const int parent = network_->FindNode(parents.At(i));
    const int status = parent < 0 ? parent : network_->AddArc(parent, handle, 0);
    if (status < 0)
      LogError(status, Concat({"ERROR: Couldn't add arc from node [", parents.At(i), "] to node [",
                               id ? id : "", "]"}));
  }
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::ReadStates(int handle) {
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  QDN_stringArray states;
  CB_TRY(ReadIdentifierList(states));
  CB_TRY(ReportError(network_->GetNode(handle)->GetDefinition()->SetNumberOfOutcomes(states), {}));
  NoteFileOutcomes(handle, states.GetCount());
  named_states_ = true;
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::ReadVisualNode(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "visual"));
  CB_TRY(Expect(QDN_TOKEN_IDENTIFIER, nullptr));
  CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
  QDN_screenInfo& screen = network_->GetNode(handle)->GetInfo().screen;
  return ReadBlock([&]() -> int {
    QDN_token token;
    CB_TRY(Peek(token));
    if (token.text == "link") {
      CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "link"));
      if (Match(QDN_TOKEN_IDENTIFIER, nullptr) != QDN_NO_ERROR)
        CB_TRY(Expect(QDN_TOKEN_INTEGER, nullptr));
      CB_TRY(Match(QDN_TOKEN_PUNCTUATOR, "{"));
      return ReadBlock([&]() -> int {
        QDN_token field;
        CB_TRY(Peek(field));
        if (field.text == "path" || field.text == "labelposn" || field.text == "linewidth" ||
            field.text == "user")
          return SkipStatement();
        return ReportUnknown("Unknown Visual Link Statement");
      });
    }
    if (!Contains(kVisualNodeFields, token.text))
      return ReportUnknown("Unknown Visual Node Statement");
    for (const char* keyword : {"center", "size"}) {
      if (Match(QDN_TOKEN_IDENTIFIER, keyword) != QDN_NO_ERROR) continue;
      CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
      QDN_intArray values;
      CB_TRY(ReadIntList(values));
      const bool center = keyword[0] == 'c';
      if (values.GetCount() < 2)
        return ReportError(QDN_OUT_OF_RANGE,
                           center ? "ERROR: Wrong Center Coordinates" : "ERROR: Wrong Size Values");
      if (center) {
        screen.position.x0 = values.At(0);
        screen.position.y0 = values.At(1);
      } else {
        screen.position.x1 = values.At(0);
        screen.position.y1 = values.At(1);
      }
      return QDN_NO_ERROR;
    }
    return SkipStatement();
  });
}

int QDN_neticaFormat::ReadNested(std::vector<double>* numbers, std::vector<std::string>* names,
                                 std::vector<int>& groups, int depth) {
  if (depth > kMaxNesting) return ReportError(QDN_SYNTAX_ERROR, "ERROR: Table nested too deeply");
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  int items = 0;
  bool nested = false;
  for (;;) {
    if (numbers) {
      // A run of numbers, each maybe followed by a comma.
      double value = 0;
      int taken = 0;
      while ((taken = TakeNumber(value)) == 1) {
        numbers->push_back(value);
        ++items;
        (void)TakePunctuator(',');
      }
      CB_TRY(taken);
    }
    QDN_token token;
    if (Peek(token) < 0) break;
    if (token.kind == QDN_TOKEN_PUNCTUATOR && token.text == "(") {
      nested = true;
      CB_TRY(ReadNested(numbers, names, groups, depth + 1));
    } else if (names && token.kind == QDN_TOKEN_IDENTIFIER) {
      names->emplace_back(token.text);
      lexer_->Consume();
      ++items;
    } else {
      break;
    }
    if (NextIsPunctuator(",") == 1) lexer_->Consume();
  }
  if (!nested) groups.push_back(items);
  return Expect(QDN_TOKEN_PUNCTUATOR, ")");
}

int QDN_neticaFormat::ReadProbs(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "probs"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  // The numbers are taken in file order at any nesting: Netica writes one
  // flat list with comments naming the rows, older files nest by parents.
  std::vector<double> values;
  std::vector<int> groups;
  CB_TRY(ReadNested(&values, nullptr, groups, 0));
  // Some writers close the outer list early and continue with more groups
  // separated by commas and a surplus ")" at the end: the groups are read on.
  while (NextIsPunctuator(",") == 1) {
    lexer_->Consume();
    if (NextIsPunctuator("(") != 1) break;
    CB_TRY(ReadNested(&values, nullptr, groups, 0));
  }
  while (NextIsPunctuator(")") == 1)
    lexer_->Consume();
  QDN_nodeDefinition& definition = *network_->GetNode(handle)->GetDefinition();
  QDN_Dmatrix* table = definition.GetTable();
  if (!table) return QDN_NO_ERROR;
  const int n = definition.GetNumberOfOutcomes();
  const int runs = n > 0 ? table->GetSize() / n : 0;
  if (SpreadOverAddedStates(handle, true, values)) groups.assign(static_cast<size_t>(runs), n);
  // Old DNET files list every probability of a row but the last state's.
  // When every row is one value short, the last is 1 minus the row's sum.
  const bool short_rows =
      n > 1 && static_cast<int>(groups.size()) == runs &&
      std::all_of(groups.begin(), groups.end(), [&](int g) { return g == n - 1; });
  if (short_rows) {
    std::vector<double> full;
    for (int r = 0; r < runs; ++r) {
      double sum = 0;
      for (int k = 0; k < n - 1; ++k)
        sum += values[static_cast<size_t>(r * (n - 1) + k)];
      for (int k = 0; k < n - 1; ++k)
        full.push_back(values[static_cast<size_t>(r * (n - 1) + k)]);
      full.push_back(1 - sum);
    }
    values.swap(full);
  }
  const int count = std::min(static_cast<int>(values.size()), table->GetSize());
  std::copy_n(values.begin(), count, table->GetItems().Data());
  if (static_cast<int>(values.size()) != table->GetSize())
    return ReportError(QDN_OUT_OF_RANGE, Concat({"ERROR: Wrong number of probabilities for node [",
                                                 network_->GetNode(handle)->GetId(), "]"}));
  return QDN_NO_ERROR;
}

int QDN_neticaFormat::ReadFunctable(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "functable"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  QDN_nodeDefinition& definition = *network_->GetNode(handle)->GetDefinition();
  std::vector<int> groups;
  if (!definition.IsOfType(QDN_DISCRETE_BIT)) {
    std::vector<double> values;
    CB_TRY(ReadNested(&values, nullptr, groups, 0));
    (void)SpreadOverAddedStates(handle, false, values);
    QDN_doubleArray array;
    (void)array.Resize(static_cast<int>(values.size()));
    for (double v : values)
      (void)array.Append(v);
    return ReportError(definition.SetDefinition(array), {});
  }
  std::vector<std::string> names;
  CB_TRY(ReadNested(nullptr, &names, groups, 0));
  if (definition.GetType() != QDN_TRUTHTABLE) return QDN_NO_ERROR; // decisions ignore it
  (void)SpreadOverAddedStates(handle, false, names);
  QDN_stringArray states;
  for (const std::string& name : names)
    (void)states.Append(name.c_str());
  return ReportError(static_cast<QDN_truthTable&>(definition).SetResultingStates(states), {});
}

namespace {

// An identifier part made from a level's text: digits and letters kept, "."
// becomes "_", a leading "-" becomes "m" (100 -> 100, 10.5 -> 10_5, -5 -> m5).
std::string LevelIdPart(std::string_view level) {
  std::string out;
  for (size_t i = 0; i < level.size(); ++i) {
    const char c = level[i];
    if (c == '-' && i == 0) {
      out += 'm';
    } else if (c == '+' && i == 0) {
      continue;
    } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += c;
    } else {
      out += '_';
    }
  }
  return out;
}

} // namespace

int QDN_neticaFormat::ReadLevels(int handle) {
  CB_TRY(Match(QDN_TOKEN_IDENTIFIER, "levels"));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "="));
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, "("));
  // Level texts as written: numbers with an optional sign, or INFINITY.
  std::vector<std::string> levels;
  for (;;) {
    QDN_token token;
    CB_TRY(Peek(token));
    if (token.kind == QDN_TOKEN_PUNCTUATOR && token.text == ")") break;
    std::string level;
    if (token.kind == QDN_TOKEN_SIGN || token.text == "-" || token.text == "+") {
      level = token.text;
      lexer_->Consume();
      CB_TRY(Peek(token));
    }
    if (token.kind != QDN_TOKEN_INTEGER && token.kind != QDN_TOKEN_REAL &&
        !(token.kind == QDN_TOKEN_IDENTIFIER && (token.text == "INFINITY" || token.text == "INF")))
      return ReportError(QDN_SYNTAX_ERROR, Concat({"ERROR: '", token.text, "' : Level expected"}));
    level += token.text;
    lexer_->Consume();
    levels.push_back(std::move(level));
    if (NextIsPunctuator(",") == 1) lexer_->Consume();
  }
  CB_TRY(Expect(QDN_TOKEN_PUNCTUATOR, ")"));
  QDN_node& node = *network_->GetNode(handle);
  QDN_nodeDefinition& definition = *node.GetDefinition();
  // A discrete node's levels are the values of its states, not bounds.
  if (!discretized_ || !definition.IsOfType(QDN_DISCRETE_BIT) || levels.size() < 2)
    return QDN_NO_ERROR;
  const int intervals = static_cast<int>(levels.size()) - 1;
  if (!named_states_) {
    QDN_stringArray ids;
    for (int i = 0; i < intervals; ++i) {
      const std::string id = "from_" + LevelIdPart(levels[static_cast<size_t>(i)]) + "_to_" +
                             LevelIdPart(levels[static_cast<size_t>(i) + 1]);
      CB_TRY(ids.Append(id.c_str()));
    }
    CB_TRY(ReportError(definition.SetNumberOfOutcomes(ids), {}));
    NoteFileOutcomes(handle, intervals);
  } else if (definition.GetNumberOfOutcomes() != intervals) {
    return ReportError(QDN_OUT_OF_RANGE,
                       Concat({"ERROR: Node [", node.GetId() ? node.GetId() : "", "] has ",
                               std::to_string(definition.GetNumberOfOutcomes()), " states but ",
                               std::to_string(intervals), " intervals"}));
  }
  // The interval texts stay with the states; the levels themselves go back
  // out with the node.
  if (QDN_extraDefinition* extra = node.GetExtraDefinition())
    for (int i = 0; i < intervals && i < extra->GetNumberOfOutcomes(); ++i)
      extra->GetOutcome(i).long_name =
          levels[static_cast<size_t>(i)] + " to " + levels[static_cast<size_t>(i) + 1];
  std::string text;
  for (const std::string& level : levels)
    text += (text.empty() ? "" : ", ") + level;
  QDN_userProperties& properties = node.GetInfo().properties;
  const int at = properties.FindProperty(kLevelsProperty);
  if (at >= 0) (void)properties.RemoveProperty(at);
  return ReportError(properties.AddProperty(kLevelsProperty, text.c_str()), {});
}
