// Shared by the text-format read benchmarks: a number-dense network of about
// 50 MB of text (71 four-state nodes, 64 of them with seven parents and
// tables of 65,536 cells), written by our own writer in each format; the
// tokenize-and-convert reference over the same file; and the peak memory a
// load takes, measured in a fresh process.
#pragma once

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/QDN_Dmatrix.h"
#include "core/QDN_doubleArray.h"
#include "core/QDN_stringArray.h"
#include "definitions/QDN_nodeDefinition.h"
#include "network/QDN_network.h"
#include "network/QDN_node.h"
#include "xml/QDN_registerFormats.h"

extern char** environ;

namespace dense {

inline std::string ReadWhole(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return text;
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::rewind(file);
  text.resize(static_cast<size_t>(std::max(0L, size)));
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text;
}

inline long long FileSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fclose(file);
  return size;
}

// 71 four-state nodes; node i takes the (up to) seven nodes before it as
// parents. Probabilities have eight decimals, as tools usually write them.
inline void BuildDenseNetwork(QDN_network& net) {
  constexpr int kNodes = 71, kParents = 7;
  QDN_stringArray states;
  for (int s = 0; s < 4; ++s)
    (void)states.Append(std::string("s").append(std::to_string(s)).c_str());
  std::vector<int> handles;
  for (int i = 0; i < kNodes; ++i) {
    const int h = net.AddNode(18, std::string("n").append(std::to_string(i)).c_str());
    (void)net.GetNode(h)->GetDefinition()->SetNumberOfOutcomes(states);
    for (int p = std::max(0, i - kParents); p < i; ++p)
      (void)net.AddArc(handles[static_cast<size_t>(p)], h, 0);
    handles.push_back(h);
  }
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int h : handles) {
    QDN_doubleArray& cells = net.GetNode(h)->GetDefinition()->GetTable()->GetItems();
    for (int i = 0; i + 3 < cells.GetSize(); i += 4) {
      long long parts[4], sum = 0;
      for (long long& part : parts)
        sum += part = 1 + static_cast<long long>(unit(random) * 1e8);
      long long left = 100'000'000;
      for (int k = 0; k < 4; ++k) {
        const long long share = k < 3 ? parts[k] * 100'000'000 / sum : left;
        left -= share;
        cells.At(i + k) = static_cast<double>(share) / 1e8;
      }
    }
  }
}

// The dense network written in format (4 native, 5 Hugin, 2 Netica, 3 MSBN).
inline std::string DenseFile(int format, const char* extension) {
  const std::string path = std::string("/tmp/callbrima-bench-dense.") + extension;
  if (FileSize(path) > 50'000'000) return path;
  QDN_network net;
  BuildDenseNetwork(net);
  if (net.WriteFile(path.c_str(), format) != 0)
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return path;
}

