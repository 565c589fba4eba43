// Writing native XML files.
#include "xml/QDN_xqdnWriter.h"

#include <string>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_intArray.h"
#include "core/QDN_reservedValues.h"
#include "core/QDN_status.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_noisyMAX.h"
#include "definitions/QDN_truthTable.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodel.h"
#include "network/QDN_submodelTree.h"
#include "xml/QDN_xmlValues.h"
#include "xml/QDN_xqdnFormat.h"

namespace {

std::string Reals(const double* values, int count, bool na) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out.push_back(' ');
    out +=
        na && values[i] == kNotApplicableValue ? std::string("n/a") : QDN_FormatLongReal(values[i]);
  }
  return out;
}

std::string Ids(const QDN_network& network, const QDN_intArray& handles) {
  std::string out;
  for (int i = 0; i < handles.GetCount(); ++i) {
    if (i > 0) out.push_back(' ');
    const QDN_node* node = network.GetNode(handles.At(i));
    out += node && node->GetId() ? node->GetId() : "";
  }
  return out;
}

const char* FaultFormatName(int value) {
  static constexpr const char* kNames[] = {"user", "node", "state", "nodestate", "inherit"};
  return value >= 0 && value <= 4 ? kNames[value] : "user";
}

const char* ElementName(int type) {
  switch (type) {
  case QDN_CPT:
    return "cpt";
  case QDN_TRUTHTABLE:
    return "deterministic";
  case QDN_LIST:
    return "decision";
  case QDN_TABLE:
    return "utility";
  case QDN_MAU:
    return "mau";
  case QDN_EQUATION:
    return "equation";
  case QDN_EQUATION_SCC:
    return "equationscc";
  case QDN_CAST:
    return "cast";
  case QDN_NOISY_MAX:
    return "noisymax";
  default:
    return nullptr;
  }
}

} // namespace

int QDN_xqdnWriter::Write(const char* fileName) {
  if (!CheckNodeTypes() || !out_.Open(fileName)) return QDN_FILE_IO_FAILED;
  const QDN_submodel& root = *network_.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  out_.AddAttribute("version", std::string_view("1.0"));
  out_.AddAttribute("id", std::string_view(root.header.GetId() ? root.header.GetId() : ""));
  out_.AddAttribute("numsamples", network_.GetSampleCount());
  out_.StartElement("brima", QDN_xmlWriter::kChildren);
  WriteProperties(network_.GetProperties());
  WriteAlgorithmParameters();
  const QDN_intArray order(network_.PartialOrderNodes());
  out_.StartElement("nodes", QDN_xmlWriter::kChildren);
  for (int i = 0; i < order.GetCount(); ++i)
    WriteNode(order.At(i));
  out_.EndElement("nodes");
  WriteCosts(order);
  out_.StartElement("extensions", QDN_xmlWriter::kChildren);
  WriteNorix();
  out_.EndElement("extensions");
  out_.EndElement("brima");
  return out_.Close() ? QDN_NO_ERROR : QDN_FILE_IO_FAILED;
}

// A node the format has no element for would make a file that does not read
// back: the write is refused before the file is made.
bool QDN_xqdnWriter::CheckNodeTypes() const {
  for (int h = network_.GetFirstNode(); h >= 0; h = network_.GetNextNode(h)) {
    const QDN_nodeDefinition* definition = network_.GetNode(h)->GetDefinition();
    if (definition && ElementName(definition->GetType())) continue;
    const std::string message = std::string("Node '") + network_.GetNode(h)->GetId() +
                                "' of type " + (definition ? definition->GetTypeName() : "none") +
                                " can't be written to a native XML file";
    QDN_Log(QDN_WRONG_NODE_TYPE, message.c_str());
    return false;
  }
  return true;
}

void QDN_xqdnWriter::WriteAlgorithmParameters() {
  if (network_.GetEpisParameters() == QDN_episParameters{}) return;
  const QDN_episParameters& p = network_.GetEpisParameters();
  out_.StartElement("algparams", QDN_xmlWriter::kChildren);
  out_.AddAttribute("proplen", p.proplen);
  out_.AddAttribute("numstates1", p.numstates1);
  out_.AddAttribute("numstates2", p.numstates2);
  out_.AddAttribute("numstates3", p.numstates3);
  out_.AddAttribute("eps1", p.eps1);
  out_.AddAttribute("eps2", p.eps2);
  out_.AddAttribute("eps3", p.eps3);
  out_.AddAttribute("eps4", p.eps4);
  out_.StartElement("epis", QDN_xmlWriter::kEmpty);
  out_.EndElement("algparams");
}

