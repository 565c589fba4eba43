// Every reader meets every seed of its fuzz corpus cut short: it must not
// crash, leak or read past its input (the sanitizers run this too), what it
// reads must write and read back, and a file cut before its last token must
// never read as a success that logs nothing new.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_formatDispatch.h"
#include "network/QDN_network.h"
#include "test_util.h"
#include "xml/QDN_registerFormats.h"

namespace {

struct Reader {
  const char* folder; // below the repository's fuzz corpus
  int format;
};

const Reader kReaders[] = {
    {"ergo", QDN_FORMAT_ERGO},  {"netica", QDN_FORMAT_NETICA}, {"msbn", QDN_FORMAT_MSBN},
    {"native", QDN_FORMAT_QDN}, {"hugin", QDN_FORMAT_HUGIN},   {"xmlbif", QDN_FORMAT_XMLBIF},
    {"ki", QDN_FORMAT_KI},      {"xqdn", QDN_FORMAT_XQDN},     {"bif", QDN_FORMAT_BIF},
};

// Seeds that read whole without a message; real tools wrote most of them.
// (The others are damaged on purpose: a cut of them may read as well as the
// whole file does.)
const std::set<std::string> kWholeSeeds = {
    "ergo/asia.erg",     "ergo/cancer.erg",      "netica/asia.dnet",
    "netica/coma.dne",   "msbn/asia.dsc",        "msbn/exemploSalaDeAula.dsc",
    "native/asia.qdn",   "native/equations.qdn", "hugin/asia.net",
    "hugin/mildew3.net", "xmlbif/asia.xml03",    "xmlbif/OilWildcatter.xml03",
    "ki/pump.dxp",       "xqdn/asia.xqdn",       "xqdn/equations-costs.xqdn",
    "bif/asia.bif",      "bif/car-starts.bif",   "bif/dog-problem.bif",
};

std::vector<std::filesystem::path> Seeds(const char* folder) {
  std::vector<std::filesystem::path> out;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(CALLBRIMA_SOURCE_DIR) / "fuzz" / "corpus" / folder))
    if (entry.is_regular_file()) out.push_back(entry.path());
  std::sort(out.begin(), out.end());
  return out;
}

// Every cut of a small seed; of a larger one every cut near both ends (the
// header and the closing tokens) and about 240 between, each at another
// offset within the stride so that the cuts fall inside every kind of token.
std::vector<size_t> Cuts(size_t size) {
  constexpr size_t kEnds = 48, kBetween = 240;
  std::vector<size_t> cuts;
  if (size <= 2 * kEnds + kBetween) {
    for (size_t n = 0; n < size; ++n)
      cuts.push_back(n);
    return cuts;
  }
  for (size_t n = 0; n < kEnds; ++n)
    cuts.push_back(n);
  const size_t stride = (size - 2 * kEnds) / kBetween;
  for (size_t k = 0; k < kBetween; ++k)
    cuts.push_back(kEnds + k * stride + k % stride);
  for (size_t n = size - kEnds; n < size; ++n)
    cuts.push_back(n);
  return cuts;
}

std::set<std::string> LoggedMessages() {
  std::set<std::string> out;
  const QDN_errorLog& log = QDN_GetErrorLog();
  for (size_t i = 0; i < log.GetCount(); ++i)
    out.insert(log.GetEntry(i).message);
  return out;
}

// Where the file's last token starts: cuts at or before it remove at least
// one whole token. (A cut inside the last token may leave a shorter token
// that reads as well, such as the number 12 of 123.)
size_t LastTokenStart(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1])))
    --end;
  // The closing ";" of a whole file is optional in the formats that allow it.
  while (end > 0 && text[end - 1] == ';')
    --end;
  while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1])))
    --end;
  size_t start = end > 0 ? end - 1 : 0;
  auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; };
  if (end > 0 && word(text[end - 1]))
    while (start > 0 && word(text[start - 1]))
      --start;
  return start;
}

// The cuts that must not read as the whole file: those before the last token
// (Ergo files have no closing token: after the probabilities every section
// is optional, so a cut there is a whole file with less in it).
size_t LastIncompleteCut(const std::string& text, int format) {
  if (format != QDN_FORMAT_ERGO) return LastTokenStart(text);
  const size_t names = text.find("/*", text.find("/*") + 2);
  return names == std::string::npos ? 0 : LastTokenStart(text.substr(0, names));
}

