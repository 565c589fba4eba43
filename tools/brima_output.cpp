#include "tools/brima_output.h"

// g++ 12 reports a false -Wrestrict inside std::string for "literal" + string
// concatenations (GCC bug 105329); this file builds its texts that way.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#include <cstdio>
#include <string>
#include <string_view>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_idArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "network/QDN_submodelTree.h"

namespace {

std::string Json(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      if (c < 0x20) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out += buffer;
      } else if (c >= 0x80) {
        // Texts from files may be ISO-8859-1: write them as their characters.
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out += buffer;
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  return out + "\"";
}

std::string Dot(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

const char* Or(const char* text, const char* fallback) { return text ? text : fallback; }

std::string TypeName(const QDN_node& node) {
  const QDN_nodeDefinition* d = node.GetDefinition();
  return d ? d->GetTypeName() : "none";
}

int TableSize(QDN_node& node) {
  QDN_nodeDefinition* d = node.GetDefinition();
  if (!d) return 0;
  const QDN_Dmatrix* table = d->GetProbabilityTable();
  if (!table) table = d->GetTable();
  return table ? table->GetSize() : 0;
}

} // namespace

std::string DescribeText(QDN_network& net) {
  std::string out;
  const QDN_submodelTree& tree = net.GetSubmodels();
  const QDN_submodel* root = tree.GetSubmodel(QDN_network::kMainSubmodel);
  out += "network " + std::string(Or(root->header.GetId(), "")) + " \"" +
         Or(root->header.GetName(), "") + "\": " + std::to_string(net.GetNumberOfNodes()) +
         " nodes\n";
  const QDN_userProperties& properties = net.GetProperties();
  for (int i = 0; i < properties.GetCount(); ++i)
    out += "  property " + std::string(properties.GetName(i)) + " = " +
           Or(properties.GetValue(i), "") + "\n";
  for (int s = tree.GetNextSubmodel(QDN_network::kMainSubmodel); s >= 0;
       s = tree.GetNextSubmodel(s)) {
    const QDN_submodel* sub = tree.GetSubmodel(s);
    const QDN_submodel* parent = tree.GetSubmodel(tree.GetParent(s));
    out += "submodel " + std::string(Or(sub->header.GetId(), "?")) + " in " +
           Or(parent ? parent->header.GetId() : nullptr, "?") + "\n";
  }
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    QDN_node& node = *net.GetNode(h);
    out += "node " + std::string(Or(node.GetId(), "?")) + " (" + TypeName(node) + ")";
    if (node.GetName() && std::string_view(node.GetName()) != Or(node.GetId(), ""))
      out += " \"" + std::string(node.GetName()) + "\"";
    out += "\n";
    const QDN_nodeDefinition* d = node.GetDefinition();
    if (d && d->GetOutcomesNames()) {
      out += "  outcomes:";
      for (int i = 0; i < d->GetOutcomesNames()->GetCount(); ++i)
        out += " " + std::string(d->GetOutcomesNames()->At(i));
      out += "\n";
    }
    const QDN_intArray& parents = net.GetParents(h, 0);
    if (parents.GetCount() > 0) {
      out += "  parents:";
      for (int i = 0; i < parents.GetCount(); ++i)
        out += " " + std::string(Or(net.GetNode(parents.At(i))->GetId(), "?"));
      out += "\n";
    }
    out += "  table size: " + std::to_string(TableSize(node)) + "\n";
  }
  return out;
}