void QDN_xqdnWriter::WriteProperties(const QDN_userProperties& properties, bool wrapped) {
  if (properties.GetCount() == 0) return;
  if (wrapped) out_.StartElement("properties", QDN_xmlWriter::kChildren);
  for (int i = 0; i < properties.GetCount(); ++i) {
    out_.AddAttribute("id", std::string_view(properties.GetName(i)));
    const char* value = properties.GetValue(i);
    out_.WriteElement("property", std::string_view(value ? value : ""), true);
  }
  if (wrapped) out_.EndElement("properties");
}

void QDN_xqdnWriter::WriteNode(int handle) {
  const QDN_node& node = *network_.GetNode(handle);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const char* element = definition ? ElementName(definition->GetType()) : nullptr;
  if (!element) return;
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  out_.AddAttribute("id", std::string_view(node.GetId()));
  if (network_.IsTarget(handle) == 1) out_.AddAttribute("target", true);
  if (extra && extra->troubleType == QDN_extraDefinition::kTarget)
    out_.AddAttribute("diagtype", std::string_view("target"));
  if (extra && extra->troubleType == QDN_extraDefinition::kObservation)
    out_.AddAttribute("diagtype", std::string_view("observation"));
  if (extra && extra->ranked) out_.AddAttribute("ranked", true);
  if (extra && extra->mandatory) out_.AddAttribute("mandatory", true);
  out_.StartElement(element, QDN_xmlWriter::kChildren);
  const int type = definition->GetType();
  if (type == QDN_CPT || type == QDN_TRUTHTABLE || type == QDN_LIST || type == QDN_NOISY_MAX)
    WriteStates(handle);
  const QDN_intArray& parents = network_.GetParents(handle, 0);
  if (parents.GetCount() > 0) out_.WriteElement("parents", Ids(network_, parents), false);
  WriteDefinition(*definition, parents);
  WriteProperties(node.GetInfo().properties, false);
  out_.EndElement(element);
}

void QDN_xqdnWriter::WriteStates(int handle) {
  const QDN_node& node = *network_.GetNode(handle);
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  const QDN_idArray& outcomes = *node.GetDefinition()->GetOutcomesNames();
  for (int i = 0; i < outcomes.GetCount(); ++i) {
    out_.AddAttribute("id", std::string_view(outcomes.At(i)));
    // A default state other than the first is kept even when it is not
    // marked as set by default; reading it back marks it so.
    if (extra && (extra->set_as_default || extra->default_state != 0) && extra->default_state == i)
      out_.AddAttribute("default", true);
    if (extra && i < extra->GetNumberOfOutcomes() && extra->GetOutcome(i).fault)
      out_.AddAttribute("fault", true);
    out_.StartElement("state", QDN_xmlWriter::kEmpty);
  }
}

