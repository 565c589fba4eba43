// XMLBIF read times: a generated network of 10,000 nodes (each with up to
// three parents), and a generated file of about 50 MB (44,000 three-state
// nodes with three parents each). The
// peer to beat needs about 207 s for the first and does not finish the second.
// The 50 MB read is also compared with Expat parsing the same file with
// empty handlers, in the same run.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dense_bench.h"
#include "network/QDN_network.h"

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

void Read(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    QDN_network net;
    benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 6, 0));
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(in.tellg()));
}

} // namespace

static void BM_ReadXmlbif10000Nodes(benchmark::State& state) {
  static const std::string path = Generate(10'000, 2, "/tmp/callbrima-bench-10000.xml03");
  Read(state, path);
}
BENCHMARK(BM_ReadXmlbif10000Nodes)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_ReadXmlbif50MB(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, "/tmp/callbrima-bench-50mb.xml03");
  Read(state, path);
}
BENCHMARK(BM_ReadXmlbif50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace {

void IgnoreStart(void*, const char*, const char**) {}
void IgnoreEnd(void*, const char*) {}
void IgnoreText(void*, const char*, int) {}

// Expat with handlers that do nothing, reading the file in 64 KB blocks.
bool ExpatParse(const std::string& path) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetElementHandler(parser, &IgnoreStart, &IgnoreEnd);
  XML_SetCharacterDataHandler(parser, &IgnoreText);
  std::vector<char> block(64 * 1024);
  bool ok = true;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  for (bool last = false; ok && file && !last;) {
    const size_t got = std::fread(block.data(), 1, block.size(), file);
    last = got < block.size();
    ok = XML_Parse(parser, block.data(), static_cast<int>(got), last) != XML_STATUS_ERROR;
  }
  if (file) std::fclose(file);
  XML_ParserFree(parser);
  return ok;
}

} // namespace

// The read and Expat in turn; the best processor and wall times of each and
// their ratios (Expat's time over the read's).
static void BM_Xmlbif50MBVsExpat(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, "/tmp/callbrima-bench-50mb.xml03");
  using Clock = std::chrono::steady_clock;
  double read_cpu = 1e300, expat_cpu = 1e300, read_wall = 1e300, expat_wall = 1e300;
  for (auto _ : state) {
    const auto w0 = Clock::now();
    const double c0 = dense::CpuSeconds();
    {
      QDN_network net;
      benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 6, 0));
    }
    const auto w1 = Clock::now();
    const double c1 = dense::CpuSeconds();
    benchmark::DoNotOptimize(ExpatParse(path));
    const auto w2 = Clock::now();
    const double c2 = dense::CpuSeconds();
    read_cpu = std::min(read_cpu, c1 - c0);
    expat_cpu = std::min(expat_cpu, c2 - c1);
    read_wall = std::min(read_wall, std::chrono::duration<double>(w1 - w0).count());
    expat_wall = std::min(expat_wall, std::chrono::duration<double>(w2 - w1).count());
  }
  const double mb = static_cast<double>(dense::FileSize(path)) / 1e6;
  state.counters["file_MB"] = mb;
  state.counters["read_cpu_ms"] = read_cpu * 1e3;
  state.counters["expat_cpu_ms"] = expat_cpu * 1e3;
  state.counters["ratio_cpu_pct"] = 100 * expat_cpu / read_cpu;
  state.counters["ratio_wall_pct"] = 100 * expat_wall / read_wall;
}
BENCHMARK(BM_Xmlbif50MBVsExpat)->Iterations(5)->Unit(benchmark::kMillisecond);

static void BM_Xmlbif50MBPeakMemory(benchmark::State& state) {
  static const std::string path = Generate(44'000, 3, "/tmp/callbrima-bench-50mb.xml03");
  dense::ReportPeakMemory(state, path, 6, "xml03");
}
BENCHMARK(BM_Xmlbif50MBPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
