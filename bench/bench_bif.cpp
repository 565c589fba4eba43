// BIF read throughput on the largest corpus file and on a generated file of
// about 75 MB, next to the reference of splitting the same text into tokens
// and converting every number with std::from_chars.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "network/QDN_network.h"

namespace {

const std::string kDiabetes = std::string(CALLBRIMA_CORPUS_DIR) + "/bif/agrum/Diabetes.bif";

// A network whose child has six ten-state parents and four states, in the
// common form: one row per parent configuration, a million rows naming the
// parent states, four million probabilities.
const std::string& LargeBifFile() {
  static const std::string path = [] {
    const std::string file = "/tmp/callbrima-bench-large.bif";
    std::ofstream out(file, std::ios::binary);
    out << "network unknown {\n}\n";
    for (int p = 0; p < 6; ++p) {
      out << "variable parent" << p << " {\n  type discrete [ 10 ] { ";
      for (int s = 0; s < 10; ++s)
        out << (s ? ", " : "") << "state" << s;
      out << " };\n}\n";
    }
    out << "variable child {\n  type discrete [ 4 ] { a, b, c, d };\n}\n";
    for (int p = 0; p < 6; ++p) {
      out << "probability ( parent" << p << " ) {\n  table ";
      for (int s = 0; s < 10; ++s)
        out << (s ? ", " : "") << "0.1";
      out << ";\n}\n";
    }
    out << "probability ( child | parent0, parent1, parent2, parent3, parent4, parent5 ) {\n";
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int row = 0; row < 1000000; ++row) {
      char text[160];
      int r = row;
      int digits[6];
      for (int p = 5; p >= 0; --p, r /= 10)
        digits[p] = r % 10;
      std::snprintf(text, sizeof text,
                    "  (state%d, state%d, state%d, state%d, state%d, state%d) %.9f, %.9f, %.9f, "
                    "%.9f;\n",
                    digits[0], digits[1], digits[2], digits[3], digits[4], digits[5], unit(random),
                    unit(random), unit(random), unit(random));
      out << text;
    }
    out << "}\n";
    return file;
  }();
  return path;
}

long long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long long>(in.tellg());
}

void ReadBif(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    QDN_network net;
    benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 9, 0));
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '(' || c == ')' || c == ';' ||
         c == ',' || c == '{' || c == '}' || c == '|';
}

void Tokenize(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double sum = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      if (IsSeparator(*p)) {
        ++p;
        continue;
      }
      const char* start = p;
      while (p < end && !IsSeparator(*p))
        ++p;
      double v = 0;
      if (std::from_chars(start, p, v).ec == std::errc()) sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

} // namespace

static void BM_ReadBifDiabetes(benchmark::State& state) { ReadBif(state, kDiabetes); }
BENCHMARK(BM_ReadBifDiabetes)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_TokenizeDiabetes(benchmark::State& state) { Tokenize(state, kDiabetes); }
BENCHMARK(BM_TokenizeDiabetes)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_ReadBifLarge(benchmark::State& state) { ReadBif(state, LargeBifFile()); }
BENCHMARK(BM_ReadBifLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_TokenizeLarge(benchmark::State& state) { Tokenize(state, LargeBifFile()); }
BENCHMARK(BM_TokenizeLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
