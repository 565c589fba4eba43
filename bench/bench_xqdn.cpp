// Native XML read and write throughput on a generated file of about 50 MB
// (35,000 three-state nodes with three parents each), next to Expat parsing
// the same file with empty handlers.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "xml/QDN_xqdnFactory.h"

namespace {

constexpr int kNodes = 30'000;

const std::string& File() {
  static const std::string path = [] {
    const std::string file = "/tmp/callbrima-bench-50mb.xqdn";
    std::ofstream out(file);
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<brima version=\"1.0\" "
           "id=\"generated\">\n\t<nodes>\n";
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < kNodes; ++i) {
      out << "\t\t<cpt id=\"n" << i << "\">\n";
      for (int s = 0; s < 3; ++s)
        out << "\t\t\t<state id=\"s" << s << "\" />\n";
      int runs = 1;
      if (i > 0) {
        out << "\t\t\t<parents>";
        for (int k = 0; k < 3 && i > k; ++k, runs *= 3)
          out << (k ? " n" : "n") << (i - 1 - k);
        out << "</parents>\n";
      }
      out << "\t\t\t<probabilities>";
      char cell[96];
      for (int run = 0; run < runs; ++run) {
        const double a = unit(random) / 2, b = unit(random) / 2;
        std::snprintf(cell, sizeof cell, "%s%.16g %.16g %.16g", run ? " " : "", a, b, 1 - a - b);
        out << cell;
      }
      out << "</probabilities>\n\t\t</cpt>\n";
    }
    out << "\t</nodes>\n</brima>\n";
    return file;
  }();
  return path;
}

long long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long long>(in.tellg());
}

} // namespace

static void BM_ExpatEmptyHandlers(benchmark::State& state) {
  const std::string& path = File();
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  for (auto _ : state) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    // The same 512-byte blocks the reader hands to Expat.
    for (size_t at = 0; at < text.size(); at += 512) {
      const size_t n = std::min<size_t>(512, text.size() - at);
      if (XML_Parse(parser, text.data() + at, static_cast<int>(n), at + n == text.size()) ==
          XML_STATUS_ERROR)
        state.SkipWithError("parse failed");
    }
    XML_ParserFree(parser);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_ExpatEmptyHandlers)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_ReadXqdn50MB(benchmark::State& state) {
  QDN_SetFormat8Factory(&QDN_CreateXqdnFormat);
  const std::string& path = File();
  for (auto _ : state) {
    QDN_network net;
    if (net.ReadFile(path.c_str(), 8, 0) != 0) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_ReadXqdn50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_WriteXqdn50MB(benchmark::State& state) {
  QDN_SetFormat8Factory(&QDN_CreateXqdnFormat);
  QDN_network net;
  if (net.ReadFile(File().c_str(), 8, 0) != 0) state.SkipWithError("read failed");
  const std::string out = "/tmp/callbrima-bench-written.xqdn";
  for (auto _ : state)
    if (net.WriteFile(out.c_str(), 8) != 0) state.SkipWithError("write failed");
  state.SetBytesProcessed(state.iterations() * FileSize(out));
}
BENCHMARK(BM_WriteXqdn50MB)->Unit(benchmark::kMillisecond)->UseRealTime();
