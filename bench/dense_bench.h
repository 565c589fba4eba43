// The number-dense network the text-format read benchmarks share: about
// 50 MB of text (71 four-state nodes, 64 of them with seven parents and
// tables of 65,536 cells), written by our own writer in each format.
#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "bench_harness.h"
#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace dense {

// 71 four-state nodes; node i takes the (up to) seven nodes before it as
// parents. Probabilities have eight decimals, as tools usually write them.
inline void BuildDenseNetwork(QDN_network& net) {
  constexpr int kNodes = 71, kParents = 7;
  QDN_stringArray states;
  for (int s = 0; s < 4; ++s)
    (void)states.Append(std::string("s").append(std::to_string(s)).c_str());
  std::vector<int> handles;
  for (int i = 0; i < kNodes; ++i) {
    const int h = net.AddNode(18, std::string("n").append(std::to_string(i)).c_str());
    (void)net.GetNode(h)->GetDefinition()->SetNumberOfOutcomes(states);
    for (int p = std::max(0, i - kParents); p < i; ++p)
      (void)net.AddArc(handles[static_cast<size_t>(p)], h, 0);
    handles.push_back(h);
  }
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int h : handles) {
    QDN_doubleArray& cells = net.GetNode(h)->GetDefinition()->GetTable()->GetItems();
    for (int i = 0; i + 3 < cells.GetSize(); i += 4) {
      long long parts[4], sum = 0;
      for (long long& part : parts)
        sum += part = 1 + static_cast<long long>(unit(random) * 1e8);
      long long left = 100'000'000;
      for (int k = 0; k < 4; ++k) {
        const long long share = k < 3 ? parts[k] * 100'000'000 / sum : left;
        left -= share;
        cells.At(i + k) = static_cast<double>(share) / 1e8;
      }
    }
  }
}

// The dense network written in format (4 native, 5 Hugin, 2 Netica, 3 MSBN).
inline std::string DenseFile(int format, const char* extension) {
  const std::string path = bench::TempPath(std::string("dense.") + extension);
  if (bench::FileSize(path) > 50'000'000) return path;
  QDN_network net;
  BuildDenseNetwork(net);
  if (net.WriteFile(path.c_str(), format) != 0)
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return path;
}

} // namespace dense
