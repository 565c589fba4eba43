// XMLBIF read times: a generated network of 10,000 nodes (each with up to
// three parents), and a generated file of about 50 MB (44,000 three-state
// nodes with three parents each). The
// peer to beat needs about 207 s for the first and does not finish the second.
// The 50 MB read is also compared with Expat parsing the same file with
// empty handlers, in the same run.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "bench_harness.h"

namespace {

// n nodes of `states` states; node i takes up to three of the nodes before it.
std::string Generate(int nodes, int states, const std::string& path) {
  std::ofstream out(path);
  out << "<?xml version=\"1.0\"?>\n<BIF VERSION=\"0.3\">\n<NETWORK>\n<NAME>generated</NAME>\n";
  for (int i = 0; i < nodes; ++i) {
    out << "<VARIABLE TYPE=\"nature\">\n\t<NAME>n" << i << "</NAME>\n";
    for (int s = 0; s < states; ++s)
      out << "\t<OUTCOME>s" << s << "</OUTCOME>\n";
    out << "</VARIABLE>\n";
  }
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < nodes; ++i) {
    out << "<DEFINITION>\n\t<FOR>n" << i << "</FOR>\n";
    int runs = 1;
    for (int k = 0; k < 3 && i > k; ++k, runs *= states)
      out << "\t<GIVEN>n" << (i - 1 - k) << "</GIVEN>\n";
    out << "\t<TABLE>";
    for (int run = 0; run < runs; ++run) {
      for (int s = 0; s < states; ++s) {
        char cell[32];
        std::snprintf(cell, sizeof cell, "%.8f ", unit(random) / states);
        out << cell;
      }
    }
    out << "</TABLE>\n</DEFINITION>\n";
  }
  out << "</NETWORK>\n</BIF>\n";
  return path;
}

} // namespace

static void BM_ReadXmlbif10000Nodes(benchmark::State& state) {
  static const std::string path = Generate(10'000, 2, bench::TempPath("10000.xml03"));
  bench::TimedReads(state, path, 6);
}
BENCHMARK(BM_ReadXmlbif10000Nodes)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_ReadXmlbif50MB(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, bench::TempPath("50mb.xml03"));
  bench::TimedReads(state, path, 6);
}
BENCHMARK(BM_ReadXmlbif50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The read and Expat in turn; the best processor and wall times of each and
// their ratios (Expat's time over the read's).
static void BM_Xmlbif50MBVsExpat(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, bench::TempPath("50mb.xml03"));
  bench::CompareWithReference(
      state, path,
      [](const std::string& file) {
        QDN_network net;
        return net.ReadFile(file.c_str(), 6, 0);
      },
      [](const std::string& file) { return bench::ExpatParse(file); }, "expat");
}
BENCHMARK(BM_Xmlbif50MBVsExpat)->Iterations(5)->Unit(benchmark::kMillisecond);

static void BM_Xmlbif50MBPeakMemory(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, bench::TempPath("50mb.xml03"));
  bench::ReportPeakMemory(state, path, 6, "xml03");
}
BENCHMARK(BM_Xmlbif50MBPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
