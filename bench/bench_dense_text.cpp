// Read throughput of the native text, Hugin, Netica and MSBN readers on a
// number-dense file of about 50 MB each (the same network written by our
// writers), next to the tokenize-and-convert reference on the same file in
// the same run; and the peak memory of a load over that of an empty load.
#include "dense_bench.h"

namespace {

struct Format {
  int number;
  const char* extension;
};

constexpr Format kNative{4, "qdn"}, kHugin{5, "net"}, kNetica{2, "dne"}, kMsbn{3, "dsc"};

void Compare(benchmark::State& state, Format format) {
  const std::string path = dense::DenseFile(format.number, format.extension);
  bench::CompareWithReference(state, path, [&](const std::string& file) {
    QDN_network net;
    return net.ReadFile(file.c_str(), format.number, 0);
  });
}

void Peak(benchmark::State& state, Format format) {
  const std::string path = dense::DenseFile(format.number, format.extension);
  bench::ReportPeakMemory(state, path, format.number, format.extension);
}

} // namespace

static void BM_DenseNativeVsReference(benchmark::State& s) { Compare(s, kNative); }
static void BM_DenseHuginVsReference(benchmark::State& s) { Compare(s, kHugin); }
static void BM_DenseNeticaVsReference(benchmark::State& s) { Compare(s, kNetica); }
static void BM_DenseMsbnVsReference(benchmark::State& s) { Compare(s, kMsbn); }
BENCHMARK(BM_DenseNativeVsReference)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseHuginVsReference)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseNeticaVsReference)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseMsbnVsReference)->Iterations(5)->Unit(benchmark::kMillisecond);

static void BM_DenseNativePeakMemory(benchmark::State& s) { Peak(s, kNative); }
static void BM_DenseHuginPeakMemory(benchmark::State& s) { Peak(s, kHugin); }
static void BM_DenseNeticaPeakMemory(benchmark::State& s) { Peak(s, kNetica); }
static void BM_DenseMsbnPeakMemory(benchmark::State& s) { Peak(s, kMsbn); }
BENCHMARK(BM_DenseNativePeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseHuginPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseNeticaPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseMsbnPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
