// Native text read of networks made mostly of structure: 10,000 and 100,000
// nodes with names, comments, user properties, positions and submodels (the
// file the JVM load benchmark generates). Each iteration reads the file into
// a fresh network and destroys it, as a load through the JVM replaces the
// network it held; the best times and the 100,000 / 10,000 ratio are
// reported.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_harness.h"
#include "network/QDN_network.h"

namespace {

// The generator of the JVM load benchmark, line for line.
std::string RichFile(int count) {
  const std::string path = bench::TempPath("rich" + std::to_string(count) + ".qdn");
  std::string text = "net rich\n{\n HEADER =\n  {\n   ID = rich;\n";
  text += "   NAME = \"A generated network\";\n  };\n";
  for (int s = 0; s < count / 100; ++s) {
    const std::string n = std::to_string(s);
    text += " submodel s" + n + "\n  {\n   HEADER =\n    {\n     ID = s" + n +
            ";\n     NAME = \"Part " + n + "\";\n    };\n  };\n";
  }
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const std::string parents =
        i == 0 ? std::string() : std::string("n").append(std::to_string(i - 1));
    const std::string table = i == 0 ? "0.3, 0.7" : "0.1, 0.9, 0.8, 0.2";
    text += " node n" + n + "\n  {\n   TYPE = CPT;\n   HEADER =\n    {\n";
    text += "     ID = n" + n + ";\n     NAME = \"Node number " + n +
            "\";\n     COMMENT = \"What node " + n +
            " stands for, in a few words\";\n    };\n   SCREEN =\n    {\n";
    text += "     POSITION =\n      {\n       CENTER_X = " + std::to_string(100 + (i % 100) * 120) +
            ";\n       CENTER_Y = " + std::to_string(50 + (i / 100) * 60) +
            ";\n       WIDTH = 80;\n       HEIGHT = 30;\n      };\n    };\n";
    text += "   SUBMODEL = s" + std::to_string(i / 100) + ";\n   USER_PROPERTIES =\n    {\n";
    text +=
        "     unit = \"kg\";\n     source = \"survey " + std::to_string(i % 7) + "\";\n    };\n";
    text += "   PARENTS = (" + parents + ");\n   DEFINITION =\n    {\n";
    text += "     NAMESTATES = (low, high);\n     PROBABILITIES = (" + table + ");\n    };\n  };\n";
  }
  text += "};\n";
  if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
  return path;
}

// Best wall-clock seconds of a read and the destruction of its network.
double BestLoad(const std::string& path, int runs) {
  using Clock = std::chrono::steady_clock;
  double best = 1e300;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    {
      QDN_network net;
      benchmark::DoNotOptimize(net.ReadFile(path.c_str(), 4, 0));
    }
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

} // namespace

static void BM_ReadRichNative(benchmark::State& state) {
  const std::string small = RichFile(10000), large = RichFile(100000);
  double small_s = 1e300, large_s = 1e300;
  for (auto _ : state) {
    small_s = std::min(small_s, BestLoad(small, 3));
    large_s = std::min(large_s, BestLoad(large, 3));
  }
  state.counters["file_MB"] = static_cast<double>(bench::FileSize(large)) / 1e6;
  state.counters["rich10k_ms"] = small_s * 1e3;
  state.counters["rich100k_ms"] = large_s * 1e3;
  state.counters["ratio_100k_10k"] = large_s / small_s;
}
BENCHMARK(BM_ReadRichNative)->Iterations(2)->Unit(benchmark::kMillisecond);