// The numbers or texts of the definition, by its type.
void QDN_xqdnWriter::WriteDefinition(const QDN_nodeDefinition& definition,
                                     const QDN_intArray& parents) {
  auto table = [&](const char* name, const QDN_Dmatrix& matrix) {
    out_.WriteElement(name, Reals(matrix.GetItems().Data(), matrix.GetSize(), false), false);
  };
  switch (definition.GetType()) {
  case QDN_CPT:
    table("probabilities", *definition.GetTable());
    break;
  case QDN_TRUTHTABLE: {
    QDN_stringArray states;
    (void)static_cast<const QDN_truthTable&>(definition).GetResultingStates(states);
    std::string text;
    for (int i = 0; i < states.GetCount(); ++i) {
      if (i > 0) text.push_back(' ');
      text += states.At(i) ? states.At(i) : "";
    }
    out_.WriteElement("resultingstates", text, false);
    break;
  }
  case QDN_TABLE:
    table("utilities", *definition.GetTable());
    break;
  case QDN_MAU: {
    const QDN_doubleArray& weights = static_cast<const QDN_mau&>(definition).GetWeights();
    out_.WriteElement("weights", Reals(weights.Data(), weights.GetCount(), false), false);
    break;
  }
  case QDN_EQUATION:
  case QDN_EQUATION_SCC:
    out_.WriteElement("definition", static_cast<const QDN_equation&>(definition).GetEquation(),
                      false);
    break;
  case QDN_CAST: {
    const auto& cast = static_cast<const QDN_cast&>(definition);
    if (parents.GetCount() > 0) {
      const QDN_doubleArray& p = cast.GetPositiveWeights();
      const QDN_doubleArray& n = cast.GetNegativeWeights();
      out_.WriteElement("pweights", Reals(p.Data(), p.GetCount(), false), false);
      out_.WriteElement("nweights", Reals(n.Data(), n.GetCount(), false), false);
    }
    out_.WriteElement("baseline", QDN_FormatLongReal(cast.GetBaseline()), false);
    break;
  }
  case QDN_NOISY_MAX: {
    const auto& noisy = static_cast<const QDN_noisyMAX&>(definition);
    std::string text;
    for (int i = 0; i < noisy.GetNumberOfParentBlocks(); ++i)
      for (int k = 0; k < noisy.GetStrengths(i).GetCount(); ++k) {
        if (!text.empty()) text.push_back(' ');
        text += std::to_string(noisy.GetStrengths(i).At(k));
      }
    out_.WriteElement("strengths", text, false);
    table("parameters", *definition.GetTable());
    break;
  }
  default:
    break;
  }
}

void QDN_xqdnWriter::WriteCosts(const QDN_intArray& order) {
  bool any = false;
  for (int i = 0; i < order.GetCount() && !any; ++i) {
    const QDN_costDefinition& cost = network_.GetNode(order.At(i))->GetCost();
    any = cost.HasCosts() || cost.GetParents().GetCount() > 0;
  }
  if (!any) return;
  out_.StartElement("observationcost", QDN_xmlWriter::kChildren);
  for (int i = 0; i < order.GetCount(); ++i) {
    const QDN_node& node = *network_.GetNode(order.At(i));
    const QDN_costDefinition& cost = node.GetCost();
    if (!cost.HasCosts() && cost.GetParents().GetCount() == 0) continue;
    out_.AddAttribute("id", std::string_view(node.GetId()));
    out_.StartElement("node", QDN_xmlWriter::kChildren);
    if (cost.GetParents().GetCount() > 0)
      out_.WriteElement("parents", Ids(network_, cost.GetParents()), false);
    out_.WriteElement(
        "cost", Reals(cost.GetCosts().GetItems().Data(), cost.GetCosts().GetSize(), true), false);
    out_.EndElement("node");
  }
  out_.EndElement("observationcost");
}

void QDN_xqdnWriter::WritePresentation(const QDN_header& header, const QDN_screenInfo& screen) {
  // Names are plain text; only comments, captions and state texts use backslash sequences.
  out_.WriteElement("name", std::string_view(header.GetName() ? header.GetName() : ""), false);
  out_.AddAttribute("color", QDN_FormatColor(screen.color));
  out_.StartElement("interior", QDN_xmlWriter::kEmpty);
  out_.AddAttribute("color", QDN_FormatColor(screen.border_color));
  out_.AddAttribute("width", screen.border_thickness >= 1 ? screen.border_thickness : 1);
  out_.StartElement("outline", QDN_xmlWriter::kEmpty);
  out_.AddAttribute("color", std::string_view("000000"));
  out_.AddAttribute("name", std::string_view("MS Sans Serif"));
  out_.AddAttribute("size", 8);
  out_.StartElement("font", QDN_xmlWriter::kEmpty);
  out_.WriteElement("position", QDN_FormatPosition(screen.position), false);
  if (header.GetComment())
    out_.WriteElement("comment", std::string_view(header.GetComment()), true);
}

void QDN_xqdnWriter::WriteLinks(const QDN_documentation& documentation) {
  for (int i = 0; i < documentation.GetCount(); ++i) {
    out_.AddAttribute("title",
                      std::string_view(documentation.GetTitle(i) ? documentation.GetTitle(i) : ""));
    out_.AddAttribute("path",
                      std::string_view(documentation.GetPath(i) ? documentation.GetPath(i) : ""));
    out_.StartElement("link", QDN_xmlWriter::kEmpty);
  }
}