// Whether a cut falls between the file's top-level blocks (after a "}" that
// closes all that was opened): formats made of a list of blocks (Hugin, BIF)
// read such a cut as a whole file with fewer blocks.
bool BetweenBlocks(const std::string& text, size_t cut) {
  size_t end = cut;
  while (end > 0 &&
         (std::isspace(static_cast<unsigned char>(text[end - 1])) || text[end - 1] == ';'))
    --end;
  if (end == 0 || text[end - 1] != '}') return false;
  return std::count(text.begin(), text.begin() + end, '{') ==
         std::count(text.begin(), text.begin() + end, '}');
}

// What a successful read holds is written in the same format and reads back
// (the KI format has no writer of its own: its networks go to native text).
void ExpectWritesAndReadsBack(QDN_network& net, int format, const std::string& where) {
  const int written = format == QDN_FORMAT_KI ? QDN_FORMAT_QDN : format;
  const std::string path = TempPath("written");
  const int status = net.WriteFile(path.c_str(), written);
  // A writer may refuse what its format cannot hold, with a message.
  if (status != QDN_NO_ERROR) {
    EXPECT_GT(LoggedCount(), 0u) << where << ": write refused with " << status << " silently";
    return;
  }
  QDN_network again;
  EXPECT_EQ(again.ReadFile(path.c_str(), written, 0), QDN_NO_ERROR)
      << where << ": what was written does not read back:\n"
      << ReadFileText(path);
}

void PrintTo(const Reader& reader, std::ostream* out) { *out << reader.folder; }

class TruncationTest : public ::testing::TestWithParam<Reader> {};

TEST_P(TruncationTest, EverySeedSurvivesBeingCut) {
  QDN_RegisterFormats();
  const Reader& reader = GetParam();
  const std::vector<std::filesystem::path> seeds = Seeds(reader.folder);
  ASSERT_FALSE(seeds.empty());
  for (const auto& seed : seeds) {
    const std::string name = std::string(reader.folder) + "/" + seed.filename().string();
    SCOPED_TRACE(name);
    const std::string text = ReadFileText(seed.string());
    const bool whole_seed = kWholeSeeds.count(name) > 0;
    std::set<std::string> whole;
    if (whole_seed) {
      QDN_network net;
      ClearLog();
      ASSERT_EQ(net.ReadFile(seed.c_str(), reader.format, 0), QDN_NO_ERROR);
      whole = LoggedMessages();
    }
    const size_t incomplete = LastIncompleteCut(text, reader.format);
    size_t written_eighth = 8;
    for (size_t n : Cuts(text.size())) {
      const std::string where = "cut at " + std::to_string(n) + " of " +
                                std::to_string(text.size()) + " after ..." +
                                text.substr(n > 40 ? n - 40 : 0, std::min<size_t>(n, 40));
      QDN_network net;
      ClearLog();
      // A fresh file each time: rewriting one file makes the system flush it.
      const std::string path = WriteTempFile("cut" + std::to_string(n), text.substr(0, n));
      const int status = net.ReadFile(path.c_str(), reader.format, 0);
      std::filesystem::remove(path);
      if (status != QDN_NO_ERROR) {
        EXPECT_LT(status, 0) << where;
        // The native reader names what stopped it (running out of input is
        // its own status).
        if (reader.format == QDN_FORMAT_QDN && status != QDN_END_OF_INPUT) {
          EXPECT_GT(LoggedCount(), 0u) << where << ": failed without a message";
        }
        continue;
      }
      const std::set<std::string> logged = LoggedMessages();
      // Writing syncs the file to disk: a few cuts in each eighth of the seed.
      const size_t eighth = n * 8 / text.size();
      if (eighth != written_eighth) {
        written_eighth = eighth;
        ExpectWritesAndReadsBack(net, reader.format, where);
      }
      if (!whole_seed || n > incomplete || BetweenBlocks(text, n)) continue;
      // A cut right after the network's header leaves a whole empty network.
      if (net.GetNumberOfNodes() == 0 && text.substr(0, n).find("node") == std::string::npos)
        continue;
      const bool new_message = std::any_of(
          logged.begin(), logged.end(), [&](const std::string& m) { return whole.count(m) == 0; });
      EXPECT_TRUE(new_message) << where << ": reads as the whole file";
    }
  }
  ClearLog();
}

std::string ReaderName(const ::testing::TestParamInfo<Reader>& info) { return info.param.folder; }

INSTANTIATE_TEST_SUITE_P(Readers, TruncationTest, ::testing::ValuesIn(kReaders), ReaderName);

} // namespace