std::string DescribeJson(QDN_network& net) {
  std::string out = "{\n";
  const QDN_submodelTree& tree = net.GetSubmodels();
  const QDN_submodel* root = tree.GetSubmodel(QDN_network::kMainSubmodel);
  out += "  \"id\": " + Json(Or(root->header.GetId(), "")) + ",\n";
  out += "  \"name\": " + Json(Or(root->header.GetName(), "")) + ",\n";
  out += "  \"properties\": {";
  const QDN_userProperties& properties = net.GetProperties();
  for (int i = 0; i < properties.GetCount(); ++i)
    out += std::string(i ? ", " : "") + Json(properties.GetName(i)) + ": " +
           Json(Or(properties.GetValue(i), ""));
  out += "},\n  \"submodels\": [";
  bool first = true;
  for (int s = tree.GetFirstSubmodel(); s >= 0; s = tree.GetNextSubmodel(s)) {
    const QDN_submodel* sub = tree.GetSubmodel(s);
    const QDN_submodel* parent =
        tree.GetParent(s) >= 0 ? tree.GetSubmodel(tree.GetParent(s)) : nullptr;
    out += std::string(first ? "" : ",") + "\n    {\"handle\": " + std::to_string(s) +
           ", \"id\": " + Json(Or(sub->header.GetId(), "")) + ", \"parent\": " +
           (parent ? Json(Or(parent->header.GetId(), "")) : std::string("null")) + "}";
    first = false;
  }
  out += "\n  ],\n  \"nodes\": [";
  first = true;
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    QDN_node& node = *net.GetNode(h);
    out += std::string(first ? "" : ",") + "\n    {\"id\": " + Json(Or(node.GetId(), "")) +
           ", \"name\": " + Json(Or(node.GetName(), "")) + ", \"type\": " + Json(TypeName(node)) +
           ", \"outcomes\": [";
    const QDN_nodeDefinition* d = node.GetDefinition();
    for (int i = 0; d && d->GetOutcomesNames() && i < d->GetOutcomesNames()->GetCount(); ++i)
      out += std::string(i ? ", " : "") + Json(d->GetOutcomesNames()->At(i));
    out += "], \"parents\": [";
    const QDN_intArray& parents = net.GetParents(h, 0);
    for (int i = 0; i < parents.GetCount(); ++i)
      out += std::string(i ? ", " : "") + Json(Or(net.GetNode(parents.At(i))->GetId(), ""));
    const QDN_submodel* sub = tree.GetSubmodel(node.GetSubmodel());
    out += "], \"tableSize\": " + std::to_string(TableSize(node)) +
           ", \"submodel\": " + Json(Or(sub ? sub->header.GetId() : nullptr, "")) + "}";
    first = false;
  }
  out += "\n  ]\n}\n";
  return out;
}

std::string DescribeDot(QDN_network& net) {
  const QDN_submodelTree& tree = net.GetSubmodels();
  const QDN_submodel* root = tree.GetSubmodel(QDN_network::kMainSubmodel);
  std::string out =
      "digraph " + Dot(Or(root->header.GetId(), "network")) + " {\n  node [shape=box];\n";
  // Submodels as nested clusters, written depth first; nodes inside their cluster.
  std::string body;
  auto write_nodes = [&](int submodel, const std::string& indent) {
    QDN_intArray nodes;
    (void)tree.GetNodesOfSubmodel(submodel, nodes);
    for (int i = 0; i < nodes.GetCount(); ++i) {
      QDN_node& node = *net.GetNode(nodes.At(i));
      std::string label = Or(node.GetName(), Or(node.GetId(), ""));
      const QDN_nodeDefinition* d = node.GetDefinition();
      if (d && d->GetOutcomesNames()) {
        label += "\n";
        for (int k = 0; k < d->GetOutcomesNames()->GetCount(); ++k)
          label += std::string(k ? ", " : "") + d->GetOutcomesNames()->At(k);
      }
      const QDN_rectangle& p = node.GetInfo().screen.position;
      body += indent + Dot(Or(node.GetId(), "")) + " [label=" + Dot(label) + ", pos=\"" +
              std::to_string(p.x0) + "," + std::to_string(-static_cast<long long>(p.y0)) +
              "!\"];\n";
    }
  };
  std::vector<std::pair<int, int>> stack{{QDN_network::kMainSubmodel, 0}};
  std::vector<int> open;
  while (!stack.empty()) {
    const auto [handle, depth] = stack.back();
    stack.pop_back();
    while (static_cast<int>(open.size()) > depth) {
      open.pop_back();
      body += std::string(2 + 2 * open.size(), ' ') + "}\n";
    }
    const std::string indent(2 + 2 * open.size(), ' ');
    if (handle != QDN_network::kMainSubmodel) {
      const QDN_submodel* sub = tree.GetSubmodel(handle);
      body += indent + "subgraph " + Dot("cluster_" + std::to_string(handle)) + " {\n" + indent +
              "  label=" + Dot(Or(sub->header.GetName(), Or(sub->header.GetId(), ""))) + ";\n";
      open.push_back(handle);
    }
    write_nodes(handle, std::string(2 + 2 * open.size(), ' '));
    QDN_intArray children;
    (void)tree.GetChildren(handle, children);
    for (int i = children.GetCount() - 1; i >= 0; --i)
      stack.emplace_back(children.At(i), static_cast<int>(open.size()));
  }
  while (!open.empty()) {
    open.pop_back();
    body += std::string(2 + 2 * open.size(), ' ') + "}\n";
  }
  out += body;
  for (int h = net.GetFirstNode(); h >= 0; h = net.GetNextNode(h)) {
    const QDN_intArray& parents = net.GetParents(h, 0);
    for (int i = 0; i < parents.GetCount(); ++i)
      out += "  " + Dot(Or(net.GetNode(parents.At(i))->GetId(), "")) + " -> " +
             Dot(Or(net.GetNode(h)->GetId(), "")) + ";\n";
  }
  return out + "}\n";
}