// The reference: read the file into memory, split it at blanks, commas,
// parentheses and semicolons, and convert every piece with std::from_chars.
// Nothing is allocated but the text.
inline double TokenizeAndConvert(const std::string& path) {
  const std::string text = ReadWhole(path);
  double sum = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  auto separator = [](char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ',' || c == '(' || c == ')' ||
           c == ';';
  };
  while (p < end) {
    if (separator(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    while (p < end && !separator(*p))
      ++p;
    double v = 0;
    if (std::from_chars(start, p, v).ec == std::errc()) sum += v;
  }
  return sum;
}

// Processor time of this process in seconds: on a shared machine it is far
// steadier than the wall clock.
inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the read and the reference in turn, each iteration once, and reports
// the best time of each (processor and wall clock), the throughput and the
// ratios of the best times (the reference's time over the read's).
template <typename Read>
void CompareWithReference(benchmark::State& state, const std::string& path, Read read) {
  using Clock = std::chrono::steady_clock;
  double read_cpu = 1e300, ref_cpu = 1e300, read_wall = 1e300, ref_wall = 1e300;
  for (auto _ : state) {
    const auto w0 = Clock::now();
    const double c0 = CpuSeconds();
    benchmark::DoNotOptimize(read(path));
    const auto w1 = Clock::now();
    const double c1 = CpuSeconds();
    benchmark::DoNotOptimize(TokenizeAndConvert(path));
    const auto w2 = Clock::now();
    const double c2 = CpuSeconds();
    read_cpu = std::min(read_cpu, c1 - c0);
    ref_cpu = std::min(ref_cpu, c2 - c1);
    read_wall = std::min(read_wall, std::chrono::duration<double>(w1 - w0).count());
    ref_wall = std::min(ref_wall, std::chrono::duration<double>(w2 - w1).count());
  }
  const double mb = static_cast<double>(FileSize(path)) / 1e6;
  state.counters["file_MB"] = mb;
  state.counters["read_cpu_ms"] = read_cpu * 1e3;
  state.counters["ref_cpu_ms"] = ref_cpu * 1e3;
  state.counters["read_MBps"] = mb / read_cpu;
  state.counters["ref_MBps"] = mb / ref_cpu;
  state.counters["ratio_cpu_pct"] = 100 * ref_cpu / read_cpu;
  state.counters["ratio_wall_pct"] = 100 * ref_wall / read_wall;
}

// Peak memory: a fresh copy of this program loads the file and reports its
// peak resident size; the same for a file holding an empty network. The
// hook runs before main when the environment names a file to load.
inline long PeakKilobytesOfLoad(const std::string& path, int format) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return -1;
  self[n] = 0;
  const std::string out = path + ".peak";
  std::string load = "CALLBRIMA_BENCH_LOAD=" + path;
  std::string fmt = "CALLBRIMA_BENCH_FORMAT=" + std::to_string(format);
  std::string report = "CALLBRIMA_BENCH_REPORT=" + out;
  char* argv[] = {self, nullptr};
  char* envp[] = {load.data(), fmt.data(), report.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self, nullptr, nullptr, argv, envp) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const std::string text = ReadWhole(out);
  std::remove(out.c_str());
  return text.empty() ? -1 : std::atol(text.c_str());
}

inline int LoadHook() {
  const char* path = std::getenv("CALLBRIMA_BENCH_LOAD");
  if (!path) return 0;
  QDN_RegisterFormats(); // native XML too
  {
    QDN_network net;
    (void)net.ReadFile(path, std::atoi(std::getenv("CALLBRIMA_BENCH_FORMAT")), 0);
  }
  // The high-water mark of this program's memory since it started (the
  // rusage figure would carry the spawning process's peak over the exec).
  long peak = -1;
  std::string status(1 << 16, '\0');
  if (std::FILE* in = std::fopen("/proc/self/status", "r")) {
    status.resize(std::fread(status.data(), 1, status.size(), in));
    std::fclose(in);
  }
  if (const size_t at = status.find("VmHWM:"); at != std::string::npos)
    peak = std::atol(status.c_str() + at + 6);
  if (std::FILE* out = std::fopen(std::getenv("CALLBRIMA_BENCH_REPORT"), "w")) {
    std::fprintf(out, "%ld\n", peak);
    std::fclose(out);
  }
  std::_Exit(0);
}

// Reports the peak memory of loading path over that of an empty load.
inline void ReportPeakMemory(benchmark::State& state, const std::string& path, int format,
                             const char* extension) {
  const std::string empty = std::string("/tmp/callbrima-bench-empty.") + extension;
  {
    QDN_network net;
    (void)net.AddNode(18, "only");
    (void)net.WriteFile(empty.c_str(), format);
  }
  long loaded = 0, baseline = 0;
  for (auto _ : state) {
    loaded = PeakKilobytesOfLoad(path, format);
    baseline = PeakKilobytesOfLoad(empty, format);
  }
  const double file_mb = static_cast<double>(FileSize(path)) / 1e6;
  const double over_mb = static_cast<double>(loaded - baseline) * 1024 / 1e6;
  state.counters["file_MB"] = file_mb;
  state.counters["peak_over_empty_MB"] = over_mb;
  state.counters["peak_per_file_size"] = over_mb / file_mb;
}

} // namespace dense

// Loads a file and exits when the benchmark program is started by
// PeakKilobytesOfLoad.
[[maybe_unused]] static const int dense_load_hook = dense::LoadHook();
