// Native XML read and write throughput on a generated file of about 50 MB
// (30,000 three-state nodes with three parents each) and on the file the
// writer makes of it (about 60 MB, with the presentation extension), next to
// Expat parsing the same files with empty handlers.
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench_harness.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "xml/QDN_registerFormats.h"

namespace {

// Freed memory is not handed back to the system between iterations unless a
// benchmark asks for it, so that warm reads measure the same heap state.
const bool kKeepFreedMemory = mallopt(M_TRIM_THRESHOLD, 1 << 30) != 0;

constexpr int kNodes = 30'000;

const std::string& File() {
  static const std::string path = [] {
    const std::string file = bench::TempPath("50mb.xqdn");
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

// The generated network as the writer saves it.
const std::string& WrittenFile() {
  static const std::string path = [] {
    const std::string file = bench::TempPath("60mb-written.xqdn");
    QDN_RegisterFormats();
    QDN_network net;
    if (net.ReadFile(File().c_str(), 8, 0) != 0 || net.WriteFile(file.c_str(), 8) != 0)
      std::fprintf(stderr, "cannot make %s\n", file.c_str());
    return file;
  }();
  return path;
}

const std::string& FileFor(const benchmark::State& state) {
  return state.range(0) == 0 ? File() : WrittenFile();
}

// Each case on the generated and on the written file, the second argument
// (named second) off and on.
void BothFilesBothWays(benchmark::internal::Benchmark* benchmark, const char* second) {
  benchmark->ArgNames({"written", second})
      ->Args({0, 0})
      ->Args({1, 0})
      ->Args({0, 1})
      ->Args({1, 1})
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

} // namespace

// Expat with element and text handlers that do nothing, so that it reports
// every tag, attribute and text as it does for the reader, in the same 64 KB
// blocks. From file: the blocks are read from the file as the reader reads
// them (the like-for-like reference). From memory: the file is read
// beforehand and only the parse is timed.
static void BM_ExpatEmptyHandlers(benchmark::State& state) {
  const std::string& path = FileFor(state);
  const bool from_memory = state.range(1) != 0;
  const std::string text = bench::ReadWhole(path);
  for (auto _ : state)
    if (!bench::ExpatParse(path, from_memory ? &text : nullptr))
      state.SkipWithError("parse failed");
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_ExpatEmptyHandlers)->Apply([](benchmark::internal::Benchmark* b) {
  BothFilesBothWays(b, "memory");
});

// The time of ReadFile into a fresh network; making and freeing the network
// are not timed. Warm: the memory the previous network freed stays with the
// allocator (the harness keeps it from being returned), as in a process that
// has loaded models before. Cold: it is handed back to the system first, so
// the read also pays for the first touch of every page it fills, as the first
// load in a fresh process does.
static void BM_ReadXqdn50MB(benchmark::State& state) {
  QDN_RegisterFormats();
  const std::string& path = FileFor(state);
  const bool cold = state.range(1) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (cold) (void)malloc_trim(0);
    auto net = std::make_unique<QDN_network>();
    state.ResumeTiming();
    if (net->ReadFile(path.c_str(), 8, 0) != 0) state.SkipWithError("read failed");
    state.PauseTiming();
    net.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bench::FileSize(path));
}
BENCHMARK(BM_ReadXqdn50MB)->Apply([](benchmark::internal::Benchmark* b) {
  BothFilesBothWays(b, "cold");
});

// The read (as above, warm or cold) and Expat with empty handlers on the same
// file in turn; the best processor and wall times of each and their ratios
// (Expat's time over the read's).
static void BM_XqdnVsExpat(benchmark::State& state) {
  QDN_RegisterFormats();
  const std::string& path = FileFor(state);
  const bool cold = state.range(1) != 0;
  std::unique_ptr<QDN_network> net;
  bench::CompareWithReferenceAfter(
      state, path,
      [&] {
        net.reset();
        if (cold) (void)malloc_trim(0);
        net = std::make_unique<QDN_network>();
      },
      [&](const std::string& file) { return net->ReadFile(file.c_str(), 8, 0); },
      [](const std::string& file) { return bench::ExpatParse(file); }, "expat");
}
BENCHMARK(BM_XqdnVsExpat)->Apply([](benchmark::internal::Benchmark* b) {
  BothFilesBothWays(b, "cold");
  b->Iterations(5);
});

static void BM_WriteXqdn50MB(benchmark::State& state) {
  QDN_RegisterFormats();
  QDN_network net;
  if (net.ReadFile(File().c_str(), 8, 0) != 0) state.SkipWithError("read failed");
  const std::string out = bench::TempPath("written.xqdn");
  for (auto _ : state)
    if (net.WriteFile(out.c_str(), 8) != 0) state.SkipWithError("write failed");
  state.SetBytesProcessed(state.iterations() * bench::FileSize(out));
}
BENCHMARK(BM_WriteXqdn50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory of loading the generated and the written file, over that of
// loading a file with one node, each in a fresh process.
static void BM_XqdnPeakMemory(benchmark::State& state) {
  QDN_RegisterFormats();
  bench::ReportPeakMemory(state, FileFor(state), 8, "xqdn");
}
BENCHMARK(BM_XqdnPeakMemory)
    ->ArgName("written")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
