// BIF read throughput on the largest corpus file and on a generated file of
// about 75 MB, next to the reference of splitting the same text into tokens
// and converting every number with std::from_chars.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "bench_harness.h"

namespace {

const std::string kDiabetes = std::string(CALLBRIMA_CORPUS_DIR) + "/bif/agrum/Diabetes.bif";

// A network whose child has six ten-state parents and four states, in the
// common form: one row per parent configuration, a million rows naming the
// parent states, four million probabilities.
std::string LargeBifFile() {
  static const std::string path = [] {
    const std::string file = bench::TempPath("large.bif");
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

// The BIF reference also splits at braces and bars.
constexpr std::string_view kBifSeparators = " \t\r\n,();{}|";

} // namespace

[[maybe_unused]] static const bool registered =
    bench::RegisterReadAndReference(
        "Bif", "Diabetes", [] { return kDiabetes; }, 9, kBifSeparators) &&
    bench::RegisterReadAndReference(
        "Bif", "Large", [] { return LargeBifFile(); }, 9, kBifSeparators);
