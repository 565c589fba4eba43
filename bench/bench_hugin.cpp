// Hugin read throughput on the largest corpus file and on a generated file of
// about 50 MB, next to the reference of splitting the same text into tokens
// and converting every number with std::from_chars.
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "bench_harness.h"

namespace {

const std::string kBarley = std::string(CALLBRIMA_CORPUS_DIR) + "/hugin/problog/barley.net";

// A network whose child has six ten-state parents and four states: four
// million probabilities in one nested data table.
std::string LargeHuginFile() {
  static const std::string path = [] {
    const std::string file = bench::TempPath("large.net");
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

// The Hugin reference also splits at equal signs.
constexpr std::string_view kHuginSeparators = " \t\r\n,();=";

} // namespace

[[maybe_unused]] static const bool registered =
    bench::RegisterReadAndReference(
        "Hugin", "Barley", [] { return kBarley; }, 5, kHuginSeparators) &&
    bench::RegisterReadAndReference(
        "Hugin", "Large", [] { return LargeHuginFile(); }, 5, kHuginSeparators);
