#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "definitions/QDN_cast.h"
#include "definitions/QDN_equation.h"
#include "definitions/QDN_mau.h"
#include "definitions/QDN_nodeDefinition.h"
#include "definitions/QDN_noisyMAX.h"
#include "network/QDN_costDefinition.h"
#include "network/QDN_extraDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"
#include "test_util.h"

namespace {

std::string Text(const char* s) { return s ? std::string("\"") + s + "\"" : "null"; }

int digits_shown = 17;

std::string Number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits_shown, v);
  return buffer;
}

void Numbers(std::ostream& out, const double* values, int n) {
  out << "[";
  for (int i = 0; i < n; ++i)
    out << (i ? " " : "") << Number(values[i]);
  out << "]";
}

void Screen(std::ostream& out, const QDN_screenInfo& s) {
  out << " screen(" << s.position.x0 << "," << s.position.y0 << "," << s.position.x1 << ","
      << s.position.y1 << " " << s.color << " " << s.selection_color << " " << s.font << " "
      << s.font_color << " " << s.border_thickness << " " << s.border_color << " " << s.arc_flags
      << ")";
}

void Header(std::ostream& out, const QDN_header& h) {
  out << " id=" << Text(h.GetId()) << " name=" << Text(h.GetName())
      << " comment=" << Text(h.GetComment());
}

void Properties(std::ostream& out, const QDN_userProperties& p) {
  for (int i = 0; i < p.GetCount(); ++i)
    out << " prop " << p.GetName(i) << "=" << Text(p.GetValue(i));
}

void Documentation(std::ostream& out, const QDN_documentation& d) {
  for (int i = 0; i < d.GetCount(); ++i)
    out << " doc " << Text(d.GetTitle(i)) << "=" << Text(d.GetPath(i));
}

} // namespace

