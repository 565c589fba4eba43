// Writing the native text format.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_numberText.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_mau.h"
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

const char* OrDefault(const char* text, const char* fallback) { return text ? text : fallback; }

// The slots of an array (a table's cells), or its values.
std::span<const double> Slots(const QDN_doubleArray& array) {
  return {array.Data(), static_cast<size_t>(array.GetSize())};
}
std::span<const double> Values(const QDN_doubleArray& array) {
  return {array.Data(), static_cast<size_t>(array.GetCount())};
}

} // namespace

void QDN_qdnFormat::WriteBlockStart(const char* name) {
  WriteIndentedLine(name);
  out_.WriteRaw(" = \n");
  out_.IndentMore();
  WriteIndentedLine("{\n");
  out_.IndentMore();
}

void QDN_qdnFormat::WriteBlockEnd() {
  out_.IndentLess();
  WriteIndentedLine("};\n");
  out_.IndentLess();
}

void QDN_qdnFormat::WriteOptionalQuoted(const char* name, const char* text) {
  if (text) WriteQuotedStatement(name, text);
}

int QDN_qdnFormat::WriteFile(const char* fileName) {
  CB_TRY(out_.OpenForWrite(fileName));
  WriteNet();
  return out_.Close();
}

void QDN_qdnFormat::WriteHeader(const QDN_header& header) {
  WriteBlockStart("HEADER");
  if (header.GetId()) WriteStringStatement("ID", header.GetId(), false, false);
  WriteOptionalQuoted("NAME", header.GetName());
  WriteOptionalQuoted("COMMENT", header.GetComment());
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteRectangle(const char* name, const QDN_rectangle& rectangle) {
  WriteBlockStart(name);
  WriteIntStatement("CENTER_X", rectangle.x0);
  WriteIntStatement("CENTER_Y", rectangle.y0);
  WriteIntStatement("WIDTH", rectangle.x1);
  WriteIntStatement("HEIGHT", rectangle.y1);
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteScreen(const QDN_screenInfo& screen) {
  WriteBlockStart("SCREEN");
  WriteRectangle("POSITION", screen.position);
  WriteIntStatement("COLOR", screen.color);
  WriteIntStatement("SELCOLOR", screen.selection_color);
  WriteIntStatement("FONT", screen.font);
  WriteIntStatement("FONTCOLOR", screen.font_color);
  WriteIntStatement("BORDERTHICKNESS", screen.border_thickness);
  WriteIntStatement("BORDERCOLOR", screen.border_color);
  if (!(screen.arc_flags & QDN_screenInfo::kShowInArcs)) WriteBoolStatement("SHOWINARCS", false);
  if (!(screen.arc_flags & QDN_screenInfo::kShowOutArcs)) WriteBoolStatement("SHOWOUTARCS", false);
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteProperties(const QDN_userProperties& properties) {
  WriteBlockStart("USER_PROPERTIES");
  for (int i = 0; i < properties.GetCount(); ++i)
    WriteQuotedStatement(properties.GetName(i), OrDefault(properties.GetValue(i), ""));
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteDocumentation(const char* name, const QDN_documentation& documentation) {
  WriteBlockStart(name);
  for (int i = 0; i < documentation.GetCount(); ++i) {
    WriteIndentedLine("\"");
    WriteText(OrDefault(documentation.GetTitle(i), ""), true);
    out_.WriteWrapped("\" = \"");
    WriteText(OrDefault(documentation.GetPath(i), ""), true);
    out_.WriteRaw("\";\n");
  }
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteScreenComments(const QDN_submodel& submodel) {
  for (const QDN_screenComment& comment : submodel.screen_comments) {
    WriteIndentedLine("SCREENCOMMENT");
    out_.WriteWrapped(" = ");
    out_.WriteWrapped(" { ");
    const QDN_rectangle& at = comment.position;
    WriteIntList(std::array{at.x0, at.y0, at.x1, at.y1});
    out_.WriteWrapped(",\"");
    WriteText(comment.text, true);
    out_.WriteRaw("\"};\n");
  }
}

void QDN_qdnFormat::WriteNet() {
  QDN_submodelTree& tree = network_->GetSubmodels();
  const QDN_submodel& root = *tree.GetSubmodel(QDN_network::kMainSubmodel);
  WriteIndentedLine("net ");
  out_.WriteRaw(OrDefault(root.header.GetId(), "_Unnamed_Network_"));
  out_.WriteRaw("\n");
  WriteIndentedLine("{\n");
  out_.IndentMore();
  WriteHeader(root.header);
  const QDN_creation& creation = network_->GetCreation();
  WriteBlockStart("CREATION");
  if (creation.creator) WriteQuotedStatement("CREATOR", *creation.creator);
  if (creation.created) WriteQuotedStatement("CREATED", *creation.created);
  if (creation.modified) WriteQuotedStatement("MODIFIED", *creation.modified);
  WriteBlockEnd();
  WriteIntStatement("NUMSAMPLES", network_->GetSampleCount());
  WriteScreen(root.screen);
  WriteRectangle("WINDOWPOSITION", root.window_position);
  WriteIntStatement("BKCOLOR", root.background_color);
  WriteScreenComments(root);
  WriteProperties(network_->GetProperties());
  WriteDocumentation("DOCUMENTATION", network_->GetDocumentation());
  if (!ki_layout_) WriteIntStatement("SHOWAS", network_->GetFaultNameFormat());
  // Submodels are written parents first, so a PARENT always names one read
  // before: the children of each submodel are appended as it is reached.
  QDN_intArray order;
  out_.Check(tree.GetChildren(QDN_network::kMainSubmodel, order));
  for (int i = 0; i < order.GetCount(); ++i)
    out_.Check(tree.GetChildren(order.At(i), order));
  for (int i = 0; i < order.GetCount(); ++i) {
    out_.WriteRaw("\n");
    WriteSubmodel(order.At(i));
    out_.WriteRaw(";\n");
  }
  const QDN_intArray nodes(network_->PartialOrderNodes());
  for (int i = 0; i < nodes.GetCount(); ++i) {
    out_.WriteRaw("\n");
    WriteNode(nodes.At(i));
    out_.WriteRaw(";\n");
  }
  WriteObservationCosts();
  out_.IndentLess();
  WriteIndentedLine("};\n");
}

void QDN_qdnFormat::WriteNodeStart(const char* id) {
  out_.IndentMore();
  out_.WriteRaw(id);
  out_.WriteRaw("\n");
  WriteIndentedLine("{\n");
  out_.IndentMore();
}

void QDN_qdnFormat::WriteNodeEnd() {
  out_.IndentLess();
  WriteIndentedLine("}");
  out_.IndentLess();
}

void QDN_qdnFormat::WriteSubmodel(int handle) {
  QDN_submodelTree& tree = network_->GetSubmodels();
  const QDN_submodel* submodel = tree.GetSubmodel(handle);
  if (!submodel) return out_.Check(QDN_OUT_OF_RANGE);
  WriteIndentedLine("submodel ");
  WriteNodeStart(OrDefault(submodel->header.GetId(), "_Unnamed_Submodel_"));
  const int parent = tree.GetParent(handle);
  if (parent != QDN_network::kMainSubmodel) {
    const QDN_submodel* container = tree.GetSubmodel(parent);
    WriteStringStatement("PARENT",
                         container && container->header.GetId() ? container->header.GetId()
                                                                : "_Unknown_Parent_",
                         false, false);
  }
  WriteHeader(submodel->header);
  WriteScreen(submodel->screen);
  WriteRectangle("WINDOWPOSITION", submodel->window_position);
  WriteIntStatement("BKCOLOR", submodel->background_color);
  WriteScreenComments(*submodel);
  WriteNodeEnd();
}

void QDN_qdnFormat::WriteNode(int handle) {
  const QDN_node* node = network_->GetNode(handle);
  if (!node) return out_.Check(QDN_OUT_OF_RANGE);
  WriteIndentedLine("node ");
  WriteNodeStart(OrDefault(node->GetId(), "_Unnamed_Node_"));
  if (const QDN_nodeDefinition* definition = node->GetDefinition())
    WriteStringStatement("TYPE", definition->GetTypeName(), false, false);
  WriteHeader(node->GetInfo().header);
  WriteScreen(node->GetInfo().screen);
  if (network_->IsTarget(handle) == 1) WriteBoolStatement("TARGET", true);
  if (node->GetSubmodel() != QDN_network::kMainSubmodel) {
    const QDN_submodel* submodel = network_->GetSubmodels().GetSubmodel(node->GetSubmodel());
    if (submodel && submodel->header.GetId())
      WriteStringStatement("SUBMODEL", submodel->header.GetId(), false, false);
  }
  WriteProperties(node->GetInfo().properties);
  WriteDocumentation("DOCUMENTATION", node->GetInfo().documentation);
  WriteIdentifierListStatement("PARENTS", NodeIds(network_->GetParents(handle, 0)));
  WriteDefinition(*node);
  WriteExtraDefinition(*node);
  WriteNodeEnd();
}

void QDN_qdnFormat::WriteDefinition(const QDN_node& node) {
  WriteBlockStart("DEFINITION");
  QDN_nodeDefinition* definition = node.GetDefinition();
  const int type = definition ? definition->GetType() : 0;
  switch (type) {
  case QDN_CPT:
    WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames());
    WriteDoubleListStatement("PROBABILITIES", Slots(definition->GetTable()->GetItems()));
    break;
  case QDN_TRUTHTABLE: {
    WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames());
    QDN_stringArray states;
    out_.Check(static_cast<const QDN_truthTable*>(definition)->GetResultingStates(states));
    WriteIdentifierListStatement("RESULTINGSTATES", states);
    break;
  }
  case QDN_LIST:
    WriteIdentifierListStatement("NAMECHOICES", *definition->GetOutcomesNames());
    break;
  case QDN_TABLE:
    WriteDoubleListStatement("UTILITIES", Slots(definition->GetTable()->GetItems()));
    break;
  case QDN_MAU:
    WriteDoubleListStatement("WEIGHTS",
                             Values(static_cast<const QDN_mau*>(definition)->GetWeights()));
    break;
  case QDN_CAST: {
    if (ki_layout_) break;
    const auto* cast = static_cast<const QDN_cast*>(definition);
    WriteDoubleListStatement("PWEIGHTS", Values(cast->GetPositiveWeights()));
    WriteDoubleListStatement("NWEIGHTS", Values(cast->GetNegativeWeights()));
    WriteQuotedStatement("BASELINE", QDN_FormatReal(cast->GetBaseline()));
    break;
  }
  case QDN_NOISY_MAX: {
    const auto* noisy = static_cast<const QDN_noisyMAX*>(definition);
    WriteIdentifierListStatement("NAMESTATES", *definition->GetOutcomesNames());
    std::vector<int> strengths;
    for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i)
      for (int k = 0; k < noisy->GetStrengths(i).GetCount(); ++k)
        strengths.push_back(noisy->GetStrengths(i).At(k));
    if (!ki_layout_) WriteIntListStatement("STRENGTHS", strengths);
    WriteDoubleListStatement("PROBABILITIES", Slots(definition->GetTable()->GetItems()));
    break;
  }
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    WriteQuotedStatement("EQUATION", static_cast<const QDN_equation*>(definition)->GetEquation());
    break;
  default:
    break;
  }
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteExtraDefinition(const QDN_node& node) {
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  WriteBlockStart("EXTRA_DEFINITION");
  if (!extra || ki_layout_) {
    WriteBlockEnd();
    return;
  }
  const char* types[] = {"TARGET", "OBSERVATION", "AUXILIARY"};
  if (extra->troubleType >= 0 && extra->troubleType <= 2)
    WriteStringStatement("DIAGNOSIS_TYPE", types[extra->troubleType], false, false);
  WriteBoolStatement("RANKED", extra->ranked);
  WriteBoolStatement("MANDATORY", extra->mandatory);
  WriteBoolStatement("SETASDEFAULT", extra->set_as_default);
  WriteIntStatement("SHOWAS", extra->show_as);
  QDN_intArray faults;
  extra->GetFaultStateIndices(faults);
  WriteIntListStatement("FAULT_STATES", {faults.Data(), static_cast<size_t>(faults.GetCount())});
  const int outcomes = extra->GetNumberOfOutcomes();
  auto texts = [&](QDN_optionalText QDN_extraDefinition::Outcome::*field) {
    QDN_stringArray list;
    for (int i = 0; i < outcomes; ++i) {
      const auto& text = extra->GetOutcome(i).*field;
      out_.Check(list.Append(text ? text.c_str() : ""));
    }
    return list;
  };
  WriteStringListStatement("FAULT_NAMES", texts(&QDN_extraDefinition::Outcome::fault_name));
  WriteStringListStatement("FAULT_LABELS", texts(&QDN_extraDefinition::Outcome::fault_label));
  WriteIntStatement("DEFAULT_STATE", extra->default_state);
  for (int i = 0; i < outcomes; ++i)
    WriteDocumentation("DOCUMENTATION", extra->GetOutcome(i).Documentation());
  WriteStringListStatement("STATECOMMENTS", texts(&QDN_extraDefinition::Outcome::comment));
  WriteStringListStatement("STATEREPAIRINFO", texts(&QDN_extraDefinition::Outcome::repair_info));
  if (extra->question) WriteQuotedStatement("QUESTION", *extra->question);
  WriteBlockEnd();
}

void QDN_qdnFormat::WriteObservationCosts() {
  WriteBlockStart("OBSERVATION_COST");
  const QDN_intArray nodes(network_->PartialOrderNodes());
  for (int i = 0; i < nodes.GetCount(); ++i) {
    const QDN_node* node = network_->GetNode(nodes.At(i));
    out_.WriteRaw("\n");
    WriteIndentedLine("node ");
    WriteNodeStart(OrDefault(node->GetId(), "_Unnamed_Node_"));
    WriteIdentifierListStatement("PARENTS", NodeIds(node->GetCost().GetParents()));
    WriteDoubleListStatement("COSTS", Slots(node->GetCost().GetCosts().GetItems()));
    WriteNodeEnd();
    out_.WriteRaw(";\n");
  }
  WriteBlockEnd();
}
