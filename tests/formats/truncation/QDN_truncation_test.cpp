// Every reader meets files cut short: it must not crash, and a cut file must
// never read as a success that logs nothing new.
#include "network/QDN_formatDispatch.h"
#include "xml/QDN_xqdnFactory.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/QDN_errorLog.h"
#include "core/QDN_status.h"
#include "network/QDN_network.h"
#include "test_util.h"

namespace {

struct Seed {
  int format;
  const char* path; // below the repository's fuzz corpus
};

// Small files of every format that read whole; real tools wrote most of them.
const Seed kSeeds[] = {
    {QDN_FORMAT_ERGO, "ergo/asia.erg"},
    {QDN_FORMAT_ERGO, "ergo/cancer.erg"},
    {QDN_FORMAT_NETICA, "netica/asia.dnet"},
    {QDN_FORMAT_NETICA, "netica/coma.dne"},
    {QDN_FORMAT_MSBN, "msbn/asia.dsc"},
    {QDN_FORMAT_MSBN, "msbn/exemploSalaDeAula.dsc"},
    {QDN_FORMAT_QDN, "native/asia.qdn"},
    {QDN_FORMAT_QDN, "native/equations.qdn"},
    {QDN_FORMAT_HUGIN, "hugin/asia.net"},
    {QDN_FORMAT_HUGIN, "hugin/mildew3.net"},
    {QDN_FORMAT_XMLBIF, "xmlbif/asia.xml03"},
    {QDN_FORMAT_XMLBIF, "xmlbif/OilWildcatter.xml03"},
    {QDN_FORMAT_KI, "ki/pump.dxp"},
    {QDN_FORMAT_XQDN, "xqdn/asia.xqdn"},
    {QDN_FORMAT_XQDN, "xqdn/equations-costs.xqdn"},
};

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

TEST(TruncationTest, NoReaderTakesACutFileForAWholeOne) {
  QDN_SetFormat8Factory(&QDN_CreateXqdnFormat);
  for (const Seed& seed : kSeeds) {
    SCOPED_TRACE(seed.path);
    const std::string text =
        ReadFileText(std::string(CALLBRIMA_SOURCE_DIR) + "/fuzz/corpus/" + seed.path);
    ASSERT_FALSE(text.empty());
    std::set<std::string> whole;
    {
      QDN_network net;
      ClearLog();
      const std::string path = WriteTempFile("whole", text);
      ASSERT_EQ(net.ReadFile(path.c_str(), seed.format, 0), QDN_NO_ERROR);
      whole = LoggedMessages();
    }
    // Every cut near the end (where the closing tokens are), and some sixty
    // spread over the rest (every reader runs this under the sanitizers too).
    // Ergo files have no closing token: after the probabilities every
    // section is optional, so a cut there is a whole file with less in it.
    size_t last = LastTokenStart(text);
    if (seed.format == QDN_FORMAT_ERGO) {
      const size_t names = text.find("/*", text.find("/*") + 2);
      ASSERT_NE(names, std::string::npos);
      last = LastTokenStart(text.substr(0, names));
    }
    const size_t step = std::max<size_t>(1, last / 60);
    std::vector<size_t> cuts;
    for (size_t n = 0; n + 40 < last; n += step)
      cuts.push_back(n);
    for (size_t n = last > 40 ? last - 40 : 0; n <= last; ++n)
      cuts.push_back(n);
    for (size_t n : cuts) {
      QDN_network net;
      ClearLog();
      // A fresh file each time: rewriting one file makes the system flush it.
      const std::string path = WriteTempFile("cut" + std::to_string(n), text.substr(0, n));
      const int status = net.ReadFile(path.c_str(), seed.format, 0);
      std::filesystem::remove(path);
      if (status != QDN_NO_ERROR) continue; // a failed read is no false success
      // A cut right after the network's header leaves a whole empty network.
      if (net.GetNumberOfNodes() == 0 && text.substr(0, n).find("node") == std::string::npos)
        continue;
      const std::set<std::string> logged = LoggedMessages();
      const bool new_message = std::any_of(
          logged.begin(), logged.end(), [&](const std::string& m) { return whole.count(m) == 0; });
      EXPECT_TRUE(new_message) << "cut at " << n << " of " << text.size() << " reads as whole: ..."
                               << text.substr(n > 40 ? n - 40 : 0, std::min<size_t>(n, 40));
    }
  }
  ClearLog();
}

} // namespace