void QDN_xqdnWriter::WriteNorixNode(int handle) {
  const QDN_node& node = *network_.GetNode(handle);
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  out_.AddAttribute("id", std::string_view(node.GetId()));
  if (extra && extra->show_as != 4)
    out_.AddAttribute("faultnameformat", std::string_view(FaultFormatName(extra->show_as)));
  out_.StartElement("node", QDN_xmlWriter::kChildren);
  WritePresentation(node.GetInfo().header, node.GetInfo().screen);
  const QDN_nodeDefinition* definition = node.GetDefinition();
  const QDN_idArray* outcomes = definition ? definition->GetOutcomesNames() : nullptr;
  if (extra && outcomes) {
    for (int i = 0; i < outcomes->GetCount() && i < extra->GetNumberOfOutcomes(); ++i) {
      const QDN_extraDefinition::Outcome& outcome = extra->GetOutcome(i);
      out_.AddAttribute("id", std::string_view(outcomes->At(i)));
      out_.AddAttribute("globalid",
                        std::string_view(outcome.fault_label ? *outcome.fault_label : ""));
      if (outcome.fault_name) out_.AddAttribute("faultname", std::string_view(*outcome.fault_name));
      const bool has_links = outcome.Documentation().GetCount() > 0;
      if (!has_links && !outcome.repair_info && !outcome.comment) {
        out_.StartElement("state", QDN_xmlWriter::kEmpty);
        continue;
      }
      out_.StartElement("state", QDN_xmlWriter::kChildren);
      if (has_links) WriteLinks(outcome.Documentation());
      if (outcome.repair_info)
        out_.WriteElement("fix", std::string_view(*outcome.repair_info), true);
      if (outcome.comment) out_.WriteElement("comment", std::string_view(*outcome.comment), true);
      out_.EndElement("state");
    }
  }
  if (extra && extra->question)
    out_.WriteElement("question", std::string_view(*extra->question), true);
  WriteLinks(node.GetInfo().documentation);
  out_.EndElement("node");
}

void QDN_xqdnWriter::WriteContents(int submodel_handle) {
  QDN_submodelTree& tree = network_.GetSubmodels();
  QDN_intArray nodes, children;
  (void)tree.GetNodesOfSubmodel(submodel_handle, nodes);
  (void)tree.GetChildren(submodel_handle, children);
  for (int i = 0; i < nodes.GetCount(); ++i)
    WriteNorixNode(nodes.At(i));
  for (int i = 0; i < children.GetCount(); ++i) {
    const QDN_submodel& submodel = *tree.GetSubmodel(children.At(i));
    out_.AddAttribute("id",
                      std::string_view(submodel.header.GetId() ? submodel.header.GetId() : ""));
    out_.StartElement("submodel", QDN_xmlWriter::kChildren);
    WritePresentation(submodel.header, submodel.screen);
    out_.WriteElement("window", QDN_FormatPosition(submodel.window_position), false);
    WriteContents(children.At(i));
    out_.EndElement("submodel");
  }
  for (const QDN_screenComment& box : tree.GetSubmodel(submodel_handle)->screen_comments) {
    out_.StartElement("textbox", QDN_xmlWriter::kChildren);
    out_.WriteElement("caption", std::string_view(box.text), true);
    out_.WriteElement("position", QDN_FormatPosition(box.position), false);
    out_.AddAttribute("color", std::string_view("000000"));
    out_.AddAttribute("name", std::string_view("MS Sans Serif"));
    out_.AddAttribute("size", 10);
    out_.AddAttribute("bold", true);
    out_.StartElement("font", QDN_xmlWriter::kEmpty);
    out_.EndElement("textbox");
  }
}

void QDN_xqdnWriter::WriteNorix() {
  const QDN_submodel& root = *network_.GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel);
  out_.AddAttribute("version", std::string_view("1.0"));
  out_.AddAttribute("name", std::string_view(root.header.GetName() ? root.header.GetName() : ""));
  out_.AddAttribute("faultnameformat",
                    std::string_view(FaultFormatName(network_.GetFaultNameFormat())));
  out_.StartElement("norix", QDN_xmlWriter::kChildren);
  if (root.header.GetComment())
    out_.WriteElement("comment", std::string_view(root.header.GetComment()), true);
  WriteContents(QDN_network::kMainSubmodel);
  out_.EndElement("norix");
}
