// Writing BIF files.
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_errorLog.h"
#include "core/QDN_idArray.h"
#include "core/QDN_intArray.h"
#include "core/QDN_status.h"
#include "definitions/QDN_nodeDefinition.h"
#include "formats/bif/QDN_bifFormat.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

// The shortest text that reads back as the same double.
void AppendNumber(std::string& out, double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, error == std::errc() ? end : buffer);
}

std::string QuotedText(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// Property keys the reader takes for its own: user properties of these names
// would come back as something else.
bool IsReservedKey(std::string_view key) {
  return key == "label" || key == "position" || key == "state_label";
}

// User properties go out as property lines; keys the reader gives a meaning
// of their own stay out.
void AppendProperties(std::string& text, const QDN_userProperties& properties) {
  for (int i = 0; i < properties.GetCount(); ++i)
    if (!IsReservedKey(properties.GetName(i)))
      text.append("  property ")
          .append(properties.GetName(i))
          .append(" = ")
          .append(QuotedText(properties.GetValue(i)))
          .append(";\n");
}

} // namespace

int QDN_bifFormat::WriteFile(const char* fileName) {
  // Only discrete chance nodes with probability tables have a BIF form;
  // nothing is written otherwise.
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h)) {
    const QDN_node& node = *network_->GetNode(h);
    QDN_nodeDefinition* definition = node.GetDefinition();
    const int type = definition ? definition->GetType() : 0;
    const char* what = nullptr;
    if (type & 1) {
      what = "is a decision node";
    } else if (type & (8 | 128)) {
      what = "is a utility node";
    } else if (type == QDN_CAST || !definition || !definition->GetOutcomesNames() ||
               !definition->GetProbabilityTable()) {
      what = "has no probability table";
    }
    if (what)
      return QDN_Log(QDN_OUT_OF_RANGE, Concat({"ERROR: Node (\"", node.GetId() ? node.GetId() : "",
                                               "\") ", what, ": BIF holds only chance nodes"})
                                           .c_str());
  }
  CB_TRY(out_.OpenForWrite(fileName));
  const QDN_header& header =
      network_->GetSubmodels().GetSubmodel(QDN_network::kMainSubmodel)->header;
  const char* id = header.GetId();
  std::string text = "network ";
  text += id && *id ? id : "unknown";
  text += " {\n";
  if (header.GetName() && (!id || std::string_view(header.GetName()) != id))
    text.append("  property label = ").append(QuotedText(header.GetName())).append(";\n");
  AppendProperties(text, network_->GetProperties());
  text += "}\n";
  out_.WriteRaw(text);
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h))
    WriteVariable(h);
  for (int h = network_->GetFirstNode(); h >= 0; h = network_->GetNextNode(h))
    WriteProbability(h);
  return out_.Close();
}

void QDN_bifFormat::WriteVariable(int handle) {
  const QDN_node& node = *network_->GetNode(handle);
  const QDN_idArray& outcomes = *node.GetDefinition()->GetOutcomesNames();
  std::string text = "variable ";
  text.append(node.GetId()).append(" {\n  type discrete [ ");
  text.append(std::to_string(outcomes.GetCount())).append(" ] { ");
  for (int i = 0; i < outcomes.GetCount(); ++i) {
    if (i > 0) text += ", ";
    text.append(outcomes.ViewAt(i));
  }
  text += " };\n";
  // Names and labels that differ from their identifiers go out as properties.
  if (node.GetName() && std::string_view(node.GetName()) != node.GetId())
    text.append("  property label = ").append(QuotedText(node.GetName())).append(";\n");
  const QDN_extraDefinition* extra = node.GetExtraDefinition();
  for (int i = 0; extra && i < outcomes.GetCount() && i < extra->GetNumberOfOutcomes(); ++i) {
    const auto& label = extra->GetOutcome(i).long_name;
    if (label && std::string_view(*label) != outcomes.ViewAt(i))
      text.append("  property state_label ")
          .append(outcomes.ViewAt(i))
          .append(" = ")
          .append(QuotedText(*label))
          .append(";\n");
  }
  const QDN_rectangle& position = node.GetInfo().screen.position;
  if (position.x0 != 0 || position.y0 != 0)
    text.append("  property position = ( ")
        .append(std::to_string(position.x0))
        .append(", ")
        .append(std::to_string(position.y0))
        .append(" );\n");
  AppendProperties(text, node.GetInfo().properties);
  text += "}\n";
  out_.WriteRaw(text);
}

void QDN_bifFormat::WriteProbability(int handle) {
  const QDN_node& node = *network_->GetNode(handle);
  QDN_nodeDefinition& definition = *node.GetDefinition();
  // A noisy-MAX node goes out as its expanded probability table.
  const QDN_Dmatrix& table = *definition.GetProbabilityTable();
  const QDN_intArray& parents = network_->GetParents(handle, 0);
  std::string text = "probability ( ";
  text.append(node.GetId());
  for (int i = 0; i < parents.GetCount(); ++i) {
    text += i == 0 ? " | " : ", ";
    text.append(network_->GetNode(parents.At(i))->GetId());
  }
  text += " ) {\n";
  const int states = definition.GetNumberOfOutcomes();
  const int size = table.GetSize();
  const double* cells = table.GetItems().Data();
  if (parents.GetCount() == 0 || states < 1) {
    text += "  table ";
    for (int i = 0; i < size; ++i) {
      if (i > 0) text += ", ";
      AppendNumber(text, cells[i]);
    }
    text += ";\n}\n";
    out_.WriteRaw(text);
    return;
  }
  // One row per parent configuration, the last parent fastest.
  std::vector<const QDN_idArray*> names;
  std::vector<int> counter(static_cast<size_t>(parents.GetCount()), 0);
  for (int i = 0; i < parents.GetCount(); ++i)
    names.push_back(network_->GetNode(parents.At(i))->GetDefinition()->GetOutcomesNames());
  for (int start = 0; start + states <= size; start += states) {
    text += "  (";
    for (size_t p = 0; p < counter.size(); ++p) {
      text += p == 0 ? "" : ", ";
      text.append(names[p]->ViewAt(counter[p]));
    }
    text += ")";
    for (int k = 0; k < states; ++k) {
      text += k == 0 ? " " : ", ";
      AppendNumber(text, cells[start + k]);
    }
    text += ";\n";
    for (size_t p = counter.size(); p-- > 0;) {
      if (++counter[p] < names[p]->GetCount()) break;
      counter[p] = 0;
    }
    if (text.size() > (1u << 16)) {
      out_.WriteRaw(text);
      text.clear();
    }
  }
  text += "}\n";
  out_.WriteRaw(text);
}
