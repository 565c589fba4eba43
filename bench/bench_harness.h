// What the read benchmarks share: file helpers, the timed read of a file in
// one format, the tokenize-and-convert reference, Expat with empty handlers,
// the side-by-side comparison of a read with a reference in one run, and the
// peak memory of a load measured in a fresh process.
#pragma once

#include <benchmark/benchmark.h>
#include <expat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "network/QDN_network.h"
#include "xml/QDN_registerFormats.h"

extern char** environ;

namespace bench {

// The generated files of one benchmark process live in a folder of their
// own, removed when the process ends, so two benchmarks run at the same time
// never rewrite each other's input.
class TempFolder {
public:
  TempFolder() {
    char name[] = "/tmp/callbrima-bench-XXXXXX";
    if (mkdtemp(name)) path_ = name;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

// A path for a generated file named name, in this process's folder.
inline std::string TempPath(const std::string& name) {
  static const TempFolder folder;
  return folder.path() + "/" + name;
}

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

// Reads path in format into a fresh network per iteration; reports bytes.
inline void TimedReads(benchmark::State& state, const std::string& path, int format) {
  for (auto _ : state) {
    QDN_network net;
    benchmark::DoNotOptimize(net.ReadFile(path.c_str(), format, 0));
  }
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

// The reference: read the file into memory, split it where is_separator
// says and convert every piece with std::from_chars. Nothing is allocated but
// the text.
template <typename IsSeparator>
double TokenizeAndConvert(const std::string& path, IsSeparator is_separator) {
  const std::string text = ReadWhole(path);
  double sum = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    if (is_separator(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    while (p < end && !is_separator(*p))
      ++p;
    double v = 0;
    if (std::from_chars(start, p, v).ec == std::errc()) sum += v;
  }
  return sum;
}

// The reference of the dense-file ratios: blanks, commas, parentheses and
// semicolons separate.
inline double TokenizeAndConvert(const std::string& path) {
  return TokenizeAndConvert(path, [](char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ',' || c == '(' || c == ')' ||
           c == ';';
  });
}

// The same with other separators.
inline double TokenizeAndConvert(const std::string& path, std::string_view separators) {
  std::array<bool, 256> separator{};
  for (char c : separators)
    separator[static_cast<unsigned char>(c)] = true;
  return TokenizeAndConvert(
      path, [&separator](char c) { return separator[static_cast<unsigned char>(c)]; });
}

// The reference as a benchmark of its own; reports bytes.
inline void TimedReference(benchmark::State& state, const std::string& path,
                           std::string_view separators) {
  for (auto _ : state)
    benchmark::DoNotOptimize(TokenizeAndConvert(path, separators));
  state.SetBytesProcessed(state.iterations() * FileSize(path));
}

// Registers BM_Read<format_name><file_name>, the timed read of the file
// path() names, and BM_Tokenize<file_name>, the reference on the same file.
// path is called when a benchmark runs, so a file is made only when needed.
inline bool RegisterReadAndReference(const std::string& format_name, const std::string& file_name,
                                     std::string (*path)(), int format,
                                     std::string_view separators) {
  benchmark::RegisterBenchmark(
      ("BM_Read" + format_name + file_name).c_str(),
      [path, format](benchmark::State& state) { TimedReads(state, path(), format); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(
      ("BM_Tokenize" + file_name).c_str(),
      [path, separators](benchmark::State& state) { TimedReference(state, path(), separators); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return true;
}

namespace detail {
inline void IgnoreStart(void*, const char*, const char**) {}
inline void IgnoreEnd(void*, const char*) {}
inline void IgnoreText(void*, const char*, int) {}
} // namespace detail

// Expat with element and text handlers that do nothing, so that it reports
// every tag, attribute and text as it does for a reader, in 64 KB blocks:
// read from the file as a reader reads it, or from text already in memory.
inline bool ExpatParse(const std::string& path, const std::string* in_memory = nullptr) {
  constexpr size_t kBlock = 64 * 1024;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetElementHandler(parser, &detail::IgnoreStart, &detail::IgnoreEnd);
  XML_SetCharacterDataHandler(parser, &detail::IgnoreText);
  bool ok = true;
  if (in_memory) {
    const std::string& text = *in_memory;
    for (size_t at = 0; ok && at < text.size(); at += kBlock) {
      const size_t n = std::min(kBlock, text.size() - at);
      ok = XML_Parse(parser, text.data() + at, static_cast<int>(n), at + n == text.size()) !=
           XML_STATUS_ERROR;
    }
  } else {
    std::vector<char> block(kBlock);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ok = file != nullptr;
    for (bool last = false; ok && !last;) {
      const size_t got = std::fread(block.data(), 1, block.size(), file);
      last = got < block.size();
      ok = XML_Parse(parser, block.data(), static_cast<int>(got), last) != XML_STATUS_ERROR;
    }
    if (file) std::fclose(file);
  }
  XML_ParserFree(parser);
  return ok;
}

// Processor time of this process in seconds: on a shared machine it is far
// steadier than the wall clock.
inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs read and reference in turn, each once per iteration, and reports the
// best time of each (processor and wall clock), the throughputs and the
// ratios of the best times (the reference's time over the read's). The
// reference's counters are named after it ("ref", "expat"). prepare runs
// untimed before every read (to free the previous result, say).
template <typename Prepare, typename Read, typename Reference>
void CompareWithReferenceAfter(benchmark::State& state, const std::string& path, Prepare prepare,
                               Read read, Reference reference,
                               const std::string& reference_name = "ref") {
  using Clock = std::chrono::steady_clock;
  double read_cpu = 1e300, ref_cpu = 1e300, read_wall = 1e300, ref_wall = 1e300;
  for (auto _ : state) {
    prepare();
    const auto w0 = Clock::now();
    const double c0 = CpuSeconds();
    benchmark::DoNotOptimize(read(path));
    const auto w1 = Clock::now();
    const double c1 = CpuSeconds();
    benchmark::DoNotOptimize(reference(path));
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
  state.counters[reference_name + "_cpu_ms"] = ref_cpu * 1e3;
  state.counters["read_MBps"] = mb / read_cpu;
  state.counters[reference_name + "_MBps"] = mb / ref_cpu;
  state.counters["ratio_cpu_pct"] = 100 * ref_cpu / read_cpu;
  state.counters["ratio_wall_pct"] = 100 * ref_wall / read_wall;
}

// The same with nothing to prepare.
template <typename Read, typename Reference>
void CompareWithReference(benchmark::State& state, const std::string& path, Read read,
                          Reference reference, const std::string& reference_name = "ref") {
  CompareWithReferenceAfter(
      state, path, [] {}, read, reference, reference_name);
}

// The same with the tokenize-and-convert reference.
template <typename Read>
void CompareWithReference(benchmark::State& state, const std::string& path, Read read) {
  CompareWithReference(state, path, read,
                       [](const std::string& file) { return TokenizeAndConvert(file); });
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
  const std::string empty = TempPath(std::string("empty.") + extension);
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

} // namespace bench

// Loads a file and exits when the benchmark program is started by
// PeakKilobytesOfLoad.
[[maybe_unused]] static const int bench_load_hook = bench::LoadHook();
