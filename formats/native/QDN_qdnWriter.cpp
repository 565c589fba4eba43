// Writing the native text format.
#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
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

QDN_doubleArray ToArray(const double* values, int count) {
  QDN_doubleArray out;
  (void)out.Resize(count);
  for (int i = 0; i < count; ++i)
    (void)out.Append(values[i]);
  return out;
}

const char* OrDefault(const char* text, const char* fallback) { return text ? text : fallback; }

} // namespace

int QDN_qdnFormat::WriteBlockStart(const char* name) {
  (void)WriteIndentedLine(name);
  (void)out_.WriteRaw(" = \n", 0);
  (void)out_.IndentMore();
  (void)WriteIndentedLine("{\n");
  return out_.IndentMore();
}

int QDN_qdnFormat::BeginQuotedText() {
  out_.SetContinuation("\\ ");
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::EndQuotedText() {
  out_.SetContinuation({});
  return QDN_NO_ERROR;
}

void QDN_qdnFormat::WriteOptionalQuoted(const char* name, const char* text) {
  if (text) (void)WriteQuotedStatement(name, text);
}

int QDN_qdnFormat::WriteFile(const char* fileName) {
  CB_TRY(out_.OpenForWrite(fileName));
  const int status = WriteNet();
  const int closed = out_.Close();
  return status != QDN_NO_ERROR ? status : closed;
}

void QDN_qdnFormat::WriteHeader(const QDN_header& header) {
  (void)WriteBlockStart("HEADER");
  if (header.GetId()) (void)WriteStringStatement("ID", header.GetId(), false, false);
  WriteOptionalQuoted("NAME", header.GetName());
  WriteOptionalQuoted("COMMENT", header.GetComment());
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteRectangle(const char* name, const QDN_rectangle& rectangle) {
  (void)WriteBlockStart(name);
  (void)WriteIntStatement("CENTER_X", rectangle.x0);
  (void)WriteIntStatement("CENTER_Y", rectangle.y0);
  (void)WriteIntStatement("WIDTH", rectangle.x1);
  (void)WriteIntStatement("HEIGHT", rectangle.y1);
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteScreen(const QDN_screenInfo& screen) {
  (void)WriteBlockStart("SCREEN");
  WriteRectangle("POSITION", screen.position);
  (void)WriteIntStatement("COLOR", screen.color);
  (void)WriteIntStatement("SELCOLOR", screen.selection_color);
  (void)WriteIntStatement("FONT", screen.font);
  (void)WriteIntStatement("FONTCOLOR", screen.font_color);
  (void)WriteIntStatement("BORDERTHICKNESS", screen.border_thickness);
  (void)WriteIntStatement("BORDERCOLOR", screen.border_color);
  if (!(screen.arc_flags & QDN_screenInfo::kShowInArcs))
    (void)WriteBoolStatement("SHOWINARCS", false);
  if (!(screen.arc_flags & QDN_screenInfo::kShowOutArcs))
    (void)WriteBoolStatement("SHOWOUTARCS", false);
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteProperties(const QDN_userProperties& properties) {
  (void)WriteBlockStart("USER_PROPERTIES");
  for (int i = 0; i < properties.GetCount(); ++i)
    (void)WriteQuotedStatement(properties.GetName(i), OrDefault(properties.GetValue(i), ""));
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteDocumentation(const char* name, const QDN_documentation& documentation) {
  (void)WriteBlockStart(name);
  for (int i = 0; i < documentation.GetCount(); ++i) {
    (void)WriteIndentedLine("\"");
    (void)WriteText(OrDefault(documentation.GetTitle(i), ""), true);
    (void)out_.WriteWrapped("\" = \"", 2);
    (void)WriteText(OrDefault(documentation.GetPath(i), ""), true);
    (void)out_.WriteRaw("\";\n", 0);
  }
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteScreenComments(const QDN_submodel& submodel) {
  for (const QDN_screenComment& comment : submodel.screen_comments) {
    (void)WriteIndentedLine("SCREENCOMMENT");
    (void)out_.WriteWrapped(" = ", 2);
    (void)out_.WriteWrapped(" { ", 2);
    QDN_intArray coordinates;
    for (int v :
         {comment.position.x0, comment.position.y0, comment.position.x1, comment.position.y1})
      (void)coordinates.Append(v);
    (void)WriteIntList(coordinates, false);
    (void)out_.WriteWrapped(",\"", 2);
    (void)WriteText(comment.text, true);
    (void)out_.WriteRaw("\"};\n", 0);
  }
}

int QDN_qdnFormat::WriteNet() {
  QDN_submodelTree& tree = network_->GetSubmodels();
  const QDN_submodel& root = *tree.GetSubmodel(QDN_network::kMainSubmodel);
  (void)WriteIndentedLine("net ");
  (void)out_.WriteRaw(OrDefault(root.header.GetId(), "_Unnamed_Network_"), 0);
  (void)out_.WriteRaw("\n", 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  WriteHeader(root.header);
  const QDN_creation& creation = network_->GetCreation();
  (void)WriteBlockStart("CREATION");
  if (creation.creator) (void)WriteQuotedStatement("CREATOR", *creation.creator);
  if (creation.created) (void)WriteQuotedStatement("CREATED", *creation.created);
  if (creation.modified) (void)WriteQuotedStatement("MODIFIED", *creation.modified);
  (void)WriteBlockEnd();
  (void)WriteIntStatement("NUMSAMPLES", network_->GetSampleCount());
  WriteScreen(root.screen);
  WriteRectangle("WINDOWPOSITION", root.window_position);
  (void)WriteIntStatement("BKCOLOR", root.background_color);
  WriteScreenComments(root);
  WriteProperties(network_->GetProperties());
  WriteDocumentation("DOCUMENTATION", network_->GetDocumentation());
  if (!ki_layout_) (void)WriteIntStatement("SHOWAS", network_->GetFaultNameFormat());
  // Submodels are written parents first, so a PARENT always names one read before.
  QDN_intArray pending, order;
  (void)tree.GetChildren(QDN_network::kMainSubmodel, pending);
  for (int i = 0; i < pending.GetCount(); ++i) {
    (void)order.Append(pending.At(i));
    (void)tree.GetChildren(pending.At(i), pending);
  }
  for (int i = 0; i < order.GetCount(); ++i) {
    (void)out_.WriteRaw("\n", 0);
    CB_TRY(WriteSubmodel(order.At(i)));
    (void)out_.WriteRaw(";\n", 0);
  }
  const QDN_intArray nodes(network_->PartialOrderNodes());
  for (int i = 0; i < nodes.GetCount(); ++i) {
    (void)out_.WriteRaw("\n", 0);
    CB_TRY(WriteNode(nodes.At(i)));
    (void)out_.WriteRaw(";\n", 0);
  }
  WriteObservationCosts();
  (void)out_.IndentLess();
  (void)WriteIndentedLine("};\n");
  return out_.GetStatus();
}

int QDN_qdnFormat::WriteSubmodel(int handle) {
  QDN_submodelTree& tree = network_->GetSubmodels();
  const QDN_submodel* submodel = tree.GetSubmodel(handle);
  if (!submodel) return QDN_OUT_OF_RANGE;
  (void)WriteIndentedLine("submodel ");
  (void)out_.IndentMore();
  (void)out_.WriteRaw(OrDefault(submodel->header.GetId(), "_Unnamed_Submodel_"), 0);
  (void)out_.WriteRaw("\n", 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  const int parent = tree.GetParent(handle);
  if (parent != QDN_network::kMainSubmodel) {
    const QDN_submodel* container = tree.GetSubmodel(parent);
    (void)WriteStringStatement("PARENT",
                               container && container->header.GetId() ? container->header.GetId()
                                                                      : "_Unknown_Parent_",
                               false, false);
  }
  WriteHeader(submodel->header);
  WriteScreen(submodel->screen);
  WriteRectangle("WINDOWPOSITION", submodel->window_position);
  (void)WriteIntStatement("BKCOLOR", submodel->background_color);
  WriteScreenComments(*submodel);
  (void)out_.IndentLess();
  (void)WriteIndentedLine("}");
  (void)out_.IndentLess();
  return QDN_NO_ERROR;
}

int QDN_qdnFormat::WriteNode(int handle) {
  const QDN_node* node = network_->GetNode(handle);
  if (!node) return QDN_OUT_OF_RANGE;
  (void)WriteIndentedLine("node ");
  (void)out_.IndentMore();
  (void)out_.WriteRaw(OrDefault(node->GetId(), "_Unnamed_Node_"), 0);
  (void)out_.WriteRaw("\n", 0);
  (void)WriteIndentedLine("{\n");
  (void)out_.IndentMore();
  if (const QDN_nodeDefinition* definition = node->GetDefinition())
    (void)WriteStringStatement("TYPE", definition->GetTypeName(), false, false);
  WriteHeader(node->GetInfo().header);
  WriteScreen(node->GetInfo().screen);
  if (network_->IsTarget(handle) == 1) (void)WriteBoolStatement("TARGET", true);
  if (node->GetSubmodel() != QDN_network::kMainSubmodel) {
    const QDN_submodel* submodel = network_->GetSubmodels().GetSubmodel(node->GetSubmodel());
    if (submodel && submodel->header.GetId())
      (void)WriteStringStatement("SUBMODEL", submodel->header.GetId(), false, false);
  }
  WriteProperties(node->GetInfo().properties);
  WriteDocumentation("DOCUMENTATION", node->GetInfo().documentation);
  QDN_stringArray parents;
  const QDN_intArray& list = network_->GetParents(handle, 0);
  for (int i = 0; i < list.GetCount(); ++i)
    (void)parents.Append(OrDefault(network_->GetNode(list.At(i))->GetId(), "UnknownParent"));
  (void)WriteIdentifierListStatement("PARENTS", parents, false);
  WriteDefinition(*node);
  WriteExtraDefinition(*node);
  (void)out_.IndentLess();
  (void)WriteIndentedLine("}");
  (void)out_.IndentLess();
  return QDN_NO_ERROR;
}

void QDN_qdnFormat::WriteDefinition(const QDN_node& node) {
  (void)WriteBlockStart("DEFINITION");
  QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  auto write_table = [&](const char* name, const QDN_Dmatrix& table) {
    (void)WriteDoubleListStatement(name, table.GetItems(), true);
  };
  switch (type) {
  case QDN_CPT:
    (void)WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames(), false);
    write_table("PROBABILITIES", *definition->GetTable());
    break;
  case QDN_TRUTHTABLE: {
    (void)WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames(), false);
    QDN_stringArray states;
    (void)static_cast<const QDN_truthTable*>(definition)->GetResultingStates(states);
    (void)WriteIdentifierListStatement("RESULTINGSTATES", states, false);
    break;
  }
  case QDN_LIST:
    (void)WriteIdentifierListStatement("NAMECHOICES", *definition->GetOutcomesNames(), false);
    break;
  case QDN_TABLE:
    write_table("UTILITIES", *definition->GetTable());
    break;
  case QDN_MAU: {
    const QDN_doubleArray& weights = static_cast<const QDN_mau*>(definition)->GetWeights();
    (void)WriteDoubleListStatement("WEIGHTS", ToArray(weights.Data(), weights.GetCount()), true);
    break;
  }
  case QDN_CAST: {
    if (ki_layout_) break;
    const auto* cast = static_cast<const QDN_cast*>(definition);
    (void)WriteDoubleListStatement("PWEIGHTS", cast->GetPositiveWeights(), false);
    (void)WriteDoubleListStatement("NWEIGHTS", cast->GetNegativeWeights(), false);
    (void)WriteQuotedStatement("BASELINE", QDN_FormatReal(cast->GetBaseline()));
    break;
  }
  case QDN_NOISY_MAX: {
    const auto* noisy = static_cast<const QDN_noisyMAX*>(definition);
    (void)WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames(), false);
    QDN_intArray strengths;
    for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i)
      for (int k = 0; k < noisy->GetStrengths(i).GetCount(); ++k)
        (void)strengths.Append(noisy->GetStrengths(i).At(k));
    if (!ki_layout_) (void)WriteIntListStatement("STRENGTHS", strengths, false);
    write_table("PROBABILITIES", *definition->GetTable());
    break;
  }
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    (void)WriteQuotedStatement("EQUATION",
                               static_cast<const QDN_equation*>(definition)->GetEquation());
    break;
  default:
    break;
  }
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteExtraDefinition(const QDN_node& node) {
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  (void)WriteBlockStart("EXTRA_DEFINITION");
  if (!extra || ki_layout_) {
    (void)WriteBlockEnd();
    return;
  }
  const char* types[] = {"TARGET", "OBSERVATION", "AUXILIARY"};
  if (extra->troubleType >= 0 && extra->troubleType <= 2)
    (void)WriteStringStatement("DIAGNOSIS_TYPE", types[extra->troubleType], false, false);
  (void)WriteBoolStatement("RANKED", extra->ranked);
  (void)WriteBoolStatement("MANDATORY", extra->mandatory);
  (void)WriteBoolStatement("SETASDEFAULT", extra->set_as_default);
  (void)WriteIntStatement("SHOWAS", extra->show_as);
  QDN_intArray faults;
  extra->GetFaultStateIndices(faults);
  (void)WriteIntListStatement("FAULT_STATES", faults, false);
  const int outcomes = extra->GetNumberOfOutcomes();
  auto texts = [&](QDN_optionalText QDN_extraDefinition::Outcome::*field) {
    QDN_stringArray list;
    for (int i = 0; i < outcomes; ++i) {
      const auto& text = extra->GetOutcome(i).*field;
      (void)list.Append(text ? text->c_str() : "");
    }
    return list;
  };
  (void)WriteStringListStatement("FAULT_NAMES", texts(&QDN_extraDefinition::Outcome::fault_name),
                                 false);
  (void)WriteStringListStatement("FAULT_LABELS", texts(&QDN_extraDefinition::Outcome::fault_label),
                                 false);
  (void)WriteIntStatement("DEFAULT_STATE", extra->default_state);
  for (int i = 0; i < outcomes; ++i)
    WriteDocumentation("DOCUMENTATION", extra->GetOutcome(i).Documentation());
  (void)WriteStringListStatement("STATECOMMENTS", texts(&QDN_extraDefinition::Outcome::comment),
                                 false);
  (void)WriteStringListStatement("STATEREPAIRINFO",
                                 texts(&QDN_extraDefinition::Outcome::repair_info), false);
  if (extra->question) (void)WriteQuotedStatement("QUESTION", *extra->question);
  (void)WriteBlockEnd();
}

void QDN_qdnFormat::WriteObservationCosts() {
  (void)WriteBlockStart("OBSERVATION_COST");
  const QDN_intArray nodes(network_->PartialOrderNodes());
  for (int i = 0; i < nodes.GetCount(); ++i) {
    const QDN_node* node = network_->GetNode(nodes.At(i));
    (void)out_.WriteRaw("\n", 0);
    (void)WriteIndentedLine("node ");
    (void)out_.WriteRaw(OrDefault(node->GetId(), "_Unnamed_Node_"), 0);
    (void)out_.WriteRaw("\n", 0);
    (void)out_.IndentMore();
    (void)WriteIndentedLine("{\n");
    (void)out_.IndentMore();
    QDN_stringArray parents;
    const QDN_intArray& list = node->GetCost().GetParents();
    for (int k = 0; k < list.GetCount(); ++k)
      (void)parents.Append(OrDefault(network_->GetNode(list.At(k))->GetId(), "UnknownParent"));
    (void)WriteIdentifierListStatement("PARENTS", parents, false);
    (void)WriteDoubleListStatement("COSTS", node->GetCost().GetCosts().GetItems(), true);
    (void)out_.IndentLess();
    (void)WriteIndentedLine("}");
    (void)out_.IndentLess();
    (void)out_.WriteRaw(";\n", 0);
  }
  (void)WriteBlockEnd();
}
