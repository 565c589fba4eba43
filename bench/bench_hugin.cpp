// Hugin read throughput on the largest corpus file and on a generated file of
// about 50 MB, next to the reference of splitting the same text into tokens
// and converting every number with std::from_chars.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "network/QDN_network.h"

namespace {

const std::string kBarley = std::string(CALLBRIMA_CORPUS_DIR) + "/hugin/problog/barley.net";

// A network whose child has six ten-state parents and four states: four
// million probabilities in one nested data table.
const std::string& LargeHuginFile() {
  static const std::string path = [] {
    const std::string file = "/tmp/callbrima-bench-large.net";
    std::ofstream out(file);
    out << "net\n{\n    node_size = (80 40);\n}\n";
    std::string parents;
    for (int p = 0; p < 6; ++p) {
      out << "node p" << p << "\n{\n    states = (";
      for (int s = 0; s < 10; ++s)
        out << "\"s" << s << "\" ";
      out << ");\n}\n";
      parents += " p" + std::to_string(p);
    }
    out << "node child\n{\n    states = (\"a\" \"b\" \"c\" \"d\");\n}\n";
    for (int p = 0; p < 6; ++p)
      out << "potential (p" << p
          << ")\n{\n    data = (0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1);\n}\n";
    out << "potential (child |" << parents << ")\n{\n    data = ";
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int p = 0; p < 6; ++p)
      out << "(";
    for (int run = 0; run < 1000000; ++run) {
      if (run > 0) {
        int closes = 0;
        for (int r = run; r % 10 == 0 && closes < 6; r /= 10)
          ++closes;
        for (int k = 0; k < closes; ++k)
          out << ")";
        out << "\n";
        for (int k = 0; k < closes; ++k)
          out << "(";
      }
      char row[128];
      std::snprintf(row, sizeof row, "(%.9f %.9f %.9f %.9f)", unit(random), unit(random),
                    unit(random), unit(random));
      out << row;
    }
    for (int p = 0; p < 6; ++p)
      out << ")";
    out << ";\n}\n";
    return file;
  }();
  return path;
}

long long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long long>(in.tellg());
}

void ReadHugin(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    QDN_network net;
    benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 5, 0));
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void Tokenize(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double sum = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const char c = *p;
      if (c == ' ' || c == '\n' || c == '\t' || c == '(' || c == ')' || c == ';' || c == '=') {
        ++p;
        continue;
      }
      const char* start = p;
      while (p < end && *p != ' ' && *p != '\n' && *p != ')' && *p != ';' && *p != '\t')
        ++p;
      double v = 0;
      if (std::from_chars(start, p, v).ec == std::errc()) sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

} // namespace

static void BM_ReadHuginBarley(benchmark::State& state) { ReadHugin(state, kBarley); }
BENCHMARK(BM_ReadHuginBarley)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_TokenizeBarley(benchmark::State& state) { Tokenize(state, kBarley); }
BENCHMARK(BM_TokenizeBarley)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_ReadHuginLarge(benchmark::State& state) { ReadHugin(state, LargeHuginFile()); }
BENCHMARK(BM_ReadHuginLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_TokenizeLarge(benchmark::State& state) { Tokenize(state, LargeHuginFile()); }
BENCHMARK(BM_TokenizeLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
