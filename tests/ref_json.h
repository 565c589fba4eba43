#pragma once

#include <string>
#include <vector>

// A node of a reference network (.ref.json): states, parents and the full
// table laid out as the library lays tables out (parents in order with the
// last parent fastest among them, the node's own states fastest).
struct RefNode {
  std::string name;
  std::vector<std::string> states;
  std::vector<std::string> parents;
  std::vector<double> cpt;
};

// Reads a .ref.json file; false when it cannot be read.
bool ReadRefJson(const std::string& path, std::vector<RefNode>& nodes);
