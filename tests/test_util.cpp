#include "test_util.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/QDN_errorLog.h"
#include "xml/QDN_registerFormats.h"

namespace {

// Every test reads and writes through the format table; tests that need a
// format missing remove it themselves.
[[maybe_unused]] const bool formats_registered = [] {
  QDN_RegisterFormats();
  return true;
}();

} // namespace

namespace {

// The folder of one test process, removed with what the tests left in it when
// the process ends. A child the process forks leaves it alone.
class TestFolder {
public:
  TestFolder()
      : owner_(::getpid()), path_(std::filesystem::temp_directory_path() /
                                  ("callbrima-tests-" + std::to_string(owner_))) {
    std::filesystem::create_directories(path_);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  ~TestFolder() {
    std::error_code ignored;
    if (::getpid() == owner_) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

private:
  pid_t owner_;
  std::filesystem::path path_;
};

} // namespace

std::string TempPath(std::string_view name) {
  static const TestFolder folder;
  return (folder.path() / std::string(name)).string();
}

std::string WriteTempFile(std::string_view name, std::string_view bytes) {
  const std::string path = TempPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void ClearLog() { QDN_GetErrorLog().Clear(); }

size_t LoggedCount() { return QDN_GetErrorLog().GetCount(); }

bool LogContains(std::string_view text) {
  const QDN_errorLog& log = QDN_GetErrorLog();
  for (size_t i = 0; i < log.GetCount(); ++i)
    if (log.GetEntry(i).message.find(text) != std::string::npos) return true;
  return false;
}

namespace {

// Splits a description at blanks, line ends and brackets.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\n' || c == '[' || c == ']') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

} // namespace

bool SameDescriptions(const std::string& a, const std::string& b, double tolerance,
                      std::string* where) {
  if (a == b) return true;
  if (tolerance <= 0) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
      ++at;
    if (where) *where = "texts differ at " + std::to_string(at);
    return false;
  }
  const auto x = Words(a), y = Words(b);
  if (x.size() != y.size()) {
    if (where)
      *where = "word counts " + std::to_string(x.size()) + " and " + std::to_string(y.size());
    return false;
  }
  for (size_t i = 0; i < x.size(); ++i) {
    if (x[i] == y[i]) continue;
    char* end_x = nullptr;
    char* end_y = nullptr;
    const double u = std::strtod(x[i].c_str(), &end_x), v = std::strtod(y[i].c_str(), &end_y);
    if (*end_x == '\0' && *end_y == '\0' && std::fabs(u - v) <= tolerance * (1 + std::fabs(u)))
      continue;
    if (where) *where = x[i] + " / " + y[i] + " (word " + std::to_string(i) + ")";
    return false;
  }
  return true;
}
