// Native text format throughput on a generated file of about 50 MB, next to
// the reference of merely splitting the same file into tokens and converting
// every number with std::from_chars.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "bench_harness.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_cpt.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"

namespace {

// A network whose child has six ten-state parents and four outcomes: four
// million probabilities, about 50 MB of text.
const std::string& LargeFile() {
  static const std::string path = [] {
    const std::string file = bench::TempPath("large.qdn");
    QDN_network net;
    QDN_stringArray ten;
    for (int i = 0; i < 10; ++i)
      (void)ten.Append(std::string("s").append(std::to_string(i)).c_str());
    const int child = net.AddNode(18, "child");
    for (int p = 0; p < 6; ++p) {
      const int parent = net.AddNode(18, std::string("p").append(std::to_string(p)).c_str());
      (void)net.GetNode(parent)->GetDefinition()->SetNumberOfOutcomes(ten);
      (void)net.AddArc(parent, child, 0);
    }
    auto& cpt = *static_cast<QDN_cpt*>(net.GetNode(child)->GetDefinition());
    (void)cpt.AddOutcome(nullptr);
    (void)cpt.AddOutcome(nullptr);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    QDN_doubleArray& cells = cpt.GetTable()->GetItems();
    for (int i = 0; i < cells.GetSize(); i += 4) {
      double sum = 0;
      for (int k = 0; k < 4; ++k)
        sum += cells.At(i + k) = unit(random);
      for (int k = 0; k < 4; ++k)
        cells.At(i + k) = static_cast<float>(cells.At(i + k) / sum);
    }
    (void)net.WriteFile(file.c_str(), 4);
    return file;
  }();
  return path;
}

} // namespace

static void BM_ReadNative(benchmark::State& state) { bench::TimedReads(state, LargeFile(), 4); }
BENCHMARK(BM_ReadNative)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_WriteNative(benchmark::State& state) {
  const std::string& path = LargeFile();
  QDN_network net;
  (void)net.ReadFile(path.c_str(), 4, 0);
  const std::string out = bench::TempPath("out.qdn");
  for (auto _ : state)
    benchmark::DoNotOptimize(net.WriteFile(out.c_str(), 4));
  state.SetBytesProcessed(state.iterations() * bench::FileSize(out));
  std::remove(out.c_str());
}
BENCHMARK(BM_WriteNative)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reference: read the file, split it at blanks and punctuation, convert every
// number with std::from_chars.
static void BM_TokenizeReference(benchmark::State& state) {
  bench::TimedReference(state, LargeFile(), " \t\r\n,();=");
}
BENCHMARK(BM_TokenizeReference)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

// A chain of n two-state nodes, each the parent of the next.
std::string ChainFile(int n) {
  const std::string path = bench::TempPath("chain-" + std::to_string(n) + ".qdn");
  std::ofstream out(path);
  out << "net big {\n";
  for (int i = 0; i < n; ++i) {
    out << "node n" << i << " { TYPE = CPT; PARENTS = (";
    if (i > 0) out << "n" << i - 1;
    out << "); DEFINITION = { NAMESTATES = (a, b); PROBABILITIES = ("
        << (i == 0 ? "0.3, 0.7" : "0.1, 0.9, 0.8, 0.2") << "); }; };\n";
  }
  out << "};\n";
  return path;
}

} // namespace

static void BM_ReadChain(benchmark::State& state) {
  const std::string path = ChainFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QDN_network net;
    benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 4, 0));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadChain)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