std::string DescribeNetwork(QDN_network& net, int digits) {
  digits_shown = digits;
  std::ostringstream out;
  const QDN_creation& creation = net.GetCreation();
  out << "samples " << net.GetSampleCount() << " showas " << net.GetFaultNameFormat() << "\n";
  out << "creation " << (creation.creator ? *creation.creator : "-") << "|"
      << (creation.created ? *creation.created : "-") << "|"
      << (creation.modified ? *creation.modified : "-") << "\n";
  Properties(out, net.GetProperties());
  Documentation(out, net.GetDocumentation());
  out << "\n";
  QDN_submodelTree& tree = net.GetSubmodels();
  for (int s = tree.GetFirstSubmodel(); s >= 0; s = tree.GetNextSubmodel(s)) {
    const QDN_submodel& sub = *tree.GetSubmodel(s);
    const int parent = tree.GetParent(s);
    const QDN_submodel* container = parent >= 0 ? tree.GetSubmodel(parent) : nullptr;
    out << "submodel";
    Header(out, sub.header);
    out << " parent=" << (container ? Text(container->header.GetId()) : "none");
    Screen(out, sub.screen);
    out << " window(" << sub.window_position.x0 << "," << sub.window_position.y0 << ","
        << sub.window_position.x1 << "," << sub.window_position.y1 << ") bk "
        << sub.background_color;
    for (const QDN_screenComment& c : sub.screen_comments)
      out << " comment(" << c.position.x0 << "," << c.position.y0 << "," << c.position.x1 << ","
          << c.position.y1 << " " << Text(c.text.c_str()) << ")";
    out << "\n";
  }
  // Nodes sorted by their text, so networks built in another order compare equal.
  std::vector<std::string> nodes;
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    std::ostringstream node_out;
    std::ostream& out = node_out;
    QDN_node& node = *net.GetNode(h);
    out << "node";
    Header(out, node.GetInfo().header);
    Screen(out, node.GetInfo().screen);
    const QDN_submodel* sub = tree.GetSubmodel(node.GetSubmodel());
    out << " in " << Text(sub ? sub->header.GetId() : nullptr) << " target " << net.IsTarget(h);
    Properties(out, node.GetInfo().properties);
    Documentation(out, node.GetInfo().documentation);
    out << "\n parents";
    const QDN_intArray& parents = net.GetParents(h, 0);
    for (int i = 0; i < parents.GetCount(); ++i)
      out << " " << net.GetNode(parents.At(i))->GetId();
    QDN_nodeDefinition* d = node.GetDefinition();
    out << "\n type " << (d ? d->GetTypeName() : "none");
    if (d && d->GetOutcomesNames()) {
      out << " outcomes";
      for (int i = 0; i < d->GetOutcomesNames()->GetCount(); ++i)
        out << " " << d->GetOutcomesNames()->At(i);
    }
    if (d && d->GetTable()) {
      out << " table ";
      Numbers(out, d->GetTable()->GetItems().Data(), d->GetTable()->GetSize());
    }
    if (d && d->GetType() == QDN_NOISY_MAX) {
      auto* noisy = static_cast<QDN_noisyMAX*>(d);
      out << " strengths";
      for (int i = 0; i < noisy->GetNumberOfParentBlocks(); ++i)
        for (int k = 0; k < noisy->GetStrengths(i).GetCount(); ++k)
          out << " " << noisy->GetStrengths(i).At(k);
    }
    if (d && d->GetType() == QDN_CAST) {
      auto* cast = static_cast<QDN_cast*>(d);
      out << " weights ";
      Numbers(out, cast->GetPositiveWeights().Data(), cast->GetPositiveWeights().GetCount());
      Numbers(out, cast->GetNegativeWeights().Data(), cast->GetNegativeWeights().GetCount());
      out << " baseline " << Number(cast->GetBaseline());
    }
    if (d && (d->GetType() == QDN_EQUATION || d->GetType() == QDN_EQUATION_SCC))
      out << " equation " << Text(static_cast<QDN_equation*>(d)->GetEquation().c_str());
    if (d && d->GetType() == QDN_MAU) {
      auto* mau = static_cast<QDN_mau*>(d);
      out << " weights ";
      Numbers(out, mau->GetWeights().Data(), mau->GetWeights().GetCount());
    }
    if (const QDN_extraDefinition* x = node.GetExtraDefinition()) {
      out << "\n extra " << x->troubleType << " " << x->ranked << x->mandatory << x->set_as_default
          << " showas " << x->show_as << " default " << x->default_state << " question "
          << (x->question ? Text(x->question.c_str()) : "null");
      for (int i = 0; i < x->GetNumberOfOutcomes(); ++i) {
        const auto& o = x->GetOutcome(i);
        out << " [" << o.fault << " " << (o.fault_name ? *o.fault_name : "-") << " "
            << (o.fault_label ? *o.fault_label : "-") << " " << (o.comment ? *o.comment : "-")
            << " " << (o.repair_info ? *o.repair_info : "-");
        Documentation(out, o.Documentation());
        out << "]";
      }
    }
    const QDN_costDefinition& cost = node.GetCost();
    out << "\n costs";
    for (int i = 0; i < cost.GetParents().GetCount(); ++i)
      out << " " << net.GetNode(cost.GetParents().At(i))->GetId();
    out << " ";
    Numbers(out, cost.GetCosts().GetItems().Data(), cost.GetCosts().GetSize());
    out << "\n";
    nodes.push_back(node_out.str());
  }
  std::sort(nodes.begin(), nodes.end());
  for (const std::string& node : nodes)
    out << node;
  return out.str();
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

int ReadText(QDN_network& net, int format, std::string_view text) {
  ClearLog();
  const std::string name = "read." + std::to_string(format);
  return net.ReadFile(WriteTempFile(name, text).c_str(), format, 0);
}

std::vector<double> TableOf(QDN_network& net, const char* id) {
  const QDN_Dmatrix& t = *net.GetNode(net.FindNode(id))->GetDefinition()->GetTable();
  return std::vector<double>(t.GetItems().Data(), t.GetItems().Data() + t.GetSize());
}

std::vector<std::string> OutcomesOf(QDN_network& net, const char* id) {
  const QDN_idArray& names = *net.GetNode(net.FindNode(id))->GetDefinition()->GetOutcomesNames();
  std::vector<std::string> out;
  for (int i = 0; i < names.GetCount(); ++i)
    out.emplace_back(names.At(i));
  return out;
}
