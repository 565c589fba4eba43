// Building networks the way a reader does: nodes by identifier, then each
// node's parents looked up by identifier and linked (duplicate and cycle
// checks included). Linear growth means the 100,000-node time is about ten
// times the 10,000-node time.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "network/QDN_network.h"

namespace {

struct Dag {
  std::vector<std::string> ids;
  std::vector<std::vector<int>> parents;
};

// A random DAG: node i takes up to three distinct parents among the nodes before it.
Dag RandomDag(int nodes, unsigned seed) {
  Dag dag;
  std::mt19937 random(seed);
  for (int i = 0; i < nodes; ++i) {
    dag.ids.push_back(std::string("n").append(std::to_string(i)));
    std::vector<int> parents;
    for (int k = 0; k < 3 && i > 0; ++k) {
      const int p = std::uniform_int_distribution<int>(0, i - 1)(random);
      bool seen = false;
      for (int q : parents)
        seen |= q == p;
      if (!seen) parents.push_back(p);
    }
    dag.parents.push_back(parents);
  }
  return dag;
}

} // namespace

static void BM_BuildRandomDag(benchmark::State& state) {
  const Dag dag = RandomDag(static_cast<int>(state.range(0)), 7);
  for (auto _ : state) {
    QDN_network net;
    for (const std::string& id : dag.ids)
      (void)net.AddNode(0, id.c_str());
    for (size_t i = 0; i < dag.ids.size(); ++i) {
      const int child = net.FindNode(dag.ids[i].c_str());
      for (int p : dag.parents[i])
        (void)net.AddArc(net.FindNode(dag.ids[static_cast<size_t>(p)].c_str()), child, 0);
    }
    benchmark::DoNotOptimize(net.PartialOrderNodes().GetCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildRandomDag)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The arcs of the same DAG added children-first (each arc's parent already has
// ancestors and its child descendants), the hardest order for the cycle check.
static void BM_BuildRandomDagReversed(benchmark::State& state) {
  const Dag dag = RandomDag(static_cast<int>(state.range(0)), 7);
  for (auto _ : state) {
    QDN_network net;
    for (const std::string& id : dag.ids)
      (void)net.AddNode(0, id.c_str());
    for (size_t i = dag.ids.size(); i-- > 0;) {
      const int child = net.FindNode(dag.ids[i].c_str());
      for (int p : dag.parents[i])
        (void)net.AddArc(net.FindNode(dag.ids[static_cast<size_t>(p)].c_str()), child, 0);
    }
    benchmark::DoNotOptimize(net.GetNumberOfNodes());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildRandomDagReversed)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMillisecond);

static void BM_BuildChain(benchmark::State& state) {
  const int nodes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    QDN_network net;
    for (int i = 0; i < nodes; ++i)
      (void)net.AddNode(0, (std::string("c").append(std::to_string(i))).c_str());
    for (int i = 1; i < nodes; ++i)
      (void)net.AddArc(i - 1, i, 0);
    benchmark::DoNotOptimize(net.PartialOrderNodes().GetCount());
  }
  state.SetItemsProcessed(state.iterations() * nodes);
}
BENCHMARK(BM_BuildChain)->Arg(100'000)->Unit(benchmark::kMillisecond);
