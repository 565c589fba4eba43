// Appending to the growing arrays: n appends must cost O(n) in total even
// though the addressable size grows by a fixed step.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/QDN_doubleArray.h"
#include "core/QDN_idArray.h"
#include "core/QDN_stringArray.h"

static void BM_AppendDoubles(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    QDN_doubleArray values;
    for (int i = 0; i < n; ++i)
      (void)values.Append(i * 0.5);
    benchmark::DoNotOptimize(values.Data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendDoubles)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Reference: the same appends into a plain std::vector.
static void BM_VectorPushBack(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i)
      values.push_back(i * 0.5);
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_VectorPushBack)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

static void BM_AppendStrings(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i)
    texts.push_back(std::string("state_").append(std::to_string(i)));
  for (auto _ : state) {
    QDN_stringArray values;
    for (const std::string& t : texts)
      (void)values.Append(t.c_str());
    benchmark::DoNotOptimize(values.At(0));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendStrings)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Replacing texts in a long array, over and over: each text replaced stays
// in the array's storage until the storage is next remade, which must not
// happen so often that the replacements turn quadratic in the array's size.
static void BM_ReplaceStrings(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    QDN_stringArray values(n, 0);
    for (int i = 0; i < n; ++i)
      (void)values.SetAt((i * 7) % 16, i % 2 ? "odd" : "even");
    benchmark::DoNotOptimize(values.At(0));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ReplaceStrings)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Identifier lists check uniqueness on every append; it must stay linear.
static void BM_AppendIdentifiers(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i)
    texts.push_back(std::string("s").append(std::to_string(i)));
  for (auto _ : state) {
    QDN_idArray values;
    for (const std::string& t : texts)
      (void)values.Append(t.c_str());
    benchmark::DoNotOptimize(values.At(0));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendIdentifiers)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
